// The capture readers' real page scripts in Qt WebEngine, against the stand-in
// marketplace's live page: wins, bids and the Sold tab as a seller's page shows them.
#include "capture/auction_poller.h"
#include "capture/bidder_tracker.h"
#include "capture/page_scripts.h"
#include "capture/sold_scraper.h"
#include "capture_fixture.h"
#include "common/logging.h"
#include "script_host_fakes.h"

#include <QCoroTimer>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;
using namespace std::chrono_literals;

namespace {

const QString kStream = QStringLiteral("show-1");

QStringList ids(const AuctionPoller &poller)
{
    QStringList out;
    for (const auto &a : poller.capturedAuctions())
        out.append(a.id);
    return out;
}

const CapturedAuction *find(const AuctionPoller &poller, const QString &id)
{
    for (const auto &a : poller.capturedAuctions()) {
        if (a.id == id)
            return &a;
    }
    return nullptr;
}

// Lets the Sold tab load: each pause lasts until the page has rendered every row
// the stand-in served, and a new batch arrived or every row is in. The first
// pause comes before the tab is clicked, when nothing loads.
class SoldPageSleeper final : public Sleeper
{
public:
    SoldPageSleeper(PageScriptHost &host, standin::StandinMarketplace &market, int total)
        : m_host(host), m_market(market), m_total(total)
    {
    }

    QCoro::Task<> sleep(std::chrono::milliseconds duration) override
    {
        m_sleeps.append(duration);
        if (m_sleeps.size() == 1)
            co_return;
        QDeadlineTimer deadline(15s);
        while (!deadline.hasExpired()) {
            const int served = m_market.soldRowsServed(kStream);
            QString probe = QStringLiteral("return window.__standin.soldLoaded();");
            const QJsonValue loaded = co_await m_host.run(std::move(probe));
            if (loaded.toInt(-1) == served && (served == m_total || served > m_lastServed)) {
                m_lastServed = served;
                co_return;
            }
            co_await QCoro::sleepFor(10ms);
        }
    }

    qsizetype pauses() const { return m_sleeps.size(); }

private:
    PageScriptHost &m_host;
    standin::StandinMarketplace &m_market;
    int m_total;
    int m_lastServed = 0;
    QList<std::chrono::milliseconds> m_sleeps;
};

class WebEngineCapture : public MarketplaceFixture
{
protected:
    // Replaces the live page's body with `html` (for shapes the stand-in does not draw).
    void setBody(const QString &html)
    {
        const QString quoted = QString::fromUtf8(QJsonDocument(QJsonArray{html}).toJson(QJsonDocument::Compact));
        ASSERT_EQ(runScript(QStringLiteral("document.body.innerHTML = %1[0]; return true;").arg(quoted)),
                  QJsonValue(true));
    }

    QJsonArray scan(const QString &script, const QString &listKey)
    {
        return decodeObject(runScript(script)).value(listKey).toArray();
    }

    // Tracking on the live page, with two bids of bob read.
    void trackTwoBidsOfBob(BidderTracker &tracker, HeldSleeper &sleeper)
    {
        runSync(tracker.start(session()));
        tracker.toggleTracking(session());
        marketplace().addBid(kStream, {"bob", "bid $25", {}});
        marketplace().addBid(kStream, {"bob", "bid $30", {}});
        ASSERT_GE(syncPage(), 0);
        sleeper.releaseAll();
        ASSERT_TRUE(
            eventually([&] { return tracker.capturedBidders().size() == 1 && sleeper.heldCount() == 1; }));
    }

    // The page was loaded again: the next read puts the recorder back, and the bids made
    // since count on top of bob's two from before.
    void expectCountsToGoOnOverTheNewPage(BidderTracker &tracker, HeldSleeper &sleeper)
    {
        const qsizetype pauses = sleeper.sleeps().size();
        sleeper.releaseAll();
        ASSERT_TRUE(eventually([&] { return sleeper.sleeps().size() > pauses && sleeper.heldCount() == 1; }));
        EXPECT_EQ(runScript("return window.__zavBidObserverInstalled === true;"), QJsonValue(true));

        marketplace().addBid(kStream, {"carol", "bid $35", {}});
        marketplace().addBid(kStream, {"bob", "bid $40", {}});
        ASSERT_GE(syncPage(), 0);
        sleeper.releaseAll();
        ASSERT_TRUE(eventually([&] { return tracker.capturedBidders().size() == 2; }));
        EXPECT_TRUE(tracker.isTracking());
        EXPECT_FALSE(tracker.error());
        EXPECT_EQ(tracker.capturedBidders()[0].username, "bob");
        EXPECT_EQ(tracker.capturedBidders()[0].bidCount, 3);
        EXPECT_EQ(tracker.capturedBidders()[0].highestBid, Decimal(40));
        EXPECT_EQ(tracker.capturedBidders()[1].username, "carol");
    }
};

} // namespace

