#pragma once

// The roles through which the live lists' models serve their records to views and rows.
// Qt::DisplayRole gives a one-line summary of the row.

#include "capture/captured_auction.h"
#include "capture/captured_bidder.h"
#include "ui/lists/buyer_group.h"

#include <Qt>

namespace quill {

struct LiveListRoles
{
    enum : int
    {
        // The row's identity: the auction's id, the buyer's name or the bidder's id (QString).
        recordId = Qt::UserRole + 1,
        // Sold: the CapturedAuction.
        auction,
        // Buyers: the buyer's name (QString), their wins (QList<CapturedAuction>) and
        // the total (std::optional<Decimal>: none when it does not fit).
        buyer,
        buyerAuctions,
        buyerTotal,
        // Bidders: the CapturedBidder and whether that user won an auction of the show (bool).
        bidder,
        hasWon,
        // Print log: the PrintJob (recordId is its id).
        printJob,
    };
};

} // namespace quill
