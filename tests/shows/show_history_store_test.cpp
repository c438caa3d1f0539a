// The show history store and its cache file against the stand-in backend.
#include "backend/show_history_store.h"
#include "run_sync.h"
#include "shows_fixture.h"

#include <QFile>

using namespace quill;
using quill::standin::Fault;
using quill::standin::StandinShow;
using quill::testing::readAll;
using quill::testing::runSync;
using quill::testing::writeAll;

namespace {

class ShowHistory : public quill::testing::ShowsFixture
{
protected:
    void SetUp() override
    {
        ShowsFixture::SetUp();
        m_store.setApi(m_client.get());
        m_store.setUserId(QStringLiteral("u1"));
        m_first = addShow(QStringLiteral("Friday cards"), QStringLiteral("completed"), true);
        m_second = addShow(QStringLiteral("Saturday comics"), QStringLiteral("live"), false);
    }

    QString addShow(const QString &title, const QString &status, bool ended)
    {
        StandinShow show;
        show.userId = QStringLiteral("u1");
        show.title = title;
        show.status = status;
        show.labelMode = QStringLiteral("grouped");
        show.startedAt = QStringLiteral("2026-01-02T18:00:00Z");
        if (ended)
            show.endedAt = QStringLiteral("2026-01-02T21:00:00Z");
        return m_backend.addShow(show);
    }

    ShowHistoryStore m_store;
    QString m_first;
    QString m_second;
};

TEST_F(ShowHistory, RefreshFillsTheListAndACamelCaseCacheThatReadsBackEqual)
{
    runSync(m_store.refresh());
    EXPECT_FALSE(m_store.isLoading());
    EXPECT_TRUE(m_store.error().isEmpty());
    ASSERT_EQ(m_store.shows().size(), 2);
    EXPECT_EQ(m_store.shows().at(0).id, m_second); // the backend's order: newest first
    EXPECT_EQ(m_store.shows().at(1).endedAt, QStringLiteral("2026-01-02T21:00:00Z"));
    EXPECT_EQ(m_store.shows().at(1).labelMode, QStringLiteral("grouped"));
    EXPECT_FALSE(m_store.shows().at(0).endedAt);

    // The answer came in snake case; the cache holds camel case.
    const QByteArray cache = readAll(m_store.cacheFilePath());
    EXPECT_TRUE(cache.startsWith('['));
    EXPECT_TRUE(cache.contains("\"createdAt\""));
    EXPECT_FALSE(cache.contains("created_at"));
    EXPECT_FALSE(cache.contains("\n"));
    EXPECT_TRUE(m_store.cacheFilePath().endsWith(QStringLiteral("/show_history.json")));

    ShowHistoryStore reopened;
    reopened.setUserId(QStringLiteral("u1"));
    reopened.loadCache();
    EXPECT_EQ(reopened.shows(), m_store.shows());
}

TEST_F(ShowHistory, AFailedRefreshKeepsTheListAndSaysWhy)
{
    runSync(m_store.refresh());
    const QByteArray cache = readAll(m_store.cacheFilePath());
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows"), Fault::status(500));
    runSync(m_store.refresh());
    EXPECT_EQ(m_store.error(), QStringLiteral("Failed to load shows: HTTP 500"));
    EXPECT_FALSE(m_store.isLoading());
    EXPECT_EQ(m_store.shows().size(), 2);
    EXPECT_EQ(readAll(m_store.cacheFilePath()), cache);

    // An empty answer empties list and cache.
    m_backend.clearFaults();
    runSync(m_store.deleteShow(m_first));
    runSync(m_store.deleteShow(m_second));
    runSync(m_store.refresh());
    EXPECT_TRUE(m_store.error().isEmpty());
    EXPECT_TRUE(m_store.shows().isEmpty());
    EXPECT_EQ(readAll(m_store.cacheFilePath()), QByteArray("[]"));
}

TEST_F(ShowHistory, ACorruptCacheIsIgnoredAndLeftUntouched)
{
    runSync(m_store.refresh());
    const QString path = m_store.cacheFilePath();
    const QByteArray broken = R"([{"id":"s1","title":"no other keys"}])";
    writeAll(path, broken);
    m_store.loadCache();
    EXPECT_EQ(m_store.shows().size(), 2);
    EXPECT_EQ(readAll(path), broken);

    writeAll(path, "not json at all");
    ShowHistoryStore fresh;
    fresh.setUserId(QStringLiteral("u1"));
    fresh.loadCache();
    EXPECT_TRUE(fresh.shows().isEmpty());
    EXPECT_EQ(readAll(path), QByteArray("not json at all"));

    QFile::remove(path);
    fresh.loadCache(); // a missing file is no failure
    EXPECT_TRUE(fresh.shows().isEmpty());
}

TEST_F(ShowHistory, DeleteRemovesTheShowEverywhereAndAFailureIsReported)
{
    runSync(m_store.refresh());
    m_backend.setFault(QStringLiteral("DELETE"), QStringLiteral("/api/shows/*"), Fault::status(500).times(1));
    EXPECT_FALSE(runSync(m_store.deleteShow(m_first)));
    EXPECT_EQ(m_store.error(), QStringLiteral("Failed to delete show: HTTP 500"));
    EXPECT_EQ(m_store.shows().size(), 2);

    EXPECT_TRUE(runSync(m_store.deleteShow(m_first)));
    EXPECT_EQ(m_backend.requests().last().queryValue(QStringLiteral("force")), QStringLiteral("true"));
    EXPECT_FALSE(m_backend.show(m_first));
    ASSERT_EQ(m_store.shows().size(), 1);
    EXPECT_EQ(m_store.shows().at(0).id, m_second);
    EXPECT_EQ(m_store.error(), QStringLiteral("Failed to delete show: HTTP 500")); // only a refresh clears it

    ShowHistoryStore reopened;
    reopened.setUserId(QStringLiteral("u1"));
    reopened.loadCache();
    EXPECT_EQ(reopened.shows(), m_store.shows());
}

TEST_F(ShowHistory, FetchShowAuctionsAnswersOrNothing)
{
    quill::standin::StandinAuction auction;
    auction.showId = m_first;
    auction.winnerUsername = QStringLiteral("buyer1");
    auction.salePrice = QStringLiteral("12.5");
    m_backend.addAuction(auction);
    const auto answer = runSync(m_store.fetchShowAuctions(m_first));
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->auctions.size(), 1);
    EXPECT_EQ(answer->auctions.at(0).salePrice, QStringLiteral("12.5"));
    EXPECT_EQ(answer->stats.auctionCount, 1);

