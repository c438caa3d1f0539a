// The 300-dpi label bitmap: its size per medium and orientation, the colour modes
// (with the Black & White threshold between grey 179 and 180), the corner mapping
// of each rotation, and failures that never turn into empty bytes.
#include "printing/band_crew.h"
#include "printing/label_bitmap_pipeline.h"
#include "printing/label_content.h"
#include "printing/layouts/calibration_label_view.h"

#include <QBuffer>
#include <QImage>
#include <atomic>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <thread>

using namespace quill;

namespace {

QImage decode(const QByteArray &png)
{
    QImage image;
    EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_TRUE(image.loadFromData(png, "PNG"));
    return image;
}

int greyAt(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y));
}

// Four distinct corners on a w × h picture.
QImage cornerImage(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(0, 0, qRgb(255, 0, 0));                   // top left: red
    image.setPixel(width - 1, 0, qRgb(0, 255, 0));           // top right: green
    image.setPixel(0, height - 1, qRgb(0, 0, 255));          // bottom left: blue
    image.setPixel(width - 1, height - 1, qRgb(40, 40, 40)); // bottom right: dark grey
    return image.convertToFormat(format);
}

AnyLabelView winnerPage(const LabelMedia &media, Orientation orientation, const LabelAppearance &look = {})
{
    return LabelContent::individual(QStringLiteral("ann"), QStringLiteral("$12.5"), 7, 3,
                                    QStringLiteral("Pin"), QStringLiteral("Live Show"))
        .pages(LabelVariant::bold, media, orientation, look)
        .first();
}

// "same" or where two pictures first differ and in how many pixels.
std::string difference(const QImage &a, const QImage &b)
{
    if (a == b)
        return "same";
    if (a.size() != b.size() || a.format() != b.format())
        return "sizes or formats differ";
    int count = 0;
    QPoint first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && count++ == 0)
                first = QPoint(x, y);
    if (count == 0)
        return "same";
    return std::to_string(count) + " pixels, first at " + std::to_string(first.x()) + "," +
           std::to_string(first.y());
}

} // namespace

TEST(LabelBitmapPipeline, BlackAndWhiteTurnsGreyBelow180BlackAndTheRestWhite)
{
    QImage image(6, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(179, 179, 179));
    image.setPixel(1, 0, qRgb(180, 180, 180));
    image.setPixel(2, 0, qRgb(0, 0, 0));
    image.setPixel(3, 0, qRgb(255, 255, 255));
    image.setPixel(4, 0, qRgb(255, 0, 0));     // dark red: luma 54
    image.setPixel(5, 0, qRgb(200, 255, 200)); // pale green
    const QImage bw = blackAndWhiteImage(image);
    ASSERT_EQ(bw.format(), QImage::Format_Grayscale8);
    ASSERT_EQ(bw.size(), image.size());
    const uchar *row = bw.constScanLine(0);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[1], 255);
    EXPECT_EQ(row[2], 0);
    EXPECT_EQ(row[3], 255);
    EXPECT_EQ(row[4], 0);
    EXPECT_EQ(row[5], 255);

    // The same threshold on a grey bitmap.
    QImage grey(2, 1, QImage::Format_Grayscale8);
    grey.scanLine(0)[0] = 179;
    grey.scanLine(0)[1] = 180;
    const QImage greyBw = blackAndWhiteImage(grey);
    EXPECT_EQ(greyBw.constScanLine(0)[0], 0);
    EXPECT_EQ(greyBw.constScanLine(0)[1], 255);
}

TEST(LabelBitmapPipeline, TransparencyIsWhitePaperInTheGreyModes)
{
    QImage image(3, 1, QImage::Format_ARGB32_Premultiplied);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));      // nothing drawn
    image.setPixel(1, 0, qRgba(0, 0, 0, 128));    // half-covered black
    image.setPixel(2, 0, qRgba(90, 90, 90, 255)); // opaque dark grey
    const QImage grey = grayscaleImage(image);
    EXPECT_EQ(grey.constScanLine(0)[0], 255);
    EXPECT_EQ(grey.constScanLine(0)[1], 127);
    EXPECT_EQ(grey.constScanLine(0)[2], 90);
    const QImage bw = blackAndWhiteImage(image);
    EXPECT_EQ(bw.constScanLine(0)[0], 255);
    EXPECT_EQ(bw.constScanLine(0)[1], 0);
}

