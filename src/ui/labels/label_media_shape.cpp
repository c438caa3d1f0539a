#include "ui/labels/label_media_shape.h"

#include "ui/widgets/motion.h"
#include "ui/widgets/style.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace quill {

LabelMediaShape::LabelMediaShape(const LabelMedia &media, Orientation orientation, qreal maxDim,
                                 QWidget *parent)
    : QWidget(parent), m_media(media), m_orientation(orientation), m_maxDim(maxDim),
      m_angle(isTurned(media, orientation) ? 90 : 0)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSizeF LabelMediaShape::boxSize(const LabelMedia &media, qreal maxDim)
{
    if (media.isCircular)
        return {maxDim, maxDim};
    const double ratio = media.widthInches / media.heightInches;
    if (!std::isfinite(ratio) || ratio <= 0)
        return {};
    return ratio >= 1 ? QSizeF(maxDim, maxDim / ratio) : QSizeF(ratio * maxDim, maxDim);
}

bool LabelMediaShape::isTurned(const LabelMedia &media, Orientation orientation)
{
    if (media.isCircular)
        return false;
    const bool tall = media.heightInches > media.widthInches;
    return tall == (orientation == Orientation::landscape);
}

void LabelMediaShape::setMedia(const LabelMedia &media)
{
    m_media = media;
    Motion::stop(this, Motion::kRotate);
    m_angle = isTurned(m_media, m_orientation) ? 90 : 0;
    update();
}

void LabelMediaShape::setOrientation(Orientation orientation)
{
    if (orientation == m_orientation)
        return;
    const qreal from = m_angle;
    m_orientation = orientation;
    // The outline turns into its new lie over 0.25 s.
    Motion::rotate(this, from, isTurned(m_media, m_orientation) ? 90 : 0, kTurnMs, QEasingCurve::InOutQuad,
                   [this](qreal angle) {
                       m_angle = angle;
                       update();
                   });
}

QSize LabelMediaShape::sizeHint() const
{
    const int side = int(std::ceil(m_maxDim)) + 2;
    return {side, side};
}

void LabelMediaShape::paintEvent(QPaintEvent *)
{
    const QSizeF box = boxSize(m_media, m_maxDim);
    if (box.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(QRectF(rect()).center());
    painter.rotate(m_angle);
    QPen pen(primaryTextColor(), 1.5);
    if (!m_media.isCircular && m_media.isCustom())
        pen.setDashPattern({4 / 1.5, 3 / 1.5});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QRectF outline(QPointF(-box.width() / 2, -box.height() / 2), box);
    if (m_media.isCircular)
        painter.drawEllipse(outline);
    else
        painter.drawRoundedRect(outline, 2, 2);
}

} // namespace quill
