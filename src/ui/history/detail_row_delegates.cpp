#include "ui/history/detail_row_delegates.h"

#include "ui/history/show_detail_lists.h"
#include "ui/widgets/figure_text.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"
#include "ui/widgets/user_avatar_view.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>

namespace quill {

namespace {

constexpr int kVerticalPadding = 6;
constexpr int kButtonGap = 4;
constexpr int kLineHeight = 18;

} // namespace

void DetailRowDelegateBase::paintIconButton(QPainter &painter, const QRect &rect, const QString &symbol,
                                            bool enabled) const
{
    QColor color = primaryTextColor();
    if (!enabled)
        color.setAlphaF(0.3f);
    const int size = 16;
    const QPixmap pixmap = symbolPixmap(symbol, size, color, painter.device()->devicePixelRatioF());
    painter.drawPixmap(QRect(rect.center().x() - size / 2 + 1, rect.center().y() - size / 2 + 1, size, size), pixmap);
}

void DetailRowDelegateBase::paintSpinner(QPainter &painter, const QRect &rect) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect).center();
    painter.translate(centre);
    painter.rotate(30.0 * (m_phase % 12));
    for (int spoke = 0; spoke < 12; ++spoke) {
        QColor color = secondaryTextColor();
        color.setAlphaF(float(0.15 + 0.85 * spoke / 11.0));
        painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -4), QPointF(0, -7));
        painter.rotate(30);
    }
    painter.restore();
}

void DetailRowDelegateBase::paintDivider(QPainter &painter, const QRect &row) const
{
    QColor color = secondaryTextColor();
    color.setAlphaF(0.25f);
    painter.setPen(color);
    painter.drawLine(row.left(), row.bottom(), row.right(), row.bottom());
}

bool DetailRowDelegateBase::clickedAt(QEvent *event, const QModelIndex &index, const DetailRowGeometry &geometry,
                                      bool isPrinting, bool canPrint)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QPoint at = mouse->position().toPoint();
    if (geometry.expandButton.contains(at)) {
        Q_EMIT expandRequested(index);
        return true;
    }
    if (isPrinting)
        return false;
    if (geometry.printButton.contains(at)) {
        if (canPrint)
            Q_EMIT printRequested(index);
        return true;
    }
    if (geometry.previewButton.contains(at)) {
        Q_EMIT previewRequested(index);
        return true;
    }
    return false;
}

DetailRowGeometry AuctionDetailRowDelegate::geometry(const QRect &row)
{
    const int y = row.top() + (row.height() - kButtonSize) / 2;
    const int previewX = row.right() - kSidePadding - kButtonSize;
    DetailRowGeometry geometry;
    geometry.previewButton = QRect(previewX, y, kButtonSize, kButtonSize);
    geometry.printButton = QRect(previewX - kButtonGap - kButtonSize, y, kButtonSize, kButtonSize);
    return geometry;
}

QSize AuctionDetailRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const QFontMetrics name(textFont(TextStyle::subheadline, QFont::Medium));
    int height = kVerticalPadding * 2 + name.height();
    if (!index.data(ShowAuctionsListModel::subtitleRole).toString().isEmpty())
        height += 2 + QFontMetrics(textFont(TextStyle::caption)).height();
    return QSize(200, std::max(height, kButtonSize + 2 * kVerticalPadding) + 1);
}

void AuctionDetailRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    const QRect row = option.rect;
    const DetailRowGeometry parts = geometry(row.adjusted(0, 0, 0, -1));
    const bool printing = index.data(ShowAuctionsListModel::isPrintingRole).toBool();
    const bool canPrint = index.data(ShowAuctionsListModel::canPrintRole).toBool();
    const QString subtitle = index.data(ShowAuctionsListModel::subtitleRole).toString();

    const FigureText price(index.data(ShowAuctionsListModel::priceRole).toString(),
                           textFont(TextStyle::subheadline));
    const int priceWidth = price.width();
    const int priceRight = parts.printButton.left() - 8;
    const int textLeft = row.left() + kSidePadding;
    const int textWidth = std::max(0, priceRight - priceWidth - 8 - textLeft);

    const QFont nameFont = textFont(TextStyle::subheadline, QFont::Medium);
    const QFont subtitleFont = textFont(TextStyle::caption);
    const int nameHeight = QFontMetrics(nameFont).height();
    const int blockHeight = nameHeight + (subtitle.isEmpty() ? 0 : 2 + QFontMetrics(subtitleFont).height());
    int y = row.top() + (row.height() - 1 - blockHeight) / 2;
    painter->setFont(nameFont);
    painter->setPen(primaryTextColor());
    const QString name = index.data(ShowAuctionsListModel::winnerRole).toString();
    painter->drawText(QRect(textLeft, y, textWidth, nameHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(nameFont).elidedText(name, Qt::ElideRight, textWidth));
    if (!subtitle.isEmpty()) {
        y += nameHeight + 2;
        painter->setFont(subtitleFont);
        painter->setPen(secondaryTextColor());
        painter->drawText(QRect(textLeft, y, textWidth, QFontMetrics(subtitleFont).height()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetrics(subtitleFont).elidedText(subtitle, Qt::ElideRight, textWidth));
    }
    painter->setPen(primaryTextColor());
    price.draw(*painter, QRect(priceRight - priceWidth, row.top(), priceWidth, row.height() - 1),
               Qt::AlignRight | Qt::AlignVCenter);

    if (printing) {
        paintSpinner(*painter, parts.printButton.united(parts.previewButton));
    } else {
        paintIconButton(*painter, parts.printButton, QStringLiteral("printer"), canPrint);
        paintIconButton(*painter, parts.previewButton, QStringLiteral("eye"), true);
    }
    paintDivider(*painter, row);
    painter->restore();
}

bool AuctionDetailRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                                     const QModelIndex &index)
{
    return clickedAt(event, index, geometry(option.rect.adjusted(0, 0, 0, -1)),
                     index.data(ShowAuctionsListModel::isPrintingRole).toBool(),
                     index.data(ShowAuctionsListModel::canPrintRole).toBool());
}

