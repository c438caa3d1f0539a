#include "printing/label_bitmap_pipeline.h"

#include "printing/band_crew.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <thread>

namespace quill {

namespace {

// Rec. 709 luma in 16-bit fixed point; the weights add up to exactly 65536, so
// a neutral grey keeps its level.
constexpr quint32 kRedWeight = 13926;
constexpr quint32 kGreenWeight = 46885;
constexpr quint32 kBlueWeight = 4725;

inline quint8 luma(QRgb pixel)
{
    return quint8(
        (qRed(pixel) * kRedWeight + qGreen(pixel) * kGreenWeight + qBlue(pixel) * kBlueWeight + 32768) >> 16);
}

// The grey level of one pixel on white paper: what is transparent prints nothing.
inline quint8 paperLuma(QRgb premultiplied)
{
    const quint32 alpha = qAlpha(premultiplied);
    if (alpha == 255)
        return luma(premultiplied);
    // Premultiplied colour over white: c + (255 - a).
    const quint32 level = luma(premultiplied) + (255 - alpha);
    return quint8(std::min<quint32>(level, 255));
}

// The picture as 8-bit grey levels on white paper; the caller maps each level
// through `levels`.
QImage greyLevels(const QImage &image, const quint8 (&levels)[256])
{
    const int width = image.width();
    const int height = image.height();
    QImage grey(width, height, QImage::Format_Grayscale8);
    if (grey.isNull())
        return {};
    grey.setDotsPerMeterX(image.dotsPerMeterX());
    grey.setDotsPerMeterY(image.dotsPerMeterY());

    if (image.format() == QImage::Format_Grayscale8) {
        for (int y = 0; y < height; ++y) {
            const uchar *in = image.constScanLine(y);
            uchar *out = grey.scanLine(y);
            for (int x = 0; x < width; ++x)
                out[x] = levels[in[x]];
        }
        return grey;
    }

    const bool opaque = image.format() == QImage::Format_RGB32;
    const QImage source = opaque || image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        uchar *out = grey.scanLine(y);
        if (opaque) {
            for (int x = 0; x < width; ++x)
                out[x] = levels[luma(in[x])];
        } else {
            for (int x = 0; x < width; ++x)
                out[x] = levels[paperLuma(in[x])];
        }
    }
    return grey;
}

struct LevelTable
{
    quint8 values[256];
};

constexpr LevelTable identityLevels()
{
    LevelTable table{};
    for (int i = 0; i < 256; ++i)
        table.values[i] = quint8(i);
    return table;
}

constexpr LevelTable thresholdLevels()
{
    LevelTable table{};
    for (int i = 0; i < 256; ++i)
        table.values[i] = i < kBlackAndWhiteThreshold ? 0 : 255;
    return table;
}

constexpr LevelTable kIdentity = identityLevels();
constexpr LevelTable kThreshold = thresholdLevels();

// A black-and-white grey bitmap packed one bit per pixel, for a PNG an eighth of the size.
QImage packedMonochrome(const QImage &blackAndWhite)
{
    const int width = blackAndWhite.width();
    const int height = blackAndWhite.height();
    QImage mono(width, height, QImage::Format_Mono);
    if (mono.isNull())
        return {};
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.setDotsPerMeterX(blackAndWhite.dotsPerMeterX());
    mono.setDotsPerMeterY(blackAndWhite.dotsPerMeterY());
    for (int y = 0; y < height; ++y) {
        const uchar *in = blackAndWhite.constScanLine(y);
        uchar *out = mono.scanLine(y);
        std::memset(out, 0, size_t(mono.bytesPerLine()));
        // Levels are only 0 and 255, so each pixel's top bit is its bit; most significant first.
        const int whole = width & ~7;
        for (int x = 0; x < whole; x += 8) {
            const uchar *p = in + x;
            out[x >> 3] = uchar((p[0] & 0x80) | ((p[1] & 0x80) >> 1) | ((p[2] & 0x80) >> 2) |
                                ((p[3] & 0x80) >> 3) | ((p[4] & 0x80) >> 4) | ((p[5] & 0x80) >> 5) |
                                ((p[6] & 0x80) >> 6) | ((p[7] & 0x80) >> 7));
        }
        for (int x = whole; x < width; ++x) {
            if (in[x] & 0x80)
                out[x >> 3] |= uchar(0x80 >> (x & 7));
        }
    }
    return mono;
}

// An all-zero bitmap for what printBitmap makes of a `width` × `height` drawing turned by
// `degrees` (none, 90 or 180): 8-bit grey or, when `packed`, one bit per pixel. Null when
// there is no memory for it.
QImage turnedBitmap(int width, int height, int degrees, bool packed, int dotsPerMeter)
{
    const bool swaps = degrees == 90;
    QImage out(swaps ? height : width, swaps ? width : height,
               packed ? QImage::Format_Mono : QImage::Format_Grayscale8);
    if (out.isNull())
        return {};
    if (packed)
        out.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    out.setDotsPerMeterX(dotsPerMeter);
    out.setDotsPerMeterY(dotsPerMeter);
    // Every byte starts at zero, the padding past the last pixel of a packed row too.
    std::memset(out.bits(), 0, size_t(out.sizeInBytes()));
    return out;
}

// Raw rows of an image, taken once on the calling thread so the bands share no QImage.
struct Pixels
{
    uchar *bits;
    qsizetype bytesPerLine;
    int width;
    int height;

