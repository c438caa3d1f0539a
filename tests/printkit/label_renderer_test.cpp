#include "printkit/domain/label_preset.h"
#include "printkit/rendering/label_layout.h"
#include "printkit/rendering/label_renderer.h"
#include "recording_paint_device.h"

#include <QFile>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtMath>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace printkit;
namespace ll = printkit::labellayout;

namespace {

constexpr double k300Dpi = 300.0 / 72.0;

LabelCanvas canvas(double w, double h, LabelShape shape)
{
    return LabelCanvas::custom(w, h, shape, 203);
}

bool dark(const QImage &image, QPointF pixel)
{
    return qGray(image.pixel(pixel.toPoint())) < 100;
}

bool white(const QImage &image, QPointF pixel)
{
    return image.pixel(pixel.toPoint()) == qRgb(255, 255, 255);
}

// Pixel centre of a point on the label at the given scale.
QPointF px(QPointF points, double scale)
{
    return {std::floor(points.x() * scale) + 0.5, std::floor(points.y() * scale) + 0.5};
}

struct PixelCount
{
    int dark = 0;
    int white = 0;
};

PixelCount countPixels(const QImage &image, const QRectF &points, double scale)
{
    PixelCount count;
    const QRect area = QRectF(points.topLeft() * scale, points.size() * scale).toAlignedRect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const int g = qGray(image.pixel(x, y));
            count.dark += g < 100;
            count.white += image.pixel(x, y) == qRgb(255, 255, 255);
        }
    return count;
}

// Records what the renderer asks a device to draw, in points.
class RecordingEngine final : public QPaintEngine
{
public:
    struct Fill
    {
        QRectF rect;
        QColor colour;
    };

    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & DirtyBrush)
            m_brush = state.brush();
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
    }
    void drawImage(const QRectF &r, const QImage &, const QRectF &, Qt::ImageConversionFlags) override
    {
        images.append(m_transform.mapRect(r));
    }
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override { images.append(m_transform.mapRect(r)); }
    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            if (m_brush.style() != Qt::NoBrush)
                fills.append({m_transform.mapRect(rects[i]), m_brush.color()});
    }
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF &, const QTextItem &) override {}
    Type type() const override { return User; }

    QList<QRectF> images;
    QList<Fill> fills;

private:
    QBrush m_brush;
    QTransform m_transform;
};

class RecordingDevice final : public quill::testing::RecordingPaintDevice<RecordingEngine>
{
public:
    explicit RecordingDevice(const LabelCanvas &c)
        : RecordingPaintDevice(QSize(qCeil(c.widthPoints()), qCeil(c.heightPoints())), 72)
    {
    }
};

RecordingEngine &record(RecordingDevice &device, const LabelContent &content, const LabelCanvas &c)
{
    QPainter painter(&device);
    LabelRenderer().paint(painter, content, c);
    return device.engine();
}

void expectRectNear(const QRectF &actual, const QRectF &expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-6);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-6);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-6);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-6);
}

struct ToolRun
{
    int exitCode = -1;
    QString out;
};

ToolRun run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

QString savePng(const QTemporaryDir &dir, const QImage &image, const char *name)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    return image.save(path, "PNG") ? path : QString();
}

} // namespace

TEST(LabelLayout, ChoosesTheLayoutFromShapeAndProportions)
{
    EXPECT_EQ(ll::chooseLayout(canvas(2, 1, LabelShape::roundedRectangle)), ll::Kind::compact);
    EXPECT_EQ(ll::chooseLayout(canvas(2.76, 0.79, LabelShape::rectangle)), ll::Kind::compact);
    EXPECT_EQ(ll::chooseLayout(canvas(3, 2, LabelShape::roundedRectangle)), ll::Kind::wide);
    EXPECT_EQ(ll::chooseLayout(canvas(2.4, 2.0, LabelShape::rectangle)), ll::Kind::wide);
    EXPECT_EQ(ll::chooseLayout(canvas(2.39, 2.0, LabelShape::rectangle)), ll::Kind::tall);
    EXPECT_EQ(ll::chooseLayout(canvas(4, 6, LabelShape::rectangle)), ll::Kind::tall);
    EXPECT_EQ(ll::chooseLayout(canvas(2, 2, LabelShape::rectangle)), ll::Kind::tall);
    EXPECT_EQ(ll::chooseLayout(canvas(2, 2, LabelShape::circle)), ll::Kind::circle);
    EXPECT_EQ(ll::chooseLayout(canvas(3, 0.5, LabelShape::circle)), ll::Kind::circle);
}

