#pragma once

// The whole application (services, main window, popover) on the shell's stand-ins; without a
// tray unless asked for.
#include "shell_fixture.h"
#include "ui/app/application_shell.h"

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

    std::unique_ptr<ApplicationShell> m_shell;
};

} // namespace quill::testing
