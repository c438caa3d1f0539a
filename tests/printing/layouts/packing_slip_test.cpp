#include "common/error.h"
#include "label_test_support.h"
#include "printing/label_bitmap_pipeline.h"
#include "printing/layouts/any_label_view.h"
#include "printing/layouts/grouped_label_view.h"
#include "printing/layouts/label_elements.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;
using labelkit::Element;

namespace {

QList<GroupedItem> items(int count)
{
    QList<GroupedItem> list;
    for (int i = 0; i < count; ++i)
        list.append(GroupedItem{100 + i, QStringLiteral("Item %1").arg(i), QStringLiteral("5")});
    return list;
}

QList<qsizetype> pageSizes(const QList<QList<GroupedItem>> &pages)
{
    QList<qsizetype> sizes;
    for (const auto &page : pages)
        sizes.append(page.size());
    return sizes;
}

GroupedLabelView slip(LabelVariant style, QList<GroupedItem> lines, Decimal total = Decimal(42),
                      std::optional<int> page = std::nullopt, std::optional<int> totalPages = std::nullopt,
                      qreal w = 288, qreal h = 432, bool withLogo = false)
{
    return GroupedLabelView(QStringLiteral("kim"), std::move(lines), total, QStringLiteral("Sunday show"),
                            style, w, h, page, totalPages, appearance(withLogo), 0.75);
}

} // namespace

TEST(PackingSlip, SlipScaleFollowsTheAreaOfA4By6Label)
{
    EXPECT_NEAR(labelparts::slipScale(288, 432), 1.0, 1e-12);
    EXPECT_NEAR(labelparts::slipScale(612, 792), 1.974, 5e-4);
    EXPECT_NEAR(labelparts::slipScale(144, 72), 0.289, 5e-4);
}

TEST(PackingSlip, RowsPerPageTable)
{
    const QList<std::tuple<qreal, int, int, int>> table{{432, 24, 19, 22}, {792, 44, 34, 40}, {72, 4, 4, 4}};
    for (const auto &[height, bold, classic, minimal] : table) {
        EXPECT_EQ(GroupedLabelView::rowsPerPage(LabelVariant::bold, height), bold) << height;
        EXPECT_EQ(GroupedLabelView::rowsPerPage(LabelVariant::classic, height), classic) << height;
        EXPECT_EQ(GroupedLabelView::rowsPerPage(LabelVariant::minimal, height), minimal) << height;
    }
}

TEST(PackingSlip, PaginationCutsConsecutivePages)
{
    EXPECT_EQ(pageSizes(GroupedLabelView::paginate(items(25), LabelVariant::bold, 432)),
              QList<qsizetype>({24, 1}));
    EXPECT_EQ(pageSizes(GroupedLabelView::paginate(items(24), LabelVariant::bold, 432)),
              QList<qsizetype>({24}));
    EXPECT_EQ(pageSizes(GroupedLabelView::paginate(items(30), LabelVariant::bold, 432)),
              QList<qsizetype>({24, 6}));
    EXPECT_EQ(pageSizes(GroupedLabelView::paginate({}, LabelVariant::classic, 432)), QList<qsizetype>({0}));
    const auto pages = GroupedLabelView::paginate(items(9), LabelVariant::minimal, 72);
    EXPECT_EQ(pageSizes(pages), QList<qsizetype>({4, 4, 1}));
    EXPECT_EQ(pages[1].first().auctionNumber, 104);
    EXPECT_EQ(pages[2].first().auctionNumber, 108);

    EXPECT_EQ(pageSizes(chunked(items(5), 2)), QList<qsizetype>({2, 2, 1}));
    EXPECT_THROW(chunked(items(5), 0), Error);
}

TEST(PackingSlip, PaginationRefusesHeightsThatAreNotSizes)
{
    const qreal nan = std::nan("");
    const qreal inf = std::numeric_limits<qreal>::infinity();
    for (const qreal bad : {nan, inf, -inf, 0.0, -432.0, 1e300})
        EXPECT_THROW(GroupedLabelView::paginate(items(3), LabelVariant::bold, bad), Error) << bad;
}

