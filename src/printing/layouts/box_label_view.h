#pragma once

#include "printing/label_appearance.h"
#include "printing/layouts/label_kit.h"

#include <QSizeF>
#include <QString>
#include <optional>

class QPainter;

namespace quill {

// The box label: printed at a buyer's first win, it names the buyer and shows the
// buyer's box number in large type (the classic style also names the show).
class BoxLabelView final
{
public:
    // Throws quill::Error for a size or px that is not finite, not positive or absurd.
    BoxLabelView(QString buyer, int boxNumber, std::optional<QString> showTitle, LabelVariant style,
                 qreal widthPts, qreal heightPts, bool isCircular, LabelAppearance appearance, qreal px);

    QString buyer; // without "@"
    int boxNumber;
    std::optional<QString> showTitle;
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
