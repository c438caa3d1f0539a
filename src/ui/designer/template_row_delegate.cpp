#include "ui/designer/template_row_delegate.h"

#include "ui/designer/template_list_model.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QPainter>
#include <QPainterPath>

namespace quill {

namespace {

constexpr int kSidePadding = 10;
constexpr int kVerticalPadding = 6;
constexpr int kLineSpacing = 2;
constexpr int kInset = 6; // the rounded selection sits inside the list's edges

} // namespace

TemplateRowDelegate::TemplateRowDelegate(QObject *parent)
    : QStyledItemDelegate(parent), m_nameFont(textFont(TextStyle::body)),
      m_detailFont(textFont(TextStyle::caption2))
{
}

void TemplateRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect box = option.rect.adjusted(kInset, 1, -kInset, -1);
    if (option.state & QStyle::State_Selected) {
        QPainterPath path;
        path.addRoundedRect(box, 6, 6);
        painter->fillPath(path, appAccentColor());
    } else if (option.state & QStyle::State_MouseOver) {
        QPainterPath path;
        path.addRoundedRect(box, 6, 6);
        painter->fillPath(path, quaternaryFillColor());
    }
    const bool selected = option.state & QStyle::State_Selected;
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
