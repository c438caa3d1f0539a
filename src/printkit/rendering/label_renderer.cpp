#include "printkit/rendering/label_renderer.h"

#include "printkit/rendering/label_layout.h"
#include "printkit/rendering/qr_code.h"
#include "printkit/rendering/text_drawing.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace printkit {

namespace {

namespace ll = labellayout;

// Beyond this a label bitmap is a mistake in the scale, not a picture anyone can
// print or show; refusing it beats an allocation of gigabytes.
constexpr double kMaxImagePixels = 400.0 * 1000 * 1000;

constexpr qreal kKern = 0.15;
constexpr qreal kOuterLineWidth = 2.4;
constexpr qreal kInnerLineWidth = 1.0;

// Dots per metre of a device whose pixels are points.
constexpr double kPointsPerMeter = 72.0 / 0.0254;

// One fixed family so that labels look the same on every machine that has it.
QFont labelFont(qreal points, QFont::Weight weight)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(weight);
    font.setPointSizeF(points);
    // Unhinted outlines keep glyph shapes the same at every output scale.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

TextStyle textStyle(qreal points, QFont::Weight weight, TextWrap wrap, Qt::Alignment alignment = Qt::AlignLeft)
{
    TextStyle style;
    style.font = labelFont(points, weight);
    style.color = Qt::black;
    style.letterSpacing = kKern;
    style.alignment = alignment;
    style.wrap = wrap;
    return style;
}

QPen blackPen(qreal width)
{
    QPen pen(Qt::black, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void strokePath(QPainter &painter, const QPainterPath &path, qreal width)
{
    painter.strokePath(path, blackPen(width));
}

void drawBrandPill(QPainter &painter, const ll::BrandPill &pill, const QString &brand)
{
    if (pill.pill.width() > 0) {
        QPainterPath path;
        path.addRoundedRect(pill.pill, std::min(8.0, pill.pill.width() / 2), 8);
        strokePath(painter, path, 1.0);
    }
    drawText(painter, brand.toUpper(), pill.text,
             textStyle(8, QFont::DemiBold, TextWrap::singleLine, Qt::AlignHCenter));
}

void drawCompact(QPainter &painter, const LabelContent &content, const LabelCanvas &canvas, const QRectF &outer)
{
    const ll::Compact l = ll::compact(outer);
    drawText(painter, content.headline, l.headline, textStyle(10.5, QFont::Bold, TextWrap::singleLine));
    drawText(painter, content.brand.toUpper(), l.brand, textStyle(7, QFont::Medium, TextWrap::singleLine));
    drawText(painter, canvas.sizeDescription(), l.size, textStyle(6.5, QFont::Normal, TextWrap::singleLine));

    QPainterPath square;
    square.addRoundedRect(l.marker, 3, 3);
    strokePath(painter, square, 1.0);
    // Black, so that the marker shows on the white label at all.
    QPainterPath dot;
    dot.addEllipse(l.markerDot);
    painter.fillPath(dot, Qt::black);
}

void drawWide(QPainter &painter, const LabelContent &content, const LabelCanvas &canvas, const QRectF &outer)
{
    const ll::Wide l = ll::wide(outer);
    drawBrandPill(painter, l.brand, content.brand);
    drawText(painter, content.headline, l.headline, textStyle(19, QFont::Bold, TextWrap::singleLine));
    drawText(painter, content.detail, l.detail, textStyle(9, QFont::Normal, TextWrap::wordWrap));
    drawQRCode(painter, l.qr, content.qrPayload);
    drawText(painter, ll::captionText(content, canvas), l.caption,
             textStyle(8.5, QFont::Medium, TextWrap::singleLine, Qt::AlignHCenter));
}

void drawTall(QPainter &painter, const LabelContent &content, const LabelCanvas &canvas, const QRectF &outer)
{
    const ll::Tall l = ll::tall(outer);
    drawBrandPill(painter, l.brand, content.brand);
    drawText(painter, content.headline, l.headline,
             textStyle(22, QFont::Bold, TextWrap::wordWrap, Qt::AlignHCenter));
    drawText(painter, content.detail, l.detail, textStyle(10, QFont::Normal, TextWrap::wordWrap, Qt::AlignHCenter));
    drawQRCode(painter, l.qr, content.qrPayload);
    drawText(painter, ll::captionText(content, canvas), l.caption,
             textStyle(9, QFont::Medium, TextWrap::singleLine, Qt::AlignHCenter));
}

void drawCircle(QPainter &painter, const LabelContent &content, const LabelCanvas &canvas, const QRectF &outer)
{
    const ll::Circle l = ll::circle(outer);
    drawText(painter, content.brand.toUpper(), l.brand,
             textStyle(l.brandPointSize, QFont::DemiBold, TextWrap::singleLine, Qt::AlignHCenter));
    painter.setPen(blackPen(0.8));
    painter.drawLine(l.leftRule);
    painter.drawLine(l.rightRule);
    drawText(painter, content.headline, l.headline,
             textStyle(l.headlinePointSize, QFont::Bold, TextWrap::singleLine, Qt::AlignHCenter));
    drawQRCode(painter, l.qr, content.qrPayload);
    drawText(painter, content.detail, l.detail,
             textStyle(l.detailPointSize, QFont::Normal, TextWrap::wordWrap, Qt::AlignHCenter));
    drawText(painter, ll::captionText(content, canvas), l.caption,
             textStyle(l.captionPointSize, QFont::Medium, TextWrap::singleLine, Qt::AlignHCenter));
}

void validateScale(double scale)
{
    if (!std::isfinite(scale) || scale <= 0)
        throw InvalidCanvasError(
            QStringLiteral("The label cannot be rendered: the scale %1 must be a number greater than zero.")
                .arg(scale));
}

} // namespace

void LabelRenderer::paint(QPainter &painter, const LabelContent &content, const LabelCanvas &canvas) const
{
    const qreal width = canvas.widthPoints();
    const qreal height = canvas.heightPoints();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setBrush(Qt::NoBrush);

    painter.fillRect(QRectF(0, 0, width, height), Qt::white);
    const ll::Frames frames = ll::frames(width, height);
    strokePath(painter, ll::shapePath(frames.outer, canvas.shape), kOuterLineWidth);
    strokePath(painter, ll::shapePath(frames.inner, canvas.shape), kInnerLineWidth);

    switch (ll::chooseLayout(canvas)) {
    case ll::Kind::compact:
        drawCompact(painter, content, canvas, frames.outer);
        break;
    case ll::Kind::wide:
        drawWide(painter, content, canvas, frames.outer);
        break;
    case ll::Kind::tall:
        drawTall(painter, content, canvas, frames.outer);
        break;
    case ll::Kind::circle:
        drawCircle(painter, content, canvas, frames.outer);
        break;
    }
    painter.restore();
}

QImage LabelRenderer::renderImage(const LabelContent &content, const LabelCanvas &canvas, double scale) const
{
    canvas.validate();
    validateScale(scale);
    const double pixelWidth = std::trunc(canvas.widthPoints() * scale);
    const double pixelHeight = std::trunc(canvas.heightPoints() * scale);
    if (pixelWidth * pixelHeight > kMaxImagePixels || pixelWidth > 32767 || pixelHeight > 32767)
        throw InvalidCanvasError(
            QStringLiteral("The label cannot be rendered: %1 × %2 pixels is too large a picture.")
                .arg(pixelWidth, 0, 'f', 0)
                .arg(pixelHeight, 0, 'f', 0));
    if (pixelWidth < 1 || pixelHeight < 1)
        return {};

    QImage image(static_cast<int>(pixelWidth), static_cast<int>(pixelHeight), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    image.setDotsPerMeterX(qRound(kPointsPerMeter * scale));
    image.setDotsPerMeterY(qRound(kPointsPerMeter * scale));
    QPainter painter(&image);
    painter.scale(scale, scale);
    paint(painter, content, canvas);
    painter.end();
    return image;
}

QByteArray LabelRenderer::renderPDF(const LabelContent &content, const LabelCanvas &canvas) const
{
    canvas.validate();
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(72);
        writer.setCreator(QStringLiteral("Quillmark"));
        const QPageSize pageSize(QSizeF(canvas.widthPoints(), canvas.heightPoints()), QPageSize::Point, QString(),
                                 QPageSize::ExactMatch);
        if (!writer.setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait, QMarginsF(), QPageLayout::Point)))
            throw InvalidCanvasError(QStringLiteral("The label cannot be rendered: the PDF page size %1 is not accepted.")
                                         .arg(canvas.sizeDescription()));
        QPainter painter;
        if (!painter.begin(&writer))
            throw quill::Error(QStringLiteral("The label could not be rendered as PDF."));
        paint(painter, content, canvas);
        painter.end();
    }
    if (bytes.isEmpty())
        throw quill::Error(QStringLiteral("The label could not be rendered as PDF."));
    return bytes;
}

} // namespace printkit
