#pragma once

#include "printkit/domain/label_canvas.h"
#include "printkit/domain/label_content.h"

#include <QLineF>
#include <QPainterPath>
#include <QRectF>
#include <QString>

// Geometry of the toolkit's own label, in points with the origin at the top left.
// Kept apart from the painting so each rect can be checked on its own.
namespace printkit::labellayout {

enum class Kind { compact, wide, tall, circle };

Kind chooseLayout(const LabelCanvas &canvas);

// `rect` shrunk by dx on the left and right and dy at the top and bottom; a side that
// would go negative collapses to nothing at the centre.
QRectF inset(const QRectF &rect, qreal dx, qreal dy);

// Outline of a label of this shape drawn in `rect`.
QPainterPath shapePath(const QRectF &rect, LabelShape shape);

struct Frames
{
    QRectF outer; // every layout positions its elements from this one
    QRectF inner;
};
Frames frames(qreal widthPoints, qreal heightPoints);

// The footer and the size text, leaving out the empty ones, joined by " • ".
QString captionText(const LabelContent &content, const LabelCanvas &canvas);

struct Compact
{
    QRectF headline;
    QRectF brand;
    QRectF size;
    QRectF marker;    // the square
    QRectF markerDot; // the filled dot inside it
};
Compact compact(const QRectF &outer);

struct BrandPill
{
    QRectF pill;
    QRectF text;
};
BrandPill brandPill(QPointF topLeft, qreal width);

struct Wide
{
    BrandPill brand;
    QRectF headline;
    QRectF detail;
    QRectF qr;
    QRectF caption;
    qreal textColumnWidth = 0;
};
Wide wide(const QRectF &outer);

struct Tall
{
    BrandPill brand;
    QRectF headline;
    QRectF detail;
    QRectF qr;
    QRectF caption;
};
Tall tall(const QRectF &outer);

struct Circle
{
    QRectF brand;
    qreal brandPointSize = 0;
    QLineF leftRule;
    QLineF rightRule;
    QRectF headline;
    qreal headlinePointSize = 0;
    QRectF qr;
    QRectF detail;
    qreal detailPointSize = 0;
    QRectF caption;
    qreal captionPointSize = 0;
};
Circle circle(const QRectF &outer);

} // namespace printkit::labellayout
