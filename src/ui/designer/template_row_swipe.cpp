#include "ui/designer/template_row_swipe.h"

#include "ui/designer/template_row_delegate.h"

#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cstdlib>

namespace quill {

namespace {

// A wheel notch (120 eighths of a degree) moves a row as far as 30 pixels of a touchpad.
constexpr int kEighthsPerPixel = 4;

} // namespace

TemplateRowSwipe::TemplateRowSwipe(QListView *view, TemplateRowDelegate *delegate)
    : QObject(view), m_view(view), m_viewport(view->viewport()), m_delegate(delegate)
{
    m_turnGap.setSingleShot(true);
    m_turnGap.setInterval(kTurnGapMs);
    connect(&m_turnGap, &QTimer::timeout, this, &TemplateRowSwipe::endWheelTurn);
    m_viewport->installEventFilter(this);
}

void TemplateRowSwipe::close()
{
    slide({}, 0);
}

bool TemplateRowSwipe::eventFilter(QObject *watched, QEvent *event)
{
    // Compared only: the view may be half torn down when its viewport goes.
    if (watched != m_viewport)
        return false;
    switch (event->type()) {
    case QEvent::Wheel:
        return wheel(static_cast<QWheelEvent *>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return press(static_cast<QMouseEvent *>(event));
    case QEvent::MouseMove:
        return move(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        return release(static_cast<QMouseEvent *>(event));
    default:
        return false;
    }
}

bool TemplateRowSwipe::wheel(QWheelEvent *event)
{
    if (event->phase() == Qt::ScrollBegin)
        endWheelTurn();
    const QPoint delta =
        event->pixelDelta().isNull() ? event->angleDelta() / kEighthsPerPixel : event->pixelDelta();
    if (m_wheelAxis == Axis::undecided && !delta.isNull()) {
        m_wheelAxis = std::abs(delta.x()) > std::abs(delta.y()) ? Axis::sideways : Axis::vertical;
        m_wheelRow = m_view->indexAt(event->position().toPoint());
        if (m_wheelAxis == Axis::vertical || m_wheelRow != m_delegate->swipedRow())
            close();
    }
    if (event->phase() == Qt::NoScrollPhase)
        m_turnGap.start();
    const bool sideways = m_wheelAxis == Axis::sideways;
    // Coasting after the fingers lift slides nothing: only the hand decides a delete.
    if (sideways && !m_turnDeleted && m_wheelRow.isValid() && event->phase() != Qt::ScrollMomentum) {
        slide(m_wheelRow, m_delegate->swipeOffset() - delta.x());
        if (isFullSwipe()) {
            m_turnDeleted = true;
            requestDelete();
        }
    }
    if (event->phase() == Qt::ScrollEnd)
        endWheelTurn();
    return sideways;
}

bool TemplateRowSwipe::press(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    const QModelIndex revealed = m_delegate->swipedRow();
    if (revealed.isValid()) {
        // With a row slid open, a press works its button or slides the row back, nothing else.
        m_pressedOnAction =
            m_delegate->actionRect(m_view->visualRect(revealed)).contains(event->position().toPoint());
        if (!m_pressedOnAction)
            close();
        m_swallowUntilRelease = !m_pressedOnAction;
        return true;
    }
    m_pressedAt = event->position().toPoint();
    m_dragAxis = Axis::undecided;
    m_dragRow = m_view->indexAt(*m_pressedAt);
    return false;
}

bool TemplateRowSwipe::move(QMouseEvent *event)
{
    if (m_pressedOnAction || m_swallowUntilRelease)
        return true;
    if (!m_pressedAt || !(event->buttons() & Qt::LeftButton))
        return false;
    const QPoint moved = event->position().toPoint() - *m_pressedAt;
    if (m_dragAxis == Axis::undecided && moved.manhattanLength() >= QApplication::startDragDistance()) {
        const bool sideways = std::abs(moved.x()) > std::abs(moved.y()) && m_dragRow.isValid();
        m_dragAxis = sideways ? Axis::sideways : Axis::vertical;
    }
    if (m_dragAxis != Axis::sideways)
        return false;
    slide(m_dragRow, -moved.x());
    return true;
}

bool TemplateRowSwipe::release(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    const bool dragged = m_dragAxis == Axis::sideways;
    m_pressedAt.reset();
    m_dragAxis = Axis::undecided;
    if (m_pressedOnAction) {
        m_pressedOnAction = false;
        const QModelIndex revealed = m_delegate->swipedRow();
        if (revealed.isValid() &&
            m_delegate->actionRect(m_view->visualRect(revealed)).contains(event->position().toPoint()))
            requestDelete();
        return true;
    }
    if (m_swallowUntilRelease) {
        m_swallowUntilRelease = false;
        return true;
    }
    // The view sees the release too, so it ends its own press.
    if (dragged && isFullSwipe())
        requestDelete();
    else if (dragged)
        settle();
    return false;
}

void TemplateRowSwipe::slide(const QModelIndex &row, int offset)
{
    const int furthest = row.isValid() ? TemplateRowDelegate::maxSwipe(m_view->visualRect(row)) : 0;
    m_delegate->setSwipe(row, qBound(0, offset, furthest));
    m_viewport->update();
}

// Most of the row, and always well past the button, so a swipe meant to show the button
// never deletes.
bool TemplateRowSwipe::isFullSwipe() const
{
    const QModelIndex row = m_delegate->swipedRow();
    if (!row.isValid())
        return false;
    const int threshold = qMax(m_delegate->actionWidth() * 3 / 2,
                               TemplateRowDelegate::maxSwipe(m_view->visualRect(row)) * 2 / 3);
    return m_delegate->swipeOffset() >= threshold;
}

void TemplateRowSwipe::settle()
{
    const QModelIndex row = m_delegate->swipedRow();
    const int button = m_delegate->actionWidth();
    slide(row, m_delegate->swipeOffset() * 2 >= button ? button : 0);
}

void TemplateRowSwipe::endWheelTurn()
{
    m_turnGap.stop();
    if (m_wheelAxis == Axis::sideways && !m_turnDeleted)
        settle();
    m_wheelAxis = Axis::undecided;
    m_wheelRow = QPersistentModelIndex();
    m_turnDeleted = false;
}

void TemplateRowSwipe::requestDelete()
{
    const int row = m_delegate->swipedRow().row();
    close();
    if (row >= 0)
        Q_EMIT deleteRequested(row);
}

} // namespace quill
