// The capture readers in Qt WebEngine against the stand-in's varied-markup pages:
// the same wins, bids and sales drawn the many ways a component front end draws
// them. One table per reader.
#include "capture/auction_poller.h"
#include "capture/page_scripts.h"
#include "capture/sold_scraper.h"
#include "capture_fixture.h"

#include <QCoroTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;
using namespace std::chrono_literals;

namespace {

QString orNone(const QJsonValue &value)
{
    if (value.isNull() || value.isUndefined())
        return QStringLiteral("-");
    return value.isDouble() ? QString::number(value.toInteger()) : value.toString();
}

// Lets the varied Sold list settle after each step: its observers and its
// windowed drawing answer a scroll a frame or two later.
class SettlingSleeper final : public Sleeper
{
public:
    explicit SettlingSleeper(PageScriptHost &host) : m_host(host) {}

    QCoro::Task<> sleep(std::chrono::milliseconds) override
    {
        ++m_pauses;
        QDeadlineTimer deadline(10s);
        while (!deadline.hasExpired()) {
            QString probe = QStringLiteral("return window.__variant.settled();");
            if ((co_await m_host.run(std::move(probe))).toBool())
                co_return;
            co_await QCoro::sleepFor(10ms);
        }
    }

    int pauses() const { return m_pauses; }

private:
    PageScriptHost &m_host;
    int m_pauses = 0;
};

class WebEngineVariedMarkup : public MarketplaceFixture
{
protected:
    bool open(const QString &name, const QString &query = {})
    {
        return loadAndWait(page(), marketplace().variedUrl(name, query));
    }

    // The page's bid store as "name:bids:highest", sorted by name. The recorder
    // reads in a mutation callback: one more script turn delivers it first.
    QStringList bidders()
    {
        runScript(QStringLiteral("return 0;"));
        QStringList out;
        const QJsonArray list = decodeObject(runScript(PageScripts::bidderRead())).value("bidders").toArray();
        for (const QJsonValue &value : list) {
            const QJsonObject bidder = value.toObject();
            out.append(QStringLiteral("%1:%2:%3")
                           .arg(bidder.value("username").toString())
                           .arg(bidder.value("bidCount").toInt())
                           .arg(orNone(bidder.value("highestBid"))));
        }
        out.sort();
        return out;
    }
};

} // namespace

TEST_F(WebEngineVariedMarkup, WinScanReadsEveryShapeOfNotice)
{
    ASSERT_TRUE(open(QStringLiteral("wins")));
    // case -> every result as "buyer|price|number|title" ("-": none)
    const QList<QPair<QString, QStringList>> table{
        {"css-spacing", {"bob|25|21|Holo card"}},
        {"bidi-isolates", {"alice|12|7|Vintage card"}},
        {"emoji-badge", {"carl|8|3|Pack"}},
        {"role-badge", {"dora|18|4|Graded slab"}},
        {"superscript-cents", {"eli|12.50|5|Slab"}},
        {"spaced-dollar", {"fay|5|6|Binder"}},
        {"dollar-in-title", {"gus|30|8|$5 mystery box"}},
        {"hash-in-title", {"hal|9|11|Card #3 of 10"}},
        {"price-first", {"ivy|40|12|Booster"}},
        {"thousands-with-marks", {"mo|1250.50|15|Lot"}},
        // A notice without its own price borrows none from the bar, the chat or the chrome.
        {"quiet-no-price", {}},
        {"no-price-among-chat", {}},
        {"no-price-no-number", {}},
        {"two-notices", {"pia|3|16|Tin"}},
        // The shape the live stand-in draws still reads as before.
        {"today-shape", {"ray|1250.50|12|Vintage card"}},
    };
    for (const auto &[name, expected] : table) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(runScript(QStringLiteral("return window.__variant.show('%1');").arg(name)),
                  QJsonValue(true));
        const QJsonObject answer = decodeObject(runScript(PageScripts::winScan()));
        QStringList got;
        const QJsonArray results = answer.value("results").toArray();
        for (const QJsonValue &result : results) {
            const QJsonObject win = result.toObject();
            got.append(QStringList{orNone(win.value("winnerUsername")), orNone(win.value("salePrice")),
                                   orNone(win.value("auctionNumber")), orNone(win.value("rawTitle"))}
                           .join(QLatin1Char('|')));
        }
        EXPECT_EQ(got, expected);
        EXPECT_EQ(answer.value("count").toInt(), expected.size());
        if (name == QLatin1String("css-spacing") && !results.isEmpty()) {
            EXPECT_TRUE(results.at(0).toObject().value("avatarURL").toString().endsWith("/avatars/bob.png"));
        }
    }
}

