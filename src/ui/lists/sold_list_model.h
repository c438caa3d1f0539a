#pragma once

#include "capture/captured_auction.h"
#include "ui/lists/live_list_model.h"

namespace quill {

class AuctionPoller;

// The Sold list: every captured auction in the poller's order (page captures newest
// first, restored auctions after them).
class SoldListModel final : public LiveListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoldListModel)

public:
    explicit SoldListModel(const AuctionPoller &poller, QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void follow();

    const AuctionPoller &m_poller;
    QList<CapturedAuction> m_auctions;
};

} // namespace quill
