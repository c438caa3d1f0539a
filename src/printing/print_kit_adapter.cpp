#include "printing/print_kit_adapter.h"

#include "common/detached_task.h"
#include "common/error.h"
#include "common/logging.h"
#include "printing/pdf_navigation_delegate.h"
#include "printing/printer_calibration_store.h"
#include "printkit/discovery/cups_printer_name_source.h"
#include "printkit/discovery/printer_catalog.h"
#include "printkit/rendering/label_renderer.h"
#include "printkit/transport/cups_print_transport.h"

#include <QCoroSignal>
#include <algorithm>
#include <cmath>

namespace quill {

namespace {

// The signature every PNG file starts with.
const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

// setHtml loads the document as a data: address, which the engine caps at 2 MB.
constexpr qsizetype kMaxHtmlBytes = 2 * 1024 * 1024;

std::optional<QString> labelSizeProblem(double widthInches, double heightInches)
{
    const auto bad = [](double side) {
        return !std::isfinite(side) || side < printkit::LabelCanvas::kMinInches ||
               side > printkit::LabelCanvas::kMaxInches;
    };
    if (bad(widthInches) || bad(heightInches))
        return QStringLiteral(
                   "A label must be at least %4 and at most %1 inches on each side (got %2 × %3 in).")
            .arg(printkit::LabelCanvas::kMaxInches)
            .arg(widthInches)
            .arg(heightInches)
            .arg(printkit::LabelCanvas::kMinInches);
    return std::nullopt;
}

QCoro::Task<> failAfter(Sleeper *sleeper, std::chrono::milliseconds timeout,
                        QPointer<PDFNavigationDelegate> conversion)
{
    co_await sleeper->sleep(timeout);
    if (conversion)
        conversion->fail(QStringLiteral("The label page did not finish within %1 seconds.")
                             .arg(static_cast<double>(timeout.count()) / 1000.0));
}

} // namespace

PrintKitAdapter::PrintKitAdapter(PrintKitAdapterSetup setup, QObject *parent)
    : QObject(parent), m_runner(setup.runner), m_tools(std::move(setup.tools)), m_sleeper(setup.sleeper),
      m_calibration(setup.calibration), m_pdfTimeout(setup.pdfTimeout), m_catalog(std::move(setup.catalog)),
      m_renderer(std::make_shared<printkit::LabelRenderer>())
{
    if (!m_catalog)
        m_catalog = std::make_shared<printkit::PrinterCatalog>(
            std::make_unique<printkit::CUPSPrinterNameSource>(m_runner, m_tools));
    m_transport = std::make_shared<printkit::CUPSPrintTransport>(m_renderer.get(), m_runner, m_tools);
    m_queueMonitor = std::make_shared<printkit::CUPSQueueMonitor>(m_runner, m_tools);
    // A label's queue check and its submission find the queue name once between refreshes.
    m_transport->setQueueNameCache(m_queueNames);
    m_queueMonitor->setQueueNameCache(m_queueNames);
}

PrintKitAdapter::~PrintKitAdapter() = default;

void PrintKitAdapter::startRefreshTimer()
{
    if (m_refreshTimerRunning)
        return;
    m_refreshTimerRunning = true;
    Q_EMIT refreshTimerChanged();
    startDetached(refreshLoop(QPointer<PrintKitAdapter>(this), m_sleeper), lcPrintKit(),
                  "Printer refresh loop");
}

QCoro::Task<> PrintKitAdapter::refreshLoop(QPointer<PrintKitAdapter> adapter, Sleeper *sleeper)
{
    // Each tick starts its own refresh and does not wait for it, so a slow scheduler
    // does not stretch the interval. The loop holds the adapter only weakly.
    startDetached(adapter->refreshPrinters(), lcPrintKit(), "Printer refresh");
    while (true) {
        co_await sleeper->sleep(kRefreshInterval);
        if (!adapter)
            co_return;
        startDetached(adapter->refreshPrinters(), lcPrintKit(), "Printer refresh");
    }
}

QCoro::Task<> PrintKitAdapter::refreshPrinters()
{
    QPointer<PrintKitAdapter> self(this);
    const quint64 ticket = ++m_refreshesStarted;
    // Queues may have come, gone or been renamed: names are looked up afresh from here on.
    m_queueNames->clear();
    // Held here so a refresh in flight outlives the adapter safely.
    std::shared_ptr<printkit::PrinterQuerying> catalog = m_catalog;
    std::shared_ptr<printkit::CUPSQueueMonitor> monitor = m_queueMonitor;

    const QList<printkit::PrinterDescriptor> printers = co_await catalog->availablePrinters();
    QList<PrinterInfo> rows;
    rows.reserve(printers.size());
    for (const printkit::PrinterDescriptor &printer : printers) {
        QString queue = printer.id.rawValue;
        const printkit::CUPSQueueStatus status = co_await monitor->queueStatus(std::move(queue));
        rows.append(PrinterInfo::make(printer, status));
    }

    if (!self)
        co_return;
    if (ticket < self->m_refreshApplied) {
        qCDebug(lcPrintKit, "Printer list of refresh %llu dropped: refresh %llu is newer",
                static_cast<unsigned long long>(ticket),
                static_cast<unsigned long long>(self->m_refreshApplied));
        co_return;
    }
    self->m_refreshApplied = ticket;
    self->showPrinters(std::move(rows));
}

void PrintKitAdapter::showPrinters(QList<PrinterInfo> rows)
{
    for (PrinterInfo &row : rows)
        row.refusal = m_refusals.value(row.name);
    m_printers = std::move(rows);
    Q_EMIT printersChanged();
    setConnected(!m_printers.isEmpty());
    qCInfo(lcPrintKit, "Discovered %lld printer(s)", static_cast<long long>(m_printers.size()));
}

QCoro::Task<printkit::CUPSQueueState> PrintKitAdapter::queueStatus(QString printer)
{
    // Only the state: the waiting jobs are read where a screen shows them (the refresh).
    std::shared_ptr<printkit::CUPSQueueMonitor> monitor = m_queueMonitor;
    co_return co_await monitor->queueState(std::move(printer));
}

QCoro::Task<printkit::QueueCommandResult> PrintKitAdapter::recoverQueue(QString printer)
{
    QPointer<PrintKitAdapter> self(this);
    std::shared_ptr<printkit::CUPSQueueMonitor> monitor = m_queueMonitor;
    if (!printkit::CUPSQueueResolver::isSafeQueueName(printer))
        co_return printkit::QueueCommandResult{false,
                                               printkit::CUPSQueueResolver::unsafeNameMessage(printer)};
    qCCritical(lcPrintKit, "Attempting recovery for %s", qUtf8Printable(printer));

    // Only the queue is restarted: the jobs it holds are labels the seller is
    // waiting for. Emptying it is the seller's own decision (clearQueue).
    QString queue = printer;
    const printkit::QueueCommandResult enabled = co_await monitor->enableQueue(std::move(queue));
    if (self)
        co_await self->refreshPrinters();
    co_return enabled;
}

QCoro::Task<QStringList> PrintKitAdapter::pendingJobIds(ProcessRunner *runner, printkit::CUPSTools tools,
                                                        QString queue)
{
    printkit::CUPSQueueResolver::requireSafeQueueName(queue);
    QStringList arguments{QStringLiteral("-o"), queue};
    ProcessRequest request{tools.lpstat, std::move(arguments), tools.timeout};
    const ProcessResult result = co_await runner->run(std::move(request));
    if (!result.succeeded())
        throw Error(result.describe());
    QStringList ids;
    const QStringList lines = result.output.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        // Continuation lines of `lpstat -l` start with white space; job lines with the id.
        if (line.isEmpty() || line.front().isSpace())
            continue;
        ids.append(line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty));
    }
    co_return ids;
}

