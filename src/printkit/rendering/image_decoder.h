#pragma once

#include <QByteArray>
#include <QImage>
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
    other, // anything else Qt may still read (GIF, WebP, BMP…)
};

// Pictures beyond these are refused before anything is allocated: a label never needs
// more, and a hostile header must not ask for gigabytes.
inline constexpr qint64 kMaxImageFileBytes = 64LL * 1024 * 1024;
inline constexpr qint64 kMaxImagePixels = 64LL * 1000 * 1000;

// What the bytes say they are, from their first bytes only.
ImageFormat sniffImageFormat(const QByteArray &bytes);

// The one decoder for logos, template images and the designer's canvas: Qt's readers
// (PNG, JPEG, TIFF and the other installed plug-ins) and HEIC/HEIF through libheif.
// The image comes back in ARGB32 (premultiplied) with EXIF/HEIF orientation applied.
// Throws ImageDecodeError for empty, unreadable, truncated or oversized pictures.
QImage decodeImage(const QByteArray &bytes);
// The same for a file; a file larger than kMaxImageFileBytes is refused unread.
QImage decodeImageFile(const QString &path);

} // namespace printkit
