#include "common/error.h"
#include "label_test_support.h"
#include "printing/layouts/individual_label_view.h"
#include "printing/layouts/label_elements.h"
#include "printkit/rendering/text_drawing.h"

#include <QRawFont>

#include <cmath>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;
using labelkit::Element;

namespace {

IndividualLabelView winner(LabelVariant style, qreal w = 162, qreal h = 90, bool circular = false,
                           bool withLogo = false)
{
    return IndividualLabelView(QStringLiteral("kim"), QStringLiteral("12.5"), 42, 7, QStringLiteral("Pin"),
                               QStringLiteral("Sunday show"), style, w, h, circular, appearance(withLogo),
                               0.75);
}

} // namespace

TEST(WinnerLabel, LabelScaleFollowsTheLabelArea)
{
    EXPECT_NEAR(labelparts::labelScale(162, 90), 1.0, 1e-12);
    EXPECT_NEAR(labelparts::labelScale(144, 72), 0.843, 5e-4);
    EXPECT_NEAR(labelparts::labelScale(144, 144), 1.193, 5e-4);
    EXPECT_NEAR(labelparts::labelScale(432, 288), 2.921, 5e-4);
}

TEST(WinnerLabel, WorkedSizesOnA225By125Label)
{
    for (const LabelVariant style : {LabelVariant::bold, LabelVariant::classic}) {
        const auto layout = winner(style).layout();
        EXPECT_DOUBLE_EQ(elementOf(layout, QStringLiteral("buyer")).requestedPointSize, 13.5);
        EXPECT_DOUBLE_EQ(elementOf(layout, QStringLiteral("auction")).requestedPointSize, 13.5);
        EXPECT_DOUBLE_EQ(elementOf(layout, QStringLiteral("box")).requestedPointSize, 12);
        EXPECT_DOUBLE_EQ(elementOf(layout, QStringLiteral("title")).requestedPointSize, 7.5);
        EXPECT_DOUBLE_EQ(elementOf(layout, QStringLiteral("price")).requestedPointSize, 7.5);
        EXPECT_DOUBLE_EQ(elementOf(layout, QStringLiteral("show")).requestedPointSize, 6);
        // Short texts fit at full size.
        EXPECT_DOUBLE_EQ(elementOf(layout, QStringLiteral("buyer")).pointSize, 13.5);
    }

    // The header band: the buyer 7.2 from the left edge, the band 3.96 taller than its row on each side.
    const auto bold = winner(LabelVariant::bold).layout();
    const Element band = elementOf(bold, QStringLiteral("band"));
    const Element buyer = elementOf(bold, QStringLiteral("buyer"));
    const Element auction = elementOf(bold, QStringLiteral("auction"));
    EXPECT_DOUBLE_EQ(band.frame.left(), 0);
    EXPECT_DOUBLE_EQ(band.frame.width(), 162);
    EXPECT_NEAR(buyer.frame.left(), 7.2, 1e-9);
    EXPECT_NEAR(auction.frame.right(), 162 - 7.2, 1e-9); // no logo: the auction line ends at the right edge
    const qreal rowHeight = std::max(buyer.frame.height(), auction.frame.height());
    EXPECT_NEAR(band.frame.height(), rowHeight + 2 * 3.96, 1e-9);
    EXPECT_EQ(buyer.color, QColor(Qt::white));
    EXPECT_EQ(band.color, labelparts::grey(0.067));
}

TEST(WinnerLabel, LogoFitsInThirtyPercentOfTheWidthAndItsMaximumHeight)
{
    LabelAppearance look;
    look.logoImage = sampleLogo(1000, 100); // very wide: width-limited
    IndividualLabelView wide(QStringLiteral("kim"), QStringLiteral("1"), std::nullopt, std::nullopt,
                             std::nullopt, QString(), LabelVariant::bold, 162, 90, false, look, 0.75);
    const Element wideLogo = elementOf(wide.layout(), QStringLiteral("logo"));
    EXPECT_NEAR(wideLogo.frame.width(), 48.6, 1e-9);
    EXPECT_NEAR(wideLogo.frame.right(), 162 - 7.2, 1e-9);

    look.logoImage = sampleLogo(100, 1000); // very tall: height-limited
    IndividualLabelView tall(QStringLiteral("kim"), QStringLiteral("1"), std::nullopt, std::nullopt,
                             std::nullopt, QString(), LabelVariant::classic, 162, 90, false, look, 0.75);
    EXPECT_NEAR(elementOf(tall.layout(), QStringLiteral("logo")).frame.height(), 20.25, 1e-9);

    // Minimal: 24·s·px above the buyer line.
    look.logoImage = sampleLogo(100, 1000);
    IndividualLabelView minimal(QStringLiteral("kim"), QStringLiteral("1"), std::nullopt, std::nullopt,
                                std::nullopt, QString(), LabelVariant::minimal, 162, 90, false, look, 0.75);
    const auto layout = minimal.layout();
    EXPECT_NEAR(elementOf(layout, QStringLiteral("logo")).frame.height(), 18, 1e-9);
    EXPECT_LE(elementOf(layout, QStringLiteral("logo")).frame.bottom(),
              elementOf(layout, QStringLiteral("buyer")).frame.top() + 1e-9);
}

