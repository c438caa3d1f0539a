#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QTimer>
#include <optional>

class QListView;
class QMouseEvent;
class QWidget;
class QWheelEvent;

namespace quill {

class TemplateRowDelegate;

// Sideways swipes on the template rows: a touchpad's two-finger sideways scroll, or a drag
// with the left button, slides a row left over its "Delete" button. A swipe that ends past
// half the button leaves it showing; one past most of the row deletes at once. The first
// movement of a gesture decides its axis, so a vertical one stays the list's scrolling.
class TemplateRowSwipe final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplateRowSwipe)

public:
    // Wheel events further apart than this end a sideways turn where the device reports
    // no scroll phases.
    static constexpr int kTurnGapMs = 150;

    TemplateRowSwipe(QListView *view, TemplateRowDelegate *delegate);

    // Slides the swiped row back.
    void close();

Q_SIGNALS:
    // The template of this row is to go: swiped all the way, or its button clicked.
    void deleteRequested(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Axis
    {
        undecided,
        sideways,
        vertical
    };

    bool wheel(QWheelEvent *event);
    bool press(QMouseEvent *event);
    bool move(QMouseEvent *event);
    bool release(QMouseEvent *event);

    void slide(const QModelIndex &row, int offset);
    bool isFullSwipe() const;
    // The end of a swipe that did not delete: the button shows whole, or not at all.
    void settle();
    void endWheelTurn();
    void requestDelete();

    QListView *m_view;
    QWidget *m_viewport;
    TemplateRowDelegate *m_delegate;
    QTimer m_turnGap;
    Axis m_wheelAxis = Axis::undecided;
    QPersistentModelIndex m_wheelRow;
    bool m_turnDeleted = false; // a full swipe ends the turn's say over rows
    std::optional<QPoint> m_pressedAt;
    Axis m_dragAxis = Axis::undecided;
    QPersistentModelIndex m_dragRow;
    bool m_pressedOnAction = false;
    bool m_swallowUntilRelease = false; // a press that only slid a row back
};

} // namespace quill
