// The manual print service over a scripted CUPS: what reaches `lp` for packing
// slips, calibration labels and single labels, failures that stop a slip or never
// reach the printer, and prints that overlap without reading each other's outcome.
#include "common/settings.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"

#include <QBuffer>
#include <QCoroSignal>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include "fake_sleeper.h"
#include "gate.h"
#include "temporary_settings.h"

#include <gtest/gtest.h>
#include <limits>

using namespace quill;
using quill::testing::runSync;

using quill::testing::FakeSleeper;
using quill::testing::Gate;
using quill::testing::TemporarySettings;

namespace {

// A scheduler with the queues Alpha and Beta, as lpstat and lp describe it. Every
// submission is kept with the file it printed; the test may refuse queues, fail
// one numbered submission or hold submissions to a queue until it opens the gate.
class ScriptedCups final : public ProcessRunner
{
public:
    struct Submission
    {
        QString queue;
        QStringList options;
        QByteArray file;
    };

    static inline const QString kLp = QStringLiteral("/fake/lp");
    static inline const QString kLpstat = QStringLiteral("/fake/lpstat");

    QCoro::Task<ProcessResult> run(ProcessRequest request) override
    {
        const QStringList args = request.arguments;
        if (request.program == kLpstat && args == QStringList{QStringLiteral("-e")})
            co_return ProcessResult{ProcessResult::Outcome::Finished, 0, QStringLiteral("Alpha\nBeta\n"), {}};
        if (request.program != kLp)
            co_return ProcessResult{
                ProcessResult::Outcome::FailedToStart, -1, {}, QStringLiteral("not scripted")};

        Submission submission;
        submission.queue = args.value(1);
        for (qsizetype i = 0; i + 1 < args.size(); ++i) {
            if (args.at(i) == QLatin1String("-o"))
                submission.options.append(args.at(i + 1));
        }
        QFile file(args.last());
        if (file.open(QIODevice::ReadOnly))
            submission.file = file.readAll();
        const QString queue = submission.queue;
        submissions.append(submission);
        const qsizetype number = submissions.size();

        if (held.contains(queue))
            co_await gate.wait();
        if (refusing.contains(queue) || number == failingSubmission)
            co_return ProcessResult{
                ProcessResult::Outcome::Finished,
                1,
                QStringLiteral("lp: Destination \"%1\" is not accepting jobs.").arg(queue),
                {}};
        co_return ProcessResult{ProcessResult::Outcome::Finished,
                                0,
                                QStringLiteral("request id is %1-%2 (1 file(s))").arg(queue).arg(number),
                                {}};
    }

    QList<Submission> submissions;
    QStringList refusing;
    QStringList held;
    qsizetype failingSubmission = -1; // counted from 1
    Gate gate;
};

QImage image(const ScriptedCups::Submission &submission)
{
    QImage decoded;
    EXPECT_TRUE(decoded.loadFromData(submission.file, "PNG"))
        << submission.file.left(16).toHex().toStdString();
    return decoded;
}

QList<GroupedItem> items(int count)
{
    QList<GroupedItem> list;
    for (int i = 0; i < count; ++i)
        list.append(GroupedItem{i + 1, QStringLiteral("Item %1").arg(i + 1), QStringLiteral("$5")});
    return list;
}

class PrintServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_calibration = std::make_unique<PrinterCalibrationStore>(*m_settings);
        m_appearance = std::make_unique<LabelAppearanceStore>(*m_settings, QString());
        m_appearance->setColorMode(LabelColorMode::blackAndWhite);
        QDir(m_dir.path()).mkpath(QStringLiteral("ppd"));
        QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));

        PrintKitAdapterSetup setup;
        setup.runner = &m_cups;
        setup.tools.lp = ScriptedCups::kLp;
        setup.tools.lpstat = ScriptedCups::kLpstat;
        setup.tools.cancel = QStringLiteral("/fake/cancel");
        setup.tools.cupsenable = QStringLiteral("/fake/cupsenable");
        setup.tools.ppdDirectory = m_dir.filePath(QStringLiteral("ppd"));
        setup.calibration = m_calibration.get();
        m_adapter = std::make_unique<PrintKitAdapter>(std::move(setup));
        m_adapter->cupsTransport().setDebugCopyFolder(QString());
        m_adapter->cupsTransport().setTemporaryFolder(m_dir.filePath(QStringLiteral("tmp")));
        m_service = std::make_unique<PrintService>(*m_adapter, *m_appearance);
    }
    void TearDown() override
    {
        m_service.reset();
        m_adapter.reset();
    }

    QCoro::Task<PrintResult> slip(QString printer, int itemCount)
    {
        return m_service->printLabel(std::move(printer), QStringLiteral("cara"), items(itemCount),
                                     Decimal(75), QStringLiteral("Live Show"), LabelVariant::bold,
                                     LabelMedia::shipping4x6(), Orientation::portrait);
    }

    QTemporaryDir m_dir;
    TemporarySettings m_settings;
    std::unique_ptr<PrinterCalibrationStore> m_calibration;
    std::unique_ptr<LabelAppearanceStore> m_appearance;
    ScriptedCups m_cups;
    std::unique_ptr<PrintKitAdapter> m_adapter;
    std::unique_ptr<PrintService> m_service;
};

} // namespace