DetailRowGeometry BuyerDetailRowDelegate::geometry(const QRect &row)
{
    const QRect header(row.left(), row.top(), row.width(), kHeaderHeight);
    const int y = header.top() + (header.height() - kButtonSize) / 2;
    DetailRowGeometry geometry;
    geometry.expandButton = QRect(header.right() - kSidePadding - kButtonSize, y, kButtonSize, kButtonSize);
    geometry.printButton = QRect(geometry.expandButton.left() - 8 - kButtonSize, y, kButtonSize, kButtonSize);
    geometry.previewButton =
        QRect(geometry.printButton.left() - kButtonGap - kButtonSize, y, kButtonSize, kButtonSize);
    return geometry;
}

BuyerDetailRowDelegate::BuyerDetailRowDelegate(QObject *parent) : DetailRowDelegateBase(parent)
{
    // Runs before the view toggles the row; the motion reads the new state as it paints.
    connect(this, &DetailRowDelegateBase::expandRequested, this, &BuyerDetailRowDelegate::startExpansion);
}

void BuyerDetailRowDelegate::startExpansion(const QModelIndex &index)
{
    auto *view = qobject_cast<QAbstractItemView *>(parent());
    if (!view)
        return;
    const QString buyer = index.data(ShowBuyersListModel::buyerRole).toString();
    // Turned back half-way, it goes back from where it stands.
    const qreal start = m_moving.contains(buyer) ? 1.0 - m_moving.value(buyer) : 0.0;
    const QPersistentModelIndex row(index);
    // One row moves at a time: another still moving lands at once (the layout that
    // follows places it).
    m_moving.clear();
    m_moving.insert(buyer, start);
    const auto moved = [this, row] {
        if (row.isValid())
            Q_EMIT sizeHintChanged(row);
    };
    Motion::tween(
        view->viewport(), "buyerExpansion", kExpandMs, QEasingCurve::InOutQuad,
        [this, buyer, start, moved](qreal t) {
            m_moving.insert(buyer, start + (1.0 - start) * t);
            moved();
        },
        [this, buyer, moved] {
            m_moving.remove(buyer);
            moved();
        });
}

QSize BuyerDetailRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    int height = kHeaderHeight;
    const bool expanded = index.data(ShowBuyersListModel::isExpandedRole).toBool();
    const qreal progress = expansionProgress(index.data(ShowBuyersListModel::buyerRole).toString());
    const qreal open = expanded ? progress : 1.0 - progress;
    if (open > 0) {
        const int lines = int(index.data(ShowBuyersListModel::lineTextsRole).toStringList().size());
        height += qRound((lines * kLineHeight + 4) * open);
    }
    return QSize(200, height + 1);
}

void BuyerDetailRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect row = option.rect;
    const DetailRowGeometry parts = geometry(row);
    const QString buyer = index.data(ShowBuyersListModel::buyerRole).toString();
    const bool printing = index.data(ShowBuyersListModel::isPrintingRole).toBool();
    const bool canPrint = index.data(ShowBuyersListModel::canPrintRole).toBool();
    const bool expanded = index.data(ShowBuyersListModel::isExpandedRole).toBool();

    // The avatar, as UserAvatarView draws it without a picture.
    const QRect avatar(row.left() + kSidePadding, row.top() + (kHeaderHeight - 28) / 2, 28, 28);
    painter->setPen(Qt::NoPen);
    painter->setBrush(avatarColor(avatarColorIndex(buyer)));
    painter->drawEllipse(avatar);
    painter->setPen(Qt::white);
    painter->setFont(systemFont(28 * 0.45, QFont::DemiBold));
    painter->drawText(avatar, Qt::AlignCenter, buyer.left(1).toUpper());

    paintNameAndTotal(painter, row, avatar, parts.previewButton, index);

    if (printing) {
        paintSpinner(*painter, parts.previewButton.united(parts.printButton));
    } else {
        paintIconButton(*painter, parts.previewButton, QStringLiteral("eye"), true);
        paintIconButton(*painter, parts.printButton, QStringLiteral("printer"), canPrint);
    }
    // The chevron points down while the auctions show.
    painter->save();
    painter->translate(QRectF(parts.expandButton).center());
    const qreal progress = expansionProgress(buyer);
    painter->rotate(90 * (expanded ? progress : 1.0 - progress));
    const QPixmap chevron =
        symbolPixmap(QStringLiteral("chevron.right"), 14, secondaryTextColor(), painter->device()->devicePixelRatioF());
    painter->drawPixmap(QRect(-7, -7, 14, 14), chevron);
    painter->restore();

    // While it folds, the lines stay drawn and the shrinking row clips them.
    if (expanded || progress < 1.0)
        paintLines(painter, row, index);
    paintDivider(*painter, row);
    painter->restore();
}

// The buyer's name over the count of their auctions, and their total at the right.
void BuyerDetailRowDelegate::paintNameAndTotal(QPainter *painter, const QRect &row, const QRect &avatar,
                                               const QRect &previewButton, const QModelIndex &index) const
{
    const QString buyer = index.data(ShowBuyersListModel::buyerRole).toString();
    const FigureText total(index.data(ShowBuyersListModel::totalRole).toString(),
                           textFont(TextStyle::subheadline, QFont::Bold));
    const int totalWidth = total.width();
    const int totalRight = previewButton.left() - 8;
    const int textLeft = avatar.right() + 1 + 8;
    const int textWidth = std::max(0, totalRight - totalWidth - 8 - textLeft);

    const QFont nameFont = textFont(TextStyle::subheadline, QFont::DemiBold);
    const QFont countFont = textFont(TextStyle::caption);
    const int nameHeight = QFontMetrics(nameFont).height();
    const int countHeight = QFontMetrics(countFont).height();
    int y = row.top() + (kHeaderHeight - nameHeight - 1 - countHeight) / 2;
    painter->setFont(nameFont);
    painter->setPen(primaryTextColor());
    painter->drawText(QRect(textLeft, y, textWidth, nameHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(nameFont).elidedText(QLatin1Char('@') + buyer, Qt::ElideRight, textWidth));
    y += nameHeight + 1;
    painter->setFont(countFont);
    painter->setPen(secondaryTextColor());
    painter->drawText(QRect(textLeft, y, textWidth, countHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(ShowBuyersListModel::countRole).toString());

    painter->setPen(primaryTextColor());
    total.draw(*painter, QRect(totalRight - totalWidth, row.top(), totalWidth, kHeaderHeight),
               Qt::AlignRight | Qt::AlignVCenter);
}

// The buyer's auctions under the header, one a line with its price at the right.
void BuyerDetailRowDelegate::paintLines(QPainter *painter, const QRect &row, const QModelIndex &index) const
{
    painter->setClipRect(row);
    const QStringList lines = index.data(ShowBuyersListModel::lineTextsRole).toStringList();
    const QStringList prices = index.data(ShowBuyersListModel::linePricesRole).toStringList();
    const QFont lineFont = textFont(TextStyle::caption);
    const int left = row.left() + kSidePadding + kLineIndent;
    const int right = row.right() - kSidePadding;
    int lineTop = row.top() + kHeaderHeight;
    painter->setPen(secondaryTextColor());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRect line(left, lineTop, right - left, kLineHeight);
        const FigureText price(prices.value(i), lineFont);
        const int priceWidth = price.width();
        price.draw(*painter, line, Qt::AlignRight | Qt::AlignVCenter);
        painter->setFont(lineFont);
        painter->drawText(line.adjusted(0, 0, -priceWidth - 8, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetrics(lineFont).elidedText(lines.at(i), Qt::ElideRight,
                                                            std::max(0, line.width() - priceWidth - 8)));
        lineTop += kLineHeight;
    }
}

bool BuyerDetailRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                                   const QModelIndex &index)
{
    return clickedAt(event, index, geometry(option.rect), index.data(ShowBuyersListModel::isPrintingRole).toBool(),
                     index.data(ShowBuyersListModel::canPrintRole).toBool());
}

} // namespace quill
