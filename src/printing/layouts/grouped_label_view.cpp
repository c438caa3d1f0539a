#include "printing/layouts/grouped_label_view.h"

#include "common/error.h"
#include "printing/font_resolver.h"
#include "printing/layouts/label_elements.h"

#include <cmath>

namespace quill {

using namespace labelkit;
using namespace labelparts;

namespace {

constexpr int kMinimumRowsPerPage = 4;
constexpr qsizetype kMinimalTitleLength = 24;

QString minimalTitle(const QString &title)
{
    qsizetype length = std::min(title.size(), kMinimalTitleLength);
    // Never split a character that takes two code units.
    if (length > 0 && length < title.size() && title.at(length - 1).isHighSurrogate())
        --length;
    return title.left(length);
}

class SlipLayout final : public StyledLabelLayout<SlipLayout, GroupedLabelView>
{
    friend StyledLabelLayout;

public:
    explicit SlipLayout(const GroupedLabelView &view) : StyledLabelLayout(view, view.slipScale()) {}

    NodePtr build() const
    {
        NodePtr content = styledContent();
        NodePtr boxed =
            frame(tagged(std::move(content), QStringLiteral("content")),
                  FrameOptions{m_view.widthPts, m_view.heightPts, std::nullopt, std::nullopt, kTop});
        return clip(background(std::move(boxed), Qt::white), Shape::rectangle);
    }

private:
    qreal spacing() const { return standardSpacing(m_s, m_px); }
    // Rules keep their height in points while the insets they lie over scale with
    // the label; on a small label the rule would cover the text, so the inset under
    // a rule is never less than the rule itself.
    static qreal ruleRoom(qreal inset, qreal ruleHeight) { return std::max(inset, ruleHeight); }

    QFont systemAt(qreal n, QFont::Weight weight, SystemFontDesign design = SystemFontDesign::standard) const
    {
        return FontResolver::systemFont(size(n), weight, design);
    }

    static NodePtr plain(const QString &content, const QFont &font, const QColor &color, const QString &tag,
                         int lines = 1, HAlign alignment = HAlign::leading)
    {
        TextOptions options;
        options.font = font;
        options.color = color;
        options.maxLines = lines;
        options.lineAlignment = alignment;
        return tagged(text(content, options), tag);
    }

    bool hasPageLine() const { return m_view.page && m_view.totalPages; }
    bool hasTotal() const { return m_view.total > Decimal(); }
    QString amountText() const { return priceText(m_view.total); }
    QString countText() const { return QString::number(m_view.items.size()) + QStringLiteral(" items"); }

    QString summaryText() const { return m_view.showTitle + QStringLiteral(" \u00B7 ") + countText(); }

    NodePtr pageLine(qreal n, const QColor &color) const
    {
        if (!hasPageLine())
            return nullptr;
        return plain(QStringLiteral("Page %1 of %2").arg(*m_view.page).arg(*m_view.totalPages),
                     fontAt(n, QFont::Normal), color, QStringLiteral("page"));
    }

    // Grey text on the bold style's black band. A black-and-white print sets every
    // pixel darker than its threshold black, which would sink a mid grey into the band:
    // there the text is white, and the preview, drawn from the same layout, shows it so.
    QColor bandGrey(qreal level) const
    {
        return m_view.appearance.colorMode == LabelColorMode::blackAndWhite ? QColor(Qt::white) : grey(level);
    }

    // Buyer and summary on the left; the logo and the page line at the right end.
    NodePtr header(qreal buyerSize, QFont::Weight buyerWeight, const QColor &buyerColor, qreal summaryGrey,
                   qreal logoHeight, bool onBand) const
    {
        const QColor summaryColor = onBand ? bandGrey(summaryGrey) : grey(summaryGrey);
        const QColor pageColor = onBand ? bandGrey(0.533) : grey(0.533);
        NodePtr names =
            vstack(HAlign::leading, size(2),
                   nodes(tagged(text(buyerText(m_view.buyer),
                                     shrinkingLine(fontAt(buyerSize, buyerWeight), buyerColor)),
                                QStringLiteral("buyer")),
                         plain(summaryText(), fontAt(10, QFont::Normal), summaryColor,
                               QStringLiteral("summary"))));
        return hstack(VAlign::top, spacing(),
                      nodes(std::move(names), spacer(),
                            logoElement(m_view.appearance, m_view.widthPts, size(logoHeight)),
                            pageLine(9, pageColor)));
    }

