#include "ui/lists/buyers_list_model.h"

#include "capture/auction_poller.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/live_list_texts.h"

namespace quill {

BuyersListModel::BuyersListModel(const AuctionPoller &poller, QObject *parent)
    : LiveListModel(parent), m_poller(poller)
{
    connect(&poller, &AuctionPoller::capturedAuctionsChanged, this, &BuyersListModel::follow);
    follow();
}

void BuyersListModel::follow()
{
    showRows(m_groups, buyerGroups(m_poller.capturedAuctions()),
             [](const BuyerGroup &group) -> const QString & { return group.buyer; });
}

QVariant BuyersListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const BuyerGroup &group = m_groups.at(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        const qsizetype count = group.auctions.size();
        return QString(group.buyer + QStringLiteral(" · ") + QString::number(count) +
                       (count == 1 ? QStringLiteral(" item · ") : QStringLiteral(" items · ")) +
                       dollarText(group.total));
    }
    case LiveListRoles::recordId:
    case LiveListRoles::buyer:
        return group.buyer;
    case LiveListRoles::buyerAuctions:
        return QVariant::fromValue(group.auctions);
    case LiveListRoles::buyerTotal:
        return QVariant::fromValue(group.total);
    default:
        return {};
    }
}

QHash<int, QByteArray> BuyersListModel::roleNames() const
{
    return liveListRoleNames();
}

} // namespace quill
