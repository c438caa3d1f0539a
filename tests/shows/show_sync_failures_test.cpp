// What the show synchroniser does when things go wrong that the backend did not
// cause: an unexpected exception mid-upload, a damaged pending file.
#include "backend/show_sync_service.h"
#include "common/paths.h"
#include "fake_sleeper.h"
#include "log_capture.h"
#include "run_sync.h"
#include "shows_fixture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <new>

using namespace quill;
using quill::standin::Fault;
using quill::standin::StandinShow;
using quill::testing::FakeSleeper;
using quill::testing::eventually;
using quill::testing::LogCapture;
using quill::testing::readAll;
using quill::testing::runSync;
using quill::testing::writeAll;

namespace {

AuctionUpload plainAuctionOf(int number)
{
    AuctionUpload auction;
    auction.id = QStringLiteral("cap-%1").arg(number);
    auction.winnerUsername = QStringLiteral("buyer%1").arg(number);
    auction.salePrice = *Decimal::fromString(QStringLiteral("12.5"));
    auction.auctionNumber = number;
    return auction;
}

QJsonObject entryOf(const QString &showId, int number)
{
    return QJsonObject{{QStringLiteral("showId"), showId},
                       {QStringLiteral("id"), QStringLiteral("cap-%1").arg(number)},
                       {QStringLiteral("winnerUsername"), QStringLiteral("buyer%1").arg(number)},
                       {QStringLiteral("salePrice"), QStringLiteral("12.5")}};
}

class ShowSyncFailures : public quill::testing::ShowsFixture
{
protected:
    std::unique_ptr<ShowSyncService> makeService(Sleeper &sleeper)
    {
        auto service = std::make_unique<ShowSyncService>(*m_settings, sleeper);
        service->setApi(m_client.get());
        return service;
    }

    QString liveShow()
    {
        StandinShow show;
        show.userId = QStringLiteral("u1");
        show.title = QStringLiteral("Friday cards");
        show.status = QStringLiteral("live");
        return m_backend.addShow(show);
    }

    static QString pendingPath()
    {
        return paths::dataFile(QString::fromLatin1(ShowSyncService::kPendingFileName));
    }

    bool settled(ShowSyncService &service) const
    {
        return eventually([&] { return service.pendingUploadCount() == 0 && !service.isUploading(); });
    }

    FakeSleeper m_sleeper;
};

TEST_F(ShowSyncFailures, AnUnexpectedErrorInTheUploadLoopKeepsTheAuctionForTheNextListResumeOrEnd)
{
    enum class Trigger
    {
        list,
        resume,
        end
    };
    const struct
    {
        const char *name;
        Trigger trigger;
    } cases[] = {{"the next list", Trigger::list}, {"a resume", Trigger::resume}, {"the end", Trigger::end}};

    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeSleeper sleeper; // its first pause fails the way an allocation deep inside could
        sleeper.failNext(std::make_exception_ptr(std::bad_alloc()));
        auto service = makeService(sleeper);
        service->setActiveStreamId(QStringLiteral("stream-%1").arg(int(c.trigger)));
        runSync(service->startShow(QStringLiteral("Friday cards"), QStringLiteral("grouped")));
        const QString showId = service->activeShowId();
        ASSERT_FALSE(showId.isEmpty());

        // The first upload fails, and the pause before the retry throws.
        m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"),
                           Fault::status(500).times(1));
        LogCapture log;
        service->syncAuctions({plainAuctionOf(1)});
        ASSERT_TRUE(eventually([&] { return !service->isUploading(); }));
        EXPECT_EQ(service->pendingUploadCount(), 1);
        EXPECT_TRUE(m_backend.auctions(showId).isEmpty());
        EXPECT_EQ(log.matching(QStringLiteral("app.quillmark.Quillmark.ShowSync"), QtCriticalMsg,
                               QStringLiteral("std::bad_alloc"))
                      .size(),
                  1);

        switch (c.trigger) {
        case Trigger::list:
            service->syncAuctions({plainAuctionOf(1)});
            break;
        case Trigger::resume:
            EXPECT_TRUE(runSync(service->resumeActiveShow()));
            break;
        case Trigger::end:
            runSync(service->endShow());
            EXPECT_TRUE(service->syncError().isEmpty()) << service->syncError().toStdString();
            EXPECT_EQ(m_backend.show(showId).value_or(StandinShow{}).status, QStringLiteral("completed"));
            break;
        }
        ASSERT_TRUE(settled(*service));
        EXPECT_EQ(m_backend.auctions(showId).size(), 1);
    }
}

