#include "printkit/rendering/image_decoder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <libheif/heif.h>
#include <memory>

namespace printkit {

namespace {

bool startsWith(const QByteArray &bytes, const char *prefix, qsizetype length)
{
    return bytes.size() >= length && std::equal(prefix, prefix + length, bytes.constData());
}

QString megapixelLimit()
{
    return QStringLiteral("pictures up to %1 megapixels are supported").arg(kMaxImagePixels >> 20);
}

void checkPixelCount(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        throw ImageDecodeError(QStringLiteral("The picture has no size."));
    if (width * height > kMaxImagePixels)
        throw ImageDecodeError(QStringLiteral("The picture is too large (%1 × %2 pixels); %3.")
                                   .arg(width)
                                   .arg(height)
                                   .arg(megapixelLimit()));
}

void checkFormat(ImageFormat format, ImageUse use)
{
    switch (format) {
    case ImageFormat::png:
    case ImageFormat::jpeg:
    case ImageFormat::tiff:
    case ImageFormat::heic:
        return;
    case ImageFormat::gif:
    case ImageFormat::webp:
        if (use == ImageUse::avatar)
            return;
        break;
    case ImageFormat::other:
        break;
    }
    throw ImageDecodeError(
        use == ImageUse::avatar
            ? QStringLiteral("The file is not a PNG, JPEG, TIFF, HEIC, GIF or WebP picture.")
            : QStringLiteral("The file is not a PNG, JPEG, TIFF or HEIC picture."));
}

const char *qtFormatName(ImageFormat format)
{
    switch (format) {
    case ImageFormat::png:
        return "png";
    case ImageFormat::jpeg:
        return "jpeg";
    case ImageFormat::tiff:
        return "tiff";
    case ImageFormat::gif:
        return "gif";
    case ImageFormat::webp:
        return "webp";
    case ImageFormat::heic:
    case ImageFormat::other:
        break;
    }
    return "";
}

QImage finished(QImage image, QSize bounds)
{
    if (image.isNull())
        throw ImageDecodeError(QStringLiteral("There is not enough memory for the picture."));
    const QSize target = fittedImageSize(image.size(), bounds);
    if (target != image.size())
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        throw ImageDecodeError(QStringLiteral("There is not enough memory for the picture."));
    return image;
}

// ----- HEIC through libheif -----

QString heifMessage(const heif_error &error)
{
    return QString::fromUtf8(error.message ? error.message : "unknown error");
}

using HeifContext = std::unique_ptr<heif_context, decltype(&heif_context_free)>;
using HeifHandle = std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)>;

struct HeifPrimary
{
    HeifContext context{nullptr, &heif_context_free};
    HeifHandle handle{nullptr, &heif_image_handle_release};
};

// The file's primary picture, its size checked against the bound before any pixel is decoded.
HeifPrimary openHeif(const QByteArray &bytes)
{
    HeifPrimary primary;
    primary.context.reset(heif_context_alloc());
    if (!primary.context)
        throw ImageDecodeError(QStringLiteral("The HEIC picture could not be read: out of memory."));
    // libheif's own ceiling on a side, below Qt's and our own.
    heif_context_set_maximum_image_size_limit(primary.context.get(), 32767);
    heif_error error = heif_context_read_from_memory_without_copy(primary.context.get(), bytes.constData(),
                                                                  size_t(bytes.size()), nullptr);
    if (error.code != heif_error_Ok)
        throw ImageDecodeError(
            QStringLiteral("The HEIC picture could not be read: %1.").arg(heifMessage(error)));
    heif_image_handle *rawHandle = nullptr;
    error = heif_context_get_primary_image_handle(primary.context.get(), &rawHandle);
    primary.handle.reset(rawHandle);
    if (error.code != heif_error_Ok || !primary.handle)
        throw ImageDecodeError(
            QStringLiteral("The HEIC picture holds no image: %1.").arg(heifMessage(error)));
    // The stored size and the size after rotation hold the same number of pixels; both
    // are checked, so neither a crafted rotation nor a crafted size slips past.
    checkPixelCount(heif_image_handle_get_ispe_width(primary.handle.get()),
                    heif_image_handle_get_ispe_height(primary.handle.get()));
    checkPixelCount(heif_image_handle_get_width(primary.handle.get()),
                    heif_image_handle_get_height(primary.handle.get()));
    return primary;
}

QImage decodeHeif(const QByteArray &bytes, QSize bounds)
{
    const HeifPrimary primary = openHeif(bytes);
    // Three bytes a pixel unless there is transparency to keep.
    const bool alpha = heif_image_handle_has_alpha_channel(primary.handle.get()) != 0;
    heif_image *rawImage = nullptr;
    const heif_error error =
        heif_decode_image(primary.handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr);
    const std::unique_ptr<heif_image, decltype(&heif_image_release)> image(rawImage, &heif_image_release);
    if (error.code != heif_error_Ok || !image)
        throw ImageDecodeError(QStringLiteral("The HEIC picture could not be decoded: %1.").arg(heifMessage(error)));

    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const uint8_t *pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!pixels || width <= 0 || height <= 0)
        throw ImageDecodeError(QStringLiteral("The HEIC picture could not be decoded."));
    checkPixelCount(width, height);
    // The wrapper borrows libheif's buffer; scaling or converting makes the copy that owns its pixels.
    const QImage borrowed(pixels, width, height, stride,
                          alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const QSize target = fittedImageSize(borrowed.size(), bounds);
    if (target != borrowed.size())
        return finished(borrowed.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), {});
    return finished(borrowed.convertToFormat(QImage::Format_ARGB32_Premultiplied), {});
}