    const QRgb *rgb(int row) const { return reinterpret_cast<const QRgb *>(bits + row * bytesPerLine); }
    uchar *line(int row) const { return bits + row * bytesPerLine; }
};

// Source rows [first, last) of an opaque drawing into the print bitmap made by
// turnedBitmap, in one pass: each pixel's grey level (through `level`) is written where
// the turn puts it, as 8-bit grey or, when `packed`, one bit per pixel (1 for white, most
// significant first). `first` is a multiple of 8, so rows of separate calls never share
// a byte. The same pixels as converting, turning and packing one after the other.
template <bool packed, typename Level>
void turnRows(const Pixels &source, int first, int last, int degrees, const Pixels &out, Level level)
{
    const int width = source.width;
    const int height = source.height;
    const auto put = [](uchar *row, int x, quint8 value) {
        if constexpr (packed)
            row[x >> 3] |= uchar((value & 0x80) >> (x & 7));
        else
            row[x] = value;
    };
    if (degrees == 90) {
        // Counter-clockwise: source column c becomes row width-1-c, source row r its
        // pixel r. Eight source rows at a time, read along the rows.
        for (int r0 = first; r0 < last; r0 += 8) {
            const int rows = std::min(8, last - r0);
            const QRgb *line[8];
            for (int i = 0; i < rows; ++i)
                line[i] = source.rgb(r0 + i);
            for (int c = 0; c < width; ++c) {
                uchar *row = out.line(width - 1 - c);
                if constexpr (packed) {
                    uchar bits = 0;
                    for (int i = 0; i < rows; ++i)
                        bits |= uchar((level(line[i][c]) & 0x80) >> i);
                    row[r0 >> 3] = bits;
                } else {
                    for (int i = 0; i < rows; ++i)
                        row[r0 + i] = level(line[i][c]);
                }
            }
        }
        return;
    }
    const bool halfTurn = degrees == 180;
    for (int y = first; y < last; ++y) {
        const QRgb *in = source.rgb(y);
        uchar *row = out.line(halfTurn ? height - 1 - y : y);
        if (halfTurn) {
            for (int x = 0; x < width; ++x)
                put(row, width - 1 - x, level(in[x]));
        } else {
            for (int x = 0; x < width; ++x)
                put(row, x, level(in[x]));
        }
    }
}

// Whether printBitmap makes the drawing's print bitmap in one pass (see turnRows).
bool turnsInOnePass(QImage::Format format, LabelColorMode mode, int degrees)
{
    return format == QImage::Format_RGB32 && mode != LabelColorMode::color &&
           (degrees == 0 || degrees == 90 || degrees == 180);
}

// turnRows in the colour mode's levels. Most of a label is blank paper: white is told
// apart before any weighing.
void turnRowsIn(LabelColorMode mode, const Pixels &source, int first, int last, int degrees,
                const Pixels &out)
{
    const auto white = [](QRgb pixel) { return (pixel & 0xffffff) == 0xffffff; };
    if (mode == LabelColorMode::blackAndWhite) {
        turnRows<true>(source, first, last, degrees, out, [&](QRgb pixel) {
            return white(pixel) || luma(pixel) >= kBlackAndWhiteThreshold ? quint8(255) : quint8(0);
        });
    } else {
        turnRows<false>(source, first, last, degrees, out,
                        [&](QRgb pixel) { return white(pixel) ? quint8(255) : luma(pixel); });
    }
}

void checkLabelInches(QSizeF labelInches)
{
    const auto bad = [](double side) {
        return !std::isfinite(side) || side < LabelMedia::kMinInches || side > LabelMedia::kMaxInches;
    };
    if (bad(labelInches.width()) || bad(labelInches.height()))
        throw LabelRenderError(QStringLiteral("A label of %1 × %2 inches cannot be printed: each side must "
                                              "be at least %4 and at most %3 inches.")
                                   .arg(labelInches.width())
                                   .arg(labelInches.height())
                                   .arg(LabelMedia::kMaxInches)
                                   .arg(LabelMedia::kMinInches));
}

// An undrawn label of exactly `labelInches` at 300 dpi.
QImage blankDrawing(QSizeF labelInches)
{
    checkLabelInches(labelInches);
    // Bounded by the check above (48 in gives 14400 pixels), so the conversions are safe.
    const double widthPixels = std::ceil(labelInches.width() * kLabelDotsPerInch - 1e-6);
    const double heightPixels = std::ceil(labelInches.height() * kLabelDotsPerInch - 1e-6);
    QImage drawing(int(widthPixels), int(heightPixels), QImage::Format_RGB32);
    if (drawing.isNull())
        throw LabelRenderError(QStringLiteral("There is not enough memory to draw a label of %1 × %2 pixels.")
                                   .arg(int(widthPixels))
                                   .arg(int(heightPixels)));
    const int dotsPerMeter = int(std::lround(kLabelDotsPerInch / 0.0254));
    drawing.setDotsPerMeterX(dotsPerMeter);
    drawing.setDotsPerMeterY(dotsPerMeter);
    return drawing;
}

// Runs `draw`, turning a layout's failure into the label's.
template <typename Draw> auto withDrawingErrors(Draw draw)
{
    try {
        return draw();
    } catch (const LabelRenderError &) {
        throw;
    } catch (const Error &error) {
        throw LabelRenderError(QStringLiteral("The label could not be drawn: %1").arg(error.message()));
    }
}

// Rows [top, top + rows) of the drawing: white paper (whatever a layout leaves uncovered,
// outside a round label, prints nothing) and the page laid out by `layout` painted over
// it. The band paints the whole page at the drawing's own coordinates, clipped to its
// rows, so that each pixel is worked out exactly as one drawing of the whole page does.
void paintRows(const labelkit::LabelLayout &layout, QSizeF labelInches, const Pixels &drawing,
               int dotsPerMeter, int top, int rows)
{
    for (int y = top; y < top + rows; ++y)
        std::fill_n(reinterpret_cast<QRgb *>(drawing.line(y)), drawing.width, QRgb(0xffffffff));
    // The whole drawing's memory under a painter of this thread's own.
    QImage canvas(drawing.bits, drawing.width, drawing.height, drawing.bytesPerLine, QImage::Format_RGB32);
    // The page's point sizes become pixels at this resolution.
    canvas.setDotsPerMeterX(dotsPerMeter);
    canvas.setDotsPerMeterY(dotsPerMeter);
    withDrawingErrors([&] {
        QPainter painter(&canvas);
        if (!painter.isActive())
            throw LabelRenderError(QStringLiteral("The label could not be drawn."));
        const bool whole = top == 0 && rows == drawing.height;
        if (!whole)
            painter.setClipRect(QRect(0, top, drawing.width, rows));
        const qreal scale = kLabelDotsPerInch / 72.0;
        painter.scale(scale, scale);
        painter.setClipRect(QRectF(0, 0, labelInches.width() * 72.0, labelInches.height() * 72.0),
                            whole ? Qt::ReplaceClip : Qt::IntersectClip);
        layout.paint(painter);
    });
}

// Drawings of at least this many pixels (a 4 × 6 label has 2.16 million) are shared
// between the band crew's threads; a smaller one is quicker drawn whole.
constexpr qsizetype kBandedPixels = 1'000'000;

// Where `bands` bands of about equal height meet, as rows of a drawing `height` rows
// high, from 0 to `height`. Every band but the last is a whole number of 8 rows (whole
// bytes of a turned, packed bitmap). No band edge passes through a picture: the pixels a
// scaled picture gets depend on the row its drawing starts at, so one band draws it all.
QList<int> bandEdges(int height, int bands, const QList<QRectF> &pictureFrames)
{
    const qreal scale = kLabelDotsPerInch / 72.0;
    const auto roundUp8 = [](int row) { return (row + 7) & ~7; };
    const int perBand = std::max(8, roundUp8((height + bands - 1) / bands));
    QList<int> edges{0};
    for (int edge = perBand; edge < height; edge += perBand) {
        edge = std::max(edge, edges.last() + 8);
        for (bool moved = true; moved && edge < height;) {
            moved = false;
            for (const QRectF &frame : pictureFrames) {
                const int first = int(std::floor(frame.top() * scale)) - 1;
                const int last = int(std::ceil(frame.bottom() * scale)) + 1;
                if (first < edge && edge < last) {
                    edge = roundUp8(last);
                    moved = true;
                }
            }
        }
        if (edge >= height)
            break;
        edges.append(edge);
    }
    edges.append(height);
    return edges;
}

// The page painted into `drawing` in horizontal bands side by side on the crew, `bands`
// of them (0: as many as the crew runs for a big drawing, one for a small one; one
// without a crew). `done(first, last)`
// is called for each band's rows on the thread that drew them.
template <typename Done>
void drawInBands(const AnyLabelView &page, QSizeF labelInches, const Pixels &drawing, int dotsPerMeter,
                 BandCrew *crew, int bands, Done done)
{
    if (!crew)
        bands = 1;
    else if (bands <= 0)
        bands = qsizetype(drawing.width) * drawing.height >= kBandedPixels ? crew->bands() : 1;
    // Laid out here first: the pictures' places decide the bands, and this thread's band
    // paints this layout. The crew's threads lay the page out again, each with fonts of
    // its own.
    const labelkit::LabelLayout layout = withDrawingErrors([&] { return page.layout(); });
    const QList<int> edges =
        bands > 1 ? bandEdges(drawing.height, bands, layout.pictureFrames()) : QList<int>{0, drawing.height};
    const std::thread::id caller = std::this_thread::get_id();
    bool callerLayoutUsed = false; // read and written on the caller's thread only
    const std::function<void(int)> band = [&](int index) {
        const int first = edges.at(index);
        const int last = edges.at(index + 1);
        if (std::this_thread::get_id() == caller && !callerLayoutUsed) {
            callerLayoutUsed = true;
            paintRows(layout, labelInches, drawing, dotsPerMeter, first, last - first);
        } else {
            const labelkit::LabelLayout own = withDrawingErrors([&] { return page.layout(); });
            paintRows(own, labelInches, drawing, dotsPerMeter, first, last - first);
        }
        done(first, last);
    };
    if (crew)
        crew->run(int(edges.size()) - 1, band);
    else
        band(0);
}

} // namespace

