#include "printkit/rendering/text_drawing.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace printkit;

namespace {

TextStyle style(qreal points, TextWrap wrap = TextWrap::singleLine, Qt::Alignment alignment = Qt::AlignLeft)
{
    TextStyle s;
    s.font = QFont(QStringLiteral("DejaVu Sans"));
    s.font.setPointSizeF(points);
    s.font.setHintingPreference(QFont::PreferNoHinting);
    s.wrap = wrap;
    s.alignment = alignment;
    return s;
}

QImage imageAtDpi(int width, int height, double dpi)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

// Rows holding dark pixels: first and one past the last.
std::pair<int, int> inkRows(const QImage &image)
{
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                if (top < 0)
                    top = y;
                bottom = y + 1;
                break;
            }
    return {top, bottom};
}

const QString kDetail =
    QStringLiteral("General print sample label for shape, margin, and feed calibration checks.");

} // namespace

TEST(TextDrawing, PointSizesAreUserUnitsOnDevicesOfAnyResolution)
{
    // A capital H of 50 points, painted 4x: its cap height (0.729 em in this family)
    // must be 4 × 36.5 pixels whatever resolution the image claims.
    for (const double dpi : {72.0, 96.0, 288.0, 300.0}) {
        QImage image = imageAtDpi(400, 400, dpi);
        {
            QPainter painter(&image);
            painter.scale(4, 4);
            drawText(painter, QStringLiteral("H"), QRectF(10, 10, 80, 80), style(50));
        }
        const auto [top, bottom] = inkRows(image);
        ASSERT_GE(top, 0) << dpi;
        EXPECT_NEAR(bottom - top, 4 * 50 * 0.729, 3.0) << dpi;
    }
}

TEST(TextDrawing, SingleLineFitsOrEndsInAnEllipsis)
{
    const auto fits = layoutText(QStringLiteral("Format Test"), QRectF(5, 7, 200, 20), style(10));
    ASSERT_EQ(fits.size(), 1);
    EXPECT_EQ(fits[0].text, QStringLiteral("Format Test"));
    EXPECT_FALSE(fits[0].truncated);
    EXPECT_DOUBLE_EQ(fits[0].rect.left(), 5);
    EXPECT_DOUBLE_EQ(fits[0].rect.top(), 7);
    EXPECT_GT(fits[0].rect.height(), 10);

    const auto cut = layoutText(kDetail, QRectF(0, 0, 80, 20), style(10));
    ASSERT_EQ(cut.size(), 1);
    EXPECT_TRUE(cut[0].truncated);
    EXPECT_TRUE(cut[0].text.endsWith(QChar(0x2026)));
    EXPECT_TRUE(kDetail.startsWith(cut[0].text.chopped(1)));
    EXPECT_LE(cut[0].rect.width(), 80.01);
    // It used the room it had: one more character would not have fitted.
    EXPECT_GT(cut[0].rect.width(), 80 - 12);

    // Line breaks do not start new lines in a one-line text.
    const auto flat = layoutText(QStringLiteral("a\nb"), QRectF(0, 0, 200, 40), style(10));
    ASSERT_EQ(flat.size(), 1);
    EXPECT_EQ(flat[0].text, QStringLiteral("a b"));
}

TEST(TextDrawing, CentredLinesSitInTheMiddleOfTheRect)
{
    const auto lines =
        layoutText(QStringLiteral("PRINT KIT"), QRectF(10, 0, 200, 20), style(8, TextWrap::singleLine, Qt::AlignHCenter));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_NEAR(lines[0].rect.center().x(), 110, 1e-9);
}

TEST(TextDrawing, WrappedTextKeepsTheLinesThatFitAndCutsTheLastOne)
{
    const QRectF rect(0, 0, 100, 34);
    const auto lines = layoutText(kDetail, rect, style(9, TextWrap::wordWrap));
    ASSERT_FALSE(lines.isEmpty());
    const qreal lineHeight = lines[0].rect.height();
    EXPECT_EQ(lines.size(), static_cast<qsizetype>(std::floor(34 / lineHeight)));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(rect.contains(lines[i].rect.adjusted(0.01, 0.01, -0.01, -0.01))) << i;
        EXPECT_EQ(lines[i].truncated, i == lines.size() - 1) << i;
        if (i > 0) {
            EXPECT_DOUBLE_EQ(lines[i].rect.top(), lines[i - 1].rect.bottom());
        }
    }
    EXPECT_TRUE(lines.last().text.endsWith(QChar(0x2026)));
    // Lines before the last break between words.
    EXPECT_TRUE(kDetail.startsWith(lines[0].text + QLatin1Char(' ')));

    // With room for everything nothing is cut, and the words are all there.
    const auto all = layoutText(kDetail, QRectF(0, 0, 100, 500), style(9, TextWrap::wordWrap));
    QStringList texts;
    for (const TextLine &line : all) {
        EXPECT_FALSE(line.truncated);
        texts.append(line.text);
    }
    EXPECT_EQ(texts.join(QLatin1Char(' ')), kDetail);
}

TEST(TextDrawing, HardBreaksStartNewLines)
{
    const auto lines = layoutText(QStringLiteral("one\ntwo"), QRectF(0, 0, 200, 100), style(9, TextWrap::wordWrap));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].text, QStringLiteral("one"));
    EXPECT_EQ(lines[1].text, QStringLiteral("two"));

    // Only the first line fits: it is marked as cut although its own text is whole.
    const qreal lineHeight = lines[0].rect.height();
    const auto first =
        layoutText(QStringLiteral("one\ntwo"), QRectF(0, 0, 200, lineHeight + 1), style(9, TextWrap::wordWrap));
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(first[0].text, QStringLiteral("one") + QChar(0x2026));
}

