// Labels printed through the print service against the private CUPS scheduler: a
// winner label reaches the queue as a PNG turned for its medium, with the label's
// page size and the printer's calibration; a black-and-white label passes through
// a real label driver; a designed round label prints on a square page. Labels are
// drawn on the service's drawing thread: a burst of prints reaches the queue in the
// order it was asked for (large and small labels mixed, so a label drawn faster cannot
// overtake one asked for earlier), the print queue keeps its order and fails an
// undrawable label with its reason, and a drawing that comes back after its owner is
// gone prints nothing.
#include "capture/captured_auction.h"
#include "common/settings.h"
#include "cups_print_stack.h"
#include "cups_testbed.h"
#include "fake_sleeper.h"
#include "pdf_probe.h"
#include "printing/auto_print_manager.h"
#include "printing/label_appearance_store.h"
#include "printing/label_section_state.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"
#include "temporary_settings.h"

#include <QFile>
#include <QImage>
#include <algorithm>
#include <future>
#include <gtest/gtest.h>
#include <vector>

using namespace quill;
namespace tb = quill::testing::cups;
using quill::testing::FakeSleeper;
using quill::testing::runSync;
using quill::testing::TemporarySettings;

namespace {

using quill::testing::cups::kTestLabel;

LabelContent winner()
{
    return LabelContent::individual(QStringLiteral("sparkle_collector"), QStringLiteral("$12.5"), 42, 7,
                                    QStringLiteral("Holographic card"), QStringLiteral("Live Show"));
}

class CupsPrintService : public ::testing::Test, protected tb::CupsPrintStack
{
protected:
    void SetUp() override
    {
        startPrintStack(*m_settings, LabelColorMode::blackAndWhite);
    }
    void TearDown() override
    {
        stopPrintStack();
    }

    QStringList options(const QString &job)
    {
        return QString::fromUtf8(tb::readFile(job + QStringLiteral(".options")))
            .trimmed()
            .split(QLatin1Char(' '));
    }

    TemporarySettings m_settings;
};

const QSize kLarge(1800, 1200); // 4×6 in, landscape
const QSize kSmall(675, 375);   // 2.25×1.25 in, landscape

LabelContent winnerOf(const QString &buyer)
{
    return LabelContent::individual(buyer, QStringLiteral("$3"), 1, 1, QStringLiteral("Card"),
                                    QStringLiteral("Live Show"));
}

CapturedAuction win(const QString &buyer, int number)
{
    CapturedAuction auction;
    auction.winnerUsername = buyer;
    auction.salePrice = *Decimal::fromString(QStringLiteral("3"));
    auction.auctionNumber = number;
    auction.id = CapturedAuction::makeId(buyer, auction.salePrice, number);
    return auction;
}

class CupsLabelDrawing : public CupsPrintService
{
protected:
    void SetUp() override
    {
        CupsPrintService::SetUp();
        m_before = tb::jobFiles(kTestLabel).size();
    }
    void TearDown() override
    {
        m_manager.reset();
        CupsPrintService::TearDown();
    }

    // Winner labels small and box labels large, both to the test queue.
    AutoPrintManager &manager()
    {
        LabelSectionState winner = LabelSectionState::defaults(0);
        winner.selectedPrinter = kTestLabel;
        winner.selectedMedia = LabelMedia::rect225x125();
        winner.save(0, *m_settings);
        LabelSectionState box = LabelSectionState::defaults(1);
        box.selectedPrinter = kTestLabel;
        box.selectedMedia = LabelMedia::shipping4x6();
        box.save(1, *m_settings);
        m_manager = std::make_unique<AutoPrintManager>(
            AutoPrintManagerSetup{&m_sleeper, &SystemClock::instance(), m_settings.get()});
        m_manager->setIsPrinting(true);
        return *m_manager;
    }

    bool settled() const
    {
        if (m_manager->isProcessing())
            return false;
        for (const PrintJob &job : m_manager->printJobs())
            if (job.status.isQueued() || job.status == PrintJob::Status::printing())
                return false;
        return true;
    }

    QString describeJobs() const
    {
        QStringList out;
        for (const PrintJob &job : m_manager->printJobs())
            out.append(job.label + QStringLiteral(": ") + describe(job.status));
        return out.join(QLatin1Char('\n'));
    }

    // The bitmap size of every job the queue received since the test began, in job order.
    QList<QSize> receivedSizes(qsizetype expected)
    {
        EXPECT_TRUE(tb::eventually([&] { return tb::jobFiles(kTestLabel).size() >= m_before + expected; }));
        QList<QSize> sizes;
        const QStringList files = tb::jobFiles(kTestLabel);
        for (qsizetype i = m_before; i < files.size(); ++i)
            sizes.append(QImage::fromData(tb::readFile(tb::outDir(kTestLabel) + QLatin1Char('/') + files.at(i)),
                                          "PNG")
                             .size());
        return sizes;
    }

