#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

namespace quill {

// A template row: the name on one line, and under it the size and element count in
// small secondary text. A row swiped sideways slides left over a red "Delete" button.
class TemplateRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplateRowDelegate)

public:
    explicit TemplateRowDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The one row slid `offset` pixels to the left, or none when `row` is invalid.
    void setSwipe(const QModelIndex &row, int offset);
    QModelIndex swipedRow() const { return m_swipedRow; }
    int swipeOffset() const { return m_swipedRow.isValid() ? m_swipeOffset : 0; }

    // How far a row slides to show the whole button.
    int actionWidth() const;
    // The furthest a row in `rowRect` slides: its whole width.
    static int maxSwipe(const QRect &rowRect);
    // Where the button of the swiped row in `rowRect` is drawn; empty when no row is swiped.
    QRect actionRect(const QRect &rowRect) const;

private:
    void paintAction(QPainter *painter, const QRect &rect) const;

    QFont m_nameFont;
    QFont m_detailFont;
    QPersistentModelIndex m_swipedRow;
    int m_swipeOffset = 0;
};

} // namespace quill
