#include "designer/template_html_renderer.h"

#include "designer/color_from_hex.h"
#include "designer/template_fonts.h"
#include "designer/template_image.h"
#include "designer/template_qr_code.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quill {

namespace {

QString inches(double points)
{
    return formatHTMLNumber(points / 72.0) + QStringLiteral("in");
}

QString objectFitDeclaration(ObjectFitValue fit)
{
    switch (fit) {
    case ObjectFitValue::contain:
        return QStringLiteral("object-fit:contain");
    case ObjectFitValue::cover:
        return QStringLiteral("object-fit:cover");
    case ObjectFitValue::fill:
        return QStringLiteral("object-fit:fill");
    }
    return QStringLiteral("object-fit:contain");
}

QString alignmentWord(TextAlignmentValue alignment)
{
    switch (alignment) {
    case TextAlignmentValue::leading:
        return QStringLiteral("left");
    case TextAlignmentValue::center:
        return QStringLiteral("center");
    case TextAlignmentValue::trailing:
        return QStringLiteral("right");
    }
    return QStringLiteral("left");
}

QString greyBox(const QString &style)
{
    return QStringLiteral("<div style=\"") + style + QStringLiteral(";background:#eee\"></div>");
}

QString pictureImage(const QByteArray &bytes, const QByteArray &mimeType, const QString &style,
                     const QString &extra)
{
    return QStringLiteral("<img src=\"data:") + QString::fromLatin1(mimeType) + QStringLiteral(";base64,") +
           QString::fromLatin1(bytes.toBase64()) + QStringLiteral("\" style=\"") + style + QLatin1Char(';') +
           extra + QStringLiteral("\" />");
}

// A family name as the inside of a single-quoted CSS string: no quotes or backslash
// (which end or escape the string), no ; < > & (which end a declaration, a tag or make
// an entity the attribute would decode into a quote) and no control characters.
QString cssStringContent(const QString &name)
{
    QString result;
    result.reserve(name.size());
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u == '\'' || u == '"' || u == '\\' || u == ';' || u == '<' || u == '>' || u == '&' || u < 0x20 ||
            (u >= 0x7F && u < 0xA0) || c.category() == QChar::Other_Format || u == 0x2028 || u == 0x2029)
            continue;
        result.append(c);
    }
    return result.trimmed();
}

// The page collapses line breaks into spaces; the canvas and the multi-line editor
// keep them, so they print as breaks too.
QString escapedLines(const QString &text)
{
    QString escaped = escapeHTML(text);
    escaped.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    escaped.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    escaped.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return escaped;
}

} // namespace

QString formatHTMLNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0.0");
    char buffer[400];
    const double magnitude = std::fabs(value);
    const bool exponent = magnitude != 0.0 && magnitude < 0.0001;
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value,
                      exponent ? std::chars_format::scientific : std::chars_format::fixed);
    if (error != std::errc())
        return QStringLiteral("0.0");
    QString text = QString::fromLatin1(buffer, end - buffer);
    if (!exponent && !text.contains(QLatin1Char('.')))
        text += QStringLiteral(".0");
    return text;
}

QString escapeHTML(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    escaped.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    escaped.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("&quot;"));
    return escaped;
}

QString cssFontFamilyList(const QString &family)
{
    QString list;
    const QString installed = installedFontFamily(family);
    if (!installed.isEmpty())
        list += QLatin1Char('\'') + installed + QStringLiteral("',");
    const QString stored = cssStringContent(family);
    if (!stored.isEmpty())
        list += QLatin1Char('\'') + stored + QStringLiteral("',");
    list += QStringLiteral("sans-serif");
    return list;
}

QString labelClipPath(LabelShape shape, double width, double height)
{
    switch (shape) {
    case LabelShape::rectangle:
    case LabelShape::square:
        return {};
    case LabelShape::roundedRectangle:
        return QStringLiteral("inset(0 round ") + inches(std::min(width, height) * 0.1) + QLatin1Char(')');
    case LabelShape::circle:
        return QStringLiteral("circle(50%)");
    case LabelShape::oval:
        return QStringLiteral("ellipse(50% 50%)");
    }
    return {};
}

