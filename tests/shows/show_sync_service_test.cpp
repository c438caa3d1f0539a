// The show synchroniser against the stand-in backend over real HTTP.
#include "backend/show_sync_service.h"
#include "common/user_scoped.h"
#include "fake_sleeper.h"
#include "run_sync.h"
#include "shows_fixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

using namespace quill;
using quill::standin::Fault;
using quill::standin::StandinShow;
using quill::testing::eventually;
using quill::testing::FakeSleeper;
using quill::testing::runSync;

namespace {

AuctionUpload auctionOf(int number, const char *price = "12.5")
{
    AuctionUpload auction;
    auction.id = QStringLiteral("cap-%1").arg(number);
    auction.winnerUsername = QStringLiteral("buyer%1").arg(number);
    auction.salePrice = *Decimal::fromString(QString::fromLatin1(price));
    auction.auctionNumber = number;
    auction.rawTitle = QStringLiteral("Card #%1").arg(number);
    return auction;
}

QList<AuctionUpload> auctionsUpTo(int count)
{
    QList<AuctionUpload> list;
    for (int i = 1; i <= count; ++i)
        list.append(auctionOf(i));
    return list;
}

class ShowSync : public quill::testing::ShowsFixture
{
protected:
    void SetUp() override
    {
        ShowsFixture::SetUp();
        UserScoped::setCurrentUser(QStringLiteral("u1"), *m_settings);
        m_service = makeService();
    }

    void TearDown() override
    {
        m_service.reset();
        UserScoped::setCurrentUser(std::nullopt, nullptr);
        ShowsFixture::TearDown();
    }

    std::unique_ptr<ShowSyncService> makeService()
    {
        auto service = std::make_unique<ShowSyncService>(*m_settings, m_sleeper);
        service->setApi(m_client.get());
        return service;
    }

    void start(const QString &stream = QStringLiteral("stream-1"))
    {
        m_service->setActiveStreamId(stream);
        runSync(m_service->startShow(QStringLiteral("Friday cards"), QStringLiteral("Grouped")));
    }

    bool uploadsSettled(ShowSyncService &service) const
    {
        return eventually([&] { return service.pendingUploadCount() == 0 && !service.isUploading(); });
    }

    QString statusOf(const QString &showId) const
    {
        return m_backend.show(showId).value_or(StandinShow{}).status;
    }

    FakeSleeper m_sleeper;
    std::unique_ptr<ShowSyncService> m_service;
};

TEST_F(ShowSync, StartCreatesALiveShowAndRecordsTheFirstStart)
{
    liveShow(QStringLiteral("a show of another stream"));
    start();

    const QString id = m_service->activeShowId();
    ASSERT_FALSE(id.isEmpty());
    EXPECT_TRUE(m_service->isSyncing());
    EXPECT_TRUE(m_service->syncError().isEmpty());
    const auto show = m_backend.show(id);
    ASSERT_TRUE(show);
    EXPECT_EQ(show->status, QStringLiteral("live"));
    EXPECT_EQ(show->labelMode, QStringLiteral("grouped"));
    EXPECT_EQ(show->channelId, QStringLiteral("whatnot"));
    EXPECT_TRUE(m_settings->boolValue(QStringLiteral("u1_has_started_live_show")));
    EXPECT_FALSE(m_settings->contains(QStringLiteral("has_started_live_show")));
    EXPECT_TRUE(eventually([&] {
        return m_backend.onboarding(QStringLiteral("u1"), QStringLiteral("quillmark"))
            .completedSteps.contains(QStringLiteral("live_show"));
    }));
}

TEST_F(ShowSync, StartAdoptsOnlyTheShowStartedForThisStream)
{
    start(QStringLiteral("stream-1"));
    const QString first = m_service->activeShowId();
    m_service.reset();

    // A restart on the same stream picks the show up again without creating one.
    m_service = makeService();
    m_backend.clearRequests();
    start(QStringLiteral("stream-1"));
    EXPECT_EQ(m_service->activeShowId(), first);
    EXPECT_EQ(requestCount(QStringLiteral("POST"), QStringLiteral("/api/shows")), 0);
    EXPECT_EQ(requestCount(QStringLiteral("PATCH"), QStringLiteral("/api/shows")), 0);

    // Another stream gets a show of its own even though the first one is still live.
    m_service.reset();
    m_service = makeService();
    start(QStringLiteral("stream-2"));
    EXPECT_FALSE(m_service->activeShowId().isEmpty());
    EXPECT_NE(m_service->activeShowId(), first);
}

TEST_F(ShowSync, ASecondStartWhileTheFirstWaitsCreatesNoSecondShow)
{
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows"), Fault::delayed(200).times(1));
    m_service->setActiveStreamId(QStringLiteral("stream-1"));
    auto first = m_service->startShow(QStringLiteral("A"), QStringLiteral("realtime"));
    runSync(m_service->startShow(QStringLiteral("B"), QStringLiteral("realtime")));
    runSync(std::move(first));

    EXPECT_FALSE(m_service->activeShowId().isEmpty());
    EXPECT_EQ(requestCount(QStringLiteral("POST"), QStringLiteral("/api/shows")), 1);
    EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 1);
}

