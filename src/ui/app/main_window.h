#pragma once

#include <QMainWindow>

namespace quill {

class AppState;
class MainView;

// The application's one main window. Its title bar stays the desktop's own.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(AppState &appState, QWidget *parent = nullptr);

    MainView &mainView() const { return *m_mainView; }

    // With a tray icon the application keeps running when the window is closed;
    // without one, closing the window is how the seller quits.
    void setKeepsRunningWhenClosed(bool keepsRunning) { m_keepsRunningWhenClosed = keepsRunning; }
    bool keepsRunningWhenClosed() const { return m_keepsRunningWhenClosed; }

    // Shows the window (starting up again if it was closed) and brings it to the front.
    void showAndRaise();

Q_SIGNALS:
    // The window was closed and nothing else keeps the application open.
    void quitRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    AppState &m_appState;
    MainView *m_mainView;
    bool m_keepsRunningWhenClosed = false;
};

} // namespace quill
