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

QJsonObject decodeObject(const QJsonValue &answer)
{
    return QJsonDocument::fromJson(answer.toString().toUtf8()).object();
}

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
        // The recorder reads in a mutation callback: one more script turn delivers it.
        runScript(QStringLiteral("return 0;"));
        const QJsonArray bidders =
            decodeObject(runScript(PageScripts::bidderRead())).value("bidders").toArray();
        QStringList got;
        for (const QJsonValue &value : bidders) {
            const QJsonObject bidder = value.toObject();
            got.append(QStringLiteral("%1:%2:%3")
                           .arg(bidder.value("username").toString())
                           .arg(bidder.value("bidCount").toInt())
                           .arg(orNone(bidder.value("highestBid"))));
        }
        got.sort();
        EXPECT_EQ(got, row.expected);
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
