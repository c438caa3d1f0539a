#pragma once

#include <QRectF>
#include <QString>

class QPainter;
class QColor;

namespace quill {

// A placeholder of the canvas: `fill` over the rectangle (rounded by `radius`) with the
// symbol centred over it at up to `symbolSize` label points.
void paintCanvasPlaceholder(QPainter &painter, const QRectF &rect, const QColor &fill, double radius,
                            const QString &symbol, double symbolSize);

} // namespace quill
