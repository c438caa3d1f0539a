#include "app/single_instance_guard.h"

#include "ui/app/main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setOrganizationDomain(QStringLiteral("quillmark.app"));

    // The browser opens the sign-in callback by starting the program again: hand the
    // address to the instance that is waiting for it and leave.
    quill::SingleInstanceGuard instanceGuard;
    if (instanceGuard.forwardToRunningInstance(
            quill::SingleInstanceGuard::schemeUrls(QApplication::arguments().mid(1))))
        return 0;
    instanceGuard.listen();

    quill::MainWindow window;
    QObject::connect(&instanceGuard, &quill::SingleInstanceGuard::activationRequested, &window, [&window] {
        window.show();
        window.raise();
        window.activateWindow();
    });
    window.show();
    return QApplication::exec();
}
