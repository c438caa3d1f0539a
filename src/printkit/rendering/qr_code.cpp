#include "printkit/rendering/qr_code.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <memory>
#include <qrencode.h>

namespace printkit {

namespace {
// The platform generators hand back codes of this many pixels per module; the same
// resolution keeps an embedded PDF image sharp in viewers that smooth small images.
constexpr int kModulePixels = 8;
constexpr int kQuietZoneModules = 1;

struct QRcodeDeleter
{
    void operator()(QRcode *code) const { QRcode_free(code); }
};
} // namespace

namespace {

QRecLevel qrencodeLevel(QRErrorCorrection level)
{
    switch (level) {
    case QRErrorCorrection::low:
        return QR_ECLEVEL_L;
    case QRErrorCorrection::medium:
        return QR_ECLEVEL_M;
    case QRErrorCorrection::quartile:
        return QR_ECLEVEL_Q;
    case QRErrorCorrection::high:
        return QR_ECLEVEL_H;
    }
    return QR_ECLEVEL_M;
}

} // namespace

std::optional<QRCodeMatrix> QRCodeMatrix::encode(const QByteArray &bytes, QRErrorCorrection level)
{
    if (bytes.isEmpty())
        return std::nullopt;
    // encodeData takes a length, so a NUL inside the payload is encoded rather than
    // ending it early, and always uses 8-bit mode.
    std::unique_ptr<QRcode, QRcodeDeleter> code(QRcode_encodeData(
        static_cast<int>(bytes.size()), reinterpret_cast<const unsigned char *>(bytes.constData()), 0,
        qrencodeLevel(level)));
    if (!code || code->width <= 0)
        return std::nullopt;
    const int n = code->width;
    std::vector<bool> modules(static_cast<size_t>(n) * n);
    for (size_t i = 0; i < modules.size(); ++i)
        modules[i] = (code->data[i] & 1) != 0; // bit 0 marks a dark module
    return QRCodeMatrix(n, std::move(modules));
}

std::optional<QRCodeMatrix> QRCodeMatrix::encodeText(const QString &text, QRErrorCorrection level)
{
    return encode(text.toUtf8(), level);
}

QImage QRCodeMatrix::toImage(int modulePixels, int quietZoneModules) const
{
    if (modulePixels < 1 || quietZoneModules < 0)
        return {};
    const int side = (m_size + 2 * quietZoneModules) * modulePixels;
    QImage image(side, side, QImage::Format_Mono);
    if (image.isNull())
        return {};
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    image.fill(0);
    // One row of pixels per module row, copied down the module's height: the canvas makes
    // this image at every drawing, so no per-pixel calls.
    const qsizetype bytesPerLine = image.bytesPerLine();
    std::vector<uchar> row(static_cast<size_t>(bytesPerLine));
    uchar *bits = image.bits();
    for (int y = 0; y < m_size; ++y) {
        std::fill(row.begin(), row.end(), uchar(0));
        for (int x = 0; x < m_size; ++x) {
            if (!isDark(x, y))
                continue;
            const int px = (x + quietZoneModules) * modulePixels;
            for (int bit = px; bit < px + modulePixels; ++bit)
                row[static_cast<size_t>(bit >> 3)] |= uchar(0x80 >> (bit & 7)); // Format_Mono: MSB first
        }
        const int py = (y + quietZoneModules) * modulePixels;
        for (int dy = 0; dy < modulePixels; ++dy)
            std::memcpy(bits + (py + dy) * bytesPerLine, row.data(), static_cast<size_t>(bytesPerLine));
    }
    return image;
}

bool drawQRCode(QPainter &painter, const QRectF &rect, const QString &payload)
{
    if (payload.isEmpty())
        return true;
    const std::optional<QRCodeMatrix> matrix = QRCodeMatrix::encodeText(payload);
    if (!matrix)
        return false;
    const QImage image = matrix->toImage(kModulePixels, kQuietZoneModules);
    if (image.isNull())
        return false;
    if (!rect.isValid())
        return true; // nowhere to draw: not a failure of the code itself
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // PDF output would otherwise store the code as JPEG, blurring module edges.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.fillRect(rect, Qt::white);
    painter.drawImage(rect, image);
    painter.restore();
    return true;
}

} // namespace printkit
