#include "ui/lists/bidders_list_model.h"

#include "capture/auction_poller.h"
#include "capture/bidder_tracker.h"
#include "ui/lists/buyer_group.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/live_list_texts.h"

namespace quill {

BiddersListModel::BiddersListModel(const AuctionPoller &poller, const BidderTracker &tracker, QObject *parent)
    : LiveListModel(parent), m_poller(poller), m_tracker(tracker)
{
    connect(&poller, &AuctionPoller::capturedAuctionsChanged, this, &BiddersListModel::follow);
    connect(&tracker, &BidderTracker::capturedBiddersChanged, this, &BiddersListModel::follow);
    follow();
}

void BiddersListModel::follow()
{
    const QSet<QString> winners = wonUsernames(m_poller.capturedAuctions());
    QList<Entry> next;
    next.reserve(m_tracker.capturedBidders().size());
    for (const CapturedBidder &bidder : m_tracker.capturedBidders())
        next.append(Entry{bidder, winners.contains(bidder.username)});
    showRows(m_entries, next, [](const Entry &entry) -> const QString & { return entry.bidder.id; });
}

QVariant BiddersListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Entry &entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QString(entry.bidder.username + QStringLiteral(" · ") +
                       QString::number(entry.bidder.bidCount) +
                       (entry.bidder.bidCount == 1 ? QStringLiteral(" bid") : QStringLiteral(" bids")));
    case LiveListRoles::recordId:
        return entry.bidder.id;
    case LiveListRoles::bidder:
        return QVariant::fromValue(entry.bidder);
    case LiveListRoles::hasWon:
        return entry.hasWon;
    default:
        return {};
    }
}

QHash<int, QByteArray> BiddersListModel::roleNames() const
{
    return liveListRoleNames();
}

} // namespace quill
