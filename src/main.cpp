#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setOrganizationDomain(QStringLiteral("quillmark.app"));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quillmark"));
    auto *placeholder = new QLabel(QStringLiteral("Quillmark"), &window);
    placeholder->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(placeholder);
    window.resize(1100, 720);
    window.show();
    return QApplication::exec();
}