int standardRotation(const LabelMedia &media, Orientation orientation)
{
    return orientation == Orientation::portrait && !media.isCircular ? 90 : 180;
}

QImage grayscaleImage(const QImage &image)
{
    // A neutral grey monochrome tint at full intensity leaves each pixel at its own luma.
    if (image.isNull())
        return image;
    QImage grey = greyLevels(image, kIdentity.values);
    return grey.isNull() ? image : grey;
}

QImage blackAndWhiteImage(const QImage &image)
{
    if (image.isNull())
        return image;
    QImage result = greyLevels(image, kThreshold.values);
    return result.isNull() ? image : result;
}

QImage rotatedImage(const QImage &image, int degrees)
{
    if (image.isNull() || (degrees != 90 && degrees != 180 && degrees != 270))
        return image;
    // The angle turns the picture counter-clockwise; QTransform turns clockwise on a
    // y-down image. Right angles take Qt's exact pixel-moving path, no resampling.
    QImage turned = image.transformed(QTransform().rotate(-degrees));
    return turned.isNull() ? image : turned;
}

QImage colorModeImage(const QImage &image, LabelColorMode mode)
{
    switch (mode) {
    case LabelColorMode::color:
        return image;
    case LabelColorMode::grayscale:
        return grayscaleImage(image);
    case LabelColorMode::blackAndWhite:
        return blackAndWhiteImage(image);
    }
    return image;
}

