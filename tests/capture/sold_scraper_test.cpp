// The sold-tab scraper's sequence of scripts and pauses, against a fake page.
#include "capture/auction_poller.h"
#include "capture/page_scripts.h"
#include "capture/sold_scraper.h"
#include "common/logging.h"
#include "run_sync.h"
#include "script_host_fakes.h"

#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;
using namespace std::chrono_literals;

namespace {

const QString kScrapeAnswer = QStringLiteral(
    R"({"url":"https://market.test/live/s1","count":2,"auctions":[)"
    R"({"winnerUsername":"ann","salePrice":"1250.50","auctionNumber":3,"rawTitle":"Card","avatarURL":null},)"
    R"({"winnerUsername":"bob","salePrice":"4","auctionNumber":null,"rawTitle":null,"avatarURL":null}]})");

QJsonValue tab(const QString &json)
{
    return json;
}

// A page whose Sold tab answers `tabAnswer` and whose row counts follow `counts`
// (the last one repeats).
class SoldPage
{
public:
    QJsonValue tabAnswer = tab(R"({"clicked":true,"expectedCount":null})");
    QList<QJsonValue> counts{QStringLiteral(R"({"count":0})")};
    QJsonValue scrapeAnswer = kScrapeAnswer;
    int countCalls = 0;

    QJsonValue respond(const QString &body)
    {
        if (body == PageScripts::scrollToShop())
            return QStringLiteral(R"({"found":true})");
        if (body == PageScripts::soldTab())
            return tabAnswer;
        if (body == PageScripts::rowCount()) {
            const int index = std::min<int>(countCalls++, counts.size() - 1);
            return counts.at(index);
        }
        if (body == PageScripts::soldScrape())
            return scrapeAnswer;
        ADD_FAILURE() << "unexpected script";
        return {};
    }
};

QJsonValue count(qint64 n)
{
    return QStringLiteral(R"({"count":%1})").arg(n);
}

class SoldScraperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_host.respond = [this](const QString &body) { return m_page.respond(body); };
    }

    void scrape() { runSync(m_scraper.scrape(m_host, m_poller)); }

    FakeSleeper m_sleeper;
    AuctionPoller m_poller{m_sleeper};
    SoldScraper m_scraper{m_sleeper};
    SoldPage m_page;
    ScriptedHost m_host;
};

} // namespace

TEST_F(SoldScraperTest, ReachingTheTabsCountScrapesWithoutAFurtherPause)
{
    m_page.tabAnswer = tab(R"({"clicked":true,"expectedCount":3})");
    m_page.counts = {count(3)};
    scrape();
    EXPECT_EQ(m_sleeper.sleeps(), (QList<std::chrono::milliseconds>{500ms, 1s}));
    EXPECT_EQ(m_host.calls(), QStringList({PageScripts::scrollToShop(), PageScripts::soldTab(),
                                           PageScripts::rowCount(), PageScripts::soldScrape()}));
    EXPECT_FALSE(m_scraper.error());
    EXPECT_FALSE(m_scraper.isScraping());
    EXPECT_EQ(m_poller.rawJSON(), kScrapeAnswer);
    ASSERT_EQ(m_poller.capturedAuctions().size(), 2);
    EXPECT_EQ(m_poller.capturedAuctions().at(1).id, "ann-1250.5-3");
}

TEST_F(SoldScraperTest, WithoutACountItStopsAfterThreePassesWithoutChange)
{
    m_page.counts = {count(2), count(5)};
    scrape();
    // 2, 5, 5, 5, 5: the counter reads 0, 0, 1, 2, 3.
    EXPECT_EQ(m_page.countCalls, 5);
    EXPECT_EQ(m_sleeper.sleeps().size(), 2 + 5);
    EXPECT_EQ(m_host.calls().last(), PageScripts::soldScrape());

    m_page.countCalls = 0;
    m_page.counts = {count(0)};
    scrape();
    EXPECT_EQ(m_page.countCalls, 3); // the first empty pass already counts as unchanged
}

