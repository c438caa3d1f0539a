#pragma once

#include "common/settings.h"

#include <QObject>

namespace quill {

// The printer driver's two calibration offsets, in the driver's own steps. The
// store keeps whatever it is given; the print path limits what it sends.
class PrinterCalibrationStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrinterCalibrationStore)
    Q_PROPERTY(int verticalOffset READ verticalOffset WRITE setVerticalOffset NOTIFY verticalOffsetChanged)
    Q_PROPERTY(int feedOffset READ feedOffset WRITE setFeedOffset NOTIFY feedOffsetChanged)

public:
    // The driver's ranges: the offsets sent to a printer are clamped to ±these.
    static constexpr int kVerticalLimit = 12;
    static constexpr int kFeedLimit = 30;

    static QString verticalOffsetKey() { return QStringLiteral("printer_vertical_offset"); }
    static QString feedOffsetKey() { return QStringLiteral("printer_feed_offset"); }

    // Reads both keys (a missing one reads 0) and writes them back, so both exist
    // afterwards.
    explicit PrinterCalibrationStore(Settings &settings, QObject *parent = nullptr);
    ~PrinterCalibrationStore() override;

    int verticalOffset() const { return m_verticalOffset; }
    int feedOffset() const { return m_feedOffset; }
    // Each stores at once, also an unchanged value; only a change notifies.
    void setVerticalOffset(int value);
    void setFeedOffset(int value);

Q_SIGNALS:
    void verticalOffsetChanged(int value);
    void feedOffsetChanged(int value);

private:
    Settings &m_settings;
    int m_verticalOffset = 0;
    int m_feedOffset = 0;
};

} // namespace quill
