#include "ui/designer/alignment_guides_overlay.h"

#include <QPainter>

namespace quill {

AlignmentGuidesOverlay::AlignmentGuidesOverlay(const QList<AlignmentGuide> &guides, const QSizeF &canvasSize)
    : m_guides(guides), m_canvasSize(canvasSize)
{
}

void AlignmentGuidesOverlay::paint(QPainter &painter) const
{
    QPen pen(QColor(255, 59, 48, 179), 1.0, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setDashPattern({4, 4}); // in pen widths, and the width is 1
    pen.setDashOffset(0);
    pen.setMiterLimit(10);
    painter.save();
    painter.setPen(pen);
    for (const AlignmentGuide &guide : m_guides) {
        if (guide.axis == GuideAxis::vertical)
            painter.drawLine(QLineF(guide.position, 0, guide.position, m_canvasSize.height()));
        else
            painter.drawLine(QLineF(0, guide.position, m_canvasSize.width(), guide.position));
    }
    painter.restore();
}

} // namespace quill
