#pragma once

#include "printing/printer_info.h"

#include <QColor>
#include <QList>
#include <QString>

namespace quill {

// The Labels screen's header status: "Disconnected" (red) while the adapter is not
// connected, else "Queue Stopped" (orange) while any listed queue is stopped, else
// "Connected" (brand green).
struct LabelsStatus
{
    QString text;
    QColor color;

    static LabelsStatus of(bool isConnected, const QList<PrinterInfo> &printers);
};

// "1 printer", "0 printers", "3 printers".
QString printerCountText(qsizetype count);

} // namespace quill