TEST_F(WebEngineVariedMarkup, BidRecorderCountsEachMessageOnce)
{
    struct Row
    {
        const char *name;
        QStringList calls;    // page calls after the recorder is installed
        QStringList expected; // "name:bids:highest", sorted by name
    };
    const QString bob = QStringLiteral("'<span class=\"name\">bob</span><span>bid $%1</span>'");
    const QString ann = QStringLiteral("'<span class=\"name\">ann</span><span>bid $%1</span>'");
    const QList<Row> table{
        {"names spaced by CSS, badges and format characters",
         {"add('<img alt=\"\" width=\"24\" height=\"24\" src=\"/avatars/bob.png\">"
          "<span class=\"name\">bob</span><span>bid $25</span>')",
          "add('<span class=\"name\">ann</span><span class=\"pill\">\\u{1f525}</span><span>bid $30</span>')",
          "add('<span class=\"name\">cy</span><span class=\"badge\">MOD</span><span>bid $12</span>')",
          "add('<span class=\"name\">\\u2068dee\\u2069</span><span>bid $\\u200b9</span>')",
          "add('<span class=\"name\">eve</span><span>placed a bid</span>')"},
         {"ann:1:30", "bob:1:25", "cy:1:12", "dee:1:9", "eve:1:-"}},
        {"a group inserted at once",
         {QStringLiteral("addGroup([%1, %2, %3])").arg(bob.arg(5), ann.arg(6), bob.arg(7))},
         {"ann:1:6", "bob:2:7"}},
        {"rows a virtualised feed draws again",
         {QStringLiteral("add(%1)").arg(bob.arg(5)), QStringLiteral("add(%1)").arg(ann.arg(6)), "recycle()",
          "recycle()"},
         {"ann:1:6", "bob:1:5"}},
        {"the auction bar mounted again and chat about bidding",
         {"mountBar('Lot 2')", "mountBar('Lot 3')",
          "add('<span class=\"name\">kim</span><span>anyone going to bid $5 on this?</span>')",
          "add('<span class=\"name\">lee</span><span>I bid $20 last time</span>')",
          QStringLiteral("add(%1)").arg(ann.arg(8))},
         {"ann:1:8"}},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(open(QStringLiteral("bids")));
        ASSERT_TRUE(decodeObject(runScript(PageScripts::bidObserver())).value("installed").toBool());
        for (const QString &call : row.calls)
            ASSERT_TRUE(
                runScript(QStringLiteral("return window.__variant.%1;").arg(call)).toVariant().toBool())
                << call.toStdString();
        EXPECT_EQ(bidders(), row.expected);
    }
}

TEST_F(WebEngineVariedMarkup, SoldTabIsFoundOnlyAmongTabs)
{
    // query -> the tab script's answer
    const QList<QPair<QString, QJsonObject>> table{
        {"tab=badge", {{"clicked", true}, {"expectedCount", 20}}},
        {"tab=row", {{"clicked", true}, {"expectedCount", 20}}},
        {"tab=none", {{"clicked", false}, {"expectedCount", QJsonValue()}}},
    };
    for (const auto &[query, expected] : table) {
        SCOPED_TRACE(query.toStdString());
        ASSERT_TRUE(open(QStringLiteral("sold"), query));
        EXPECT_EQ(decodeObject(runScript(PageScripts::soldTab())), expected);
        EXPECT_EQ(runScript(QStringLiteral("return window.__variant.stickerClicked();")), QJsonValue(false));
        EXPECT_EQ(runScript(QStringLiteral("return window.__variant.tabClicked();")),
                  QJsonValue(expected.value("clicked").toBool()));
    }

    // Without the tab the scrape stops with the error the screen shows, whatever else says "SOLD".
    AuctionPoller poller;
    SettlingSleeper sleeper(host());
    SoldScraper scraper(sleeper);
    runSync(scraper.scrape(session(), poller));
    EXPECT_EQ(scraper.error(), QStringLiteral("Could not find Sold tab"));
    EXPECT_TRUE(poller.capturedAuctions().isEmpty());
}