TEST_F(PrintServiceTest, PackingSlipSendsOneTurnedBitmapPerPageInOrder)
{
    QSignalSpy printing(m_service.get(), &PrintService::isPrintingChanged);
    const PrintResult result = runSync(slip(QStringLiteral("Alpha"), 60));
    EXPECT_TRUE(result.ok) << result.message;
    ASSERT_EQ(m_cups.submissions.size(), 3);
    for (const ScriptedCups::Submission &page : m_cups.submissions) {
        EXPECT_EQ(page.queue, QStringLiteral("Alpha"));
        EXPECT_TRUE(page.options.contains(QStringLiteral("PageSize=Custom.432x288")))
            << page.options.join(' ');
        // A portrait 4 × 6 in page is drawn 1200 × 1800 and sent a quarter turn round, in 1 bit.
        const QImage bitmap = image(page);
        EXPECT_EQ(bitmap.size(), QSize(1800, 1200));
        EXPECT_EQ(bitmap.depth(), 1);
    }
    // The pages are different pages, not one page three times.
    EXPECT_NE(m_cups.submissions.at(0).file, m_cups.submissions.at(2).file);
    EXPECT_FALSE(m_service->lastError().has_value());
    // The spinner stays up for the whole slip, not once per page.
    ASSERT_EQ(printing.size(), 2);
    EXPECT_TRUE(printing.at(0).at(0).toBool());
    EXPECT_FALSE(printing.at(1).at(0).toBool());
    EXPECT_FALSE(m_service->isPrinting());
}

TEST_F(PrintServiceTest, AFailingPageStopsTheSlipAndIsTheCallersResult)
{
    m_cups.failingSubmission = 2;
    const PrintResult result = runSync(slip(QStringLiteral("Alpha"), 60));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, QStringLiteral("lp: Destination \"Alpha\" is not accepting jobs."));
    EXPECT_EQ(m_service->lastError(), result.message);
    EXPECT_EQ(m_cups.submissions.size(), 2); // the third page is never sent

    // The next print starts with a clean error line.
    m_cups.failingSubmission = -1;
    EXPECT_TRUE(runSync(m_service->printCalibration(QStringLiteral("Alpha"), LabelMedia::rect1x2(),
                                                    Orientation::landscape))
                    .ok);
    EXPECT_FALSE(m_service->lastError().has_value());
}

