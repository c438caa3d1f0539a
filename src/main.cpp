#include "app/single_instance_guard.h"

#include "ui/app/main_window.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setOrganizationDomain(QStringLiteral("quillmark.app"));

    // The browser opens the sign-in callback by starting the program again: hand the
    // address to the instance that is waiting for it and leave.
    quill::SingleInstanceGuard instanceGuard;
    const auto handOver = instanceGuard.forwardToRunningInstance(
        quill::SingleInstanceGuard::schemeUrls(QApplication::arguments().mid(1)));
    using Outcome = quill::SingleInstanceGuard::HandOver::Outcome;
    if (handOver.outcome == Outcome::handedOver)
        return 0;
    if (handOver.outcome == Outcome::failed) {
        std::fprintf(stderr, "quillmark: %s\n", qUtf8Printable(handOver.error));
        return 1;
    }
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
