#pragma once

#include "designer/label_designer_state.h"
#include "ui/designer/selection_handles.h"

#include <QPainterPath>
#include <QWidget>
#include <optional>

namespace quill {

// The label on the canvas, drawn at the designer state's zoom: its shape on white, the
// grid, the elements in z order, the guides and the handles of a selected unlocked
// element. A tap selects the topmost element under it or clears the selection; a drag
// of 10 points or more moves an unlocked element as one undo step. The widget is the
// label's size times the zoom; pointer positions divided by the zoom are label points.
class DesignCanvas final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesignCanvas)

public:
    static constexpr double kHandleSize = 8;

    explicit DesignCanvas(LabelDesignerState &state, QWidget *parent = nullptr);

    LabelDesignerState &state() const { return m_state; }
    // The frame origin of the element being dragged, as it was when the drag began.
    const std::optional<QPointF> &dragStartPosition() const { return m_dragStartPosition; }
    bool showsHandles() const;

    // The label's outline in label points for a canvas of `size`.
    static QPainterPath labelShapePath(LabelShape shape, const QSizeF &size);
    // The elements in drawing order: by z-index, equal ones in list order.
    static QList<LabelElement> elementsInZOrder(const QList<LabelElement> &elements);
    // The topmost element whose (rotated) frame holds the label point, if any.
    static std::optional<LabelElement> elementAt(const QList<LabelElement> &elements,
                                                 const QPointF &labelPoint);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateHandles();
    void endDrag();

    LabelDesignerState &m_state;
    SelectionHandles m_handles;
    std::optional<QPointF> m_dragStartPosition;
    // The press being followed: the element under it (none on the background) and where.
    bool m_pressed = false;
    bool m_resizing = false;
    std::optional<LabelElement> m_pressedElement;
    QPointF m_pressPoint;
};

} // namespace quill
