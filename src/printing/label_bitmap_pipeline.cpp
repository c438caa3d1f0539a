#include "printing/label_bitmap_pipeline.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QTransform>
#include <cmath>
#include <cstring>

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

// The print bitmap straight from an opaque drawing, in one pass: each pixel's grey
// level (through `level`) is written where the turn puts it, as 8-bit grey or, when
// `packed`, one bit per pixel (1 for white, most significant first). Only the turns
// printing uses (none, 90 and 180 degrees) are done here; the same pixels as
// converting, turning and packing one after the other.
template <bool packed, typename Level> QImage turnedLevels(const QImage &source, int degrees, Level level)
{
    const int width = source.width();
    const int height = source.height();
    const bool swaps = degrees == 90;
    QImage out(swaps ? height : width, swaps ? width : height,
               packed ? QImage::Format_Mono : QImage::Format_Grayscale8);
    if (out.isNull())
        return {};
    if constexpr (packed)
        out.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    out.setDotsPerMeterX(source.dotsPerMeterX());
    out.setDotsPerMeterY(source.dotsPerMeterY());
    // Every byte starts at zero, the padding past the last pixel of a packed row too.
    std::memset(out.bits(), 0, size_t(out.sizeInBytes()));

    const auto put = [](uchar *row, int x, quint8 value) {
        if constexpr (packed)
            row[x >> 3] |= uchar((value & 0x80) >> (x & 7));
        else
            row[x] = value;
    };
    if (degrees == 90) {
        // Counter-clockwise: source column c becomes row width-1-c, source row r its
        // pixel r. Eight source rows at a time, read along the rows.
        for (int r0 = 0; r0 < height; r0 += 8) {
            const int rows = std::min(8, height - r0);
            const QRgb *line[8];
            for (int i = 0; i < rows; ++i)
                line[i] = reinterpret_cast<const QRgb *>(source.constScanLine(r0 + i));
            for (int c = 0; c < width; ++c) {
                uchar *row = out.scanLine(width - 1 - c);
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
        return out;
    }
    const bool halfTurn = degrees == 180;
    for (int y = 0; y < height; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(halfTurn ? height - 1 - y : y));
        uchar *row = out.scanLine(y);
        if (halfTurn) {
            for (int x = 0; x < width; ++x)
                put(row, x, level(in[width - 1 - x]));
        } else {
            for (int x = 0; x < width; ++x)
                put(row, x, level(in[x]));
        }
    }
    return out;
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

QImage renderLabelImage(const AnyLabelView &page, QSizeF labelInches)
{
    checkLabelInches(labelInches);
    // Bounded by the check above (48 in gives 14400 pixels), so the conversions are safe.
    const double widthPixels = std::ceil(labelInches.width() * kLabelDotsPerInch - 1e-6);
    const double heightPixels = std::ceil(labelInches.height() * kLabelDotsPerInch - 1e-6);
    QImage bitmap(int(widthPixels), int(heightPixels), QImage::Format_RGB32);
    if (bitmap.isNull())
        throw LabelRenderError(QStringLiteral("There is not enough memory to draw a label of %1 × %2 pixels.")
                                   .arg(int(widthPixels))
                                   .arg(int(heightPixels)));
    const int dotsPerMeter = int(std::lround(kLabelDotsPerInch / 0.0254));
    bitmap.setDotsPerMeterX(dotsPerMeter);
    bitmap.setDotsPerMeterY(dotsPerMeter);
    // White paper: whatever a layout leaves uncovered (outside a round label) prints nothing.
    bitmap.fill(Qt::white);

    try {
        QPainter painter(&bitmap);
        if (!painter.isActive())
            throw LabelRenderError(QStringLiteral("The label could not be drawn."));
        const qreal scale = kLabelDotsPerInch / 72.0;
        painter.scale(scale, scale);
        painter.setClipRect(QRectF(0, 0, labelInches.width() * 72.0, labelInches.height() * 72.0));
        page.paint(painter);
    } catch (const LabelRenderError &) {
        throw;
    } catch (const Error &error) {
        throw LabelRenderError(QStringLiteral("The label could not be drawn: %1").arg(error.message()));
    }
    return bitmap;
}

QByteArray encodePNG(const QImage &image)
{
    if (image.isNull())
        throw LabelRenderError(QStringLiteral("The label could not be encoded as PNG: there is no image."));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image) || bytes.isEmpty())
        throw LabelRenderError(
            QStringLiteral("The label could not be encoded as PNG: %1").arg(writer.errorString()));
    return bytes;
}

QImage printBitmap(const QImage &image, LabelColorMode mode, int degrees)
{
    const bool oneStep = image.format() == QImage::Format_RGB32 && mode != LabelColorMode::color &&
                         (degrees == 0 || degrees == 90 || degrees == 180);
    if (oneStep) {
        // Most of a label is blank paper: white is told apart before any weighing.
        const auto white = [](QRgb pixel) { return (pixel & 0xffffff) == 0xffffff; };
        const QImage bitmap =
            mode == LabelColorMode::blackAndWhite
                ? turnedLevels<true>(image, degrees,
                                     [&](QRgb pixel) {
                                         return white(pixel) || luma(pixel) >= kBlackAndWhiteThreshold
                                                    ? quint8(255)
                                                    : quint8(0);
                                     })
                : turnedLevels<false>(image, degrees,
                                      [&](QRgb pixel) { return white(pixel) ? quint8(255) : luma(pixel); });
        if (!bitmap.isNull())
            return bitmap;
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
                          int rotationDegrees)
{
    return encodePNG(printBitmap(renderLabelImage(page, labelInches), mode, rotationDegrees));
}

QByteArray renderLabelPNG(const AnyLabelView &page, const LabelMedia &media, Orientation orientation,
                          LabelColorMode mode)
{
    if (const auto reason = media.unprintableReason())
        throw LabelRenderError(*reason);
    return renderLabelPNG(page, labelSizeInches(media, orientation), mode,
                          standardRotation(media, orientation));
}

} // namespace quill