TEST_F(WebEngineCapture, WinsAppearingWhilePollingAreCapturedOnceEach)
{
    marketplace().addWin(kStream, {"alice", "Vintage   card", 12, "1,250.50", {}});
    marketplace().addWin(kStream, {"bob", "Slab", std::nullopt, "30", {}});
    marketplace().addSampleActivity(kStream, 40, 0);
    ASSERT_TRUE(openStream(kStream));

    HeldSleeper sleeper;
    AuctionPoller poller(sleeper);
    QSignalSpy changes(&poller, &AuctionPoller::capturedAuctionsChanged);
    poller.togglePolling(session());
    ASSERT_TRUE(eventually([&] { return sleeper.heldCount() == 1; }));
    EXPECT_FALSE(poller.error());
    EXPECT_EQ(ids(poller), QStringList({"bob-30-0", "alice-1250.5-12"}));

    const CapturedAuction *alice = find(poller, "alice-1250.5-12");
    ASSERT_TRUE(alice);
    EXPECT_EQ(alice->winnerUsername, "alice");
    EXPECT_EQ(alice->salePrice, Decimal::fromString(u"1250.5"));
    EXPECT_EQ(alice->auctionNumber, 12);
    EXPECT_EQ(alice->rawTitle, "Vintage card");
    ASSERT_TRUE(alice->avatarURL);
    EXPECT_TRUE(alice->avatarURL->startsWith(marketplace().baseUrl().toString()));
    EXPECT_TRUE(alice->avatarURL->endsWith("/avatars/alice.png"));
    const CapturedAuction *bob = find(poller, "bob-30-0");
    ASSERT_TRUE(bob);
    EXPECT_FALSE(bob->auctionNumber);
    // Without a number the title is what stands between "won!" and the price.
    EXPECT_EQ(bob->rawTitle, "Slab");

    // New wins while polling; one win shown twice with two spellings of its price.
    marketplace().addWin(kStream, {"cy", "Booster box", 13, "12.50", {}});
    marketplace().addWin(kStream, {"cy", "Booster box", 13, "12.5", {}});
    marketplace().addWin(kStream, {"dee", "Lot", 14, "1,250", {}});
    ASSERT_GE(syncPage(), 0);
    sleeper.releaseAll();
    ASSERT_TRUE(eventually([&] { return sleeper.sleeps().size() == 2 && sleeper.heldCount() == 1; }));
    EXPECT_EQ(ids(poller), QStringList({"dee-1250-14", "cy-12.5-13", "bob-30-0", "alice-1250.5-12"}));
    EXPECT_EQ(find(poller, "cy-12.5-13")->rawTitle, "Booster box");

    // Every notice is reported again at the next poll; nothing is added.
    const int changesBefore = changes.count();
    sleeper.releaseAll();
    ASSERT_TRUE(eventually([&] { return sleeper.sleeps().size() == 3 && sleeper.heldCount() == 1; }));
    EXPECT_EQ(poller.capturedAuctions().size(), 4);
    EXPECT_EQ(changes.count(), changesBefore);
    EXPECT_TRUE(poller.rawJSON().contains("\"results\""));

    poller.togglePolling(session());
    sleeper.releaseAll();
    EXPECT_EQ(sleeper.heldCount(), 0);
}

