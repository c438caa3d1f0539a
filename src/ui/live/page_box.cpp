#include "ui/live/page_box.h"

#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QToolButton>
#include <cmath>

namespace quill {

namespace {

// The 1 pt outline of the collapsed box, drawn over the page without taking its clicks.
class BoxOutline final : public QWidget
{
public:
    explicit BoxOutline(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        // The page's picture is not clipped by the box's mask on every platform:
        // its corners are covered in the colour of the panel behind the box.
        QPainterPath corners;
        corners.addRect(QRectF(rect()));
        QPainterPath rounded;
        rounded.addRoundedRect(QRectF(rect()), PageBox::kPipRadius, PageBox::kPipRadius);
        painter.fillPath(corners.subtracted(rounded), appBackgroundColor());
        QColor stroke = secondaryTextColor();
        stroke.setAlphaF(stroke.alphaF() * 0.3f);
        painter.setPen(QPen(stroke, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), PageBox::kPipRadius,
                                PageBox::kPipRadius);
    }
};

// The small round-cornered button over the page's top-trailing corner.
class PipButton final : public QToolButton
{
public:
    explicit PipButton(QWidget *parent) : QToolButton(parent)
    {
        setAutoRaise(true);
        setCursor(Qt::ArrowCursor);
        setIconSize(QSize(12, 12));
        setFixedSize(24, 24);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        // A thin, dark material: the page shows faintly through it.
        painter.setBrush(QColor(40, 40, 46, underMouse() ? 235 : 200));
        painter.drawRoundedRect(QRectF(rect()), 6, 6);
        const QSize size = iconSize();
        const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        icon().paint(&painter, target);
    }
};

} // namespace

PageBox::PageBox(QWidget *parent)
    : QWidget(parent), m_pipButton(new PipButton(this)), m_outline(new BoxOutline(this))
{
    setObjectName(QStringLiteral("pageBox"));
    m_pipButton->setObjectName(QStringLiteral("pipButton"));
    fillBackground(this, Qt::black);
    connect(m_pipButton, &QToolButton::clicked, this, &PageBox::toggleRequested);
    setExpanded(false);
}

void PageBox::setPageView(QWidget *view)
{
    if (m_view == view)
        return;
    if (m_view && m_view->parent() == this)
        m_view->setParent(nullptr);
    m_view = view;
    if (view) {
        view->setParent(this);
        watchTree(view);
        view->show();
    }
    placeChildren();
}

void PageBox::setExpanded(bool expanded)
{
    m_expanded = expanded;
    m_pipButton->setIcon(
        symbolIcon(expanded ? QStringLiteral("pip.enter") : QStringLiteral("pip.exit"), primaryTextColor()));
    m_pipButton->setToolTip(expanded ? tr("Picture in Picture") : tr("Expand"));
    m_outline->setVisible(!expanded);
    m_pressAt.reset();
    m_dragging = false;
    updateShape();
}

bool PageBox::followPointer(QEvent::Type type, const QPointF &globalPos, Qt::MouseButtons buttons)
{
    if (m_expanded)
        return false;
    switch (type) {
    case QEvent::MouseButtonPress:
        if (buttons & Qt::LeftButton)
            m_pressAt = globalPos;
        return false;
    case QEvent::MouseMove: {
        if (!m_pressAt || !(buttons & Qt::LeftButton))
            return false;
        const QPoint translation = (globalPos - *m_pressAt).toPoint();
        if (!m_dragging && std::hypot(translation.x(), translation.y()) < kDragThreshold)
            return false;
        m_dragging = true;
        Q_EMIT dragMoved(translation);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const bool wasDragging = m_dragging;
        const QPoint translation = m_pressAt ? (globalPos - *m_pressAt).toPoint() : QPoint();
        m_pressAt.reset();
        m_dragging = false;
        if (wasDragging)
            Q_EMIT dragEnded(translation);
        return wasDragging;
    }
    default:
        return false;
    }
}

bool PageBox::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        // The page view builds its render widget late; its pointer events are the page's.
        watchTree(static_cast<QChildEvent *>(event)->child());
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        if (watched == m_pipButton)
            break;
        auto *mouse = static_cast<QMouseEvent *>(event);
        const Qt::MouseButtons buttons = event->type() == QEvent::MouseButtonRelease
                                             ? mouse->buttons() | mouse->button()
                                             : mouse->buttons();
        if (followPointer(event->type(), mouse->globalPosition(), buttons))
            return true;
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void PageBox::watchTree(QObject *object)
{
    if (!object || !object->isWidgetType())
        return;
    object->removeEventFilter(this);
    object->installEventFilter(this);
    for (QObject *child : object->children())
        watchTree(child);
}

void PageBox::mousePressEvent(QMouseEvent *event)
{
    followPointer(QEvent::MouseButtonPress, event->globalPosition(), event->buttons());
}

void PageBox::mouseMoveEvent(QMouseEvent *event)
{
    followPointer(QEvent::MouseMove, event->globalPosition(), event->buttons());
}

void PageBox::mouseReleaseEvent(QMouseEvent *event)
{
    followPointer(QEvent::MouseButtonRelease, event->globalPosition(), event->buttons() | event->button());
}

void PageBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateShape();
}

void PageBox::updateShape()
{
    if (m_expanded) {
        clearMask();
    } else {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), kPipRadius, kPipRadius);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    }
    placeChildren();
}

void PageBox::placeChildren()
{
    if (m_view)
        m_view->setGeometry(rect());
    m_outline->setGeometry(rect());
    // 6 pt from the top-trailing corner.
    m_pipButton->move(width() - m_pipButton->width() - 6, 6);
    m_outline->raise();
    m_pipButton->raise();
}

} // namespace quill
