#include "cups_testbed.h"
#include "fake_process_runner.h"
#include "printkit/discovery/printer_catalog.h"
#include "printkit/domain/label_preset.h"
#include "printkit/runtime/print_service.h"
#include "printkit/transport/system_print_transport.h"
#include "run_sync.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace printkit;
using quill::ProcessRequest;
using quill::testing::FakeProcessRunner;
using quill::testing::runSync;
namespace testbed = quill::testing::cups;

namespace {

const QString kDesk = QStringLiteral("Desk Label");

PrintJobRequest requestFor(const QString &printer, qint64 copies,
                           PrintTransportStrategy strategy = PrintTransportStrategy::systemDialog)
{
    PrintJobRequest request(printer, LabelPreset::rect1x2().canvas, LabelCalibration::standard(),
                            LabelContent::sample(), 1, strategy);
    request.copies = copies; // as decoded: not clamped
    return request;
}

// Stands in for the system's printer list and the user at the print dialog. The one
// printer it knows writes every copy to its own PDF file, the way "print to file"
// does, so what was printed can be counted and looked at.
class FakeSystem
{
public:
    explicit FakeSystem(QString knownPrinter = kDesk) : m_knownPrinter(std::move(knownPrinter)) {}

    // Dialog answers in order; past the end the dialog is accepted.
    QList<bool> dialogAnswers;
    int selections = 0;
    int dialogs = 0;

    SystemPrintTransport::PrinterSelector selector()
    {
        return [this](QPrinter &printer, const QString &name) {
            ++selections;
            if (name != m_knownPrinter)
                return false;
            printer.setOutputFileName(m_dir.filePath(QStringLiteral("copy-%1.pdf").arg(selections)));
            return true;
        };
    }

    SystemPrintTransport::PrintDialogRunner dialog()
    {
        return [this](QPrinter &) {
            const qsizetype index = dialogs++;
            return index < dialogAnswers.size() ? dialogAnswers.at(index) : true;
        };
    }

    QStringList printedFiles() const
    {
        return QDir(m_dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    }
    QString path(const QString &file) const { return m_dir.filePath(file); }

private:
    QString m_knownPrinter;
    QTemporaryDir m_dir;
};

template <typename F> PrintTransportError expectTransportError(F &&action)
{
    try {
        action();
    } catch (const PrintTransportError &error) {
        return error;
    }
    ADD_FAILURE() << "no PrintTransportError";
    return PrintTransportError::printOperationFailed();
}

// The page as a grey image at 2 pixels per point (poppler's renderer).
QImage rasterise(const QString &pdf)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QStringLiteral("144"), QStringLiteral("-gray"),
                       QStringLiteral("-singlefile"), pdf, base});
    return QImage(base + QStringLiteral(".pgm"));
}

bool darkAround(const QImage &image, int x, int y, int radius = 3)
{
    for (int dx = -radius; dx <= radius; ++dx)
        for (int dy = -radius; dy <= radius; ++dy)
            if (image.valid(x + dx, y + dy) && qGray(image.pixel(x + dx, y + dy)) < 96)
                return true;
    return false;
}

} // namespace

// --- system transport ------------------------------------------------------------------------

TEST(SystemPrintTransport, UnknownPrinterIsUnavailableWithItsName)
{
    LabelRenderer renderer;
    int dialogs = 0;
    // The real printer list: nothing of this name exists anywhere.
    SystemPrintTransport transport(&renderer, {}, [&](QPrinter &) { return ++dialogs, true; });
    for (const QString &name : {QStringLiteral("No Such Printer 7"), QString()}) {
        const PrintTransportError error =
            expectTransportError([&] { transport.print(requestFor(name, 2), true, false); });
        EXPECT_EQ(error.kind(), PrintTransportError::Kind::printerUnavailable);
        EXPECT_EQ(error.printerName(), name);
        EXPECT_EQ(error.message(),
                  QStringLiteral("The printer '%1' is not currently available on this system.").arg(name));
    }
    EXPECT_EQ(dialogs, 0);
}

