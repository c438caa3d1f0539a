#include "printkit/rendering/label_layout.h"

#include <algorithm>

namespace printkit::labellayout {

Kind chooseLayout(const LabelCanvas &canvas)
{
    if (canvas.shape == LabelShape::circle)
        return Kind::circle;
    if (canvas.heightInches <= 1.0)
        return Kind::compact;
    if (canvas.widthInches / canvas.heightInches >= 1.2)
        return Kind::wide;
    return Kind::tall;
}

QRectF inset(const QRectF &rect, qreal dx, qreal dy)
{
    QRectF r = rect.adjusted(dx, dy, -dx, -dy);
    if (r.width() < 0) {
        r.setLeft(rect.center().x());
        r.setWidth(0);
    }
    if (r.height() < 0) {
        r.setTop(rect.center().y());
        r.setHeight(0);
    }
    return r;
}

QPainterPath shapePath(const QRectF &rect, LabelShape shape)
{
    QPainterPath path;
    switch (shape) {
    case LabelShape::rectangle:
        path.addRect(rect);
        break;
    case LabelShape::roundedRectangle: {
        const qreal radius = std::max(std::min(rect.width(), rect.height()) * 0.14, 6.0);
        // A corner cannot be rounder than half the side it sits on.
        const qreal r = std::min({radius, rect.width() / 2.0, rect.height() / 2.0});
        path.addRoundedRect(rect, r, r);
        break;
    }
    case LabelShape::circle:
        path.addEllipse(rect);
        break;
    }
    return path;
}

Frames frames(qreal widthPoints, qreal heightPoints)
{
    const QRectF bounds(0, 0, widthPoints, heightPoints);
    const qreal outerInset = std::max(std::min(widthPoints, heightPoints) * 0.06, 8.0);
    const QRectF outer = inset(bounds, outerInset, outerInset);
    const qreal innerInset = std::max(std::min(outer.width(), outer.height()) * 0.055, 6.0);
    return {outer, inset(outer, innerInset, innerInset)};
}

QString captionText(const LabelContent &content, const LabelCanvas &canvas)
{
    QStringList parts;
    for (const QString &part : {content.footer, canvas.sizeDescription()})
        if (!part.isEmpty())
            parts.append(part);
    return parts.join(QStringLiteral(" \u2022 "));
}

Compact compact(const QRectF &outer)
{
    const QRectF r = inset(outer, 10, 8);
    Compact c;
    c.headline = QRectF(r.left(), r.top() + 2, r.width() * 0.58, r.height() * 0.52);
    c.brand = QRectF(r.left(), c.headline.bottom() + 2, r.width() * 0.58, 12);
    c.size = QRectF(r.left(), outer.bottom() - 18, r.width(), 12);
    c.marker = QRectF(r.right() - 18, r.center().y() - 9, 18, 18);
    c.markerDot = inset(c.marker, 5, 5);
    return c;
}

BrandPill brandPill(QPointF topLeft, qreal width)
{
    const QRectF pill(topLeft, QSizeF(std::max(width, 0.0), 18));
    return {pill, inset(pill, 8, 2)};
}

Wide wide(const QRectF &outer)
{
    const QRectF r = inset(outer, outer.width() * 0.06, outer.height() * 0.1);
    Wide w;
    const qreal q = std::min(r.height() * 0.52, 84.0);
    w.qr = QRectF(r.right() - q, r.center().y() - q / 2, q, q);
    w.textColumnWidth = std::max(w.qr.left() - r.left() - 10, 0.0);
    w.brand = brandPill(r.topLeft(), r.width() * 0.42);
    w.headline = QRectF(r.left(), r.top() + 18 + 10, w.textColumnWidth, 28);
    w.detail = QRectF(r.left(), w.headline.bottom() + 8, w.textColumnWidth, 34);
    w.caption = QRectF(r.left(), outer.bottom() - 28, r.width(), 18);
    return w;
}

Tall tall(const QRectF &outer)
{
    const QRectF r = inset(outer, outer.width() * 0.08, outer.height() * 0.06);
    Tall t;
    const qreal q = std::min(r.width() * 0.44, r.height() * 0.28);
    t.brand = brandPill(r.topLeft(), r.width() * 0.42);
    t.headline = QRectF(r.left(), r.top() + 18 + 12, r.width(), 34);
    t.detail = QRectF(r.left(), t.headline.bottom() + 8, r.width(), 40);
    t.qr = QRectF(r.center().x() - q / 2, t.detail.bottom() + 12, q, q);
    t.caption = QRectF(r.left(), t.qr.bottom() + 12, r.width(), 18);
    return t;
}

Circle circle(const QRectF &outer)
{
    const QRectF c = inset(outer, outer.width() * 0.09, outer.height() * 0.09);
    const qreal brandHeight = std::max(outer.height() * 0.11, 16.0);
    const qreal captionHeight = std::max(outer.height() * 0.085, 12.0);
    const qreal q = std::min({c.height() * 0.28, c.width() * 0.34, 44.0});
    Circle l;
    l.brand = QRectF(c.left(), c.top() + 6, c.width(), brandHeight);
    l.brandPointSize = std::max(outer.width() * 0.062, 8.5);
    const qreal ruleY = l.brand.bottom() + std::max(outer.height() * 0.025, 3.0);
    l.leftRule = QLineF(c.left() + 8, ruleY, c.center().x() - 28, ruleY);
    l.rightRule = QLineF(c.center().x() + 28, ruleY, c.right() - 8, ruleY);
    l.headline = QRectF(c.left() + 6, c.top() + c.height() * 0.2, c.width() - 12, std::max(outer.height() * 0.12, 18.0));
    l.headlinePointSize = std::max(outer.width() * 0.12, 14.0);
    l.qr = QRectF(c.center().x() - q / 2, c.center().y() - q / 2 - c.height() * 0.04, q, q);
    l.caption = QRectF(c.left() + 6, c.bottom() - captionHeight - 2, c.width() - 12, captionHeight);
    l.captionPointSize = std::max(outer.width() * 0.052, 8.0);
    l.detail = QRectF(c.left() + 8, l.qr.bottom() + 6, c.width() - 16,
                      std::max(l.caption.top() - l.qr.bottom() - 8, 10.0));
    l.detailPointSize = std::max(outer.width() * 0.055, 8.0);
    return l;
}

} // namespace printkit::labellayout
