#pragma once

#include "capture/captured_auction.h"
#include "common/decimal.h"

#include <QList>
#include <QSet>
#include <QString>
#include <optional>

namespace quill {

// One buyer's wins of the show, in the order they were captured.
struct BuyerGroup
{
    QString buyer;
    QList<CapturedAuction> auctions;
    // None when the sum does not fit a Decimal.
    std::optional<Decimal> total;

    bool operator==(const BuyerGroup &) const = default;
};

// The wins grouped by the exact winner name, ordered by buyer (see buyerOrderLess).
QList<BuyerGroup> buyerGroups(const QList<CapturedAuction> &auctions);
// The sum of every sale price, in list order; none when it does not fit a Decimal.
std::optional<Decimal> totalRevenue(const QList<CapturedAuction> &auctions);
// Every winner name, exactly as captured.
QSet<QString> wonUsernames(const QList<CapturedAuction> &auctions);

// Buyer order: by code point of the names in composed form (NFC), case first, so "Zulu"
// comes before "alpha". Names equal after composition keep a fixed order by their own
// code points.
bool buyerOrderLess(const QString &a, const QString &b);

} // namespace quill
