#include "printing/layouts/calibration_label_view.h"

#include "common/error.h"
#include "printing/font_resolver.h"
#include "printing/layouts/label_elements.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace quill {

using namespace labelkit;

namespace {

constexpr qreal kCrossWidth = 0.5;
constexpr qreal kMarkWidth = 1.0;
constexpr qreal kOutlineWidth = 1.0;
constexpr qreal kLineSpacing = 2.0;
// The secondary text colour of the light scheme, opaque.
const QColor kSecondary = QColor::fromRgbF(0.54, 0.54, 0.56, 1.0);

QPen blackPen(qreal width)
{
    QPen pen(Qt::black, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setMiterLimit(10);
    return pen;
}

QPainterPath pathOf(const QList<QLineF> &lines)
{
    QPainterPath path;
    for (const QLineF &line : lines) {
        path.moveTo(line.p1());
        path.lineTo(line.p2());
    }
    return path;
}

} // namespace

CalibrationLabelView::CalibrationLabelView(qreal widthPts, qreal heightPts, bool isCircular,
                                           qreal cornerInset, qreal markLength)
    : widthPts(widthPts), heightPts(heightPts), isCircular(isCircular), cornerInset(cornerInset),
      markLength(markLength)
{
    labelparts::checkLabelGeometry(widthPts, heightPts);
    if (!std::isfinite(cornerInset) || !std::isfinite(markLength))
        throw Error(QStringLiteral("Calibration marks need finite lengths"));
}

QList<QLineF> CalibrationLabelView::crossLines() const
{
    const qreal w = widthPts, h = heightPts;
    return {QLineF(0, h / 2, w, h / 2), QLineF(w / 2, 0, w / 2, h)};
}

QList<QLineF> CalibrationLabelView::cornerMarkSegments() const
{
    if (isCircular)
        return {};
    const qreal w = widthPts, h = heightPts, i = cornerInset, m = markLength;
    return {
        QLineF(i, i, i + m, i),
        QLineF(i, i, i, i + m),
        QLineF(w - i, i, w - i - m, i),
        QLineF(w - i, i, w - i, i + m),
        QLineF(i, h - i, i + m, h - i),
        QLineF(i, h - i, i, h - i - m),
        QLineF(w - i, h - i, w - i - m, h - i),
        QLineF(w - i, h - i, w - i, h - i - m),
    };
}

QString CalibrationLabelView::sizeLine() const
{
    return QString::asprintf("%.2f\" \u00D7 %.2f\"", widthPts / 72.0, heightPts / 72.0);
}

LabelLayout CalibrationLabelView::layout() const
{
    labelparts::checkLabelGeometry(widthPts, heightPts);
    const QList<QLineF> cross = crossLines();
    const QList<QLineF> marks = cornerMarkSegments();
    NodePtr lines = canvas([cross, marks](QPainter &painter, const QRectF &frame) {
        painter.translate(frame.topLeft());
        painter.strokePath(pathOf(cross), blackPen(kCrossWidth));
        if (!marks.isEmpty())
            painter.strokePath(pathOf(marks), blackPen(kMarkWidth));
    });

    auto line = [](const QString &content, const QFont &font, const QColor &color, const QString &tag) {
        TextOptions options;
        options.font = font;
        options.color = color;
        options.maxLines = 1;
        options.minimumScale = 0.3;
        options.lineAlignment = HAlign::center;
        return tagged(text(content, options), tag);
    };
    NodePtr block = vstack(
        HAlign::center, kLineSpacing,
        nodes(line(QStringLiteral("Quillmark"),
                   FontResolver::systemFont(11, QFont::ExtraBold, SystemFontDesign::rounded), Qt::black,
                   QStringLiteral("product")),
              line(QStringLiteral("CALIBRATION"),
                   FontResolver::systemFont(7, QFont::DemiBold, SystemFontDesign::monospaced), kSecondary,
                   QStringLiteral("title")),
              line(sizeLine(), FontResolver::systemFont(7, QFont::Medium, SystemFontDesign::monospaced),
                   kSecondary, QStringLiteral("size"))));
    // On a round label the block sits in a circle around it, so no text crosses the outline.
    const Shape blockShape = isCircular ? Shape::enclosingCircle : Shape::rectangle;
    NodePtr boxed =
        tagged(stroke(background(padding(std::move(block), Insets::symmetric(6, 3)), Qt::white, blockShape),
                      Qt::black, kOutlineWidth, blockShape),
               QStringLiteral("block"));

    NodePtr layers = zstack(kCenter, nodes(fill(Qt::white), std::move(lines), std::move(boxed)));
    NodePtr root =
        clip(frame(std::move(layers), FrameOptions{widthPts, heightPts, std::nullopt, std::nullopt, kCenter}),
             isCircular ? Shape::ellipse : Shape::rectangle);
    return LabelLayout(std::move(root), size());
}

void CalibrationLabelView::paint(QPainter &painter) const
{
    layout().paint(painter);
}

} // namespace quill
