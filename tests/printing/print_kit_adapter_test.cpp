// The printer adapter over recorded CUPS tool outputs: the printer list and its
// refreshes, queue repair, the job options and what is refused before CUPS.
#include "eventually.h"
#include "fake_process_runner.h"
#include "run_sync.h"
#include "common/settings.h"
#include "printing/print_kit_adapter.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"

#include <QBuffer>
#include <QCoroSignal>
#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "fake_sleeper.h"
#include "gate.h"
#include "temporary_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <map>

using namespace quill;
using printkit::CUPSQueueState;
using printkit::PrinterDescriptor;
using quill::testing::FakeProcessRunner;
using quill::testing::runSync;
using quill::testing::settle;

using quill::testing::FakeSleeper;
using quill::testing::Gate;
using quill::testing::HeldSleeper;
using quill::testing::TemporarySettings;

namespace {

// A catalog whose every answer is given by the test, in any order.
class GatedCatalog final : public printkit::PrinterQuerying
{
public:
    QCoro::Task<QList<PrinterDescriptor>> availablePrinters() override
    {
        m_calls.push_back(std::make_unique<Call>());
        Call *call = m_calls.back().get();
        co_await call->gate.wait();
        co_return QList<PrinterDescriptor>(call->answer);
    }
    QCoro::Task<std::optional<PrinterDescriptor>> defaultPrinter() override { co_return std::nullopt; }
    QCoro::Task<std::optional<PrinterDescriptor>> preferredPrinter(QStringList) override { co_return std::nullopt; }

    void answer(size_t call, QList<PrinterDescriptor> printers)
    {
        m_calls.at(call)->answer = std::move(printers);
        m_calls.at(call)->gate.open();
    }
    size_t calls() const { return m_calls.size(); }

private:
    struct Call
    {
        Gate gate;
        QList<PrinterDescriptor> answer;
    };
    std::vector<std::unique_ptr<Call>> m_calls;
};

QByteArray pngBytes()
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QList<QtMsgType> g_types;
QStringList g_messages;
void recordMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    g_types.append(type);
    g_messages.append(message);
}

class PrintKitAdapterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_calibration = std::make_unique<PrinterCalibrationStore>(*m_settings);

        m_tools.lp = QStringLiteral("/fake/lp");
        m_tools.lpstat = QStringLiteral("/fake/lpstat");
        m_tools.cancel = QStringLiteral("/fake/cancel");
        m_tools.cupsenable = QStringLiteral("/fake/cupsenable");
        m_tools.ppdDirectory = m_dir.filePath(QStringLiteral("ppd"));
        QDir(m_dir.path()).mkpath(QStringLiteral("ppd"));
        QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));

        m_runner.setResponder([this](const ProcessRequest &request) { return answer(request); });
    }

    std::unique_ptr<PrintKitAdapter> makeAdapter(std::shared_ptr<printkit::PrinterQuerying> catalog = nullptr,
                                                 Sleeper *sleeper = nullptr)
    {
        PrintKitAdapterSetup setup;
        setup.runner = &m_runner;
        setup.tools = m_tools;
        setup.sleeper = sleeper ? sleeper : &m_instantSleeper;
        setup.catalog = std::move(catalog);
        setup.calibration = m_calibration.get();
        auto adapter = std::make_unique<PrintKitAdapter>(std::move(setup));
        adapter->cupsTransport().setDebugCopyFolder(QString());
        adapter->cupsTransport().setTemporaryFolder(m_dir.filePath(QStringLiteral("tmp")));
        return adapter;
    }

    // The scheduler as lpstat, lp, cupsenable and cancel describe it.
    ProcessResult answer(const ProcessRequest &request)
    {
        const QStringList &args = request.arguments;
        if (request.program == m_tools.lpstat) {
            if (args == QStringList{QStringLiteral("-e")})
                return FakeProcessRunner::finished(m_queues.join(QLatin1Char('\n')) + QLatin1Char('\n'));
            if (args == QStringList{QStringLiteral("-d")})
                return FakeProcessRunner::finished(QStringLiteral("system default destination: ") + m_default);
            if (args.size() == 2 && args.at(0) == QLatin1String("-p")) {
                const QString &queue = args.at(1);
                if (m_unreadable.contains(queue))
                    return FakeProcessRunner::finished(QStringLiteral("lpstat: Bad file descriptor"), 1);
                if (m_stopped.contains(queue))
                    return FakeProcessRunner::finished(QStringLiteral("printer %1 disabled since Mon Dec  7 "
                                                                      "07:47:29 2026 -\n\tPaused\n")
                                                           .arg(queue));
                return FakeProcessRunner::finished(
                    QStringLiteral("printer %1 is idle.  enabled since Mon Dec  7 07:46:34 2026\n").arg(queue));
            }
            if (args.size() == 2 && args.at(0) == QLatin1String("-o")) {
                QString out;
                for (const QString &job : m_jobs.value(args.at(1)))
                    out += QStringLiteral("%1             root              4096   Mon Dec  7 07:47:29 2026\n")
                               .arg(job);
                return FakeProcessRunner::finished(out);
            }
        }
        if (request.program == m_tools.cupsenable) {
            m_stopped.removeAll(args.value(0));
            return FakeProcessRunner::finished(QString());
        }
        if (request.program == m_tools.cancel) {
            m_jobs.remove(args.value(1));
            return FakeProcessRunner::finished(QString());
        }
        if (request.program == m_tools.lp) {
            const QString queue = args.value(1);
            if (m_refusing.contains(queue))
                return FakeProcessRunner::finished(
                    QStringLiteral("lp: Destination \"%1\" is not accepting jobs.").arg(queue), 1);
            return FakeProcessRunner::finished(QStringLiteral("request id is %1-1 (1 file(s))").arg(queue));
        }
        return FakeProcessRunner::failedToStart();
    }

    QStringList lpOptions() const
    {
        const auto calls = m_runner.argumentsFor(m_tools.lp);
        QStringList options;
        if (calls.isEmpty())
            return options;
        const QStringList &args = calls.last();
        for (qsizetype i = 0; i + 1 < args.size(); ++i) {
            if (args.at(i) == QLatin1String("-o"))
                options.append(args.at(i + 1));
        }
        return options;
    }

    QTemporaryDir m_dir;
    TemporarySettings m_settings;
    std::unique_ptr<PrinterCalibrationStore> m_calibration;
    printkit::CUPSTools m_tools;
    FakeProcessRunner m_runner;
    FakeSleeper m_instantSleeper;

    QStringList m_queues{QStringLiteral("Beta"), QStringLiteral("Alpha")};
    QString m_default = QStringLiteral("Beta");
    QStringList m_stopped;
    QStringList m_unreadable;
    QStringList m_refusing;
    QMap<QString, QStringList> m_jobs;
};

QList<printkit::CUPSOption> options(std::initializer_list<std::pair<const char *, const char *>> list)
{
    QList<printkit::CUPSOption> out;
    for (const auto &entry : list)
        out.append({QString::fromLatin1(entry.first), QString::fromLatin1(entry.second)});
    return out;
}

} // namespace

TEST(PrintKitAdapterOptions, SevenFixedOptionsThenTheOffsetsThatAreNotZero)
{
    const auto base = options({{"page-left", "0"},
                               {"page-right", "0"},
                               {"page-top", "0"},
                               {"page-bottom", "0"},
                               {"fit-to-page", "true"},
                               {"PaperType", "1"},
                               {"PostAction", "None"}});
    EXPECT_EQ(PrintKitAdapter::cupsOptions(true, 0, 0), base);

    const auto html = PrintKitAdapter::cupsOptions(false, 0, 0);
    ASSERT_EQ(html.size(), 7);
    EXPECT_EQ(html.at(4), (printkit::CUPSOption{QStringLiteral("fit-to-page"), QStringLiteral("false")}));

    auto vertical = base;
    vertical.append({QStringLiteral("ShiftMove"), QStringLiteral("-3")});
    EXPECT_EQ(PrintKitAdapter::cupsOptions(true, -3, 0), vertical);

    auto feed = base;
    feed.append({QStringLiteral("FowardOffset"), QStringLiteral("5")});
    EXPECT_EQ(PrintKitAdapter::cupsOptions(true, 0, 5), feed);

    // Out-of-range offsets are sent at the driver's limits.
    const auto clamped = PrintKitAdapter::cupsOptions(true, -40, 31);
    ASSERT_EQ(clamped.size(), 9);
    EXPECT_EQ(clamped.at(7).id(), QStringLiteral("ShiftMove=-12"));
    EXPECT_EQ(clamped.at(8).id(), QStringLiteral("FowardOffset=30"));
    EXPECT_EQ(PrintKitAdapter::cupsOptions(true, 12, -30).at(8).id(), QStringLiteral("FowardOffset=-30"));
}

