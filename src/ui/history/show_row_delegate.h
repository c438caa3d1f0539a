#pragma once

#include <QStyledItemDelegate>

namespace quill {

// A row of the Shows list: the main title and the status badge, then the title's
// middle part, the auction count and the date. A live show's badge is a button.
class ShowRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowRowDelegate)

public:
    static constexpr int kSidePadding = 12;

    explicit ShowRowDelegate(QObject *parent = nullptr) : QStyledItemDelegate(parent) {}

    // Where the status badge of a row sits.
    static QRect badgeRect(const QRect &row, const QString &status);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

Q_SIGNALS:
    void rowClicked(const QModelIndex &index);
    void liveBadgeClicked(const QModelIndex &index);
};

} // namespace quill