    EXPECT_FALSE(runSync(m_store.fetchShowAuctions(QStringLiteral("no-such-show"))));
    EXPECT_TRUE(m_store.error().isEmpty());
}

TEST_F(ShowHistory, TheCacheBelongsToOneAccount)
{
    runSync(m_store.refresh());
    ASSERT_EQ(m_store.shows().size(), 2);

    // A refresh that is still on its way when the account changes is not shown to the next one.
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows"), Fault::delayed(100).times(1));
    auto late = m_store.refresh();
    m_store.setUserId(QStringLiteral("u2"));
    EXPECT_TRUE(m_store.shows().isEmpty());
    runSync(std::move(late));
    EXPECT_TRUE(m_store.shows().isEmpty());
    m_store.loadCache();
    EXPECT_TRUE(m_store.shows().isEmpty());
    EXPECT_FALSE(QFile::exists(m_store.cacheFilePath()));

    m_store.setUserId(std::nullopt);
    EXPECT_TRUE(m_store.cacheFilePath().isEmpty());
    m_store.saveCache();
    m_store.setUserId(QStringLiteral("u1"));
    m_store.loadCache();
    EXPECT_EQ(m_store.shows().size(), 2);

    // An id cannot lead the cache out of the data folder.
    m_store.setUserId(QStringLiteral("../.."));
    EXPECT_TRUE(m_store.cacheFilePath().contains(QStringLiteral("/users/%2E%2E%2F%2E%2E/")));
}

TEST_F(ShowHistory, WithoutAClientNothingIsAsked)
{
    ShowHistoryStore store;
    runSync(store.refresh());
    EXPECT_FALSE(store.isLoading());
    EXPECT_TRUE(store.error().isEmpty());
    EXPECT_FALSE(runSync(store.fetchShowAuctions(m_first)));
    EXPECT_FALSE(runSync(store.deleteShow(m_first)));
    EXPECT_TRUE(m_backend.requests().isEmpty());
}

} // namespace