TEST(LabelBitmapPipeline, ColourModesKeepConvertOrThresholdThePixels)
{
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(30, 60, 160));
    image.setPixel(1, 0, qRgb(128, 128, 128));
    image.setPixel(2, 0, qRgb(255, 255, 0));
    EXPECT_EQ(colorModeImage(image, LabelColorMode::color), image);

    const QImage grey = colorModeImage(image, LabelColorMode::grayscale);
    ASSERT_EQ(grey.format(), QImage::Format_Grayscale8);
    // A neutral grey keeps its level; colours become their luma.
    EXPECT_EQ(grey.constScanLine(0)[1], 128);
    EXPECT_NEAR(grey.constScanLine(0)[0], 0.2125 * 30 + 0.7154 * 60 + 0.0721 * 160, 1);
    EXPECT_NEAR(grey.constScanLine(0)[2], 0.2125 * 255 + 0.7154 * 255, 1);

    const QImage bw = colorModeImage(image, LabelColorMode::blackAndWhite);
    EXPECT_EQ(bw.constScanLine(0)[0], 0);
    EXPECT_EQ(bw.constScanLine(0)[1], 0);
    EXPECT_EQ(bw.constScanLine(0)[2], 255);

    EXPECT_TRUE(grayscaleImage(QImage()).isNull());
    EXPECT_TRUE(blackAndWhiteImage(QImage()).isNull());
}

TEST(LabelBitmapPipeline, RotationsTurnCounterClockwiseAndMoveEachCorner)
{
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_Grayscale8}) {
        const QImage source = cornerImage(4, 2, format);
        const QRgb topLeft = source.pixel(0, 0), topRight = source.pixel(3, 0);
        const QRgb bottomLeft = source.pixel(0, 1), bottomRight = source.pixel(3, 1);

        const QImage r90 = rotatedImage(source, 90);
        ASSERT_EQ(r90.size(), QSize(2, 4));
        EXPECT_EQ(r90.pixel(0, 0), topRight);
        EXPECT_EQ(r90.pixel(1, 0), bottomRight);
        EXPECT_EQ(r90.pixel(0, 3), topLeft);
        EXPECT_EQ(r90.pixel(1, 3), bottomLeft);

        const QImage r180 = rotatedImage(source, 180);
        ASSERT_EQ(r180.size(), QSize(4, 2));
        EXPECT_EQ(r180.pixel(0, 0), bottomRight);
        EXPECT_EQ(r180.pixel(3, 0), bottomLeft);
        EXPECT_EQ(r180.pixel(0, 1), topRight);
        EXPECT_EQ(r180.pixel(3, 1), topLeft);

        const QImage r270 = rotatedImage(source, 270);
        ASSERT_EQ(r270.size(), QSize(2, 4));
        EXPECT_EQ(r270.pixel(0, 0), bottomLeft);
        EXPECT_EQ(r270.pixel(1, 0), topLeft);
        EXPECT_EQ(r270.pixel(0, 3), bottomRight);
        EXPECT_EQ(r270.pixel(1, 3), topRight);

        // Angles that are not a quarter turn leave the picture alone.
        EXPECT_EQ(rotatedImage(source, 45), source);
        EXPECT_EQ(rotatedImage(source, 0), source);
    }
}

TEST(LabelBitmapPipeline, StandardRotationTurnsPortraitRectanglesAQuarterAndTheRestAHalf)
{
    EXPECT_EQ(standardRotation(LabelMedia::rect1x2(), Orientation::portrait), 90);
    EXPECT_EQ(standardRotation(LabelMedia::rect1x2(), Orientation::landscape), 180);
    EXPECT_EQ(standardRotation(LabelMedia::circle2(), Orientation::portrait), 180);
    EXPECT_EQ(standardRotation(LabelMedia::circle2(), Orientation::landscape), 180);
}

