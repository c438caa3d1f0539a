#include "printing/printer_info.h"

namespace quill {

PrinterInfo PrinterInfo::make(const printkit::PrinterDescriptor &printer, const printkit::CUPSQueueStatus &status)
{
    PrinterInfo info;
    info.name = printer.id.rawValue;
    info.driver = QStringLiteral("CUPS");
    info.hint = QString();
    info.connection = QStringLiteral("system");
    info.isDefault = printer.isDefault;
    info.isOnline = status.state() != printkit::CUPSQueueState::stopped;
    info.queueState = status.state();
    info.pendingJobCount = status.pendingJobCount();
    return info;
}

} // namespace quill
