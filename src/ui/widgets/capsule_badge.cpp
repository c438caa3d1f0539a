#include "ui/widgets/capsule_badge.h"

#include "ui/widgets/style.h"

#include <QPainter>

namespace quill {

CapsuleBadge::CapsuleBadge(QString text, QColor fill, QWidget *parent)
    : QWidget(parent), m_text(std::move(text)), m_fill(std::move(fill))
{
    setFont(textFont(TextStyle::caption2, QFont::Bold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CapsuleBadge::setText(const QString &text)
{
    m_text = text;
    updateGeometry();
    update();
}

void CapsuleBadge::setColors(const QColor &fill, const QColor &textColor)
{
    m_fill = fill;
    m_textColor = textColor;
    update();
}

void CapsuleBadge::setPadding(int horizontal, int vertical)
{
    m_padX = horizontal;
    m_padY = vertical;
    updateGeometry();
}

QSize CapsuleBadge::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(m_text) + 2 * m_padX, metrics.height() + 2 * m_padY);
}

void CapsuleBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_fill);
    const QRectF capsule(rect());
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    painter.setPen(m_textColor);
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}

} // namespace quill
