#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

namespace printkit {

// How much of a symbol may be damaged and still read: about 7, 15, 25 and 30 %.
enum class QRErrorCorrection
{
    low,
    medium,
    quartile,
    high,
};

// A QR Code symbol as a square grid of modules, without its quiet zone.
class QRCodeMatrix final
{
public:
    // Encodes the bytes as they stand (8-bit mode) with the error-correction level and
    // the smallest version that holds them. None when they do not fit any version.
    static std::optional<QRCodeMatrix> encode(const QByteArray &bytes,
                                              QRErrorCorrection level = QRErrorCorrection::medium);
    // The payload's UTF-8 bytes; an empty text gives none.
    static std::optional<QRCodeMatrix> encodeText(const QString &text,
                                                  QRErrorCorrection level = QRErrorCorrection::medium);

    int size() const { return m_size; }
    bool isDark(int x, int y) const { return m_modules[static_cast<size_t>(y) * m_size + x]; }

    // A crisp black-on-white picture: `modulePixels` pixels per module side, with a
    // light border of `quietZoneModules` modules around the symbol.
    QImage toImage(int modulePixels = 1, int quietZoneModules = 1) const;

private:
    QRCodeMatrix(int size, std::vector<bool> modules) : m_size(size), m_modules(std::move(modules)) {}

    int m_size = 0;
    std::vector<bool> m_modules;
};

// Draws the payload's QR code scaled into `rect` on a white square, without smoothing
// so modules stay sharp at any scale. An empty payload draws nothing (not even the
// white square) and counts as done. A payload too long for any QR version also draws
// nothing, and the result is false so the caller can tell.
bool drawQRCode(QPainter &painter, const QRectF &rect, const QString &payload);

} // namespace printkit