QCoro::Task<printkit::QueueCommandResult> PrintKitAdapter::clearQueue(QString printer)
{
    QPointer<PrintKitAdapter> self(this);
    std::shared_ptr<printkit::CUPSQueueMonitor> monitor = m_queueMonitor;
    ProcessRunner *runner = m_runner;
    printkit::CUPSTools tools = m_tools;
    if (!printkit::CUPSQueueResolver::isSafeQueueName(printer))
        co_return printkit::QueueCommandResult{false,
                                               printkit::CUPSQueueResolver::unsafeNameMessage(printer)};
    qCInfo(lcPrintKit, "Clearing print queue for %s", qUtf8Printable(printer));

    // Say which labels are thrown away before they are.
    QString statusOf = printer;
    const printkit::CUPSQueueStatus before = co_await monitor->queueStatus(std::move(statusOf));
    QString queueName = before.queueName().isEmpty() ? printer : before.queueName();
    QString listed = queueName;
    QString jobList;
    try {
        const QStringList ids = co_await pendingJobIds(runner, std::move(tools), std::move(listed));
        jobList = ids.isEmpty() ? QStringLiteral("none") : ids.join(QStringLiteral(", "));
    } catch (const Error &error) {
        jobList = QStringLiteral("unknown (%1)").arg(error.message());
    }
    qCWarning(lcPrintKit, "Cancelling every job of %s: %s", qUtf8Printable(queueName),
              qUtf8Printable(jobList));

    QString queue = printer;
    const printkit::QueueCommandResult cancelled = co_await monitor->cancelAllJobs(std::move(queue));
    if (self)
        co_await self->refreshPrinters();
    co_return cancelled;
}