    NodePtr bold() const
    {
        NodePtr band = tagged(background(padding(header(26, QFont::Black, Qt::white, 0.667, 39, true),
                                                 Insets::symmetric(14.4 * m_s, 10.8 * m_s)),
                                         grey(0.067)),
                              QStringLiteral("band"));
        NodeList rows;
        const QFont itemFont = systemAt(11, QFont::Bold, SystemFontDesign::monospaced);
        const QFont priceFont = systemAt(11, QFont::Black, SystemFontDesign::monospaced);
        for (qsizetype i = 0; i < m_view.items.size(); ++i) {
            const GroupedItem &item = m_view.items.at(i);
            const QString line = item.auctionNumber
                                     ? auctionText(*item.auctionNumber) + QLatin1Char(' ') + item.title
                                     : item.title;
            const QString index = QString::number(i);
            NodePtr row = hstack(
                VAlign::center, spacing(),
                nodes(plain(line, itemFont, Qt::black, QStringLiteral("item.") + index), spacer(),
                      plain(priceText(item.price), priceFont, Qt::black, QStringLiteral("price.") + index)));
            rows.push_back(tagged(background(padding(std::move(row), Insets::symmetric(size(4), size(3))),
                                             i % 2 == 0 ? grey(0.96) : QColor(Qt::white)),
                                  QStringLiteral("row.") + index));
        }
        if (hasTotal()) {
            const QFont totalFont = fontAt(16, QFont::Black);
            NodePtr row =
                hstack(VAlign::center, spacing(),
                       nodes(plain(QStringLiteral("Total"), totalFont, Qt::black, QStringLiteral("total")),
                             spacer(), plain(amountText(), totalFont, Qt::black, QStringLiteral("amount"))));
            rows.push_back(tagged(edgeRule(padding(std::move(row), Insets{ruleRoom(size(6), 3), 0, 0, 0}),
                                           Edge::top, 3, grey(0.067)),
                                  QStringLiteral("totalRule")));
        }
        NodePtr block =
            padding(vstack(HAlign::center, 0, std::move(rows)), Insets::symmetric(14.4 * m_s, 10.8 * m_s));
        return vstack(HAlign::center, 0, nodes(std::move(band), std::move(block), spacer()));
    }

    NodePtr numberCell(const QString &content, const QFont &font, const QColor &color,
                       const QString &tag) const
    {
        return frame(plain(content, font, color, tag),
                     FrameOptions{size(40), std::nullopt, std::nullopt, std::nullopt, kLeading});
    }

    NodePtr classic() const
    {
        NodeList children;
        children.push_back(
            padding(header(20, QFont::DemiBold, Qt::black, 0.6, 30, false), Insets{0, 0, 10.8 * m_s, 0}));

        const QFont headingFont = systemAt(9, QFont::Normal);
        NodePtr headings = hstack(
            VAlign::center, spacing(),
            nodes(numberCell(QStringLiteral("#"), headingFont, grey(0.6), QStringLiteral("heading.number")),
                  plain(QStringLiteral("ITEM"), headingFont, grey(0.6), QStringLiteral("heading.item")),
                  spacer(),
                  plain(QStringLiteral("PRICE"), headingFont, grey(0.6), QStringLiteral("heading.price"))));
        children.push_back(
            tagged(edgeRule(padding(std::move(headings), Insets{0, size(6), ruleRoom(size(4), 2), size(6)}),
                            Edge::bottom, 2, grey(0.2)),
                   QStringLiteral("headings")));

        const QFont numberFont = systemAt(10, QFont::Normal);
        const QFont titleFont = systemAt(11, QFont::Normal);
        const QFont priceFont = systemAt(11, QFont::DemiBold);
        for (qsizetype i = 0; i < m_view.items.size(); ++i) {
            const GroupedItem &item = m_view.items.at(i);
            const QString index = QString::number(i);
            const QString number = item.auctionNumber ? auctionText(*item.auctionNumber) : QString();
            NodePtr row = hstack(
                VAlign::center, spacing(),
                nodes(numberCell(number, numberFont, grey(0.4), QStringLiteral("number.") + index),
                      plain(item.title, titleFont, Qt::black, QStringLiteral("item.") + index), spacer(),
                      plain(priceText(item.price), priceFont, Qt::black, QStringLiteral("price.") + index)));
            children.push_back(tagged(
                edgeRule(padding(std::move(row), Insets{size(4), size(6), ruleRoom(size(4), 1), size(6)}),
                         Edge::bottom, 1, grey(0.898)),
                QStringLiteral("row.") + index));
        }
        if (hasTotal()) {
            const QFont totalFont = fontAt(14, QFont::Bold);
            NodePtr row =
                hstack(VAlign::center, spacing(),
                       nodes(plain(QStringLiteral("Subtotal"), totalFont, Qt::black, QStringLiteral("total")),
                             spacer(), plain(amountText(), totalFont, Qt::black, QStringLiteral("amount"))));
            children.push_back(tagged(edgeRule(padding(std::move(row), Insets{ruleRoom(size(8), 2), 0, 0, 0}),
                                               Edge::top, 2, grey(0.2)),
                                      QStringLiteral("totalRule")));
        }
        children.push_back(spacer());
        return padding(vstack(HAlign::leading, 0, std::move(children)), Insets::all(14.4 * m_s));
    }

