#pragma once

#include "capture/captured_auction.h"
#include "ui/lists/live_row_delegate.h"

namespace quill {

// A Sold row: avatar, "#n", "@winner" over the title, the price, the printed mark, the
// failure mark of a one-click print, and the preview and print buttons.
class AuctionRowDelegate final : public PrintableRowDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AuctionRowDelegate)

public:
    AuctionRowDelegate(LiveRowPrinter &printer, QAbstractItemView *view);

    // Where the parts of a row sit.
    struct Layout
    {
        Actions actions;
        QRect avatar;
        QRect number; // empty without an auction number
        QRect name;
        QRect title; // empty without a title
        QRect price;
        QRect printedMark; // empty unless printed
    };
    Layout layout(const QRect &row, const CapturedAuction &auction) const;
    // The print button takes clicks: a printer is listed and the auction is not printed.
    bool canPrint(const CapturedAuction &auction) const;

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