// ----- the others through Qt -----

struct QtReader
{
    explicit QtReader(const QByteArray &bytes, ImageFormat format)
        : data(bytes), buffer(&data), reader(&buffer, qtFormatName(format))
    {
        buffer.open(QIODevice::ReadOnly);
        // Only the reader the bytes name: no other plug-in (SVG among them) gets a guess.
        reader.setAutoDetectImageFormat(false);
        reader.setDecideFormatFromContent(false);
        reader.setAutoTransform(true);
        if (!reader.canRead())
            throw ImageDecodeError(
                QStringLiteral("The picture could not be read: %1.").arg(reader.errorString()));
    }
    Q_DISABLE_COPY_MOVE(QtReader)

    bool turned() { return reader.transformation() & QImageIOHandler::TransformationRotate90; }

    QByteArray data;
    QBuffer buffer;
    QImageReader reader;
};

QImage decodeWithQt(const QByteArray &bytes, ImageFormat format, QSize bounds)
{
    QtReader qt(bytes, format);
    QImageReader &reader = qt.reader;
    const QSize stored = reader.size();
    if (stored.isValid()) {
        checkPixelCount(stored.width(), stored.height());
        if (bounds.isValid()) {
            // The reader scales the stored picture; the bounds are for the turned one.
            const QSize target = fittedImageSize(stored, qt.turned() ? bounds.transposed() : bounds);
            if (target != stored && reader.supportsOption(QImageIOHandler::ScaledSize))
                reader.setScaledSize(target);
        }
        // Qt's own allocation ceiling is lower than ours; ours is what a refusal names.
        const int neededMegabytes = int((kMaxDecodedBytes >> 20) + 1);
        if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < neededMegabytes)
            QImageReader::setAllocationLimit(neededMegabytes);
        const int depth = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
        // Only JPEG decodes at a smaller size; the others decode whole, then scale.
        const bool decodesScaled = format == ImageFormat::jpeg && reader.scaledSize().isValid();
        const QSize decoded = decodesScaled ? reader.scaledSize() : stored;
        if (qint64(decoded.width()) * decoded.height() * std::max(depth, 32) / 8 > kMaxDecodedBytes)
            throw ImageDecodeError(QStringLiteral("The picture is too large (%1 × %2 pixels at %3 bits); %4 "
                                                  "at 8 bits a colour.")
                                       .arg(stored.width())
                                       .arg(stored.height())
                                       .arg(depth)
                                       .arg(megapixelLimit()));
    }
    const QImage image = reader.read();
    if (image.isNull())
        throw ImageDecodeError(QStringLiteral("The picture could not be read: %1.").arg(reader.errorString()));
    checkPixelCount(image.width(), image.height());
    return finished(image, bounds);
}

