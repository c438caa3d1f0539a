#include "ui/app/main_window.h"

#include "ui/widgets/palette.h"

#include <QLabel>

namespace quill {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Quillmark"));
    setMinimumSize(900, 700);
    resize(1100, 800);
    auto *placeholder = new QLabel(QStringLiteral("Quillmark"), this);
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setAutoFillBackground(true);
    QPalette palette = placeholder->palette();
    palette.setColor(QPalette::Window, appBackgroundColor());
    placeholder->setPalette(palette);
    setCentralWidget(placeholder);
}

} // namespace quill
