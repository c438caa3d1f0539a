#include "printkit/rendering/image_decoder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <libheif/heif.h>
#include <memory>

namespace printkit {

namespace {

bool startsWith(const QByteArray &bytes, const char *prefix, qsizetype length)
{
    return bytes.size() >= length && std::equal(prefix, prefix + length, bytes.constData());
}

void checkPixelCount(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        throw ImageDecodeError(QStringLiteral("The picture has no size."));
    if (width * height > kMaxImagePixels)
        throw ImageDecodeError(QStringLiteral("The picture is too large (%1 × %2 pixels); pictures up to %3 "
                                              "megapixels are supported.")
                                   .arg(width)
                                   .arg(height)
                                   .arg(kMaxImagePixels / 1000000));
}

QString heifMessage(const heif_error &error)
{
    return QString::fromUtf8(error.message ? error.message : "unknown error");
}

QImage decodeHeif(const QByteArray &bytes)
{
    const std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(),
                                                                              &heif_context_free);
    if (!context)
        throw ImageDecodeError(QStringLiteral("The HEIC picture could not be read: out of memory."));
    heif_error error =
        heif_context_read_from_memory_without_copy(context.get(), bytes.constData(), size_t(bytes.size()), nullptr);
    if (error.code != heif_error_Ok)
        throw ImageDecodeError(QStringLiteral("The HEIC picture could not be read: %1.").arg(heifMessage(error)));

    heif_image_handle *rawHandle = nullptr;
    error = heif_context_get_primary_image_handle(context.get(), &rawHandle);
    const std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)> handle(
        rawHandle, &heif_image_handle_release);
    if (error.code != heif_error_Ok || !handle)
        throw ImageDecodeError(
            QStringLiteral("The HEIC picture holds no image: %1.").arg(heifMessage(error)));
    checkPixelCount(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()));

    heif_image *rawImage = nullptr;
    error = heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr);
    const std::unique_ptr<heif_image, decltype(&heif_image_release)> image(rawImage, &heif_image_release);
    if (error.code != heif_error_Ok || !image)
        throw ImageDecodeError(QStringLiteral("The HEIC picture could not be decoded: %1.").arg(heifMessage(error)));

    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const uint8_t *pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!pixels || width <= 0 || height <= 0)
        throw ImageDecodeError(QStringLiteral("The HEIC picture could not be decoded."));
    // The wrapper borrows libheif's buffer; the copy owns its pixels.
    const QImage borrowed(pixels, width, height, stride, QImage::Format_RGBA8888);
    QImage copy = borrowed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (copy.isNull())
        throw ImageDecodeError(QStringLiteral("There is not enough memory for the HEIC picture."));
    return copy;
}

QImage decodeWithQt(const QByteArray &bytes)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        throw ImageDecodeError(QStringLiteral("The file is not a picture this application can read."));
    const QSize size = reader.size();
    if (size.isValid())
        checkPixelCount(size.width(), size.height());
    const QImage image = reader.read();
    if (image.isNull())
        throw ImageDecodeError(QStringLiteral("The picture could not be read: %1.").arg(reader.errorString()));
    checkPixelCount(image.width(), image.height());
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

ImageFormat sniffImageFormat(const QByteArray &bytes)
{
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n", 8))
        return ImageFormat::png;
    if (startsWith(bytes, "\xff\xd8\xff", 3))
        return ImageFormat::jpeg;
    if (startsWith(bytes, "II*\0", 4) || startsWith(bytes, "MM\0*", 4))
        return ImageFormat::tiff;
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

QImage decodeImage(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        throw ImageDecodeError(QStringLiteral("The picture is empty."));
    if (bytes.size() > kMaxImageFileBytes)
        throw ImageDecodeError(QStringLiteral("The picture is larger than %1 MB.").arg(kMaxImageFileBytes >> 20));
    if (sniffImageFormat(bytes) == ImageFormat::heic)
        return decodeHeif(bytes);
    return decodeWithQt(bytes);
}

QImage decodeImageFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImageDecodeError(QStringLiteral("%1 could not be opened: %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.size() > kMaxImageFileBytes)
        throw ImageDecodeError(QStringLiteral("%1 is larger than %2 MB.")
                                   .arg(QDir::toNativeSeparators(path))
                                   .arg(kMaxImageFileBytes >> 20));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ImageDecodeError(QStringLiteral("%1 could not be read: %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    return decodeImage(bytes);
}

} // namespace printkit