TEST(PrintKitAdapterCanvas, ImageCanvasLiesAcrossAndHtmlCanvasKeepsTheLabelsOrientation)
{
    const printkit::LabelCanvas circle = PrintKitAdapter::imageCanvas(LabelMedia::circle2());
    EXPECT_EQ(circle.shape, printkit::LabelShape::circle);
    EXPECT_EQ(circle.widthInches, 2.0);
    EXPECT_EQ(circle.heightInches, 2.0);
    EXPECT_EQ(circle.name, QStringLiteral("2\" Circle"));

    const printkit::LabelCanvas tall = PrintKitAdapter::imageCanvas({QStringLiteral("t"), 1.0, 2.0, false, {}});
    EXPECT_EQ(tall.shape, printkit::LabelShape::roundedRectangle);
    EXPECT_EQ(tall.cupsPageSizeName(), QStringLiteral("Custom.144x72"));
    EXPECT_EQ(tall.name, QString::fromUtf8("1×2"));
    EXPECT_EQ(tall.printerDPI, std::nullopt);

    const printkit::LabelCanvas shipping = PrintKitAdapter::htmlCanvas(4, 6);
    EXPECT_EQ(shipping.name, QString::fromUtf8("4×6"));
    EXPECT_EQ(shipping.shape, printkit::LabelShape::roundedRectangle);
    EXPECT_EQ(shipping.cupsPageSizeName(), QStringLiteral("Custom.288x432"));
    EXPECT_EQ(PrintKitAdapter::htmlCanvas(6, 4).cupsPageSizeName(), QStringLiteral("Custom.432x288"));
    EXPECT_EQ(PrintKitAdapter::htmlCanvas(2.25, 1.25).name, QString::fromUtf8("2.2×1.2"));
}

TEST_F(PrintKitAdapterTest, RefreshListsEveryPrinterWithItsQueue)
{
    m_stopped = {QStringLiteral("Alpha")};
    m_unreadable = {QStringLiteral("Beta")};
    m_jobs[QStringLiteral("Alpha")] = {QStringLiteral("Alpha-3"), QStringLiteral("Alpha-4")};
    auto adapter = makeAdapter();
    QSignalSpy listed(adapter.get(), &PrintKitAdapter::printersChanged);
    QSignalSpy connected(adapter.get(), &PrintKitAdapter::isConnectedChanged);
    EXPECT_FALSE(adapter->isConnected());

    runSync(adapter->refreshPrinters());
    ASSERT_EQ(adapter->printers().size(), 2);
    const PrinterInfo &beta = adapter->printers().at(0); // the default first
    EXPECT_EQ(beta.name, QStringLiteral("Beta"));
    EXPECT_TRUE(beta.isDefault);
    EXPECT_EQ(beta.queueState, CUPSQueueState::unknown);
    EXPECT_TRUE(beta.isOnline); // an unreadable queue is not declared offline
    EXPECT_EQ(beta.driver, QStringLiteral("CUPS"));
    EXPECT_EQ(beta.connection, QStringLiteral("system"));
    EXPECT_EQ(beta.hint, QString());
    const PrinterInfo &alpha = adapter->printers().at(1);
    EXPECT_EQ(alpha.queueState, CUPSQueueState::stopped);
    EXPECT_FALSE(alpha.isOnline);
    EXPECT_EQ(alpha.pendingJobCount, 2);
    EXPECT_TRUE(adapter->isConnected());

    // Every refresh republishes the list; the connection flag only when it changes.
    runSync(adapter->refreshPrinters());
    EXPECT_EQ(listed.count(), 2);
    EXPECT_EQ(connected.count(), 1);

    m_queues.clear();
    m_default.clear();
    g_messages.clear();
    const auto previousHandler = qInstallMessageHandler(recordMessage);
    runSync(adapter->refreshPrinters());
    qInstallMessageHandler(previousHandler);
    EXPECT_TRUE(adapter->printers().isEmpty());
    EXPECT_FALSE(adapter->isConnected());
    EXPECT_TRUE(g_messages.contains(QStringLiteral("Discovered 0 printer(s)"))) << g_messages.join(QLatin1Char('|'));
}