TEST(SystemPrintTransport, PrintsEachCopyAsItsOwnOperationAndAtLeastOnce)
{
    const std::pair<qint64, int> rows[] = {{0, 1}, {-2, 1}, {1, 1}, {3, 3}};
    for (auto [copies, printed] : rows) {
        SCOPED_TRACE(copies);
        LabelRenderer renderer;
        FakeSystem system;
        SystemPrintTransport transport(&renderer, system.selector(), system.dialog());
        transport.print(requestFor(kDesk, copies), false, false);
        EXPECT_EQ(system.printedFiles().size(), printed);
        EXPECT_EQ(system.selections, printed);
        EXPECT_EQ(system.dialogs, 0);
    }
}

TEST(SystemPrintTransport, EachCopyAsksTheDialogAndACancelStopsTheRest)
{
    LabelRenderer renderer;
    {
        FakeSystem system;
        SystemPrintTransport transport(&renderer, system.selector(), system.dialog());
        transport.print(requestFor(kDesk, 3), true, false);
        EXPECT_EQ(system.dialogs, 3);
        EXPECT_EQ(system.printedFiles().size(), 3);
    }
    {
        FakeSystem system;
        system.dialogAnswers = {true, false, true};
        SystemPrintTransport transport(&renderer, system.selector(), system.dialog());
        const PrintTransportError error =
            expectTransportError([&] { transport.print(requestFor(kDesk, 3), true, false); });
        EXPECT_EQ(error.kind(), PrintTransportError::Kind::printOperationFailed);
        EXPECT_EQ(error.message(),
                  QStringLiteral("The system print operation failed before the job could be spooled."));
        EXPECT_EQ(system.dialogs, 2);
        EXPECT_EQ(system.printedFiles(), QStringList{QStringLiteral("copy-1.pdf")});
    }
}

TEST(SystemPrintTransport, PageIsTheLabelSizeAndTheLabelFillsIt)
{
    LabelRenderer renderer;
    FakeSystem system;
    SystemPrintTransport transport(&renderer, system.selector(), system.dialog());
    transport.print(requestFor(kDesk, 1), false, false); // 2 x 1 in, rounded rectangle
    ASSERT_EQ(system.printedFiles().size(), 1);

    QFile pdf(system.path(system.printedFiles().first()));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    static const QRegularExpression mediaBox(QStringLiteral("/MediaBox \\[0 0 144(\\.0+)? 72(\\.0+)?\\]"));
    EXPECT_TRUE(mediaBox.match(QString::fromLatin1(bytes)).hasMatch());

    // Drawn in points but printed at the printer's resolution: the outer frame (8 pt in
    // from each edge) must land near the page edges, not in a corner of the page.
    const QImage page = rasterise(pdf.fileName());
    ASSERT_FALSE(page.isNull()) << "pdftoppm could not render the page";
    EXPECT_EQ(page.size(), QSize(288, 144));
    EXPECT_TRUE(darkAround(page, 16, 72)) << "left edge of the frame";
    EXPECT_TRUE(darkAround(page, 272, 72)) << "right edge of the frame";
    EXPECT_TRUE(darkAround(page, 144, 16)) << "top edge of the frame";
    EXPECT_FALSE(darkAround(page, 4, 72, 2)) << "outside the frame stays white";
}

TEST(SystemPrintTransport, UnprintableCanvasPrintsNothing)
{
    LabelRenderer renderer;
    FakeSystem system;
    SystemPrintTransport transport(&renderer, system.selector(), system.dialog());
    PrintJobRequest request = requestFor(kDesk, 2);
    request.canvas.widthInches = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(transport.print(request, true, false), InvalidCanvasError);
    EXPECT_EQ(system.selections, 0);
    EXPECT_TRUE(system.printedFiles().isEmpty());
}

