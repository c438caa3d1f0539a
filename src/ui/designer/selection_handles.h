#pragma once

#include "designer/label_template.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <functional>
#include <optional>

class QPainter;

namespace quill {

enum class HandlePosition
{
    topLeft,
    topCenter,
    topRight,
    middleLeft,
    middleRight,
    bottomLeft,
    bottomCenter,
    bottomRight
};

QString rawValue(HandlePosition position);
const QList<HandlePosition> &allHandlePositions();

// The eight resize handles around the selected element, and the resize drag on them.
// Geometry is in label points; pointer positions are in the canvas's space on screen
// (label points times the zoom), where the 10-point drag threshold is measured.
class SelectionHandles final
{
public:
    static constexpr double kDefaultHandleSize = 8; // on screen
    static constexpr double kMinimumDragDistance = 10;
    static constexpr double kMinimumSide = 20;

    struct Callbacks
    {
        std::function<void()> onResizeStart;
        std::function<void(const ElementFrame &)> onResize;
        std::function<void()> onResizeEnd;
    };

    SelectionHandles(Callbacks callbacks, double handleSize = kDefaultHandleSize);

    // The element the handles surround, and the zoom they are shown at.
    void setElement(const LabelElement &element, double zoomScale);

    // A handle's point on a frame (the unrotated frame, in label points).
    static QPointF handlePoint(HandlePosition position, const ElementFrame &frame);
    // The frame a drag of (dx, dy) label points on a handle gives from `start`.
    static ElementFrame resizedFrame(HandlePosition position, const ElementFrame &start, double dx,
                                     double dy);

    // A handle's square in label points: `handleSize` / zoom on a side.
    QRectF handleRect(HandlePosition position) const;
    std::optional<HandlePosition> handleAt(const QPointF &labelPoint) const;

    void paint(QPainter &painter) const;

    // A press on a handle (canvas space) arms a drag; true when it hit one. The resize
    // starts only once the pointer has moved 10 points from the press.
    bool press(const QPointF &canvasPoint);
    void move(const QPointF &canvasPoint);
    void release();
    bool isResizing() const { return m_dragStartFrame.has_value(); }

private:
    Callbacks m_callbacks;
    double m_handleSize;
    LabelElement m_element;
    double m_zoomScale = 1.0;
    std::optional<HandlePosition> m_pressedHandle;
    QPointF m_pressPoint;
    bool m_dragging = false;
    std::optional<ElementFrame> m_dragStartFrame;
};

} // namespace quill