TEST_F(PrintKitAdapterTest, AnOlderRefreshNeverReplacesANewerList)
{
    auto catalog = std::make_shared<GatedCatalog>();
    auto adapter = makeAdapter(catalog);
    const PrinterDescriptor alpha{QStringLiteral("Alpha"), QStringLiteral("Alpha"), true};
    const PrinterDescriptor beta{QStringLiteral("Beta"), QStringLiteral("Beta"), false};

    QCoro::Task<> first = adapter->refreshPrinters();
    QCoro::Task<> second = adapter->refreshPrinters();
    ASSERT_EQ(catalog->calls(), 2u);

    catalog->answer(1, {alpha, beta});
    runSync(std::move(second));
    EXPECT_EQ(adapter->printers().size(), 2);

    // The first refresh read the system before Beta was added; its answer is stale.
    catalog->answer(0, {alpha});
    runSync(std::move(first));
    EXPECT_EQ(adapter->printers().size(), 2);

    // A refresh started later wins again.
    QCoro::Task<> third = adapter->refreshPrinters();
    catalog->answer(2, {});
    runSync(std::move(third));
    EXPECT_TRUE(adapter->printers().isEmpty());
    EXPECT_FALSE(adapter->isConnected());
}

TEST_F(PrintKitAdapterTest, TimerRefreshesAtOnceThenEvery30SecondsWhileTheAdapterLives)
{
    auto catalog = std::make_shared<GatedCatalog>();
    HeldSleeper sleeper;
    auto adapter = makeAdapter(catalog, &sleeper);
    QSignalSpy timer(adapter.get(), &PrintKitAdapter::refreshTimerChanged);

    adapter->startRefreshTimer();
    adapter->startRefreshTimer(); // a second start adds no second timer
    EXPECT_TRUE(adapter->isRefreshTimerRunning());
    EXPECT_EQ(timer.count(), 1);
    EXPECT_EQ(catalog->calls(), 1u);
    ASSERT_EQ(sleeper.sleeps().size(), 1);
    EXPECT_EQ(sleeper.sleeps().at(0), std::chrono::milliseconds(30000));

    // A tick does not wait for a slow refresh: ticks and refreshes are not coalesced.
    ASSERT_TRUE(sleeper.releaseOldest());
    settle();
    EXPECT_EQ(catalog->calls(), 2u);
    ASSERT_TRUE(sleeper.releaseOldest());
    settle();
    EXPECT_EQ(catalog->calls(), 3u);
    EXPECT_EQ(sleeper.heldCount(), 1);

    catalog->answer(2, {{QStringLiteral("Alpha"), QStringLiteral("Alpha"), true}});
    catalog->answer(0, {});
    settle();
    EXPECT_EQ(adapter->printers().size(), 1);

    // Once the adapter is gone, the pending tick ends the loop without a refresh.
    adapter.reset();
    ASSERT_TRUE(sleeper.releaseOldest());
    settle();
    EXPECT_EQ(catalog->calls(), 3u);
    EXPECT_EQ(sleeper.heldCount(), 0);
    catalog->answer(1, {}); // a refresh in flight finishes without touching the adapter
    settle();
}

TEST_F(PrintKitAdapterTest, RecoveryRestartsTheQueueAndKeepsItsJobs)
{
    m_stopped = {QStringLiteral("Alpha")};
    m_jobs[QStringLiteral("Alpha")] = {QStringLiteral("Alpha-3")};
    auto adapter = makeAdapter();
    runSync(adapter->refreshPrinters());
    ASSERT_EQ(adapter->printers().at(1).queueState, CUPSQueueState::stopped);

    const printkit::QueueCommandResult result = runSync(adapter->recoverQueue(QStringLiteral("Alpha")));
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(m_runner.argumentsFor(m_tools.cupsenable), QList<QStringList>{{QStringLiteral("Alpha")}});
    EXPECT_TRUE(m_runner.argumentsFor(m_tools.cancel).isEmpty());
    // The list already shows the state read after the repair.
    EXPECT_EQ(adapter->printers().at(1).queueState, CUPSQueueState::idle);
    EXPECT_EQ(adapter->printers().at(1).pendingJobCount, 1);
    EXPECT_EQ(runSync(adapter->queueStatus(QStringLiteral("Alpha"))), CUPSQueueState::idle);
}

