#include "printing/layouts/box_label_view.h"

#include "printing/layouts/label_elements.h"

namespace quill {

using namespace labelkit;
using namespace labelparts;

namespace {

class BoxLayout final : public StyledLabelLayout<BoxLayout, BoxLabelView>
{
    friend StyledLabelLayout;

public:
    explicit BoxLayout(const BoxLabelView &view)
        : StyledLabelLayout(view, view.labelScale()), m_lead(leadingOrCentre(view.isCircular))
    {
    }

    NodePtr build() const
    {
        NodePtr content = styledContent();
        return labelFrame(std::move(content), m_view.widthPts, m_view.heightPts, m_view.isCircular);
    }

private:
    NodePtr buyerLine(qreal n, QFont::Weight weight, const QColor &color) const
    {
        return tagged(text(buyerText(m_view.buyer), shrinkingLine(fontAt(n, weight), color)),
                      QStringLiteral("buyer"));
    }

    NodePtr headerRow(qreal n, QFont::Weight weight, const QColor &color) const
    {
        return hstack(VAlign::center, standardSpacing(m_s, m_px),
                      nodes(buyerLine(n, weight, color), m_view.isCircular ? nullptr : spacer(),
                            logoElement(m_view.appearance, m_view.widthPts, size(1.5 * n))));
    }

    // No line limit: a box line too wide for the label may break at its space and
    // shrink to 30 %.
    NodePtr boxLine(qreal n) const
    {
        return tagged(text(boxText(m_view.boxNumber),
                           shrinkingLines(fontAt(n, QFont::Black), Qt::black, 0, HAlign::center)),
                      QStringLiteral("box"));
    }

    NodePtr bold() const
    {
        NodePtr band = headerBand(headerRow(18, QFont::Black, Qt::white), m_s, m_view.isCircular);
        return vstack(HAlign::center, 0, nodes(std::move(band), stretch(boxLine(28), true, true, kCenter)));
    }

    NodePtr classic() const
    {
        NodePtr show;
        if (m_view.showTitle)
            show = padding(
                stretch(tagged(text(*m_view.showTitle, shrinkingLine(fontAt(6, QFont::Normal), grey(0.6))),
                               QStringLiteral("show")),
                        true, false, kCenter),
                Insets{0, 0, 4.32 * m_s, 0});
        NodeList children = nodes(headerRow(14, QFont::Medium, Qt::black), ruleLine(m_s, m_px),
                                  stretch(boxLine(26), true, true, kCenter), std::move(show));
        return padding(vstack(m_lead, 0, std::move(children)), Insets{5.76 * m_s, 7.2 * m_s, 0, 7.2 * m_s});
    }

    NodePtr minimal() const
    {
        NodePtr buyer = tagged(text(buyerText(m_view.buyer),
                                    shrinkingLines(fontAt(16, QFont::Black), Qt::black, 1, HAlign::center)),
                               QStringLiteral("buyer"));
        NodePtr column = vstack(HAlign::center, 0,
                                nodes(logoElement(m_view.appearance, m_view.widthPts, size(24)),
                                      std::move(buyer), padding(boxLine(24), Insets{size(6), 0, 0, 0})));
        return padding(stretch(std::move(column), true, false, kCenter),
                       Insets::symmetric(7.2 * m_s, 5.76 * m_s));
    }

    HAlign m_lead;
};

} // namespace

BoxLabelView::BoxLabelView(QString buyer, int boxNumber, std::optional<QString> showTitle, LabelVariant style,
                           qreal widthPts, qreal heightPts, bool isCircular, LabelAppearance appearance,
                           qreal px)
    : buyer(std::move(buyer)), boxNumber(boxNumber), showTitle(std::move(showTitle)), style(style),
      widthPts(widthPts), heightPts(heightPts), isCircular(isCircular), appearance(std::move(appearance)),
      px(px)
{
    labelparts::checkLabelGeometry(widthPts, heightPts, px);
}

qreal BoxLabelView::labelScale() const
{
    return labelparts::labelScale(widthPts, heightPts);
}

LabelLayout BoxLabelView::layout() const
{
    labelparts::checkLabelGeometry(widthPts, heightPts, px);
    return LabelLayout(BoxLayout(*this).build(), size());
}

void BoxLabelView::paint(QPainter &painter) const
{
    layout().paint(painter);
}

} // namespace quill