TEST_F(WebEngineCapture, WinScanAnswersWhatChangedSinceTheCursorItIsHanded)
{
    marketplace().addWin(kStream, {"alice", "Card", 12, "30", {}});
    marketplace().addWin(kStream, {"bob", "Slab", std::nullopt, "5", {}});
    ASSERT_TRUE(openStream(kStream));
    QString cursor;
    const auto scan = [&](const std::optional<QString> &since) {
        const QJsonObject answer =
            decodeObject(runScript(since ? PageScripts::winScan(*since) : PageScripts::winScan()));
        QStringList got;
        const QJsonArray results = answer.value("results").toArray();
        for (const QJsonValue &result : results)
            got.append(result.toObject().value("winnerUsername").toString() + QLatin1Char('-') +
                       result.toObject().value("salePrice").toString());
        EXPECT_EQ(answer.value("count").toInt(), got.size());
        EXPECT_NE(answer.value("cursor").toString(), cursor);
        cursor = answer.value("cursor").toString();
        return got;
    };

    EXPECT_EQ(scan(std::nullopt), QStringList({"alice-30", "bob-5"}));
    const QString first = cursor;
    EXPECT_EQ(scan(cursor), QStringList());
    // A new win, and a notice whose price is set again in place.
    marketplace().addWin(kStream, {"cy", "Box", 13, "12.50", {}});
    ASSERT_GE(syncPage(), 0);
    ASSERT_EQ(runScript("document.querySelector('.win-price').firstChild.data = '$31'; return true;"),
              QJsonValue(true));
    const QString beforeChange = cursor;
    EXPECT_EQ(scan(cursor), QStringList({"alice-31", "cy-12.50"}));
    // Another caller's scans without a cursor leave this one's answers alone.
    const QString mine = cursor;
    EXPECT_EQ(scan(std::nullopt).size(), 3);
    EXPECT_EQ(scan(mine), QStringList());
    // A cursor already answered, or one the page never gave, gets every notice.
    EXPECT_EQ(scan(beforeChange).size(), 3);
    EXPECT_EQ(scan(first).size(), 3);
    EXPECT_EQ(scan(QStringLiteral("k2x.9-1")).size(), 3);
    EXPECT_EQ(scan(cursor), QStringList());
    // A page that changed a great deal between two scans is read again whole.
    ASSERT_EQ(runScript("for (var i = 0; i < 6000; i++) window.__standin.addBid({username: 'fan', message: 'bid $1'});"
                        "document.querySelector('.win-price').firstChild.data = '$32'; return true;"),
              QJsonValue(true));
    EXPECT_EQ(scan(cursor), QStringList({"alice-32"}));
    // A page loaded again knows no cursor of the page before.
    // The scan is made once per page and kept: later polls call the same one (the page
    // then compiles and warms it once); a page loaded again makes its own.
    const QString sameScan = QStringLiteral("return window.__quillWinScan.madeBefore === true;");
    ASSERT_EQ(runScript("window.__quillWinScan.madeBefore = true; return true;"), QJsonValue(true));
    EXPECT_EQ(scan(cursor), QStringList());
    EXPECT_EQ(runScript(sameScan), QJsonValue(true));
    ASSERT_TRUE(waitForLoad(page(), [&] { page().triggerAction(QWebEnginePage::Reload); }));
    // It has no scan until the scan without a cursor makes one: a call with a cursor
    // answers null, also where that name holds something else.
    EXPECT_EQ(runScript(PageScripts::winScan(cursor)), QJsonValue(QJsonValue::Null));
    ASSERT_EQ(runScript("window.__quillWinScan = 'not a function'; return true;"), QJsonValue(true));
    EXPECT_EQ(runScript(PageScripts::winScan(cursor)), QJsonValue(QJsonValue::Null));
    EXPECT_EQ(scan(std::nullopt), QStringList({"alice-30", "bob-5", "cy-12.50"}));
    EXPECT_EQ(runScript(sameScan), QJsonValue(false));
    EXPECT_EQ(scan(cursor), QStringList());
}

