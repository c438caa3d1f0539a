#pragma once

#include "printkit/domain/cups_queue_status.h"
#include "printkit/domain/printer_descriptor.h"

#include <QString>

namespace quill {

// One row of the printer list, identified by `name` (the CUPS queue name that every
// print operation takes).
struct PrinterInfo
{
    QString name;
    QString driver;
    QString hint;
    QString connection;
    bool isDefault = false;
    bool isOnline = false;
    printkit::CUPSQueueState queueState = printkit::CUPSQueueState::unknown;
    qint64 pendingJobCount = 0;
    // lp's words while the queue refuses new jobs ("not accepting jobs"): set by a
    // refused label and kept across refreshes until a label reaches the queue again.
    // A refusing queue may still be enabled, so `queueState` does not show it.
    QString refusal;

    // The row a refresh builds: CUPS, reached through the system, online unless its
    // queue is stopped (an unreadable queue counts as online).
    static PrinterInfo make(const printkit::PrinterDescriptor &printer,
                            const printkit::CUPSQueueStatus &status);

    bool operator==(const PrinterInfo &) const = default;
};

// The name a seller reads for a CUPS queue: underscores as spaces, a trailing
// hexadecimal serial (with an optional counter after it) dropped, ends trimmed.
// A name that would be left empty is shown as the queue name itself.
QString printerDisplayName(const QString &queue);

} // namespace quill
