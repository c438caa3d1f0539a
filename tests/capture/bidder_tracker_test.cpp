// The bidder tracker's mirror of the page's bid store, against a fake page.
#include "capture/bidder_tracker.h"
#include "capture/page_scripts.h"
#include "common/logging.h"
#include "run_sync.h"
#include "script_host_fakes.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using namespace quill;
using namespace quill::testing;
using namespace std::chrono_literals;

namespace {

QString storeAnswer(const QString &biddersJson)
{
    return QStringLiteral(R"({"count":0,"bidders":[%1]})").arg(biddersJson);
}

QString bidder(const QString &name, int count, const QString &highest = {}, double lastSeen = 1000)
{
    return QStringLiteral(R"({"username":"%1","bidCount":%2,"highestBid":%3,"avatarURL":null,"lastSeenAt":%4})")
        .arg(name)
        .arg(count)
        .arg(highest.isEmpty() ? QStringLiteral("null") : '"' + highest + '"')
        .arg(lastSeen, 0, 'f', 3);
}

QStringList names(const BidderTracker &tracker)
{
    QStringList out;
    for (const auto &b : tracker.capturedBidders())
        out.append(b.username);
    return out;
}

class BidderTrackerTest : public ::testing::Test
{
protected:
    FakeSleeper m_sleeper;
    BidderTracker m_tracker{m_sleeper};
    ScriptedHost m_host;
};

class BidderTrackerTiming : public ::testing::Test
{
protected:
    HeldSleeper m_sleeper;
    std::unique_ptr<BidderTracker> m_tracker = std::make_unique<BidderTracker>(m_sleeper);
    ScriptedHost m_host;

    void TearDown() override
    {
        m_tracker.reset();
        m_sleeper.releaseAll();
    }
};

} // namespace

TEST_F(BidderTrackerTest, StoreIsMirroredByBidCountKeepingThePageOrderForTies)
{
    QSignalSpy changes(&m_tracker, &BidderTracker::capturedBiddersChanged);
    const QString answer = storeAnswer(bidder("ann", 1) + ',' + bidder("bob", 3, "25") + ',' + bidder("cy", 1) +
                                       ',' + bidder("dee", 3, "1x") + ',' + bidder("eve", 2, "0.50", 500.5));
    m_tracker.processBidderJSON(answer);
    EXPECT_EQ(names(m_tracker), QStringList({"bob", "dee", "eve", "ann", "cy"}));
    const auto &list = m_tracker.capturedBidders();
    EXPECT_EQ(list[0].id, "bob");
    EXPECT_EQ(list[0].highestBid, Decimal(25));
    EXPECT_FALSE(list[1].highestBid); // "1x" does not read
    EXPECT_EQ(list[2].highestBid, Decimal::fromString(u"0.5"));
    EXPECT_EQ(list[2].lastSeenAt.time_since_epoch(), std::chrono::nanoseconds(500'500'000));

    m_tracker.processBidderJSON(answer); // the same store again: nobody is told
    m_tracker.processBidderJSON("{broken");
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(list.size(), 5);

    m_tracker.processBidderJSON(storeAnswer({}));
    EXPECT_TRUE(m_tracker.capturedBidders().isEmpty());
}

TEST_F(BidderTrackerTest, StartInstallsTheRecorderAndReportsAFailure)
{
    LogCapture log(lcBidderTracker().categoryName());
    m_host.respond = [](const QString &) -> QJsonValue {
        return QStringLiteral(R"({"installed":true,"alreadyRunning":false})");
    };
    runSync(m_tracker.start(m_host));
    EXPECT_EQ(m_host.calls(), QStringList({PageScripts::bidObserver()}));
    EXPECT_EQ(log.messages(), QStringList({R"(Bid observer installed: {"installed":true,"alreadyRunning":false})"}));
    EXPECT_FALSE(m_tracker.error());
    EXPECT_FALSE(m_tracker.isTracking());

    m_host.respond = [](const QString &) -> QJsonValue {
        throw PageScriptError(PageScriptError::Kind::scriptException, "TypeError: boom");
    };
    runSync(m_tracker.start(m_host));
    // Tried again after each pause; the seller reads a sentence, the log the page's text.
    EXPECT_EQ(m_host.calls().size(), 1 + 5);
    EXPECT_EQ(m_sleeper.sleeps(), (QList<std::chrono::milliseconds>{500ms, 1s, 2s, 4s}));
    EXPECT_EQ(m_tracker.error(), BidderTracker::kNotInstalledNotice);
    EXPECT_EQ(log.messages().last(), "Failed to install bid observer: TypeError: boom");
}

TEST_F(BidderTrackerTest, AnInstallOnAPageWithoutBodyIsTriedAgainUntilItTakes)
{
    LogCapture log(lcBidderTracker().categoryName());
    int attempts = 0;
    m_host.respond = [&](const QString &) -> QJsonValue {
        if (++attempts < 3)
            throw PageScriptError(PageScriptError::Kind::scriptException, "Error: The page has no body to watch yet");
        return QStringLiteral(R"({"installed":true,"alreadyRunning":false})");
    };
    QSignalSpy errors(&m_tracker, &BidderTracker::errorChanged);
    runSync(m_tracker.start(m_host));
    EXPECT_EQ(attempts, 3);
    EXPECT_EQ(m_sleeper.sleeps(), (QList<std::chrono::milliseconds>{500ms, 1s}));
    EXPECT_FALSE(m_tracker.error());
    ASSERT_EQ(errors.count(), 2); // the sentence while it waited, then cleared
    EXPECT_EQ(errors.first().first().value<std::optional<QString>>(), BidderTracker::kNotInstalledNotice);
    EXPECT_TRUE(log.messages().contains("Failed to install bid observer: Error: The page has no body to watch yet"));
}