TEST_F(WebEngineCapture, PollsOfWhatChangedCaptureWhatFullScansCaptureAcrossReloadsAndACrash)
{
    marketplace().addSampleActivity(kStream, 60, 6);
    ASSERT_TRUE(openStream(kStream));
    PollerPair pair(session());
    ASSERT_TRUE(pair.poll());
    EXPECT_EQ(pair.lastAnswerCount(), 6);
    EXPECT_EQ(pair.incremental.capturedAuctions().size(), 6);
    int notices = 6;
    for (int round = 1; round <= 12; ++round) {
        SCOPED_TRACE(round);
        int added = 0;
        const QString buyer = QStringLiteral("buyer%1").arg(round % 4);
        marketplace().addWin(kStream, {buyer, "Lot", 100 + round, QStringLiteral("%1.50").arg(round), {}});
        ++added;
        if (round % 3 == 0) { // the same win shown again with its price spelled another way
            marketplace().addWin(kStream, {buyer, "Lot", 100 + round, QStringLiteral("%1.5").arg(round), {}});
            ++added;
        }
        if (round % 4 == 1) { // a win without a number, at a price seen before
            marketplace().addWin(kStream, {"walk", "Tin", std::nullopt, "5", {}});
            ++added;
        }
        marketplace().addBid(kStream, {"fan", "bid $7", {}});
        ASSERT_GE(syncPage(), 0);
        if (round == 5) { // an answered notice's price set again in place: a new reading
            ASSERT_EQ(runScript("document.querySelector('.win-price').firstChild.data = '$99'; return true;"),
                      QJsonValue(true));
        }
        notices += added;
        ASSERT_TRUE(pair.poll());
        EXPECT_EQ(pair.lastAnswerCount(), added + (round == 5 ? 1 : 0));
        ASSERT_TRUE(pair.same());

        if (round == 4 || round == 9) {
            // Loaded again, the page answers every notice once, then what is new.
            ASSERT_TRUE(waitForLoad(page(), [&] { page().triggerAction(QWebEnginePage::Reload); }));
            ASSERT_TRUE(pair.poll());
            EXPECT_EQ(pair.lastAnswerCount(), notices);
            ASSERT_TRUE(pair.same());
        }
        if (round == 7) {
            // A poll meets the dead page; after the reload every notice is answered again.
            ASSERT_TRUE(crashRenderer(page()));
            ASSERT_TRUE(pair.pollIncremental());
            EXPECT_EQ(pair.lastPause(), 1s);
            ASSERT_TRUE(waitForLoad(page(), [&] { page().triggerAction(QWebEnginePage::Reload); }));
            ASSERT_TRUE(pair.poll());
            EXPECT_EQ(pair.lastAnswerCount(), notices);
            ASSERT_TRUE(pair.same());
        }
    }
    // 6 sample wins, 12 numbered ones, one "walk" win, one $99 reading (gone with the reload).
    EXPECT_EQ(pair.incremental.capturedAuctions().size(), 20);
    EXPECT_FALSE(pair.incremental.error());

    // The show ended and a new one begins on the same page: the reset poller asks for every notice.
    pair.incremental.reset();
    pair.full.reset();
    ASSERT_TRUE(pair.poll());
    EXPECT_EQ(pair.lastAnswerCount(), notices);
    EXPECT_EQ(pair.incremental.capturedAuctions().size(), 19); // the $99 reading is no longer on the page
    EXPECT_TRUE(pair.same());
}

