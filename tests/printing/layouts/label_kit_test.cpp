#include "common/error.h"
#include "label_test_support.h"
#include "printing/font_resolver.h"
#include "printing/layouts/label_kit.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::labelkit;
using quill::testing::elementOf;

namespace {

TextOptions options(qreal points, int lines = 1, qreal minimumScale = 1.0, HAlign alignment = HAlign::leading)
{
    TextOptions s;
    s.font = FontResolver::systemFont(points, QFont::Normal);
    s.maxLines = lines;
    s.minimumScale = minimumScale;
    s.lineAlignment = alignment;
    return s;
}

NodePtr word(const QString &content, const QString &tag, qreal points = 10, int lines = 1,
             qreal minimumScale = 1.0)
{
    return tagged(text(content, options(points, lines, minimumScale)), tag);
}

} // namespace

TEST(LabelKit, RowWithFlexibleSpacePinsItsEndsToBothEdges)
{
    LabelLayout layout(frame(hstack(VAlign::center, 6,
                                    nodes(word(QStringLiteral("left"), QStringLiteral("a")), spacer(),
                                          word(QStringLiteral("right"), QStringLiteral("b")))),
                             FrameOptions{200, 40, std::nullopt, std::nullopt, kTopLeading}),
                       QSizeF(200, 40));
    const Element a = elementOf(layout, QStringLiteral("a"));
    const Element b = elementOf(layout, QStringLiteral("b"));
    EXPECT_DOUBLE_EQ(a.frame.left(), 0);
    EXPECT_NEAR(b.frame.right(), 200, 1e-9);
    EXPECT_DOUBLE_EQ(a.frame.center().y(), b.frame.center().y());
}

TEST(LabelKit, CrowdedRowKeepsTheShortTextAndShrinksThenCutsTheLongOne)
{
    const QString longName =
        QStringLiteral("@an_extraordinarily_long_buyer_name_that_cannot_fit_anywhere_at_all");
    LabelLayout layout(frame(hstack(VAlign::center, 8,
                                    nodes(word(longName, QStringLiteral("long"), 18, 1, 0.3), spacer(),
                                          word(QStringLiteral("#42"), QStringLiteral("short"), 18, 1, 0.3))),
                             FrameOptions{120, 40, std::nullopt, std::nullopt, kTopLeading}),
                       QSizeF(120, 40));
    const Element shortText = elementOf(layout, QStringLiteral("short"));
    const Element longText = elementOf(layout, QStringLiteral("long"));
    EXPECT_DOUBLE_EQ(shortText.pointSize, 18);
    EXPECT_FALSE(shortText.truncated);
    // Shrunk as far as allowed, then cut with an ellipsis, on one line.
    EXPECT_NEAR(longText.pointSize, 18 * 0.3, 1e-9);
    ASSERT_EQ(longText.lines.size(), 1);
    EXPECT_TRUE(longText.truncated);
    EXPECT_TRUE(longText.lines.first().endsWith(QChar(0x2026)));
    // The spacer keeps its minimum (the row spacing) and nothing overlaps or leaves the row.
    EXPECT_GE(shortText.frame.left() - longText.frame.right(), 8 - 0.02);
    EXPECT_LE(shortText.frame.right(), 120 + 0.02);
}

TEST(LabelKit, ShrinkingStopsAtTheSizeThatFits)
{
    LabelLayout layout(frame(word(QStringLiteral("@medium_length_name"), QStringLiteral("t"), 20, 1, 0.3),
                             FrameOptions{100, 30, std::nullopt, std::nullopt, kTopLeading}),
                       QSizeF(100, 30));
    const Element t = elementOf(layout, QStringLiteral("t"));
    EXPECT_LT(t.pointSize, 20);
    EXPECT_GT(t.pointSize, 6);
    EXPECT_FALSE(t.truncated);
    EXPECT_LE(t.frame.width(), 100.02);
    EXPECT_GT(t.frame.width(), 98); // no more shrinking than needed
}

