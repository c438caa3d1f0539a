#include "ui/app/application_shell.h"

#include "app/app_state.h"
#include "app/live_show_session.h"
#include "ui/app/main_window.h"
#include "ui/app/menu_bar_popover.h"
#include "ui/app/pending_work.h"
#include "ui/app/tray_controller.h"
#include "ui/app/tray_icon.h"
#include "ui/widgets/popover.h"

namespace quill {

ApplicationShell::ApplicationShell(AppSetup setup, Tray tray, QObject *parent)
    : QObject(parent), m_appState(std::make_unique<AppState>(std::move(setup))),
      m_mainWindow(std::make_unique<MainWindow>(*m_appState)),
      m_trayController(std::make_unique<TrayController>(m_appState->showSyncService()))
{
    // The live show's capture, printing and uploads run for the whole run, whichever screen is shown.
    m_appState->liveShow();
    if (tray == Tray::automatic && TrayIcon::isAvailable())
        m_trayIcon = std::make_unique<TrayIcon>(*m_trayController);
    m_mainWindow->setKeepsRunningWhenClosed(m_trayIcon != nullptr);

    connect(m_mainWindow.get(), &MainWindow::quitRequested, this, &ApplicationShell::quitRequested);
    connect(m_trayController.get(), &TrayController::quitRequested, this, &ApplicationShell::quitRequested);
    connect(m_trayController.get(), &TrayController::mainWindowRequested, m_mainWindow.get(),
            &MainWindow::showAndRaise);
    connect(m_trayController.get(), &TrayController::popoverRequested, this,
            [this](const QRect &anchor) { popover().popUpAt(anchor); });
}

Popover &ApplicationShell::popover()
{
    if (!m_popover) {
        // The essentials reachable while the window is closed.
        m_popover = std::make_unique<Popover>();
        auto *content = new MenuBarPopover(*m_appState);
        connect(content, &MenuBarPopover::showMainWindowRequested, this, [this] {
            m_popover->hide();
            m_trayController->openMainWindow();
        });
        connect(content, &MenuBarPopover::quitRequested, this, [this] {
            m_popover->hide();
            // Queued labels wait for the show to be resumed: the seller decides.
            if (confirmQuit(nullptr, PendingWork::of(*m_appState)))
                m_trayController->quit();
        });
        m_popover->setContent(content);
    }
    return *m_popover;
}

ApplicationShell::~ApplicationShell() = default;

} // namespace quill
