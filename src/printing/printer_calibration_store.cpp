#include "printing/printer_calibration_store.h"

#include <utility>

namespace quill {

namespace {
PrinterCalibrationStore *g_installed = nullptr;
}

PrinterCalibrationStore::PrinterCalibrationStore(Settings *settings, QObject *parent)
    : QObject(parent), m_settings(settings)
{
    setVerticalOffset(this->settings().intValue(verticalOffsetKey(), 0));
    setFeedOffset(this->settings().intValue(feedOffsetKey(), 0));
}

PrinterCalibrationStore::~PrinterCalibrationStore()
{
    if (g_installed == this)
        g_installed = nullptr;
}

PrinterCalibrationStore &PrinterCalibrationStore::shared()
{
    if (g_installed)
        return *g_installed;
    static PrinterCalibrationStore store;
    return store;
}

PrinterCalibrationStore *PrinterCalibrationStore::setShared(PrinterCalibrationStore *store)
{
    return std::exchange(g_installed, store);
}

Settings &PrinterCalibrationStore::settings() const
{
    return m_settings ? *m_settings : Settings::shared();
}

void PrinterCalibrationStore::setVerticalOffset(int value)
{
    settings().setInt(verticalOffsetKey(), value);
    if (std::exchange(m_verticalOffset, value) != value)
        Q_EMIT verticalOffsetChanged(value);
}

void PrinterCalibrationStore::setFeedOffset(int value)
{
    settings().setInt(feedOffsetKey(), value);
    if (std::exchange(m_feedOffset, value) != value)
        Q_EMIT feedOffsetChanged(value);
}

} // namespace quill
