#include "ui/widgets/card.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QPainter>

namespace quill {

void paintCardFrame(QPainter &painter, const QRectF &rect, const QColor &fill, qreal radius, bool outline,
                    qreal outlineOpacity)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Shadow: black at 4 %, one point down.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 10));
    painter.drawRoundedRect(rect.adjusted(0.5, 1.5, -0.5, 0.5), radius, radius);
    painter.setBrush(fill);
    QRectF body = rect.adjusted(0.5, 0.5, -0.5, -1.0);
    if (outline) {
        QColor stroke = secondaryTextColor();
        stroke.setAlphaF(float(outlineOpacity));
        painter.setPen(QPen(stroke, 1));
    }
    painter.drawRoundedRect(body, radius, radius);
    painter.restore();
}

Card::Card(QWidget *parent) : QFrame(parent), m_fill(cardBackgroundColor())
{
    setContentsMargins(metrics::insets(metrics::compact) + QMargins(0, 0, 0, metrics::hairline));
    setAttribute(Qt::WA_TranslucentBackground, false);
}

void Card::setFillColor(const QColor &color)
{
    m_fill = color;
    update();
}

void Card::setCornerRadius(qreal radius)
{
    m_radius = radius;
    update();
}

void Card::setOutlineOpacity(qreal opacity)
{
    m_outlineOpacity = opacity;
    update();
}

void Card::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintCardFrame(painter, QRectF(rect()), m_fill, m_radius, true, m_outlineOpacity);
}

} // namespace quill