printkit::LabelCanvas PrintKitAdapter::imageCanvas(const LabelMedia &media)
{
    printkit::LabelCanvas canvas;
    canvas.name = media.displayName();
    if (media.isCircular) {
        canvas.shape = printkit::LabelShape::circle;
        canvas.widthInches = media.widthInches;
        canvas.heightInches = media.widthInches;
    } else {
        canvas.shape = printkit::LabelShape::roundedRectangle;
        canvas.widthInches = std::max(media.widthInches, media.heightInches);
        canvas.heightInches = std::min(media.widthInches, media.heightInches);
    }
    return canvas;
}

printkit::LabelCanvas PrintKitAdapter::htmlCanvas(double widthInches, double heightInches)
{
    printkit::LabelCanvas canvas;
    canvas.name =
        formatTwoSignificantDigits(widthInches) + QChar(0x00D7) + formatTwoSignificantDigits(heightInches);
    canvas.widthInches = widthInches;
    canvas.heightInches = heightInches;
    canvas.shape = printkit::LabelShape::roundedRectangle;
    return canvas;
}

QList<printkit::CUPSOption> PrintKitAdapter::cupsOptions(bool fitToPage, int verticalOffset, int feedOffset)
{
    QList<printkit::CUPSOption> options{
        {QStringLiteral("page-left"), QStringLiteral("0")},
        {QStringLiteral("page-right"), QStringLiteral("0")},
        {QStringLiteral("page-top"), QStringLiteral("0")},
        {QStringLiteral("page-bottom"), QStringLiteral("0")},
        {QStringLiteral("fit-to-page"), fitToPage ? QStringLiteral("true") : QStringLiteral("false")},
        {QStringLiteral("PaperType"), QStringLiteral("1")},
        {QStringLiteral("PostAction"), QStringLiteral("None")},
    };
    // The driver's own ranges; a stored value outside them must not move the print off the label.
    const int vertical = std::clamp(verticalOffset, -PrinterCalibrationStore::kVerticalLimit,
                                    PrinterCalibrationStore::kVerticalLimit);
    const int feed =
        std::clamp(feedOffset, -PrinterCalibrationStore::kFeedLimit, PrinterCalibrationStore::kFeedLimit);
    if (vertical != 0)
        options.append({QStringLiteral("ShiftMove"), QString::number(vertical)});
    if (feed != 0)
        options.append({QStringLiteral("FowardOffset"), QString::number(feed)});
    return options;
}

