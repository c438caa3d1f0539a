#include "ui/designer/canvas_container.h"

#include "designer/label_designer_state.h"
#include "ui/designer/canvas_toolbar.h"
#include "ui/designer/design_canvas.h"
#include "ui/designer/element_toolbar.h"
#include "ui/designer/toolbar_row.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QFrame>
#include <QGestureEvent>
#include <QLineEdit>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPinchGesture>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QShortcut>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace quill {

namespace {

// Behind the label: the window colour and the label's soft shadow.
class CanvasContent final : public QWidget
{
public:
    CanvasContent(LabelDesignerState &state, QWidget *parent) : QWidget(parent), m_state(state)
    {
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Window);
    }

    DesignCanvas *canvas = nullptr;

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!canvas)
            return;
        const double zoom = m_state.zoomScale();
        const LabelTemplate &labelTemplate = m_state.labelTemplate();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(canvas->pos());
        painter.scale(zoom, zoom);
        // Black at 15 %, 2 points down, blurred about 4 points: a few widening rings.
        const QPainterPath shape =
            DesignCanvas::labelShapePath(labelTemplate.labelShape, labelTemplate.canvasSize());
        painter.translate(0, 2);
        painter.setBrush(Qt::NoBrush);
        constexpr int kRings = 4;
        for (int ring = kRings; ring >= 1; --ring) {
            QPen pen(QColor(0, 0, 0, static_cast<int>(255 * 0.15 / kRings)));
            pen.setWidthF(ring * 2.0);
            painter.setPen(pen);
            painter.drawPath(shape);
        }
    }

private:
    LabelDesignerState &m_state;
};

} // namespace

CanvasContainer::CanvasContainer(LabelDesignerState &state, PrintKitAdapter &adapter, PrintService &service,
                                 QWidget *parent)
    : QWidget(parent), m_state(state), m_canvasToolbar(new CanvasToolbar(state, adapter, service, this)),
      m_elementToolbar(new ElementToolbar(state, this)), m_scrollArea(new QScrollArea(this))
{
    setMinimumWidth(kMinimumWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_canvasToolbar);
    layout->addWidget(makeColumnDivider(this));
    layout->addWidget(m_elementToolbar);
    layout->addWidget(makeColumnDivider(this));
    layout->addWidget(m_scrollArea, 1);

    auto *content = new CanvasContent(state, nullptr);
    m_content = content;
    m_canvas = new DesignCanvas(state, m_content);
    content->canvas = m_canvas;
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(false);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setBackgroundRole(QPalette::Window);
    m_scrollArea->setWidget(m_content);
    m_scrollArea->viewport()->installEventFilter(this);
    m_scrollArea->viewport()->grabGesture(Qt::PinchGesture);

    // The delete command of the whole column.
    auto *deleteKey =
        new QShortcut(QKeySequence::Delete, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(deleteKey, &QShortcut::activated, this, &CanvasContainer::deleteSelected);

    connect(&m_state, &LabelDesignerState::zoomScaleChanged, this, &CanvasContainer::layoutCanvas);
    connect(&m_state, &LabelDesignerState::templateChanged, this, &CanvasContainer::layoutCanvas);
    layoutCanvas();
}

void CanvasContainer::deleteSelected()
{
    const QWidget *focus = QApplication::focusWidget();
    if (qobject_cast<const QLineEdit *>(focus) || qobject_cast<const QTextEdit *>(focus) ||
        qobject_cast<const QPlainTextEdit *>(focus) || qobject_cast<const QAbstractSpinBox *>(focus))
        return;
    if (const std::optional<QUuid> id = m_state.selectedElementId())
        m_state.deleteElement(*id);
}

void CanvasContainer::layoutCanvas()
{
    const QSizeF label = m_state.labelTemplate().canvasSize() * m_state.zoomScale();
    const QSize viewport = m_scrollArea->viewport()->size();
    const double marginX = std::max(viewport.width() / 2.0, kMinimumMargin);
    const double marginY = std::max(viewport.height() / 2.0, kMinimumMargin);
    const int width = qCeil(label.width());
    const int height = qCeil(label.height());
    m_canvas->setGeometry(qRound(marginX), qRound(marginY), width, height);
    m_content->resize(width + 2 * qRound(marginX), height + 2 * qRound(marginY));
    m_content->update();
    m_canvas->update();
}

bool CanvasContainer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scrollArea->viewport()) {
        if (event->type() == QEvent::Resize)
            layoutCanvas();
        else if (event->type() == QEvent::Gesture || event->type() == QEvent::NativeGesture)
            return handleGesture(event);
    }
    return QWidget::eventFilter(watched, event);
}

bool CanvasContainer::handleGesture(QEvent *event)
{
    if (event->type() == QEvent::NativeGesture) {
        auto *native = static_cast<QNativeGestureEvent *>(event);
        switch (native->gestureType()) {
        case Qt::BeginNativeGesture:
            m_pinch.begin(m_state.zoomScale());
            m_nativeMagnification = 1.0;
            return true;
        case Qt::ZoomNativeGesture:
            if (!m_pinch.isActive()) {
                m_pinch.begin(m_state.zoomScale());
                m_nativeMagnification = 1.0;
            }
            // Each event carries the step since the one before.
            m_nativeMagnification *= 1.0 + native->value();
            m_state.setZoomScale(m_pinch.zoomFor(m_nativeMagnification));
            return true;
        case Qt::EndNativeGesture:
            m_pinch.end();
            return true;
        default:
            return false;
        }
    }
    auto *gestureEvent = static_cast<QGestureEvent *>(event);
    auto *pinch = static_cast<QPinchGesture *>(gestureEvent->gesture(Qt::PinchGesture));
    if (!pinch)
        return false;
    switch (pinch->state()) {
    case Qt::GestureStarted:
        m_pinch.begin(m_state.zoomScale());
        break;
    case Qt::GestureUpdated:
        if (!m_pinch.isActive())
            m_pinch.begin(m_state.zoomScale());
        // The total factor is measured from the start of the pinch.
        m_state.setZoomScale(m_pinch.zoomFor(pinch->totalScaleFactor()));
        break;
    case Qt::GestureFinished:
    case Qt::GestureCanceled:
        m_pinch.end();
        break;
    case Qt::NoGesture:
        break;
    }
    gestureEvent->accept(pinch);
    return true;
}

} // namespace quill
