// The stand-in backend on its own, for the local demo: a few sellers and one
// staff user, with a ready-made token each. Runs until killed.

#include "standin_backend.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

void printLine(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout); // scripts wait for these lines while the server runs
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmark-standin-backend"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in backend for the local demo and tests."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringList{QStringLiteral("p"), QStringLiteral("port")},
                                        QStringLiteral("Port on 127.0.0.1 (0: any free port)."),
                                        QStringLiteral("port"), QStringLiteral("8787"));
    parser.addOption(portOption);
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "quillmark-standin-backend: invalid port \"%s\"\n",
                     qPrintable(parser.value(portOption)));
        return 2;
    }

    quill::standin::StandinBackend backend;
    struct Seed
    {
        QString id;
        QString email;
        QString name;
    };
    const QList<Seed> seeds{
        {QStringLiteral("seller-1"), QStringLiteral("ava@example.com"), QStringLiteral("Ava Seller")},
        {QStringLiteral("seller-2"), QStringLiteral("ben@example.com"), QStringLiteral("Ben Seller")},
        {QStringLiteral("staff-1"), QStringLiteral("staff@quillmark.app"), QStringLiteral("Quillmark Staff")},
    };
    backend.addStaffEmail(QStringLiteral("staff@quillmark.app"));
    QStringList tokens;
    for (const Seed &seed : seeds)
        tokens.append(backend.addUser(seed.id, seed.email, seed.name));

    if (backend.listen(quint16(port)) == 0) {
        std::fprintf(stderr, "quillmark-standin-backend: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }

    printLine(QStringLiteral("Stand-in backend listening on %1").arg(backend.baseUrl().toString()));
    for (qsizetype i = 0; i < seeds.size(); ++i)
        printLine(QStringLiteral("token %1 %2 %3").arg(seeds.at(i).id, seeds.at(i).email, tokens.at(i)));
    return QCoreApplication::exec();
}
