#include "ui/history/show_row_delegate.h"

#include "ui/history/show_history_controller.h"
#include "ui/history/status_badge.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace quill {

namespace {

constexpr int kVerticalPadding = 8;

int firstLineHeight()
{
    return QFontMetrics(textFont(TextStyle::subheadline, QFont::Medium)).height();
}

} // namespace

QRect ShowRowDelegate::badgeRect(const QRect &row, const QString &status)
{
    const QSize size = StatusBadge::sizeFor(status, StatusBadge::Form::row);
    const int lineTop = row.top() + kVerticalPadding;
    return QRect(row.right() - kSidePadding - size.width() + 1, lineTop + (firstLineHeight() - size.height()) / 2,
                 size.width(), size.height());
}

QSize ShowRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    const int second = QFontMetrics(textFont(TextStyle::caption)).height();
    return QSize(200, kVerticalPadding * 2 + firstLineHeight() + 4 + second);
}

void ShowRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect row = option.rect;
    if (option.state & QStyle::State_MouseOver) {
        QColor hover = quaternaryFillColor();
        painter->fillRect(row.adjusted(4, 1, -4, -1), hover);
    }
    const QString status = index.data(ShowHistoryListModel::statusRole).toString();
    const QRect badge = badgeRect(row, status);
    StatusBadge::paint(*painter, badge, status, StatusBadge::Form::row);

    const int left = row.left() + kSidePadding;
    const QFont titleFont = textFont(TextStyle::subheadline, QFont::Medium);
    const int titleWidth = std::max(0, badge.left() - 8 - left);
    int y = row.top() + kVerticalPadding;
    painter->setFont(titleFont);
    painter->setPen(primaryTextColor());
    painter->drawText(QRect(left, y, titleWidth, firstLineHeight()), Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(titleFont).elidedText(index.data(ShowHistoryListModel::titleRole).toString(),
                                                         Qt::ElideRight, titleWidth));

    y += firstLineHeight() + 4;
    const QFont caption = textFont(TextStyle::caption);
    // Measured as the painter's device draws them, to the fraction of a pixel: a width
    // rounded down would cut a text that fits to its first letter and an ellipsis.
    const QFontMetricsF metrics(caption, painter->device());
    const int height = QFontMetrics(caption).height();
    const auto widthOf = [&metrics](const QString &text) {
        return int(std::ceil(metrics.horizontalAdvance(text)));
    };
    int x = left;
    const int right = row.right() - kSidePadding;
    painter->setFont(caption);
    auto drawPart = [&](const QString &text, const QColor &color, int room) {
        const int natural = widthOf(text);
        const int width = std::min(natural, std::max(0, room));
        painter->setPen(color);
        painter->drawText(QRect(x, y, width, height), Qt::AlignLeft | Qt::AlignVCenter,
                          width < natural ? metrics.elidedText(text, Qt::ElideRight, width) : text);
        x += width + 8;
    };
    const int iconSize = height - 2;
    const QVariant count = index.data(ShowHistoryListModel::countRole);
    const QString countText = count.isValid() ? count.toString() : QString();
    // The count is drawn whole: the middle part gives way to it.
    const int countRoom = count.isValid() ? iconSize + 3 + widthOf(countText) + 8 : 0;
    const QVariant middle = index.data(ShowHistoryListModel::middleRole);
    if (middle.isValid())
        drawPart(middle.toString(), secondaryTextColor(), right - x - countRoom);
    if (count.isValid()) {
        painter->drawPixmap(QRect(x, y + 1, iconSize, iconSize),
                            symbolPixmap(QStringLiteral("tag"), iconSize, secondaryTextColor(),
                                         painter->device()->devicePixelRatioF()));
        x += iconSize + 3;
        drawPart(countText, secondaryTextColor(), right - x);
    }
    drawPart(index.data(ShowHistoryListModel::dateRole).toString(), tertiaryTextColor(), right - x);
    painter->restore();
}

bool ShowRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                                  const QModelIndex &index)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
        return false;
    const QString status = index.data(ShowHistoryListModel::statusRole).toString();
    if (index.data(ShowHistoryListModel::isLiveRole).toBool() &&
        badgeRect(option.rect, status).contains(mouse->position().toPoint())) {
        Q_EMIT liveBadgeClicked(index);
        return true;
    }
    Q_EMIT rowClicked(index);
    return true;
}

} // namespace quill
