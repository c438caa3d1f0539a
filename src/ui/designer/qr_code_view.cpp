#include "ui/designer/qr_code_view.h"

#include "designer/template_qr_code.h"
#include "ui/designer/canvas_symbols.h"

#include <QPainter>
#include <algorithm>

namespace quill {

QRCodeView::QRCodeView(const QString &content, QRCorrectionLevel correctionLevel)
    : m_content(content), m_correctionLevel(correctionLevel)
{
}

void QRCodeView::paint(QPainter &painter, const QRectF &rect) const
{
    const std::optional<QImage> image = generateQRCodeModules(m_content, m_correctionLevel);
    if (!image) {
        paintCanvasPlaceholder(painter, rect, QColor(128, 128, 128, 77), 0, QStringLiteral("qrcode"), 22);
        return;
    }
    // Square and centred, as object-fit:contain places it on the page.
    const double side = std::min(rect.width(), rect.height());
    const QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, *image, QRectF(image->rect()));
    painter.restore();
}

} // namespace quill
