#pragma once

#include "common/error.h"
#include "printkit/domain/print_job_request.h"

#include <QString>
#include <functional>

class QPrinter;

namespace printkit {

class LabelRenderer;

class PrintTransportError final : public quill::Error
{
public:
    enum class Kind
    {
        printerUnavailable,
        printOperationFailed
    };

    static PrintTransportError printerUnavailable(const QString &printerName);
    static PrintTransportError printOperationFailed();

    Kind kind() const { return m_kind; }
    // The printer asked for; empty for printOperationFailed.
    const QString &printerName() const { return m_printerName; }

private:
    PrintTransportError(Kind kind, QString printerName, QString message)
        : Error(std::move(message)), m_kind(kind), m_printerName(std::move(printerName))
    {
    }
    Kind m_kind;
    QString m_printerName;
};

// Prints a request through the system's own print path (Qt Print Support over the
// CUPS client library) instead of the lp tool: the label is painted onto a page of
// exactly its size, one print operation per copy, each with its own print dialog
// when the dialog is asked for. Operations are synchronous; the job is spooled when
// its painting ends.
class SystemPrintTransport final
{
public:
    // Aims a fresh printer at the system printer `name`; false when the system has
    // no such printer.
    using PrinterSelector = std::function<bool(QPrinter &printer, const QString &name)>;
    // Shows the print dialog for one copy; false when the user cancels it.
    using PrintDialogRunner = std::function<bool(QPrinter &printer)>;

    // Empty functions mean the real ones: the system's printer list and QPrintDialog.
    explicit SystemPrintTransport(const LabelRenderer *renderer, PrinterSelector selectPrinter = {},
                                  PrintDialogRunner runPrintDialog = {});

    // Throws PrintTransportError, or InvalidCanvasError for a canvas that cannot be
    // printed. Copies already printed stay printed when a later one fails. Qt shows no
    // progress panel of its own on this system, so `showsProgressPanel` changes nothing.
    void print(const PrintJobRequest &request, bool showsPrintPanel, bool showsProgressPanel) const;

    static bool selectSystemPrinter(QPrinter &printer, const QString &name);
    static bool runSystemPrintDialog(QPrinter &printer);

private:
    void printOneCopy(const PrintJobRequest &request, bool showsPrintPanel) const;

    const LabelRenderer *m_renderer;
    PrinterSelector m_selectPrinter;
    PrintDialogRunner m_runPrintDialog;
};

} // namespace printkit
