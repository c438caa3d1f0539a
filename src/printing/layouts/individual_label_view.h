#pragma once

#include "printing/label_appearance.h"
#include "printing/layouts/label_kit.h"

#include <QSizeF>
#include <QString>
#include <optional>

class QPainter;

namespace quill {

// The winner label: one won auction, naming the buyer, auction, box, item, price and
// show, in one of three styles on a rectangular or round medium. Every size follows
// the label's area, so one layout serves a 2 × 1 in label, a 2 in circle and 4 × 6 in.
class IndividualLabelView final
{
public:
    // Throws quill::Error for a size or px that is not finite, not positive or absurd.
    IndividualLabelView(QString username, QString price, std::optional<int> auctionNumber,
                        std::optional<int> boxNumber, std::optional<QString> itemTitle, QString showTitle,
                        LabelVariant style, qreal widthPts, qreal heightPts, bool isCircular,
                        LabelAppearance appearance, qreal px);

    QString username; // without "@"
    QString price;    // display text or an amount; shown as "$" with two decimals
    std::optional<int> auctionNumber;
    std::optional<int> boxNumber;
    std::optional<QString> itemTitle;
    QString showTitle;
    LabelVariant style;
    qreal widthPts;
    qreal heightPts;
    bool isCircular;
    LabelAppearance appearance;
    qreal px;

    qreal labelScale() const;
    QSizeF size() const { return QSizeF(widthPts, heightPts); }
    labelkit::LabelLayout layout() const;
    void paint(QPainter &painter) const;
};

} // namespace quill
