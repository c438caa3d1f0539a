#include "ui/lists/sold_list_model.h"

#include "capture/auction_poller.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/live_list_texts.h"

namespace quill {

SoldListModel::SoldListModel(const AuctionPoller &poller, QObject *parent)
    : LiveListModel(parent), m_poller(poller)
{
    connect(&poller, &AuctionPoller::capturedAuctionsChanged, this, &SoldListModel::follow);
    follow();
}

void SoldListModel::follow()
{
    showRows(m_auctions, m_poller.capturedAuctions(),
             [](const CapturedAuction &auction) -> const QString & { return auction.id; });
}

QVariant SoldListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const CapturedAuction &auction = m_auctions.at(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        QString text = auction.winnerUsername + QStringLiteral(" · ") + dollarText(auction.salePrice);
        if (auction.auctionNumber)
            text += QStringLiteral(" · #") + QString::number(*auction.auctionNumber);
        return text;
    }
    case LiveListRoles::recordId:
        return auction.id;
    case LiveListRoles::auction:
        return QVariant::fromValue(auction);
    default:
        return {};
    }
}

QHash<int, QByteArray> SoldListModel::roleNames() const
{
    return liveListRoleNames();
}

} // namespace quill