TEST_F(ShowSync, AFailedLiveShowLookupIsRetriedThenReportedWithoutCreatingAShow)
{
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows"), Fault::status(500));
    start();
    EXPECT_TRUE(m_service->activeShowId().isEmpty());
    EXPECT_FALSE(m_service->isSyncing());
    EXPECT_EQ(m_service->syncError(), QStringLiteral("Failed to check for existing shows: HTTP 500"));
    EXPECT_EQ(requestCount(QStringLiteral("GET"), QStringLiteral("/api/shows")), 3);
    EXPECT_EQ(requestCount(QStringLiteral("POST"), QStringLiteral("/api/shows")), 0);

    // One failure only: the second look-up answers and one show is made.
    m_backend.clearFaults();
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows"), Fault::status(503).times(1));
    start();
    EXPECT_FALSE(m_service->activeShowId().isEmpty());
    EXPECT_TRUE(m_service->syncError().isEmpty());
    EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 1);
}

TEST_F(ShowSync, CreateAndStatusFailuresAreReported)
{
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::status(500).times(1));
    start();
    EXPECT_TRUE(m_service->activeShowId().isEmpty());
    EXPECT_FALSE(m_service->isSyncing());
    EXPECT_EQ(m_service->syncError(), QStringLiteral("Failed to create show: HTTP 500"));

    // Created but not set live: the id stays so captures still reach that show.
    m_backend.setFault(QStringLiteral("PATCH"), QStringLiteral("/api/shows/*"), Fault::status(502).times(1));
    start();
    EXPECT_FALSE(m_service->activeShowId().isEmpty());
    EXPECT_FALSE(m_service->isSyncing());
    EXPECT_EQ(m_service->syncError(), QStringLiteral("Failed to create show: HTTP 502"));
    m_service->syncAuctions({auctionOf(1)});
    ASSERT_TRUE(uploadsSettled(*m_service));
    EXPECT_EQ(m_backend.auctions(m_service->activeShowId()).size(), 1);
}

TEST_F(ShowSync, AStartWhoseAnswerCameTooLateIsTakenOverByTheNextStartNotMadeTwice)
{
    // Shows the next start must leave alone: a draft of the same title and label mode
    // made before, and another stream's live show of that title.
    StandinShow earlier;
    earlier.userId = QStringLiteral("u1");
    earlier.title = QStringLiteral("Friday cards");
    earlier.labelMode = QStringLiteral("grouped");
    const QString earlierDraft = m_backend.addShow(earlier);
    earlier.status = QStringLiteral("live");
    const QString otherStreams = m_backend.addShow(earlier);

    // The backend makes the show, but its answer comes only after the client gave up.
    m_client->setDeadline(std::chrono::milliseconds(1500));
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::held().times(1));
    start();
    EXPECT_TRUE(m_service->activeShowId().isEmpty());
    EXPECT_FALSE(m_service->isSyncing());
    EXPECT_EQ(m_service->syncError(), QStringLiteral("Failed to create show: The backend's answer to POST "
                                                     "api/shows was not complete within 1.5 seconds."));
    ASSERT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 3);

    start();
    const QString id = m_service->activeShowId();
    EXPECT_TRUE(m_service->syncError().isEmpty()) << m_service->syncError();
    EXPECT_TRUE(m_service->isSyncing());
    EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 3);
    EXPECT_EQ(requestCount(QStringLiteral("POST"), QStringLiteral("/api/shows")), 1);
    EXPECT_NE(id, earlierDraft);
    EXPECT_NE(id, otherStreams);
    EXPECT_EQ(statusOf(id), QStringLiteral("live"));
    EXPECT_EQ(statusOf(earlierDraft), QStringLiteral("draft"));
    EXPECT_EQ(statusOf(otherStreams), QStringLiteral("live"));
    EXPECT_TRUE(m_settings->boolValue(QStringLiteral("u1_has_started_live_show")));

    // Taken over once: the show after it is a new one.
    runSync(m_service->endShow());
    start();
    EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 4);
    EXPECT_EQ(statusOf(m_service->activeShowId()), QStringLiteral("live"));
    m_backend.releaseHeld();
}

