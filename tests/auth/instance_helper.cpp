// A later start of the application, reduced to the hand-over: hands its URLs to the
// running instance named by the first argument. Exit 0: handed over; 3: no instance
// answered; 4: the hand-over failed (the reason on standard error).
//
// With --start first, it starts as the program does once a line arrives on standard
// input (so that two can be let go at the same moment): it claims the instance, says
// "claimed", "start-url <address>" for each address it was started with and then
// "url <address>" for each address handed to it, and runs until it is killed or a line
// "quit" arrives; or it hands its URLs over and exits 0; 5: the instance is held but did
// not answer; 4: the start failed (the reason on standard error). It says "ready" once it
// waits for the line. Options after --start: with --busy-ms=N a start that claims stays
// busy for N ms before it answers anyone, as the program does while it builds its window;
// with --teardown-ms=N, once its event loop has ended on "quit" it says "quitting" and
// stays busy for N ms before it ends, as the program does while it takes its window down.
#include "app/single_instance_guard.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

struct StartTimes
{
    std::chrono::milliseconds busy{0};
    std::chrono::milliseconds teardown{0};
};

int startAsTheProgramDoes(QCoreApplication &app, const QString &name, const QStringList &urls,
                          StartTimes times)
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
    for (const QUrl &url : guard.takeStartUrls())
        std::printf("start-url %s\n", qUtf8Printable(url.toString()));
    std::fflush(stdout);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&input] {
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            input.setEnabled(false);
        else if (qstrcmp(line, "quit\n") == 0)
            QCoreApplication::quit();
    });
    std::this_thread::sleep_for(times.busy);
    const int result = QCoreApplication::exec();
    std::printf("quitting\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(times.teardown);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool start = !arguments.isEmpty() && arguments.first() == QLatin1String("--start");
    if (start)
        arguments.removeFirst();
    StartTimes times;
    const QLatin1String busyOption("--busy-ms=");
    const QLatin1String teardownOption("--teardown-ms=");
    while (start && !arguments.isEmpty()) {
        if (arguments.first().startsWith(busyOption))
            times.busy = std::chrono::milliseconds(arguments.takeFirst().mid(busyOption.size()).toInt());
        else if (arguments.first().startsWith(teardownOption))
            times.teardown =
                std::chrono::milliseconds(arguments.takeFirst().mid(teardownOption.size()).toInt());
        else
            break;
    }
    if (arguments.isEmpty())
        return 2;
    const QString name = arguments.takeFirst();
    const QStringList urls = quill::SingleInstanceGuard::schemeUrls(arguments);
    if (start)
        return startAsTheProgramDoes(app, name, urls, times);
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
