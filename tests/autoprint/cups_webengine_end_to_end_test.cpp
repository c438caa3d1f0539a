// The main road with real parts: wins appear on the stand-in marketplace's live page
// in Qt WebEngine, the auction poller reads them every 0.3 s, the print queue turns
// them into labels half a second later and the printer adapter hands the PNGs to the
// private cupsd, whose test backend stores each job. The queue is stopped mid-show
// and repaired, and a queue that stops on every job fails its labels with the hint.
#include "../capture/capture_fixture.h"
#include "capture/auction_poller.h"
#include "common/process_runner.h"
#include "cups_testbed.h"
#include "printing/auto_print_manager.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"
#include "app/sold_auction_road.h"

#include <QImage>
#include <QTemporaryFile>
#include <algorithm>
#include <gtest/gtest.h>

using namespace quill;
namespace tb = quill::testing::cups;
using quill::testing::eventually;

namespace {

const QString kStream = QStringLiteral("show-e2e");
const QString kTestLabel = QStringLiteral("TestLabel");
const QString kFailLabel = QStringLiteral("FailLabel");

// The real tools, with one difference: after re-enabling a queue it waits until the
// scheduler has dealt with what the queue holds (the jobs have printed, or the
// printer stopped again), so the recheck that follows sees the settled state.
class SettlingRunner final : public ProcessRunner
{
public:
    QCoro::Task<ProcessResult> run(ProcessRequest request) override
    {
        const bool enabling = request.program.endsWith(QLatin1String("/cupsenable"));
        const QString queue = request.arguments.value(0);
        const bool cancelling = request.program.endsWith(QLatin1String("/cancel"));
        ProcessResult result = co_await QProcessRunner::instance().run(std::move(request));
        if (cancelling)
            ++m_cancels;
        if (enabling) {
            ++m_enables;
            for (int i = 0; i < 200 && !queueSettled(queue); ++i)
                co_await TimerSleeper::instance().sleep(std::chrono::milliseconds(25));
        }
        co_return result;
    }
    int enables() const { return m_enables; }
    int cancels() const { return m_cancels; }

private:
    static bool queueSettled(const QString &queue)
    {
        if (tb::tool(QStringLiteral("/usr/bin/lpstat"), {QStringLiteral("-p"), queue}).contains("disabled"))
            return true;
        return tb::tool(QStringLiteral("/usr/bin/lpstat"), {QStringLiteral("-o"), queue}).trimmed().isEmpty();
    }

    int m_enables = 0;
    int m_cancels = 0;
};

struct StoredJob
{
    QString stem; // outDir/job-<id>
    QByteArray bytes;
    QString options;
};

class CupsWebEngineEndToEnd : public quill::testing::MarketplaceFixture
{
protected:
    void SetUp() override
    {
        MarketplaceFixture::SetUp();
        tb::resetQueues();
        m_calibration = std::make_unique<PrinterCalibrationStore>(settings());
        m_appearance = std::make_unique<LabelAppearanceStore>(settings(), QString());
        PrintKitAdapterSetup setup;
        setup.runner = &m_runner;
        setup.tools.ppdDirectory = tb::ppdDirectory();
        setup.calibration = m_calibration.get();
        m_adapter = std::make_unique<PrintKitAdapter>(std::move(setup));
        m_adapter->cupsTransport().setDebugCopyFolder(QString());
        m_service = std::make_unique<PrintService>(*m_adapter, *m_appearance);
        m_manager = std::make_unique<AutoPrintManager>(
            AutoPrintManagerSetup{&TimerSleeper::instance(), &SystemClock::instance(), &settings()});
        m_poller = std::make_unique<AuctionPoller>();

        // The live show screen's road: every change in the number of captures hands the
        // whole list to the queue, and a printed winner label marks its capture printed.
        m_road = std::make_unique<SoldAuctionRoad>(*m_poller, *m_manager, *m_service, nullptr);
    }

    void TearDown() override
    {
        m_poller->reset();
        m_manager->setIsPrinting(false);
        m_manager->cancelDebounce();
        eventually([&] { return !m_manager->isProcessing(); });
        m_road.reset();
        m_poller.reset();
        m_manager.reset();
        m_service.reset();
        m_adapter.reset();
        tb::resetQueues();
        MarketplaceFixture::TearDown();
    }