TEST(LabelKit, TwoLineTextIsCutAtTheEndOfItsSecondLine)
{
    const QString title =
        QStringLiteral("A rather long item title that will certainly need more than two lines here");
    LabelLayout layout(frame(word(title, QStringLiteral("t"), 10, 2),
                             FrameOptions{90, 200, std::nullopt, std::nullopt, kTopLeading}),
                       QSizeF(90, 200));
    const Element t = elementOf(layout, QStringLiteral("t"));
    ASSERT_EQ(t.lines.size(), 2);
    EXPECT_TRUE(t.truncated);
    EXPECT_TRUE(t.lines.last().endsWith(QChar(0x2026)));
    EXPECT_FALSE(t.lines.first().endsWith(QChar(0x2026)));
}

TEST(LabelKit, UnlimitedTextBreaksAtItsSpaceBeforeShrinkingWhenHeightAllows)
{
    // "Box #12" is too wide for one line at 40 pt in 100 points but fits on two.
    NodePtr box =
        tagged(text(QStringLiteral("Box #12"), options(40, 0, 0.3, HAlign::center)), QStringLiteral("t"));
    LabelLayout tall(stretch(std::move(box), true, true, kCenter), QSizeF(100, 200));
    const Element t = elementOf(tall, QStringLiteral("t"));
    EXPECT_DOUBLE_EQ(t.pointSize, 40);
    EXPECT_EQ(t.lines, QStringList({QStringLiteral("Box"), QStringLiteral("#12")}));

    // With room for one line only it shrinks instead.
    NodePtr flat =
        tagged(text(QStringLiteral("Box #12"), options(40, 0, 0.3, HAlign::center)), QStringLiteral("t"));
    LabelLayout shallow(stretch(std::move(flat), true, true, kCenter), QSizeF(100, 60));
    const Element s = elementOf(shallow, QStringLiteral("t"));
    EXPECT_LT(s.pointSize, 40);
    EXPECT_EQ(s.lines, QStringList({QStringLiteral("Box #12")}));
    EXPECT_LE(s.frame.height(), 60.01);
}

TEST(LabelKit, ColumnSharesLeftoverHeightWithFlexibleChildrenAndSpacesOnlyBetweenOthers)
{
    LabelLayout layout(
        vstack(HAlign::leading, 5,
               nodes(word(QStringLiteral("top"), QStringLiteral("a")),
                     tagged(stretch(fill(Qt::red), true, true, kCenter), QStringLiteral("fill")),
                     word(QStringLiteral("middle"), QStringLiteral("b")), spacer(),
                     word(QStringLiteral("bottom"), QStringLiteral("c")))),
        QSizeF(100, 200));
    const Element a = elementOf(layout, QStringLiteral("a"));
    const Element fillArea = elementOf(layout, QStringLiteral("fill"));
    const Element b = elementOf(layout, QStringLiteral("b"));
    const Element c = elementOf(layout, QStringLiteral("c"));
    EXPECT_DOUBLE_EQ(a.frame.top(), 0);
    EXPECT_NEAR(fillArea.frame.top(), a.frame.bottom() + 5, 1e-9);
    EXPECT_NEAR(b.frame.top(), fillArea.frame.bottom() + 5, 1e-9);
    EXPECT_NEAR(c.frame.bottom(), 200, 1e-9);
    EXPECT_DOUBLE_EQ(fillArea.frame.width(), 100);
    // The fill and the spacer (which has the 5-point spacing as its minimum) split the rest.
    const qreal spacerLength = c.frame.top() - b.frame.bottom();
    EXPECT_NEAR(fillArea.frame.height(), spacerLength, 1e-6);
}

TEST(LabelKit, PaddingFramesAndImagesMeasureAsStated)
{
    QImage wide(400, 100, QImage::Format_ARGB32);
    wide.fill(Qt::blue);
    LabelLayout layout(
        vstack(HAlign::center, 0,
               nodes(padding(tagged(image(wide, QSizeF(60, 40)), QStringLiteral("wide")), Insets{1, 2, 3, 4}),
                     tagged(frame(word(QStringLiteral("x"), QStringLiteral("x")),
                                  FrameOptions{50, 20, std::nullopt, std::nullopt,
                                               Alignment{HAlign::trailing, VAlign::bottom}}),
                            QStringLiteral("cell")))),
        QSizeF(100, 100));
    const Element image = elementOf(layout, QStringLiteral("wide"));
    EXPECT_NEAR(image.frame.width(), 60, 1e-9); // width-limited: 60 × 15
    EXPECT_NEAR(image.frame.height(), 15, 1e-9);
    // Padded column member: 2 + 60 + 4 = 66 wide, centred in 100.
    EXPECT_NEAR(image.frame.left(), (100 - 66) / 2.0 + 2, 1e-9);
    EXPECT_NEAR(image.frame.top(), 1, 1e-9);
    const Element cell = elementOf(layout, QStringLiteral("cell"));
    const Element x = elementOf(layout, QStringLiteral("x"));
    EXPECT_DOUBLE_EQ(cell.frame.width(), 50);
    EXPECT_DOUBLE_EQ(cell.frame.height(), 20);
    EXPECT_NEAR(x.frame.right(), cell.frame.right(), 1e-9);
    EXPECT_NEAR(x.frame.bottom(), cell.frame.bottom(), 1e-9);
}