QList<printkit::CUPSOption> PrintKitAdapter::calibratedOptions(bool fitToPage) const
{
    if (!m_calibration)
        return cupsOptions(fitToPage, 0, 0);
    const PrinterCalibrationStore &store = *m_calibration;
    if (store.verticalOffset() != std::clamp(store.verticalOffset(), -PrinterCalibrationStore::kVerticalLimit,
                                             PrinterCalibrationStore::kVerticalLimit) ||
        store.feedOffset() != std::clamp(store.feedOffset(), -PrinterCalibrationStore::kFeedLimit,
                                         PrinterCalibrationStore::kFeedLimit))
        qCWarning(lcPrintKit,
                  "Calibration offsets %d/%d are outside the printer's range and are limited to it",
                  store.verticalOffset(), store.feedOffset());
    return cupsOptions(fitToPage, store.verticalOffset(), store.feedOffset());
}

QCoro::Task<PrintResult> PrintKitAdapter::printImage(QString printer, QByteArray png, LabelMedia media,
                                                     Orientation orientation, qint64 copies)
{
    Q_UNUSED(orientation) // the bitmap arrives already turned for the medium
    if (printer.trimmed().isEmpty())
        co_return PrintResult::failed(QStringLiteral("No printer is selected."));
    if (png.isEmpty())
        co_return PrintResult::failed(
            QStringLiteral("The label image is empty, so nothing was sent to %1.").arg(printer));
    if (!png.startsWith(kPngSignature))
        co_return PrintResult::failed(
            QStringLiteral("The label image is not a PNG image, so nothing was sent to %1.").arg(printer));
    if (copies < 1)
        co_return PrintResult::failed(
            QStringLiteral("At least one copy must be printed (got %1).").arg(copies));
    if (const auto problem = media.unprintableReason())
        co_return PrintResult::failed(*problem);

    printkit::LabelCanvas canvas = imageCanvas(media);
    std::optional<printkit::CUPSPrintConfiguration> configuration(std::in_place);
    configuration->usesCanvasPageSize = true;
    configuration->options = calibratedOptions(true);

    QPointer<PrintKitAdapter> self(this);
    std::shared_ptr<printkit::CUPSPrintTransport> transport = m_transport;
    const QString queue = printer;
    std::optional<QString> failure;
    try {
        co_await transport->printImage(std::move(png), std::move(printer), std::move(canvas), copies,
                                       std::move(configuration));
    } catch (const std::exception &error) {
        failure = errorMessage(error);
    }
    if (self)
        self->noteSubmission(queue, failure);
    if (failure)
        co_return PrintResult::failed(std::move(*failure));
    co_return PrintResult::succeeded();
}

