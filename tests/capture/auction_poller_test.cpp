// The auction poller's ingest rules and its poll loop, against a fake page and
// pauses that take no time.
#include "capture/auction_poller.h"
#include "capture/page_scripts.h"
#include "common/logging.h"
#include "script_host_fakes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using namespace quill;
using namespace quill::testing;
using namespace std::chrono_literals;

namespace {

QJsonObject win(const QString &user, const QString &price, std::optional<qint64> number = std::nullopt,
                const QString &title = {})
{
    QJsonObject o{{"winnerUsername", user}, {"salePrice", price}};
    o.insert("auctionNumber", number ? QJsonValue(*number) : QJsonValue());
    o.insert("rawTitle", title.isEmpty() ? QJsonValue() : QJsonValue(title));
    o.insert("avatarURL", QJsonValue());
    return o;
}

QString answer(const QString &listKey, const QList<QJsonObject> &auctions)
{
    QJsonArray list;
    for (const auto &a : auctions)
        list.append(a);
    const QJsonObject o{{"url", "https://market.test/live/s1"}, {"count", list.size()}, {listKey, list}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QString winScanAnswer(const QList<QJsonObject> &auctions)
{
    return answer("results", auctions);
}

ServerAuction serverAuction(const QString &user, const QString &price, std::optional<qint64> number)
{
    ServerAuction s;
    s.id = "srv-" + user;
    s.showId = "show-1";
    s.winnerUsername = user;
    s.salePrice = price;
    s.auctionNumber = number;
    s.rawTitle = "Restored " + user;
    s.createdAt = "2020-01-01T00:00:00Z";
    return s;
}

QStringList capturedIds(const AuctionPoller &poller)
{
    QStringList out;
    for (const auto &a : poller.capturedAuctions())
        out.append(a.id);
    return out;
}

PageScriptError pageFailure(const QString &text = QStringLiteral("Render process gone"))
{
    return PageScriptError(PageScriptError::Kind::rendererCrashed, text);
}

class AuctionPollerIngest : public ::testing::Test
{
protected:
    FakeClock m_clock;
    FakeSleeper m_sleeper{&m_clock};
    AuctionPoller m_poller{m_sleeper, m_clock};
};

class AuctionPollerLoop : public ::testing::Test
{
protected:
    FakeClock m_clock;
    FakeSleeper m_sleeper{&m_clock};
    AuctionPoller m_poller{m_sleeper, m_clock};
    ScriptedHost m_host;
};

class AuctionPollerTiming : public ::testing::Test
{
protected:
    FakeClock m_clock;
    HeldSleeper m_sleeper;
    std::unique_ptr<AuctionPoller> m_poller = std::make_unique<AuctionPoller>(m_sleeper, m_clock);
    ScriptedHost m_host;

    void TearDown() override
    {
        m_poller.reset();
        m_sleeper.releaseAll(); // loops of a destroyed poller end without touching it
    }
};

} // namespace

TEST_F(AuctionPollerIngest, NewWinsGoToTheFrontInReverseAnswerOrder)
{
    m_poller.processWinScanJSON(winScanAnswer({win("alice", "30", 12, "Vintage card"), win("bob", "5")}));
    EXPECT_EQ(capturedIds(m_poller), QStringList({"bob-5-0", "alice-30-12"}));
    const CapturedAuction &alice = m_poller.capturedAuctions().at(1);
    EXPECT_EQ(alice.winnerUsername, "alice");
    EXPECT_EQ(alice.salePrice, Decimal(30));
    EXPECT_EQ(alice.auctionNumber, 12);
    EXPECT_EQ(alice.rawTitle, "Vintage card");
    EXPECT_EQ(alice.capturedAt, m_clock.now());
    EXPECT_FALSE(alice.isPrinted);
    EXPECT_FALSE(m_poller.capturedAuctions().at(0).auctionNumber);
    EXPECT_EQ(m_poller.seenKeys(), QSet<QString>({"bob-5-0", "alice-30-12"}));
}

TEST_F(AuctionPollerIngest, OneWinWithTwoPriceSpellingsIsOneCapture)
{
    m_poller.processWinScanJSON(winScanAnswer({win("ann", "12.50", 7)}));
    m_poller.processWinScanJSON(winScanAnswer({win("ann", "12.5", 7)}));
    m_poller.processWinScanJSON(winScanAnswer({win("ann", "12.50", 7), win("ann", "12.5", 7)}));
    EXPECT_EQ(capturedIds(m_poller), QStringList({"ann-12.5-7"}));
    // A win without a number and a win in auction 0 are the same win.
    m_poller.processWinScanJSON(winScanAnswer({win("ann", "3"), win("ann", "3.0", 0)}));
    EXPECT_EQ(capturedIds(m_poller), QStringList({"ann-3-0", "ann-12.5-7"}));
}

TEST_F(AuctionPollerIngest, ARepeatOfAWinWithoutANumberIsAWinOfItsOwn)
{
    const auto repeat = [](QJsonObject auction, qint64 n) {
        auction.insert("repeat", n);
        return auction;
    };
    m_poller.processWinScanJSON(winScanAnswer({win("ann", "5.00", std::nullopt, "Tin")}));
    m_poller.processWinScanJSON(winScanAnswer({repeat(win("ann", "5", std::nullopt, "Tin"), 2)}));
    m_poller.processWinScanJSON(winScanAnswer({repeat(win("ann", "5", std::nullopt, "Tin"), 2)}));
    // With a number the number tells the wins apart: a repeat count is ignored.
    m_poller.processWinScanJSON(winScanAnswer({win("bob", "8", 4), repeat(win("bob", "8", 4), 2)}));
    EXPECT_EQ(capturedIds(m_poller), QStringList({"bob-8-4", "ann-5-0-2", "ann-5-0"}));
}

TEST_F(AuctionPollerIngest, UnreadablePricesAndAnswersAreSkippedAndNotRemembered)
{
    QSignalSpy changes(&m_poller, &AuctionPoller::capturedAuctionsChanged);
    m_poller.processWinScanJSON(winScanAnswer({win("ann", "1,250"), win("bob", "$5"), win("cy", "")}));
    m_poller.processWinScanJSON("{not json");
    m_poller.processWinScanJSON(R"({"url":"x","count":1,"results":[{"winnerUsername":"dee"}]})");
    EXPECT_TRUE(m_poller.capturedAuctions().isEmpty());
    EXPECT_TRUE(m_poller.seenKeys().isEmpty());
    EXPECT_EQ(changes.count(), 0);
    // The same win in readable form is taken later.
    m_poller.processWinScanJSON(winScanAnswer({win("ann", "1250")}));
    EXPECT_EQ(capturedIds(m_poller), QStringList({"ann-1250-0"}));
}

TEST_F(AuctionPollerIngest, ScrapeAnswerIsKeptEvenWhenItDoesNotDecode)
{
    m_poller.processScrapeJSON("garbage");
    EXPECT_EQ(m_poller.rawJSON(), "garbage");
    EXPECT_TRUE(m_poller.capturedAuctions().isEmpty());

    const QString scrape = answer("auctions", {win("ann", "4", 1), win("bob", "6", 2)});
    m_poller.processScrapeJSON(scrape);
    EXPECT_EQ(m_poller.rawJSON(), scrape);
    EXPECT_EQ(capturedIds(m_poller), QStringList({"bob-6-2", "ann-4-1"}));
}

TEST_F(AuctionPollerIngest, RestoredAuctionsGoBehindAndMeetPageCapturesOnce)
{
    m_poller.processWinScanJSON(winScanAnswer({win("ann", "12.50", 7)}));
    m_clock.advance(5s);
    m_poller.ingest(QList<ServerAuction>{serverAuction("ann", "12.5", 7), serverAuction("bob", "8", 2),
                                         serverAuction("cy", "1,0", 3), serverAuction("dee", "9", std::nullopt)});
    EXPECT_EQ(capturedIds(m_poller), QStringList({"ann-12.5-7", "bob-8-2", "dee-9-0"}));
    const CapturedAuction &bob = m_poller.capturedAuctions().at(1);
    EXPECT_EQ(bob.rawTitle, "Restored bob");
    EXPECT_FALSE(bob.avatarURL);
    EXPECT_EQ(bob.capturedAt, m_clock.now());
    EXPECT_FALSE(bob.isPrinted);

    // The restored win's notice still on the page, and a newer win.
    m_poller.processWinScanJSON(winScanAnswer({win("bob", "8.00", 2), win("eve", "2", 9)}));
    EXPECT_EQ(capturedIds(m_poller), QStringList({"eve-2-9", "ann-12.5-7", "bob-8-2", "dee-9-0"}));
    // Restoring the same show again adds nothing.
    QSignalSpy changes(&m_poller, &AuctionPoller::capturedAuctionsChanged);
    m_poller.ingest(QList<ServerAuction>{serverAuction("bob", "8", 2), serverAuction("eve", "2.0", 9)});
    EXPECT_EQ(m_poller.capturedAuctions().size(), 4);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(AuctionPollerIngest, MarkPrintedSetsTheFirstMatchOnly)
{
    m_poller.processWinScanJSON(winScanAnswer({win("ann", "1", 1), win("bob", "2", 2)}));
    QSignalSpy changes(&m_poller, &AuctionPoller::capturedAuctionsChanged);
    EXPECT_TRUE(m_poller.markPrinted("ann-1-1"));
    EXPECT_FALSE(m_poller.markPrinted("ann-1-1"));
    EXPECT_FALSE(m_poller.markPrinted("nobody-1-1"));
    EXPECT_TRUE(m_poller.capturedAuctions().at(1).isPrinted);
    EXPECT_FALSE(m_poller.capturedAuctions().at(0).isPrinted);
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(AuctionPollerLoop, BacksOffOneTwoFourSecondsAndStopsAtTheFourthFailure)
{
    LogCapture log(lcAuctionPoller().categoryName());
    QSignalSpy polling(&m_poller, &AuctionPoller::isPollingChanged);
    m_host.respond = [](const QString &) -> QJsonValue { throw pageFailure(); };

    m_poller.togglePolling(m_host);

    EXPECT_EQ(m_host.calls().size(), 4);
    EXPECT_EQ(m_host.calls().first(), PageScripts::winScan());
    EXPECT_EQ(m_sleeper.sleeps(), (QList<std::chrono::milliseconds>{1s, 2s, 4s}));
    EXPECT_FALSE(m_poller.isPolling());
    EXPECT_EQ(m_poller.error(), "Poll failed after 3 retries");
    EXPECT_EQ(polling.count(), 2); // on, then off
    ASSERT_EQ(log.messages().size(), 4);
    EXPECT_EQ(log.messages().at(0), "Poll error (1/3): Render process gone");
    EXPECT_EQ(log.messages().at(3), "Poll error (4/3): Render process gone");
}

TEST_F(AuctionPollerLoop, RecoversAfterFailuresAndCountsAfreshAfterwards)
{
    LogCapture log(lcAuctionPoller().categoryName());
    // fail, fail, ok, then three failures (which must not stop a fresh count), ok, then stop.
    const QList<bool> outcomes{false, false, true, false, false, false, true};
    qsizetype call = 0;
    std::optional<QString> errorAfterSecondFailure;
    m_host.respond = [&](const QString &) -> QJsonValue {
        const qsizetype index = call++;
        if (index == 2)
            errorAfterSecondFailure = m_poller.error();
        if (index >= outcomes.size()) {
            m_poller.togglePolling(m_host); // off
            return QJsonValue();
        }
        if (!outcomes.at(index))
            throw pageFailure();
        return winScanAnswer({win("ann", "5", index)});
    };

    m_poller.togglePolling(m_host);

    EXPECT_EQ(call, outcomes.size() + 1);
    EXPECT_EQ(m_sleeper.sleeps(),
              (QList<std::chrono::milliseconds>{1s, 2s, 300ms, 1s, 2s, 4s, 300ms, 300ms}));
    EXPECT_FALSE(m_poller.error());
    EXPECT_EQ(capturedIds(m_poller), QStringList({"ann-5-6", "ann-5-2"}));
    EXPECT_TRUE(log.messages().contains("Poll recovered after 2 error(s)"));
    EXPECT_TRUE(log.messages().contains("Poll recovered after 3 error(s)"));
    // Failures short of the stop leave no error behind.
    EXPECT_FALSE(errorAfterSecondFailure);
}

TEST_F(AuctionPollerLoop, FailuresWhileThePageIsRecoveredAreNotCountedAndAnswersAreReported)
{
    // One failure of a live page, then six while the page is reloaded after a crash
    // (longer than three retries would last), then answers again: polling goes on.
    const QList<bool> outcomes{false, false, false, false, false, false, false, true, true};
    bool recovering = false;
    int answered = 0;
    qsizetype call = 0;
    m_host.respond = [&](const QString &) -> QJsonValue {
        const qsizetype index = call++;
        recovering = index >= 1 && index <= 6;
        if (index >= outcomes.size()) {
            m_poller.togglePolling(m_host); // off
            return QJsonValue();
        }
        if (!outcomes.at(index))
            throw pageFailure();
        return winScanAnswer({win("ann", "5", index)});
    };
    PageHealth health;
    health.isRecovering = [&] { return recovering; };
    health.answered = [&] { ++answered; };

    m_poller.togglePolling(fixedPageScriptSource(m_host), health);

    EXPECT_EQ(call, outcomes.size() + 1);
    EXPECT_FALSE(m_poller.error());
    EXPECT_EQ(m_sleeper.sleeps(),
              (QList<std::chrono::milliseconds>{1s, 1s, 1s, 1s, 1s, 1s, 1s, 300ms, 300ms, 300ms}));
    EXPECT_EQ(capturedIds(m_poller), QStringList({"ann-5-8", "ann-5-7"}));
    EXPECT_EQ(answered, 3); // the last (null) answer too: the page answered

    // Once the recovery is over, failures count again and stop polling at the fourth.
    recovering = false;
    m_host.respond = [](const QString &) -> QJsonValue { throw pageFailure(); };
    m_poller.togglePolling(fixedPageScriptSource(m_host), health);
    EXPECT_FALSE(m_poller.isPolling());
    EXPECT_EQ(m_poller.error(), "Poll failed after 3 retries");
}

TEST_F(AuctionPollerLoop, AListenerThatThrowsCountsAsAFailedPollAndPollingGoesOn)
{
    LogCapture log(lcAuctionPoller().categoryName());
    const QString answerWithWin = winScanAnswer({win("ann", "5", 1)});
    qsizetype call = 0;
    m_host.respond = [&](const QString &) -> QJsonValue {
        if (++call > 2)
            m_poller.togglePolling(m_host); // off after the second poll
        return answerWithWin;
    };
    bool thrown = false;
    QObject::connect(&m_poller, &AuctionPoller::capturedAuctionsChanged, &m_poller, [&] {
        if (!std::exchange(thrown, true))
            throw std::bad_alloc();
    });

    m_poller.togglePolling(m_host);

    EXPECT_EQ(call, 3);
    EXPECT_TRUE(log.messages().contains("Poll error (1/3): std::bad_alloc"));
    EXPECT_TRUE(log.messages().contains("Poll recovered after 1 error(s)"));
    EXPECT_EQ(capturedIds(m_poller), QStringList({"ann-5-1"}));
    EXPECT_FALSE(m_poller.error());
}

TEST_F(AuctionPollerLoop, AGoneSessionCountsAsAFailedCall)
{
    m_poller.togglePolling(PageScriptSource([]() -> PageScriptHost * { return nullptr; }));
    EXPECT_FALSE(m_poller.isPolling());
    EXPECT_EQ(m_poller.error(), "Poll failed after 3 retries");
}

TEST_F(AuctionPollerLoop, AFourHourShowOfRepeatedNoticesDoesNotGrowTheState)
{
    constexpr int kPolls = 48000;
    const QString early = winScanAnswer({win("ann", "12.50", 1, "Card"), win("bob", "$3")});
    const QString late = winScanAnswer({win("ann", "12.50", 1, "Card"), win("bob", "$3"), win("cy", "1250.50", 2)});
    QSignalSpy listChanges(&m_poller, &AuctionPoller::capturedAuctionsChanged);
    QSignalSpy keyChanges(&m_poller, &AuctionPoller::seenKeysChanged);
    QSignalSpy rawChanges(&m_poller, &AuctionPoller::rawJSONChanged);
    int polls = 0;
    m_host.respond = [&](const QString &) -> QJsonValue {
        if (++polls == kPolls)
            m_poller.togglePolling(m_host);
        return polls < kPolls / 2 ? early : late;
    };

    m_poller.togglePolling(m_host);

    EXPECT_EQ(polls, kPolls);
    EXPECT_EQ(capturedIds(m_poller), QStringList({"cy-1250.5-2", "ann-12.5-1"}));
    EXPECT_EQ(m_poller.seenKeys().size(), 2);
    EXPECT_EQ(listChanges.count(), 2);
    EXPECT_EQ(keyChanges.count(), 2);
    EXPECT_EQ(rawChanges.count(), 2);
    EXPECT_EQ(m_poller.rawJSON(), late);
}

TEST_F(AuctionPollerLoop, EachPollHandsBackTheCursorOfTheLastAnswerTakenInWhole)
{
    const auto withCursor = [](const QList<QJsonObject> &auctions, const QString &cursor) {
        QJsonObject o = QJsonDocument::fromJson(winScanAnswer(auctions).toUtf8()).object();
        o.insert("cursor", cursor);
        return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    };
    // call -> answer; the answer of call 1 is not taken in whole (a listener breaks off).
    const QList<QJsonValue> answers{
        withCursor({win("ann", "5", 1)}, "g1-1"),
        withCursor({win("bob", "6", 2), win("cy", "7", 3)}, "g1-2"),
        withCursor({}, "g1-3"),
        withCursor({win("cy", "7", 3), win("dee", "8", 4)}, "g1-4"),
        QStringLiteral("{not json"),
        withCursor({}, "g1-6"),
        QJsonValue(QJsonValue::Null), // the page was loaded anew: it has no scan yet
        withCursor({win("eve", "9", 5)}, "g3-1"),
        withCursor({}, "'); location.reload(); ('"),
        withCursor({}, "g2-1"),
    };
    qsizetype call = 0;
    QList<qsizetype> pausesBeforeCall;
    m_host.respond = [&](const QString &) -> QJsonValue {
        pausesBeforeCall.append(m_sleeper.sleeps().size());
        if (call == answers.size()) {
            m_poller.togglePolling(m_host); // off
            return QJsonValue();
        }
        return answers.at(call++);
    };
    bool thrown = false;
    QObject::connect(&m_poller, &AuctionPoller::capturedAuctionsChanged, &m_poller, [&] {
        if (m_poller.capturedAuctions().size() == 2 && !std::exchange(thrown, true))
            throw std::bad_alloc();
    });

    m_poller.togglePolling(m_host);
    ASSERT_EQ(m_host.calls().size(), answers.size() + 1);
    const QStringList expected{
        PageScripts::winScan(),
        PageScripts::winScan("g1-1"),
        PageScripts::winScan(), // the answer before was cut short: every notice again
        PageScripts::winScan("g1-3"),
        PageScripts::winScan("g1-4"),
        PageScripts::winScan(), // after an answer that did not decode
        PageScripts::winScan("g1-6"),
        PageScripts::winScan(), // the page has no scan: it gets one, and answers every notice
        PageScripts::winScan("g3-1"),
        PageScripts::winScan(), // a cursor that is no plain token is not put into a script
        PageScripts::winScan("g2-1"),
    };
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(m_host.calls().at(i), expected.at(i)) << "call " << i;
    // The page without a scan is scanned whole at once, not a poll pause later.
    EXPECT_EQ(pausesBeforeCall.at(7), pausesBeforeCall.at(6));
    EXPECT_EQ(pausesBeforeCall.at(8), pausesBeforeCall.at(7) + 1);
    // Only the scan without a cursor carries the scan's functions.
    EXPECT_NE(PageScripts::winScan("g1-1"), PageScripts::winScan());
    EXPECT_LT(PageScripts::winScan("g1-1").size(), 200);
    EXPECT_TRUE(PageScripts::winScan("g1-1").contains("scan('g1-1')"));
    EXPECT_EQ(capturedIds(m_poller), QStringList({"eve-9-5", "dee-8-4", "cy-7-3", "bob-6-2", "ann-5-1"}));

    // A reset forgets the cursor with the captures: the next poll asks for every notice.
    m_poller.reset();
    call = answers.size() - 1;
    m_poller.togglePolling(m_host);
    EXPECT_EQ(m_host.calls().at(answers.size() + 1), PageScripts::winScan());
}

TEST_F(AuctionPollerTiming, SwitchingOffAndOnWithinAPauseLeavesOneLoop)
{
    m_host.respond = [](const QString &) -> QJsonValue { return winScanAnswer({}); };
    m_poller->togglePolling(m_host);
    ASSERT_EQ(m_sleeper.heldCount(), 1);
    m_poller->togglePolling(m_host); // off
    m_poller->togglePolling(m_host); // on again before the first loop looked
    EXPECT_TRUE(m_poller->isPolling());
    EXPECT_EQ(m_host.calls().size(), 2);
    EXPECT_EQ(m_sleeper.heldCount(), 2);

    for (int round = 0; round < 3; ++round) {
        m_sleeper.releaseAll();
        EXPECT_EQ(m_sleeper.heldCount(), 1);
    }
    EXPECT_EQ(m_host.calls().size(), 5); // one call per pause from here on
}

TEST_F(AuctionPollerTiming, AnOldLoopsFailuresDoNotStopTheNewOne)
{
    PendingHost host;
    m_poller->togglePolling(host);
    m_poller->togglePolling(host);
    m_poller->togglePolling(host);
    ASSERT_EQ(host.pendingCount(), 2);

    host.failOldest(); // the old loop's call
    EXPECT_TRUE(m_poller->isPolling());
    EXPECT_EQ(m_sleeper.heldCount(), 0); // it ended instead of backing off
    host.answerOldest(winScanAnswer({win("ann", "2", 4)}));
    EXPECT_EQ(capturedIds(*m_poller), QStringList({"ann-2-4"}));
    EXPECT_EQ(m_sleeper.sleeps(), QList<std::chrono::milliseconds>{300ms});
    EXPECT_FALSE(m_poller->error());
}

TEST_F(AuctionPollerTiming, ResetEmptiesAtOnceAndTheNoticeReturnsOnlyWhenSwitchedOn)
{
    m_host.respond = [](const QString &) -> QJsonValue { return winScanAnswer({win("ann", "2", 4)}); };
    m_poller->togglePolling(m_host);
    ASSERT_EQ(capturedIds(*m_poller), QStringList({"ann-2-4"}));

    m_poller->reset();
    EXPECT_FALSE(m_poller->isPolling());
    EXPECT_TRUE(m_poller->capturedAuctions().isEmpty());
    EXPECT_TRUE(m_poller->seenKeys().isEmpty());
    EXPECT_TRUE(m_poller->rawJSON().isEmpty());

    m_sleeper.releaseAll(); // the loop ends after its pause
    EXPECT_EQ(m_host.calls().size(), 1);
    EXPECT_TRUE(m_poller->capturedAuctions().isEmpty());

    m_poller->togglePolling(m_host);
    EXPECT_EQ(capturedIds(*m_poller), QStringList({"ann-2-4"}));
}

TEST_F(AuctionPollerTiming, AnAnswerArrivingAfterResetIsDropped)
{
    PendingHost host;
    m_poller->togglePolling(host);
    m_poller->reset();
    host.answerOldest(winScanAnswer({win("ann", "2", 4)}));
    EXPECT_TRUE(m_poller->capturedAuctions().isEmpty());
    EXPECT_TRUE(m_poller->rawJSON().isEmpty());
    EXPECT_EQ(m_sleeper.heldCount(), 0);
}

TEST_F(AuctionPollerTiming, APollerDestroyedMidCallIsNotTouched)
{
    PendingHost host;
    m_poller->togglePolling(host);
    m_poller.reset();
    host.answerOldest(winScanAnswer({win("ann", "2", 4)}));
    EXPECT_EQ(m_sleeper.heldCount(), 0);
}