TEST(WinnerLabel, CircleKeepsItsContentAwayFromTheEdgeAndCentresIt)
{
    for (const LabelVariant style : kAllLabelVariants) {
        const auto layout = winner(style, 144, 144, true, true).layout();
        const Element content = elementOf(layout, QStringLiteral("content"));
        EXPECT_NEAR(content.frame.left(), 21.024, 1e-9);
        EXPECT_NEAR(content.frame.right(), 144 - 21.024, 1e-9);
        EXPECT_FALSE(layout.contains(QStringLiteral("show"))) << rawValue(style).toStdString();
        // Header items sit side by side in the middle: no flexible space between them.
        const Element buyer = elementOf(layout, QStringLiteral("buyer"));
        const Element logo = elementOf(layout, QStringLiteral("logo"));
        const qreal left = std::min(buyer.frame.left(), logo.frame.left());
        const qreal right =
            std::max(elementOf(layout, QStringLiteral("auction")).frame.right(), logo.frame.right());
        EXPECT_NEAR((left + right) / 2, 72, 0.05) << rawValue(style).toStdString();
        // Details are centred too.
        EXPECT_NEAR(elementOf(layout, QStringLiteral("price")).frame.center().x(), 72, 0.05);
    }
    const auto bold = winner(LabelVariant::bold, 144, 144, true).layout();
    EXPECT_NEAR(elementOf(bold, QStringLiteral("content")).frame.top(), 21.024, 1e-9);
}

TEST(WinnerLabel, PresenceOfOptionalLines)
{
    // Show title: rectangles in bold and classic only.
    EXPECT_TRUE(winner(LabelVariant::bold).layout().contains(QStringLiteral("show")));
    EXPECT_TRUE(winner(LabelVariant::classic).layout().contains(QStringLiteral("show")));
    EXPECT_FALSE(winner(LabelVariant::minimal).layout().contains(QStringLiteral("show")));
    EXPECT_TRUE(winner(LabelVariant::classic).layout().contains(QStringLiteral("rule")));
    EXPECT_FALSE(winner(LabelVariant::bold).layout().contains(QStringLiteral("rule")));

    // No auction number, box number, title or logo: none of their elements, and the
    // details start with the price.
    for (const LabelVariant style : kAllLabelVariants) {
        IndividualLabelView bare(QStringLiteral("kim"), QStringLiteral("3"), std::nullopt, std::nullopt,
                                 std::nullopt, QStringLiteral("Show"), style, 162, 90, false, appearance(),
                                 0.75);
        const auto layout = bare.layout();
        for (const char *tag : {"auction", "box", "title", "logo"})
            EXPECT_FALSE(layout.contains(QString::fromLatin1(tag)))
                << tag << " in " << rawValue(style).toStdString();
        if (style != LabelVariant::minimal) {
            EXPECT_NEAR(elementOf(layout, QStringLiteral("price")).frame.top(),
                        elementOf(layout, QStringLiteral("details")).frame.top(), 1e-9);
        }
    }
}