QCoro::Task<PrintResult> PrintKitAdapter::printHTML(QString printer, QString html, double widthInches,
                                                    double heightInches)
{
    if (printer.trimmed().isEmpty())
        co_return PrintResult::failed(QStringLiteral("No printer is selected."));
    if (const auto problem = labelSizeProblem(widthInches, heightInches))
        co_return PrintResult::failed(*problem);

    QPointer<PrintKitAdapter> self(this);
    std::shared_ptr<printkit::CUPSPrintTransport> transport = m_transport;
    const QSizeF labelSize(widthInches * 72.0, heightInches * 72.0);

    QByteArray pdf;
    QString failure;
    bool failed = false;
    try {
        pdf = co_await generatePDF(std::move(html), labelSize);
    } catch (const std::exception &error) {
        failed = true;
        failure = errorMessage(error);
    }
    if (failed)
        co_return PrintResult::failed(std::move(failure));
    if (!self)
        co_return PrintResult::failed(QStringLiteral("Printing was shut down before the label was sent."));

    printkit::LabelCanvas canvas = htmlCanvas(widthInches, heightInches);
    std::optional<printkit::CUPSPrintConfiguration> configuration(std::in_place);
    configuration->usesCanvasPageSize = true;
    configuration->options = self->calibratedOptions(false);
    const QString queue = printer;
    std::optional<QString> submitFailure;
    try {
        co_await transport->printPDF(std::move(pdf), std::move(printer), std::move(canvas), 1,
                                     std::move(configuration));
    } catch (const std::exception &error) {
        submitFailure = errorMessage(error);
    }
    if (self)
        self->noteSubmission(queue, submitFailure);
    if (submitFailure)
        co_return PrintResult::failed(std::move(*submitFailure));
    co_return PrintResult::succeeded();
}

QCoro::Task<QByteArray> PrintKitAdapter::generatePDF(QString html, QSizeF labelSize)
{
    if (!(labelSize.width() > 0) || !(labelSize.height() > 0) || !std::isfinite(labelSize.width()) ||
        !std::isfinite(labelSize.height()))
        throw PdfGenerationError(QStringLiteral("The label has no printable size."));
    if (html.toUtf8().size() > kMaxHtmlBytes)
        throw PdfGenerationError(QStringLiteral("The label page is larger than 2 MB and cannot be drawn."));

    // Held from the first label on, so requests that printing makes after a page is gone
    // still meet the filter.
    if (!m_pdfProfile)
        m_pdfProfile = PDFNavigationDelegate::sharedProfile();

    QPointer<PrintKitAdapter> self(this);
    // The page goes as soon as the conversion ends. The completion signal reaches this
    // coroutine through the event loop, never from inside one of the page's own calls.
    auto conversion = std::make_unique<PDFNavigationDelegate>(labelSize);
    changeActivePdfConversions(+1);
    startDetached(failAfter(m_sleeper, m_pdfTimeout, QPointer<PDFNavigationDelegate>(conversion.get())),
                  lcPrintKit(), "PDF conversion time-out");
    conversion->start(html);
    if (!conversion->hasCompleted())
        co_await qCoro(conversion.get(), &PDFNavigationDelegate::completed);
    if (self)
        self->changeActivePdfConversions(-1);

    if (conversion->error())
        throw PdfGenerationError(*conversion->error());
    co_return QByteArray(conversion->pdf());
}

void PrintKitAdapter::noteSubmission(const QString &queue, const std::optional<QString> &failure)
{
    // lp runs with LC_ALL=C, so its refusal reads the same everywhere.
    const bool refused = failure && failure->contains(QLatin1String("not accepting jobs"));
    if (failure && !refused)
        return;
    const QString reason = refused ? *failure : QString();
    if (m_refusals.value(queue) == reason)
        return;
    if (refused) {
        qCWarning(lcPrintKit, "Queue %s refuses jobs: %s", qUtf8Printable(queue), qUtf8Printable(reason));
        m_refusals.insert(queue, reason);
    } else {
        qCInfo(lcPrintKit, "Queue %s takes jobs again", qUtf8Printable(queue));
        m_refusals.remove(queue);
    }
    for (PrinterInfo &row : m_printers) {
        if (row.name == queue)
            row.refusal = reason;
    }
    Q_EMIT printersChanged();
}

void PrintKitAdapter::setConnected(bool connected)
{
    if (m_isConnected == connected)
        return;
    m_isConnected = connected;
    Q_EMIT isConnectedChanged(connected);
}

void PrintKitAdapter::changeActivePdfConversions(int delta)
{
    m_activePdfConversions += delta;
    Q_EMIT activePdfConversionsChanged();
}

} // namespace quill
