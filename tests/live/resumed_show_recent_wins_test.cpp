// A show resumed from a backend that lists its auctions oldest first: the captured list
// and every list that reads its front (the tray popover's and the floating feed's recent
// wins) run newest first, while box numbers keep following the order of the wins.
#include "../app/live_show_fixture.h"
#include "ui/app/floating_win_feed_controller.h"
#include "ui/app/menu_bar_popover_controller.h"
#include "ui/app/sidebar_section.h"

#include <gtest/gtest.h>

namespace resumed_show_recent_wins {

using namespace quill;
using quill::testing::eventually;

class ResumedShowRecentWins : public quill::testing::LiveShowFixture
{
protected:
    static QStringList idsOf(const QList<CapturedAuction> &auctions)
    {
        QStringList ids;
        for (const CapturedAuction &auction : auctions)
            ids.append(auction.id);
        return ids;
    }
};

TEST_F(ResumedShowRecentWins, RestoredWinsFollowThePageCapturesNewestFirstAndKeepTheirBoxNumbers)
{
    const QString showId = addLiveShow(QStringLiteral("Earlier"));
    // Oldest first, as the backend lists them; gus and hal won at the same moment, so
    // they keep the backend's order.
    const QList<std::tuple<const char *, int, const char *>> wins{
        {"amy", 1, "2026-03-05T11:00:01Z"}, {"bob", 2, "2026-03-05T11:00:02Z"},
        {"cat", 3, "2026-03-05T11:00:03Z"}, {"amy", 4, "2026-03-05T11:00:04Z"},
        {"dan", 5, "2026-03-05T11:00:05Z"}, {"eve", 6, "2026-03-05T11:00:06Z"},
        {"fay", 7, "2026-03-05T11:00:07Z"}, {"gus", 8, "2026-03-05T11:00:08Z"},
        {"hal", 9, "2026-03-05T11:00:08Z"}};
    for (const auto &[winner, number, createdAt] : wins) {
        standin::StandinAuction auction;
        auction.showId = showId;
        auction.winnerUsername = QString::fromLatin1(winner);
        auction.salePrice = QStringLiteral("5");
        auction.auctionNumber = number;
        auction.createdAt = QString::fromLatin1(createdAt);
        m_backend.addAuction(auction);
    }
    m_settings->setString(QString::fromLatin1(ShowSyncService::kShowIdKey), showId);
    m_settings->setString(QString::fromLatin1(ShowSyncService::kShowStreamIdKey), kStream);
    startApp();
    SidebarSelection selection;
    selection.setValue(SidebarSection::dashboard);
    FloatingWinFeedController feed(*m_app, selection);
    MenuBarPopoverController popover(*m_app);
    show().togglePrinting();
    page().addWin(QStringLiteral("fay"), QStringLiteral("5"), 7); // still on the page
    openLiveShow();
    ASSERT_TRUE(eventually([&] { return poller().capturedAuctions().size() == 9; }));

    showWin(QStringLiteral("kim"), QStringLiteral("5"), 10);
    ASSERT_TRUE(eventually(
        [&] { return poller().capturedAuctions().size() == 10 && submissions() == 2 && printedAll(); }));

    const QStringList newestFirst{"kim-5-10", "gus-5-8", "hal-5-9", "fay-5-7", "eve-5-6",
                                  "dan-5-5",  "amy-5-4", "cat-5-3", "bob-5-2", "amy-5-1"};
    EXPECT_EQ(idsOf(poller().capturedAuctions()), newestFirst);
    EXPECT_EQ(idsOf(popover.recentWins()), newestFirst.first(5));
    EXPECT_TRUE(feed.shouldShow());
    EXPECT_EQ(idsOf(feed.recentWins()), newestFirst.first(5));
    EXPECT_EQ(feed.capturedCount(), 10);

    // Boxes follow the first win of each buyer, the page's new buyer after them.
    EXPECT_EQ(autoPrint().boxNumbers(), (QHash<QString, int>{{"amy", 1},
                                                             {"bob", 2},
                                                             {"cat", 3},
                                                             {"dan", 4},
                                                             {"eve", 5},
                                                             {"fay", 6},
                                                             {"gus", 7},
                                                             {"hal", 8},
                                                             {"kim", 9}}));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 10; }));
    EXPECT_EQ(backendAuctions().constLast().winnerUsername, QStringLiteral("kim"))
        << "only the new win goes up";
}

} // namespace resumed_show_recent_wins
