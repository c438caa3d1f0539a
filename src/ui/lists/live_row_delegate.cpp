#include "ui/lists/live_row_delegate.h"

#include "ui/lists/live_list_roles.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QFontMetrics>
#include <QPainter>

namespace quill {

LiveRowDelegate::LiveRowDelegate(QObject *parent)
    : QStyledItemDelegate(parent), m_font(textFont(TextStyle::body)), m_metrics(m_font)
{
}

void LiveRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    painter->save();
    painter->setFont(m_font);
    QRect content = option.rect.adjusted(kSidePadding, kVerticalPadding, -kSidePadding, -kVerticalPadding);
    if (index.data(LiveListRoles::hasWon).toBool()) {
        const QRect mark(content.right() - kMarkSize + 1, content.center().y() - kMarkSize / 2, kMarkSize,
                         kMarkSize);
        painter->drawPixmap(mark, symbolPixmap(QStringLiteral("checkmark.circle.fill"), kMarkSize,
                                               brandGreenColor(), painter->device()->devicePixelRatioF()));
        content.setRight(mark.left() - kVerticalPadding);
    }
    painter->setPen(primaryTextColor());
    const QString text =
        m_metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, content.width());
    painter->drawText(content, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->setPen(quaternaryFillColor());
    painter->drawLine(option.rect.left() + kSidePadding, option.rect.bottom(), option.rect.right(),
                      option.rect.bottom());
    painter->restore();
}

QSize LiveRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    const int line = m_metrics.height();
    return {2 * kSidePadding + 100, std::max(line, kMarkSize) + 2 * kVerticalPadding + 1};
}

} // namespace quill
