#pragma once

#include "ui/designer/pinch_zoom.h"

#include <QWidget>

class QScrollArea;

namespace quill {

class CanvasToolbar;
class DesignCanvas;
class ElementToolbar;
class LabelDesignerState;
class PrintKitAdapter;
class PrintService;

// The designer's middle column: both toolbars over a scroll area holding the label at
// the zoom, with at least half a viewport (40 points or more) of margin on every side.
// Pinching zooms about the label's top-left corner; Delete removes the selected element.
class CanvasContainer final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CanvasContainer)

public:
    static constexpr int kMinimumWidth = 400;
    static constexpr double kMinimumMargin = 40;

    CanvasContainer(LabelDesignerState &state, PrintKitAdapter &adapter, PrintService &service,
                    QWidget *parent = nullptr);

    LabelDesignerState &state() const { return m_state; }
    CanvasToolbar *canvasToolbar() const { return m_canvasToolbar; }
    ElementToolbar *elementToolbar() const { return m_elementToolbar; }
    QScrollArea *scrollArea() const { return m_scrollArea; }
    DesignCanvas *canvas() const { return m_canvas; }
    // The scroll area's content: the zoomed label and its margins.
    QWidget *canvasContent() const { return m_content; }

    // Removes the selected element, unless a text field is being typed in.
    void deleteSelected();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layoutCanvas();
    bool handleGesture(QEvent *event);

    LabelDesignerState &m_state;
    CanvasToolbar *m_canvasToolbar;
    ElementToolbar *m_elementToolbar;
    QScrollArea *m_scrollArea;
    QWidget *m_content;
    DesignCanvas *m_canvas;
    PinchZoom m_pinch;
    double m_nativeMagnification = 1.0;
};

} // namespace quill
