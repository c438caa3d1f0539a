#include "printing/printer_calibration_store.h"

#include <utility>

namespace quill {

PrinterCalibrationStore::PrinterCalibrationStore(Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings)
{
    setVerticalOffset(m_settings.intValue(verticalOffsetKey(), 0));
    setFeedOffset(m_settings.intValue(feedOffsetKey(), 0));
}

PrinterCalibrationStore::~PrinterCalibrationStore() = default;

void PrinterCalibrationStore::setVerticalOffset(int value)
{
    m_settings.setInt(verticalOffsetKey(), value);
    if (std::exchange(m_verticalOffset, value) != value)
        Q_EMIT verticalOffsetChanged(value);
}

void PrinterCalibrationStore::setFeedOffset(int value)
{
    m_settings.setInt(feedOffsetKey(), value);
    if (std::exchange(m_feedOffset, value) != value)
        Q_EMIT feedOffsetChanged(value);
}

} // namespace quill