TEST_F(ShowSync, ALateCreateTakesOverItsOwnDraftNotTheOneAnotherComputerMadeSince)
{
    // The backend makes the show, but the connection closes before its answer arrives.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::dropAfterHandling());
    start();
    m_backend.clearFaults();
    ASSERT_TRUE(m_service->activeShowId().isEmpty());
    const QList<StandinShow> made = m_backend.shows(QStringLiteral("u1"));
    ASSERT_EQ(made.size(), 1);
    const QString own = made.first().id;

    // Meanwhile the seller's other computer makes a draft of the same title and label mode.
    StandinShow elsewhere;
    elsewhere.userId = QStringLiteral("u1");
    elsewhere.title = QStringLiteral("Friday cards");
    elsewhere.labelMode = QStringLiteral("grouped");
    elsewhere.createdAt = QDateTime::fromString(made.first().createdAt, Qt::ISODateWithMs)
                              .addSecs(60)
                              .toString(Qt::ISODateWithMs);
    const QString other = m_backend.addShow(elsewhere);

    start();
    EXPECT_EQ(m_service->activeShowId(), own);
    EXPECT_EQ(statusOf(own), QStringLiteral("live"));
    EXPECT_EQ(statusOf(other), QStringLiteral("draft"));
    EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 2);
}

TEST_F(ShowSync, EachAuctionIsUploadedOnceAcrossRepeatedLists)
{
    // Nothing is remembered before a show is active.
    m_service->syncAuctions(auctionsUpTo(2));
    EXPECT_TRUE(m_service->syncedAuctionKeys().isEmpty());
    start();
    const QString showId = m_service->activeShowId();

    QList<AuctionUpload> list = auctionsUpTo(2);
    list.append(auctionOf(2)); // the same capture twice in one list
    AuctionUpload cheap = auctionOf(3, "0.5");
    cheap.auctionNumber.reset();
    cheap.rawTitle.reset();
    list.append(cheap);
    m_service->syncAuctions(list);
    m_service->syncAuctions(list);
    list.append(auctionOf(4, "100"));
    m_service->syncAuctions(list);
    ASSERT_TRUE(uploadsSettled(*m_service));

    EXPECT_EQ(requestCount(QStringLiteral("POST"), QStringLiteral("/api/shows/") + showId), 4);
    const auto stored = m_backend.auctions(showId);
    ASSERT_EQ(stored.size(), 4);
    EXPECT_EQ(stored.at(2).salePrice, QStringLiteral("0.5"));
    EXPECT_FALSE(stored.at(2).auctionNumber);
    EXPECT_FALSE(stored.at(2).rawTitle);
    EXPECT_EQ(stored.at(3).salePrice, QStringLiteral("100"));
    EXPECT_EQ(stored.at(0).source, QStringLiteral("sync"));
    EXPECT_EQ(stored.at(0).rawTitle, QStringLiteral("Card #1"));
    EXPECT_EQ(m_service->syncedAuctionKeys().size(), 4);

    // Auctions restored from the backend are never sent again.
    m_service->addSyncedAuctionKeys({QStringLiteral("cap-5")});
    list.append(auctionOf(5));
    m_service->syncAuctions(list);
    ASSERT_TRUE(uploadsSettled(*m_service));
    EXPECT_EQ(m_backend.auctions(showId).size(), 4);
}