// --- the toolkit's facade --------------------------------------------------------------------

namespace {

class StaticNames final : public PrinterNameSource
{
public:
    QCoro::Task<QStringList> printerNames() override
    {
        co_return QStringList{QStringLiteral("Office Laser"), QStringLiteral("Label 9"), kDesk};
    }
    QCoro::Task<QString> defaultPrinterName() override { co_return QStringLiteral("Office Laser"); }
};

struct ServiceFixture
{
    FakeSystem system;
    FakeProcessRunner runner;
    std::unique_ptr<runtime::PrintService> service;

    ServiceFixture()
    {
        CUPSTools tools;
        tools.lp = QStringLiteral("/test/lp");
        tools.lpstat = QStringLiteral("/test/lpstat");
        runner.setResponder([](const ProcessRequest &request) {
            if (request.program == QStringLiteral("/test/lp"))
                return FakeProcessRunner::finished(QStringLiteral("request id is TestLabel-7 (1 file(s))"));
            return FakeProcessRunner::finished(QString(), 1);
        });
        service = std::make_unique<runtime::PrintService>(
            std::make_unique<PrinterCatalog>(std::make_unique<StaticNames>()), LabelRenderer(),
            runtime::PrintService::Environment{&runner, tools, system.selector(), system.dialog()});
    }

    PrintJobRequest cupsRequest(qint64 copies = 1)
    {
        PrintJobRequest request =
            requestFor(QStringLiteral("TestLabel"), copies, PrintTransportStrategy::cups);
        request.cupsConfiguration = CUPSPrintConfiguration{QStringLiteral("TestLabel"), true, {}};
        return request;
    }
};

} // namespace

TEST(ToolkitPrintService, CupsRequestsGoThroughLpAndNeverShowADialog)
{
    ServiceFixture f;
    runSync(f.service->print(f.cupsRequest(), true));
    EXPECT_EQ(f.system.selections, 0);
    EXPECT_EQ(f.system.dialogs, 0);
    const QList<QStringList> lpCalls = f.runner.argumentsFor(QStringLiteral("/test/lp"));
    ASSERT_EQ(lpCalls.size(), 1);
    EXPECT_TRUE(lpCalls.first().join(QLatin1Char(' ')).contains(QStringLiteral("-d TestLabel")))
        << lpCalls.first().join(QLatin1Char(' ')).toStdString();
}

TEST(ToolkitPrintService, SystemRequestsUseTheSystemTransportWithTheDialogFlag)
{
    for (bool showsPrintPanel : {true, false}) {
        SCOPED_TRACE(showsPrintPanel);
        ServiceFixture f;
        runSync(f.service->print(requestFor(kDesk, 2), showsPrintPanel));
        EXPECT_EQ(f.system.printedFiles().size(), 2);
        EXPECT_EQ(f.system.dialogs, showsPrintPanel ? 2 : 0);
        EXPECT_TRUE(f.runner.requests().isEmpty());
    }
}

TEST(ToolkitPrintService, TransportErrorsReachTheCallerUnchanged)
{
    ServiceFixture f;
    try {
        runSync(f.service->print(requestFor(QStringLiteral("Nowhere"), 1), false));
        ADD_FAILURE() << "no error";
    } catch (const PrintTransportError &error) {
        EXPECT_EQ(error.kind(), PrintTransportError::Kind::printerUnavailable);
        EXPECT_EQ(error.printerName(), QStringLiteral("Nowhere"));
    }

    f.runner.setResponder([](const ProcessRequest &) {
        return FakeProcessRunner::finished(
            QStringLiteral("lp: Destination \"TestLabel\" is not accepting jobs."), 1);
    });
    try {
        runSync(f.service->print(f.cupsRequest(), false));
        ADD_FAILURE() << "no error";
    } catch (const CUPSPrintTransportError &error) {
        EXPECT_EQ(error.kind(), CUPSPrintTransportError::Kind::submissionFailed);
        EXPECT_TRUE(error.message().contains(QStringLiteral("not accepting jobs")))
            << error.message().toStdString();
    }
    EXPECT_EQ(f.system.selections, 1);
}

