#pragma once

// Captures fed straight into a poller and a tracker, as the page scripts would report them.
#include "capture/auction_poller.h"
#include "capture/bidder_tracker.h"

#include <QStringList>

namespace quill::testing {

inline void win(AuctionPoller &poller, const QString &winner, const QString &price, qint64 number)
{
    RawAuction raw;
    raw.winnerUsername = winner;
    raw.salePrice = price;
    raw.auctionNumber = number;
    poller.ingest(raw);
}

// The page's bid store holding these users, the first with the most bids.
inline void bidders(BidderTracker &tracker, const QStringList &names)
{
    QStringList items;
    for (qsizetype i = 0; i < names.size(); ++i)
        items.append(QStringLiteral(R"({"username":"%1","bidCount":%2,"highestBid":null,"avatarURL":null,)"
                                    R"("lastSeenAt":1000})")
                         .arg(names[i])
                         .arg(names.size() - i));
    tracker.processBidderJSON(
        QStringLiteral(R"({"count":%1,"bidders":[%2]})").arg(names.size()).arg(items.join(QLatin1Char(','))));
}

} // namespace quill::testing
