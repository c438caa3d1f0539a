#include "ui/lists/bidder_row_delegate.h"

#include "ui/lists/live_list_roles.h"
#include "ui/lists/live_list_texts.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QPainter>
#include <QPainterPath>

namespace quill {

namespace {

constexpr int kBadgePadX = 6;
constexpr int kBadgePadY = 1;
constexpr int kNameBadgeSpacing = 4;
constexpr int kBidsSpacing = 6;
const QString kWon = QStringLiteral("won");

} // namespace

BidderRowDelegate::BidderRowDelegate(QAbstractItemView *view) : LiveRowDelegate(view) {}

BidderRowDelegate::Layout BidderRowDelegate::layout(const QRect &row, const CapturedBidder &bidder,
                                                    bool hasWon) const
{
    const Fonts &f = fonts();
    const QRect content = contentRect(row);
    Layout l;
    l.avatar = QRect(content.left(), content.center().y() - kAvatarSize / 2, kAvatarSize, kAvatarSize);
    const int left = l.avatar.right() + 1 + kSpacing;
    const int right = content.right();
    const int nameHeight = f.nameMetrics.height();
    const int captionHeight = f.captionMetrics.height();
    const int top = content.center().y() - (nameHeight + 1 + captionHeight) / 2 + 1;

    // The badge follows the name, which gives way to it when space runs short.
    const int badgeWidth = hasWon ? f.badgeMetrics.horizontalAdvance(kWon) + 2 * kBadgePadX : 0;
    const int nameRoom = std::max(0, right - left + 1 - (hasWon ? badgeWidth + kNameBadgeSpacing : 0));
    const int nameWidth =
        std::min(nameRoom, f.nameMetrics.horizontalAdvance(QLatin1Char('@') + oneLine(bidder.username)));
    l.name = QRect(left, top, nameWidth, nameHeight);
    if (hasWon) {
        const int badgeHeight = f.badgeMetrics.height() + 2 * kBadgePadY;
        l.badge = QRect(l.name.right() + 1 + kNameBadgeSpacing, top + (nameHeight - badgeHeight) / 2,
                        badgeWidth, badgeHeight);
    }
    const int lineTop = top + nameHeight + 1;
    const int bidsWidth =
        std::min(std::max(0, right - left + 1),
                 f.captionMetrics.horizontalAdvance(countText(bidder.bidCount, QStringLiteral("bid"))));
    l.bids = QRect(left, lineTop, bidsWidth, captionHeight);
    if (bidder.highestBid) {
        const int highLeft = l.bids.right() + 1 + kBidsSpacing;
        l.highBid = QRect(highLeft, lineTop, std::max(0, right - highLeft + 1), captionHeight);
    }
    return l;
}

void BidderRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    const auto bidder = index.data(LiveListRoles::bidder).value<CapturedBidder>();
    const bool hasWon = index.data(LiveListRoles::hasWon).toBool();
    const Fonts &f = fonts();
    const Layout l = layout(option.rect, bidder, hasWon);
    painter->save();
    paintAvatar(*painter, contentRect(option.rect), bidder.username, bidder.avatarURL);
    paintText(*painter, l.name, QLatin1Char('@') + bidder.username, f.name, f.nameMetrics, primaryTextColor(),
              Qt::AlignLeft | Qt::AlignVCenter);
    if (hasWon) {
        painter->setRenderHint(QPainter::Antialiasing);
        QPainterPath capsule;
        const qreal radius = l.badge.height() / 2.0;
        capsule.addRoundedRect(QRectF(l.badge), radius, radius);
        painter->fillPath(capsule, brandGreenColor());
        paintText(*painter, l.badge, kWon, f.badge, f.badgeMetrics, Qt::white, Qt::AlignCenter);
    }
    paintText(*painter, l.bids, countText(bidder.bidCount, QStringLiteral("bid")), f.caption,
              f.captionMetrics, secondaryTextColor(), Qt::AlignLeft | Qt::AlignVCenter);
    if (bidder.highestBid)
        paintFigure(*painter, l.highBid, FigureText(highBidText(*bidder.highestBid), f.caption),
                    secondaryTextColor(), Qt::AlignLeft | Qt::AlignVCenter);
    paintDivider(*painter, option.rect);
    painter->restore();
}

} // namespace quill
