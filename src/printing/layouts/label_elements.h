#pragma once

#include "common/decimal.h"
#include "printing/label_appearance.h"
#include "printing/layouts/label_kit.h"

#include <QColor>
#include <QFont>
#include <QString>

namespace quill {

// Pieces shared by the winner, box and packing-slip layouts.
namespace labelparts {

// Labels beyond this many points on a side are a mistake in a size or a scale
// (200 inches: far past a letter sheet previewed at several times its size).
inline constexpr qreal kMaxLabelPoints = 200 * 72;

// Refuses sizes and factors that are not finite, not positive or absurdly large,
// so none of them reaches the layout arithmetic or a pixel count. Throws quill::Error.
void checkLabelGeometry(qreal widthPts, qreal heightPts, qreal px = 1.0);

// √ of the label's area relative to a 2.25 × 1.25 in label.
qreal labelScale(qreal widthPts, qreal heightPts);
// √ of the label's area relative to a 4 × 6 in label.
qreal slipScale(qreal widthPts, qreal heightPts);

// The label text forms.
QString buyerText(const QString &username);
QString auctionText(int auctionNumber);
QString boxText(int boxNumber);
// A price shown with "$" and two decimals: "12.5" and "$12.5" both show "$12.50",
// "7" shows "$7.00". Text that is not an amount keeps its own form ("$" put in front
// unless it already begins with one), so an empty price shows "$" alone.
QString priceText(const QString &price);
QString priceText(const Decimal &price);

// An opaque sRGB grey of this white level (0 black, 1 white).
QColor grey(qreal level);

// The appearance font at a size and weight. A named face gets the weight applied
// explicitly when it is not regular; the system designs already carry it.
QFont appearanceFont(const LabelAppearance &appearance, qreal pointSize, QFont::Weight weight);

// A one-line text that shrinks to 30 % of its size before it is cut.
labelkit::TextOptions shrinkingLine(const QFont &font, const QColor &color = Qt::black);
// A text of at most `lines` lines (0: no limit) that shrinks to 30 % before it is cut.
labelkit::TextOptions shrinkingLines(const QFont &font, const QColor &color, int lines,
                                     labelkit::HAlign alignment);

// The logo, fitted into at most 0.3 × the label's width and `maxHeight`; absent
// without a logo.
labelkit::NodePtr logoElement(const LabelAppearance &appearance, qreal widthPts, qreal maxHeight);

// The winner and box labels' frame: the content inset by 0.146 × width on a circle,
// centred in a white box of exactly width × height, clipped to the circle or the box.
labelkit::NodePtr labelFrame(labelkit::NodePtr content, qreal widthPts, qreal heightPts, bool isCircular);
inline constexpr qreal kCircleInsetShare = 0.146;

// The dark header band: the row stretched to the full width (content leading, or
// centred on a circle), inset 7.2·s at the sides and 3.96·s above and below, on grey 0.067.
labelkit::NodePtr headerBand(labelkit::NodePtr row, qreal s, bool isCircular);

// A 1-point grey 0.8 rule as wide as its stack, 3·s·px above and below.
labelkit::NodePtr ruleLine(qreal s, qreal px);

// Room between the children of a row that states no spacing.
qreal standardSpacing(qreal s, qreal px);

// Leading on a rectangle, centred on a circle.
labelkit::HAlign leadingOrCentre(bool isCircular);

// The frame of the winner, box and packing-slip layouts: the view a layout draws, the
// label's scale `s` and the view's pixel factor, sizes in label points scaled by both,
// the appearance's font at such a size, and the content of the view's style: `Layout`
// gives bold(), classic() and minimal(), the last for every other style.
template <class Layout, class View>
class StyledLabelLayout
{
protected:
    StyledLabelLayout(const View &view, qreal s) : m_view(view), m_s(s), m_px(view.px) {}

    labelkit::NodePtr styledContent() const
    {
        const auto &layout = static_cast<const Layout &>(*this);
        switch (m_view.style) {
        case LabelVariant::bold:
            return layout.bold();
        case LabelVariant::classic:
            return layout.classic();
        default:
            return layout.minimal();
        }
    }

    qreal size(qreal n) const { return n * m_s * m_px; }

    QFont fontAt(qreal n, QFont::Weight weight) const
    {
        return appearanceFont(m_view.appearance, size(n), weight);
    }

    const View &m_view;
    qreal m_s;
    qreal m_px;
};

} // namespace labelparts

} // namespace quill
