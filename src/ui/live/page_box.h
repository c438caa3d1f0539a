#pragma once

#include <QEvent>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <optional>

class QToolButton;

namespace quill {

// The box the marketplace page is shown in on the live content: the left-hand
// strip while expanded, a small rounded box that the seller drags around while
// collapsed. It holds the one page view handed to it and the button that flips
// between the two.
class PageBox final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageBox)

public:
    static constexpr int kPipRadius = 10;
    static constexpr int kDragThreshold = 10;

    explicit PageBox(QWidget *parent = nullptr);

    // Shows `view` filling the box (the box becomes its parent); nullptr empties it.
    void setPageView(QWidget *view);
    QWidget *pageView() const { return m_view; }

    void setExpanded(bool expanded);
    bool isExpanded() const { return m_expanded; }
    QToolButton *pipButton() const { return m_pipButton; }

    bool isDragging() const { return m_dragging; }

Q_SIGNALS:
    // The seller pressed the expand / collapse button.
    void toggleRequested();
    // A drag of the collapsed box moved it by `translation` from where it began,
    // and where it ended.
    void dragMoved(QPoint translation);
    void dragEnded(QPoint translation);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // A press, move or release seen on the box or anything inside it; true when it was a drag's.
    bool followPointer(QEvent::Type type, const QPointF &globalPos, Qt::MouseButtons buttons);
    void watchTree(QObject *object);
    void updateShape();
    void placeChildren();

    QPointer<QWidget> m_view;
    QToolButton *m_pipButton;
    QWidget *m_outline;
    bool m_expanded = false;
    std::optional<QPointF> m_pressAt; // global position of the press that may start a drag
    bool m_dragging = false;
};

} // namespace quill