TEST_F(WebEngineVariedMarkup, SoldListIsReadInFullWhateverItsLoading)
{
    // Every row of the page but 13, which shows no price.
    QHash<QString, QString> expected; // id -> "title|number"
    for (int i = 1; i <= 20; ++i) {
        if (i == 13)
            continue;
        const QString price = i == 7    ? QStringLiteral("12.5")
                              : i == 15 ? QStringLiteral("1250")
                                        : QString::number(i * 2);
        const QString id = QStringLiteral("buyer%1-%2-%3").arg(i % 6).arg(price).arg(i == 9 ? 0 : i);
        const QString title = i == 4 ? QStringLiteral("$5 grab bag") : QStringLiteral("Lot %1 sealed").arg(i);
        expected.insert(id, title + QLatin1Char('|') + (i == 9 ? QStringLiteral("-") : QString::number(i)));
    }
    for (const QString &query : {QStringLiteral("mode=spinner"), QStringLiteral("mode=windowed")}) {
        SCOPED_TRACE(query.toStdString());
        ASSERT_TRUE(open(QStringLiteral("sold"), query));
        AuctionPoller poller;
        SettlingSleeper sleeper(host());
        SoldScraper scraper(sleeper);
        runSync(scraper.scrape(session(), poller));
        EXPECT_FALSE(scraper.error()) << scraper.error().value_or(QString()).toStdString();
        EXPECT_EQ(runScript(QStringLiteral("return window.__variant.loaded();")), QJsonValue(20));

        QHash<QString, QString> got;
        for (const CapturedAuction &auction : poller.capturedAuctions()) {
            got.insert(auction.id, auction.rawTitle.value_or(QStringLiteral("-")) + QLatin1Char('|') +
                                       (auction.auctionNumber ? QString::number(*auction.auctionNumber)
                                                              : QStringLiteral("-")));
            EXPECT_TRUE(
                auction.avatarURL &&
                auction.avatarURL->endsWith(QStringLiteral("/avatars/%1.png").arg(auction.winnerUsername)))
                << auction.id.toStdString();
        }
        EXPECT_EQ(got, expected);
        EXPECT_EQ(poller.capturedAuctions().size(), expected.size());
        EXPECT_EQ(runScript(QStringLiteral("return window.__variant.stickerClicked();")), QJsonValue(false));
    }
}

TEST_F(WebEngineVariedMarkup, WinScanFollowsThePageBetweenScans)
{
    ASSERT_TRUE(open(QStringLiteral("wins")));
    const auto scan = [this] {
        QStringList got;
        const QJsonArray results = decodeObject(runScript(PageScripts::winScan())).value("results").toArray();
        for (const QJsonValue &result : results)
            got.append(result.toObject().value("winnerUsername").toString() + QLatin1Char('-') +
                       result.toObject().value("salePrice").toString());
        return got;
    };
    const auto change = [this](const char *script) {
        ASSERT_EQ(runScript(QStringLiteral("var feed = document.getElementById('feed'); %1; return true;")
                                .arg(QLatin1String(script))),
                  QJsonValue(true));
    };
    ASSERT_EQ(runScript(QStringLiteral("return window.__variant.show('css-spacing');")), QJsonValue(true));
    EXPECT_EQ(scan(), QStringList({"bob-25"}));
    // Each step changes what the previous scan read.
    change("feed.querySelector('.amount').firstChild.data = '$26'");
    EXPECT_EQ(scan(), QStringList({"bob-26"}));
    change("feed.insertAdjacentHTML('afterbegin', '<div class=\"row\"><span "
           "class=\"name\">zed</span><span>won!</span>"
           "<span>Tin #2</span><span class=\"amount\">$4</span></div>')");
    EXPECT_EQ(scan(), QStringList({"zed-4", "bob-26"}));
    change("feed.insertAdjacentHTML('beforeend', '<div class=\"row\"><span class=\"name\">amy</span>"
           "<span class=\"said\">lost</span><span>Cup #9</span><span class=\"amount\">$2</span></div>')");
    EXPECT_EQ(scan(), QStringList({"zed-4", "bob-26"}));
    change("feed.querySelector('.said').firstChild.data = 'won!'");
    EXPECT_EQ(scan(), QStringList({"zed-4", "bob-26", "amy-2"}));
    change("feed.removeChild(feed.children[1])");
    EXPECT_EQ(scan(), QStringList({"zed-4", "amy-2"}));
    change("feed.appendChild(feed.firstElementChild)");
    EXPECT_EQ(scan(), QStringList({"amy-2", "zed-4"}));
    // A page that replaces its body starts a new index.
    change("document.body.replaceWith(document.createElement('body')); "
           "document.body.innerHTML = '<div><span>kay won! Box #1</span> <b>$5</b></div>'");
    EXPECT_EQ(scan(), QStringList({"kay-5"}));
}