TEST(LabelBitmapPipeline, BitmapIs300DotsPerInchAndTurnedForTheMedium)
{
    struct Case
    {
        LabelMedia media;
        Orientation orientation;
        QSize rendered;
        QSize sent;
    };
    const Case cases[] = {
        {LabelMedia::rect1x2(), Orientation::landscape, {600, 300}, {600, 300}},
        {LabelMedia::rect1x2(), Orientation::portrait, {300, 600}, {600, 300}},
        {LabelMedia::shipping4x6(), Orientation::portrait, {1200, 1800}, {1800, 1200}},
        {LabelMedia::circle2(), Orientation::portrait, {600, 600}, {600, 600}},
        {LabelMedia::rect225x125(), Orientation::landscape, {675, 375}, {675, 375}},
    };
    for (const Case &c : cases) {
        const AnyLabelView page = winnerPage(c.media, c.orientation);
        const QImage rendered = renderLabelImage(page, labelSizeInches(c.media, c.orientation));
        EXPECT_EQ(rendered.size(), c.rendered) << c.media.id.toStdString();
        EXPECT_NEAR(rendered.dotsPerMeterX() * 0.0254, 300, 0.5);

        // The run is exactly render, then rotate, then PNG: the colour bitmap comes
        // back pixel for pixel.
        const QImage sent = decode(renderLabelPNG(page, c.media, c.orientation, LabelColorMode::color));
        EXPECT_EQ(sent.size(), c.sent) << c.media.id.toStdString();
        EXPECT_EQ(sent.convertToFormat(QImage::Format_RGB32),
                  rotatedImage(rendered, standardRotation(c.media, c.orientation)))
            << c.media.id.toStdString();
        // Black & White arrives at one bit per pixel with every pixel where the 8-bit pass put it.
        const QImage bw = decode(renderLabelPNG(page, c.media, c.orientation, LabelColorMode::blackAndWhite));
        EXPECT_EQ(bw.depth(), 1);
        EXPECT_EQ(bw.convertToFormat(QImage::Format_Grayscale8),
                  rotatedImage(blackAndWhiteImage(rendered), standardRotation(c.media, c.orientation)))
            << c.media.id.toStdString();
    }
}

TEST(LabelBitmapPipeline, BlackAndWhiteLabelHoldsOnlyBlackAndWhiteAndRoundCornersStayBlank)
{
    const CalibrationLabelView calibration(144, 144, true);
    const QImage sent = decode(renderLabelPNG(calibration, LabelMedia::circle2(), Orientation::landscape,
                                              LabelColorMode::blackAndWhite));
    ASSERT_EQ(sent.size(), QSize(600, 600));
    int black = 0;
    for (int y = 0; y < sent.height(); ++y) {
        for (int x = 0; x < sent.width(); ++x) {
            const int grey = greyAt(sent, x, y);
            ASSERT_TRUE(grey == 0 || grey == 255) << x << "," << y << ": " << grey;
            black += grey == 0;
        }
    }
    EXPECT_GT(black, 1000); // the cross and the size text
    // Outside the circle nothing prints.
    for (const QPoint corner : {QPoint(0, 0), QPoint(599, 0), QPoint(0, 599), QPoint(599, 599)})
        EXPECT_EQ(greyAt(sent, corner.x(), corner.y()), 255);

    // The centre cross runs through the middle of the turned bitmap as well.
    const auto blackNear = [&](int x, int y) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (greyAt(sent, x + dx, y + dy) == 0)
                    return true;
        return false;
    };
    EXPECT_TRUE(blackNear(300, 40));
    EXPECT_TRUE(blackNear(300, 560));
    EXPECT_TRUE(blackNear(40, 300));
    EXPECT_TRUE(blackNear(560, 300));
}

