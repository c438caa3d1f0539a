// The stand-in marketplace on its own, for the local demo: one show ("demo")
// whose chat gets a bid every second and a win every eight seconds, with a few
// sold rows. Runs until killed.

#include "standin_marketplace.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTimer>
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
    // Pictures are drawn with QImage, which needs the GUI library but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmark-standin-marketplace"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in marketplace pages for the local demo."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringList{QStringLiteral("p"), QStringLiteral("port")},
                                        QStringLiteral("Port on 127.0.0.1 (0: any free port)."),
                                        QStringLiteral("port"), QStringLiteral("8788"));
    parser.addOption(portOption);
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "quillmark-standin-marketplace: invalid port \"%s\"\n",
                     qPrintable(parser.value(portOption)));
        return 2;
    }

    quill::standin::StandinMarketplace marketplace;
    const QString stream = QStringLiteral("demo");
    marketplace.setStreamTitle(stream, QStringLiteral("Friday night breaks"));
    QList<quill::standin::SoldRow> sold;
    for (int i = 1; i <= 20; ++i) {
        sold.append({QStringLiteral("Sold lot %1").arg(i),
                     QStringLiteral("buyer%1").arg(i % 7),
                     QStringLiteral("%1").arg(5 * i),
                     i,
                     {}});
    }
    marketplace.setSoldRows(stream, sold);

    if (marketplace.listen(quint16(port)) == 0) {
        std::fprintf(stderr, "quillmark-standin-marketplace: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }

    int tick = 0;
    int lot = 100;
    QTimer activity;
    QObject::connect(&activity, &QTimer::timeout, &marketplace, [&] {
        ++tick;
        const QString user = QStringLiteral("bidder%1").arg(tick % 9);
        marketplace.addBid(stream, {user, QStringLiteral("bid $%1").arg(5 + tick % 40), {}});
        if (tick % 8 == 0) {
            ++lot;
            marketplace.addWin(
                stream,
                {user, QStringLiteral("Mystery pack"), lot, QStringLiteral("%1").arg(5 + tick % 40), {}});
        }
    });
    activity.start(1000);

    printLine(QStringLiteral("Stand-in marketplace listening on %1").arg(marketplace.baseUrl().toString()));
    printLine(QStringLiteral("home %1").arg(marketplace.homeUrl().toString()));
    printLine(QStringLiteral("live prefix %1").arg(marketplace.livePrefix()));
    printLine(QStringLiteral("demo show %1").arg(marketplace.liveUrl(stream).toString()));
    return QCoreApplication::exec();
}