namespace {

QString winLine(const QJsonObject &win)
{
    return QStringList{orNone(win.value("winnerUsername")), orNone(win.value("salePrice")),
                       orNone(win.value("auctionNumber")), orNone(win.value("rawTitle"))}
        .join(QLatin1Char('|'));
}

} // namespace

TEST_F(WebEngineVariedMarkup, WinScanReadsPricesBeforeNumbersPartsInRowsAndTitlesWithoutNumbers)
{
    ASSERT_TRUE(open(QStringLiteral("wins-feed")));
    // case -> every result as "buyer|price|number|title" ("-": none)
    const QList<QPair<QString, QStringList>> table{
        {"price-before-number", {"ivo|25|12|Booster"}},
        {"price-leading-title", {"jan|1250.50|31|Graded slab"}},
        {"price-dotted-before-number", {QString::fromUtf8("小明|8|4|Holo")}},
        {"price-before-number-title-dollar", {"kai|30|8|$5 mystery box"}},
        {"jsx-flex-divs", {"lia|25|21|Holo card"}},
        {"jsx-flex-paragraphs", {"7|4.50|2|Tin"}},
        {"jsx-wrapping-row", {"m|1200|9|Slab"}},
        {"jsx-grid", {"nia|18|5|Binder"}},
        {"jsx-inline-blocks", {"oli|9.99|6|Pack"}},
        {"jsx-runs", {"pam|3|14|Lot"}},
        {"jsx-no-price-among-chat", {}},
        {"no-number-title", {"ros|40|-|Sealed box"}},
        {"no-number-title-with-dollar", {"sam|12|-|$5 grab bag"}},
        {"no-number-price-first", {"tia|15|-|Mystery pack"}},
        {"no-number-no-title", {"uma|6|-|-"}},
    };
    for (const auto &[name, expected] : table) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(runScript(QStringLiteral("return window.__variant.show('%1');").arg(name)), QJsonValue(true));
        const QJsonObject answer = decodeObject(runScript(PageScripts::winScan()));
        QStringList got;
        const QJsonArray results = answer.value("results").toArray();
        for (const QJsonValue &result : results)
            got.append(winLine(result.toObject()));
        EXPECT_EQ(got, expected);
        if (name == QLatin1String("jsx-flex-divs") && !results.isEmpty()) {
            EXPECT_TRUE(results.at(0).toObject().value("avatarURL").toString().endsWith("/avatars/lia.png"));
        }
    }
}