TEST(LabelLayout, FramesKeepTheirMinimumMargins)
{
    // 2 × 1 in: 6 % of 72 is 4.32, raised to 8; the inner frame's 5.5 % of 56 to 6.
    const ll::Frames small = ll::frames(144, 72);
    expectRectNear(small.outer, QRectF(8, 8, 128, 56));
    expectRectNear(small.inner, QRectF(14, 14, 116, 44));
    // 4 × 6 in: both margins are proportional.
    const ll::Frames large = ll::frames(288, 432);
    expectRectNear(large.outer, QRectF(17.28, 17.28, 253.44, 397.44));
    expectRectNear(large.inner, ll::inset(large.outer, 253.44 * 0.055, 253.44 * 0.055));
}

TEST(LabelLayout, ShapePathsFollowTheCornerRule)
{
    const QRectF big(0, 0, 100, 100);
    // Radius 14 (14 % of 100): (4, 4) lies outside the corner arc, (6, 6) inside.
    const QPainterPath rounded = ll::shapePath(big, LabelShape::roundedRectangle);
    EXPECT_FALSE(rounded.contains(QPointF(4, 4)));
    EXPECT_TRUE(rounded.contains(QPointF(6, 6)));
    EXPECT_TRUE(ll::shapePath(big, LabelShape::rectangle).contains(QPointF(0.5, 0.5)));
    // Small rects keep a radius of 6: (1, 1) is cut off.
    const QPainterPath smallRounded = ll::shapePath(QRectF(0, 0, 20, 20), LabelShape::roundedRectangle);
    EXPECT_FALSE(smallRounded.contains(QPointF(1, 1)));
    EXPECT_TRUE(smallRounded.contains(QPointF(3, 3)));
    const QPainterPath circle = ll::shapePath(big, LabelShape::circle);
    EXPECT_FALSE(circle.contains(QPointF(10, 10)));
    EXPECT_TRUE(circle.contains(QPointF(50, 1)));
}

TEST(LabelLayout, WideTextColumnNeverGoesNegative)
{
    // 3 × 2 in: the column ends 10 points before the QR code.
    const ll::Frames f = ll::frames(216, 144);
    const ll::Wide w = ll::wide(f.outer);
    EXPECT_NEAR(w.qr.width(), 101.376 * 0.52, 1e-9);
    EXPECT_NEAR(w.textColumnWidth, w.qr.left() - w.headline.left() - 10, 1e-9);
    EXPECT_DOUBLE_EQ(w.headline.width(), w.textColumnWidth);

    // An outer frame far taller than wide leaves no room beside the code.
    const ll::Wide squeezed = ll::wide(QRectF(0, 0, 40, 400));
    EXPECT_DOUBLE_EQ(squeezed.qr.width(), 84);
    EXPECT_EQ(squeezed.textColumnWidth, 0);
    EXPECT_EQ(squeezed.headline.width(), 0);
    EXPECT_EQ(squeezed.detail.width(), 0);
}

TEST(LabelLayout, CircleCodeIsNeverLargerThan44Points)
{
    for (const double inches : {1.5, 2.0, 2.5, 4.0, 10.0}) {
        const ll::Circle c = ll::circle(ll::frames(inches * 72, inches * 72).outer);
        EXPECT_LE(c.qr.width(), 44.0) << inches;
        EXPECT_DOUBLE_EQ(c.qr.width(), c.qr.height());
    }
    EXPECT_EQ(ll::circle(ll::frames(720, 720).outer).qr.width(), 44.0);
}

