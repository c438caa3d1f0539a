#include "printkit/runtime/print_service.h"

namespace printkit::runtime {

PrintService::PrintService(std::unique_ptr<PrinterCatalog> catalog, LabelRenderer renderer)
    : PrintService(std::move(catalog), renderer, Environment{})
{
}

PrintService::PrintService(std::unique_ptr<PrinterCatalog> catalog, LabelRenderer renderer,
                           Environment environment)
    : m_catalog(std::move(catalog)), m_renderer(renderer),
      m_systemTransport(&m_renderer, std::move(environment.selectPrinter),
                        std::move(environment.runPrintDialog)),
      m_cupsTransport(&m_renderer, environment.runner, std::move(environment.tools))
{
}

QCoro::Task<QList<PrinterDescriptor>> PrintService::availablePrinters()
{
    co_return co_await m_catalog->availablePrinters();
}

QCoro::Task<std::optional<PrinterDescriptor>> PrintService::preferredPrinter(QStringList keywords)
{
    co_return co_await m_catalog->preferredPrinter(std::move(keywords));
}

QImage PrintService::previewImage(const LabelContent &content, const LabelCanvas &canvas) const
{
    return m_renderer.renderImage(content, canvas, 4.0);
}

QByteArray PrintService::pdfData(const LabelContent &content, const LabelCanvas &canvas) const
{
    return m_renderer.renderPDF(content, canvas);
}

QCoro::Task<> PrintService::print(PrintJobRequest request, bool showsPrintPanel)
{
    switch (request.transportStrategy) {
    case PrintTransportStrategy::cups:
        co_await m_cupsTransport.print(std::move(request));
        co_return;
    case PrintTransportStrategy::systemDialog:
        m_systemTransport.print(request, showsPrintPanel, false);
        co_return;
    }
}

} // namespace printkit::runtime
