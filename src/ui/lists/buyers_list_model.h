#pragma once

#include "ui/lists/buyer_group.h"
#include "ui/lists/live_list_model.h"

namespace quill {

class AuctionPoller;

// The Buyers list: the captured auctions grouped by exact winner name, in buyer order.
class BuyersListModel final : public LiveListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BuyersListModel)

public:
    explicit BuyersListModel(const AuctionPoller &poller, QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<BuyerGroup> &groups() const { return m_groups; }

private:
    void follow();

    const AuctionPoller &m_poller;
    QList<BuyerGroup> m_groups;
};

} // namespace quill