TEST_F(WebEngineVariedMarkup, ASecondWinAtTheSamePriceWithoutANumberIsCapturedOnce)
{
    ASSERT_TRUE(open(QStringLiteral("wins-feed")));
    // Polls that ask only for what changed capture what scans of every notice capture.
    PollerPair pair(session());
    const AuctionPoller &poller = pair.full;
    const auto step = [&](const QString &call) {
        if (!call.isEmpty()) {
            ASSERT_EQ(runScript(QStringLiteral("return window.__variant.%1;").arg(call)), QJsonValue(true))
                << call.toStdString();
        }
        ASSERT_TRUE(pair.poll());
        ASSERT_TRUE(pair.same()) << call.toStdString();
    };
    const auto ids = [&] {
        QStringList out;
        for (const CapturedAuction &auction : poller.capturedAuctions())
            out.append(auction.id);
        return out;
    };
    const QString zoe = QStringLiteral(
        "add('<div class=\"msg\"><span class=\"name\">zoe</span><span>won!</span><span>Tin</span>"
        "<span>$5</span></div>')");
    const auto chat = [](int i) {
        return QStringLiteral("add('<div class=\"msg\"><span class=\"name\">fan%1</span><span>so close, "
                              "next one is mine for sure</span></div>')")
            .arg(i);
    };
    const QString ava = QStringLiteral(
        "add('<div class=\"msg\"><span class=\"name\">ava</span><span>won!</span><span>Pin #3</span>"
        "<span>$5</span></div>')");

    ASSERT_TRUE(runScript(QStringLiteral("return window.__variant.show('no-number-no-title');")).toBool());
    step(QStringLiteral("trim(1)"));
    step(zoe);
    step(QString());
    // The feed draws its rows afresh between two scans: the same win.
    step(QStringLiteral("rerender()"));
    step(QString());
    EXPECT_EQ(ids(), QStringList({"zoe-5-0"}));
    // The chat lets the notice go; later zoe wins again at the same price.
    step(chat(1));
    step(QStringLiteral("trim(1)"));
    step(chat(2));
    step(zoe);
    step(QString());
    ASSERT_EQ(ids(), QStringList({"zoe-5-0-2", "zoe-5-0"}));
    EXPECT_EQ(poller.capturedAuctions().at(0).rawTitle, QStringLiteral("Tin"));
    // The feed mounted again in one piece, with its rows around the notice, is no new win.
    for (int i = 3; i < 8; ++i)
        step(chat(i));
    step(QStringLiteral("hide()"));
    step(QStringLiteral("unhide()"));
    step(QString());
    EXPECT_EQ(ids(), QStringList({"zoe-5-0-2", "zoe-5-0"}));
    // Nor are several known notices drawn again at once, one element each.
    step(ava);
    step(QStringLiteral("hide()"));
    ASSERT_TRUE(runScript(QStringLiteral("document.getElementById('panel').insertAdjacentHTML('afterbegin', "
                                         "'<div class=\"feed\" id=\"feed\"></div>'); return true;"))
                    .toBool());
    step(QStringLiteral("rerender()"));
    EXPECT_EQ(ids(), QStringList({"ava-5-3", "zoe-5-0-2", "zoe-5-0"}));
    // A win with its auction number is never a repeat: the number tells it apart.
    step(QStringLiteral("trim(8)"));
    step(QString());
    step(ava);
    EXPECT_EQ(ids(), QStringList({"ava-5-3", "zoe-5-0-2", "zoe-5-0"}));
}

TEST_F(WebEngineVariedMarkup, BidderNamesOfEveryShapeAndAmountsWithCurrencyLetters)
{
    struct Row
    {
        const char *name;
        const char *text;
        const char *expected; // "name:bids:highest"
    };
    const QList<Row> table{
        {"4077", "bid $25", "4077:1:25"},
        {"12345", "bid: $1,250", "12345:1:1250"},
        {"x", "bid $5", "x:1:5"},
        {"q", "bid $12,500.50", "q:1:12500.50"},
        {"z", "$3 bid", "z:1:3"},
        {"ann", "bid US$25", "ann:1:25"},
        {"bo", "bid US$ 1,250", "bo:1:1250"},
        {"cy", "bid C$40.50", "cy:1:40.50"},
        {"\u00e9lodie", "bid AU$8", "\u00e9lodie:1:8"},
        {"\u5c0f\u660e", "bid $9", "\u5c0f\u660e:1:9"},
        {"max", "bid $30", "max:1:30"},
        {"7", "placed a bid", "7:1:-"},
    };
    ASSERT_TRUE(open(QStringLiteral("bids-feed"), QStringLiteral("size=40")));
    ASSERT_TRUE(decodeObject(runScript(PageScripts::bidObserver())).value("installed").toBool());
    QStringList expected;
    for (const Row &row : table) {
        const QString args = QString::fromUtf8(
            QJsonDocument(QJsonArray{QString::fromUtf8(row.name), QString::fromUtf8(row.text)})
                .toJson(QJsonDocument::Compact));
        ASSERT_EQ(runScript(QStringLiteral("var a = %1; return window.__variant.bid(a[0], a[1]);").arg(args)),
                  QJsonValue(true));
        expected.append(QString::fromUtf8(row.expected));
    }
    // The auction's own labels still name nobody.
    ASSERT_EQ(runScript(QStringLiteral("document.body.insertAdjacentHTML('beforeend', "
                                       "'<div>Max bid $45</div><div><span>Current bid $50</span></div>'); "
                                       "return true;")),
              QJsonValue(true));
    expected.sort();
    EXPECT_EQ(bidders(), expected);
}