TEST(LabelLayout, CaptionJoinsFooterAndSizeLeavingOutEmptyParts)
{
    LabelContent content = LabelContent::sample();
    const LabelCanvas c = canvas(3, 2, LabelShape::rectangle);
    EXPECT_EQ(ll::captionText(content, c), content.footer + QStringLiteral(" \u2022 3 \u00D7 2 in"));
    content.footer.clear();
    EXPECT_EQ(ll::captionText(content, c), QStringLiteral("3 \u00D7 2 in"));
}

TEST(LabelRenderer, EachLayoutDrawsTheCodeWhereItBelongs)
{
    const LabelContent content = LabelContent::sample();

    const LabelCanvas strip = canvas(2, 1, LabelShape::roundedRectangle);
    RecordingDevice stripDevice(strip);
    EXPECT_TRUE(record(stripDevice, content, strip).images.isEmpty());

    const LabelCanvas wideCanvas = canvas(3, 2, LabelShape::roundedRectangle);
    RecordingDevice wideDevice(wideCanvas);
    const RecordingEngine &wide = record(wideDevice, content, wideCanvas);
    ASSERT_EQ(wide.images.size(), 1);
    expectRectNear(wide.images[0], ll::wide(ll::frames(216, 144).outer).qr);

    for (const LabelCanvas &c : {canvas(4, 6, LabelShape::rectangle), canvas(2, 2, LabelShape::rectangle)}) {
        RecordingDevice device(c);
        const RecordingEngine &tall = record(device, content, c);
        ASSERT_EQ(tall.images.size(), 1);
        expectRectNear(tall.images[0], ll::tall(ll::frames(c.widthPoints(), c.heightPoints()).outer).qr);
    }

    const LabelCanvas round = canvas(2.5, 2.5, LabelShape::circle);
    RecordingDevice roundDevice(round);
    const RecordingEngine &circle = record(roundDevice, content, round);
    ASSERT_EQ(circle.images.size(), 1);
    expectRectNear(circle.images[0], ll::circle(ll::frames(180, 180).outer).qr);
}

TEST(LabelRenderer, EmptyPayloadLeavesOutEvenTheWhiteSquare)
{
    LabelContent content = LabelContent::sample();
    const LabelCanvas c = canvas(3, 2, LabelShape::rectangle);
    const QRectF qr = ll::wide(ll::frames(216, 144).outer).qr;
    auto whiteFillsOverCode = [&](const RecordingEngine &engine) {
        int n = 0;
        for (const auto &fill : engine.fills)
            n += fill.colour == Qt::white && fill.rect != QRectF(0, 0, 216, 144) && fill.rect.intersects(qr);
        return n;
    };

    RecordingDevice withCode(c);
    EXPECT_EQ(whiteFillsOverCode(record(withCode, content, c)), 1);

    content.qrPayload.clear();
    RecordingDevice without(c);
    const RecordingEngine &engine = record(without, content, c);
    EXPECT_TRUE(engine.images.isEmpty());
    EXPECT_EQ(whiteFillsOverCode(engine), 0);
}

TEST(LabelRenderer, ImageHasTheTruncatedPixelSizeAndTheScaleAsResolution)
{
    const LabelRenderer renderer;
    const QImage strip = renderer.renderImage(LabelContent::sample(), canvas(2, 1, LabelShape::roundedRectangle), 4.0);
    EXPECT_EQ(strip.size(), QSize(576, 288));
    EXPECT_NEAR(strip.dotsPerMeterX() * 0.0254, 288, 0.1);
    EXPECT_NEAR(strip.dotsPerMeterY() * 0.0254, 288, 0.1);

    // 50 × 25 mm at 300 dpi: 590.55 × 295.27 pixels, truncated.
    const QImage mm = renderer.renderImage(LabelContent::sample(), LabelPreset::mm50x25().canvas, k300Dpi);
    EXPECT_EQ(mm.size(), QSize(590, 295));
    EXPECT_NEAR(mm.dotsPerMeterX() * 0.0254, 300, 0.1);
}