TEST(WinnerLabel, PricesAreShownWithTwoDecimals)
{
    EXPECT_EQ(labelparts::priceText(QStringLiteral("12.5")), QStringLiteral("$12.50"));
    EXPECT_EQ(labelparts::priceText(QStringLiteral("$12.5")), QStringLiteral("$12.50"));
    EXPECT_EQ(labelparts::priceText(QStringLiteral("7")), QStringLiteral("$7.00"));
    EXPECT_EQ(labelparts::priceText(QStringLiteral("$12.50")), QStringLiteral("$12.50"));
    EXPECT_EQ(labelparts::priceText(QString()), QStringLiteral("$"));
    EXPECT_EQ(labelparts::priceText(QStringLiteral("$1,200")),
              QStringLiteral("$1,200")); // not an amount: as it stands
    EXPECT_EQ(labelparts::priceText(*Decimal::fromString(u"0.1")), QStringLiteral("$0.10"));

    const auto layout = winner(LabelVariant::minimal).layout();
    EXPECT_EQ(elementOf(layout, QStringLiteral("price")).lines, QStringList{QStringLiteral("$12.50")});
}

TEST(WinnerLabel, LongBuyerNameShrinksThenEndsInAnEllipsisOnOneLine)
{
    const QString name =
        QStringLiteral("the_longest_buyer_name_anyone_has_ever_typed_into_a_marketplace_profile");
    for (const LabelVariant style : kAllLabelVariants) {
        // A title too long for two lines even at 30 % of its size.
        const QString title = QStringLiteral("An item title that goes on and on. ").repeated(12);
        IndividualLabelView view(name, QStringLiteral("1"), 42, 7, title, QStringLiteral("Show"), style, 162,
                                 90, false, appearance(), 0.75);
        const auto layout = view.layout();
        const Element buyer = elementOf(layout, QStringLiteral("buyer"));
        EXPECT_NEAR(buyer.pointSize, 13.5 * 0.3, 1e-9) << rawValue(style).toStdString();
        ASSERT_EQ(buyer.lines.size(), 1);
        EXPECT_TRUE(buyer.lines.first().endsWith(QChar(0x2026)));
        EXPECT_LE(buyer.frame.right(), 162 - 7.2 + 0.02);
        const Element shown = elementOf(layout, QStringLiteral("title"));
        EXPECT_EQ(shown.lines.size(), 2);
        EXPECT_NEAR(shown.pointSize, 7.5 * 0.3, 1e-9);
        EXPECT_TRUE(shown.lines.last().endsWith(QChar(0x2026)));
    }
}

TEST(WinnerLabel, LargerLabelsAndPreviewsScaleEverythingButTheRule)
{
    const auto landscape = winner(LabelVariant::bold, 432, 288).layout();
    EXPECT_NEAR(elementOf(landscape, QStringLiteral("buyer")).requestedPointSize, 18 * 2.921 * 0.75,
                0.01); // about 39.4

    const auto normal = winner(LabelVariant::classic, 144, 72).layout();
    const auto doubled = winner(LabelVariant::classic, 288, 144).layout();
    for (const char *tag : {"buyer", "box", "title", "price", "show"})
        EXPECT_NEAR(elementOf(doubled, QString::fromLatin1(tag)).requestedPointSize,
                    2 * elementOf(normal, QString::fromLatin1(tag)).requestedPointSize, 1e-9)
            << tag;
    EXPECT_NEAR(elementOf(doubled, QStringLiteral("buyer")).frame.left(),
                2 * elementOf(normal, QStringLiteral("buyer")).frame.left(), 1e-9);
    EXPECT_DOUBLE_EQ(elementOf(normal, QStringLiteral("rule")).frame.height(), 1);
    EXPECT_DOUBLE_EQ(elementOf(doubled, QStringLiteral("rule")).frame.height(), 1);
}

TEST(WinnerLabel, MinimalColumnIsCentredOnTheLabel)
{
    const auto layout = winner(LabelVariant::minimal).layout();
    const Element content = elementOf(layout, QStringLiteral("content"));
    EXPECT_NEAR(content.frame.top(), 90 - content.frame.bottom(), 1e-9);
    EXPECT_NEAR(elementOf(layout, QStringLiteral("box")).frame.center().x(), 81, 1e-6);
    const Element buyer = elementOf(layout, QStringLiteral("buyer"));
    const Element auction = elementOf(layout, QStringLiteral("auction"));
    EXPECT_NEAR(auction.frame.left() - buyer.frame.right(), 6 * 0.75, 1e-9);
}

TEST(WinnerLabel, ColourModeDoesNotChangeTheDrawing)
{
    LabelAppearance colour = appearance(true);
    colour.colorMode = LabelColorMode::color;
    LabelAppearance mono = colour;
    mono.colorMode = LabelColorMode::blackAndWhite;
    const auto make = [](const LabelAppearance &look) {
        return IndividualLabelView(QStringLiteral("kim"), QStringLiteral("2"), 1, 2, QStringLiteral("Pin"),
                                   QStringLiteral("Show"), LabelVariant::bold, 144, 72, false, look, 0.75)
            .layout()
            .toImage(300);
    };
    EXPECT_EQ(make(colour), make(mono));
}