TEST_F(WebEngineVariedMarkup, RowsAFeedMakesAgainWithoutKeysAreNotBidsAgain)
{
    for (const QString &query : {QStringLiteral("size=4"), QStringLiteral("size=4&draw=all"),
                                 QStringLiteral("size=7")}) {
        SCOPED_TRACE(query.toStdString());
        ASSERT_TRUE(open(QStringLiteral("bids-feed"), query));
        ASSERT_TRUE(decodeObject(runScript(PageScripts::bidObserver())).value("installed").toBool());
        const auto call = [this](const QString &script) {
            ASSERT_FALSE(runScript(QStringLiteral("return window.__variant.%1;").arg(script)).isNull())
                << script.toStdString();
        };
        // ann and bob bid in turn, ten bids; then the seller scrolls up and down again.
        for (int i = 0; i < 10; ++i)
            call(QStringLiteral("bid('%1', 'bid $%2')").arg(i % 2 ? "bob" : "ann").arg(5 + i));
        call(QStringLiteral("view(0)"));
        call(QStringLiteral("view(3)"));
        call(QStringLiteral("view(6)"));
        call(QStringLiteral("redraw()"));
        call(QStringLiteral("view(1)"));
        // Two messages of one text are two bids while both are in the page.
        call(QStringLiteral("bid('cy', 'placed a bid')"));
        call(QStringLiteral("bid('cy', 'placed a bid')"));
        EXPECT_EQ(bidders(), QStringList({"ann:5:13", "bob:5:14", "cy:2:-"}));
    }
}

TEST_F(WebEngineVariedMarkup, SoldListLoadedByAnObservedSentinelIsReadInFull)
{
    // query -> the number of sales, told by the tab too. Batches taller than a few
    // views of the box, small boxes, margins in pixels, percent and below zero, a
    // page that loads only when told the sentinel came near, one that keeps loading
    // while it is near, one that observes afresh after each batch, smooth scrolling.
    const QList<QPair<QString, int>> table{
        {"rows=100&batch=20&delay=120&margin=0px&hook=edge", 100},
        {"rows=100&batch=10&delay=100&margin=0px&height=120", 100},
        {"rows=80&batch=12&delay=300&margin=0px 0px 150px 0px&hook=state", 80},
        {"rows=60&batch=10&delay=30&margin=50%&hook=state", 60},
        {"rows=50&batch=8&delay=250&margin=0px&hook=fresh&height=200", 50},
        {"rows=45&batch=15&delay=80&margin=-10px 0px&scroll=smooth", 45},
        {"rows=100&batch=25&delay=50&margin=0px 0px 800px 0px&hook=edge&height=400", 100},
    };
    for (const auto &[query, rows] : table) {
        SCOPED_TRACE(query.toStdString());
        ASSERT_TRUE(open(QStringLiteral("sold-observed"), query));
        EXPECT_EQ(decodeObject(runScript(PageScripts::soldTab())),
                  QJsonObject({{"clicked", true}, {"expectedCount", rows}}));
        // The tab is clicked again by the scrape; a reload starts the page afresh.
        ASSERT_TRUE(open(QStringLiteral("sold-observed"), query));
        AuctionPoller poller;
        SettlingSleeper sleeper(host());
        SoldScraper scraper(sleeper);
        runSync(scraper.scrape(session(), poller));
        EXPECT_FALSE(scraper.error()) << scraper.error().value_or(QString()).toStdString();
        QStringList expected;
        for (const QJsonValue &line : runScript(QStringLiteral("return window.__variant.expected();")).toArray())
            expected.append(line.toString());
        QStringList got;
        for (const CapturedAuction &auction : poller.capturedAuctions())
            got.append(QStringLiteral("%1|%2|%3")
                           .arg(auction.winnerUsername, auction.salePrice.toString())
                           .arg(auction.auctionNumber.value_or(0)));
        got.sort();
        expected.sort();
        EXPECT_EQ(got.size(), rows);
        EXPECT_EQ(got, expected);
    }
}
