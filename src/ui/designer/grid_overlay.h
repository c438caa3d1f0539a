#pragma once

#include <QList>
#include <QSizeF>

class QPainter;

namespace quill {

// The canvas grid in label points: thin grey lines every `gridSpacing` points, none at 0
// or on the far edges. Draws nothing for a spacing that is not above 0.
class GridOverlay final
{
public:
    GridOverlay(const QSizeF &canvasSize, double gridSpacing);

    void paint(QPainter &painter) const;

    // s, 2s, 3s, … below `length`; empty when s is not above 0.
    static QList<double> linePositions(double length, double spacing);

private:
    QSizeF m_canvasSize;
    double m_gridSpacing;
};

} // namespace quill
