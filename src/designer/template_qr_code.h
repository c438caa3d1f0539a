#pragma once

#include "designer/label_template.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

namespace quill {

// Pixels per module side of a template's QR code, and its light border in modules.
inline constexpr int kTemplateQRModulePixels = 10;
inline constexpr int kTemplateQRQuietZoneModules = 1;

// The QR code of a template element as the canvas shows it and the page prints it:
// the UTF-8 bytes at the correction level, 10 px per module, black on white. None for
// an empty content or one too long for any QR version.
std::optional<QImage> generateQRCodeImage(const QString &content, QRCorrectionLevel level);
// The same code at one pixel per module (quiet zone included): drawn scaled without
// smoothing it is the same picture, and cheap enough to make at every canvas drawing.
std::optional<QImage> generateQRCodeModules(const QString &content, QRCorrectionLevel level);
// The 10-px image as PNG bytes.
std::optional<QByteArray> generateQRCodePNG(const QString &content, QRCorrectionLevel level);

} // namespace quill
