// The canvas element views painted into images: colours, the locked look, image fits
// as they print, the grid, guides, and the resize drag on the selection handles.
#include "designer_fixtures.h"
#include "ui/designer/alignment_guides_overlay.h"
#include "ui/designer/element_view.h"
#include "ui/designer/grid_overlay.h"
#include "ui/designer/selection_handles.h"

#include <QBuffer>
#include <QPainter>
#include <gtest/gtest.h>

using namespace quill;
using quill::testing::textElement;

namespace {

QImage blankCanvas(int width, int height, double scale = 1)
{
    QImage image(qRound(width * scale), qRound(height * scale), QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

template <typename Paint> QImage painted(QImage image, double scale, Paint paint)
{
    QPainter painter(&image);
    painter.scale(scale, scale);
    paint(painter);
    return image;
}

// The darkest pixel and whether any pixel is clearly coloured.
struct Ink
{
    int darkest = 255;
    bool coloured = false;
};
Ink inkOf(const QImage &image)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            ink.darkest = std::min(ink.darkest, qGray(c.rgb()));
            ink.coloured |= std::abs(c.red() - c.blue()) > 60;
        }
    return ink;
}

LabelElement textIn(const QString &color)
{
    LabelElement e = textElement(0, 0);
    auto &p = std::get<TextProperties>(e.kind);
    p.content = QStringLiteral("MMMM");
    p.fontSize = 30;
    p.fontWeight = FontWeightValue::black;
    p.color = color;
    e.frame = ElementFrame{0, 0, 120, 40};
    return e;
}

QImage wideRed()
{
    QImage image(80, 40, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image;
}

QByteArray pngBytesOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

TEST(ElementViews, ColorFromHexTable)
{
    const struct
    {
        const char *text;
        std::optional<QRgb> rgb;
    } cases[] = {
        {"#FF0000", qRgb(255, 0, 0)}, {"  ff0000 \n", qRgb(255, 0, 0)}, {"#00ff7f", qRgb(0, 255, 127)},
        {"FF000", std::nullopt},      {"#FF00000", std::nullopt},       {"12ZZZZ", qRgb(0, 0, 0x12)},
        {"ZZ1234", std::nullopt},     {"##FF0000", std::nullopt},       {"red", std::nullopt},
        {"", std::nullopt},           {"#ÿÿÿÿÿÿ", std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<QColor> color = colorFromHex(QString::fromUtf8(c.text));
        ASSERT_EQ(color.has_value(), c.rgb.has_value()) << c.text;
        if (c.rgb) {
            EXPECT_EQ(color->rgb(), *c.rgb) << c.text;
        }
    }
}

TEST(ElementViews, TextColourLockAndVariables)
{
    const auto paint = [](const LabelElement &e) {
        return inkOf(painted(blankCanvas(120, 40), 1, [&](QPainter &p) { ElementView(e, false, 1).paint(p); }));
    };
    const Ink red = paint(textIn(QStringLiteral("#FF0000")));
    EXPECT_TRUE(red.coloured);
    const Ink bad = paint(textIn(QStringLiteral("red")));
    EXPECT_FALSE(bad.coloured);
    EXPECT_LT(bad.darkest, 40) << "a colour that does not parse draws black";

    LabelElement locked{QUuid::createUuid(),
                        QRCodeProperties{QStringLiteral("lock"), QRCorrectionLevel::low, false},
                        ElementFrame{0, 0, 120, 40},
                        0,
                        true,
                        0};
    EXPECT_NEAR(paint(locked).darkest, qRound(255 * 0.3), 2) << "locked elements draw at 0.7";
    locked.isLocked = false;
    EXPECT_EQ(paint(locked).darkest, 0);

    EXPECT_EQ(ElementView::displayedText(QStringLiteral("{{price}} box {{boxNumber}}"), true),
              QStringLiteral("$12.95 box 4"));
    EXPECT_EQ(ElementView::displayedText(QStringLiteral("{{price}}"), false), QStringLiteral("{{price}}"));
}

TEST(ElementViews, ImagesFitAsTheyPrint)
{
    const QByteArray png = pngBytesOf(wideRed());
    const struct
    {
        ObjectFitValue fit;
        bool cornersRed;
    } cases[] = {
        {ObjectFitValue::contain, false}, {ObjectFitValue::cover, true}, {ObjectFitValue::fill, true}};
    for (const auto &c : cases) {
        const LabelElement e{
            QUuid::createUuid(), ImageProperties{png, c.fit}, ElementFrame{10, 10, 40, 40}, 0, false, 0};
        const QImage image =
            painted(blankCanvas(60, 60, 2), 2, [&](QPainter &p) { ElementView(e, false, 1).paint(p); });
        for (const QPoint corner : {QPoint(21, 21), QPoint(98, 21), QPoint(21, 98), QPoint(98, 98)})
            EXPECT_EQ(image.pixelColor(corner) == QColor(Qt::red), c.cornersRed)
                << rawValue(c.fit).toStdString();
        EXPECT_EQ(image.pixelColor(60, 60), QColor(Qt::red));
        // Nothing reaches outside the frame, cover included.
        EXPECT_EQ(image.pixelColor(10, 60), QColor(Qt::white)) << rawValue(c.fit).toStdString();
    }
    const QRectF cover =
        ElementView::imageTarget(QSizeF(80, 40), QRectF(0, 0, 40, 40), ObjectFitValue::cover);
    EXPECT_EQ(cover, QRectF(-20, 0, 80, 40));

    // Bytes that do not decode show the grey placeholder, not a blank frame.
    const LabelElement broken{QUuid::createUuid(),
                              ImageProperties{QByteArray("nope"), ObjectFitValue::fill},
                              ElementFrame{0, 0, 60, 60},
                              0,
                              false,
                              0};
    const QImage placeholder =
        painted(blankCanvas(60, 60), 1, [&](QPainter &p) { ElementView(broken, false, 1).paint(p); });
    EXPECT_LT(qGray(placeholder.pixel(5, 5)), 250);
}

TEST(ElementViews, GridLinesAndGuides)
{
    const QList<double> x8 = GridOverlay::linePositions(162, 8);
    EXPECT_EQ(x8.size(), 20);
    EXPECT_EQ(x8.first(), 8);
    EXPECT_EQ(x8.last(), 160);
    EXPECT_EQ(GridOverlay::linePositions(90, 8).size(), 11);
    EXPECT_EQ(GridOverlay::linePositions(90, 8).last(), 88);
    EXPECT_EQ(GridOverlay::linePositions(162, 9).last(), 153);
    EXPECT_TRUE(GridOverlay::linePositions(162, 0).isEmpty());
    EXPECT_TRUE(GridOverlay::linePositions(162, -1).isEmpty());

    const QImage grid = painted(blankCanvas(162, 90, 4), 4, [](QPainter &p) {
        GridOverlay({162, 90}, 9).paint(p);
    });
    const auto columnInked = [&](double x) { return qGray(grid.pixel(qRound(x * 4), 200)) < 255; };
    EXPECT_TRUE(columnInked(153));
    EXPECT_TRUE(columnInked(9));
    EXPECT_FALSE(columnInked(4.5));
    EXPECT_FALSE(columnInked(0));

    const QList<AlignmentGuide> guides{AlignmentGuide{QUuid::createUuid(), GuideAxis::vertical, 81, 0}};
    const QImage guide = painted(blankCanvas(162, 90, 4), 4, [&](QPainter &p) {
        AlignmentGuidesOverlay(guides, {162, 90}).paint(p);
    });
    int inked = 0;
    for (int y = 0; y < guide.height(); ++y)
        inked += guide.pixelColor(81 * 4, y).green() < 200 ? 1 : 0;
    // Dashed 4 on, 4 off: half the height, in red.
    EXPECT_NEAR(inked, guide.height() / 2, 8);
    EXPECT_GT(guide.pixelColor(81 * 4, 2).red(), 200);
}

TEST(ElementViews, ResizeTable)
{
    const ElementFrame s{10, 10, 100, 24};
    const struct
    {
        HandlePosition handle;
        double dx, dy;
        ElementFrame expected;
    } cases[] = {
        {HandlePosition::topLeft, 90, 0, {100, 10, 20, 24}},
        {HandlePosition::topLeft, -5, -6, {5, 4, 105, 30}},
        {HandlePosition::topCenter, 7, 2, {10, 12, 100, 22}},
        {HandlePosition::topRight, 5, 10, {10, 20, 105, 20}},
        {HandlePosition::middleLeft, 5, 9, {15, 10, 95, 24}},
        {HandlePosition::middleRight, -200, 9, {10, 10, 20, 24}},
        {HandlePosition::bottomLeft, 3, 4, {13, 10, 97, 28}},
        {HandlePosition::bottomCenter, 3, 4, {10, 10, 100, 28}},
        {HandlePosition::bottomRight, -150, -50, {10, 10, 20, 20}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SelectionHandles::resizedFrame(c.handle, s, c.dx, c.dy), c.expected)
            << rawValue(c.handle).toStdString();
    EXPECT_EQ(allHandlePositions().size(), 8);
    EXPECT_EQ(SelectionHandles::handlePoint(HandlePosition::bottomCenter, s), QPointF(60, 34));
}

TEST(ElementViews, HandleDragStartsAfterTenPointsAndScalesByZoom)
{
    QList<QString> calls;
    QList<ElementFrame> frames;
    SelectionHandles handles({[&] { calls.append(QStringLiteral("start")); },
                              [&](const ElementFrame &f) {
                                  calls.append(QStringLiteral("resize"));
                                  frames.append(f);
                              },
                              [&] { calls.append(QStringLiteral("end")); }});
    LabelElement e = textElement(10, 10);
    handles.setElement(e, 2);
    EXPECT_EQ(handles.handleRect(HandlePosition::topLeft).size(), QSizeF(4, 4))
        << "8 points on screen at zoom 2";

    // The bottom-right handle sits at (110, 34) in label points, (220, 68) on screen.
    ASSERT_TRUE(handles.press({220, 68}));
    handles.move({229, 68});
    handles.release();
    EXPECT_TRUE(calls.isEmpty()) << "a 9-point drag is no resize";

    ASSERT_TRUE(handles.press({220, 68}));
    handles.move({230, 68});
    handles.move({260, 88});
    handles.release();
    EXPECT_EQ(calls, QList<QString>({"start", "resize", "resize", "end"}));
    EXPECT_EQ(frames.last(), (ElementFrame{10, 10, 120, 34}));
    EXPECT_FALSE(handles.press({0, 0}));
}