    NodePtr minimal() const
    {
        const QFont mono = systemAt(11, QFont::Normal, SystemFontDesign::monospaced);
        int separators = 0;
        auto separator = [&](qreal topInset) {
            return padding(plain(QString(38, QLatin1Char('-')), mono, Qt::black,
                                 QStringLiteral("separator.") + QString::number(separators++), 1,
                                 HAlign::center),
                           Insets{topInset, 0, 0, 0});
        };

        NodeList children;
        children.push_back(logoElement(m_view.appearance, m_view.widthPts, size(27)));
        children.push_back(tagged(text(buyerText(m_view.buyer),
                                       shrinkingLines(systemAt(18, QFont::Bold, SystemFontDesign::monospaced),
                                                      Qt::black, 1, HAlign::center)),
                                  QStringLiteral("buyer")));
        children.push_back(
            padding(plain(m_view.showTitle, systemAt(9, QFont::Normal, SystemFontDesign::monospaced),
                          grey(0.4), QStringLiteral("show"), 0, HAlign::center),
                    Insets{size(2), 0, 0, 0}));
        children.push_back(separator(7.2 * m_s));

        NodeList rows;
        for (qsizetype i = 0; i < m_view.items.size(); ++i) {
            const GroupedItem &item = m_view.items.at(i);
            const QString index = QString::number(i);
            QString line = QStringLiteral("  ");
            if (item.auctionNumber)
                line += auctionText(*item.auctionNumber) + QLatin1Char(' ');
            line += minimalTitle(item.title);
            rows.push_back(hstack(
                VAlign::center, 0,
                nodes(plain(line, mono, Qt::black, QStringLiteral("item.") + index), spacer(),
                      plain(priceText(item.price), mono, Qt::black, QStringLiteral("price.") + index))));
        }
        children.push_back(stretch(vstack(HAlign::leading, 0, std::move(rows)), true, false, kLeading));

        if (hasTotal()) {
            children.push_back(separator(0));
            children.push_back(
                hstack(VAlign::center, 0,
                       nodes(plain(QStringLiteral("  TOTAL"), mono, Qt::black, QStringLiteral("total")),
                             spacer(), plain(amountText(), mono, Qt::black, QStringLiteral("amount")))));
        }
        children.push_back(separator(0));
        children.push_back(
            plain(QStringLiteral("  ") + countText(), mono, Qt::black, QStringLiteral("count")));
        if (hasPageLine())
            children.push_back(
                plain(QStringLiteral("  Page %1 of %2").arg(*m_view.page).arg(*m_view.totalPages), mono,
                      Qt::black, QStringLiteral("page")));
        children.push_back(spacer());
        return padding(stretch(vstack(HAlign::center, 0, std::move(children)), true, false, kTop),
                       Insets::all(14.4 * m_s));
    }
};

} // namespace

QList<QList<GroupedItem>> chunked(const QList<GroupedItem> &items, qsizetype size)
{
    if (size < 1)
        throw Error(QStringLiteral("Items cannot be cut into slices of %1").arg(size));
    QList<QList<GroupedItem>> slices;
    for (qsizetype start = 0; start < items.size(); start += size)
        slices.append(items.mid(start, size));
    return slices;
}

GroupedLabelView::GroupedLabelView(QString buyer, QList<GroupedItem> items, Decimal total, QString showTitle,
                                   LabelVariant style, qreal widthPts, qreal heightPts,
                                   std::optional<int> page, std::optional<int> totalPages,
                                   LabelAppearance appearance, qreal px)
    : buyer(std::move(buyer)), items(std::move(items)), total(total), showTitle(std::move(showTitle)),
      style(style), widthPts(widthPts), heightPts(heightPts), page(page), totalPages(totalPages),
      appearance(std::move(appearance)), px(px)
{
    checkLabelGeometry(widthPts, heightPts, px);
}

int GroupedLabelView::rowsPerSixInches(LabelVariant style)
{
    switch (style) {
    case LabelVariant::bold:
        return 24;
    case LabelVariant::classic:
        return 19;
    case LabelVariant::minimal:
        return 22;
    }
    return 22;
}

qsizetype GroupedLabelView::rowsPerPage(LabelVariant style, qreal heightPts)
{
    // Only the height matters here; the width check is satisfied by a stand-in.
    checkLabelGeometry(72, heightPts);
    // Bounded by the size check, so the conversion cannot overflow.
    const double rows = std::floor(heightPts / 72.0 / 6.0 * rowsPerSixInches(style));
    return std::max<qsizetype>(kMinimumRowsPerPage, static_cast<qsizetype>(rows));
}

QList<QList<GroupedItem>> GroupedLabelView::paginate(const QList<GroupedItem> &items, LabelVariant style,
                                                     qreal heightPts)
{
    const qsizetype rows = rowsPerPage(style, heightPts);
    if (rows >= items.size())
        return {items};
    return chunked(items, rows);
}

qreal GroupedLabelView::slipScale() const
{
    return labelparts::slipScale(widthPts, heightPts);
}

LabelLayout GroupedLabelView::layout() const
{
    checkLabelGeometry(widthPts, heightPts, px);
    return LabelLayout(SlipLayout(*this).build(), size());
}

void GroupedLabelView::paint(QPainter &painter) const
{
    layout().paint(painter);
}

} // namespace quill
