#pragma once

#include "common/decimal.h"
#include "printing/label_appearance.h"
#include "printing/layouts/label_kit.h"

#include <QList>
#include <QSizeF>
#include <QString>
#include <optional>

class QPainter;

namespace quill {

// One line of a packing slip.
struct GroupedItem
{
    std::optional<int> auctionNumber;
    QString title;
    QString price; // display text or an amount; shown as "$" with two decimals
};

// Consecutive slices of `size` items in order, the last one shorter when the count
// is not a multiple of it. Throws quill::Error for a size below 1.
QList<QList<GroupedItem>> chunked(const QList<GroupedItem> &items, qsizetype size);

// One page of a buyer's packing slip: a header naming the buyer and the show, the
// page's items with their prices and, on the last page, the amount due.
class GroupedLabelView final
{
public:
    // Throws quill::Error for a size or px that is not finite, not positive or absurd.
    GroupedLabelView(QString buyer, QList<GroupedItem> items, Decimal total, QString showTitle,
                     LabelVariant style, qreal widthPts, qreal heightPts, std::optional<int> page,
                     std::optional<int> totalPages, LabelAppearance appearance, qreal px);

    QString buyer;            // without "@"
    QList<GroupedItem> items; // this page's lines only
    Decimal total;            // 0 or less hides the total row
    QString showTitle;
    LabelVariant style;
    qreal widthPts;
    qreal heightPts;
    std::optional<int> page; // both absent on a one-page slip
    std::optional<int> totalPages;
    LabelAppearance appearance;
    qreal px;

    // Rows per 6 inches of label height for each style.
    static int rowsPerSixInches(LabelVariant style);
    // Rows that fit a label of this (unscaled) height: at least 4.
    static qsizetype rowsPerPage(LabelVariant style, qreal heightPts);
    // The buyer's items cut into pages; always at least one page, empty when there
    // are no items. Throws quill::Error for a height that is not finite, not positive
    // or absurd.
    static QList<QList<GroupedItem>> paginate(const QList<GroupedItem> &items, LabelVariant style,
                                              qreal heightPts);

    qreal slipScale() const;
    QSizeF size() const { return QSizeF(widthPts, heightPts); }
    labelkit::LabelLayout layout() const;
    void paint(QPainter &painter) const;
};

} // namespace quill
