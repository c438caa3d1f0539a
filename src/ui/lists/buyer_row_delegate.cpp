#include "ui/lists/buyer_row_delegate.h"

#include "capture/captured_auction.h"
#include "ui/lists/buyer_label_preview_sheet.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/live_list_texts.h"
#include "ui/lists/live_row_labels.h"
#include "ui/lists/live_row_printer.h"
#include "ui/widgets/style.h"

#include <QPainter>

namespace quill {

namespace {

struct BuyerRecord
{
    QString buyer;
    QList<CapturedAuction> auctions;
    std::optional<Decimal> total;
};

BuyerRecord recordAt(const QModelIndex &index)
{
    return {index.data(LiveListRoles::buyer).toString(),
            index.data(LiveListRoles::buyerAuctions).value<QList<CapturedAuction>>(),
            index.data(LiveListRoles::buyerTotal).value<std::optional<Decimal>>()};
}

} // namespace

BuyerRowDelegate::BuyerRowDelegate(LiveRowPrinter &printer, QAbstractItemView *view)
    : PrintableRowDelegate(printer, view)
{
}

BuyerRowDelegate::Layout BuyerRowDelegate::layout(const QRect &row, const QString &buyer,
                                                  const std::optional<Decimal> &total) const
{
    const Fonts &f = fonts();
    const QRect content = contentRect(row);
    Layout l;
    int right = content.right();
    l.actions = layoutActions(content, LiveRowPrinter::buyerKey(buyer), right);
    const int totalWidth = FigureText(dollarText(total), f.amount).width();
    l.total = QRect(right - totalWidth + 1, content.top(), totalWidth, content.height());
    right = l.total.left() - kSpacing;

    l.avatar = QRect(content.left(), content.center().y() - kAvatarSize / 2, kAvatarSize, kAvatarSize);
    const int left = l.avatar.right() + 1 + kSpacing;
    const int width = std::max(0, right - left + 1);
    const int nameHeight = f.nameMetrics.height();
    const int captionHeight = f.captionMetrics.height();
    const int top = content.center().y() - (nameHeight + 1 + captionHeight) / 2 + 1;
    l.name = QRect(left, top, width, nameHeight);
    l.count = QRect(left, top + nameHeight + 1, width, captionHeight);
    return l;
}

void BuyerRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const BuyerRecord record = recordAt(index);
    const Fonts &f = fonts();
    const Layout l = layout(option.rect, record.buyer, record.total);
    painter->save();
    paintAvatar(*painter, contentRect(option.rect), record.buyer,
                record.auctions.isEmpty() ? std::nullopt : record.auctions.first().avatarURL);
    paintText(*painter, l.name, QLatin1Char('@') + record.buyer, f.name, f.nameMetrics, primaryTextColor(),
              Qt::AlignLeft | Qt::AlignVCenter);
    paintText(*painter, l.count, countText(record.auctions.size(), QStringLiteral("item")), f.caption,
              f.captionMetrics, secondaryTextColor(), Qt::AlignLeft | Qt::AlignVCenter);
    paintFigure(*painter, l.total, FigureText(dollarText(record.total), f.amount), primaryTextColor(),
                Qt::AlignRight | Qt::AlignVCenter);
    paintActions(*painter, l.actions, printer().canPrint(), false);
    paintDivider(*painter, option.rect);
    painter->restore();
}

QString BuyerRowDelegate::rowKey(const QModelIndex &index) const
{
    return LiveRowPrinter::buyerKey(index.data(LiveListRoles::buyer).toString());
}

PrintableRowDelegate::Actions BuyerRowDelegate::actionsAt(const QRect &row, const QModelIndex &index) const
{
    const BuyerRecord record = recordAt(index);
    return layout(row, record.buyer, record.total).actions;
}

bool BuyerRowDelegate::canPrint(const QModelIndex &) const
{
    return printer().canPrint();
}

void BuyerRowDelegate::preview(const QModelIndex &index)
{
    const BuyerRecord record = recordAt(index);
    (new BuyerLabelPreviewSheet(printer().app(), record.buyer,
                                packingSlipContent(record.buyer, record.auctions, record.total), view()))
        ->open();
}

void BuyerRowDelegate::print(const QModelIndex &index)
{
    const BuyerRecord record = recordAt(index);
    printer().printPackingSlip(record.buyer, record.auctions, record.total);
}

} // namespace quill
