#include "ui/designer/design_canvas.h"

#include "ui/designer/alignment_guides_overlay.h"
#include "ui/designer/element_view.h"
#include "ui/designer/grid_overlay.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace quill {

DesignCanvas::DesignCanvas(LabelDesignerState &state, QWidget *parent)
    : QWidget(parent), m_state(state),
      m_handles(SelectionHandles::Callbacks{[this] { m_state.saveUndoState(); },
                                            [this](const ElementFrame &frame) {
                                                if (const auto element = m_state.selectedElement())
                                                    m_state.updateElementFrame(element->id, frame);
                                            },
                                            [] {}},
                kHandleSize)
{
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    const auto repaint = [this] {
        updateHandles();
        update();
    };
    connect(&m_state, &LabelDesignerState::templateChanged, this, repaint);
    connect(&m_state, &LabelDesignerState::selectedElementIdChanged, this, repaint);
    connect(&m_state, &LabelDesignerState::zoomScaleChanged, this, repaint);
    connect(&m_state, &LabelDesignerState::showGridChanged, this, repaint);
    connect(&m_state, &LabelDesignerState::activeGuidesChanged, this, repaint);
    updateHandles();
}

bool DesignCanvas::showsHandles() const
{
    const auto selected = m_state.selectedElement();
    return selected && !selected->isLocked;
}

QPainterPath DesignCanvas::labelShapePath(LabelShape shape, const QSizeF &size)
{
    QPainterPath path;
    const QRectF rect(QPointF(0, 0), size);
    switch (shape) {
    case LabelShape::rectangle:
    case LabelShape::square:
        path.addRect(rect);
        break;
    case LabelShape::roundedRectangle: {
        const double radius = std::min(size.width(), size.height()) * 0.1;
        path.addRoundedRect(rect, radius, radius);
        break;
    }
    case LabelShape::circle:
    case LabelShape::oval:
        path.addEllipse(rect);
        break;
    }
    return path;
}

QList<LabelElement> DesignCanvas::elementsInZOrder(const QList<LabelElement> &elements)
{
    QList<LabelElement> sorted = elements;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const LabelElement &a, const LabelElement &b) { return a.zIndex < b.zIndex; });
    return sorted;
}

std::optional<LabelElement> DesignCanvas::elementAt(const QList<LabelElement> &elements,
                                                    const QPointF &labelPoint)
{
    const QList<LabelElement> sorted = elementsInZOrder(elements);
    for (auto it = sorted.crbegin(); it != sorted.crend(); ++it) {
        const ElementFrame &frame = it->frame;
        const QRectF rect = QRectF(frame.x, frame.y, frame.width, frame.height).normalized();
        // Into the element's own unrotated space, about its centre.
        QTransform toElement;
        toElement.translate(rect.center().x(), rect.center().y());
        toElement.rotate(-it->rotation);
        toElement.translate(-rect.center().x(), -rect.center().y());
        if (rect.contains(toElement.map(labelPoint)))
            return *it;
    }
    return std::nullopt;
}

QSize DesignCanvas::sizeHint() const
{
    const QSizeF size = m_state.labelTemplate().canvasSize() * m_state.zoomScale();
    return QSize(qCeil(size.width()), qCeil(size.height()));
}

void DesignCanvas::updateHandles()
{
    if (const auto selected = m_state.selectedElement())
        m_handles.setElement(*selected, m_state.zoomScale());
}

void DesignCanvas::paintEvent(QPaintEvent *)
{
    const LabelTemplate &labelTemplate = m_state.labelTemplate();
    const QSizeF size = labelTemplate.canvasSize();
    const double zoom = m_state.zoomScale();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(zoom, zoom);
    // The rectangle, not the shape: a circle's corners still show elements.
    painter.setClipRect(QRectF(QPointF(0, 0), size));
    painter.fillPath(labelShapePath(labelTemplate.labelShape, size), Qt::white);
    if (m_state.showGrid())
        GridOverlay(size, labelTemplate.gridSpacing).paint(painter);
    const std::optional<QUuid> selectedId = m_state.selectedElementId();
    for (const LabelElement &element : elementsInZOrder(labelTemplate.elements)) {
        painter.save();
        ElementView(element, selectedId == element.id, zoom).paint(painter);
        painter.restore();
    }
    if (!m_state.activeGuides().isEmpty())
        AlignmentGuidesOverlay(m_state.activeGuides(), size).paint(painter);
    if (showsHandles()) {
        painter.save();
        m_handles.paint(painter);
        painter.restore();
    }
}

void DesignCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPointF point = event->position();
    m_pressed = true;
    m_pressPoint = point;
    m_resizing = showsHandles() && m_handles.press(point);
    if (!m_resizing)
        m_pressedElement = elementAt(m_state.labelTemplate().elements, point / m_state.zoomScale());
    event->accept();
}

void DesignCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    const QPointF point = event->position();
    if (m_resizing) {
        m_handles.move(point);
        return;
    }
    if (!m_pressedElement || m_pressedElement->isLocked)
        return;
    const QPointF translation = point - m_pressPoint;
    if (!m_dragStartPosition) {
        if (std::hypot(translation.x(), translation.y()) < SelectionHandles::kMinimumDragDistance)
            return;
        m_dragStartPosition = QPointF(m_pressedElement->frame.x, m_pressedElement->frame.y);
        m_state.saveUndoState();
        m_state.setSelectedElementId(m_pressedElement->id);
    }
    // Pointer distances are on screen; the zoom is taken out once.
    const double zoom = m_state.zoomScale();
    m_state.moveElement(m_pressedElement->id, m_dragStartPosition->x() + translation.x() / zoom,
                        m_dragStartPosition->y() + translation.y() / zoom);
}

void DesignCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed || event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    if (m_resizing) {
        m_resizing = false;
        m_handles.release();
        return;
    }
    if (m_dragStartPosition) {
        endDrag();
    } else {
        // A tap: the element under it, or nothing on the background.
        m_state.setSelectedElementId(m_pressedElement ? std::optional<QUuid>(m_pressedElement->id)
                                                      : std::nullopt);
    }
    m_pressedElement.reset();
}

void DesignCanvas::endDrag()
{
    m_dragStartPosition.reset();
    m_state.setActiveGuides({});
}

} // namespace quill
