#include "ui/app/main_window.h"

#include "app/app_state.h"
#include "ui/app/main_view.h"
#include "ui/app/pending_work.h"

#include <QCloseEvent>

namespace quill {

MainWindow::MainWindow(AppState &appState, QWidget *parent)
    : QMainWindow(parent), m_appState(appState), m_mainView(new MainView(appState, this))
{
    setWindowTitle(QStringLiteral("Quillmark"));
    setMinimumSize(900, 700);
    resize(1100, 800);
    setCentralWidget(m_mainView);
    connect(&appState, &AppState::activationRequested, this, &MainWindow::showAndRaise);
}

void MainWindow::showAndRaise()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Without a tray, closing is quitting: labels still queued wait for the show to be resumed.
    if (!m_keepsRunningWhenClosed && !confirmQuit(this, PendingWork::of(m_appState))) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && !m_keepsRunningWhenClosed)
        Q_EMIT quitRequested();
}

} // namespace quill
