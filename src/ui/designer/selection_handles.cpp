#include "ui/designer/selection_handles.h"

#include "ui/widgets/palette.h"

#include <QLineF>
#include <QPainter>
#include <algorithm>

namespace quill {

QString rawValue(HandlePosition position)
{
    switch (position) {
    case HandlePosition::topLeft:
        return QStringLiteral("topLeft");
    case HandlePosition::topCenter:
        return QStringLiteral("topCenter");
    case HandlePosition::topRight:
        return QStringLiteral("topRight");
    case HandlePosition::middleLeft:
        return QStringLiteral("middleLeft");
    case HandlePosition::middleRight:
        return QStringLiteral("middleRight");
    case HandlePosition::bottomLeft:
        return QStringLiteral("bottomLeft");
    case HandlePosition::bottomCenter:
        return QStringLiteral("bottomCenter");
    case HandlePosition::bottomRight:
        return QStringLiteral("bottomRight");
    }
    return {};
}

const QList<HandlePosition> &allHandlePositions()
{
    static const QList<HandlePosition> positions{
        HandlePosition::topLeft,      HandlePosition::topCenter,   HandlePosition::topRight,
        HandlePosition::middleLeft,   HandlePosition::middleRight, HandlePosition::bottomLeft,
        HandlePosition::bottomCenter, HandlePosition::bottomRight,
    };
    return positions;
}

SelectionHandles::SelectionHandles(Callbacks callbacks, double handleSize)
    : m_callbacks(std::move(callbacks)), m_handleSize(handleSize)
{
}

void SelectionHandles::setElement(const LabelElement &element, double zoomScale)
{
    m_element = element;
    m_zoomScale = zoomScale > 0 ? zoomScale : 1.0;
}

QPointF SelectionHandles::handlePoint(HandlePosition position, const ElementFrame &f)
{
    switch (position) {
    case HandlePosition::topLeft:
        return {f.x, f.y};
    case HandlePosition::topCenter:
        return {f.x + f.width / 2, f.y};
    case HandlePosition::topRight:
        return {f.x + f.width, f.y};
    case HandlePosition::middleLeft:
        return {f.x, f.y + f.height / 2};
    case HandlePosition::middleRight:
        return {f.x + f.width, f.y + f.height / 2};
    case HandlePosition::bottomLeft:
        return {f.x, f.y + f.height};
    case HandlePosition::bottomCenter:
        return {f.x + f.width / 2, f.y + f.height};
    case HandlePosition::bottomRight:
        return {f.x + f.width, f.y + f.height};
    }
    return {f.x, f.y};
}

ElementFrame SelectionHandles::resizedFrame(HandlePosition position, const ElementFrame &s, double dx,
                                            double dy)
{
    const auto atLeast = [](double v) { return std::max(v, kMinimumSide); };
    switch (position) {
    case HandlePosition::topLeft:
        return {s.x + dx, s.y + dy, atLeast(s.width - dx), atLeast(s.height - dy)};
    case HandlePosition::topCenter:
        return {s.x, s.y + dy, s.width, atLeast(s.height - dy)};
    case HandlePosition::topRight:
        return {s.x, s.y + dy, atLeast(s.width + dx), atLeast(s.height - dy)};
    case HandlePosition::middleLeft:
        return {s.x + dx, s.y, atLeast(s.width - dx), s.height};
    case HandlePosition::middleRight:
        return {s.x, s.y, atLeast(s.width + dx), s.height};
    case HandlePosition::bottomLeft:
        return {s.x + dx, s.y, atLeast(s.width - dx), atLeast(s.height + dy)};
    case HandlePosition::bottomCenter:
        return {s.x, s.y, s.width, atLeast(s.height + dy)};
    case HandlePosition::bottomRight:
        return {s.x, s.y, atLeast(s.width + dx), atLeast(s.height + dy)};
    }
    return s;
}

QRectF SelectionHandles::handleRect(HandlePosition position) const
{
    const double side = m_handleSize / m_zoomScale;
    const QPointF at = handlePoint(position, m_element.frame);
    return {at.x() - side / 2, at.y() - side / 2, side, side};
}

std::optional<HandlePosition> SelectionHandles::handleAt(const QPointF &labelPoint) const
{
    // The last drawn is on top.
    const QList<HandlePosition> &positions = allHandlePositions();
    for (auto it = positions.rbegin(); it != positions.rend(); ++it)
        if (handleRect(*it).contains(labelPoint))
            return *it;
    return std::nullopt;
}

void SelectionHandles::paint(QPainter &painter) const
{
    const double line = 1.0 / m_zoomScale;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(appAccentColor(), line, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(Qt::white);
    for (const HandlePosition position : allHandlePositions()) {
        // The border lies inside the square's edge.
        const QRectF square = handleRect(position);
        painter.drawRect(square.adjusted(line / 2, line / 2, -line / 2, -line / 2));
    }
    painter.restore();
}

bool SelectionHandles::press(const QPointF &canvasPoint)
{
    release();
    m_pressedHandle = handleAt(canvasPoint / m_zoomScale);
    m_pressPoint = canvasPoint;
    m_dragging = false;
    return m_pressedHandle.has_value();
}

void SelectionHandles::move(const QPointF &canvasPoint)
{
    if (!m_pressedHandle)
        return;
    const QPointF translation = canvasPoint - m_pressPoint;
    if (!m_dragging) {
        if (QLineF(QPointF(), translation).length() < kMinimumDragDistance)
            return;
        m_dragging = true;
    }
    if (!m_dragStartFrame) {
        m_dragStartFrame = m_element.frame;
        if (m_callbacks.onResizeStart)
            m_callbacks.onResizeStart();
    }
    const ElementFrame frame = resizedFrame(*m_pressedHandle, *m_dragStartFrame,
                                            translation.x() / m_zoomScale, translation.y() / m_zoomScale);
    m_element.frame = frame;
    if (m_callbacks.onResize)
        m_callbacks.onResize(frame);
}

void SelectionHandles::release()
{
    const bool wasResizing = m_dragStartFrame.has_value();
    m_pressedHandle.reset();
    m_dragging = false;
    m_dragStartFrame.reset();
    if (wasResizing && m_callbacks.onResizeEnd)
        m_callbacks.onResizeEnd();
}

} // namespace quill
