#include "ui/widgets/label_page_view.h"

#include <exception>
#include "ui/widgets/style.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace quill {

namespace {

QPainterPath framePath(const QRectF &rect, const LabelPageFrame &frame)
{
    QPainterPath path;
    switch (frame.shape) {
    case LabelPageFrame::Shape::circle:
        path.addEllipse(rect);
        break;
    case LabelPageFrame::Shape::roundedRectangle:
        path.addRoundedRect(rect, frame.cornerRadius, frame.cornerRadius);
        break;
    case LabelPageFrame::Shape::rectangle:
        path.addRect(rect);
        break;
    }
    return path;
}

bool usableSize(QSizeF size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0 && size.height() > 0;
}

} // namespace

LabelPageFrame LabelPageFrame::forMedium(bool circular, qreal outlineOpacity, qreal outlineWidth)
{
    LabelPageFrame frame;
    frame.shape = circular ? Shape::circle : Shape::roundedRectangle;
    frame.outlineOpacity = outlineOpacity;
    frame.outlineWidth = outlineWidth;
    return frame;
}

bool paintLabelPage(QPainter &painter, const AnyLabelView &page, qreal scale, const LabelPageFrame &frame)
{
    if (!(std::isfinite(scale) && scale > 0))
        return false;
    QSizeF pageSize;
    try {
        pageSize = page.size();
    } catch (const std::exception &) {
        return false;
    }
    if (!usableSize(pageSize))
        return false;
    return paintInFrame(painter, pageSize * scale, frame, [&](QPainter &inside) {
        inside.scale(scale, scale);
        try {
            page.paint(inside);
        } catch (const std::exception &) {
            return false;
        }
        return true;
    });
}

bool paintInFrame(QPainter &painter, QSizeF size, const LabelPageFrame &frame,
                  const std::function<bool(QPainter &)> &paint)
{
    if (!usableSize(size))
        return false;
    const QRectF bounds(QPointF(0, 0), size);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setClipPath(framePath(bounds, frame), Qt::IntersectClip);
    const bool painted = paint(painter);
    painter.restore();

    if (painted && frame.outlineWidth > 0) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        QColor color = frame.outlineColor.isValid() ? frame.outlineColor : secondaryTextColor();
        color.setAlphaF(float(color.alphaF() * frame.outlineOpacity));
        // The stroke lies inside the page's bounds, so the caller's frame holds it whole.
        const qreal inset = frame.outlineWidth / 2;
        painter.setPen(QPen(color, frame.outlineWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(framePath(bounds.adjusted(inset, inset, -inset, -inset), frame));
        painter.restore();
    }
    return painted;
}

LabelPageView::LabelPageView(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void LabelPageView::setPage(std::optional<AnyLabelView> page)
{
    m_page = std::move(page);
    relayout();
}

void LabelPageView::setScale(qreal scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    relayout();
}

void LabelPageView::setFrame(const LabelPageFrame &frame)
{
    m_frame = frame;
    update();
}

QSize labelPageSize(const AnyLabelView &page, qreal scale)
{
    if (!(std::isfinite(scale) && scale > 0))
        return {0, 0};
    QSizeF size;
    try {
        size = page.size() * scale;
    } catch (const std::exception &) {
        return {0, 0};
    }
    if (!usableSize(size) || size.width() > QWIDGETSIZE_MAX || size.height() > QWIDGETSIZE_MAX)
        return {0, 0};
    return QSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
}

QSize LabelPageView::sizeHint() const
{
    return m_page ? labelPageSize(*m_page, m_scale) : QSize(0, 0);
}

void LabelPageView::setFrameSize(QSize size)
{
    if (size == m_frameSize)
        return;
    m_frameSize = size;
    relayout();
}

void LabelPageView::relayout()
{
    const QSize size = m_frameSize.isEmpty() ? sizeHint() : m_frameSize;
    setFixedSize(size);
    updateGeometry();
    update();
}

void LabelPageView::paintEvent(QPaintEvent *)
{
    if (!m_page)
        return;
    QPainter painter(this);
    const QSize own = sizeHint();
    if (!m_frameSize.isEmpty() && !own.isEmpty())
        painter.scale(qreal(width()) / own.width(), qreal(height()) / own.height());
    paintLabelPage(painter, *m_page, m_scale, m_frame);
}

void LabelPageView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace quill
