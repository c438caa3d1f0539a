#pragma once

#include "common/clock.h"
#include "common/process_runner.h"
#include "printing/label_media.h"
#include "printing/orientation.h"
#include "printing/pdf_navigation_delegate.h"
#include "printing/print_result.h"
#include "printing/printer_info.h"
#include "printkit/discovery/printer_querying.h"
#include "printkit/domain/cups_queue_status.h"
#include "printkit/domain/label_canvas.h"
#include "printkit/domain/print_job_request.h"
#include "printkit/transport/cups_queue_monitor.h"
#include "printkit/transport/cups_tools.h"

#include <QByteArray>
#include <QCoroTask>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <chrono>
#include <memory>
#include <optional>

namespace printkit {
class CUPSPrintTransport;
class LabelRenderer;
} // namespace printkit

namespace quill {

class PrinterCalibrationStore;

// What the adapter runs on. The defaults are the product's: the real CUPS tools,
// the event-loop sleeper; no calibration unless a store is handed in.
struct PrintKitAdapterSetup
{
    ProcessRunner *runner = &QProcessRunner::instance();
    printkit::CUPSTools tools = {};
    Sleeper *sleeper = &TimerSleeper::instance();
    // Null: a PrinterCatalog reading CUPS through `runner` and `tools`.
    std::shared_ptr<printkit::PrinterQuerying> catalog;
    // Read at each print. Null: no calibration (both offsets 0), as for a printer never calibrated.
    PrinterCalibrationStore *calibration = nullptr;
    // Longest an HTML label may take to become a PDF.
    std::chrono::milliseconds pdfTimeout{std::chrono::seconds(30)};
};

// The application's one door to the print toolkit: the printer list with the state
// of each CUPS queue (refreshed every 30 s), queue repair and clearing, PNG labels
// and HTML labels (as PDF) to a CUPS queue with the label's page size and the
// printer's calibration.
//
// Print operations never throw: each hands its own PrintResult to its caller.
// Operations may outlive the adapter; after it is gone they finish without
// touching it.
class PrintKitAdapter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintKitAdapter)
    Q_PROPERTY(bool isConnected READ isConnected NOTIFY isConnectedChanged)
    Q_PROPERTY(bool isRefreshTimerRunning READ isRefreshTimerRunning NOTIFY refreshTimerChanged)
    Q_PROPERTY(int activePdfConversions READ activePdfConversions NOTIFY activePdfConversionsChanged)

