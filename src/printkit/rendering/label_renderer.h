#pragma once

#include "printkit/domain/label_canvas.h"
#include "printkit/domain/label_content.h"
#include "printkit/domain/print_job_request.h"

#include <QByteArray>
#include <QImage>

class QPainter;

namespace printkit {

// Draws the toolkit's own label (brand, headline, detail, QR code, footer) on a
// canvas, choosing the compact, wide, tall or circle layout from its shape and
// proportions. Stateless; every call is independent.
class LabelRenderer final
{
public:
    LabelRenderer() = default;

    // Paints the label with (0,0)-(W,H) in points mapped onto the painter's current
    // coordinate system. Used by every output below and by system printing.
    void paint(QPainter &painter, const LabelContent &content, const LabelCanvas &canvas) const;

    // A bitmap of trunc(W × scale) × trunc(H × scale) pixels whose dots-per-meter say
    // 72 × scale per inch. Throws InvalidCanvasError for an unprintable canvas, a scale
    // that is not finite and positive, or a picture too large to be meant (over 400
    // megapixels, or a side over 32767 pixels). A picture of less than one pixel, or
    // one the system cannot allocate, comes back null.
    QImage renderImage(const LabelContent &content, const LabelCanvas &canvas, double scale) const;

    // One PDF page of W × H points (Qt's PDF writer sizes pages in whole points, so a
    // fractional size is rounded to the nearest point); text stays vector text. Throws
    // InvalidCanvasError for an unprintable canvas, quill::Error when no PDF comes out.
    QByteArray renderPDF(const LabelContent &content, const LabelCanvas &canvas) const;
};

} // namespace printkit