    void usePrinters(const QString &queue)
    {
        settings().setString(QStringLiteral("label_individual_printer"), queue);
        settings().setString(QStringLiteral("label_individual_paperSize"), QStringLiteral("4x6"));
        settings().setString(QStringLiteral("label_box_printer"), queue);
        settings().setString(QStringLiteral("label_box_paperSize"), QStringLiteral("1x2"));
    }

    void startShow()
    {
        ASSERT_TRUE(openStream(kStream));
        m_manager->setIsPrinting(true);
        m_manager->scheduleProcessing(*m_service);
        m_poller->togglePolling(session());
    }

    bool allJobsEnded(qsizetype count) const
    {
        const QList<PrintJob> &jobs = m_manager->printJobs();
        if (jobs.size() != count || m_manager->isProcessing())
            return false;
        return std::all_of(jobs.begin(), jobs.end(), [](const PrintJob &job) {
            return job.status.kind == PrintJob::Status::Kind::done || job.status.isError();
        });
    }

    static QList<StoredJob> storedJobs(const QString &queue, qsizetype from)
    {
        QList<StoredJob> jobs;
        const QStringList files = tb::jobFiles(queue);
        for (qsizetype i = from; i < files.size(); ++i) {
            StoredJob job;
            job.stem = tb::outDir(queue) + QLatin1Char('/') + files.at(i).chopped(4);
            job.bytes = tb::readFile(job.stem + QStringLiteral(".bin"));
            job.options = QString::fromUtf8(tb::readFile(job.stem + QStringLiteral(".options")));
            jobs.append(job);
        }
        return jobs;
    }

    std::unique_ptr<PrinterCalibrationStore> m_calibration;
    std::unique_ptr<LabelAppearanceStore> m_appearance;
    SettlingRunner m_runner;
    std::unique_ptr<PrintKitAdapter> m_adapter;
    std::unique_ptr<PrintService> m_service;
    std::unique_ptr<AutoPrintManager> m_manager;
    std::unique_ptr<AuctionPoller> m_poller;
    std::unique_ptr<SoldAuctionRoad> m_road;
};

} // namespace

