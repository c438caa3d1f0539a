#pragma once

#include "common/decimal.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

namespace quill {

// "$" and the amount's own decimal text ("$12.5"); "$—" for a sum too large to hold.
QString dollarText(const std::optional<Decimal> &amount);
// The role names every live list shares, for views that look records up by name.
QHash<int, QByteArray> liveListRoleNames();

// "1 item", "0 items", "7 bids": the count and the noun, with "s" unless the count is 1.
QString countText(qint64 count, const QString &noun);
// "— 12 captured": the count of a show's captures beside its live mark.
QString capturedText(qint64 count);
// "#12".
QString auctionNumberText(qint64 number);
// "high $12.5".
QString highBidText(const Decimal &bid);
// How long ago something happened, from whole seconds (truncated toward zero):
// "just now" under 5 s (the future included), then "42s ago", "3m ago", "48h ago".
QString ageText(qint64 seconds);
// The age of `then` at `now`, as ageText.
QString ageText(const QDateTime &then, const QDateTime &now);
// Text as one line: line and paragraph breaks become spaces, so a name or title with
// newlines never breaks a row.
QString oneLine(const QString &text);

} // namespace quill