TEST_F(ShowSync, AFlakyBackendLosesAndDuplicatesNothingOverAFiveHundredAuctionShow)
{
    start();
    const QString showId = m_service->activeShowId();
    const QString auctionsPath = QStringLiteral("/api/shows/") + showId + QStringLiteral("/auctions");

    // Every third upload fails: alternately an error answer and a dropped connection.
    int successes = 0;
    int failures = 0;
    QObject::connect(m_service.get(), &ShowSyncService::pendingUploadCountChanged, m_service.get(), [&] {
        if (++successes % 2 != 0)
            return;
        const bool drop = (++failures % 2) == 0;
        m_backend.setFault(QStringLiteral("POST"), auctionsPath,
                           drop ? Fault::dropConnection().times(1) : Fault::status(503).times(1));
    });

    const QList<AuctionUpload> all = auctionsUpTo(500);
    for (int shown = 50; shown <= 500; shown += 50) {
        m_service->syncAuctions(all.mid(0, shown));
        QTest::qWait(1); // captures arrive while uploads run
    }
    runSync(m_service->endShow());
    m_backend.clearFaults();

    EXPECT_TRUE(m_service->syncError().isEmpty()) << m_service->syncError();
    EXPECT_EQ(statusOf(showId), QStringLiteral("completed"));
    EXPECT_EQ(m_service->pendingUploadCount(), 0);
    const auto stored = m_backend.auctions(showId);
    ASSERT_EQ(stored.size(), 500);
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(stored.at(i).auctionNumber, i + 1);

    // Uploads go one after another, so a repeat right after a failure is a retry;
    // any number seen again later would be a duplicate.
    QList<qint64> sequence;
    for (const auto &request : m_backend.requests()) {
        if (request.method != QStringLiteral("POST") || request.path != auctionsPath)
            continue;
        const qint64 number =
            QJsonDocument::fromJson(request.body)[QStringLiteral("auctionNumber")].toInteger();
        if (sequence.isEmpty() || sequence.last() != number)
            sequence.append(number);
    }
    ASSERT_EQ(sequence.size(), 500);
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(sequence.at(i), i + 1);
    EXPECT_GT(failures, 100);
    EXPECT_FALSE(m_sleeper.sleeps().isEmpty());
}

TEST_F(ShowSync, EndingWaitsForPendingUploadsAndKeepsTheShowWhenItCannot)
{
    start();
    const QString showId = m_service->activeShowId();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), Fault::status(500));
    m_service->syncAuctions(auctionsUpTo(3));
    runSync(m_service->endShow());

    EXPECT_EQ(m_service->syncError(),
              QStringLiteral("Failed to end show: 3 auction(s) could not be uploaded: HTTP 500"));
    EXPECT_EQ(m_service->activeShowId(), showId);
    EXPECT_EQ(statusOf(showId), QStringLiteral("live"));
    EXPECT_EQ(m_service->pendingUploadCount(), 3);

    // The status change fails next: still nothing is forgotten.
    m_backend.clearFaults();
    m_backend.setFault(QStringLiteral("PATCH"), QStringLiteral("/api/shows/*"), Fault::status(500));
    runSync(m_service->endShow());
    EXPECT_EQ(m_service->syncError(), QStringLiteral("Failed to end show: HTTP 500"));
    EXPECT_EQ(m_service->activeShowId(), showId);
    EXPECT_EQ(m_backend.auctions(showId).size(), 3);

    m_backend.clearFaults();
    runSync(m_service->endShow());
    EXPECT_TRUE(m_service->syncError().isEmpty());
    EXPECT_TRUE(m_service->activeShowId().isEmpty());
    EXPECT_TRUE(m_service->activeStreamId().isEmpty());
    EXPECT_FALSE(m_service->isSyncing());
    EXPECT_TRUE(m_service->syncedAuctionKeys().isEmpty());
    EXPECT_EQ(statusOf(showId), QStringLiteral("completed"));
    EXPECT_FALSE(m_settings->contains(QString::fromLatin1(ShowSyncService::kStreamIdKey)));

    // The next show starts empty; the old auctions stay with the old show.
    start(QStringLiteral("stream-2"));
    EXPECT_NE(m_service->activeShowId(), showId);
    EXPECT_TRUE(m_backend.auctions(m_service->activeShowId()).isEmpty());
    EXPECT_EQ(m_backend.auctions(showId).size(), 3);
}

TEST_F(ShowSync, PendingUploadsSurviveARestartAndGoOutOnResume)
{
    start();
    const QString showId = m_service->activeShowId();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), Fault::status(500));
    m_service->syncAuctions(auctionsUpTo(3));
    ASSERT_TRUE(
        eventually([&] { return requestCount(QStringLiteral("POST"), QStringLiteral("/api/shows/")) >= 2; }));
    m_service.reset(); // the application quits mid-show
    // A retry already on the wire still lands before the next start, as it would have then.
    ASSERT_TRUE(eventually([&] { return m_client->requestsInFlight() == 0; }));
    m_backend.clearFaults();

    m_service = makeService();
    EXPECT_TRUE(m_service->activeStreamId().isEmpty()); // not read at construction
    EXPECT_TRUE(runSync(m_service->resumeActiveShow()));
    EXPECT_EQ(m_service->activeShowId(), showId);
    EXPECT_EQ(m_service->activeStreamId(), QStringLiteral("stream-1"));
    EXPECT_TRUE(m_service->isSyncing());
    ASSERT_TRUE(uploadsSettled(*m_service));
    EXPECT_EQ(m_backend.auctions(showId).size(), 3);

    // The restored captures are known to be on their way: listing them again sends nothing.
    m_backend.clearRequests();
    m_service->syncAuctions(auctionsUpTo(3));
    ASSERT_TRUE(uploadsSettled(*m_service));
    EXPECT_EQ(requestCount(QStringLiteral("POST"), QStringLiteral("/api/shows/")), 0);
}

