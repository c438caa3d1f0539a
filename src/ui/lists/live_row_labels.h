#pragma once

#include "capture/captured_auction.h"
#include "common/decimal.h"
#include "printing/label_content.h"
#include "printing/label_media.h"
#include "printing/orientation.h"

#include <QList>
#include <QString>
#include <optional>

namespace quill {

// The show title the live rows' labels carry.
inline const QString kLiveRowShowTitle = QStringLiteral("Live Show");

// The scale that fits the label as laid out on this medium into a box of
// `boxWidth` × `boxHeight` points, never above `cap` (no lower bound).
double fitLabelScale(const LabelMedia &media, Orientation orientation, double boxWidth, double boxHeight,
                     double cap);

// Winner label of a Sold row. The preview shows the price with its "$"; the print
// hands the plain amount and lets the layout put the "$" (both print "$12.50").
LabelContent winnerPreviewContent(const CapturedAuction &auction);
LabelContent winnerPrintContent(const CapturedAuction &auction);

// A buyer's packing slip: one item per auction in the order given ("Auction" for a
// missing title), the plain amounts and the total. None when there is no total (a sum
// too large to hold): such a slip would print a wrong figure.
// The pages a screen shows of a content; none when the medium or scale cannot be laid out.
QList<AnyLabelView> previewPages(const LabelContent &content, LabelVariant style, const LabelMedia &media,
                                 Orientation orientation, const LabelAppearance &appearance, double scale);

std::optional<LabelContent> packingSlipContent(const QString &buyer, const QList<CapturedAuction> &auctions,
                                               const std::optional<Decimal> &total);

} // namespace quill
