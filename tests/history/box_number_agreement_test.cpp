// A reprint's box number is the one on the parcel: the show detail numbers buyers as
// the live show did, both for a resumed show and for wins printed live and uploaded
// to the stand-in backend, and lists the auctions in the order they were won.
#include "../app/live_show_fixture.h"
#include "run_sync.h"
#include "ui/history/history_texts.h"
#include "ui/history/show_detail_lists.h"
#include "ui/history/show_detail_model.h"
#include "ui/history/show_detail_view.h"
#include "ui/history/show_history_view.h"

#include <QListView>
#include <QTest>

using namespace quill;
using namespace quill::testing;

namespace {

class BoxNumberAgreement : public LiveShowFixture
{
protected:
    ShowAuctionsResponse fetch(const QString &showId)
    {
        const auto response = runSync(m_app->showHistoryStore().fetchShowAuctions(showId));
        EXPECT_TRUE(response.has_value());
        return response.value_or(ShowAuctionsResponse{});
    }
};

} // namespace

TEST_F(BoxNumberAgreement, ResumedShowNumbersBuyersAsTheDetailDoes)
{
    const QString showId = addLiveShow(QStringLiteral("Resumed"));
    // Stored out of time order, with a tie and an unreadable time.
    const QList<std::tuple<QString, QString, int>> wins{
        {"zed", "2026-01-15T10:05:00Z", 5}, {"amy", "2026-01-15T10:01:00Z", 1}, {"bob", "2026-01-15T10:03:00Z", 3},
        {"amy", "2026-01-15T10:04:00Z", 4}, {"cat", "2026-01-15T10:03:00Z", 2}, {"dan", "sometime", 6}};
    for (const auto &[winner, createdAt, number] : wins) {
        standin::StandinAuction auction;
        auction.showId = showId;
        auction.winnerUsername = winner;
        auction.salePrice = QStringLiteral("5");
        auction.auctionNumber = number;
        auction.createdAt = createdAt;
        m_backend.addAuction(auction);
    }
    startApp();
    const ShowAuctionsResponse response = fetch(showId);
    ASSERT_EQ(response.auctions.size(), 6);

    SoldAuctionRoad road(poller(), autoPrint(), m_app->printService(), nullptr);
    road.restore(response.auctions);
    const QHash<QString, int> detail = boxNumberMap(response.auctions);
    EXPECT_EQ(detail, autoPrint().boxNumbers());
    EXPECT_EQ(detail.value("amy"), 1);
    EXPECT_EQ(detail.value("dan"), 5);
}

TEST_F(BoxNumberAgreement, WinsPrintedLiveAndUploadedGetTheSameNumbersInTheDetail)
{
    startApp();
    openLiveShow();
    show().togglePrinting();
    for (const auto &[winner, number] :
         QList<std::pair<QString, int>>{{"x", 1}, {"y", 2}, {"x", 3}, {"z", 4}, {"w", 5}, {"y", 6}}) {
        showWin(winner, QStringLiteral("4"), number);
        // One by one: each win is printed and uploaded before the next comes.
        ASSERT_TRUE(eventually([&] { return backendAuctions().size() == number && printedAll(); }));
    }
    const QList<standin::StandinShow> shows = m_backend.shows(kSeller);
    ASSERT_EQ(shows.size(), 1);
    const QHash<QString, int> live = autoPrint().boxNumbers();
    EXPECT_EQ(live, (QHash<QString, int>{{"x", 1}, {"y", 2}, {"z", 3}, {"w", 4}}));
    EXPECT_EQ(boxNumberMap(fetch(shows.first().id).auctions), live);
}

TEST_F(BoxNumberAgreement, TheShowsScreenListsTheAuctionsOfOneScanInTheOrderTheyWereWon)
{
    openPrintingShow();
    // Three new buyers come in one scan of the page.
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    showWin(QStringLiteral("bob"), QStringLiteral("2"), 2);
    showWin(QStringLiteral("cat"), QStringLiteral("3"), 3);
    ASSERT_TRUE(
        eventually([&] { return submissions() == 6 && printedAll() && backendAuctions().size() == 3; }));

    ShowHistoryView screen(showHistoryServices(*m_app));
    screen.resize(900, 700);
    screen.show();
    QAbstractItemModel *shows = screen.list()->model();
    ASSERT_TRUE(eventually([&] { return shows->rowCount() == 1; }));
    QTest::mouseClick(screen.list()->viewport(), Qt::LeftButton, {},
                      screen.list()->visualRect(shows->index(0, 0)).center());
    ShowDetailView *detail = screen.detailView();
    ASSERT_NE(detail, nullptr);
    ASSERT_TRUE(eventually([&] { return detail->model().response().has_value(); }));
    detail->model().setSelectedTab(DetailTab::auctions);

    QStringList listed;
    const QAbstractItemModel *rows = detail->auctionsList()->model();
    for (int row = 0; row < rows->rowCount(); ++row)
        listed.append(rows->index(row, 0).data(ShowAuctionsListModel::winnerRole).toString());
    EXPECT_EQ(listed, QStringList({"@ann", "@bob", "@cat"}));
    EXPECT_EQ(detail->model().boxNumbers(), autoPrint().boxNumbers()) << "the box labels' numbers";
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("ann")), 1);
}
