#include "ui/history/status_badge.h"

#include "ui/history/history_texts.h"
#include "ui/widgets/style.h"

#include <QPainter>
#include <QPainterPath>

namespace quill {

namespace {

struct BadgeLook
{
    qreal points;
    int padX;
    int padY;
    qreal radius;
};

BadgeLook lookOf(StatusBadge::Form form)
{
    return form == StatusBadge::Form::row ? BadgeLook{9, 5, 2, 3} : BadgeLook{10, 6, 2, 4};
}

} // namespace

StatusBadge::StatusBadge(const QString &status, Form form, QWidget *parent)
    : QWidget(parent), m_status(status), m_text(capitalizedWords(status)), m_form(form)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize StatusBadge::sizeFor(const QString &status, Form form)
{
    const BadgeLook look = lookOf(form);
    const QFontMetrics metrics(systemFont(look.points, QFont::DemiBold));
    return QSize(metrics.horizontalAdvance(capitalizedWords(status)) + 2 * look.padX,
                 metrics.height() + 2 * look.padY);
}

QSize StatusBadge::sizeHint() const
{
    return sizeFor(m_status, m_form);
}

void StatusBadge::paint(QPainter &painter, const QRect &rect, const QString &status, Form form)
{
    const BadgeLook look = lookOf(form);
    const QColor color = statusColor(status);
    QColor fill = color;
    fill.setAlphaF(0.15f);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect), look.radius, look.radius);
    painter.fillPath(shape, fill);
    painter.setFont(systemFont(look.points, QFont::DemiBold));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, capitalizedWords(status));
    painter.restore();
}

void StatusBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paint(painter, rect(), m_status, m_form);
}

} // namespace quill
