// The main window in the running shell: what it shows, closing it, and the
// sign-in callback handed over by a later start of the program.
#include "app/single_instance_guard.h"
#include "application_shell_fixture.h"
#include "backend/show_sync_service.h"
#include "capture/whatnot_session.h"
#include "instance_hand_over.h"
#include "log_capture.h"
#include "printing/auto_print_manager.h"
#include "standin_browser.h"
#include "ui/app/application_shell.h"
#include "ui/app/main_view.h"
#include "ui/app/main_window.h"
#include "ui/app/sidebar_view.h"
#include "ui/app/tray_controller.h"
#include "ui/live/live_show_view.h"
#include "ui/live/live_stage.h"
#include "ui/live/live_status_bar.h"
#include "ui/widgets/popover.h"
#include "widget_find.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace quill::testing {
namespace {

class MainWindowShell : public ApplicationShellFixture
{
};

TEST_F(MainWindowShell, WithoutATrayClosingTheWindowQuits)
{
    ApplicationShell &shell = makeShell(setup());
    QSignalSpy quit(&shell, &ApplicationShell::quitRequested);
    shell.mainWindow().show();
    ASSERT_TRUE(eventually([&] { return shell.appState().completedStarts() == 1; }));

    shell.mainWindow().close();

    EXPECT_EQ(quit.size(), 1);
}

TEST_F(MainWindowShell, WithATrayClosingHidesAndReopeningStartsAgain)
{
    ApplicationShell &shell = makeShell(setup());
    shell.mainWindow().setKeepsRunningWhenClosed(true); // as with a tray
    QSignalSpy quit(&shell, &ApplicationShell::quitRequested);
    shell.mainWindow().show();
    ASSERT_TRUE(eventually([&] { return shell.appState().completedStarts() == 1; }));

    shell.mainWindow().close();
    EXPECT_EQ(quit.size(), 0);
    EXPECT_FALSE(shell.mainWindow().isVisible());

    shell.trayController().openMainWindow(); // from the tray's popover
    EXPECT_TRUE(shell.mainWindow().isVisible());
    ASSERT_TRUE(eventually([&] { return shell.appState().completedStarts() == 2; }));
    EXPECT_EQ(m_keychain->loads, 2);
}

TEST_F(MainWindowShell, TheTrayOpensThePopoverWhoseButtonsBringTheWindowBackAndQuit)
{
    ApplicationShell &shell = makeShell(setup());
    shell.mainWindow().setKeepsRunningWhenClosed(true);
    QSignalSpy quit(&shell, &ApplicationShell::quitRequested);

    shell.trayController().activate(QRect(600, 0, 22, 22));
    ASSERT_TRUE(shell.popover().isVisible());
    const auto buttons = shell.popover().findChildren<QAbstractButton *>();
    auto find = [&](const QString &text) {
        for (QAbstractButton *button : buttons)
            if (button->text() == text || button->toolTip() == text)
                return button;
        return static_cast<QAbstractButton *>(nullptr);
    };
    ASSERT_NE(find(QStringLiteral("Show Quillmark")), nullptr);
    QTest::mouseClick(find(QStringLiteral("Show Quillmark")), Qt::LeftButton);
    EXPECT_FALSE(shell.popover().isVisible());
    EXPECT_TRUE(shell.mainWindow().isVisible());
    ASSERT_TRUE(eventually([&] { return shell.appState().completedStarts() == 1; }));

    shell.trayController().activate(QRect(600, 0, 22, 22));
    QTest::mouseClick(find(QStringLiteral("Quit Quillmark")), Qt::LeftButton);
    EXPECT_EQ(quit.size(), 1);
}

TEST_F(MainWindowShell, TheBrowserSignInReachesTheRunningWindowThroughASecondStart)
{
    m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    SingleInstanceGuard guard(uniqueServerName());
    ASSERT_TRUE(guard.listen());
    StandinBrowser browser(
        [&guard](const QUrl &url) {
            // What the desktop does with the quillmark:// address: start the program with it.
            testing::handOverFromAnotherThread(guard.serverName(),
                                               SingleInstanceGuard::schemeUrls({url.toString()}));
        },
        QStringLiteral("user=u1"));
    m_opener = [&browser](const QUrl &url) { return browser.open(url); };
    AppSetup appSetup = setup();
    appSetup.instanceGuard = &guard;
    ApplicationShell &shell = makeShell(std::move(appSetup));
    MainView &view = shell.mainWindow().mainView();
    EXPECT_EQ(view.page(), MainView::Page::loading);

    shell.mainWindow().show();
    ASSERT_TRUE(eventually([&] { return view.page() == MainView::Page::signIn; }));
    QPushButton *google = findButton(view.currentPage(), QStringLiteral("Sign in with Google"));
    ASSERT_NE(google, nullptr);
    QTest::mouseClick(google, Qt::LeftButton);

    ASSERT_TRUE(eventually([&] { return view.page() == MainView::Page::sidebar; }));
    ASSERT_EQ(browser.opened().size(), 1);
    ASSERT_NE(view.sidebarView(), nullptr);
    EXPECT_EQ(view.currentPage(), view.sidebarView());
    EXPECT_EQ(view.sidebarView()->selection().value(), SidebarSection::liveShow);
}

TEST_F(MainWindowShell, AnAddressTheProgramIsStartedWithGoesToTheSignInWhichIgnoresACallbackItDidNotAskFor)
{
    SingleInstanceGuard guard(uniqueServerName());
    const QString callback = QStringLiteral("quillmark://auth/callback?token=forged");
    ASSERT_EQ(
        guard.claimOrHandOver(SingleInstanceGuard::schemeUrls({QStringLiteral("--flag"), callback})).outcome,
        SingleInstanceGuard::Start::Outcome::claimed);
    const LogCapture log("app.quillmark.Quillmark.Auth");
    AppSetup appSetup = setup();
    appSetup.instanceGuard = &guard;
    ApplicationShell &shell = makeShell(std::move(appSetup));
    MainView &view = shell.mainWindow().mainView();

    shell.mainWindow().show();
    ASSERT_TRUE(eventually([&] { return view.page() == MainView::Page::signIn; }));

    EXPECT_EQ(log.matching(QStringLiteral("app.quillmark.Quillmark.Auth"), QtWarningMsg,
                           QStringLiteral("Ignored sign-in callback"))
                  .size(),
              1);
    EXPECT_FALSE(shell.appState().authManager().state().isSignedIn());
}

TEST_F(MainWindowShell, ThePrintLogLeavesEndShowInReachAfterSectionChanges)
{
    SidebarView *opened = openOnStream(QStringLiteral("ava@example.com"));
    ASSERT_NE(opened, nullptr);
    SidebarView &sidebar = *opened;
    AppState &app = m_shell->appState();
    MainWindow &window = m_shell->mainWindow();
    app.autoPrintManager().setShowPrintLog(true); // as the first label opens it

    const auto liveScreen = [&] { return qobject_cast<LiveShowView *>(sidebar.detailArea()->screen()); };
    // The print log lies between the header and the status bar, and a click on End Show
    // reaches End Show.
    const auto checkLayout = [&](const char *when) {
        SCOPED_TRACE(when);
        LiveShowView *live = liveScreen();
        ASSERT_NE(live, nullptr);
        ASSERT_TRUE(eventually([&] { return live->page() == LiveShowView::Page::live; }));
        LiveStage *stage = live->stage();
        auto *endShow = live->statusBar()->findChild<QWidget *>(QStringLiteral("endShowButton"));
        ASSERT_NE(endShow, nullptr);
        ASSERT_TRUE(eventually([&] { return endShow->isVisible(); }));
        QCoreApplication::processEvents();
        ASSERT_TRUE(live->printLogSlot()->isVisible());
        const QRect log(live->printLogSlot()->mapTo(&window, QPoint()), live->printLogSlot()->size());
        QWidget *status = live->statusBar();
        const QRect bar(status->mapTo(&window, QPoint()), status->size());
        EXPECT_EQ(stage->printLogRect(),
                  QRect(live->printLogSlot()->mapTo(stage, QPoint()), live->printLogSlot()->size()));
        EXPECT_LT(log.bottom(), bar.top());
        EXPECT_FALSE(log.intersects(bar));
        const QPoint centre = endShow->mapTo(&window, endShow->rect().center());
        QWidget *hit = window.childAt(centre);
        EXPECT_TRUE(hit == endShow || endShow->isAncestorOf(hit))
            << (hit ? hit->objectName().toStdString() : std::string("nothing"));
    };
    checkLayout("first shown");
    for (SidebarSection away : {SidebarSection::printers, SidebarSection::settings, SidebarSection::shows}) {
        sidebar.selection().setValue(away);
        QCoreApplication::processEvents();
        sidebar.selection().setValue(SidebarSection::liveShow);
        checkLayout(qPrintable(sidebarSectionTitle(away)));
    }
}

} // namespace
} // namespace quill::testing
