#pragma once

#include "backend/api_records.h"
#include "common/decimal.h"
#include "printing/label_media.h"
#include "printing/orientation.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <QTimeZone>
#include <optional>

namespace quill {

// The texts and small rules the Shows screen and the show detail share. Pure
// functions: the controllers and the benchmark call them directly.

// "live" brand green, "completed" blue, "draft" orange, anything else (other
// capitalisations too) the secondary text colour.
QColor statusColor(const QString &status);
// Each word's first letter upper case, the rest lower case: "completed" -> "Completed".
QString capitalizedWords(const QString &text);

// The history list's order: live shows ("live", exactly) first, then by creation
// time, newest first. Moments are compared when both texts are date-times, else the
// texts; equal ones keep the store's order.
QList<ShowSummary> orderedShows(QList<ShowSummary> shows);

// A row's date: the moment in the locale's medium date and short time, in `zone`;
// a text that is no date-time comes back unchanged.
QString showRowDateText(const QString &createdAt, const QLocale &locale, const QTimeZone &zone);
// The detail header's date: the locale's long date; nothing when no date-time.
std::optional<QString> showHeaderDateText(const QString &createdAt, const QLocale &locale, const QTimeZone &zone);
// "45m", "2h 5m"; nothing without both times, when either is no date-time, or when
// the end is not after the start.
std::optional<QString> showDurationText(const std::optional<QString> &startedAt,
                                        const std::optional<QString> &endedAt);

// A price text that is an amount: a finite plain decimal with no blank, sign of
// currency, grouping or exponent ("12.50"; not " 12.50", "$12", "nan", "1e3").
std::optional<Decimal> plainAmount(const QString &text);
// "$" and two decimals for an amount, else "$" and the text as it came.
QString formatRevenue(const QString &revenue);
// "$%.2f" of the revenue over the auction count; nothing for no auctions or no amount.
std::optional<QString> averageSaleText(const QString &revenue, qint64 auctionCount);

// "Auction #12 · Mug", "#12 · Mug" (`prefix` "#"), "Mug", or empty.
QString auctionSubtitle(const ServerAuction &auction, const QString &prefix = QStringLiteral("Auction #"));
// "1 item", "3 items".
QString itemCountText(qsizetype count);
// "3 buyers · 7 auctions to pack".
QString packingSlipsCountText(qint64 buyerCount, qint64 auctionCount);

// Buyer user name to box number (from 1), by first win: the auctions in first-win
// order, each new winner taking the next number. The live show numbers the same way.
QHash<QString, int> boxNumberMap(const QList<ServerAuction> &auctions);

// Search folding: case and diacritics ignored ("Café" and "CAFE" both fold to "cafe").
QString foldedForSearch(const QString &text);

// Display scales of the previews: the winner label to fit 280 x 360 (at most 2.5),
// the packing slip to fit 420 x 540 (at most 3.75). Both take the label's size on
// the medium in the orientation; a medium without a size gives 1.
double labelPreviewScale(const LabelMedia &media, Orientation orientation);
double packingSlipPreviewScale(const LabelMedia &media, Orientation orientation);

} // namespace quill