TEST_F(WebEngineCapture, BidsAreCountedPerBidderWhateverTheirNames)
{
    ASSERT_TRUE(openStream(kStream));
    LogCapture log(lcBidderTracker().categoryName());
    HeldSleeper sleeper;
    BidderTracker tracker(sleeper);
    runSync(tracker.start(session()));
    ASSERT_FALSE(tracker.error());

    const QList<QPair<QString, QString>> bids{
        {"bob", "bid $25"},          {"bob", "bid $20"},          {"bob", "placed a bid"},
        {"carol", "is Winning! $40"}, {"__proto__", "bid $5"},     {"constructor", "bid $1,250"},
        {"dave", "hi all"},          {"hasOwnProperty", "bid $7"}, {"constructor", "bid $1,250.50"},
    };
    for (const auto &bid : bids)
        marketplace().addBid(kStream, {bid.first, bid.second, {}});
    ASSERT_GE(syncPage(), 0);

    tracker.toggleTracking(session());
    ASSERT_TRUE(eventually([&] { return sleeper.heldCount() == 1; }));
    EXPECT_FALSE(tracker.error());
    const auto &list = tracker.capturedBidders();
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list[0].username, "bob");
    EXPECT_EQ(list[0].bidCount, 3);
    EXPECT_EQ(list[0].highestBid, Decimal(25));
    ASSERT_TRUE(list[0].avatarURL);
    EXPECT_TRUE(list[0].avatarURL->endsWith("/avatars/bob.png"));
    EXPECT_EQ(list[1].username, "constructor");
    EXPECT_EQ(list[1].bidCount, 2);
    EXPECT_EQ(list[1].highestBid, Decimal::fromString(u"1250.5"));
    EXPECT_EQ(list[2].username, "carol");
    EXPECT_EQ(list[2].highestBid, Decimal(40));
    EXPECT_EQ(list[3].username, "__proto__");
    EXPECT_EQ(list[3].highestBid, Decimal(5));
    EXPECT_EQ(list[4].username, "hasOwnProperty");
    EXPECT_GT(list[4].lastSeenAt.time_since_epoch(), 0ns);
    // The page's own objects are untouched.
    EXPECT_EQ(runScript("return typeof ({}).bidCount + ' ' + typeof Object.prototype.username;"),
              QJsonValue("undefined undefined"));

    // Installing again on the same page changes nothing.
    runSync(tracker.start(session()));
    EXPECT_TRUE(log.messages().last().contains("\"alreadyRunning\":true"));
    marketplace().addBid(kStream, {"bob", "bid $30", {}});
    ASSERT_GE(syncPage(), 0);
    sleeper.releaseAll();
    ASSERT_TRUE(eventually([&] { return sleeper.sleeps().size() == 2 && sleeper.heldCount() == 1; }));
    EXPECT_EQ(tracker.capturedBidders()[0].bidCount, 4);
    EXPECT_EQ(tracker.capturedBidders()[0].highestBid, Decimal(30));

    tracker.toggleTracking(session());
    sleeper.releaseAll();
}

TEST_F(WebEngineCapture, AReloadedPageGetsItsBidRecorderBackAndTheListKeepsItsCounts)
{
    ASSERT_TRUE(openStream(kStream));
    HeldSleeper sleeper;
    BidderTracker tracker(sleeper);
    trackTwoBidsOfBob(tracker, sleeper);

    // Reconnecting to the same stream loads the page again: its recorder is gone.
    ASSERT_TRUE(waitForLoad(page(), [&] { page().triggerAction(QWebEnginePage::Reload); }));
    expectCountsToGoOnOverTheNewPage(tracker, sleeper);

    tracker.toggleTracking(session());
    sleeper.releaseAll();
}

TEST_F(WebEngineCapture, ABidReadDueWhileTheRendererIsDeadWaitsForThePageAndKeepsTheCounts)
{
    HeldSleeper pageSleeper; // the session's pause before it reloads a crashed page
    sessionOptions().sleeper = &pageSleeper;
    session().setAuthenticated(true);
    auto navigation = session().observeNavigation();
    ASSERT_TRUE(openStream(kStream));
    HeldSleeper sleeper;
    BidderTracker tracker(sleeper);
    trackTwoBidsOfBob(tracker, sleeper);

    // The renderer dies, and a read comes due before the page is back: tracking waits.
    ASSERT_TRUE(crashRenderer(page()));
    ASSERT_TRUE(session().isRecovering());
    const qsizetype pauses = sleeper.sleeps().size();
    sleeper.releaseAll();
    ASSERT_TRUE(eventually([&] { return sleeper.sleeps().size() > pauses && sleeper.heldCount() == 1; }));
    EXPECT_TRUE(tracker.isTracking());
    EXPECT_FALSE(tracker.error());
    ASSERT_EQ(tracker.capturedBidders().size(), 1);
    EXPECT_EQ(tracker.capturedBidders()[0].bidCount, 2);

    ASSERT_TRUE(eventually([&] { return pageSleeper.heldCount() == 1; }));
    ASSERT_TRUE(waitForLoad(page(), [&] { pageSleeper.releaseAll(); }));
    ASSERT_TRUE(eventually([&] { return !session().isRecovering(); }));
    // The live screen shown again puts the recorder in before the next read does: the
    // counts from before the crash still stand.
    runSync(tracker.start(session()));
    expectCountsToGoOnOverTheNewPage(tracker, sleeper);

    // A read that fails on a healthy page still ends tracking, with the reason.
    ASSERT_EQ(
        runScript("window.__zavBidders = { get broken() { throw new Error('store gone'); } }; return true;"),
        QJsonValue(true));
    sleeper.releaseAll();
    ASSERT_TRUE(eventually([&] { return !tracker.isTracking(); }));
    ASSERT_TRUE(tracker.error());
    EXPECT_TRUE(tracker.error()->startsWith(QStringLiteral("Bidder poll failed: ")));
    EXPECT_EQ(tracker.capturedBidders().size(), 2);

    session().stopObservingNavigation();
    sleeper.releaseAll();
}

