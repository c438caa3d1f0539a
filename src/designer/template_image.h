#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

namespace quill {

// An image element's stored bytes as a picture; null when they do not decode.
// Recently drawn pictures are kept, so a canvas redraw does not decode them again.
QImage decodeTemplateImage(const QByteArray &bytes);

// The bytes an image element puts on the printed page: PNG and JPEG as stored, any
// other picture the decoder reads (TIFF, HEIC, …) re-encoded as PNG, which the print
// engine draws; none when the bytes do not decode. The stored bytes never change.
std::optional<QByteArray> templateImageForPage(const QByteArray &bytes);

} // namespace quill
