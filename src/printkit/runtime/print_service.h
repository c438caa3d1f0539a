#pragma once

#include "common/process_runner.h"
#include "printkit/discovery/printer_catalog.h"
#include "printkit/rendering/label_renderer.h"
#include "printkit/transport/cups_print_transport.h"
#include "printkit/transport/cups_tools.h"
#include "printkit/transport/system_print_transport.h"

#include <QByteArray>
#include <QCoroTask>
#include <QImage>
#include <memory>

namespace printkit::runtime {

// The toolkit's single entry object for hosts: lists printers, previews a label and
// sends a job to the transport the job names. Lives on the GUI thread.
class PrintService final
{
    Q_DISABLE_COPY_MOVE(PrintService)

public:
    // What the transports talk to; the defaults are the real system.
    struct Environment
    {
        quill::ProcessRunner *runner = &quill::QProcessRunner::instance();
        CUPSTools tools;
        SystemPrintTransport::PrinterSelector selectPrinter;
        SystemPrintTransport::PrintDialogRunner runPrintDialog;
    };

    explicit PrintService(std::unique_ptr<PrinterCatalog> catalog = std::make_unique<PrinterCatalog>(),
                          LabelRenderer renderer = {});
    PrintService(std::unique_ptr<PrinterCatalog> catalog, LabelRenderer renderer, Environment environment);

    QCoro::Task<QList<PrinterDescriptor>> availablePrinters();
    QCoro::Task<std::optional<PrinterDescriptor>> preferredPrinter(QStringList keywords);

    // A 4× bitmap of the label, for sharp previews on high-density screens.
    QImage previewImage(const LabelContent &content, const LabelCanvas &canvas) const;
    QByteArray pdfData(const LabelContent &content, const LabelCanvas &canvas) const;

    // CUPS jobs go through lp and never show a dialog; system jobs show the print
    // dialog when asked. Errors of either transport reach the caller as they are.
    QCoro::Task<> print(PrintJobRequest request, bool showsPrintPanel);

    PrinterCatalog &catalog() const { return *m_catalog; }
    const LabelRenderer &renderer() const { return m_renderer; }

private:
    const std::unique_ptr<PrinterCatalog> m_catalog;
    const LabelRenderer m_renderer;
    const SystemPrintTransport m_systemTransport;
    CUPSPrintTransport m_cupsTransport;
};

} // namespace printkit::runtime
