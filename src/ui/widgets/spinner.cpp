#include "ui/widgets/spinner.h"

#include "ui/widgets/style.h"

#include <QPainter>
#include <QTimerEvent>

namespace quill {

namespace {
constexpr int kSpokes = 12;
constexpr int kStepMs = 80;
} // namespace

Spinner::Spinner(int diameter, QWidget *parent) : QWidget(parent), m_diameter(diameter)
{
    setFixedSize(diameter, diameter);
}

void Spinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    const qreal radius = m_diameter / 2.0;
    const qreal thickness = std::max(1.5, m_diameter / 10.0);
    QColor color = primaryTextColor();
    for (int i = 0; i < kSpokes; ++i) {
        // The leading spoke is brightest, the ones behind it fade out.
        const int age = (m_step - i + kSpokes) % kSpokes;
        color.setAlphaF(float(1.0 - 0.75 * age / (kSpokes - 1)));
        painter.setPen(QPen(color, thickness, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.rotate(360.0 * i / kSpokes);
        painter.drawLine(QPointF(0, -radius * 0.45), QPointF(0, -radius + thickness / 2));
        painter.restore();
    }
}

void Spinner::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId())
        return QWidget::timerEvent(event);
    m_step = (m_step + 1) % kSpokes;
    update();
}

void Spinner::showEvent(QShowEvent *event)
{
    m_timer.start(kStepMs, this);
    QWidget::showEvent(event);
}

void Spinner::hideEvent(QHideEvent *event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

} // namespace quill
