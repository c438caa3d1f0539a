#include "ui/designer/element_view.h"

#include "designer/template_fonts.h"
#include "designer/template_image.h"
#include "ui/designer/canvas_symbols.h"
#include "ui/designer/qr_code_view.h"
#include "ui/widgets/palette.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextOption>

namespace quill {

namespace {

constexpr double kLockedOpacity = 0.7;
constexpr double kOutlineWidth = 1.5; // on screen, whatever the zoom

Qt::Alignment horizontalAlignment(TextAlignmentValue alignment)
{
    switch (alignment) {
    case TextAlignmentValue::leading:
        return Qt::AlignLeft;
    case TextAlignmentValue::center:
        return Qt::AlignHCenter;
    case TextAlignmentValue::trailing:
        return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

} // namespace

ElementView::ElementView(const LabelElement &element, bool isSelected, double zoomScale)
    : m_element(element), m_isSelected(isSelected), m_zoomScale(zoomScale > 0 ? zoomScale : 1.0)
{
}

const TemplateVariables &ElementView::previewVariables()
{
    static const TemplateVariables variables{
        QStringLiteral("sample_buyer"),
        QStringLiteral("$12.95"),
        QStringLiteral("#29"),
        QStringLiteral("Vintage tin robot"),
        QStringLiteral("Sunday Collectibles"),
        QStringLiteral("4"),
        QString(),
    };
    return variables;
}

QString ElementView::displayedText(const QString &content, bool isVariable)
{
    return isVariable ? resolvePlaceholders(content, previewVariables()) : content;
}

QRectF ElementView::imageTarget(const QSizeF &imageSize, const QRectF &frame, ObjectFitValue fit)
{
    if (fit == ObjectFitValue::fill || imageSize.isEmpty())
        return frame;
    const QSizeF scaled = imageSize.scaled(
        frame.size(), fit == ObjectFitValue::cover ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio);
    return QRectF(frame.center().x() - scaled.width() / 2, frame.center().y() - scaled.height() / 2,
                  scaled.width(), scaled.height());
}

void ElementView::paintText(QPainter &painter, const QRectF &rect, const TextProperties &text)
{
    const double dpi = painter.device() ? painter.device()->logicalDpiY() : 72.0;
    painter.setFont(templateFont(text.fontFamily, text.fontWeight, text.fontSize, dpi));
    painter.setPen(textColorOrBlack(text.color));
    QTextOption option(horizontalAlignment(text.alignment) | Qt::AlignTop);
    // Long words break inside, as word-wrap:break-word does on the page.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter.drawText(rect, displayedText(text.content, text.isVariable), option);
}

void ElementView::paintImage(QPainter &painter, const QRectF &rect, const ImageProperties &image)
{
    const QImage picture = image.imageData ? decodeTemplateImage(*image.imageData) : QImage();
    if (picture.isNull()) {
        paintCanvasPlaceholder(painter, rect, QColor(128, 128, 128, 38), 4, QStringLiteral("photo"), 22);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(imageTarget(picture.size(), rect, image.objectFit), picture, QRectF(picture.rect()));
    painter.restore();
}

void ElementView::paint(QPainter &painter) const
{
    const ElementFrame &f = m_element.frame;
    const QRectF local(-f.width / 2, -f.height / 2, f.width, f.height);
    painter.save();
    painter.setOpacity(painter.opacity() * (m_element.isLocked ? kLockedOpacity : 1.0));
    painter.translate(f.x + f.width / 2, f.y + f.height / 2);

    painter.save();
    painter.rotate(m_element.rotation);
    // A QR code and a contained picture stay inside the frame; only what can overflow is
    // clipped (a clip under rotation is a path, and costly).
    const auto *imageKind = std::get_if<ImageProperties>(&m_element.kind);
    if (std::holds_alternative<TextProperties>(m_element.kind) ||
        (imageKind && imageKind->objectFit == ObjectFitValue::cover))
        painter.setClipRect(local, Qt::IntersectClip);
    if (const auto *text = std::get_if<TextProperties>(&m_element.kind)) {
        paintText(painter, local, *text);
    } else if (const auto *image = std::get_if<ImageProperties>(&m_element.kind)) {
        paintImage(painter, local, *image);
    } else {
        const auto &qr = std::get<QRCodeProperties>(m_element.kind);
        QRCodeView(displayedText(qr.content, qr.isVariable), qr.correctionLevel).paint(painter, local);
    }
    painter.restore();

    if (m_isSelected) {
        QPen pen(appAccentColor(), kOutlineWidth / m_zoomScale, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.drawRect(local);
    }
    painter.restore();
}

} // namespace quill
