#pragma once

#include "capture/captured_bidder.h"
#include "ui/lists/live_list_model.h"

namespace quill {

class AuctionPoller;
class BidderTracker;

// The Bidders list: the tracker's bidders in its order (most bids first), each marked
// when that exact user name won an auction of the show.
class BiddersListModel final : public LiveListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BiddersListModel)

public:
    BiddersListModel(const AuctionPoller &poller, const BidderTracker &tracker, QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    struct Entry
    {
        CapturedBidder bidder;
        bool hasWon = false;
        bool operator==(const Entry &) const = default;
    };

    void follow();

    const AuctionPoller &m_poller;
    const BidderTracker &m_tracker;
    QList<Entry> m_entries;
};

} // namespace quill