TEST_F(PrintServiceTest, OverlappingPrintsEachGetTheirOwnOutcome)
{
    m_cups.held = {QStringLiteral("Alpha")};
    m_cups.refusing = {QStringLiteral("Beta")};
    QCoro::Task<PrintResult> twoPages = slip(QStringLiteral("Alpha"), 30);
    QCoro::Task<PrintResult> refused =
        m_service->printCalibration(QStringLiteral("Beta"), LabelMedia::circle2(), Orientation::landscape);
    EXPECT_TRUE(m_service->isPrinting());
    m_cups.gate.open();

    const PrintResult failed = runSync(std::move(refused));
    const PrintResult printed = runSync(std::move(twoPages));
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message, QStringLiteral("lp: Destination \"Beta\" is not accepting jobs."));
    // The slip went on to its second page although the other print failed meanwhile.
    EXPECT_TRUE(printed.ok) << printed.message;
    QStringList order;
    for (const auto &submission : m_cups.submissions)
        order.append(submission.queue);
    // The other print failed between the slip's two pages.
    EXPECT_EQ(order, (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Alpha")}));
    EXPECT_FALSE(m_service->isPrinting());
}

TEST_F(PrintServiceTest, CalibrationLabelIsSizedAndTurnedForItsMedium)
{
    ASSERT_TRUE(runSync(m_service->printCalibration(QStringLiteral("Alpha"), LabelMedia::circle2(),
                                                    Orientation::portrait))
                    .ok);
    ASSERT_TRUE(runSync(m_service->printCalibration(QStringLiteral("Alpha"), LabelMedia::rect1x2(),
                                                    Orientation::portrait))
                    .ok);
    ASSERT_EQ(m_cups.submissions.size(), 2);
    // 144 × 144 points, a half turn.
    EXPECT_EQ(image(m_cups.submissions.at(0)).size(), QSize(600, 600));
    EXPECT_TRUE(m_cups.submissions.at(0).options.contains(QStringLiteral("PageSize=Custom.144x144")));
    // 72 × 144 points drawn upright, sent a quarter turn round on the 2 × 1 in stock.
    EXPECT_EQ(image(m_cups.submissions.at(1)).size(), QSize(600, 300));
    EXPECT_TRUE(m_cups.submissions.at(1).options.contains(QStringLiteral("PageSize=Custom.144x72")));
}

TEST_F(PrintServiceTest, LabelsFollowTheColourModeOfTheAppearanceStore)
{
    const LabelContent winner = LabelContent::individual(QStringLiteral("ann"), QStringLiteral("$9"), 4, 1,
                                                         std::nullopt, QStringLiteral("Live Show"));
    m_appearance->setColorMode(LabelColorMode::grayscale);
    ASSERT_TRUE(runSync(m_service->printContent(QStringLiteral("Alpha"), winner, LabelVariant::bold,
                                                LabelMedia::rect225x125(), Orientation::landscape))
                    .ok);
    m_appearance->setColorMode(LabelColorMode::blackAndWhite);
    ASSERT_TRUE(runSync(m_service->printContent(QStringLiteral("Alpha"), winner, LabelVariant::bold,
                                                LabelMedia::rect225x125(), Orientation::landscape))
                    .ok);
    ASSERT_EQ(m_cups.submissions.size(), 2);
    const QImage grey = image(m_cups.submissions.at(0));
    const QImage bw = image(m_cups.submissions.at(1));
    EXPECT_EQ(grey.size(), QSize(675, 375));
    EXPECT_EQ(grey.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(bw.depth(), 1);
    EXPECT_TRUE(m_cups.submissions.at(1).options.contains(QStringLiteral("PageSize=Custom.162x90")));
}

TEST_F(PrintServiceTest, NothingUnprintableReachesThePrinter)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const LabelMedia broken{QStringLiteral("broken"), nan, 1, false, std::nullopt};
    const LabelMedia huge{QStringLiteral("huge"), 60, 4, false, std::nullopt};

    const PrintResult calibration =
        runSync(m_service->printCalibration(QStringLiteral("Alpha"), broken, Orientation::landscape));
    EXPECT_FALSE(calibration.ok);
    EXPECT_TRUE(calibration.message.contains(QStringLiteral("at most 48 inches"))) << calibration.message;
    EXPECT_EQ(m_service->lastError(), calibration.message);

    const PrintResult slipResult =
        runSync(m_service->printLabel(QStringLiteral("Alpha"), QStringLiteral("cara"), items(3), Decimal(5),
                                      QString(), LabelVariant::bold, huge, Orientation::portrait));
    EXPECT_FALSE(slipResult.ok);
    EXPECT_FALSE(slipResult.message.isEmpty());

    const PrintResult empty =
        runSync(m_service->printImage(QStringLiteral("Alpha"), QByteArray(), LabelMedia::rect1x2()));
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(m_service->lastError(), empty.message);

    const PrintResult html = runSync(
        m_service->printTemplateHTML(QStringLiteral("Alpha"), QStringLiteral("<p>x</p>"), nan, 2, false));
    EXPECT_FALSE(html.ok);
    EXPECT_EQ(m_service->lastError(), html.message);

    EXPECT_TRUE(m_cups.submissions.isEmpty());
    EXPECT_FALSE(m_service->isPrinting());
}

TEST_F(PrintServiceTest, ReadyPngGoesOutAsOneCopyOnTheMediumsPageSize)
{
    QImage bitmap(600, 300, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        bitmap.save(&buffer, "PNG");
    }
    m_calibration->setVerticalOffset(4);
    const PrintResult result =
        runSync(m_service->printImage(QStringLiteral("Alpha"), png, LabelMedia::rect1x2()));
    EXPECT_TRUE(result.ok) << result.message;
    ASSERT_EQ(m_cups.submissions.size(), 1);
    EXPECT_EQ(m_cups.submissions.first().file, png);
    EXPECT_TRUE(m_cups.submissions.first().options.contains(QStringLiteral("ShiftMove=4")));
}

