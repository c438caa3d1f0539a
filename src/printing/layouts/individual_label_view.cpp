#include "printing/layouts/individual_label_view.h"

#include "printing/layouts/label_elements.h"

namespace quill {

using namespace labelkit;
using namespace labelparts;

namespace {

class WinnerLayout final : public StyledLabelLayout<WinnerLayout, IndividualLabelView>
{
    friend StyledLabelLayout;

public:
    explicit WinnerLayout(const IndividualLabelView &view)
        : StyledLabelLayout(view, view.labelScale()), m_lead(leadingOrCentre(view.isCircular))
    {
    }

    NodePtr build() const
    {
        NodePtr content = styledContent();
        return labelFrame(std::move(content), m_view.widthPts, m_view.heightPts, m_view.isCircular);
    }

private:
    NodePtr line(const QString &content, qreal n, QFont::Weight weight, const QColor &color,
                 const QString &tag) const
    {
        return tagged(text(content, shrinkingLine(fontAt(n, weight), color)), tag);
    }

    NodePtr auctionLine(QFont::Weight weight, const QColor &color) const
    {
        if (!m_view.auctionNumber)
            return nullptr;
        return line(auctionText(*m_view.auctionNumber), 18, weight, color, QStringLiteral("auction"));
    }

    // Buyer, then (on a rectangle) flexible space, the auction line and the logo.
    NodePtr headerRow(QFont::Weight weight, const QColor &color) const
    {
        return hstack(VAlign::center, standardSpacing(m_s, m_px),
                      nodes(line(buyerText(m_view.username), 18, weight, color, QStringLiteral("buyer")),
                            m_view.isCircular ? nullptr : spacer(), auctionLine(weight, color),
                            logoElement(m_view.appearance, m_view.widthPts, size(27))));
    }

    NodePtr details(qreal titleGrey, QFont::Weight priceWeight) const
    {
        NodePtr box;
        if (m_view.boxNumber)
            box = line(boxText(*m_view.boxNumber), 16, QFont::Bold, Qt::black, QStringLiteral("box"));
        NodePtr title;
        if (m_view.itemTitle)
            title = tagged(text(*m_view.itemTitle,
                                shrinkingLines(fontAt(10, QFont::Normal), grey(titleGrey), 2, m_lead)),
                           QStringLiteral("title"));
        NodePtr show;
        if (!m_view.isCircular)
            show = line(m_view.showTitle, 8, QFont::Normal, grey(0.6), QStringLiteral("show"));
        return tagged(
            vstack(m_lead, size(2),
                   nodes(std::move(box), std::move(title),
                         line(priceText(m_view.price), 10, priceWeight, Qt::black, QStringLiteral("price")),
                         std::move(show))),
            QStringLiteral("details"));
    }

    Alignment detailsAlignment() const { return m_view.isCircular ? kCenter : kTopLeading; }

    NodePtr bold() const
    {
        NodePtr band = headerBand(headerRow(QFont::Black, Qt::white), m_s, m_view.isCircular);
        NodePtr body =
            stretch(padding(details(0.267, QFont::DemiBold), Insets::symmetric(7.2 * m_s, 2.88 * m_s)), true,
                    true, detailsAlignment());
        return vstack(HAlign::center, 0, nodes(std::move(band), std::move(body)));
    }

    NodePtr classic() const
    {
        NodePtr body = stretch(details(0.2, QFont::Medium), true, true, detailsAlignment());
        return padding(
            vstack(m_lead, 0,
                   nodes(headerRow(QFont::Medium, Qt::black), ruleLine(m_s, m_px), std::move(body))),
            Insets{5.76 * m_s, 7.2 * m_s, 2.88 * m_s, 7.2 * m_s});
    }

    NodePtr minimal() const
    {
        auto centred = [this](const QString &content, qreal n, QFont::Weight weight, const QColor &color,
                              int lines, const QString &tag) {
            return tagged(text(content, shrinkingLines(fontAt(n, weight), color, lines, HAlign::center)),
                          tag);
        };
        NodePtr names =
            hstack(VAlign::center, size(6),
                   nodes(centred(buyerText(m_view.username), 18, QFont::Black, Qt::black, 1,
                                 QStringLiteral("buyer")),
                         m_view.auctionNumber ? centred(auctionText(*m_view.auctionNumber), 18, QFont::Black,
                                                        Qt::black, 1, QStringLiteral("auction"))
                                              : nullptr));
        NodePtr box;
        if (m_view.boxNumber)
            box = padding(
                centred(boxText(*m_view.boxNumber), 16, QFont::Bold, Qt::black, 1, QStringLiteral("box")),
                Insets{size(4), 0, 0, 0});
        NodePtr title;
        if (m_view.itemTitle)
            title =
                padding(centred(*m_view.itemTitle, 10, QFont::Normal, grey(0.4), 2, QStringLiteral("title")),
                        Insets{size(2), 0, 0, 0});
        NodePtr price = padding(
            centred(priceText(m_view.price), 10, QFont::Medium, Qt::black, 1, QStringLiteral("price")),
            Insets{size(2), 0, 0, 0});
        NodePtr column = vstack(HAlign::center, 0,
                                nodes(logoElement(m_view.appearance, m_view.widthPts, size(24)),
                                      std::move(names), std::move(box), std::move(title), std::move(price)));
        return padding(stretch(std::move(column), true, false, kCenter),
                       Insets::symmetric(7.2 * m_s, 5.76 * m_s));
    }

    HAlign m_lead;
};

} // namespace

IndividualLabelView::IndividualLabelView(QString username, QString price, std::optional<int> auctionNumber,
                                         std::optional<int> boxNumber, std::optional<QString> itemTitle,
                                         QString showTitle, LabelVariant style, qreal widthPts,
                                         qreal heightPts, bool isCircular, LabelAppearance appearance,
                                         qreal px)
    : username(std::move(username)), price(std::move(price)), auctionNumber(auctionNumber),
      boxNumber(boxNumber), itemTitle(std::move(itemTitle)), showTitle(std::move(showTitle)), style(style),
      widthPts(widthPts), heightPts(heightPts), isCircular(isCircular), appearance(std::move(appearance)),
      px(px)
{
    checkLabelGeometry(widthPts, heightPts, px);
}

qreal IndividualLabelView::labelScale() const
{
    return labelparts::labelScale(widthPts, heightPts);
}

LabelLayout IndividualLabelView::layout() const
{
    checkLabelGeometry(widthPts, heightPts, px);
    return LabelLayout(WinnerLayout(*this).build(), size());
}

void IndividualLabelView::paint(QPainter &painter) const
{
    layout().paint(painter);
}

} // namespace quill