TEST(LabelBitmapPipeline, UnprintableSizesAndImagesFailClearlyInsteadOfGivingEmptyBytes)
{
    const AnyLabelView page = winnerPage(LabelMedia::rect1x2(), Orientation::landscape);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const QSizeF size :
         {QSizeF(nan, 1), QSizeF(2, inf), QSizeF(0, 1), QSizeF(2, -1), QSizeF(48.5, 1), QSizeF(1e12, 1e12)}) {
        EXPECT_THROW(renderLabelImage(page, size), LabelRenderError) << size.width() << "x" << size.height();
        EXPECT_THROW(renderLabelPNG(page, size, LabelColorMode::blackAndWhite, 90), LabelRenderError);
    }
    const LabelMedia broken{QStringLiteral("broken"), nan, 1, false, std::nullopt};
    EXPECT_THROW(renderLabelPNG(page, broken, Orientation::landscape, LabelColorMode::color),
                 LabelRenderError);

    try {
        encodePNG(QImage());
        ADD_FAILURE() << "a null image was encoded";
    } catch (const LabelRenderError &error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("The label could not be encoded as PNG")))
            << error.message();
    }
}

// The print bitmap is made in one pass for opaque drawings; it must be what converting,
// turning and packing give one after the other, down to the PNG's bytes, on sizes that
// do not fill a byte or a group of eight rows and on every turn and grey mode.
TEST(LabelBitmapPipeline, OnePassPrintBitmapIsTheStepByStepBitmapByteForByte)
{
    const auto stepByStep = [](const QImage &image, LabelColorMode mode, int degrees) {
        const QImage bitmap = rotatedImage(colorModeImage(image, mode), degrees);
        if (mode != LabelColorMode::blackAndWhite)
            return bitmap;
        // Packed by hand: 1 for white, and the bits past the last pixel of a row left 0.
        QImage mono(bitmap.size(), QImage::Format_Mono);
        mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        mono.setDotsPerMeterX(bitmap.dotsPerMeterX());
        mono.setDotsPerMeterY(bitmap.dotsPerMeterY());
        mono.fill(0);
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x)
                if (qGray(bitmap.pixel(x, y)) == 255)
                    mono.setPixel(x, y, 1);
        return mono;
    };
    // A gradient crossing the threshold in every colour, with odd widths and heights.
    QList<QImage> pictures;
    for (const QSize size : {QSize(13, 7), QSize(8, 16), QSize(61, 45), QSize(1, 9)}) {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y,
                               qRgb((x * 37 + y * 11) % 256, (x * 5 + y * 53) % 256, (x * y * 7) % 256));
        image.setDotsPerMeterX(11811);
        image.setDotsPerMeterY(11811);
        pictures.append(image);
    }
    for (const auto &[media, orientation] : {std::pair{LabelMedia::shipping4x6(), Orientation::portrait},
                                             std::pair{LabelMedia::rect225x125(), Orientation::landscape},
                                             std::pair{LabelMedia::circle2(), Orientation::portrait}})
        pictures.append(
            renderLabelImage(winnerPage(media, orientation), labelSizeInches(media, orientation)));

    for (const QImage &picture : pictures) {
        for (const LabelColorMode mode :
             {LabelColorMode::color, LabelColorMode::grayscale, LabelColorMode::blackAndWhite}) {
            for (const int degrees : {0, 90, 180, 270}) {
                const QImage oneStep = printBitmap(picture, mode, degrees);
                const QImage expected = stepByStep(picture, mode, degrees);
                SCOPED_TRACE(::testing::Message() << picture.width() << "x" << picture.height() << " mode "
                                                << int(mode) << " turned " << degrees);
                ASSERT_EQ(oneStep.format(), expected.format());
                EXPECT_EQ(oneStep, expected);
                EXPECT_EQ(encodePNG(oneStep), encodePNG(expected));
            }
        }
    }
}

