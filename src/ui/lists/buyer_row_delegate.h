#pragma once

#include "common/decimal.h"
#include "ui/lists/live_row_delegate.h"

namespace quill {

// A Buyers row: avatar, "@buyer" over "n items", the total, the failure mark of a
// one-click print, and the preview and print buttons.
class BuyerRowDelegate final : public PrintableRowDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BuyerRowDelegate)

public:
    BuyerRowDelegate(LiveRowPrinter &printer, QAbstractItemView *view);

    struct Layout
    {
        Actions actions;
        QRect avatar;
        QRect name;
        QRect count;
        QRect total;
    };
    Layout layout(const QRect &row, const QString &buyer, const std::optional<Decimal> &total) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

protected:
    QString rowKey(const QModelIndex &index) const override;
    Actions actionsAt(const QRect &row, const QModelIndex &index) const override;
    bool canPrint(const QModelIndex &index) const override;
    void preview(const QModelIndex &index) override;
    void print(const QModelIndex &index) override;
};

} // namespace quill
