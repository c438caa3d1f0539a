// Leaving Live Show and coming back builds the screen anew, with its own switches
// back at their first values, whatever the seller left them at.
#include "../shell/application_shell_fixture.h"
#include "app/live_show_session.h"
#include "ui/live/live_controls.h"
#include "ui/live/live_header_bar.h"
#include "ui/live/live_show_controller.h"
#include "ui/live/live_show_view.h"
#include "ui/live/live_stage.h"
#include "ui/live/page_box.h"

#include <QTest>
#include <QToolButton>

namespace quill::testing {
namespace {

class LiveScreenRevisit : public ApplicationShellFixture
{
};

TEST_F(LiveScreenRevisit, ThePageBoxSwitchesStartAfreshOnEachVisit)
{
    // Staff, for the page box's switches.
    SidebarView *opened = openOnStream(QStringLiteral("staff@quillmark.app"));
    ASSERT_NE(opened, nullptr);
    SidebarView &sidebar = *opened;
    AppState &app = m_shell->appState();
    sidebar.selection().setValue(SidebarSection::liveShow);

    const auto liveScreen = [&]() -> LiveShowView & {
        auto *live = qobject_cast<LiveShowView *>(sidebar.detailArea()->screen());
        EXPECT_NE(live, nullptr);
        EXPECT_TRUE(eventually([&] { return live->page() == LiveShowView::Page::live; }));
        return *live;
    };

    // The seller opens the page box, expands it to the strip and turns the clean stream off.
    LiveShowView &first = liveScreen();
    LiveHeaderBar *header = first.headerBar();
    QTest::mouseClick(header->adminButton(), Qt::LeftButton);
    QTest::mouseClick(header->videoSwitch(), Qt::LeftButton);
    ASSERT_TRUE(first.pageBox()->isVisible());
    QTest::mouseClick(first.pageBox()->pipButton(), Qt::LeftButton);
    QTest::mouseClick(header->cleanSwitch(), Qt::LeftButton);
    ASSERT_TRUE(first.stage()->isExpanded());
    ASSERT_FALSE(header->cleanSwitch()->isChecked());

    for (SidebarSection away : {SidebarSection::printers, SidebarSection::shows}) {
        SCOPED_TRACE(sidebarSectionTitle(away).toStdString());
        sidebar.selection().setValue(away);
        QCoreApplication::processEvents();
        sidebar.selection().setValue(SidebarSection::liveShow);
        LiveShowView &again = liveScreen();
        EXPECT_FALSE(again.stage()->isExpanded());
        EXPECT_FALSE(again.pageBox()->isExpanded());
        EXPECT_TRUE(again.headerBar()->cleanSwitch()->isChecked());
        // What the show's settle rule applies to the page when it next runs.
        EXPECT_FALSE(app.liveShow().webViewExpanded());
        EXPECT_TRUE(app.liveShow().streamClean());

        // Changed again on this visit, for the next one.
        QTest::mouseClick(again.headerBar()->adminButton(), Qt::LeftButton);
        QTest::mouseClick(again.headerBar()->videoSwitch(), Qt::LeftButton);
        QTest::mouseClick(again.pageBox()->pipButton(), Qt::LeftButton);
        QTest::mouseClick(again.headerBar()->cleanSwitch(), Qt::LeftButton);
        ASSERT_TRUE(app.liveShow().webViewExpanded());
        ASSERT_FALSE(app.liveShow().streamClean());
    }
}

} // namespace
} // namespace quill::testing