// A big label is drawn in bands on several threads. Every band must give the pixels one
// drawing gives, for every layout, medium, turn and colour mode, with a scaled logo and
// text that shrinks to fit; band edges fall inside the text and the pictures.
TEST(LabelBitmapPipeline, LabelsDrawnInBandsAreThePixelsOfOneDrawing)
{
    BandCrew crew(3);
    LabelAppearance look;
    QImage logo(301, 97, QImage::Format_ARGB32);
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            logo.setPixel(x, y, qRgba((x * 7) % 256, (y * 13) % 256, (x + y) % 256, (x * y) % 256));
    look.logoImage = logo;
    QList<GroupedItem> items;
    for (int i = 0; i < 14; ++i)
        items.append({i + 1, QStringLiteral("Item %1 with a long title that wraps onto a second line").arg(i),
                      QStringLiteral("%1.25").arg(i * 3)});
    const QList<LabelContent> contents{
        LabelContent::individual(QStringLiteral("a_buyer_with_a_really_long_name_that_shrinks"),
                                 QStringLiteral("$1,234.5"), 4321, 12,
                                 QStringLiteral("Holographic trading card, first edition, sealed"),
                                 QStringLiteral("Sunday Night Breaks")),
        LabelContent::box(QStringLiteral("ann"), 7, QStringLiteral("Live Show")),
        LabelContent::grouped(QStringLiteral("cara"), items, Decimal(123), QStringLiteral("Show"))};
    for (const auto &[media, orientation] : {std::pair{LabelMedia::shipping4x6(), Orientation::portrait},
                                             std::pair{LabelMedia::shipping4x6(), Orientation::landscape},
                                             std::pair{LabelMedia::circle2(), Orientation::portrait},
                                             std::pair{LabelMedia::rect225x125(), Orientation::landscape}}) {
        const QSizeF inches = labelSizeInches(media, orientation);
        for (const LabelContent &content : contents) {
            for (const LabelVariant variant :
                 {LabelVariant::bold, LabelVariant::classic, LabelVariant::minimal}) {
                const AnyLabelView page = content.pages(variant, media, orientation, look).first();
                const QImage whole = renderLabelImage(page, inches);
                SCOPED_TRACE(::testing::Message() << inches.width() << "x" << inches.height() << " variant "
                                                << int(variant) << " content " << content.form().index());
                for (const int bands : {2, 7})
                    EXPECT_EQ(difference(renderLabelImage(page, inches, &crew, bands), whole), "same")
                        << bands << " bands";
                for (const LabelColorMode mode : {LabelColorMode::color, LabelColorMode::grayscale}) {
                    const int degrees = standardRotation(media, orientation);
                    const QByteArray expected = encodePNG(printBitmap(whole, mode, degrees));
                    const QByteArray png = renderLabelPNG(page, inches, mode, degrees, &crew, 5);
                    if (png != expected)
                        ADD_FAILURE()
                            << "mode " << int(mode) << ": " << difference(decode(png), decode(expected));
                }
            }
        }
    }
}

// The crew runs every band once, also when two callers share it at the same time, and a
// failing band fails the run with the first failure in band order, after all have run.
TEST(LabelBitmapPipeline, BandCrewRunsEveryBandOnceAndReportsTheFirstFailure)
{
    BandCrew crew(3);
    std::atomic<int> runs[2][40] = {};
    const auto runAll = [&](int caller) { crew.run(40, [&](int index) { ++runs[caller][index]; }); };
    std::thread other(runAll, 1);
    runAll(0);
    other.join();
    for (int caller = 0; caller < 2; ++caller)
        for (int index = 0; index < 40; ++index)
            EXPECT_EQ(runs[caller][index].load(), 1) << caller << " band " << index;

    std::atomic<int> ran = 0;
    try {
        crew.run(9, [&](int index) {
            ++ran;
            if (index == 6 || index == 4)
                throw LabelRenderError(QStringLiteral("band %1").arg(index));
        });
        ADD_FAILURE() << "the failure was not reported";
    } catch (const LabelRenderError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("band 4"));
    }
    EXPECT_EQ(ran.load(), 9);

    // Without threads of its own the caller runs every band.
    BandCrew alone(0);
    std::thread::id where;
    int count = 0;
    alone.run(3, [&](int) {
        where = std::this_thread::get_id();
        ++count;
    });
    EXPECT_EQ(count, 3);
    EXPECT_EQ(where, std::this_thread::get_id());
}