TEST_F(PrintKitAdapterTest, ClearingCancelsEveryJobLogsThemAndLeavesTheQueueStopped)
{
    m_stopped = {QStringLiteral("Alpha")};
    m_jobs[QStringLiteral("Alpha")] = {QStringLiteral("Alpha-3"), QStringLiteral("Alpha-4")};
    auto adapter = makeAdapter();

    g_messages.clear();
    g_types.clear();
    const auto previousHandler = qInstallMessageHandler(recordMessage);
    const printkit::QueueCommandResult result = runSync(adapter->clearQueue(QStringLiteral("Alpha")));
    qInstallMessageHandler(previousHandler);

    EXPECT_TRUE(result.ok);
    EXPECT_EQ(m_runner.argumentsFor(m_tools.cancel),
              (QList<QStringList>{{QStringLiteral("-a"), QStringLiteral("Alpha")}}));
    EXPECT_TRUE(m_runner.argumentsFor(m_tools.cupsenable).isEmpty());
    EXPECT_TRUE(g_messages.contains(QStringLiteral("Cancelling every job of Alpha: Alpha-3, Alpha-4")))
        << g_messages.join(QLatin1Char('|'));
    EXPECT_EQ(adapter->printers().at(1).queueState, CUPSQueueState::stopped);
    EXPECT_EQ(adapter->printers().at(1).pendingJobCount, 0);
}

TEST_F(PrintKitAdapterTest, APrinterNameBeginningWithADashReachesNoTool)
{
    // As a queue, "-x" would turn "cancel -a <queue>" into "cancel -a -x": every queue purged.
    auto adapter = makeAdapter();
    const QString refusal =
        QStringLiteral("'-x' is not a printer queue name CUPS can be given: a queue name cannot begin with \"-\".");
    const printkit::QueueCommandResult cleared = runSync(adapter->clearQueue(QStringLiteral("-x")));
    EXPECT_FALSE(cleared.ok);
    EXPECT_EQ(cleared.message, refusal);
    const printkit::QueueCommandResult recovered = runSync(adapter->recoverQueue(QStringLiteral("-x")));
    EXPECT_FALSE(recovered.ok);
    EXPECT_EQ(recovered.message, refusal);
    EXPECT_EQ(runSync(adapter->queueStatus(QStringLiteral("-x"))), CUPSQueueState::unknown);
    const PrintResult printed = runSync(
        adapter->printImage(QStringLiteral("-x"), pngBytes(), LabelMedia::rect1x2(), Orientation::portrait, 1));
    EXPECT_FALSE(printed.ok);
    EXPECT_EQ(printed.message, refusal);
    EXPECT_TRUE(m_runner.requests().isEmpty()) << m_runner.requests().first().program.toStdString();

    // A scheduler that lists such a name never gets it offered as a printer.
    m_queues = {QStringLiteral("-x"), QStringLiteral("Alpha")};
    runSync(adapter->refreshPrinters());
    ASSERT_EQ(adapter->printers().size(), 1);
    EXPECT_EQ(adapter->printers().at(0).name, QStringLiteral("Alpha"));
}

TEST_F(PrintKitAdapterTest, PngLabelGoesOutOnTheMediumsPageSizeWithTheCalibration)
{
    m_calibration->setVerticalOffset(-3);
    m_calibration->setFeedOffset(45); // kept as stored, sent at the driver's limit
    auto adapter = makeAdapter();
    const PrintResult result = runSync(adapter->printImage(QStringLiteral("Alpha"), pngBytes(), LabelMedia::rect1x2(),
                                                           Orientation::portrait, 1));
    EXPECT_TRUE(result.ok) << result.message;
    EXPECT_EQ(lpOptions(), (QStringList{QStringLiteral("PageSize=Custom.144x72"),
                                        QStringLiteral("PageRegion=Custom.144x72"), QStringLiteral("page-left=0"),
                                        QStringLiteral("page-right=0"), QStringLiteral("page-top=0"),
                                        QStringLiteral("page-bottom=0"), QStringLiteral("fit-to-page=true"),
                                        QStringLiteral("PaperType=1"), QStringLiteral("PostAction=None"),
                                        QStringLiteral("ShiftMove=-3"), QStringLiteral("FowardOffset=30")}));
    EXPECT_EQ(m_calibration->feedOffset(), 45);
    EXPECT_EQ(m_runner.argumentsFor(m_tools.lp).last().mid(0, 4),
              (QStringList{QStringLiteral("-d"), QStringLiteral("Alpha"), QStringLiteral("-n"), QStringLiteral("1")}));
}

