#include "printkit/transport/system_print_transport.h"

#include "common/logging.h"
#include "printkit/rendering/label_renderer.h"

#include <QApplication>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

namespace printkit {

PrintTransportError PrintTransportError::printerUnavailable(const QString &printerName)
{
    return PrintTransportError(
        Kind::printerUnavailable, printerName,
        QStringLiteral("The printer '%1' is not currently available on this system.").arg(printerName));
}

PrintTransportError PrintTransportError::printOperationFailed()
{
    return PrintTransportError(
        Kind::printOperationFailed, QString(),
        QStringLiteral("The system print operation failed before the job could be spooled."));
}

SystemPrintTransport::SystemPrintTransport(const LabelRenderer *renderer, PrinterSelector selectPrinter,
                                           PrintDialogRunner runPrintDialog)
    : m_renderer(renderer),
      m_selectPrinter(selectPrinter ? std::move(selectPrinter) : PrinterSelector(&selectSystemPrinter)),
      m_runPrintDialog(runPrintDialog ? std::move(runPrintDialog) : PrintDialogRunner(&runSystemPrintDialog))
{
}

bool SystemPrintTransport::selectSystemPrinter(QPrinter &printer, const QString &name)
{
    // An empty name would switch QPrinter to writing a PDF file instead.
    if (name.isEmpty())
        return false;
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull())
        return false;
    printer.setPrinterName(info.printerName());
    // QPrinter quietly stays on the default printer for a name it cannot use.
    return printer.outputFormat() == QPrinter::NativeFormat && printer.printerName() == name;
}

bool SystemPrintTransport::runSystemPrintDialog(QPrinter &printer)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        qCWarning(lcPrintKit, "The print dialog needs a widget application; the print is not started");
        return false;
    }
    QPrintDialog dialog(&printer);
    return dialog.exec() == QDialog::Accepted;
}

void SystemPrintTransport::print(const PrintJobRequest &request, bool showsPrintPanel,
                                 bool showsProgressPanel) const
{
    Q_UNUSED(showsProgressPanel)
    request.canvas.validate();
    const qint64 copies = std::max<qint64>(request.copies, 1);
    for (qint64 copy = 1; copy <= copies; ++copy) {
        qCDebug(lcPrintKit, "System print of copy %lld of %lld to %s", static_cast<long long>(copy),
                static_cast<long long>(copies), qUtf8Printable(request.printerID.rawValue));
        printOneCopy(request, showsPrintPanel);
    }
}

void SystemPrintTransport::printOneCopy(const PrintJobRequest &request, bool showsPrintPanel) const
{
    const QString &name = request.printerID.rawValue;
    const LabelCanvas &canvas = request.canvas;

    QPrinter printer(QPrinter::HighResolution);
    if (!m_selectPrinter(printer, name)) {
        qCWarning(lcPrintKit, "The printer %s is not known to the system", qUtf8Printable(name));
        throw PrintTransportError::printerUnavailable(name);
    }

    // Full page first: with it the margins may go below what the printer calls printable.
    printer.setFullPage(true);
    const QPageSize pageSize(QSizeF(canvas.widthPoints(), canvas.heightPoints()), QPageSize::Point,
                             canvas.name, QPageSize::ExactMatch);
    if (!printer.setPageSize(pageSize))
        qCWarning(lcPrintKit, "%s did not take the page size %s; the label is scaled to its page",
                  qUtf8Printable(name), qUtf8Printable(canvas.sizeDescription()));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);

    if (showsPrintPanel && !m_runPrintDialog(printer)) {
        qCInfo(lcPrintKit, "The print dialog for %s was cancelled", qUtf8Printable(name));
        throw PrintTransportError::printOperationFailed();
    }

    QPainter painter;
    if (!painter.begin(&printer)) {
        qCWarning(lcPrintKit, "Could not start printing on %s", qUtf8Printable(name));
        throw PrintTransportError::printOperationFailed();
    }
    try {
        // The label is laid out in points; the page is measured in device pixels.
        const QRectF page = printer.pageRect(QPrinter::DevicePixel);
        const double scale =
            std::min(page.width() / canvas.widthPoints(), page.height() / canvas.heightPoints());
        painter.scale(scale, scale);
        m_renderer->paint(painter, request.content, canvas);
    } catch (...) {
        // Do not spool half a label.
        printer.abort();
        throw;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        qCWarning(lcPrintKit, "Spooling the label to %s failed", qUtf8Printable(name));
        throw PrintTransportError::printOperationFailed();
    }
}

} // namespace printkit
