#include "app/single_instance_guard.h"
#include "common/settings.h"
#include "common/standard_output.h"
#include "common/web_engine_flags.h"
#include "ui/app/application_shell.h"
#include "ui/app/main_window.h"
#include "ui/widgets/sheet_centring.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Started with standard input, output or error closed (`>&-`), the display connection
    // or a file would take its number and receive what is meant for it.
    quill::openMissingStandardStreams();
    // The marketplace page is a Qt WebEngine page shown in widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    quill::keepBackgroundPagesRunning();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setOrganizationDomain(QStringLiteral("quillmark.app"));
    // The shell decides when closing the window quits (not while a tray icon stays).
    QApplication::setQuitOnLastWindowClosed(false);

    // The browser opens the sign-in callback by starting the program again: hand the
    // address to the instance that is waiting for it and leave. Of two starts at the
    // same moment, exactly one claims the instance; the other hands over to it.
    quill::SingleInstanceGuard instanceGuard;
    const QStringList callbackUrls = quill::SingleInstanceGuard::schemeUrls(QApplication::arguments().mid(1));
    const auto start = instanceGuard.claimOrHandOver(callbackUrls);
    using Outcome = quill::SingleInstanceGuard::Start::Outcome;
    if (start.outcome == Outcome::handedOver) {
        // A second start by hand: its window may be on another display, so say where it went.
        if (callbackUrls.isEmpty())
            std::fprintf(stderr, "quillmark: Quillmark is already running and was asked to come to the front.\n");
        return 0;
    }
    if (start.outcome != Outcome::claimed) {
        // Started from the desktop entry or the browser, nobody reads standard error.
        std::fprintf(stderr, "quillmark: %s\n", qUtf8Printable(start.error));
        QMessageBox::critical(nullptr, QStringLiteral("Quillmark"), start.error);
        return 1;
    }

    quill::applyAppLook(app);
    quill::centreSheetsOnTheirWindows(app);

    quill::Settings settings;
    quill::Settings::setShared(&settings);

    quill::AppSetup setup;
    setup.instanceGuard = &instanceGuard;
    quill::ApplicationShell shell(std::move(setup));
    // From the quit on, a later start waits for this run to end and takes over, rather than
    // handing its address to a run that is tearing down.
    QObject::connect(&shell, &quill::ApplicationShell::quitRequested, &instanceGuard,
                     &quill::SingleInstanceGuard::stopAnswering);
    QObject::connect(&shell, &quill::ApplicationShell::quitRequested, &app, &QApplication::quit);
    shell.mainWindow().show();
    return QApplication::exec();
}