TEST_F(PrintKitAdapterTest, NothingUnprintableReachesCups)
{
    auto adapter = makeAdapter();
    const auto print = [&](QString printer, QByteArray png, LabelMedia media, qint64 copies) {
        return runSync(adapter->printImage(std::move(printer), std::move(png), std::move(media),
                                           Orientation::landscape, copies));
    };
    const PrintResult empty = print(QStringLiteral("Alpha"), QByteArray(), LabelMedia::rect1x2(), 1);
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.message, QStringLiteral("The label image is empty, so nothing was sent to Alpha."));
    EXPECT_FALSE(print(QStringLiteral("Alpha"), "<html>", LabelMedia::rect1x2(), 1).ok);
    EXPECT_FALSE(print(QStringLiteral("Alpha"), pngBytes(), LabelMedia::rect1x2(), 0).ok);
    EXPECT_FALSE(print(QStringLiteral(" "), pngBytes(), LabelMedia::rect1x2(), 1).ok);
    const PrintResult huge = print(QStringLiteral("Alpha"), pngBytes(), {QStringLiteral("x"), 60, 4, false, {}}, 1);
    EXPECT_FALSE(huge.ok);
    EXPECT_TRUE(huge.message.contains(QStringLiteral("at most 48 inches"))) << huge.message;
    // A size that rounds to no dots at all would reach lp as a page of 0 × 0.
    for (const double side : {0.001, 1e-300}) {
        const PrintResult tiny =
            print(QStringLiteral("Alpha"), pngBytes(), {QStringLiteral("x"), side, side, false, {}}, 1);
        EXPECT_FALSE(tiny.ok);
        EXPECT_TRUE(tiny.message.contains(QStringLiteral("at least 0.25"))) << tiny.message;
    }
    EXPECT_TRUE(m_runner.argumentsFor(m_tools.lp).isEmpty());
}

TEST_F(PrintKitAdapterTest, OverlappingPrintsEachGetTheirOwnOutcome)
{
    m_refusing = {QStringLiteral("Beta")};
    auto adapter = makeAdapter();
    QCoro::Task<PrintResult> refused =
        adapter->printImage(QStringLiteral("Beta"), pngBytes(), LabelMedia::rect1x2(), Orientation::landscape, 1);
    QCoro::Task<PrintResult> accepted =
        adapter->printImage(QStringLiteral("Alpha"), pngBytes(), LabelMedia::circle2(), Orientation::landscape, 1);
    const PrintResult second = runSync(std::move(accepted));
    const PrintResult first = runSync(std::move(refused));
    EXPECT_FALSE(first.ok);
    EXPECT_EQ(first.message, QStringLiteral("lp: Destination \"Beta\" is not accepting jobs."));
    EXPECT_TRUE(second.ok) << second.message;
    EXPECT_TRUE(second.message.isEmpty());
}

TEST_F(PrintKitAdapterTest, HtmlLabelsOfUnprintableSizeFailBeforeAnyPageIsMade)
{
    auto adapter = makeAdapter();
    for (const auto &size :
         {std::pair{0.0, 1.0}, std::pair{4.0, 49.0}, std::pair{std::nan(""), 2.0}, std::pair{0.001, 0.001}}) {
        const PrintResult result =
            runSync(adapter->printHTML(QStringLiteral("Alpha"), QStringLiteral("<p>x</p>"), size.first, size.second));
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.message.contains(QStringLiteral("at most 48 inches"))) << result.message;
    }
    EXPECT_EQ(adapter->activePdfConversions(), 0);
    EXPECT_TRUE(m_runner.argumentsFor(m_tools.lp).isEmpty());
}

TEST_F(PrintKitAdapterTest, AnHtmlLabelThatTimesOutFailsOnceAndSendsNothing)
{
    // The instant sleeper makes the time-out pass before the page could load.
    auto adapter = makeAdapter();
    QSignalSpy active(adapter.get(), &PrintKitAdapter::activePdfConversionsChanged);
    const PrintResult result =
        runSync(adapter->printHTML(QStringLiteral("Alpha"), QStringLiteral("<p>x</p>"), 4, 6));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, QStringLiteral("The label page did not finish within 30 seconds."));
    EXPECT_EQ(adapter->activePdfConversions(), 0);
    EXPECT_EQ(active.count(), 2);
    EXPECT_TRUE(m_runner.argumentsFor(m_tools.lp).isEmpty());

    const QString huge(2 * 1024 * 1024 + 1, QLatin1Char('x'));
    const PrintResult tooLarge = runSync(adapter->printHTML(QStringLiteral("Alpha"), huge, 4, 6));
    EXPECT_FALSE(tooLarge.ok);
    EXPECT_TRUE(tooLarge.message.contains(QStringLiteral("larger than 2 MB"))) << tooLarge.message;
}

