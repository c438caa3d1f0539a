#pragma once

#include "printkit/domain/label_calibration.h"
#include "printkit/domain/label_canvas.h"
#include "printkit/domain/label_content.h"

#include <QList>
#include <QString>
#include <optional>

namespace printkit {

// A printer's system name (the CUPS destination on Linux).
struct PrinterID
{
    QString rawValue;

    PrinterID() = default;
    PrinterID(QString name) : rawValue(std::move(name)) {} // NOLINT: a name stands for a printer anywhere
    PrinterID(const char *name) : rawValue(QString::fromUtf8(name)) {}

    const QString &description() const { return rawValue; }
    bool operator==(const PrinterID &other) const;
};

size_t qHash(const PrinterID &id, size_t seed = 0) noexcept;

enum class PrintTransportStrategy
{
    systemDialog,
    cups
};

QString rawValue(PrintTransportStrategy strategy);
std::optional<PrintTransportStrategy> printTransportStrategyFromRaw(const QString &raw);

// One CUPS job option, sent as "-o name=value".
struct CUPSOption
{
    QString name;
    QString value;

    QString id() const { return name + QLatin1Char('=') + value; }
    bool operator==(const CUPSOption &other) const;
};

size_t qHash(const CUPSOption &option, size_t seed = 0) noexcept;

struct CUPSPrintConfiguration
{
    std::optional<QString> queueName; // absent or empty: resolved from the printer name
    bool usesCanvasPageSize = true;
    QList<CUPSOption> options;

    bool operator==(const CUPSPrintConfiguration &other) const;
};

size_t qHash(const CUPSPrintConfiguration &configuration, size_t seed = 0) noexcept;

struct PrintJobRequest
{
    PrinterID printerID;
    LabelCanvas canvas;
    LabelCalibration calibration;
    LabelContent content;
    qint64 copies = 1;
    PrintTransportStrategy transportStrategy = PrintTransportStrategy::cups;
    std::optional<CUPSPrintConfiguration> cupsConfiguration;

    PrintJobRequest() = default;
    // Stores at least one copy; decoding and later assignment keep the value as given.
    PrintJobRequest(PrinterID printerID, LabelCanvas canvas, LabelCalibration calibration,
                    LabelContent content, qint64 copies, PrintTransportStrategy transportStrategy,
                    std::optional<CUPSPrintConfiguration> cupsConfiguration = std::nullopt);

    bool operator==(const PrintJobRequest &other) const;
};

size_t qHash(const PrintJobRequest &request, size_t seed = 0) noexcept;

} // namespace printkit
