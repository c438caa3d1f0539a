#include "ui/designer/template_row_delegate.h"

#include "ui/designer/template_list_model.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QPainter>
#include <QPainterPath>

namespace quill {

namespace {

constexpr int kSidePadding = 10;
constexpr int kVerticalPadding = 6;
constexpr int kLineSpacing = 2;
constexpr int kInset = 6; // the rounded selection sits inside the list's edges
constexpr int kRadius = 6;
constexpr int kIconGap = 4;

QRect rowBox(const QRect &rowRect)
{
    return rowRect.adjusted(kInset, 1, -kInset, -1);
}

void fillRounded(QPainter *painter, const QRect &rect, const QColor &color)
{
    QPainterPath path;
    path.addRoundedRect(rect, kRadius, kRadius);
    painter->fillPath(path, color);
}

} // namespace

TemplateRowDelegate::TemplateRowDelegate(QObject *parent)
    : QStyledItemDelegate(parent), m_nameFont(textFont(TextStyle::body)),
      m_detailFont(textFont(TextStyle::caption2))
{
}

void TemplateRowDelegate::setSwipe(const QModelIndex &row, int offset)
{
    m_swipedRow = offset > 0 ? QPersistentModelIndex(row) : QPersistentModelIndex();
    m_swipeOffset = offset > 0 ? offset : 0;
}

int TemplateRowDelegate::actionWidth() const
{
    const QFontMetrics metrics(m_nameFont);
    return 2 * kSidePadding + metrics.height() + kIconGap + metrics.horizontalAdvance(tr("Delete"));
}

int TemplateRowDelegate::maxSwipe(const QRect &rowRect)
{
    return rowBox(rowRect).width();
}

QRect TemplateRowDelegate::actionRect(const QRect &rowRect) const
{
    const QRect box = rowBox(rowRect);
    const int offset = qMin(swipeOffset(), box.width());
    return {box.right() - offset + 1, box.top(), offset, box.height()};
}

void TemplateRowDelegate::paintAction(QPainter *painter, const QRect &rect) const
{
    fillRounded(painter, rect, systemColor(SystemColor::red));
    const QFontMetrics metrics(m_nameFont);
    const QString text = tr("Delete");
    const int iconSize = metrics.height();
    // Until the whole button shows, only its symbol does.
    const bool withText = rect.width() >= actionWidth();
    const int contentWidth = withText ? iconSize + kIconGap + metrics.horizontalAdvance(text) : iconSize;
    const int left = rect.left() + (rect.width() - contentWidth) / 2;
    painter->save();
    painter->setClipRect(rect);
    painter->drawPixmap(
        QRect(left, rect.center().y() - iconSize / 2, iconSize, iconSize),
        symbolPixmap(QStringLiteral("trash"), iconSize, Qt::white, painter->device()->devicePixelRatioF()));
    if (withText) {
        painter->setFont(m_nameFont);
        painter->setPen(Qt::white);
        painter->drawText(QRect(left + iconSize + kIconGap, rect.top(), rect.right() - left, rect.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    painter->restore();
}

void TemplateRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const int offset = index == m_swipedRow ? swipeOffset() : 0;
    if (offset > 0)
        paintAction(painter, actionRect(option.rect));
    // A swiped row slides left; what passes the list's edge is cut off.
    QRect box = rowBox(option.rect);
    painter->setClipRect(box.adjusted(0, 0, -offset, 0));
    box.translate(-offset, 0);
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        fillRounded(painter, box, appAccentColor());
    else if (option.state & QStyle::State_MouseOver)
        fillRounded(painter, box, quaternaryFillColor());
    const QRect text = box.adjusted(kSidePadding, kVerticalPadding, -kSidePadding, -kVerticalPadding);
    const QFontMetrics nameMetrics(m_nameFont);
    const QFontMetrics detailMetrics(m_detailFont);

    painter->setFont(m_nameFont);
    painter->setPen(selected ? QColor(Qt::white) : primaryTextColor());
    painter->drawText(
        QRect(text.left(), text.top(), text.width(), nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        nameMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, text.width()));

    painter->setFont(m_detailFont);
    painter->setPen(selected ? QColor(255, 255, 255, 200) : secondaryTextColor());
    const int detailTop = text.top() + nameMetrics.height() + kLineSpacing;
    painter->drawText(QRect(text.left(), detailTop, text.width(), detailMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      detailMetrics.elidedText(index.data(TemplateListModel::SubtitleRole).toString(),
                                               Qt::ElideRight, text.width()));
    painter->restore();
}

QSize TemplateRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int height = QFontMetrics(m_nameFont).height() + kLineSpacing +
                       QFontMetrics(m_detailFont).height() + 2 * kVerticalPadding + 2;
    return {option.rect.width(), height};
}

} // namespace quill