TEST(PackingSlip, TotalRowOnlyWhenThereIsATotal)
{
    for (const LabelVariant style : kAllLabelVariants) {
        const auto withTotal = slip(style, items(3), *Decimal::fromString(u"42.5")).layout();
        EXPECT_EQ(elementOf(withTotal, QStringLiteral("amount")).lines, QStringList{QStringLiteral("$42.50")});
        const auto without = slip(style, items(3), Decimal()).layout();
        EXPECT_FALSE(without.contains(QStringLiteral("total"))) << rawValue(style).toStdString();
        EXPECT_FALSE(without.contains(QStringLiteral("amount")));
    }
    EXPECT_EQ(elementOf(slip(LabelVariant::bold, items(1)).layout(), QStringLiteral("total")).lines,
              QStringList{QStringLiteral("Total")});
    EXPECT_EQ(elementOf(slip(LabelVariant::classic, items(1)).layout(), QStringLiteral("total")).lines,
              QStringList{QStringLiteral("Subtotal")});
    EXPECT_EQ(elementOf(slip(LabelVariant::minimal, items(1)).layout(), QStringLiteral("total")).lines,
              QStringList{QStringLiteral("  TOTAL")});

    // Minimal: one separator fewer without the total.
    EXPECT_TRUE(slip(LabelVariant::minimal, items(2)).layout().contains(QStringLiteral("separator.2")));
    const auto noTotal = slip(LabelVariant::minimal, items(2), Decimal()).layout();
    EXPECT_TRUE(noTotal.contains(QStringLiteral("separator.1")));
    EXPECT_FALSE(noTotal.contains(QStringLiteral("separator.2")));
    EXPECT_EQ(elementOf(noTotal, QStringLiteral("count")).lines, QStringList{QStringLiteral("  2 items")});
}

TEST(PackingSlip, PageLineNeedsBothNumbers)
{
    EXPECT_EQ(elementOf(slip(LabelVariant::bold, items(2), Decimal(), 2, 3).layout(), QStringLiteral("page")).lines,
              QStringList{QStringLiteral("Page 2 of 3")});
    EXPECT_EQ(
        elementOf(slip(LabelVariant::minimal, items(2), Decimal(), 2, 3).layout(), QStringLiteral("page")).lines,
        QStringList{QStringLiteral("  Page 2 of 3")});
    for (const LabelVariant style : kAllLabelVariants) {
        EXPECT_FALSE(
            slip(style, items(2), Decimal(), 2, std::nullopt).layout().contains(QStringLiteral("page")));
        EXPECT_FALSE(
            slip(style, items(2), Decimal(), std::nullopt, 3).layout().contains(QStringLiteral("page")));
        EXPECT_FALSE(slip(style, items(2)).layout().contains(QStringLiteral("page")));
    }
    // Without a logo the page line sits at the right edge of the header.
    const auto bold = slip(LabelVariant::bold, items(2), Decimal(), 1, 2).layout();
    EXPECT_NEAR(elementOf(bold, QStringLiteral("page")).frame.right(), 288 - 14.4, 1e-9);
    const auto withLogo = slip(LabelVariant::classic, items(2), Decimal(), 1, 2, 288, 432, true).layout();
    EXPECT_NEAR(elementOf(withLogo, QStringLiteral("page")).frame.right(), 288 - 14.4, 1e-9);
    EXPECT_LT(elementOf(withLogo, QStringLiteral("logo")).frame.right(),
              elementOf(withLogo, QStringLiteral("page")).frame.left());
    EXPECT_NEAR(elementOf(withLogo, QStringLiteral("logo")).frame.height(), 30 * 0.75, 1e-9);
}

