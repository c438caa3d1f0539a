#include "ui/lists/live_row_labels.h"

#include <algorithm>
#include <limits>

namespace quill {

namespace {

// Labels carry int auction numbers; a larger number is left off rather than wrapped.
std::optional<int> labelNumber(const std::optional<qint64> &number)
{
    if (!number || *number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*number);
}

} // namespace

double fitLabelScale(const LabelMedia &media, Orientation orientation, double boxWidth, double boxHeight,
                     double cap)
{
    const QSizeF inches = labelSizeInches(media, orientation);
    const double scale = std::min(boxWidth / (inches.width() * 72.0), boxHeight / (inches.height() * 72.0));
    return std::min(scale, cap);
}

LabelContent winnerPreviewContent(const CapturedAuction &auction)
{
    return LabelContent::individual(auction.winnerUsername, QLatin1Char('$') + auction.salePrice.toString(),
                                    labelNumber(auction.auctionNumber), std::nullopt, auction.rawTitle,
                                    kLiveRowShowTitle);
}

LabelContent winnerPrintContent(const CapturedAuction &auction)
{
    return LabelContent::individual(auction.winnerUsername, auction.salePrice.toString(),
                                    labelNumber(auction.auctionNumber), std::nullopt, auction.rawTitle,
                                    kLiveRowShowTitle);
}

QList<AnyLabelView> previewPages(const LabelContent &content, LabelVariant style, const LabelMedia &media,
                                 Orientation orientation, const LabelAppearance &appearance, double scale)
{
    try {
        return content.pages(style, media, orientation, appearance, scale);
    } catch (const Error &) {
        return {};
    }
}

std::optional<LabelContent> packingSlipContent(const QString &buyer, const QList<CapturedAuction> &auctions,
                                               const std::optional<Decimal> &total)
{
    if (!total)
        return std::nullopt;
    QList<GroupedItem> items;
    items.reserve(auctions.size());
    for (const CapturedAuction &auction : auctions)
        items.append(GroupedItem{labelNumber(auction.auctionNumber),
                                 auction.rawTitle.value_or(QStringLiteral("Auction")),
                                 auction.salePrice.toString()});
    return LabelContent::grouped(buyer, std::move(items), *total, kLiveRowShowTitle);
}

} // namespace quill
