#include "designer/template_qr_code.h"

#include "printkit/rendering/qr_code.h"

#include <QBuffer>

namespace quill {

namespace {

printkit::QRErrorCorrection toolkitLevel(QRCorrectionLevel level)
{
    switch (level) {
    case QRCorrectionLevel::low:
        return printkit::QRErrorCorrection::low;
    case QRCorrectionLevel::medium:
        return printkit::QRErrorCorrection::medium;
    case QRCorrectionLevel::quartile:
        return printkit::QRErrorCorrection::quartile;
    case QRCorrectionLevel::high:
        return printkit::QRErrorCorrection::high;
    }
    return printkit::QRErrorCorrection::medium;
}

std::optional<QImage> qrImage(const QString &content, QRCorrectionLevel level, int modulePixels)
{
    const std::optional<printkit::QRCodeMatrix> matrix =
        printkit::QRCodeMatrix::encodeText(content, toolkitLevel(level));
    if (!matrix)
        return std::nullopt;
    QImage image = matrix->toImage(modulePixels, kTemplateQRQuietZoneModules);
    if (image.isNull())
        return std::nullopt;
    return image;
}

} // namespace

std::optional<QImage> generateQRCodeImage(const QString &content, QRCorrectionLevel level)
{
    return qrImage(content, level, kTemplateQRModulePixels);
}

std::optional<QImage> generateQRCodeModules(const QString &content, QRCorrectionLevel level)
{
    return qrImage(content, level, 1);
}

std::optional<QByteArray> generateQRCodePNG(const QString &content, QRCorrectionLevel level)
{
    const std::optional<QImage> image = generateQRCodeImage(content, level);
    if (!image)
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image->save(&buffer, "PNG") || png.isEmpty())
        return std::nullopt;
    return png;
}

} // namespace quill