TEST(PackingSlip, ItemTextsPerStyle)
{
    QList<GroupedItem> lines{{7, QStringLiteral("Enamel pin"), QStringLiteral("12")},
                             {std::nullopt, QStringLiteral("Mystery bag"), QStringLiteral("$7")},
                             {9, QStringLiteral("A title of thirty characters!!"), QStringLiteral("$1,000")}};
    const auto bold = slip(LabelVariant::bold, lines).layout();
    EXPECT_EQ(elementOf(bold, QStringLiteral("item.0")).lines, QStringList{QStringLiteral("#7 Enamel pin")});
    EXPECT_EQ(elementOf(bold, QStringLiteral("item.1")).lines, QStringList{QStringLiteral("Mystery bag")});
    EXPECT_EQ(elementOf(bold, QStringLiteral("price.0")).lines, QStringList{QStringLiteral("$12.00")});
    EXPECT_EQ(elementOf(bold, QStringLiteral("price.1")).lines, QStringList{QStringLiteral("$7.00")});
    EXPECT_EQ(elementOf(bold, QStringLiteral("price.2")).lines, QStringList{QStringLiteral("$1,000")});
    EXPECT_EQ(elementOf(bold, QStringLiteral("row.0")).color, labelparts::grey(0.96));
    EXPECT_EQ(elementOf(bold, QStringLiteral("row.1")).color, QColor(Qt::white));

    const auto classic = slip(LabelVariant::classic, lines).layout();
    EXPECT_EQ(elementOf(classic, QStringLiteral("number.0")).lines, QStringList{QStringLiteral("#7")});
    EXPECT_TRUE(elementOf(classic, QStringLiteral("number.1")).lines.isEmpty());
    // The title column stays aligned with or without a number.
    EXPECT_NEAR(elementOf(classic, QStringLiteral("item.0")).frame.left(),
                elementOf(classic, QStringLiteral("item.1")).frame.left(), 1e-9);
    EXPECT_EQ(elementOf(classic, QStringLiteral("heading.item")).lines, QStringList{QStringLiteral("ITEM")});

    const auto minimal = slip(LabelVariant::minimal, lines).layout();
    EXPECT_EQ(elementOf(minimal, QStringLiteral("item.0")).lines, QStringList{QStringLiteral("  #7 Enamel pin")});
    EXPECT_EQ(elementOf(minimal, QStringLiteral("item.1")).lines, QStringList{QStringLiteral("  Mystery bag")});
    EXPECT_EQ(elementOf(minimal, QStringLiteral("item.2")).lines,
              QStringList{QStringLiteral("  #9 A title of thirty charac")});
    EXPECT_EQ(elementOf(minimal, QStringLiteral("separator.0")).lines, QStringList{QString(38, QLatin1Char('-'))});

    // Bold and classic cut a long title at the line's end with an ellipsis.
    QList<GroupedItem> longOne{
        {1, QStringLiteral("An unusually long item title ").repeated(5), QStringLiteral("3")}};
    for (const LabelVariant style : {LabelVariant::bold, LabelVariant::classic}) {
        const Element item = elementOf(slip(style, longOne).layout(), QStringLiteral("item.0"));
        ASSERT_EQ(item.lines.size(), 1);
        EXPECT_TRUE(item.truncated);
    }
}

TEST(PackingSlip, SummaryAndSizesOnA4By6Label)
{
    const auto bold = slip(LabelVariant::bold, items(3)).layout();
    EXPECT_EQ(elementOf(bold, QStringLiteral("summary")).lines,
              QStringList{QStringLiteral("Sunday show \u00B7 3 items")});
    EXPECT_DOUBLE_EQ(elementOf(bold, QStringLiteral("buyer")).requestedPointSize, 26 * 0.75);
    EXPECT_DOUBLE_EQ(elementOf(bold, QStringLiteral("item.0")).requestedPointSize, 11 * 0.75);
    EXPECT_DOUBLE_EQ(elementOf(bold, QStringLiteral("total")).requestedPointSize, 16 * 0.75);
    EXPECT_NEAR(elementOf(bold, QStringLiteral("buyer")).frame.left(), 14.4, 1e-9);
    EXPECT_NEAR(elementOf(bold, QStringLiteral("buyer")).frame.top(), 10.8, 1e-9);
    EXPECT_DOUBLE_EQ(elementOf(bold, QStringLiteral("band")).frame.top(), 0);
    EXPECT_DOUBLE_EQ(elementOf(bold, QStringLiteral("totalRule")).frame.height(), 3);

    const auto classic = slip(LabelVariant::classic, items(3)).layout();
    EXPECT_DOUBLE_EQ(elementOf(classic, QStringLiteral("buyer")).requestedPointSize, 20 * 0.75);
    EXPECT_NEAR(elementOf(classic, QStringLiteral("buyer")).frame.topLeft().x(), 14.4, 1e-9);
    EXPECT_NEAR(elementOf(classic, QStringLiteral("number.0")).frame.left(), 14.4 + 6 * 0.75, 1e-9);
    EXPECT_DOUBLE_EQ(elementOf(classic, QStringLiteral("headings")).frame.height(), 2);
    EXPECT_DOUBLE_EQ(elementOf(classic, QStringLiteral("row.0")).frame.height(), 1);

    const auto minimal = slip(LabelVariant::minimal, items(3)).layout();
    EXPECT_DOUBLE_EQ(elementOf(minimal, QStringLiteral("buyer")).requestedPointSize, 18 * 0.75);
    EXPECT_NEAR(elementOf(minimal, QStringLiteral("buyer")).frame.center().x(), 144, 1e-6);
}

