// The transport and the queue monitor against the private CUPS scheduler.
#include "cups_testbed.h"
#include "run_sync.h"
#include "printkit/domain/label_preset.h"
#include "printkit/rendering/label_renderer.h"
#include "printkit/transport/cups_print_transport.h"
#include "printkit/transport/cups_queue_monitor.h"

#include <QBuffer>
#include <QCoroTask>
#include <QImage>

#include <gtest/gtest.h>

using namespace printkit;
namespace tb = quill::testing::cups;
using quill::testing::runSync;

namespace {

QByteArray labelPng(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < width; ++x)
        image.setPixel(x, height / 2, qRgb(0, 0, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

class CupsQueue : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tb::resetQueues();
        m_tools.ppdDirectory = tb::ppdDirectory();
        m_transport = std::make_unique<CUPSPrintTransport>(&m_renderer, &quill::QProcessRunner::instance(), m_tools);
        m_transport->setDebugCopyFolder(QString());
    }
    void TearDown() override { tb::resetQueues(); }


    CUPSTools m_tools;
    LabelRenderer m_renderer;
    CUPSQueueMonitor m_monitor{&quill::QProcessRunner::instance(), m_tools};
    std::unique_ptr<CUPSPrintTransport> m_transport;
};

} // namespace

TEST_F(CupsQueue, PngJobArrivesWithItsPageSizeCopiesAndOptions)
{
    const qsizetype before = tb::jobFiles(QStringLiteral("TestLabel")).size();
    const QByteArray png = labelPng(600, 300);
    CUPSPrintConfiguration config{std::nullopt, true, {{QStringLiteral("PostAction"), QStringLiteral("None")}}};
    runSync(m_transport->printImage(png, QStringLiteral("TestLabel"), LabelPreset::rect1x2().canvas, 2, config));

    const QString job = tb::nextJob(QStringLiteral("TestLabel"), before);
    EXPECT_EQ(tb::readFile(job + QStringLiteral(".bin")), png);
    const QString options = QString::fromUtf8(tb::readFile(job + QStringLiteral(".options")));
    EXPECT_TRUE(options.contains(QStringLiteral("PageSize=Custom.144x72"))) << options.toStdString();
    EXPECT_TRUE(options.contains(QStringLiteral("PageRegion=Custom.144x72")));
    EXPECT_TRUE(options.contains(QStringLiteral("PostAction=None")));
    EXPECT_TRUE(options.startsWith(QStringLiteral("copies=2 ")));
}

TEST_F(CupsQueue, PdfJobOfAToolkitRequestArrivesAsPdf)
{
    const qsizetype before = tb::jobFiles(QStringLiteral("TestLabel")).size();
    PrintJobRequest request(QStringLiteral("TestLabel"), LabelPreset::rect3x2().canvas, LabelCalibration::standard(),
                            LabelContent::sample(), 1, PrintTransportStrategy::cups);
    runSync(m_transport->print(request));
    const QString job = tb::nextJob(QStringLiteral("TestLabel"), before);
    EXPECT_TRUE(tb::readFile(job + QStringLiteral(".bin")).startsWith("%PDF"));
    EXPECT_TRUE(QString::fromUtf8(tb::readFile(job + QStringLiteral(".options")))
                    .contains(QStringLiteral("PageSize=Custom.216x144")));
}

TEST_F(CupsQueue, LabelDriverFilterChainRasterisesThePng)
{
    const QString zpl = tb::testbedDir() + QStringLiteral("/out/zebra.zpl");
    QFile::remove(zpl);
    // A 2 × 1 in label at 203 dpi, resolved through the scheduler's PPD folder by a
    // display name that only folds to the queue's name.
    runSync(m_transport->printImage(labelPng(406, 203), QStringLiteral("Zebra Label"),
                                           LabelPreset::rect1x2().canvas, 1));
    ASSERT_TRUE(tb::eventually([&] { return tb::readFile(zpl).contains("^XZ"); }));
    const QByteArray out = tb::readFile(zpl);
    EXPECT_TRUE(out.contains("~DGR:CUPS.GRF")) << out.left(200).toStdString();
    EXPECT_TRUE(out.contains("^XA"));
}