TEST_F(WebEngineCapture, TheSoldTabIsScrolledAndReadInFull)
{
    QList<standin::SoldRow> rows;
    for (int i = 1; i <= 30; ++i) {
        standin::SoldRow row;
        row.title = QStringLiteral("Lot %1 sealed").arg(i);
        row.buyer = QStringLiteral("buyer%1").arg(i % 7);
        row.price = i == 5 ? QStringLiteral("1,250.50") : QStringLiteral("%1").arg(i * 3);
        if (i != 9)
            row.auctionNumber = i;
        rows.append(row);
    }
    rows[29] = rows[28]; // the same sale listed twice
    marketplace().setSoldRows(kStream, rows);
    ASSERT_TRUE(openStream(kStream));

    AuctionPoller poller;
    SoldPageSleeper sleeper(host(), marketplace(), int(rows.size()));
    SoldScraper scraper(sleeper);
    runSync(scraper.scrape(session(), poller));

    EXPECT_FALSE(scraper.error());
    EXPECT_FALSE(scraper.isScraping());
    EXPECT_EQ(marketplace().soldRowsServed(kStream), 30); // every batch was scrolled in
    EXPECT_EQ(poller.capturedAuctions().size(), 29);
    EXPECT_EQ(poller.capturedAuctions().first().id, "buyer1-87-29");

    const CapturedAuction *five = find(poller, "buyer5-1250.5-5");
    ASSERT_TRUE(five);
    EXPECT_EQ(five->rawTitle, "Lot 5 sealed");
    ASSERT_TRUE(five->avatarURL);
    EXPECT_TRUE(five->avatarURL->endsWith("/avatars/buyer5.png"));
    const CapturedAuction *nine = find(poller, "buyer2-27-0");
    ASSERT_TRUE(nine);
    EXPECT_FALSE(nine->auctionNumber);
    EXPECT_EQ(nine->rawTitle, "Lot 9 sealed");
}

TEST_F(WebEngineCapture, WinScanReadsOnlyCompactNoticesWithAPrice)
{
    ASSERT_TRUE(openStream(kStream));
    const QString padding = QString(260, QLatin1Char('x'));
    setBody(QStringLiteral(
                "<div><span>alice won! Vintage   card #12</span> <b>$30</b></div>"
                "<div><span>ann won! no price here</span></div>"
                "<div><p>%1</p><span>bo won! Card #3</span><span>$4</span></div>"
                "<div><div><div><div><div><div><span>deep won!</span></div></div></div></div></div><i>$9</i></div>"
                "<div><span>eve won! Mystery box $1,250</span></div>"
                "<div><span>fay won! Pack #99999999999999999999 $2</span></div>")
                .arg(padding));
    const QJsonArray results = scan(PageScripts::winScan(), "results");
    ASSERT_EQ(results.size(), 3) << QJsonDocument(results).toJson().constData();
    const QJsonObject alice = results.at(0).toObject();
    EXPECT_EQ(alice.value("winnerUsername"), "alice");
    EXPECT_EQ(alice.value("salePrice"), "30");
    EXPECT_EQ(alice.value("auctionNumber"), 12);
    EXPECT_EQ(alice.value("rawTitle"), "Vintage card");
    const QJsonObject eve = results.at(1).toObject();
    EXPECT_EQ(eve.value("salePrice"), "1250");
    EXPECT_TRUE(eve.value("auctionNumber").isNull());
    EXPECT_EQ(eve.value("rawTitle"), "Mystery box");
    // A number too long to travel exactly is dropped, not the whole answer.
    const QJsonObject fay = results.at(2).toObject();
    EXPECT_TRUE(fay.value("auctionNumber").isNull());
    EXPECT_EQ(fay.value("rawTitle"), "Pack");
}