TEST(ToolkitPrintService, ForwardsToTheCatalogAndRenderer)
{
    ServiceFixture f;
    const QList<PrinterDescriptor> printers = quill::testing::runSync(f.service->availablePrinters());
    ASSERT_EQ(printers.size(), 3);
    EXPECT_EQ(printers.first().name, QStringLiteral("Office Laser"));
    EXPECT_TRUE(printers.first().isDefault);
    EXPECT_EQ(quill::testing::runSync(f.service->preferredPrinter({QStringLiteral("desk")}))->name, kDesk);

    const QImage preview = f.service->previewImage(LabelContent::sample(), LabelPreset::rect1x2().canvas);
    EXPECT_EQ(preview.size(), QSize(576, 288));
    EXPECT_TRUE(f.service->pdfData(LabelContent::sample(), LabelPreset::rect1x2().canvas).startsWith("%PDF"));
}

// --- the private scheduler -------------------------------------------------------------------

namespace {

bool testLabelIdle()
{
    int exitCode = -1;
    const QString pending = testbed::tool(QStringLiteral("lpstat"),
                                          {QStringLiteral("-o"), QStringLiteral("TestLabel")}, &exitCode);
    return exitCode == 0 && pending.trimmed().isEmpty();
}

// Waits until the scheduler has handed every job of TestLabel to the backend and
// returns the jobs that appeared since `before`. A time-out shows up as a wrong count.
QStringList newJobsSince(const QStringList &before, qsizetype expected)
{
    QStringList fresh;
    testbed::eventually([&] {
        fresh.clear();
        for (const QString &job : testbed::jobFiles(QStringLiteral("TestLabel")))
            if (!before.contains(job))
                fresh.append(job);
        return fresh.size() >= expected && testLabelIdle();
    });
    return fresh;
}

} // namespace

TEST(CupsSystemPrint, EveryCopyIsOneJobOnTheLabelsPage)
{
    testbed::resetQueues();
    LabelRenderer renderer;
    SystemPrintTransport transport(&renderer);
    for (auto [copies, jobs] : {std::pair<qint64, qsizetype>{3, 3}, {0, 1}}) {
        SCOPED_TRACE(copies);
        const QStringList before = testbed::jobFiles(QStringLiteral("TestLabel"));
        transport.print(requestFor(QStringLiteral("TestLabel"), copies), false, false);
        const QStringList fresh = newJobsSince(before, jobs);
        ASSERT_EQ(fresh.size(), jobs);
        for (const QString &job : fresh) {
            const QString text = QString::fromUtf8(
                testbed::readFile(testbed::outDir(QStringLiteral("TestLabel")) + QLatin1Char('/') +
                                  QString(job).replace(QStringLiteral(".bin"), QStringLiteral(".options"))));
            EXPECT_TRUE(text.contains(QStringLiteral("media=Custom.144x72"))) << text.toStdString();
        }
    }
}

TEST(CupsSystemPrint, UnknownPrinterDoesNotFallBackToTheDefault)
{
    testbed::resetQueues();
    LabelRenderer renderer;
    SystemPrintTransport transport(&renderer);
    const QStringList before = testbed::jobFiles(QStringLiteral("TestLabel"));
    const PrintTransportError error = expectTransportError(
        [&] { transport.print(requestFor(QStringLiteral("TestLabel2"), 1), false, false); });
    EXPECT_EQ(error.kind(), PrintTransportError::Kind::printerUnavailable);
    EXPECT_TRUE(testLabelIdle());
    EXPECT_EQ(testbed::jobFiles(QStringLiteral("TestLabel")), before);
}