TEST_F(SoldScraperTest, OnlyPassesAtTheListsEndCountAsPassesWithoutChange)
{
    // A batch several views tall: the count stays while the box steps down to its
    // end, and the pass that reaches the end is the one that lets the next batch in.
    const auto stepping = [](qint64 n, bool atEnd) {
        return QJsonValue(QStringLiteral(R"({"count":%1,"atEnd":%2})").arg(n).arg(atEnd ? "true" : "false"));
    };
    m_page.counts = {stepping(20, false), stepping(20, false), stepping(20, false), stepping(20, false),
                     stepping(20, true),  stepping(40, false), stepping(40, true)};
    scrape();
    // 20 x4 stepping, 20 at the end, 40 stepping, then 40 at the end: counter 1, 2, 3.
    EXPECT_EQ(m_page.countCalls, 9);
    EXPECT_EQ(m_host.calls().last(), PageScripts::soldScrape());
}

TEST_F(SoldScraperTest, UnreadableAnswersCountAsNothingAndTheScrapeGoesOn)
{
    m_page.tabAnswer = QJsonValue(7);
    m_page.counts = {QJsonValue(), tab(R"({"count":"many"})"), count(0)};
    scrape();
    EXPECT_EQ(m_page.countCalls, 3);
    EXPECT_FALSE(m_scraper.error());
    EXPECT_EQ(m_poller.capturedAuctions().size(), 2);
}

TEST_F(SoldScraperTest, AMissingSoldTabEndsTheScrapeWithAMessage)
{
    m_page.tabAnswer = tab(R"({"clicked":false,"expectedCount":null})");
    scrape();
    EXPECT_EQ(m_scraper.error(), "Could not find Sold tab");
    EXPECT_FALSE(m_scraper.isScraping());
    EXPECT_EQ(m_host.calls().size(), 2);
    EXPECT_EQ(m_sleeper.sleeps(), QList<std::chrono::milliseconds>{500ms});
}

TEST_F(SoldScraperTest, AFailedCallIsReportedAndTheNextScrapeClearsIt)
{
    LogCapture log(lcSoldScraper().categoryName());
    m_host.respond = [this](const QString &body) -> QJsonValue {
        if (body == PageScripts::rowCount())
            throw PageScriptError(PageScriptError::Kind::pageGone, "The page navigated away");
        return m_page.respond(body);
    };
    scrape();
    EXPECT_EQ(m_scraper.error(), "Sold scrape failed: The page navigated away");
    EXPECT_FALSE(m_scraper.isScraping());
    EXPECT_EQ(log.messages(), QStringList({"Sold scrape error: The page navigated away"}));

    m_host.respond = [this](const QString &body) { return m_page.respond(body); };
    scrape();
    EXPECT_FALSE(m_scraper.error());
}

TEST_F(SoldScraperTest, APageThatKeepsGrowingIsReadAfterTheCapWithAMessage)
{
    qint64 rows = 0;
    m_host.respond = [&](const QString &body) -> QJsonValue {
        if (body == PageScripts::rowCount())
            return count(++rows);
        return m_page.respond(body);
    };
    scrape();
    EXPECT_EQ(rows, SoldScraper::kMaxCountPasses);
    EXPECT_EQ(m_host.calls().last(), PageScripts::soldScrape());
    EXPECT_EQ(m_poller.capturedAuctions().size(), 2); // what was loaded is kept
    EXPECT_EQ(m_scraper.error(), QStringLiteral("Sold tab kept loading: read %1 rows after %1 passes")
                                     .arg(SoldScraper::kMaxCountPasses));
}

TEST(SoldScraperConcurrency, ASecondScrapeWhileOneRunsReturnsAtOnce)
{
    FakeSleeper sleeper;
    AuctionPoller poller{sleeper};
    SoldScraper scraper{sleeper};
    PendingHost host;
    auto first = scraper.scrape(host, poller);
    ASSERT_TRUE(scraper.isScraping());
    runSync(scraper.scrape(host, poller));
    EXPECT_EQ(host.startedCount(), 1);
    EXPECT_TRUE(scraper.isScraping());

    host.answerOldest(QStringLiteral(R"({"found":true})"));
    host.answerOldest(QStringLiteral(R"({"clicked":false,"expectedCount":null})"));
    EXPECT_FALSE(scraper.isScraping());
    EXPECT_EQ(scraper.error(), "Could not find Sold tab");
}