QImage renderLabelImage(const AnyLabelView &page, QSizeF labelInches, BandCrew *crew, int bands)
{
    QImage drawing = blankDrawing(labelInches);
    const Pixels pixels{drawing.bits(), drawing.bytesPerLine(), drawing.width(), drawing.height()};
    drawInBands(page, labelInches, pixels, drawing.dotsPerMeterX(), crew, bands, [](int, int) {});
    return drawing;
}

QByteArray encodePNG(const QImage &image)
{
    if (image.isNull())
        throw LabelRenderError(QStringLiteral("The label could not be encoded as PNG: there is no image."));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Light compression: a label's PNG only travels to the local print queue, and the
    // default level takes twice as long for a file a third the size.
    writer.setQuality(70);
    if (!writer.write(image) || bytes.isEmpty())
        throw LabelRenderError(
            QStringLiteral("The label could not be encoded as PNG: %1").arg(writer.errorString()));
    return bytes;
}

QImage printBitmap(const QImage &image, LabelColorMode mode, int degrees)
{
    if (turnsInOnePass(image.format(), mode, degrees)) {
        QImage bitmap = turnedBitmap(image.width(), image.height(), degrees,
                                     mode == LabelColorMode::blackAndWhite, image.dotsPerMeterX());
        if (!bitmap.isNull()) {
            // Read only: the const bits are not detached.
            const Pixels source{const_cast<uchar *>(image.constBits()), image.bytesPerLine(), image.width(),
                                image.height()};
            const Pixels out{bitmap.bits(), bitmap.bytesPerLine(), bitmap.width(), bitmap.height()};
            turnRowsIn(mode, source, 0, source.height, degrees, out);
            return bitmap;
        }
    }
    QImage bitmap = rotatedImage(colorModeImage(image, mode), degrees);
    if (mode == LabelColorMode::blackAndWhite && bitmap.format() == QImage::Format_Grayscale8) {
        QImage mono = packedMonochrome(bitmap);
        if (!mono.isNull())
            bitmap = std::move(mono);
    }
    return bitmap;
}