TEST(TextDrawing, FirstLineSurvivesAShortRectButNothingFillsAnEmptyOne)
{
    // A line never vanishes because its rect is a little short; further lines do.
    const auto wrapped = layoutText(kDetail, QRectF(0, 0, 100, 5), style(9, TextWrap::wordWrap));
    ASSERT_EQ(wrapped.size(), 1);
    EXPECT_TRUE(wrapped[0].truncated);
    EXPECT_EQ(layoutText(QStringLiteral("x"), QRectF(0, 0, 100, 5), style(9)).size(), 1);

    EXPECT_TRUE(layoutText(kDetail, QRectF(0, 0, 0, 40), style(9, TextWrap::wordWrap)).isEmpty());
    EXPECT_TRUE(layoutText(kDetail, QRectF(0, 0, 100, 0), style(9, TextWrap::wordWrap)).isEmpty());
    EXPECT_TRUE(layoutText(QString(), QRectF(0, 0, 100, 40), style(9)).isEmpty());

    QImage image = imageAtDpi(100, 100, 72);
    {
        QPainter painter(&image);
        EXPECT_TRUE(drawText(painter, kDetail, QRectF(0, 0, 0, 40), style(9, TextWrap::wordWrap)).isEmpty());
    }
    EXPECT_EQ(inkRows(image).first, -1);
}

TEST(TextDrawing, LetterSpacingWidensEveryCharacter)
{
    const QString text = QStringLiteral("ABCDEFGHIJ");
    TextStyle spaced = style(10);
    spaced.letterSpacing = 1.5;
    const auto plain = layoutText(text, QRectF(0, 0, 500, 20), style(10));
    const auto wide = layoutText(text, QRectF(0, 0, 500, 20), spaced);
    ASSERT_EQ(plain.size(), 1);
    ASSERT_EQ(wide.size(), 1);
    EXPECT_NEAR(wide[0].rect.width() - plain[0].rect.width(), text.size() * 1.5, 0.5);
}

TEST(TextDrawing, DrawsInTheGivenColourInsideTheLineBox)
{
    QImage image = imageAtDpi(200, 60, 72);
    TextStyle red = style(20);
    red.color = Qt::red;
    QList<TextLine> lines;
    {
        QPainter painter(&image);
        lines = drawText(painter, QStringLiteral("HH"), QRectF(30, 10, 160, 40), red);
    }
    ASSERT_EQ(lines.size(), 1);
    const QRect box = lines[0].rect.toAlignedRect();
    int inside = 0, outside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60) // solid red ink
                (box.contains(x, y) ? inside : outside)++;
        }
    }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
}

TEST(TextDrawing, TabsAndOtherControlCharactersAreOneSpaceEach)
{
    struct Case
    {
        const char *name;
        QString text;
        QString expected;
    };
    const QList<Case> cases{
        {"tab", QStringLiteral("Pin\tset"), QStringLiteral("Pin set")},
        {"two tabs", QStringLiteral("Pin\t\tset"), QStringLiteral("Pin  set")},
        {"bell and escape", QStringLiteral("Pin\x07set\x1bX"), QStringLiteral("Pin set X")},
        {"C1 control", QStringLiteral("Pin") + QChar(0x85) + QStringLiteral("set"), QStringLiteral("Pin set")},
    };
    for (const TextWrap wrap : {TextWrap::singleLine, TextWrap::wordWrap}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name);
            const QRectF room(0, 0, 500, 100);
            const QList<TextLine> lines = layoutText(c.text, room, style(10, wrap));
            const QList<TextLine> spaced = layoutText(c.expected, room, style(10, wrap));
            ASSERT_EQ(lines.size(), 1);
            ASSERT_EQ(spaced.size(), 1);
            EXPECT_EQ(lines.first().text, c.expected);
            // A tab stop would have widened the line.
            EXPECT_NEAR(lines.first().rect.width(), spaced.first().rect.width(), 1e-9);
        }
    }
}

TEST(TextDrawing, StackedCombiningMarksStayInsideTheirOwnRow)
{
    // Marks stacked above and below each letter reach far past the line in every font.
    const QString above = QStringLiteral("Z") + QString(24, QChar(0x0313)) + QStringLiteral("a") +
                          QString(24, QChar(0x0308)) + QStringLiteral("lgo");
    const QString below = QStringLiteral("Z") + QString(24, QChar(0x0327)) + QStringLiteral("a") +
                          QString(24, QChar(0x0316)) + QStringLiteral("lgo");
    const QString both = QStringLiteral("Z̴̡̧̛̛͚͉̖͎͔͚̗̓̂̈́̆̆͗͗̊a") + above + below;
    for (const TextWrap wrap : {TextWrap::singleLine, TextWrap::wordWrap}) {
        for (const QString &text : {above, below, both}) {
            QImage image = imageAtDpi(600, 600, 300);
            const QRectF row(10, 60, 120, 14); // points; the image is 144 × 144 points
            QList<TextLine> lines;
            {
                QPainter painter(&image);
                painter.scale(300.0 / 72, 300.0 / 72);
                lines = drawText(painter, text, row, style(10, wrap));
            }
            ASSERT_EQ(lines.size(), 1);
            const QRectF box = lines.first().rect;
            const auto [top, bottom] = inkRows(image);
            ASSERT_GE(top, 0) << "nothing was drawn";
            EXPECT_GE(top, std::floor(box.top() * 300 / 72)) << "marks painted over the row above";
            EXPECT_LE(bottom, std::ceil(box.bottom() * 300 / 72)) << "marks painted over the row below";
        }
    }
}
