#pragma once

#include "designer/label_designer_state.h"

#include <QList>
#include <QSizeF>

class QPainter;

namespace quill {

// The guides found while an element is dragged: dashed red lines across the canvas.
class AlignmentGuidesOverlay final
{
public:
    AlignmentGuidesOverlay(const QList<AlignmentGuide> &guides, const QSizeF &canvasSize);

    void paint(QPainter &painter) const;

private:
    QList<AlignmentGuide> m_guides;
    QSizeF m_canvasSize;
};

} // namespace quill