TEST_F(CupsQueue, RefusedSubmissionCarriesLpsMessage)
{
    tb::tool(QStringLiteral("/usr/sbin/cupsreject"), {QStringLiteral("SlowLabel")});
    try {
        runSync(m_transport->printImage(labelPng(10, 10), QStringLiteral("SlowLabel"),
                                               LabelPreset::rect1x2().canvas, 1));
        FAIL() << "a rejecting queue accepted a job";
    } catch (const CUPSPrintTransportError &e) {
        // lp's own words, as it prints them (prefixed with its path).
        EXPECT_TRUE(e.message().endsWith(QStringLiteral("lp: Destination \"SlowLabel\" is not accepting jobs.")))
            << e.message();
    }
    try {
        runSync(m_transport->printImage(labelPng(10, 10), QStringLiteral("No Such Printer"),
                                               LabelPreset::rect1x2().canvas, 1));
        FAIL() << "an unknown printer was resolved";
    } catch (const CUPSPrintTransportError &e) {
        EXPECT_EQ(e.kind(), CUPSPrintTransportError::Kind::queueNotFound);
    }
}

TEST_F(CupsQueue, MonitorFollowsAQueueThroughStopPendingAndRepair)
{
    EXPECT_EQ(runSync(m_monitor.queueStatus(QStringLiteral("TestLabel"))).state(), CUPSQueueState::idle);

    tb::tool(QStringLiteral("/usr/sbin/cupsdisable"), {QStringLiteral("-r"), QStringLiteral("Paused by test"),
                                                       QStringLiteral("TestLabel")});
    const qsizetype before = tb::jobFiles(QStringLiteral("TestLabel")).size();
    runSync(m_transport->printImage(labelPng(10, 10), QStringLiteral("TestLabel"),
                                           LabelPreset::rect1x2().canvas, 1));
    runSync(m_transport->printImage(labelPng(10, 10), QStringLiteral("TestLabel"),
                                           LabelPreset::rect1x2().canvas, 1));
    const CUPSQueueStatus stopped = runSync(m_monitor.queueStatus(QStringLiteral("TestLabel")));
    EXPECT_TRUE(stopped.isStopped());
    EXPECT_EQ(stopped.stateMessage(), QStringLiteral("Paused by test"));
    EXPECT_EQ(stopped.pendingJobCount(), 2);

    // Re-enabling prints what was waiting; nothing is cancelled.
    EXPECT_TRUE(runSync(m_monitor.enableQueue(QStringLiteral("TestLabel"))).ok);
    EXPECT_TRUE(tb::eventually([&] { return tb::jobFiles(QStringLiteral("TestLabel")).size() == before + 2; }));
    EXPECT_TRUE(tb::eventually([&] {
        const auto s = runSync(m_monitor.queueStatus(QStringLiteral("TestLabel")));
        return s.state() == CUPSQueueState::idle && s.pendingJobCount() == 0;
    }));
}

TEST_F(CupsQueue, BackendFailureStopsTheQueueAndCancelEmptiesIt)
{
    runSync(m_transport->printImage(labelPng(10, 10), QStringLiteral("FailLabel"),
                                           LabelPreset::rect1x2().canvas, 1));
    ASSERT_TRUE(tb::eventually(
        [&] { return runSync(m_monitor.queueStatus(QStringLiteral("FailLabel"))).isStopped(); }));
    const CUPSQueueStatus status = runSync(m_monitor.queueStatus(QStringLiteral("FailLabel")));
    EXPECT_EQ(status.stateMessage(), QStringLiteral("simulated failure exit=4"));
    EXPECT_EQ(status.pendingJobCount(), 1);

    EXPECT_TRUE(runSync(m_monitor.cancelAllJobs(QStringLiteral("FailLabel"))).ok);
    EXPECT_EQ(runSync(m_monitor.queueStatus(QStringLiteral("FailLabel"))).pendingJobCount(), 0);
}

TEST_F(CupsQueue, PrintingQueueReadsAsProcessing)
{
    runSync(m_transport->printImage(labelPng(10, 10), QStringLiteral("SlowLabel"),
                                           LabelPreset::rect1x2().canvas, 1));
    EXPECT_TRUE(tb::eventually([&] {
        return runSync(m_monitor.queueStatus(QStringLiteral("SlowLabel"))).state() ==
               CUPSQueueState::processing;
    }));
}

TEST_F(CupsQueue, RepairOfAnUnknownQueueReportsTheFailure)
{
    const QueueCommandResult result = runSync(m_monitor.enableQueue(QStringLiteral("No Such Queue")));
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.message.isEmpty());
    const CUPSQueueStatus status = runSync(m_monitor.queueStatus(QStringLiteral("No Such Queue")));
    EXPECT_EQ(status.state(), CUPSQueueState::unknown);
    EXPECT_TRUE(status.stateMessage().contains(QStringLiteral("Invalid destination name")))
        << status.stateMessage().toStdString();
}
