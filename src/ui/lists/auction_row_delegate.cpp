#include "ui/lists/auction_row_delegate.h"

#include "ui/lists/auction_label_preview_sheet.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/live_list_texts.h"
#include "ui/lists/live_row_printer.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QPainter>

namespace quill {

namespace {

CapturedAuction auctionAt(const QModelIndex &index)
{
    return index.data(LiveListRoles::auction).value<CapturedAuction>();
}

} // namespace

AuctionRowDelegate::AuctionRowDelegate(LiveRowPrinter &printer, QAbstractItemView *view)
    : PrintableRowDelegate(printer, view)
{
}

bool AuctionRowDelegate::canPrint(const CapturedAuction &auction) const
{
    return printer().canPrint() && !auction.isPrinted;
}

AuctionRowDelegate::Layout AuctionRowDelegate::layout(const QRect &row, const CapturedAuction &auction) const
{
    const Fonts &f = fonts();
    const QRect content = contentRect(row);
    Layout l;
    int right = content.right();
    l.actions = layoutActions(content, LiveRowPrinter::auctionKey(auction.id), right);
    if (auction.isPrinted) {
        l.printedMark = trailingBox(content, right, kMarkSize);
        right = l.printedMark.left() - kSpacing;
    }
    const int priceWidth = FigureText(dollarText(auction.salePrice), f.amount).width();
    l.price = QRect(right - priceWidth + 1, content.top(), priceWidth, content.height());
    right = l.price.left() - kSpacing;

    int left = content.left();
    l.avatar = QRect(left, content.center().y() - kAvatarSize / 2, kAvatarSize, kAvatarSize);
    left = l.avatar.right() + 1 + kSpacing;
    if (auction.auctionNumber) {
        const int width = FigureText(auctionNumberText(*auction.auctionNumber), f.caption).width();
        l.number = QRect(left, content.top(), width, content.height());
        left = l.number.right() + 1 + kSpacing;
    }
    const int width = std::max(0, right - left + 1);
    const int nameHeight = f.nameMetrics.height();
    if (auction.rawTitle) {
        const int captionHeight = f.captionMetrics.height();
        const int top = content.center().y() - (nameHeight + 1 + captionHeight) / 2 + 1;
        l.name = QRect(left, top, width, nameHeight);
        l.title = QRect(left, top + nameHeight + 1, width, captionHeight);
    } else {
        l.name = QRect(left, content.center().y() - nameHeight / 2 + 1, width, nameHeight);
    }
    return l;
}

void AuctionRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    const CapturedAuction auction = auctionAt(index);
    const Fonts &f = fonts();
    const Layout l = layout(option.rect, auction);
    painter->save();
    paintAvatar(*painter, contentRect(option.rect), auction.winnerUsername, auction.avatarURL);
    if (auction.auctionNumber)
        paintFigure(*painter, l.number, FigureText(auctionNumberText(*auction.auctionNumber), f.caption),
                    secondaryTextColor(), Qt::AlignLeft | Qt::AlignVCenter);
    paintText(*painter, l.name, QLatin1Char('@') + auction.winnerUsername, f.name, f.nameMetrics,
              primaryTextColor(), Qt::AlignLeft | Qt::AlignVCenter);
    if (auction.rawTitle)
        paintText(*painter, l.title, *auction.rawTitle, f.caption, f.captionMetrics, secondaryTextColor(),
                  Qt::AlignLeft | Qt::AlignVCenter);
    paintFigure(*painter, l.price, FigureText(dollarText(auction.salePrice), f.amount), primaryTextColor(),
                Qt::AlignRight | Qt::AlignVCenter);
    if (auction.isPrinted)
        paintMark(*painter, l.printedMark, QStringLiteral("checkmark.circle.fill"), brandGreenColor());
    paintActions(*painter, l.actions, canPrint(auction), auction.isPrinted);
    paintDivider(*painter, option.rect);
    painter->restore();
}

QString AuctionRowDelegate::rowKey(const QModelIndex &index) const
{
    return LiveRowPrinter::auctionKey(index.data(LiveListRoles::recordId).toString());
}

PrintableRowDelegate::Actions AuctionRowDelegate::actionsAt(const QRect &row, const QModelIndex &index) const
{
    return layout(row, auctionAt(index)).actions;
}

bool AuctionRowDelegate::canPrint(const QModelIndex &index) const
{
    return canPrint(auctionAt(index));
}

void AuctionRowDelegate::preview(const QModelIndex &index)
{
    (new AuctionLabelPreviewSheet(printer().app(), auctionAt(index), view()))->open();
}

void AuctionRowDelegate::print(const QModelIndex &index)
{
    printer().printWinnerLabel(auctionAt(index));
}

} // namespace quill
