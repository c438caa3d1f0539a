#include "ui/widgets/status_dot.h"

#include <QPainter>

namespace quill {

StatusDot::StatusDot(int diameter, QColor color, QWidget *parent) : QWidget(parent), m_color(std::move(color))
{
    setFixedSize(diameter, diameter);
}

void StatusDot::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void StatusDot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawEllipse(QRectF(rect()));
}

} // namespace quill
