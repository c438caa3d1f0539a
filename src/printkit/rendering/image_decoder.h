#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <stdexcept>

namespace printkit {

// Why some bytes or a file gave no picture, in words for the seller.
class ImageDecodeError final : public std::runtime_error
{
public:
    explicit ImageDecodeError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

enum class ImageFormat
{
    png,
    jpeg,
    tiff,
    heic,
    gif,
    webp,
    other, // anything else (SVG, BMP, PDF…): never decoded
};

// Who asks for a picture decides which formats are taken: a logo or a template picture
// is PNG, JPEG, TIFF or HEIC; an avatar from the marketplace may also be GIF or WebP.
// Nothing reads SVG, whose links can pull in local files.
enum class ImageUse
{
    labelPicture,
    avatar,
};

// Pictures beyond these are refused before their pixels are allocated: a hostile header
// must not ask for gigabytes. 64 megapixels (2^26, so a 64 MP phone's 9248 × 6936 photo
// fits) is the largest camera photo a phone saves by default; decoded whole at 4 bytes a
// pixel it is 256 MiB, which is also what a format that cannot decode scaled may take.
inline constexpr qint64 kMaxImageFileBytes = 64LL * 1024 * 1024;
inline constexpr qint64 kMaxImagePixels = 64LL * 1024 * 1024;
inline constexpr qint64 kMaxDecodedBytes = kMaxImagePixels * 4;

// What the bytes say they are, from their first bytes only.
ImageFormat sniffImageFormat(const QByteArray &bytes);

// The picture's size as it is drawn (orientation applied), from its header; throws
// ImageDecodeError as decodeImage does for bytes it would refuse before decoding.
QSize readImageSize(const QByteArray &bytes, ImageUse use = ImageUse::labelPicture);

// The one decoder for logos, template pictures, the designer's canvas and avatars: Qt's
// readers for PNG, JPEG, TIFF, GIF and WebP (the format named by the bytes, never guessed
// by Qt) and HEIC/HEIF through libheif. The image comes back in ARGB32 (premultiplied)
// with EXIF/HEIF orientation applied. A valid `bounds` scales it down, proportions kept,
// to fit inside (JPEG is decoded at that size; the others are scaled right after
// decoding); it is never scaled up. Throws ImageDecodeError for empty, unreadable,
// truncated, oversized or refused pictures.
QImage decodeImage(const QByteArray &bytes, QSize bounds = {}, ImageUse use = ImageUse::labelPicture);
// The same for a file; a file larger than kMaxImageFileBytes is refused unread.
QImage decodeImageFile(const QString &path, QSize bounds = {}, ImageUse use = ImageUse::labelPicture);

// `size` scaled down, proportions kept, to fit inside `bounds`; `size` itself when it
// fits or `bounds` is not valid. Never below 1 × 1.
QSize fittedImageSize(QSize size, QSize bounds);

} // namespace printkit