TEST_F(BidderTrackerTest, AReadOfAReloadedPageInstallsAgainAndKeepsTheCountsFromBefore)
{
    // Reads: the first page's store, then the reloaded page without a recorder (the
    // first reinstall fails), then the new page's own store.
    QStringList answers{
        storeAnswer(bidder("bob", 3, "25") + ',' + bidder("ann", 1)),
        QStringLiteral(R"({"installed":false,"count":0,"bidders":[]})"),
        QStringLiteral(R"({"installed":false,"count":0,"bidders":[]})"),
        storeAnswer(bidder("ann", 4, "9") + ',' + bidder("cy", 1)),
    };
    int installs = 0;
    m_host.respond = [&](const QString &script) -> QJsonValue {
        if (script == PageScripts::bidObserver()) {
            if (++installs == 1)
                throw PageScriptError(PageScriptError::Kind::scriptException, "Error: The page has no body to watch yet");
            return QStringLiteral(R"({"installed":true,"alreadyRunning":false})");
        }
        if (answers.isEmpty())
            throw PageScriptError(PageScriptError::Kind::timedOut, "No answer within 5 s");
        return answers.takeFirst();
    };
    QList<QStringList> lists;
    QList<std::optional<QString>> errors;
    QObject::connect(&m_tracker, &BidderTracker::capturedBiddersChanged, [&] { lists.append(names(m_tracker)); });
    QObject::connect(&m_tracker, &BidderTracker::errorChanged, [&](const std::optional<QString> &e) { errors.append(e); });
    m_tracker.toggleTracking(m_host);

    EXPECT_EQ(installs, 2);
    // The list never empties across the reload; ann's bids add up, bob's stay.
    EXPECT_EQ(lists, (QList<QStringList>{{"bob", "ann"}, {"ann", "bob", "cy"}}));
    EXPECT_EQ(errors.mid(0, 2), (QList<std::optional<QString>>{BidderTracker::kNotInstalledNotice, std::nullopt}));
    EXPECT_EQ(m_tracker.capturedBidders()[0].bidCount, 5);
    EXPECT_EQ(m_tracker.capturedBidders()[0].highestBid, Decimal(9));
    EXPECT_EQ(m_tracker.capturedBidders()[1].highestBid, Decimal(25));

    m_tracker.reset(); // a new show starts from nothing
    answers = {storeAnswer(bidder("dee", 1))};
    m_tracker.toggleTracking(m_host);
    EXPECT_EQ(names(m_tracker), QStringList({"dee"}));
}

TEST_F(BidderTrackerTest, AFailedReadEndsTrackingWithoutRetry)
{
    int reads = 0;
    m_host.respond = [&](const QString &) -> QJsonValue {
        if (++reads < 3)
            return storeAnswer(bidder("bob", reads));
        throw PageScriptError(PageScriptError::Kind::timedOut, "No answer within 5 s");
    };
    m_tracker.toggleTracking(m_host);
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(m_sleeper.sleeps(), (QList<std::chrono::milliseconds>{3s, 3s}));
    EXPECT_FALSE(m_tracker.isTracking());
    EXPECT_EQ(m_tracker.error(), "Bidder poll failed: No answer within 5 s");
    EXPECT_EQ(names(m_tracker), QStringList({"bob"})); // the last good read stays

    m_tracker.reset();
    EXPECT_FALSE(m_tracker.error());
    EXPECT_TRUE(m_tracker.capturedBidders().isEmpty());
}

TEST_F(BidderTrackerTiming, SwitchingOffAndOnWithinAPauseLeavesOneLoop)
{
    m_host.respond = [](const QString &) -> QJsonValue { return storeAnswer(bidder("bob", 1)); };
    m_tracker->toggleTracking(m_host);
    m_tracker->toggleTracking(m_host);
    m_tracker->toggleTracking(m_host);
    EXPECT_EQ(m_sleeper.heldCount(), 2);
    m_sleeper.releaseAll();
    EXPECT_EQ(m_sleeper.heldCount(), 1);
    m_sleeper.releaseAll();
    EXPECT_EQ(m_sleeper.heldCount(), 1);
    EXPECT_EQ(m_host.calls().size(), 4);
}

TEST_F(BidderTrackerTiming, AReadArrivingAfterResetIsDroppedAndTheStoreComesBackWhenSwitchedOn)
{
    PendingHost host;
    m_tracker->toggleTracking(host);
    m_tracker->reset();
    host.answerOldest(storeAnswer(bidder("bob", 2)));
    EXPECT_TRUE(m_tracker->capturedBidders().isEmpty());
    EXPECT_EQ(m_sleeper.heldCount(), 0);

    m_tracker->toggleTracking(host);
    host.answerOldest(storeAnswer(bidder("bob", 2)));
    EXPECT_EQ(names(*m_tracker), QStringList({"bob"}));
}

TEST_F(BidderTrackerTiming, AnInstallFailingAfterResetLeavesTheNewShowWithoutError)
{
    PendingHost host;
    auto install = m_tracker->start(host);
    m_tracker->reset();
    host.failOldest();
    EXPECT_FALSE(m_tracker->error());
    EXPECT_EQ(m_sleeper.heldCount(), 0); // and it is not tried again
}