TEST_F(CupsWebEngineEndToEnd, WinsOnTheLivePageComeOutAsLabelsAndAStoppedQueueIsRepairedMidShow)
{
    usePrinters(kTestLabel);
    const qsizetype before = tb::jobFiles(kTestLabel).size();
    startShow();

    marketplace().addWin(kStream, {"ann", "Holo card", 1, "12.50", {}});
    marketplace().addWin(kStream, {"bob", "Sealed box", 2, "1,250", {}});
    marketplace().addWin(kStream, {"ann", "Slab", 3, "7", {}});
    ASSERT_TRUE(eventually([&] { return allJobsEnded(5); }, std::chrono::seconds(30)))
        << m_manager->printJobs().size() << " jobs";
    ASSERT_TRUE(eventually([&] { return tb::jobFiles(kTestLabel).size() == before + 5; }));

    // One winner label per win (4×6: 1800 × 300-dpi dots across), one box label per buyer (2×1).
    int winners = 0;
    int boxes = 0;
    for (const StoredJob &job : storedJobs(kTestLabel, before)) {
        const QImage image = QImage::fromData(job.bytes, "PNG");
        ASSERT_FALSE(image.isNull()) << job.stem.toStdString() << " is not a PNG";
        if (image.size() == QSize(1800, 1200)) {
            ++winners;
            EXPECT_TRUE(job.options.contains("PageSize=Custom.432x288")) << job.options.toStdString();
        } else if (image.size() == QSize(600, 300)) {
            ++boxes;
            EXPECT_TRUE(job.options.contains("PageSize=Custom.144x72")) << job.options.toStdString();
        } else {
            ADD_FAILURE() << "unexpected label size " << image.width() << "x" << image.height();
        }
    }
    EXPECT_EQ(winners, 3);
    EXPECT_EQ(boxes, 2);
    for (const PrintJob &job : m_manager->printJobs())
        EXPECT_EQ(job.status, PrintJob::Status::done()) << job.label.toStdString();
    ASSERT_EQ(m_poller->capturedAuctions().size(), 3);
    ASSERT_TRUE(eventually([&] {
        const auto &captured = m_poller->capturedAuctions();
        return std::all_of(captured.begin(), captured.end(),
                           [](const CapturedAuction &a) { return a.isPrinted; });
    }));

    // The printer stops mid-show with a label already accepted and waiting.
    tb::tool(QStringLiteral("/usr/sbin/cupsdisable"), {kTestLabel});
    QTemporaryFile waiting;
    ASSERT_TRUE(waiting.open());
    waiting.write("label accepted before the stop");
    waiting.flush();
    int exitCode = -1;
    tb::tool(QStringLiteral("/usr/bin/lp"), {QStringLiteral("-d"), kTestLabel, waiting.fileName()},
             &exitCode);
    ASSERT_EQ(exitCode, 0);
    ASSERT_TRUE(
        tb::tool(QStringLiteral("/usr/bin/lpstat"), {QStringLiteral("-p"), kTestLabel}).contains("disabled"));

    marketplace().addWin(kStream, {"cy", "Binder", 4, "3", {}});
    ASSERT_TRUE(eventually([&] { return allJobsEnded(7); }, std::chrono::seconds(30)));
    for (const PrintJob &job : m_manager->printJobs())
        EXPECT_EQ(job.status, PrintJob::Status::done()) << job.label.toStdString();
    EXPECT_EQ(m_runner.enables(), 1);
    EXPECT_EQ(m_runner.cancels(), 0);
    EXPECT_FALSE(
        tb::tool(QStringLiteral("/usr/bin/lpstat"), {QStringLiteral("-p"), kTestLabel}).contains("disabled"));
    // The label waiting in the queue printed as well as the show's two new labels.
    ASSERT_TRUE(eventually([&] { return tb::jobFiles(kTestLabel).size() == before + 8; }));
    int waitingPrinted = 0;
    for (const StoredJob &job : storedJobs(kTestLabel, before + 5))
        waitingPrinted += job.bytes == "label accepted before the stop" ? 1 : 0;
    EXPECT_EQ(waitingPrinted, 1);
    EXPECT_TRUE(eventually([&] { return m_poller->capturedAuctions().first().isPrinted; }));
}

TEST_F(CupsWebEngineEndToEnd, AQueueThatStaysStoppedFailsEveryLabelWithTheFixHint)
{
    usePrinters(kFailLabel);
    // FailLabel's printer stops its queue on every job: a job is waiting in it, so each
    // repair sets it going and it stops again.
    tb::tool(QStringLiteral("/usr/sbin/cupsdisable"), {kFailLabel});
    QTemporaryFile waiting;
    ASSERT_TRUE(waiting.open());
    waiting.write("waiting");
    waiting.flush();
    int exitCode = -1;
    tb::tool(QStringLiteral("/usr/bin/lp"), {QStringLiteral("-d"), kFailLabel, waiting.fileName()},
             &exitCode);
    ASSERT_EQ(exitCode, 0);
    startShow();

    marketplace().addWin(kStream, {"ann", "Holo card", 1, "12.50", {}});
    marketplace().addWin(kStream, {"bob", "Sealed box", 2, "30", {}});
    ASSERT_TRUE(eventually([&] { return allJobsEnded(4); }, std::chrono::seconds(60)));

    for (const PrintJob &job : m_manager->printJobs())
        EXPECT_EQ(job.status,
                  PrintJob::Status::error(QStringLiteral("Printer stopped \u2014 tap Fix in settings")))
            << job.label.toStdString() << ": " << describe(job.status).toStdString();
    EXPECT_EQ(m_runner.enables(), 4); // each label was tried, with one repair each
    EXPECT_EQ(m_runner.cancels(), 0);
    EXPECT_FALSE(
        tb::tool(QStringLiteral("/usr/bin/lpstat"), {QStringLiteral("-o"), kFailLabel}).trimmed().isEmpty());
    for (const CapturedAuction &auction : m_poller->capturedAuctions())
        EXPECT_FALSE(auction.isPrinted) << auction.id.toStdString();
}