TEST(LabelRenderer, FramesAndCompactMarkerLandOnTheirPixels)
{
    const double scale = 4.0;
    const LabelCanvas strip = canvas(2, 1, LabelShape::roundedRectangle);
    const QImage image = LabelRenderer().renderImage(LabelContent::sample(), strip, scale);
    ASSERT_FALSE(image.isNull());

    // Outer frame at 8 pt, 2.4 pt wide; inner frame at 14 pt, 1 pt wide; the left
    // edges are straight at mid height.
    const double midY = 36;
    EXPECT_TRUE(white(image, px({4, midY}, scale)));
    EXPECT_TRUE(dark(image, px({8, midY}, scale)));
    EXPECT_TRUE(dark(image, px({136, midY}, scale)));
    EXPECT_TRUE(white(image, px({11, midY}, scale)));
    EXPECT_TRUE(dark(image, px({14, midY}, scale)));
    EXPECT_TRUE(white(image, px({16, midY}, scale)));
    // Rounded corner: the frame does not pass through the bounding corner.
    EXPECT_TRUE(white(image, px({8.3, 8.3}, scale)));
    EXPECT_TRUE(white(image, px({0.5, 0.5}, scale)));

    // The marker's dot is black (a white dot would not show), the ring around it white.
    const ll::Compact layout = ll::compact(ll::frames(144, 72).outer);
    EXPECT_TRUE(dark(image, px(layout.markerDot.center(), scale)));
    EXPECT_TRUE(white(image, px(layout.marker.center() + QPointF(0, 4.5), scale)));
    EXPECT_TRUE(dark(image, px(QPointF(layout.marker.left(), layout.marker.center().y()), scale)));

    // Some text was drawn in the headline and size rects.
    EXPECT_GT(countPixels(image, layout.headline, scale).dark, 100);
    EXPECT_GT(countPixels(image, layout.size, scale).dark, 20);
}

TEST(LabelRenderer, CompactStripIgnoresDetailCodeAndFooter)
{
    const LabelRenderer renderer;
    const LabelCanvas strip = canvas(2, 1, LabelShape::roundedRectangle);
    LabelContent changed = LabelContent::sample();
    changed.detail = QStringLiteral("Something else entirely");
    changed.qrPayload = QStringLiteral("https://example.com/other");
    changed.footer = QStringLiteral("Another footer");
    EXPECT_EQ(renderer.renderImage(LabelContent::sample(), strip, 2.0), renderer.renderImage(changed, strip, 2.0));

    changed.headline = QStringLiteral("Different");
    EXPECT_NE(renderer.renderImage(LabelContent::sample(), strip, 2.0), renderer.renderImage(changed, strip, 2.0));
}

TEST(LabelRenderer, CodeAreaHoldsTheCodeOrStaysBlank)
{
    const LabelRenderer renderer;
    const double scale = 4.0;
    const LabelCanvas c = canvas(3, 2, LabelShape::roundedRectangle);
    const QRectF qr = ll::wide(ll::frames(216, 144).outer).qr;

    const QImage withCode = renderer.renderImage(LabelContent::sample(), c, scale);
    const PixelCount code = countPixels(withCode, qr, scale);
    EXPECT_GT(code.dark, code.white / 4);
    EXPECT_GT(code.white, code.dark / 4);

    LabelContent blank = LabelContent::sample();
    blank.qrPayload.clear();
    const QImage without = renderer.renderImage(blank, c, scale);
    EXPECT_EQ(countPixels(without, qr, scale).dark, 0);
}

