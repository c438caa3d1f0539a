#include "ui/labels/printer_health_parts.h"

#include "ui/widgets/buttons.h"
#include "ui/widgets/capsule_badge.h"
#include "ui/widgets/style.h"

#include <QCoreApplication>
#include <QPushButton>

namespace quill {

using printkit::CUPSQueueState;

QString queueStateText(CUPSQueueState state)
{
    switch (state) {
    case CUPSQueueState::idle:
        return QStringLiteral("Idle");
    case CUPSQueueState::processing:
        return QStringLiteral("Printing");
    case CUPSQueueState::stopped:
        return QStringLiteral("Stopped");
    case CUPSQueueState::unknown:
        break;
    }
    return QStringLiteral("Unknown");
}

QColor queueStateColor(CUPSQueueState state)
{
    switch (state) {
    case CUPSQueueState::idle:
        return systemColor(SystemColor::green);
    case CUPSQueueState::processing:
        return systemColor(SystemColor::blue);
    case CUPSQueueState::stopped:
        return systemColor(SystemColor::red);
    case CUPSQueueState::unknown:
        break;
    }
    return QColor::fromRgbF(0.56f, 0.56f, 0.58f);
}

void updateQueueStateBadge(CapsuleBadge &badge, CUPSQueueState state)
{
    const QColor color = queueStateColor(state);
    QColor fill = color;
    fill.setAlphaF(0.15f);
    badge.setText(queueStateText(state));
    badge.setColors(fill, color);
}

CapsuleBadge *makeQueueStateBadge(CUPSQueueState state, QWidget *parent)
{
    auto *badge = new CapsuleBadge(QString(), Qt::transparent, parent);
    badge->setObjectName(QStringLiteral("queueStateBadge"));
    badge->setFont(textFont(TextStyle::caption2, QFont::DemiBold));
    badge->setPadding(6, 2);
    updateQueueStateBadge(*badge, state);
    return badge;
}

QPushButton *makeFixButton(QWidget *parent)
{
    QPushButton *button =
        prominentButton(QCoreApplication::translate("quill::PrinterHealth", "Fix"), QString(), ProminentSize::small, parent, attentionOrangeColor());
    button->setObjectName(QStringLiteral("fixButton"));
    button->setFont(textFont(TextStyle::caption, QFont::DemiBold));
    return button;
}

QString pendingJobsText(qint64 count)
{
    if (count < 1)
        return QString();
    return QStringLiteral("%1 pending job%2").arg(count).arg(count == 1 ? QString() : QStringLiteral("s"));
}

QString relativeAge(const QDateTime &since, const QDateTime &now)
{
    const qint64 seconds = std::max<qint64>(0, since.secsTo(now));
    if (seconds < 60)
        return QStringLiteral("%1 sec").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 min").arg(seconds / 60);
    if (seconds < 86400)
        return QStringLiteral("%1 hr").arg(seconds / 3600);
    const qint64 days = seconds / 86400;
    return QStringLiteral("%1 day%2").arg(days).arg(days == 1 ? QString() : QStringLiteral("s"));
}

QString updatedAgoText(const QDateTime &since, const QDateTime &now)
{
    return QStringLiteral("Updated ") + relativeAge(since, now) + QStringLiteral(" ago");
}

} // namespace quill
