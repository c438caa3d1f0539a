// A later start of the application, reduced to the hand-over: hands its URLs to the
// running instance named by the first argument. Exit 0: handed over; 3: no instance
// answered; 4: the hand-over failed (the reason on standard error).
//
// With --start first, it starts as the program does once a line arrives on standard
// input (so that two can be let go at the same moment): it claims the instance, says
// "claimed" and then "url <address>" for each address handed to it, and runs until it
// is killed; or it hands its URLs over and exits 0; 5: the instance is held but did not
// answer; 4: the start failed (the reason on standard error). It says "ready" once it
// waits for the line. With --busy-ms=N after --start, a start that claims stays busy for
// N ms before it answers anyone, as the program does while it builds its window.
#include "app/single_instance_guard.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

int startAsTheProgramDoes(QCoreApplication &app, const QString &name, const QStringList &urls,
                          std::chrono::milliseconds busy)
{
    std::printf("ready\n");
    std::fflush(stdout);
    char go[16];
    if (!std::fgets(go, sizeof go, stdin))
        return 2;
    quill::SingleInstanceGuard guard(name);
    const auto start = guard.claimOrHandOver(urls);
    using Outcome = quill::SingleInstanceGuard::Start::Outcome;
    switch (start.outcome) {
    case Outcome::claimed:
        break;
    case Outcome::handedOver:
        return 0;
    case Outcome::alreadyRunning:
        return 5;
    case Outcome::failed:
        std::fprintf(stderr, "%s\n", qUtf8Printable(start.error));
        return 4;
    }
    QObject::connect(&guard, &quill::SingleInstanceGuard::urlReceived, &app, [](const QUrl &url) {
        std::printf("url %s\n", qUtf8Printable(url.toString()));
        std::fflush(stdout);
    });
    std::printf("claimed\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(busy);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool start = !arguments.isEmpty() && arguments.first() == QLatin1String("--start");
    if (start)
        arguments.removeFirst();
    std::chrono::milliseconds busy{0};
    const QLatin1String busyOption("--busy-ms=");
    if (start && !arguments.isEmpty() && arguments.first().startsWith(busyOption))
        busy = std::chrono::milliseconds(arguments.takeFirst().mid(busyOption.size()).toInt());
    if (arguments.isEmpty())
        return 2;
    const QString name = arguments.takeFirst();
    const QStringList urls = quill::SingleInstanceGuard::schemeUrls(arguments);
    if (start)
        return startAsTheProgramDoes(app, name, urls, busy);
    const quill::SingleInstanceGuard guard(name);
    const auto handOver = guard.forwardToRunningInstance(urls);
    using Outcome = quill::SingleInstanceGuard::HandOver::Outcome;
    switch (handOver.outcome) {
    case Outcome::handedOver:
        return 0;
    case Outcome::nobodyAnswered:
        return 3;
    case Outcome::failed:
        std::fprintf(stderr, "%s\n", qUtf8Printable(handOver.error));
        return 4;
    }
    return 4;
}
