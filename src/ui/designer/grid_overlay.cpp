#include "ui/designer/grid_overlay.h"

#include <QLineF>
#include <QPainter>
#include <QVector>

namespace quill {

GridOverlay::GridOverlay(const QSizeF &canvasSize, double gridSpacing)
    : m_canvasSize(canvasSize), m_gridSpacing(gridSpacing)
{
}

QList<double> GridOverlay::linePositions(double length, double spacing)
{
    QList<double> positions;
    if (!(spacing > 0))
        return positions;
    for (double at = spacing; at < length; at += spacing)
        positions.append(at);
    return positions;
}

void GridOverlay::paint(QPainter &painter) const
{
    QVector<QLineF> lines;
    for (const double x : linePositions(m_canvasSize.width(), m_gridSpacing))
        lines.append(QLineF(x, 0, x, m_canvasSize.height()));
    for (const double y : linePositions(m_canvasSize.height(), m_gridSpacing))
        lines.append(QLineF(0, y, m_canvasSize.width(), y));
    painter.save();
    painter.setPen(QPen(QColor(128, 128, 128, 38), 0.5));
    painter.drawLines(lines);
    painter.restore();
}

} // namespace quill
