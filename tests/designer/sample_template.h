#pragma once

// The template the print tests send through the printing layer and hold against the
// canvas: variable text, a QR code with a variable, a PNG and a TIFF, rotated text.

#include "designer/label_template.h"
#include "designer/template_variables.h"
#include "designer_fixtures.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace quill::testing {

inline QByteArray encodedImage(const QColor &color, const char *format)
{
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline TemplateVariables sampleVariables()
{
    TemplateVariables v;
    v.username = QStringLiteral("dana_buys");
    v.price = QStringLiteral("$18.50");
    v.boxNumber = QStringLiteral("7");
    v.date = QStringLiteral("1/15/26");
    return v;
}

inline LabelElement sampleText(const QString &content, ElementFrame frame, double rotation, qint64 z)
{
    return LabelElement{QUuid::createUuid(),
                        TextProperties{content, QStringLiteral("Arial"), 11, FontWeightValue::bold,
                                       QStringLiteral("#000000"), TextAlignmentValue::leading, true},
                        frame,
                        rotation,
                        false,
                        z};
}

// 2.25 × 1.25 in (162 × 90 pt), elements in template order: top text, QR, PNG, TIFF,
// rotated text.
inline LabelTemplate sampleTemplate()
{
    LabelTemplate t = blankTemplate(QStringLiteral("Sample"));
    t.elements = {
        sampleText(QStringLiteral("{{username}} paid {{price}}"), {6, 4, 150, 16}, 0, 0),
        LabelElement{QUuid::createUuid(),
                     QRCodeProperties{QStringLiteral("https://example.invalid/box/{{boxNumber}}"),
                                      QRCorrectionLevel::medium, true},
                     ElementFrame{6, 24, 60, 60}, 0, false, 1},
        LabelElement{QUuid::createUuid(), ImageProperties{encodedImage(Qt::red, "PNG"), ObjectFitValue::fill},
                     ElementFrame{72, 24, 36, 28}, 0, false, 2},
        LabelElement{QUuid::createUuid(),
                     ImageProperties{encodedImage(Qt::blue, "TIFF"), ObjectFitValue::fill},
                     ElementFrame{72, 56, 36, 28}, 0, false, 3},
        sampleText(QStringLiteral("BOX {{boxNumber}}"), {110, 47, 60, 16}, -90, 4),
    };
    return t;
}

// The box an element covers on the label, rotation included, in points.
inline QRectF coveredRect(const LabelElement &e)
{
    const ElementFrame &f = e.frame;
    QTransform turn;
    turn.translate(f.x + f.width / 2, f.y + f.height / 2);
    turn.rotate(e.rotation);
    return turn.mapRect(QRectF(-f.width / 2, -f.height / 2, f.width, f.height));
}

// The bounding box of the pixels inside `area` that are not near white.
inline QRect inkBox(const QImage &image, const QRect &area)
{
    QRect box;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::min({c.red(), c.green(), c.blue()}) < 160)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

} // namespace quill::testing