QByteArray renderLabelPNG(const AnyLabelView &page, QSizeF labelInches, LabelColorMode mode,
                          int rotationDegrees, BandCrew *crew, int bands)
{
    QImage drawing = blankDrawing(labelInches);
    const Pixels pixels{drawing.bits(), drawing.bytesPerLine(), drawing.width(), drawing.height()};
    // Each band is turned into the print bitmap as soon as it is drawn, on the thread
    // that drew it, while it is still in that CPU's cache.
    QImage bitmap;
    if (turnsInOnePass(drawing.format(), mode, rotationDegrees))
        bitmap = turnedBitmap(pixels.width, pixels.height, rotationDegrees,
                              mode == LabelColorMode::blackAndWhite, drawing.dotsPerMeterX());
    if (bitmap.isNull()) {
        drawInBands(page, labelInches, pixels, drawing.dotsPerMeterX(), crew, bands, [](int, int) {});
        return encodePNG(printBitmap(drawing, mode, rotationDegrees));
    }
    const Pixels out{bitmap.bits(), bitmap.bytesPerLine(), bitmap.width(), bitmap.height()};
    drawInBands(page, labelInches, pixels, drawing.dotsPerMeterX(), crew, bands,
                [&](int first, int last) { turnRowsIn(mode, pixels, first, last, rotationDegrees, out); });
    return encodePNG(bitmap);
}

QByteArray renderLabelPNG(const AnyLabelView &page, const LabelMedia &media, Orientation orientation,
                          LabelColorMode mode, BandCrew *crew)
{
    if (const auto reason = media.unprintableReason())
        throw LabelRenderError(*reason);
    return renderLabelPNG(page, labelSizeInches(media, orientation), mode,
                          standardRotation(media, orientation), crew);
}

} // namespace quill
