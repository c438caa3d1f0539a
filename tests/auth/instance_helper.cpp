// A later start of the application: hands its URLs to the running instance named
// by the first argument. Exit 0: handed over; 3: no instance answered; 4: the
// hand-over failed (the reason on standard error).
#include "app/single_instance_guard.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return 2;
    const quill::SingleInstanceGuard guard(arguments.takeFirst());
    const auto handOver = guard.forwardToRunningInstance(quill::SingleInstanceGuard::schemeUrls(arguments));
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
