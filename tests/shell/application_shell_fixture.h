#pragma once

// The whole application (services, main window, popover) on the shell's stand-ins; without a
// tray unless asked for.
#include "backend/show_sync_service.h"
#include "capture/whatnot_session.h"
#include "shell_fixture.h"
#include "ui/app/application_shell.h"
#include "ui/app/main_view.h"
#include "ui/app/main_window.h"
#include "ui/app/sidebar_view.h"

#include <memory>

namespace quill::testing {

class ApplicationShellFixture : public ShellFixture
{
protected:
    void TearDown() override
    {
        if (m_shell)
            settle(m_shell->appState());
        m_shell.reset();
        ShellFixture::TearDown();
    }

    ApplicationShell &makeShell() { return makeShell(setup()); }
    ApplicationShell &makeShell(AppSetup appSetup, ApplicationShell::Tray tray = ApplicationShell::Tray::none)
    {
        m_shell = std::make_unique<ApplicationShell>(std::move(appSetup), tray);
        return *m_shell;
    }

    // The window of a seller signed in to the backend and to the marketplace, on a chosen
    // stream: Live Show shows its live content once selected. Null when the sidebar never came.
    SidebarView *openOnStream(const QString &email)
    {
        storeSession(QStringLiteral("u1"), email);
        ApplicationShell &shell = makeShell(setup());
        AppState &app = shell.appState();
        MainWindow &window = shell.mainWindow();
        window.show();
        MainView &main = window.mainView();
        if (!eventually([&] { return main.page() == MainView::Page::sidebar; }))
            return nullptr;
        app.whatnotSession().setAuthenticated(true);
        app.whatnotSession().navigateToStream(QStringLiteral("show-42"));
        app.showSyncService().setActiveStreamId(QStringLiteral("show-42"));
        return main.sidebarView();
    }

    std::unique_ptr<ApplicationShell> m_shell;
};

} // namespace quill::testing
