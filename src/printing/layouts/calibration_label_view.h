#pragma once

#include "printing/layouts/label_kit.h"

#include <QLineF>
#include <QList>
#include <QSizeF>
#include <QString>

class QPainter;

namespace quill {

// The test label that shows how the printed image sits on the physical label: a
// centre cross, corner marks near the four corners (none on a round label) and a
// boxed block naming the label size. It does not depend on the label appearance.
class CalibrationLabelView final
{
public:
    // Throws quill::Error for a size that is not finite, not positive or absurd.
    CalibrationLabelView(qreal widthPts, qreal heightPts, bool isCircular, qreal cornerInset = 9.0,
                         qreal markLength = 7.2);

    qreal widthPts;
    qreal heightPts;
    bool isCircular;
    qreal cornerInset; // of each corner mark's vertex from both edges
    qreal markLength;  // of each arm of a corner mark

    // The two lines of the centre cross, then (rectangles only) the eight corner-mark
    // segments, in points.
    QList<QLineF> crossLines() const;
    QList<QLineF> cornerMarkSegments() const;
    // For example 2.00" × 1.00".
    QString sizeLine() const;

    QSizeF size() const { return QSizeF(widthPts, heightPts); }
    labelkit::LabelLayout layout() const;
    void paint(QPainter &painter) const;
};

} // namespace quill
