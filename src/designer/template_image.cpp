#include "designer/template_image.h"

#include "printkit/rendering/image_decoder.h"

#include <QBuffer>
#include <QList>
#include <algorithm>
#include <cmath>

namespace quill {

namespace {

// Recently used values, most recent first, kept while their bytes fit the budget (the
// newest always stays). Keyed by the stored picture and what was asked of it.
template <typename Value> class RecentPictures
{
public:
    explicit RecentPictures(qint64 budget) : m_budget(budget) {}

    const Value *find(const QByteArray &source, const QByteArray &request)
    {
        for (qsizetype i = 0; i < m_entries.size(); ++i) {
            if (m_entries.at(i).request == request && m_entries.at(i).source == source) {
                m_entries.move(i, 0);
                return &m_entries.first().value;
            }
        }
        return nullptr;
    }

    const Value &insert(const QByteArray &source, const QByteArray &request, Value value, qint64 bytes)
    {
        m_entries.prepend(Entry{source, request, std::move(value), bytes + source.size()});
        m_used += m_entries.first().bytes;
        while (m_entries.size() > 1 && m_used > m_budget) {
            m_used -= m_entries.last().bytes;
            m_entries.removeLast();
        }
        return m_entries.first().value;
    }

private:
    struct Entry
    {
        QByteArray source; // shares the caller's bytes
        QByteArray request;
        Value value;
        qint64 bytes;
    };
    qint64 m_budget;
    qint64 m_used = 0;
    QList<Entry> m_entries;
};

QImage decodeOrNull(const QByteArray &bytes, QSize bounds)
{
    try {
        return printkit::decodeImage(bytes, bounds);
    } catch (const printkit::ImageDecodeError &) {
        return {};
    }
}

// Plenty for a label printer, which prints at 203 or 300 dpi and mostly in black.
constexpr int kPageJpegQuality = 85;

bool isOpaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return true;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return false;
        }
    }
    return true;
}

QByteArray encoded(const QImage &image, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality))
        return {};
    return bytes;
}

// The pixels a frame of `frame` points needs of a picture of `source` pixels: the picture
// scaled so it contains or covers the frame at 300 dpi (a filled picture as covering, so
// both sides have enough), never up.
QSize neededPixels(QSize source, QSizeF frame, ObjectFitValue fit)
{
    const auto side = [](double points) {
        const double pixels = points / 72.0 * kPagePictureDpi;
        return std::isfinite(pixels)
                   ? std::clamp(pixels, 1.0, templateLimits::maxLabelSideInches * kPagePictureDpi)
                   : 1.0;
    };
    const double width = side(frame.width());
    const double height = side(frame.height());
    const double across = width / source.width();
    const double down = height / source.height();
    const double factor =
        std::min(1.0, fit == ObjectFitValue::contain ? std::min(across, down) : std::max(across, down));
    return QSize(std::max(1, int(std::ceil(source.width() * factor))),
                 std::max(1, int(std::ceil(source.height() * factor))));
}

std::optional<PagePicture> pagePicture(const QByteArray &bytes, QSize needed, QSize source)
{
    const printkit::ImageFormat format = printkit::sniffImageFormat(bytes);
    const bool asStored = needed == source;
    if (asStored && format == printkit::ImageFormat::jpeg)
        return PagePicture{bytes, "image/jpeg"};
    const QImage image = decodeOrNull(bytes, needed);
    if (image.isNull())
        return std::nullopt;
    const auto asJpeg = [&image]() -> std::optional<PagePicture> {
        QByteArray jpeg = encoded(image.convertToFormat(QImage::Format_RGB32), "JPEG", kPageJpegQuality);
        if (jpeg.isEmpty())
            return std::nullopt;
        return PagePicture{std::move(jpeg), "image/jpeg"};
    };
    const bool opaque = isOpaque(image);
    // JPEG stays JPEG; camera pictures (TIFF, HEIC) go as JPEG unless they are see-through.
    if (format == printkit::ImageFormat::jpeg || (opaque && format != printkit::ImageFormat::png))
        return asJpeg();
    QByteArray png = asStored && format == printkit::ImageFormat::png ? bytes : encoded(image, "PNG", -1);
    if (png.isEmpty())
        return std::nullopt;
    // An opaque PNG photo takes far fewer bytes as JPEG; drawings and logos stay PNG.
    if (opaque && png.size() > 256 * 1024) {
        std::optional<PagePicture> jpeg = asJpeg();
        if (jpeg && jpeg->bytes.size() < png.size())
            return jpeg;
    }
    return PagePicture{std::move(png), "image/png"};
}

} // namespace

QImage decodeTemplateImage(const QByteArray &bytes)
{
    // A handful of screen-sized pictures (a 2048-pixel square is 16 MB); failures too, as null.
    static RecentPictures<QImage> recent(128LL * 1024 * 1024);
    if (const QImage *kept = recent.find(bytes, {}))
        return *kept;
    QImage image = decodeOrNull(bytes, QSize(kCanvasPictureSide, kCanvasPictureSide));
    const qint64 size = image.sizeInBytes();
    return recent.insert(bytes, {}, std::move(image), size);
}

std::optional<PagePicture> templateImageForPage(const QByteArray &bytes, QSizeF frame, ObjectFitValue fit)
{
    QSize source;
    try {
        source = printkit::readImageSize(bytes);
    } catch (const printkit::ImageDecodeError &) {
        return std::nullopt;
    }
    const QSize needed = neededPixels(source, frame, fit);
    // Labels printed one after another draw the same pictures at the same sizes.
    static RecentPictures<std::optional<PagePicture>> recent(32LL * 1024 * 1024);
    const QByteArray request = QByteArray::number(needed.width()) + 'x' + QByteArray::number(needed.height());
    if (const std::optional<PagePicture> *kept = recent.find(bytes, request))
        return *kept;
    std::optional<PagePicture> picture = pagePicture(bytes, needed, source);
    const qint64 size = picture ? picture->bytes.size() : 0;
    return recent.insert(bytes, request, std::move(picture), size);
}

std::optional<QString> templatePictureProblem(const QByteArray &bytes)
{
    try {
        printkit::readImageSize(bytes);
        printkit::decodeImage(bytes, QSize(kCanvasPictureSide, kCanvasPictureSide));
    } catch (const printkit::ImageDecodeError &error) {
        return error.message();
    }
    return std::nullopt;
}

} // namespace quill
