#pragma once

#include "capture/captured_bidder.h"
#include "ui/lists/live_row_delegate.h"

namespace quill {

// A Bidders row, for display only: avatar, "@bidder" with the green "won" badge, and
// under it the bid count and the highest bid.
class BidderRowDelegate final : public LiveRowDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BidderRowDelegate)

public:
    explicit BidderRowDelegate(QAbstractItemView *view);

    struct Layout
    {
        QRect avatar;
        QRect name;
        QRect badge; // empty unless the bidder won
        QRect bids;
        QRect highBid; // empty without a highest bid
    };
    Layout layout(const QRect &row, const CapturedBidder &bidder, bool hasWon) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};

} // namespace quill