QString wrapHTMLDocument(const QString &labelBox, double widthInches, double heightInches)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html style=\"color-scheme:light\">\n<head>\n<meta charset=\"utf-8\">\n"
               "<style>\n  @page { size: ") +
           formatHTMLNumber(widthInches) + QStringLiteral("in ") + formatHTMLNumber(heightInches) +
           QStringLiteral(
               "in; margin: 0; }\n  body { margin: 0; padding: 0; background: #fff; color: #000; }\n"
               "  * { box-sizing: border-box; }\n</style>\n</head>\n<body>") +
           labelBox + QStringLiteral("</body>\n</html>");
}

QString renderTextElementHTML(const TextProperties &properties, const QString &style,
                              const TemplateVariables &variables)
{
    const QString text =
        properties.isVariable ? resolvePlaceholders(properties.content, variables) : properties.content;
    // The size in pt: the canvas draws N points as N label points, and so does the page.
    return QStringLiteral("<div style=\"") + style + QStringLiteral(";font-family:") +
           cssFontFamilyList(properties.fontFamily) + QStringLiteral(";font-size:") +
           formatHTMLNumber(properties.fontSize) + QStringLiteral("pt;font-weight:") +
           QString::number(cssFontWeight(properties.fontWeight)) + QStringLiteral(";color:") +
           textColorOrBlack(properties.color).name(QColor::HexRgb).toUpper() +
           QStringLiteral(";text-align:") + alignmentWord(properties.alignment) +
           QStringLiteral(";overflow:hidden;word-wrap:break-word\">\n  ") + escapedLines(text) +
           QStringLiteral("\n</div>");
}

QString renderElementHTML(const LabelElement &element, const TemplateVariables &variables)
{
    const ElementFrame &f = element.frame;
    QString style = QStringLiteral("position:absolute;left:") + inches(f.x) + QStringLiteral(";top:") +
                    inches(f.y) + QStringLiteral(";width:") + inches(f.width) + QStringLiteral(";height:") +
                    inches(f.height) + QStringLiteral(";z-index:") + QString::number(element.zIndex) +
                    QLatin1Char(';');
    if (element.rotation != 0)
        style += QStringLiteral("transform: rotate(") + formatHTMLNumber(element.rotation) +
                 QStringLiteral("deg);");

    if (const auto *text = std::get_if<TextProperties>(&element.kind))
        return renderTextElementHTML(*text, style, variables);
    if (const auto *image = std::get_if<ImageProperties>(&element.kind)) {
        if (!image->imageData || image->imageData->isEmpty())
            return greyBox(style);
        const std::optional<PagePicture> picture =
            templateImageForPage(*image->imageData, QSizeF(f.width, f.height), image->objectFit);
        return picture ? pictureImage(picture->bytes, picture->mimeType, style,
                                      objectFitDeclaration(image->objectFit))
                       : greyBox(style);
    }
    const auto &qr = std::get<QRCodeProperties>(element.kind);
    const QString content = qr.isVariable ? resolvePlaceholders(qr.content, variables) : qr.content;
    const std::optional<QByteArray> png = generateQRCodePNG(content, qr.correctionLevel);
    return png ? pictureImage(*png, "image/png", style,
                              QStringLiteral("object-fit:contain;image-rendering:pixelated"))
               : greyBox(style);
}

QString renderTemplateHTML(const LabelTemplate &labelTemplate, const TemplateVariables &variables)
{
    const QSizeF size = labelTemplate.canvasSize();
    QList<LabelElement> elements = labelTemplate.elements;
    std::stable_sort(elements.begin(), elements.end(),
                     [](const LabelElement &a, const LabelElement &b) { return a.zIndex < b.zIndex; });
    QString body;
    for (const LabelElement &element : std::as_const(elements))
        body += renderElementHTML(element, variables);

    const QString clip = labelClipPath(labelTemplate.labelShape, size.width(), size.height());
    const QString clipDeclaration =
        clip.isEmpty() ? QString() : QStringLiteral("clip-path: ") + clip + QLatin1Char(';');
    const QString box = QStringLiteral("<div style=\"width:") + inches(size.width()) +
                        QStringLiteral(";height:") + inches(size.height()) +
                        QStringLiteral(";position:relative;overflow:hidden;background:#fff;") +
                        clipDeclaration + QStringLiteral("\">\n  ") + body + QStringLiteral("\n</div>");
    return wrapHTMLDocument(box, size.width() / 72.0, size.height() / 72.0);
}

} // namespace quill
