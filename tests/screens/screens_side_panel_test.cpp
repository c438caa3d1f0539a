// The live side panel's content as a seller sees it: a running show's Sold list under
// the tab bar, and the empty state before anything was captured.
#include "../live/side_panel_feed.h"
#include "screen_capture.h"
#include "shell_fixture.h"
#include "ui/live/live_show_controller.h"
#include "ui/live/live_side_panel.h"
#include "ui/live/live_tab_button.h"
#include "ui/widgets/empty_state_view.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QListView>
#include <QVBoxLayout>

namespace quill::testing {
namespace {

const QSize kColumnSize(350, 600);

class ScreensSidePanel : public ShellFixture
{
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        applyAppLook(*qApp);
        AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
        m_controller = std::make_unique<LiveShowController>(LiveServices::of(app));
        m_column = std::make_unique<QWidget>();
        fillBackground(m_column.get(), appBackgroundColor());
        auto *layout = new QVBoxLayout(m_column.get());
        layout->setContentsMargins(0, 0, 0, 0);
        m_panel = new LiveSidePanel(*m_controller, m_column.get());
        layout->addWidget(m_panel);
    }

    void TearDown() override
    {
        m_column.reset();
        m_controller.reset();
        ShellFixture::TearDown();
    }

    std::unique_ptr<LiveShowController> m_controller;
    std::unique_ptr<QWidget> m_column;
    LiveSidePanel *m_panel = nullptr;
};

TEST_F(ScreensSidePanel, RunningShow)
{
    AuctionPoller &poller = m_appState->auctionPoller();
    const QStringList winners{"Zulu", "alpha", "card_king", "Zulu", "mia.collects", "alpha", "bo"};
    const QStringList prices{"10", "4", "27.5", "2.5", "120", "8.25", "1"};
    for (qsizetype i = 0; i < winners.size(); ++i)
        win(poller, winners[i], prices[i], i + 1);
    bidders(m_appState->bidderTracker(), {"card_king", "zulu", "Zulu", "watcher9"});

    const QImage image = test::captureScreen(*m_column, kColumnSize, QStringLiteral("side-panel"));

    ASSERT_EQ(image.size(), kColumnSize);
    LiveTabButton *sold = m_panel->tabButton(LiveTab::sold);
    EXPECT_EQ(sold->title(), "Sold (7)");
    EXPECT_EQ(sold->subtitle(), QStringLiteral("$173.25"));
    EXPECT_EQ(m_panel->currentContent(), m_panel->listView(LiveTab::sold));
    // The selected tab's underline is green; the others have none.
    const auto underline = [&](LiveTabButton *tab) {
        const QPoint at = tab->mapTo(m_column.get(), QPoint(tab->width() / 2, tab->height() - 1));
        return image.pixelColor(at).rgb();
    };
    EXPECT_EQ(underline(sold), brandGreenColor().rgb());
    EXPECT_NE(underline(m_panel->tabButton(LiveTab::buyers)), brandGreenColor().rgb());
    // Every row is drawn, and the tab titles fit the column side by side.
    QListView *list = m_panel->listView(LiveTab::sold);
    EXPECT_EQ(list->visualRect(list->model()->index(6, 0)).isEmpty(), false);
    EXPECT_LE(sold->sizeHint().width(), sold->width());
}

TEST_F(ScreensSidePanel, NothingCapturedYet)
{
    m_controller->setSelectedTab(LiveTab::buyers);

    const QImage image = test::captureScreen(*m_column, kColumnSize, QStringLiteral("side-panel-empty"));

    ASSERT_EQ(image.size(), kColumnSize);
    ASSERT_EQ(m_panel->currentContent(), m_panel->emptyState());
    EXPECT_TRUE(m_panel->emptyState()->isVisible());
    EXPECT_EQ(m_panel->tabButton(LiveTab::buyers)->title(), "Buyers (0)");
    // The empty state sits in the middle; the corners stay the column's background.
    EXPECT_EQ(image.pixelColor(4, kColumnSize.height() - 4).rgb(), appBackgroundColor().rgb());
    const QRect empty(m_panel->emptyState()->mapTo(m_column.get(), QPoint(0, 0)),
                      m_panel->emptyState()->size());
    EXPECT_GT(empty.height(), kColumnSize.height() / 2);
}

} // namespace
} // namespace quill::testing
