#pragma once

#include "app/app_setup.h"

#include <QObject>

#include <memory>

namespace quill {

class AppState;
class MainWindow;
class Popover;
class TrayController;
class TrayIcon;

// The running application: the services, the main window and the tray, wired
// together. With a tray the application outlives its window; without one,
// closing the window quits.
class ApplicationShell final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ApplicationShell)

public:
    enum class Tray
    {
        automatic, // when the desktop has one
        none
    };

    explicit ApplicationShell(AppSetup setup = {}, Tray tray = Tray::automatic, QObject *parent = nullptr);
    ~ApplicationShell() override;

    AppState &appState() const { return *m_appState; }
    MainWindow &mainWindow() const { return *m_mainWindow; }
    TrayController &trayController() const { return *m_trayController; }
    // Null without a tray.
    TrayIcon *trayIcon() const { return m_trayIcon.get(); }
    // What the tray icon opens; made when first asked for.
    Popover &popover();

Q_SIGNALS:
    // The seller quit (from the tray, or by closing the window without a tray).
    void quitRequested();

private:
    std::unique_ptr<AppState> m_appState;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<TrayController> m_trayController;
    std::unique_ptr<TrayIcon> m_trayIcon;
    std::unique_ptr<Popover> m_popover;
};

} // namespace quill
