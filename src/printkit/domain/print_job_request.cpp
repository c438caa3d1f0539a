#include "printkit/domain/print_job_request.h"

#include "printkit/domain/cups_queue_status.h"
#include "printkit/domain/printer_descriptor.h"
#include "printkit/domain/record_comparison.h"

#include <algorithm>

namespace printkit {

QString rawValue(PrintTransportStrategy strategy)
{
    return strategy == PrintTransportStrategy::cups ? QStringLiteral("cups") : QStringLiteral("systemDialog");
}

std::optional<PrintTransportStrategy> printTransportStrategyFromRaw(const QString &raw)
{
    if (raw == QLatin1String("cups"))
        return PrintTransportStrategy::cups;
    if (raw == QLatin1String("systemDialog"))
        return PrintTransportStrategy::systemDialog;
    return std::nullopt;
}

PrintJobRequest::PrintJobRequest(PrinterID printerID, LabelCanvas canvas, LabelCalibration calibration,
                                 LabelContent content, qint64 copies,
                                 PrintTransportStrategy transportStrategy,
                                 std::optional<CUPSPrintConfiguration> cupsConfiguration)
    : printerID(std::move(printerID)), canvas(std::move(canvas)), calibration(calibration),
      content(std::move(content)), copies(std::max<qint64>(copies, 1)), transportStrategy(transportStrategy),
      cupsConfiguration(std::move(cupsConfiguration))
{
}

QString rawValue(CUPSQueueState state)
{
    switch (state) {
    case CUPSQueueState::idle:
        return QStringLiteral("idle");
    case CUPSQueueState::processing:
        return QStringLiteral("processing");
    case CUPSQueueState::stopped:
        return QStringLiteral("stopped");
    case CUPSQueueState::unknown:
        return QStringLiteral("unknown");
    }
    return {};
}

std::optional<CUPSQueueState> cupsQueueStateFromRaw(const QString &raw)
{
    for (auto s :
         {CUPSQueueState::idle, CUPSQueueState::processing, CUPSQueueState::stopped, CUPSQueueState::unknown})
        if (rawValue(s) == raw)
            return s;
    return std::nullopt;
}

PRINTKIT_RECORD_COMPARISON(PrinterID, id, id.rawValue)

PRINTKIT_RECORD_COMPARISON(CUPSOption, option, option.name, option.value)

PRINTKIT_RECORD_COMPARISON(CUPSPrintConfiguration, configuration, configuration.queueName,
                           configuration.usesCanvasPageSize, configuration.options)

PRINTKIT_RECORD_COMPARISON(PrintJobRequest, request, request.printerID, request.canvas, request.calibration,
                           request.content, request.copies, request.transportStrategy,
                           request.cupsConfiguration)

PRINTKIT_RECORD_COMPARISON(PrinterDescriptor, descriptor, descriptor.id, descriptor.name,
                           descriptor.isDefault)

} // namespace printkit
