#include "label_test_support.h"
#include "printing/layouts/box_label_view.h"
#include "printing/layouts/label_elements.h"

#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;
using labelkit::Element;

namespace {

BoxLabelView boxLabel(LabelVariant style, int number = 7,
                      std::optional<QString> show = QStringLiteral("Sunday show"), qreal w = 144,
                      qreal h = 72, bool circular = false, bool withLogo = false)
{
    return BoxLabelView(QStringLiteral("kim"), number, std::move(show), style, w, h, circular,
                        appearance(withLogo), 0.75);
}

} // namespace

TEST(BoxLabel, BoxLineIsThePlainNumber)
{
    EXPECT_EQ(elementOf(boxLabel(LabelVariant::bold, 7).layout(), QStringLiteral("box")).lines,
              QStringList{QStringLiteral("Box #7")});
    EXPECT_EQ(elementOf(boxLabel(LabelVariant::minimal, 12).layout(), QStringLiteral("box")).lines,
              QStringList{QStringLiteral("Box #12")});
}

TEST(BoxLabel, WorkedSizesOnA2By1LabelAndA2InchCircle)
{
    const auto rectangle = boxLabel(LabelVariant::bold).layout();
    EXPECT_NEAR(elementOf(rectangle, QStringLiteral("box")).requestedPointSize, 17.7, 0.05);
    EXPECT_NEAR(elementOf(rectangle, QStringLiteral("buyer")).requestedPointSize, 11.4, 0.05);

    const auto circle = boxLabel(LabelVariant::bold, 7, std::nullopt, 144, 144, true).layout();
    EXPECT_NEAR(elementOf(circle, QStringLiteral("box")).requestedPointSize, 25.0, 0.05);
    const Element content = elementOf(circle, QStringLiteral("content"));
    EXPECT_NEAR(content.frame.left(), 21.024, 1e-9);
    EXPECT_NEAR(content.frame.top(), 21.024, 1e-9);
    EXPECT_NEAR(content.frame.bottom(), 144 - 21.024, 1e-9);

    const auto classic = boxLabel(LabelVariant::classic).layout();
    const qreal s = labelparts::labelScale(144, 72);
    EXPECT_NEAR(elementOf(classic, QStringLiteral("buyer")).requestedPointSize, 14 * s * 0.75, 1e-9);
    EXPECT_NEAR(elementOf(classic, QStringLiteral("box")).requestedPointSize, 26 * s * 0.75, 1e-9);
    EXPECT_NEAR(elementOf(classic, QStringLiteral("show")).requestedPointSize, 6 * s * 0.75, 1e-9);
    const auto minimal = boxLabel(LabelVariant::minimal).layout();
    EXPECT_NEAR(elementOf(minimal, QStringLiteral("buyer")).requestedPointSize, 16 * s * 0.75, 1e-9);
    EXPECT_NEAR(elementOf(minimal, QStringLiteral("box")).requestedPointSize, 24 * s * 0.75, 1e-9);
}

TEST(BoxLabel, ShowTitleOnlyInClassicAtTheBottom)
{
    EXPECT_FALSE(boxLabel(LabelVariant::bold).layout().contains(QStringLiteral("show")));
    EXPECT_FALSE(boxLabel(LabelVariant::minimal).layout().contains(QStringLiteral("show")));

    const auto withShow = boxLabel(LabelVariant::classic).layout();
    const qreal s = labelparts::labelScale(144, 72);
    const Element show = elementOf(withShow, QStringLiteral("show"));
    EXPECT_NEAR(show.frame.bottom(), 72 - 4.32 * s, 1e-9);
    EXPECT_NEAR(show.frame.center().x(), 72, 1e-6);
    EXPECT_LE(elementOf(withShow, QStringLiteral("box")).frame.bottom(), show.frame.top() + 1e-9);

    // Without it the box line's room reaches the label's bottom edge: the box line
    // sits lower than with a show title.
    const auto without = boxLabel(LabelVariant::classic, 7, std::nullopt).layout();
    EXPECT_FALSE(without.contains(QStringLiteral("show")));
    const Element rule = elementOf(without, QStringLiteral("rule"));
    const Element box = elementOf(without, QStringLiteral("box"));
    const qreal roomTop = rule.frame.bottom() + 3 * s * 0.75;
    EXPECT_NEAR(box.frame.center().y(), (roomTop + 72) / 2, 1e-6);
}

TEST(BoxLabel, CircleCentresTheHeaderAndRectangleSendsTheLogoRight)
{
    const auto circle = boxLabel(LabelVariant::classic, 7, std::nullopt, 144, 144, true, true).layout();
    const Element buyer = elementOf(circle, QStringLiteral("buyer"));
    const Element logo = elementOf(circle, QStringLiteral("logo"));
    EXPECT_NEAR((buyer.frame.left() + logo.frame.right()) / 2, 72, 0.05);

    const auto rectangle = boxLabel(LabelVariant::bold, 7, std::nullopt, 144, 72, false, true).layout();
    const qreal s = labelparts::labelScale(144, 72);
    EXPECT_NEAR(elementOf(rectangle, QStringLiteral("logo")).frame.right(), 144 - 7.2 * s, 1e-9);
    EXPECT_NEAR(elementOf(rectangle, QStringLiteral("buyer")).frame.left(), 7.2 * s, 1e-9);
    EXPECT_LE(elementOf(rectangle, QStringLiteral("logo")).frame.height(), 27 * s * 0.75 + 1e-9);
}

TEST(BoxLabel, TooWideBoxLineBreaksAtItsSpaceOrShrinks)
{
    // 2 in circle, classic: "Box #12" at 26·s·px is a little too wide for the column.
    const auto circle = boxLabel(LabelVariant::classic, 12, std::nullopt, 144, 144, true).layout();
    EXPECT_EQ(elementOf(circle, QStringLiteral("box")).lines,
              QStringList({QStringLiteral("Box"), QStringLiteral("#12")}));

    // A huge number on a narrow label shrinks, at most to 30 %, and stays inside the label.
    const auto narrow = boxLabel(LabelVariant::bold, 123456789, std::nullopt, 72, 72).layout();
    const Element box = elementOf(narrow, QStringLiteral("box"));
    EXPECT_LT(box.pointSize, box.requestedPointSize);
    EXPECT_GE(box.pointSize, box.requestedPointSize * 0.3 - 1e-9);
    EXPECT_GE(box.frame.left(), -1e-9);
    EXPECT_LE(box.frame.right(), 72 + 1e-9);
}

TEST(BoxLabel, LongBuyerNameShrinksThenIsCut)
{
    BoxLabelView view(QStringLiteral("someone_with_a_remarkably_long_name_").repeated(4), 3, std::nullopt,
                      LabelVariant::minimal, 144, 72, false, appearance(), 0.75);
    const Element buyer = elementOf(view.layout(), QStringLiteral("buyer"));
    EXPECT_NEAR(buyer.pointSize, buyer.requestedPointSize * 0.3, 1e-9);
    ASSERT_EQ(buyer.lines.size(), 1);
    EXPECT_TRUE(buyer.truncated);
}