TEST(LabelKit, EdgeRulesLieOverTheirElementNotBesideIt)
{
    LabelLayout layout(vstack(HAlign::leading, 0,
                              nodes(tagged(edgeRule(padding(word(QStringLiteral("row"), QStringLiteral("t")),
                                                            Insets{0, 0, 4, 0}),
                                                    Edge::bottom, 1, Qt::gray),
                                           QStringLiteral("rule")),
                                    spacer())),
                       QSizeF(80, 50));
    const Element ruleElement = elementOf(layout, QStringLiteral("rule"));
    const Element t = elementOf(layout, QStringLiteral("t"));
    EXPECT_DOUBLE_EQ(ruleElement.frame.height(), 1);
    EXPECT_DOUBLE_EQ(ruleElement.frame.width(), t.frame.width());
    EXPECT_NEAR(ruleElement.frame.bottom(), t.frame.bottom() + 4, 1e-9);
}

TEST(LabelKit, LayoutsAndImagesRefuseSizesThatCannotBeDrawn)
{
    const qreal nan = std::nan("");
    const qreal inf = std::numeric_limits<qreal>::infinity();
    for (const QSizeF bad : {QSizeF(nan, 10), QSizeF(10, inf), QSizeF(0, 10), QSizeF(-5, 10)})
        EXPECT_THROW(LabelLayout(fill(Qt::white), bad), Error);

    const LabelLayout layout(fill(Qt::white), QSizeF(144, 72));
    EXPECT_THROW(layout.toImage(nan), Error);
    EXPECT_THROW(layout.toImage(-300), Error);
    EXPECT_THROW(layout.toImage(1e9), Error); // billions of pixels
    const QImage image = layout.toImage(300);
    EXPECT_EQ(image.size(), QSize(600, 300));
    EXPECT_EQ(image.dotsPerMeterX(), qRound(300 / 0.0254));
}

TEST(LabelKit, ZalgoTextPaintsOnlyWithinItsOwnRow)
{
    const QString zalgo = QStringLiteral("Z̴̡̧̛̛͚͉̖͎͔͚̗̓̂̈́̆̆͗͗̊a") + QString(30, QChar(0x0313)) + QStringLiteral("l") +
                          QString(30, QChar(0x0327)) + QStringLiteral("go");
    const auto emptyRow = [] {
        FrameOptions twelve;
        twelve.height = 12;
        return frame(fill(Qt::transparent), twelve);
    };
    for (const int lines : {1, 0}) {
        SCOPED_TRACE(lines);
        // Empty rows above and below the name (two lines of it when wrapping): any ink
        // in them came from the name's marks.
        const QString name = lines == 1 ? zalgo : zalgo + QStringLiteral("\n") + zalgo;
        LabelLayout layout(
            padding(vstack(HAlign::leading, 0, nodes(emptyRow(), word(name, QStringLiteral("zalgo"), 10, lines),
                                                     emptyRow(), spacer())),
                    Insets::all(20)),
            QSizeF(144, 144));
        const Element row = elementOf(layout, QStringLiteral("zalgo"));
        ASSERT_EQ(row.lines.size(), lines == 1 ? 1 : 2);
        const QImage image = layout.toImage(300);
        int inside = 0;
        int outside = 0;
        for (int y = 0; y < image.height(); ++y) {
            const qreal top = y * 72.0 / 300;
            const bool inRow = top + 72.0 / 300 > row.frame.top() && top < row.frame.bottom();
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 0)
                    (inRow ? inside : outside) += 1;
        }
        EXPECT_GT(inside, 0);
        EXPECT_EQ(outside, 0);
    }
}
