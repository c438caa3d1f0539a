#include "ui/app/main_window.h"

#include "app/app_state.h"
#include "ui/app/main_view.h"
#include "ui/widgets/palette.h"

#include <QCloseEvent>

namespace quill {

namespace {
// Light text on the window's dark colours, until the widget kit's dark look covers
// the whole application.
void applyShellColours(QWidget &window)
{
    QPalette colours = window.palette();
    const QColor text(0xF2, 0xF2, 0xF7);
    colours.setColor(QPalette::Window, appBackgroundColor());
    colours.setColor(QPalette::Base, appBackgroundColor());
    colours.setColor(QPalette::Button, cardHighlightColor());
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        colours.setColor(role, text);
    QColor placeholder = text;
    placeholder.setAlphaF(0.35f);
    colours.setColor(QPalette::PlaceholderText, placeholder);
    colours.setColor(QPalette::Highlight, cardHighlightColor());
    colours.setColor(QPalette::HighlightedText, text);
    window.setPalette(colours);
}
} // namespace

MainWindow::MainWindow(AppState &appState, QWidget *parent)
    : QMainWindow(parent), m_mainView(new MainView(appState, this))
{
    setWindowTitle(QStringLiteral("Quillmark"));
    setMinimumSize(900, 700);
    resize(1100, 800);
    applyShellColours(*this);
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
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && !m_keepsRunningWhenClosed)
        Q_EMIT quitRequested();
}

} // namespace quill
