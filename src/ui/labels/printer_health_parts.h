#pragma once

#include "printkit/domain/cups_queue_status.h"

#include <QColor>
#include <QDateTime>
#include <QString>

class QPushButton;
class QWidget;

namespace quill {

class CapsuleBadge;

// What a queue state is called on the printer health lists: "Idle", "Printing",
// "Stopped" or "Unknown", in green, blue, red and grey.
QString queueStateText(printkit::CUPSQueueState state);
QColor queueStateColor(printkit::CUPSQueueState state);
// The state's badge: its text in its colour on a capsule of that colour, faint.
CapsuleBadge *makeQueueStateBadge(printkit::CUPSQueueState state, QWidget *parent = nullptr);
void updateQueueStateBadge(CapsuleBadge &badge, printkit::CUPSQueueState state);

// The "Fix" button of a stopped queue: filled orange, small.
QPushButton *makeFixButton(QWidget *parent = nullptr);

// "1 pending job", "3 pending jobs"; empty for no jobs.
QString pendingJobsText(qint64 count);

// The time since `since`, as a relative date that is read in place of a clock:
// "12 sec", "5 min", "2 hr", "3 days". A moment ahead of `now` counts as now.
QString relativeAge(const QDateTime &since, const QDateTime &now);
// "Updated 12 sec ago".
QString updatedAgoText(const QDateTime &since, const QDateTime &now);

} // namespace quill