TEST(PackingSlip, LetterSheetDiffersOnlyInScale)
{
    const qreal s = labelparts::slipScale(612, 792);
    const auto small = slip(LabelVariant::classic, items(3)).layout();
    const auto letter =
        slip(LabelVariant::classic, items(3), Decimal(42), std::nullopt, std::nullopt, 612, 792).layout();
    EXPECT_NEAR(elementOf(letter, QStringLiteral("buyer")).requestedPointSize, 20 * s * 0.75, 1e-9);
    EXPECT_NEAR(elementOf(letter, QStringLiteral("buyer")).frame.left(), 14.4 * s, 1e-9); // insets in s alone
    EXPECT_NEAR(elementOf(letter, QStringLiteral("item.0")).requestedPointSize /
                    elementOf(small, QStringLiteral("item.0")).requestedPointSize,
                s, 1e-9);
    // Fixed rules stay fixed.
    EXPECT_DOUBLE_EQ(elementOf(letter, QStringLiteral("headings")).frame.height(), 2);
}

TEST(PackingSlip, LongBuyerNameShrinksThenIsCut)
{
    for (const LabelVariant style : kAllLabelVariants) {
        GroupedLabelView view(QStringLiteral("buyer_with_a_very_long_name_").repeated(4), items(1),
                              Decimal(1), QStringLiteral("Show"), style, 288, 432, std::nullopt, std::nullopt,
                              appearance(), 0.75);
        const Element buyer = elementOf(view.layout(), QStringLiteral("buyer"));
        EXPECT_NEAR(buyer.pointSize, buyer.requestedPointSize * 0.3, 1e-9);
        ASSERT_EQ(buyer.lines.size(), 1);
        EXPECT_TRUE(buyer.truncated);
    }
}

TEST(PackingSlip, ContentIsTopAlignedAndCutAtTheBottom)
{
    // 60 rows on a 2 × 1 label: far taller than the label.
    const auto tall =
        slip(LabelVariant::bold, items(60), Decimal(5), std::nullopt, std::nullopt, 144, 72).layout();
    const Element content = elementOf(tall, QStringLiteral("content"));
    EXPECT_DOUBLE_EQ(content.frame.top(), 0);
    EXPECT_GT(content.frame.bottom(), 72);
    const auto shortSlip = slip(LabelVariant::classic, items(1)).layout();
    EXPECT_LT(elementOf(shortSlip, QStringLiteral("totalRule")).frame.bottom(), 200); // white room below
}

TEST(PackingSlip, RulesNeverCoverTextOnSmallLabels)
{
    // On a 2 × 1 label the scaled insets are thinner than the fixed rules.
    for (const LabelVariant style : {LabelVariant::bold, LabelVariant::classic}) {
        const auto layout = slip(style, items(1), Decimal(9), std::nullopt, std::nullopt, 144, 72).layout();
        const Element rule = elementOf(layout, QStringLiteral("totalRule"));
        const Element total = elementOf(layout, QStringLiteral("total"));
        EXPECT_LE(rule.frame.top() + (style == LabelVariant::bold ? 3 : 2), total.frame.top() + 1e-9);
    }
}

TEST(PackingSlip, BlackAndWhiteSubtitleStaysWhiteOnTheBand)
{
    // White pixels inside the subtitle's frame of the bitmap that goes to the printer.
    const auto whiteInSummary = [](LabelColorMode mode) {
        LabelAppearance look = appearance();
        look.colorMode = mode;
        const GroupedLabelView view(QStringLiteral("kim"), items(3), Decimal(42), QStringLiteral("Sunday show"),
                                    LabelVariant::bold, 288, 432, std::nullopt, std::nullopt, look, 0.75);
        const QRectF summary = elementOf(view.layout(), QStringLiteral("summary")).frame;
        EXPECT_TRUE(elementOf(view.layout(), QStringLiteral("band")).frame.contains(summary));
        const QImage printed = colorModeImage(renderLabelImage(AnyLabelView(view), QSizeF(4, 6)), mode);
        const QRect pixels = QRectF(summary.topLeft() * 300 / 72, summary.size() * 300 / 72).toAlignedRect();
        int white = 0;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y)
            for (int x = pixels.left(); x <= pixels.right(); ++x)
                white += isWhite(printed.pixel(x, y)) ? 1 : 0;
        return double(white) / (pixels.width() * pixels.height());
    };
    // Glyph strokes cover a good share of a line of text; the band around them is black.
    EXPECT_GT(whiteInSummary(LabelColorMode::blackAndWhite), 0.05);
    // In grey the subtitle keeps its mid grey: no pixel of it is paper white.
    EXPECT_EQ(whiteInSummary(LabelColorMode::grayscale), 0.0);
}
