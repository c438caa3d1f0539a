#include "designer/template_image.h"

#include "printkit/rendering/image_decoder.h"

#include <QBuffer>
#include <QList>
#include <QPair>

namespace quill {

namespace {

QImage decodeOrNull(const QByteArray &bytes)
{
    try {
        return printkit::decodeImage(bytes);
    } catch (const printkit::ImageDecodeError &) {
        return {};
    }
}

} // namespace

QImage decodeTemplateImage(const QByteArray &bytes)
{
    // A handful of pictures, most recent first; failures are kept too (as null).
    static constexpr qsizetype kKept = 8;
    static QList<QPair<QByteArray, QImage>> recent;
    for (qsizetype i = 0; i < recent.size(); ++i) {
        if (recent.at(i).first == bytes) {
            if (i > 0)
                recent.move(i, 0);
            return recent.first().second;
        }
    }
    QImage image = decodeOrNull(bytes);
    recent.prepend({bytes, image});
    if (recent.size() > kKept)
        recent.removeLast();
    return image;
}

std::optional<QByteArray> templateImageForPage(const QByteArray &bytes)
{
    const QImage image = decodeTemplateImage(bytes);
    if (image.isNull())
        return std::nullopt;
    const printkit::ImageFormat format = printkit::sniffImageFormat(bytes);
    if (format == printkit::ImageFormat::png || format == printkit::ImageFormat::jpeg)
        return bytes;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return std::nullopt;
    return png;
}

} // namespace quill
