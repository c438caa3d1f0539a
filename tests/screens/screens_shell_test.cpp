// The shell's screens as a seller sees them: loading and a seller's sidebar.
#include "screen_capture.h"
#include "application_shell_fixture.h"

#include "ui/app/application_shell.h"
#include "ui/app/main_view.h"
#include "ui/app/main_window.h"
#include "ui/app/sidebar_view.h"
#include "ui/widgets/palette.h"

#include <QListWidget>

namespace quill::testing {
namespace {

const QSize kWindowSize(1100, 800);

class ScreensShell : public ApplicationShellFixture
{
};

TEST_F(ScreensShell, Loading)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    Gate restoreHeld;
    ApplicationShell &shell = makeShell();
    m_keychain->loadGate = &restoreHeld;

    const QImage image = test::captureScreen(shell.mainWindow(), kWindowSize, QStringLiteral("loading"));

    ASSERT_EQ(image.size(), kWindowSize);
    EXPECT_EQ(shell.mainWindow().mainView().page(), MainView::Page::loading);
    // The window's background fills the corners; the indicator sits in the middle.
    EXPECT_EQ(image.pixelColor(5, 5).rgb(), appBackgroundColor().rgb());
    EXPECT_EQ(image.pixelColor(1095, 795).rgb(), appBackgroundColor().rgb());
    // The held restore resumes from the event loop: let it end while its gate lives.
    restoreHeld.open();
    settle(shell.appState());
}

TEST_F(ScreensShell, SidebarSeller)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    standin::StandinShow show;
    show.userId = QStringLiteral("u1");
    show.title = QStringLiteral("Sunday singles");
    m_backend.addShow(show);
    ApplicationShell &shell = makeShell();
    MainView &view = shell.mainWindow().mainView();
    shell.mainWindow().resize(kWindowSize);
    shell.mainWindow().show();
    ASSERT_TRUE(eventually([&] {
        return view.page() == MainView::Page::sidebar && !shell.appState().showHistoryStore().shows().isEmpty();
    }));

    const QImage image = test::captureScreen(shell.mainWindow(), kWindowSize, QStringLiteral("sidebar-seller"));

    ASSERT_EQ(image.size(), kWindowSize);
    const QListWidget &list = *view.sidebarView()->sectionList();
    ASSERT_EQ(list.count(), 3) << "Live Show, Shows, Labels";
    EXPECT_EQ(list.item(0)->text(), QStringLiteral("Live Show"));
    EXPECT_EQ(list.item(1)->text(), QStringLiteral("Shows"));
    // The sidebar column is darker-blue than nothing else: its own colour on the left edge.
    EXPECT_EQ(image.pixelColor(4, 400).rgb(), sidebarBackgroundColor().rgb());
    EXPECT_EQ(image.pixelColor(1000, 700).rgb(), appBackgroundColor().rgb());
}

} // namespace
} // namespace quill::testing