public:
    static constexpr std::chrono::seconds kRefreshInterval{30};

    explicit PrintKitAdapter(PrintKitAdapterSetup setup = {}, QObject *parent = nullptr);
    ~PrintKitAdapter() override;

    // The last refresh's printers in catalog order (default first); empty before the first.
    const QList<PrinterInfo> &printers() const { return m_printers; }
    // The last refresh found at least one printer.
    bool isConnected() const { return m_isConnected; }
    bool isRefreshTimerRunning() const { return m_refreshTimerRunning; }
    // HTML labels being turned into PDFs right now.
    int activePdfConversions() const { return m_activePdfConversions; }

    // Refreshes at once, then every 30 s for as long as the adapter exists. A second
    // call does nothing.
    void startRefreshTimer();

    // Rebuilds `printers` and `isConnected`. Refreshes may overlap; an answer older
    // than the list already shown is dropped, never shown over it.
    // Queue names are found once and kept until the next refresh (or a failed
    // submission), so a label costs one state check and one lp.
    QCoro::Task<> refreshPrinters();
    // The state of the printer's queue alone (one lpstat run).
    QCoro::Task<printkit::CUPSQueueState> queueStatus(QString printer);

    // Re-enables a stopped queue and refreshes. Jobs CUPS already holds are kept: they
    // print once the queue runs again. The result is that of the enable command.
    QCoro::Task<printkit::QueueCommandResult> recoverQueue(QString printer);
    // Cancels every job of the queue (logging which), leaves its state alone and refreshes.
    QCoro::Task<printkit::QueueCommandResult> clearQueue(QString printer);

    // One PNG label on the medium's page size (the orientation is carried in the
    // bitmap itself) with the printer's calibration. Empty or non-PNG bytes are
    // refused before anything reaches CUPS.
    QCoro::Task<PrintResult> printImage(QString printer, QByteArray png, LabelMedia media,
                                        Orientation orientation, qint64 copies);
    // An HTML label of the given size, as a one-page PDF of exactly that size, on a
    // page size of the same orientation.
    QCoro::Task<PrintResult> printHTML(QString printer, QString html, double widthInches,
                                       double heightInches);
    // The HTML document as a one-page PDF of `labelSize` points. Throws PdfGenerationError.
    // Several may run at once.
    QCoro::Task<QByteArray> generatePDF(QString html, QSizeF labelSize);

    // The canvas of a PNG label: a circle of the medium's diameter, else the longer
    // side across, named by the medium's display name.
    static printkit::LabelCanvas imageCanvas(const LabelMedia &media);
    // The canvas of an HTML label: exactly width × height, so it agrees with the PDF page.
    static printkit::LabelCanvas htmlCanvas(double widthInches, double heightInches);
    // The job options: zero page margins, fit-to-page, paper type and post action,
    // then the calibration offsets that are not 0, clamped to the driver's ranges.
    static QList<printkit::CUPSOption> cupsOptions(bool fitToPage, int verticalOffset, int feedOffset);

    // For hosts and tests that need to steer the transport (debug copy, temporary folder).
    printkit::CUPSPrintTransport &cupsTransport() { return *m_transport; }

Q_SIGNALS:
    // Emitted on every refresh that is applied, also when the list is equal, and when
    // a queue starts or stops refusing jobs.
    void printersChanged();
    void isConnectedChanged(bool isConnected);
    void refreshTimerChanged();
    void activePdfConversionsChanged();

private:
    QList<printkit::CUPSOption> calibratedOptions(bool fitToPage) const;
    // A refresh's rows, with the refusals lp reported since, become the list.
    void showPrinters(QList<PrinterInfo> rows);
    void setConnected(bool connected);
    // Keeps lp's refusal of `queue` on its row (a refused label) or drops it (a label
    // that went through); other failures say nothing about whether the queue accepts.
    void noteSubmission(const QString &queue, const std::optional<QString> &failure);
    void changeActivePdfConversions(int delta);
    static QCoro::Task<QStringList> pendingJobIds(ProcessRunner *runner, printkit::CUPSTools tools,
                                                  QString queue);
    static QCoro::Task<> refreshLoop(QPointer<PrintKitAdapter> adapter, Sleeper *sleeper);

    ProcessRunner *m_runner;
    printkit::CUPSTools m_tools;
    Sleeper *m_sleeper;
    PrinterCalibrationStore *m_calibration;
    std::chrono::milliseconds m_pdfTimeout;
    std::shared_ptr<printkit::PrinterQuerying> m_catalog;
    std::shared_ptr<printkit::LabelRenderer> m_renderer;
    std::shared_ptr<printkit::CUPSPrintTransport> m_transport;
    std::shared_ptr<printkit::CUPSQueueMonitor> m_queueMonitor;
    std::shared_ptr<printkit::CUPSQueueNameCache> m_queueNames =
        std::make_shared<printkit::CUPSQueueNameCache>();

    QList<PrinterInfo> m_printers;
    // Queue name to lp's refusal, carried over every refresh.
    QHash<QString, QString> m_refusals;
    bool m_isConnected = false;
    bool m_refreshTimerRunning = false;
    int m_activePdfConversions = 0;
    std::shared_ptr<PDFNavigationDelegate::Profile> m_pdfProfile;
    quint64 m_refreshesStarted = 0;
    quint64 m_refreshApplied = 0;
};

} // namespace quill