    // Answers come back in the order asked: once a drawing asked for now is back, every
    // drawing asked for earlier has been answered too.
    void drainDrawings()
    {
        const DrawnLabel last = runSync(m_service->drawingWorker().run([] { return DrawnLabel{}; }));
        EXPECT_FALSE(last.failure.has_value());
    }

    FakeSleeper m_sleeper;
    std::unique_ptr<AutoPrintManager> m_manager;
    qsizetype m_before = 0;
};

} // namespace

TEST_F(CupsPrintService, WinnerLabelReachesTheQueueAsAPngWithItsPageSizeAndCalibration)
{
    m_calibration->setVerticalOffset(5);
    m_calibration->setFeedOffset(-45); // sent at the driver's limit
    struct Case
    {
        LabelMedia media;
        Orientation orientation;
        QSize bitmap;
        const char *pageSize;
    };
    const Case cases[] = {
        {LabelMedia::rect225x125(), Orientation::landscape, {675, 375}, "PageSize=Custom.162x90"},
        {LabelMedia::rect1x2(), Orientation::portrait, {600, 300}, "PageSize=Custom.144x72"},
    };
    for (const Case &c : cases) {
        const qsizetype before = tb::jobFiles(kTestLabel).size();
        const PrintResult result = runSync(
            m_service->printContent(kTestLabel, winner(), LabelVariant::bold, c.media, c.orientation));
        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_FALSE(m_service->lastError().has_value());

        const QString job = tb::nextJob(kTestLabel, before);
        const QByteArray png = tb::readFile(job + QStringLiteral(".bin"));
        ASSERT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
        QImage bitmap;
        ASSERT_TRUE(bitmap.loadFromData(png, "PNG"));
        EXPECT_EQ(bitmap.size(), c.bitmap) << c.media.id.toStdString();
        const QStringList sent = options(job);
        for (const char *expected :
             {c.pageSize, "copies=1", "fit-to-page", "ShiftMove=5", "FowardOffset=-30"})
            EXPECT_TRUE(sent.contains(QLatin1String(expected)))
                << expected << " missing in " << sent.join(' ');
    }
}

TEST_F(CupsPrintService, BlackAndWhiteLabelPassesThroughTheLabelDriversFilterChain)
{
    const QString zpl = tb::testbedDir() + QStringLiteral("/out/zebra.zpl");
    QFile::remove(zpl);
    const PrintResult result =
        runSync(m_service->printContent(QStringLiteral("ZebraLabel"), winner(), LabelVariant::bold,
                                        LabelMedia::rect1x2(), Orientation::landscape));
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_TRUE(tb::eventually([&] { return tb::readFile(zpl).contains("^XZ"); }));
    EXPECT_TRUE(tb::readFile(zpl).contains("^XA"));
}

TEST_F(CupsPrintService, RoundDesignedLabelPrintsAsAPdfOnASquareOfItsSmallerSide)
{
    const qsizetype before = tb::jobFiles(kTestLabel).size();
    const QString html = QStringLiteral("<!DOCTYPE html><html><body style='margin:0'>"
                                        "<div style='font:30px sans-serif'>@buyer</div></body></html>");
    const PrintResult result = runSync(m_service->printTemplateHTML(kTestLabel, html, 3, 2, true));
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_FALSE(m_service->isPrinting());

    const QString job = tb::nextJob(kTestLabel, before);
    const QByteArray pdf = tb::readFile(job + QStringLiteral(".bin"));
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const auto facts = quill::testing::pdfFacts(pdf);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_EQ(facts.pageSize, QSizeF(144, 144));
    EXPECT_TRUE(options(job).contains(QStringLiteral("PageSize=Custom.144x144"))) << options(job).join(' ');
}

TEST_F(CupsLabelDrawing, ABurstOfPrintsReachesTheQueueInTheOrderItWasAsked)
{
    // All asked for at once, before the first is drawn: large and small alternate.
    std::vector<QCoro::Task<PrintResult>> prints;
    QList<QSize> expected;
    for (int i = 0; i < 8; ++i) {
        const bool large = i % 2 == 0;
        prints.push_back(m_service->printContent(kTestLabel, winnerOf(QStringLiteral("buyer%1").arg(i)),
                                              LabelVariant::bold,
                                              large ? LabelMedia::shipping4x6() : LabelMedia::rect225x125(),
                                              Orientation::landscape));
        expected.append(large ? kLarge : kSmall);
    }
    for (QCoro::Task<PrintResult> &print : prints) {
        const PrintResult result = runSync(std::move(print));
        EXPECT_TRUE(result.ok) << result.message.toStdString();
    }
    EXPECT_EQ(receivedSizes(8), expected);
    EXPECT_FALSE(m_service->isPrinting());
}

