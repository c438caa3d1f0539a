#include "ui/labels/labels_status.h"

#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <algorithm>

namespace quill {

LabelsStatus LabelsStatus::of(bool isConnected, const QList<PrinterInfo> &printers)
{
    if (!isConnected)
        return {QStringLiteral("Disconnected"), systemColor(SystemColor::red)};
    const bool stopped = std::any_of(printers.begin(), printers.end(), [](const PrinterInfo &printer) {
        return printer.queueState == printkit::CUPSQueueState::stopped;
    });
    if (stopped)
        return {QStringLiteral("Queue Stopped"), systemColor(SystemColor::orange)};
    return {QStringLiteral("Connected"), brandGreenColor()};
}

QString printerCountText(qsizetype count)
{
    return QStringLiteral("%1 printer%2").arg(count).arg(count == 1 ? QString() : QStringLiteral("s"));
}

} // namespace quill