TEST_F(ShowSync, UploadsThatGoOutWhileTheShowIsLookedUpAreNotPostedAgain)
{
    start();
    const QString showId = m_service->activeShowId();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), Fault::status(500));
    m_service->syncAuctions(auctionsUpTo(2));
    ASSERT_TRUE(
        eventually([&] { return requestCount(QStringLiteral("POST"), QStringLiteral("/api/shows/")) >= 1; }));
    m_service.reset();
    ASSERT_TRUE(eventually([&] { return m_client->requestsInFlight() == 0; }));
    m_backend.clearFaults();

    // The live-show lookup is held while the restored uploads go out.
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows*"), Fault::held().times(1));
    m_service = makeService();
    auto resumed = m_service->resumeActiveShow();
    ASSERT_TRUE(uploadsSettled(*m_service));
    ASSERT_EQ(m_backend.auctions(showId).size(), 2);
    m_backend.releaseHeld();
    ASSERT_TRUE(eventually([&] { return m_service->activeShowId() == showId; }));

    m_backend.clearRequests();
    m_service->syncAuctions(auctionsUpTo(2));
    ASSERT_TRUE(uploadsSettled(*m_service));
    EXPECT_EQ(requestCount(QStringLiteral("POST"), QStringLiteral("/api/shows/")), 0);
}

TEST_F(ShowSync, ResumeAdoptsOnlyThisStreamsShowThatIsStillLive)
{
    // No client, no show: no request.
    ShowSyncService detached(*m_settings, m_sleeper);
    EXPECT_FALSE(runSync(detached.resumeActiveShow()));

    // Nothing of ours to pick up: a foreign live show stays foreign.
    liveShow(QStringLiteral("other"));
    m_backend.clearRequests();
    EXPECT_FALSE(runSync(m_service->resumeActiveShow()));
    EXPECT_TRUE(m_service->activeShowId().isEmpty());

    start();
    const QString showId = m_service->activeShowId();
    m_backend.clearRequests();
    EXPECT_TRUE(runSync(m_service->resumeActiveShow())); // active already: no request
    EXPECT_EQ(m_backend.requests().size(), 0);

    // The show was ended elsewhere: the restored stream id stays, the show is not adopted.
    m_service.reset();
    m_service = makeService();
    runSync(m_client->updateShowStatus(showId, QStringLiteral("completed")));
    EXPECT_FALSE(runSync(m_service->resumeActiveShow()));
    EXPECT_TRUE(m_service->activeShowId().isEmpty());
    EXPECT_EQ(m_service->activeStreamId(), QStringLiteral("stream-1"));
}

TEST_F(ShowSync, ResetLeavesTheShowButItsUploadsStillReachIt)
{
    start();
    const QString showId = m_service->activeShowId();
    m_service->syncAuctions(auctionsUpTo(3));
    m_service->reset();
    EXPECT_TRUE(m_service->activeShowId().isEmpty());
    EXPECT_TRUE(m_service->activeStreamId().isEmpty());
    EXPECT_FALSE(m_service->isSyncing());
    EXPECT_TRUE(m_service->syncedAuctionKeys().isEmpty());
    ASSERT_TRUE(uploadsSettled(*m_service));
    EXPECT_EQ(m_backend.auctions(showId).size(), 3);
}

TEST_F(ShowSync, ARefusedUploadIsKeptAndTriedAgainWithTheNextList)
{
    start();
    const QString showId = m_service->activeShowId();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), Fault::status(404).times(1));
    m_service->syncAuctions(auctionsUpTo(2));
    ASSERT_TRUE(eventually([&] { return !m_service->isUploading(); }));
    EXPECT_EQ(m_service->pendingUploadCount(), 1);
    EXPECT_EQ(m_backend.auctions(showId).size(), 1);

    m_service->syncAuctions(auctionsUpTo(2));
    ASSERT_TRUE(uploadsSettled(*m_service));
    EXPECT_EQ(m_backend.auctions(showId).size(), 2);
}

} // namespace