TEST(LabelRenderer, TextIsSetInPointsAtEveryOutput)
{
    // The wide headline is 19 pt bold: its capitals stand 0.729 em tall, so the ink of
    // "Format Test" is 13.85 pt high whether drawn at scale 2 or 6 or through PDF.
    const LabelCanvas c = canvas(3, 2, LabelShape::rectangle);
    const QRectF headline = ll::wide(ll::frames(216, 144).outer).headline;
    auto inkHeight = [&](const QImage &image, double scale) {
        const QRect area = QRectF(headline.topLeft() * scale, headline.size() * scale).toAlignedRect();
        int top = -1, bottom = -1;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    if (top < 0)
                        top = y;
                    bottom = y + 1;
                    break;
                }
        return (bottom - top) / scale;
    };
    const LabelRenderer renderer;
    for (const double scale : {2.0, k300Dpi, 6.0})
        EXPECT_NEAR(inkHeight(renderer.renderImage(LabelContent::sample(), c, scale), scale), 19 * 0.729, 0.75)
            << scale;

    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile pdf(dir.filePath(QStringLiteral("label.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write(renderer.renderPDF(LabelContent::sample(), c));
    pdf.close();
    const ToolRun r = run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("288"), QStringLiteral("-png"),
                                                   QStringLiteral("-singlefile"), pdf.fileName(),
                                                   dir.filePath(QStringLiteral("page"))});
    ASSERT_EQ(r.exitCode, 0);
    const QImage page(dir.filePath(QStringLiteral("page.png")));
    ASSERT_EQ(page.size(), QSize(864, 576));
    EXPECT_NEAR(inkHeight(page, 4.0), 19 * 0.729, 0.75);
}

TEST(LabelRenderer, CodeScansBackToThePayload)
{
    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        GTEST_SKIP() << "zbarimg is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const LabelRenderer renderer;
    LabelContent content = LabelContent::sample();
    const struct
    {
        LabelCanvas canvas;
        QString payload;
        const char *file;
    } cases[] = {
        {canvas(3, 2, LabelShape::roundedRectangle), content.qrPayload, "wide.png"},
        {canvas(4, 6, LabelShape::rectangle), QStringLiteral("https://example.com/l/ABC-123?q=42"), "tall.png"},
        {canvas(2, 2, LabelShape::circle), QStringLiteral("Gr\u00FC\u00DFe \u2713 label"), "circle.png"},
    };
    for (const auto &c : cases) {
        content.qrPayload = c.payload;
        const QString path = savePng(dir, renderer.renderImage(content, c.canvas, k300Dpi), c.file);
        ASSERT_FALSE(path.isEmpty());
        const ToolRun r = run(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), QStringLiteral("--raw"), path});
        EXPECT_EQ(r.exitCode, 0) << c.file;
        EXPECT_EQ(r.out.trimmed(), c.payload) << c.file;
    }

    // The PDF keeps the code sharp (no lossy image compression) and it scans too.
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        return;
    QFile pdf(dir.filePath(QStringLiteral("label.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write(renderer.renderPDF(LabelContent::sample(), canvas(3, 2, LabelShape::roundedRectangle)));
    pdf.close();
    const ToolRun images = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf.fileName()});
    if (images.exitCode == 0) {
        static const QRegularExpression imageRow(QStringLiteral("^\\s*1\\s+\\d+\\s+image\\s"),
                                                 QRegularExpression::MultilineOption);
        EXPECT_EQ(images.out.count(imageRow), 1) << qPrintable(images.out);
        EXPECT_FALSE(images.out.contains(QStringLiteral("jpeg"))) << qPrintable(images.out);
    }
    const ToolRun raster = run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"),
                                                            QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                                            pdf.fileName(), dir.filePath(QStringLiteral("pdf"))});
    ASSERT_EQ(raster.exitCode, 0);
    const ToolRun scan = run(QStringLiteral("zbarimg"),
                             {QStringLiteral("--quiet"), QStringLiteral("--raw"), dir.filePath(QStringLiteral("pdf.png"))});
    EXPECT_EQ(scan.exitCode, 0);
    EXPECT_EQ(scan.out.trimmed(), LabelContent::sample().qrPayload);
}