TEST_F(ShowSyncFailures, OnlyTheDamagedEntriesOfThePendingFileAreSetAsideAndTheRestUpload)
{
    const QString showId = liveShow();
    const struct
    {
        const char *name;
        QJsonValue bad;
        const char *problem;
    } cases[] = {
        {"not an object", QJsonValue(QStringLiteral("cap-9")), "not an object"},
        {"no winner",
         QJsonObject{{QStringLiteral("showId"), showId},
                     {QStringLiteral("id"), QStringLiteral("cap-9")},
                     {QStringLiteral("salePrice"), QStringLiteral("1")}},
         "winnerUsername"},
        {"a price with a comma",
         [&] {
             QJsonObject entry = entryOf(showId, 9);
             entry.insert(QStringLiteral("salePrice"), QStringLiteral("12,50"));
             return QJsonValue(entry);
         }(),
         "12,50"},
        {"a numeric show id",
         [&] {
             QJsonObject entry = entryOf(showId, 9);
             entry.insert(QStringLiteral("showId"), 7);
             return QJsonValue(entry);
         }(),
         "showId"},
    };
    int round = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ++round;
        const int first = round * 10 + 1;
        const int second = round * 10 + 2;
        const QJsonArray uploads{entryOf(showId, first), c.bad, entryOf(showId, second)};
        writeAll(pendingPath(), QJsonDocument(QJsonObject{{QStringLiteral("uploads"), uploads}}).toJson());
        const qsizetype before = m_backend.auctions(showId).size();

        auto service = makeService(m_sleeper);
        EXPECT_FALSE(runSync(service->resumeActiveShow()));
        ASSERT_TRUE(settled(*service));
        const auto stored = m_backend.auctions(showId);
        ASSERT_EQ(stored.size(), before + 2);
        EXPECT_EQ(stored.at(before).winnerUsername, QStringLiteral("buyer%1").arg(first));
        EXPECT_EQ(stored.at(before + 1).winnerUsername, QStringLiteral("buyer%1").arg(second));

        // The damaged entry is kept on its own, and the screen is told where.
        const QString aside = round == 1 ? pendingPath() + QStringLiteral(".unreadable")
                                         : pendingPath() + QStringLiteral(".unreadable.%1").arg(round);
        const QJsonObject kept = QJsonDocument::fromJson(readAll(aside)).object();
        EXPECT_EQ(kept.value(QStringLiteral("uploads")).toArray(), QJsonArray{c.bad});
        EXPECT_TRUE(service->syncError().contains(QStringLiteral("1 pending auction(s) could not be read")))
            << service->syncError().toStdString();
        EXPECT_TRUE(service->syncError().contains(aside)) << service->syncError().toStdString();
        EXPECT_TRUE(service->syncError().contains(QString::fromLatin1(c.problem)))
            << service->syncError().toStdString();
        // Nothing damaged is left to be read again.
        const QJsonObject remaining = QJsonDocument::fromJson(readAll(pendingPath())).object();
        EXPECT_TRUE(remaining.value(QStringLiteral("uploads")).toArray().isEmpty());
    }
}

TEST_F(ShowSyncFailures, SetAsideCopiesNeverReplaceEachOther)
{
    const QByteArray contents[] = {"not json at all", R"({"uploads": 3})", "[]"};
    for (const QByteArray &content : contents) {
        writeAll(pendingPath(), content);
        auto service = makeService(m_sleeper);
        runSync(service->resumeActiveShow());
        EXPECT_TRUE(service->syncError().startsWith(QStringLiteral("Pending auctions could not be read")))
            << service->syncError().toStdString();
        EXPECT_FALSE(QFile::exists(pendingPath()));
    }
    EXPECT_EQ(readAll(pendingPath() + QStringLiteral(".unreadable")), contents[0]);
    EXPECT_EQ(readAll(pendingPath() + QStringLiteral(".unreadable.2")), contents[1]);
    EXPECT_EQ(readAll(pendingPath() + QStringLiteral(".unreadable.3")), contents[2]);
}

TEST_F(ShowSyncFailures, TheSetAsideNoticeStaysOnScreenThroughTheNextStart)
{
    writeAll(pendingPath(), "{\"uploads\": [");
    auto service = makeService(m_sleeper);
    EXPECT_FALSE(runSync(service->resumeActiveShow()));
    const QString notice = service->syncError();
    EXPECT_TRUE(notice.contains(QStringLiteral(".unreadable"))) << notice.toStdString();

    service->setActiveStreamId(QStringLiteral("stream-1"));
    runSync(service->startShow(QStringLiteral("Friday cards"), QStringLiteral("grouped")));
    ASSERT_FALSE(service->activeShowId().isEmpty());
    EXPECT_EQ(service->syncError(), notice);

    // A show that ends well has had the notice in view for its whole run.
    runSync(service->endShow());
    EXPECT_TRUE(service->syncError().isEmpty()) << service->syncError().toStdString();
}

} // namespace