TEST_F(WebEngineCapture, SoldScrapeReadsRowsOnceAndFallsBackToCards)
{
    ASSERT_TRUE(openStream(kStream));
    // Two spellings of one sale are one row of the answer.
    setBody(QStringLiteral(
        "<div data-testid='auction-card'><div>Card one</div><div>Buyer: ann</div><div>#4 $1,000.25</div></div>"
        "<div class='BigAuctionCard'><div>Card two</div><div>Buyer: ann</div><div>#4 $1000.25</div></div>"
        "<div><div>Card three</div><div>Buyer: ann</div><div>#5 $1000.25</div></div>"));
    QJsonArray auctions = scan(PageScripts::soldScrape(), "auctions");
    ASSERT_EQ(auctions.size(), 2);
    EXPECT_EQ(auctions.at(0).toObject().value("salePrice"), "1000.25");
    EXPECT_EQ(auctions.at(0).toObject().value("rawTitle"), "Card one");
    EXPECT_EQ(auctions.at(1).toObject().value("auctionNumber"), 5);

    // A row too long to be a row is skipped; only then are the cards read whole.
    const QString longText = QString(620, QLatin1Char('y'));
    const QString longCard =
        QStringLiteral("<div data-testid='auction-card'><p>%1</p><div>Buyer: cy</div><div>$5</div></div>").arg(longText);
    setBody(longCard);
    auctions = scan(PageScripts::soldScrape(), "auctions");
    ASSERT_EQ(auctions.size(), 1);
    EXPECT_EQ(auctions.at(0).toObject().value("winnerUsername"), "cy");
    setBody(longCard + QStringLiteral("<div><span>Buyer: dee</span> <span>$6</span></div>"));
    auctions = scan(PageScripts::soldScrape(), "auctions");
    ASSERT_EQ(auctions.size(), 1) << QJsonDocument(auctions).toJson().constData();
    EXPECT_EQ(auctions.at(0).toObject().value("winnerUsername"), "dee") << QJsonDocument(auctions).toJson().constData();
    setBody(QStringLiteral("<div><p>%1</p><span>Buyer: cy</span><span>$5</span></div>").arg(longText));
    EXPECT_TRUE(scan(PageScripts::soldScrape(), "auctions").isEmpty());
}

TEST_F(WebEngineCapture, ScriptSourcesInThePageAreNotReadAsRowsOrNotices)
{
    ASSERT_TRUE(openStream(kStream));
    setBody(QStringLiteral("<div><div>Card</div><div>Buyer: ann</div><div>#4 $10</div></div>"
                           "<style>.x:after { content: 'zed won! $5 #2'; }</style>"
                           "<script>var row = 'Buyer: zed #1 $5'; var win = 'zed won! Box #3 $5';</script>"));
    EXPECT_EQ(decodeObject(runScript(PageScripts::rowCount())), (QJsonObject{{"count", 1}, {"atEnd", true}}));
    const QJsonArray auctions = scan(PageScripts::soldScrape(), "auctions");
    ASSERT_EQ(auctions.size(), 1);
    EXPECT_EQ(auctions.at(0).toObject().value("winnerUsername"), "ann");
    EXPECT_TRUE(scan(PageScripts::winScan(), "results").isEmpty());
}

TEST_F(WebEngineCapture, SoldTabScriptMatchesOnlyTheSoldLabel)
{
    ASSERT_TRUE(openStream(kStream));
    setBody(QStringLiteral(
        "<div role='tablist'><button>Sold items</button><span> sold </span><button>Sold (3)</button></div>"));
    EXPECT_EQ(decodeObject(runScript(PageScripts::soldTab())),
              (QJsonObject{{"clicked", true}, {"expectedCount", QJsonValue()}}));
    setBody(QStringLiteral("<button>Sold items</button><a role='tab'>Sold (1,204)</a>"));
    EXPECT_EQ(decodeObject(runScript(PageScripts::soldTab())),
              (QJsonObject{{"clicked", true}, {"expectedCount", 1204}}));
    setBody(QStringLiteral("<button>Sold items</button>"));
    EXPECT_EQ(decodeObject(runScript(PageScripts::soldTab())),
              (QJsonObject{{"clicked", false}, {"expectedCount", QJsonValue()}}));
}
