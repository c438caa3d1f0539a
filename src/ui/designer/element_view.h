#pragma once

#include "designer/color_from_hex.h"
#include "designer/label_template.h"
#include "designer/template_variables.h"

#include <QRectF>

class QPainter;

namespace quill {

// One template element drawn as it will print, in label points (72 to the inch, origin
// at the label's top-left), into any painter: the canvas applies its zoom to the
// painter, tests and the benchmark paint into images. Stateless: built for one drawing.
class ElementView final
{
public:
    ElementView(const LabelElement &element, bool isSelected, double zoomScale);

    // Draws the element at its frame's place: content rotated about the frame's centre,
    // the selection outline on the unrotated frame, at 0.7 opacity when locked.
    void paint(QPainter &painter) const;

    // The values variable texts and QR codes show on the canvas.
    static const TemplateVariables &previewVariables();
    // What a text or QR element shows: its content, filled in when it is variable.
    static QString displayedText(const QString &content, bool isVariable);

    // An element's content inside `rect` (label points), unrotated and unclipped by the
    // caller: text wrapped at the frame's width, images by their fit, QR codes kept square.
    static void paintText(QPainter &painter, const QRectF &rect, const TextProperties &text);
    static void paintImage(QPainter &painter, const QRectF &rect, const ImageProperties &image);

    // Where the picture is drawn for a fit, as the page's object-fit does: contain letter-
    // boxes it, cover fills the frame and crops (the rest is clipped), fill stretches.
    static QRectF imageTarget(const QSizeF &imageSize, const QRectF &frame, ObjectFitValue fit);

private:
    LabelElement m_element;
    bool m_isSelected;
    double m_zoomScale;
};

} // namespace quill
