#include "ui/designer/canvas_symbols.h"

#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace quill {

void paintCanvasPlaceholder(QPainter &painter, const QRectF &rect, const QColor &fill, double radius,
                            const QString &symbol, double symbolSize)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, fill);
    const double side = std::min({symbolSize, rect.width(), rect.height()});
    if (side >= 1) {
        // The symbol's pixels follow the device, so it stays sharp at every zoom.
        const double deviceScale =
            std::max(1.0, std::hypot(painter.transform().m11(), painter.transform().m12()));
        const int pixels = std::max(1, static_cast<int>(std::ceil(side * deviceScale)));
        const QPixmap pixmap = symbolPixmap(symbol, pixels, secondaryTextColor());
        const QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawPixmap(target, pixmap, QRectF(pixmap.rect()));
    }
    painter.restore();
}

} // namespace quill