TEST(WinnerLabel, AbsurdSizesAreRefusedWithAClearError)
{
    const qreal nan = std::nan("");
    const qreal inf = std::numeric_limits<qreal>::infinity();
    for (const auto &[w, h, px] :
         {std::tuple{nan, 90.0, 0.75}, std::tuple{162.0, inf, 0.75}, std::tuple{162.0, 90.0, nan},
          std::tuple{-1.0, 90.0, 0.75}, std::tuple{1e9, 90.0, 0.75}, std::tuple{162.0, 0.0, 0.75}})
        EXPECT_THROW(IndividualLabelView(QStringLiteral("kim"), QStringLiteral("1"), 1, 1, std::nullopt,
                                         QString(), LabelVariant::bold, w, h, false, appearance(), px),
                     Error);
    IndividualLabelView view = winner(LabelVariant::bold);
    view.heightPts = nan; // changed after creation
    EXPECT_THROW(view.layout(), Error);
}

namespace {

// The first family of the font's chain whose own face has the character, or nothing.
QString coveringFamily(const QFont &font, char32_t codePoint)
{
    for (const QString &family : font.families()) {
        QFont face(family);
        face.setPointSizeF(font.pointSizeF());
        const QRawFont raw = QRawFont::fromFont(face);
        // A family that is not installed comes back as some other face; it covers nothing.
        if (raw.isValid() && raw.familyName().compare(family, Qt::CaseInsensitive) == 0 &&
            raw.supportsCharacter(codePoint))
            return family;
    }
    return {};
}

bool isColourful(QRgb pixel)
{
    const int high = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    const int low = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    return qAlpha(pixel) > 128 && high - low > 60;
}

} // namespace

TEST(WinnerLabel, EmojiInABuyersNameAreDrawnNotBoxed)
{
    const QString name = QStringLiteral("\U0001F984unicorn.fan");
    for (const LabelVariant style : {LabelVariant::bold, LabelVariant::classic, LabelVariant::minimal}) {
        for (const LabelFontChoice choice : kAllLabelFontChoices) {
            SCOPED_TRACE(::testing::Message() << "style " << int(style) << ", font " << int(choice));
            const IndividualLabelView view(name, QStringLiteral("12.5"), 42, 7, QStringLiteral("Pin"),
                                           QStringLiteral("Sunday show"), style, 162, 90, false,
                                           appearance(false, choice), 0.75);
            const auto layout = view.layout();
            const Element buyer = elementOf(layout, QStringLiteral("buyer"));
            ASSERT_EQ(buyer.lines.size(), 1);
            const QString line = buyer.lines.first();
            ASSERT_TRUE(line.contains(name)) << line.toStdString();

            // Every character of the name has a glyph in the chosen face or a family after it.
            for (const char32_t codePoint : line.toUcs4())
                EXPECT_FALSE(coveringFamily(buyer.font, codePoint).isEmpty())
                    << "no family of " << buyer.font.families().join(QLatin1Char(',')).toStdString()
                    << " draws U+" << std::hex << quint32(codePoint);

            // The colour glyph itself is painted where the emoji stands: every other text is grey.
            printkit::TextStyle textStyle;
            textStyle.font = buyer.font;
            const QString head = line.left(line.indexOf(name) + 2); // up to and with the emoji
            const auto measured = printkit::layoutText(head, QRectF(0, 0, 1e6, 1e6), textStyle);
            ASSERT_EQ(measured.size(), 1);
            const qreal emojiRight = buyer.frame.left() + measured.first().rect.width();
            const qreal emojiLeft = emojiRight - buyer.frame.height();
            const QImage image = layout.toImage(300);
            int colourful = 0;
            for (int y = int(buyer.frame.top() * 300 / 72); y < int(buyer.frame.bottom() * 300 / 72); ++y)
                for (int x = int(emojiLeft * 300 / 72); x < int(emojiRight * 300 / 72); ++x)
                    colourful += isColourful(image.pixel(x, y)) ? 1 : 0;
            EXPECT_GT(colourful, 20);
        }
    }
}
