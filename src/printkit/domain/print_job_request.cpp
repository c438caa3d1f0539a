#include "printkit/domain/cups_queue_status.h"
#include "printkit/domain/print_job_request.h"

#include <algorithm>

namespace printkit {

size_t qHash(const PrinterID &id, size_t seed) noexcept
{
    return ::qHash(id.rawValue, seed);
}

size_t qHash(const CUPSOption &option, size_t seed) noexcept
{
    return qHashMulti(seed, option.name, option.value);
}

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
                                 LabelContent content, qint64 copies, PrintTransportStrategy transportStrategy,
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
    for (auto s : {CUPSQueueState::idle, CUPSQueueState::processing, CUPSQueueState::stopped, CUPSQueueState::unknown})
        if (rawValue(s) == raw)
            return s;
    return std::nullopt;
}

} // namespace printkit