TEST(LabelRenderer, PdfIsOnePageOfTheLabelSizeWithVectorText)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        GTEST_SKIP() << "pdfinfo is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const LabelRenderer renderer;
    const struct
    {
        LabelCanvas canvas;
        const char *pageSize;
    } cases[] = {
        {canvas(2, 1, LabelShape::roundedRectangle), "144 x 72 pts"},
        {canvas(4, 6, LabelShape::rectangle), "288 x 432 pts"},
        {canvas(2, 2, LabelShape::circle), "144 x 144 pts"},
        {LabelPreset::mm50x25().canvas, "142 x 71 pts"},
    };
    for (const auto &c : cases) {
        const QString path = dir.filePath(QStringLiteral("label.pdf"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray bytes = renderer.renderPDF(LabelContent::sample(), c.canvas);
        ASSERT_TRUE(bytes.startsWith("%PDF-"));
        file.write(bytes);
        file.close();

        const ToolRun info = run(QStringLiteral("pdfinfo"), {path});
        ASSERT_EQ(info.exitCode, 0);
        EXPECT_TRUE(info.out.contains(QRegularExpression(QStringLiteral("^Pages:\\s+1$"),
                                                         QRegularExpression::MultilineOption)))
            << qPrintable(info.out);
        EXPECT_TRUE(info.out.contains(QRegularExpression(
            QStringLiteral("^Page size:\\s+%1").arg(QString::fromLatin1(c.pageSize)), QRegularExpression::MultilineOption)))
            << qPrintable(info.out);

        const ToolRun fonts = run(QStringLiteral("pdffonts"), {path});
        if (fonts.exitCode == 0) {
            EXPECT_TRUE(fonts.out.contains(QStringLiteral("DejaVuSans"))) << qPrintable(fonts.out);
        }
    }
}

TEST(LabelRenderer, RefusesUnprintableCanvasesAndScales)
{
    const LabelRenderer renderer;
    const LabelContent content = LabelContent::sample();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto &[w, h] : {std::pair{0.0, 1.0}, {2.0, -1.0}, {nan, 1.0}, {2.0, inf}, {49.0, 1.0}}) {
        const LabelCanvas bad = canvas(w, h, LabelShape::rectangle);
        EXPECT_THROW(renderer.renderImage(content, bad, 1.0), InvalidCanvasError) << w << "x" << h;
        EXPECT_THROW(renderer.renderPDF(content, bad), InvalidCanvasError) << w << "x" << h;
    }
    const LabelCanvas good = canvas(2, 1, LabelShape::rectangle);
    for (const double scale : {0.0, -2.0, nan, inf, -inf})
        EXPECT_THROW(renderer.renderImage(content, good, scale), InvalidCanvasError) << scale;

    // Valid sizes at an absurd scale are refused before anything is allocated.
    const LabelCanvas largest = canvas(48, 48, LabelShape::rectangle);
    try {
        renderer.renderImage(content, largest, 10.0);
        ADD_FAILURE() << "no error";
    } catch (const InvalidCanvasError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("too large"))) << qPrintable(error.message());
    }
    EXPECT_THROW(renderer.renderImage(content, good, 1e12), InvalidCanvasError);

    // Less than one pixel is no picture at all.
    EXPECT_TRUE(renderer.renderImage(content, good, 0.001).isNull());
}

TEST(LabelRenderer, HeadlineTallerThanItsRectIsStillDrawn)
{
    // The 2.5 in circle's headline rect is a little shorter than one line of its font;
    // the label must not lose its headline for that.
    const LabelCanvas circle = LabelPreset::circle2_5().canvas;
    const ll::Circle layout = ll::circle(ll::frames(circle.widthPoints(), circle.heightPoints()).outer);
    LabelContent without = LabelContent::sample();
    without.headline.clear();
    const QImage with = LabelRenderer().renderImage(LabelContent::sample(), circle, k300Dpi);
    const QImage blank = LabelRenderer().renderImage(without, circle, k300Dpi);
    const QRect area = QRectF(layout.headline.topLeft() * k300Dpi, layout.headline.size() * k300Dpi).toAlignedRect();
    int changed = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            changed += with.pixel(x, y) != blank.pixel(x, y);
    EXPECT_GT(changed, 200);
}
