#pragma once

// Pictures made in the test as sellers and web pages bring them: photos the size of a
// phone camera's (smooth colour noise that compresses about as a photo does, not a flat
// colour a codec squeezes to nothing) and an SVG that links to a local file.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace quill::testing {

// `size` pixels of noise `seed` picks, smoothed over blocks of `blockPixels`.
inline QImage photoPixels(QSize size, quint32 seed, int blockPixels = 16)
{
    QImage tile(std::max(1, size.width() / blockPixels), std::max(1, size.height() / blockPixels),
                QImage::Format_RGB32);
    for (int y = 0; y < tile.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(tile.scanLine(y));
        for (int x = 0; x < tile.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            line[x] = 0xff000000u | (seed >> 8);
        }
    }
    return tile.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

inline QByteArray encodedPhoto(const QImage &pixels, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pixels.save(&buffer, format, quality);
    return bytes;
}

// A 12-megapixel (4032 × 3024) JPEG of a little under 1 MB, as a phone saves them.
inline QByteArray phonePhotoJpeg(quint32 seed)
{
    return encodedPhoto(photoPixels(QSize(4032, 3024), seed), "JPEG", 40);
}

// An SVG of `side` pixels whose picture link names the local file `path`: drawn, it would
// copy that file's pixels.
inline QByteArray svgLinkingTo(const QString &path, int side)
{
    return QStringLiteral(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
               "width=\"%2\" height=\"%2\"><image xlink:href=\"file://%1\" width=\"%2\" "
               "height=\"%2\"/></svg>")
        .arg(path)
        .arg(side)
        .toUtf8();
}

} // namespace quill::testing
