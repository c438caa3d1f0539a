// The side panel on the live screen: tab clicks select the list, the empty state stands
// in while nothing was captured, and the tab bar follows new captures.
#include "live_view_fixture.h"
#include "side_panel_feed.h"
#include "ui/lists/live_list_roles.h"
#include "ui/live/live_side_panel.h"
#include "ui/live/live_side_panel_controller.h"
#include "ui/live/live_tab_button.h"
#include "ui/widgets/empty_state_view.h"

#include <QListView>

namespace quill::testing {
namespace {

class SidePanelView : public LiveViewFixture
{
protected:
    LiveSidePanel &panel()
    {
        auto *found = view().findChild<LiveSidePanel *>();
        EXPECT_NE(found, nullptr);
        EXPECT_EQ(found->parentWidget(), view().sidePanelContentSlot());
        return *found;
    }
};

TEST_F(SidePanelView, TabClicksSelectTheListOnceThereIsSomethingToShow)
{
    open();
    LiveSidePanel &side = panel();
    EXPECT_EQ(controller().selectedTab(), LiveTab::sold);
    EXPECT_EQ(side.currentContent(), side.emptyState());
    EXPECT_EQ(side.emptyState()->title(), "No Activity");

    // Chosen while empty: the empty state stays and the choice waits for data.
    QTest::mouseClick(side.tabButton(LiveTab::bidders), Qt::LeftButton);
    EXPECT_EQ(controller().selectedTab(), LiveTab::bidders);
    EXPECT_TRUE(side.tabButton(LiveTab::bidders)->isSelected());
    EXPECT_FALSE(side.tabButton(LiveTab::sold)->isSelected());
    EXPECT_EQ(side.currentContent(), side.emptyState());

    win(m_appState->auctionPoller(), QStringLiteral("ann"), QStringLiteral("12.5"), 1);
    EXPECT_EQ(side.currentContent(), side.listView(LiveTab::bidders));
    EXPECT_EQ(side.listView(LiveTab::bidders)->model()->rowCount(), 0);

    QTest::mouseClick(side.tabButton(LiveTab::buyers), Qt::LeftButton);
    EXPECT_EQ(side.currentContent(), side.listView(LiveTab::buyers));
    EXPECT_EQ(side.listView(LiveTab::buyers)->model()->index(0, 0).data(LiveListRoles::buyer), "ann");
    QTest::mouseClick(side.tabButton(LiveTab::sold), Qt::LeftButton);
    EXPECT_EQ(controller().selectedTab(), LiveTab::sold);
    EXPECT_EQ(side.currentContent(), side.listView(LiveTab::sold));
}

TEST_F(SidePanelView, ANewScreenStartsOnSold)
{
    open();
    QTest::mouseClick(panel().tabButton(LiveTab::buyers), Qt::LeftButton);
    ASSERT_EQ(controller().selectedTab(), LiveTab::buyers);

    // The controller lives for the whole run; the screen is built again.
    m_view = std::make_unique<LiveShowView>(*m_controller);
    m_view->show();
    EXPECT_EQ(controller().selectedTab(), LiveTab::sold);
    EXPECT_TRUE(panel().tabButton(LiveTab::sold)->isSelected());
    EXPECT_FALSE(panel().tabButton(LiveTab::buyers)->isSelected());
}

TEST_F(SidePanelView, TabBarFollowsCapturesAndTheControllerSelection)
{
    open();
    LiveSidePanel &side = panel();
    EXPECT_EQ(side.tabButton(LiveTab::sold)->title(), "Sold (0)");
    EXPECT_EQ(side.tabButton(LiveTab::sold)->subtitle(), QStringLiteral("$0"));
    EXPECT_EQ(side.tabButton(LiveTab::buyers)->subtitle(), std::nullopt);

    win(m_appState->auctionPoller(), QStringLiteral("Zulu"), QStringLiteral("10"), 1);
    win(m_appState->auctionPoller(), QStringLiteral("Zulu"), QStringLiteral("2.5"), 2);
    bidders(m_appState->bidderTracker(), {QStringLiteral("Zulu"), QStringLiteral("amy")});
    EXPECT_EQ(side.tabButton(LiveTab::sold)->title(), "Sold (2)");
    EXPECT_EQ(side.tabButton(LiveTab::sold)->subtitle(), QStringLiteral("$12.5"));
    EXPECT_EQ(side.tabButton(LiveTab::buyers)->title(), "Buyers (1)");
    EXPECT_EQ(side.tabButton(LiveTab::bidders)->title(), "Bidders (2)");

    controller().setSelectedTab(LiveTab::bidders);
    EXPECT_TRUE(side.tabButton(LiveTab::bidders)->isSelected());
    EXPECT_EQ(side.currentContent(), side.listView(LiveTab::bidders));

    m_appState->auctionPoller().reset();
    m_appState->bidderTracker().reset();
    EXPECT_EQ(side.currentContent(), side.emptyState());
    EXPECT_EQ(side.tabButton(LiveTab::sold)->title(), "Sold (0)");
}

} // namespace
} // namespace quill::testing