ImageFormat checkedFormat(const QByteArray &bytes, ImageUse use)
{
    if (bytes.isEmpty())
        throw ImageDecodeError(QStringLiteral("The picture is empty."));
    if (bytes.size() > kMaxImageFileBytes)
        throw ImageDecodeError(
            QStringLiteral("The picture is larger than %1 MB.").arg(kMaxImageFileBytes >> 20));
    const ImageFormat format = sniffImageFormat(bytes);
    checkFormat(format, use);
    return format;
}

} // namespace

QSize fittedImageSize(QSize size, QSize bounds)
{
    if (!bounds.isValid() || bounds.isEmpty() ||
        (size.width() <= bounds.width() && size.height() <= bounds.height()))
        return size;
    const double factor =
        std::min(double(bounds.width()) / size.width(), double(bounds.height()) / size.height());
    return QSize(std::max(1, int(std::lround(size.width() * factor))),
                 std::max(1, int(std::lround(size.height() * factor))));
}

ImageFormat sniffImageFormat(const QByteArray &bytes)
{
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n", 8))
        return ImageFormat::png;
    if (startsWith(bytes, "\xff\xd8\xff", 3))
        return ImageFormat::jpeg;
    if (startsWith(bytes, "II*\0", 4) || startsWith(bytes, "MM\0*", 4))
        return ImageFormat::tiff;
    if (startsWith(bytes, "GIF87a", 6) || startsWith(bytes, "GIF89a", 6))
        return ImageFormat::gif;
    if (startsWith(bytes, "RIFF", 4) && bytes.size() >= 12 && bytes.mid(8, 4) == "WEBP")
        return ImageFormat::webp;
    if (bytes.size() >= 12 && bytes.mid(4, 4) == "ftyp") {
        static const QByteArray brands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"};
        const QByteArray brand = bytes.mid(8, 4);
        for (const QByteArray &known : brands) {
            if (brand == known)
                return ImageFormat::heic;
        }
    }
    return ImageFormat::other;
}

QSize readImageSize(const QByteArray &bytes, ImageUse use)
{
    const ImageFormat format = checkedFormat(bytes, use);
    if (format == ImageFormat::heic) {
        const HeifPrimary primary = openHeif(bytes);
        return QSize(heif_image_handle_get_width(primary.handle.get()),
                     heif_image_handle_get_height(primary.handle.get()));
    }
    QtReader qt(bytes, format);
    const QSize stored = qt.reader.size();
    if (!stored.isValid())
        throw ImageDecodeError(QStringLiteral("The picture does not say its size."));
    checkPixelCount(stored.width(), stored.height());
    return qt.turned() ? stored.transposed() : stored;
}

QImage decodeImage(const QByteArray &bytes, QSize bounds, ImageUse use)
{
    const ImageFormat format = checkedFormat(bytes, use);
    if (format == ImageFormat::heic)
        return decodeHeif(bytes, bounds);
    return decodeWithQt(bytes, format, bounds);
}

QImage decodeImageFile(const QString &path, QSize bounds, ImageUse use)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImageDecodeError(QStringLiteral("%1 could not be opened: %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.size() > kMaxImageFileBytes)
        throw ImageDecodeError(QStringLiteral("%1 is larger than %2 MB.")
                                   .arg(QDir::toNativeSeparators(path))
                                   .arg(kMaxImageFileBytes >> 20));
    const QByteArray bytes = file.read(kMaxImageFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw ImageDecodeError(QStringLiteral("%1 could not be read: %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    return decodeImage(bytes, bounds, use);
}

} // namespace printkit