TEST_F(CupsLabelDrawing, ThePrintQueueKeepsItsOrderAndALabelThatCannotBeDrawnFailsWithItsReason)
{
    AutoPrintManager &queue = manager();
    queue.enqueue({win(QStringLiteral("cy"), 3), win(QStringLiteral("bo"), 2), win(QStringLiteral("al"), 1)},
                  *m_service);
    // The oldest job cannot be drawn: its medium has no width. It is walked first.
    QList<PrintJob> jobs = queue.printJobs();
    PrintJob broken = jobs.last();
    broken.id = PrintJob::makeId();
    broken.label = QStringLiteral("@broken $1");
    broken.status = PrintJob::Status::queued();
    broken.labelMedia = LabelMedia{QStringLiteral("odd"), 0.0, 1.0, false, std::nullopt};
    jobs.append(broken);
    queue.setPrintJobs(jobs);
    queue.enqueue({win(QStringLiteral("cy"), 6), win(QStringLiteral("bo"), 5), win(QStringLiteral("al"), 4)},
                  *m_service);
    ASSERT_TRUE(tb::eventually([&] { return settled(); })) << describeJobs().toStdString();

    // Oldest first: each buyer's box label right after their first winner label.
    EXPECT_EQ(receivedSizes(9),
              QList<QSize>({kSmall, kLarge, kSmall, kLarge, kSmall, kLarge, kSmall, kSmall, kSmall}));
    for (const PrintJob &job : queue.printJobs()) {
        if (job.label == broken.label) {
            ASSERT_TRUE(job.status.isError());
            EXPECT_TRUE(job.status.message.contains(QStringLiteral("inches"))) << job.status.message.toStdString();
        } else {
            EXPECT_EQ(job.status, PrintJob::Status::done()) << job.label.toStdString();
        }
    }
    EXPECT_EQ(tb::jobFiles(kTestLabel).size(), m_before + 9);
}

TEST_F(CupsLabelDrawing, ALabelDrawnAfterThePrintQueueIsGonePrintsNothing)
{
    // The drawing thread is held, so the label is still to be drawn when the queue goes.
    std::promise<void> release;
    QCoro::Task<DrawnLabel> holding =
        m_service->drawingWorker().run([held = release.get_future().share()] {
            held.wait();
            return DrawnLabel{};
        });
    AutoPrintManager &queue = manager();
    queue.enqueue({win(QStringLiteral("al"), 1)}, *m_service);
    ASSERT_TRUE(tb::eventually([&] {
        const QList<PrintJob> &jobs = queue.printJobs();
        return !jobs.isEmpty() && jobs.last().status == PrintJob::Status::printing();
    }));
    m_manager.reset();
    release.set_value();
    runSync(std::move(holding));
    drainDrawings();

    // A print asked for afterwards is the first and only job the queue gets.
    const PrintResult later = runSync(m_service->printContent(kTestLabel, winnerOf(QStringLiteral("later")),
                                                              LabelVariant::bold, LabelMedia::rect225x125(),
                                                              Orientation::landscape));
    ASSERT_TRUE(later.ok) << later.message.toStdString();
    EXPECT_EQ(receivedSizes(1), QList<QSize>({kSmall}));
}

TEST_F(CupsLabelDrawing, PrintsStillBeingDrawnWhenTheServiceClosesFailAndPrintNothing)
{
    std::vector<QCoro::Task<PrintResult>> prints;
    for (int i = 0; i < 3; ++i)
        prints.push_back(m_service->printContent(kTestLabel, winnerOf(QStringLiteral("buyer%1").arg(i)),
                                              LabelVariant::bold, LabelMedia::shipping4x6(),
                                              Orientation::landscape));
    m_service.reset();
    for (QCoro::Task<PrintResult> &print : prints) {
        const PrintResult result = runSync(std::move(print));
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.message.startsWith(QStringLiteral("Printing was shut down before this label was")))
            << result.message.toStdString();
    }

    // The adapter still works for a service of its own; its label is the only one out.
    m_service = std::make_unique<PrintService>(*m_adapter, *m_appearance);
    const PrintResult later = runSync(m_service->printContent(kTestLabel, winnerOf(QStringLiteral("later")),
                                                              LabelVariant::bold, LabelMedia::rect225x125(),
                                                              Orientation::landscape));
    ASSERT_TRUE(later.ok) << later.message.toStdString();
    EXPECT_EQ(receivedSizes(1), QList<QSize>({kSmall}));
}
