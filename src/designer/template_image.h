#pragma once

#include "designer/label_template.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <optional>

namespace quill {

// The printed page draws pictures at this resolution, what a label printer prints.
inline constexpr double kPagePictureDpi = 300.0;
// The canvas and the panel preview never need more than this on a side (a 4 × 6 inch
// label at 300 dpi is 1200 × 1800).
inline constexpr int kCanvasPictureSide = 2048;

// An image element's stored bytes as a picture for the screen, at most
// kCanvasPictureSide on a side; null when they do not decode. Recently drawn pictures
// are kept, up to a budget of bytes, so a canvas redraw does not decode them again.
QImage decodeTemplateImage(const QByteArray &bytes);

struct PagePicture
{
    QByteArray bytes;
    QByteArray mimeType; // "image/png" or "image/jpeg"
};

// What an image element puts on the printed page: the picture at the size its frame
// (`frame`, in points) needs at 300 dpi with its fit, never larger than stored. JPEG
// pictures and opaque photos go as JPEG, pictures with transparency as PNG; a PNG or
// JPEG that needs no scaling goes as stored. None when the bytes do not decode. The
// stored bytes never change.
std::optional<PagePicture> templateImageForPage(const QByteArray &bytes, QSizeF frame, ObjectFitValue fit);

// Why these bytes cannot be a template picture, in words for the seller: not a PNG,
// JPEG, TIFF or HEIC picture, unreadable or too large. None when they can.
std::optional<QString> templatePictureProblem(const QByteArray &bytes);

} // namespace quill
