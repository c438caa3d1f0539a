// The print page of a template: golden documents for each label shape, the element
// blocks, the number format, and that nothing a template file holds can add markup or
// styles to the page.
#include "designer/template_html_renderer.h"
#include "designer/template_qr_code.h"
#include "designer_fixtures.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace quill;
using quill::testing::blankTemplate;
using quill::testing::textElement;

namespace {

const QString kHead = QStringLiteral("<!DOCTYPE html>\n<html style=\"color-scheme:light\">\n<head>\n<meta "
                                     "charset=\"utf-8\">\n<style>\n  @page { size: ");
const QString kStyleTail = QStringLiteral("; margin: 0; }\n  body { margin: 0; padding: 0; background: #fff; "
                                          "color: #000; }\n  * { box-sizing: border-box; "
                                          "}\n</style>\n</head>\n<body>");

QString document(const QString &pageSize, const QString &box)
{
    return kHead + pageSize + kStyleTail + box + QStringLiteral("</body>\n</html>");
}

LabelTemplate sized(double width, double height, LabelShape shape)
{
    LabelTemplate t = blankTemplate();
    t.labelSize = LabelSize{width, height};
    t.labelShape = shape;
    return t;
}

QByteArray pngOf(const QImage &image, const char *format = "PNG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage swatch()
{
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image;
}

LabelElement imageElement(std::optional<QByteArray> bytes, ObjectFitValue fit = ObjectFitValue::contain)
{
    return LabelElement{
        QUuid::createUuid(), ImageProperties{std::move(bytes), fit}, ElementFrame{0, 0, 72, 36}, 0, false, 0};
}

const QString kOrigin =
    QStringLiteral("position:absolute;left:0.0in;top:0.0in;width:1.0in;height:0.5in;z-index:0;");

} // namespace

TEST(TemplateHtmlRenderer, NumberFormatIsTheShortestRoundTrip)
{
    const struct
    {
        double value;
        const char *text;
    } cases[] = {
        {2.0, "2.0"},
        {14.0, "14.0"},
        {0.0, "0.0"},
        {-0.0, "-0.0"},
        {8.0 / 72, "0.1111111111111111"},
        {100.0 / 72, "1.3888888888888888"},
        {24.0 / 72, "0.3333333333333333"},
        {-90.0, "-90.0"},
        {0.0001, "0.0001"},
        {0.00001, "1e-05"},
        {100.0 / 72 / 100000, "1.3888888888888888e-05"},
        {-0.00001, "-1e-05"},
        {1.5e-300, "1.5e-300"},
        {0.1 + 0.2, "0.30000000000000004"},
        {123456789.25, "123456789.25"},
        {std::numeric_limits<double>::quiet_NaN(), "0.0"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatHTMLNumber(c.value), QLatin1String(c.text)) << c.text;
    // Anything large still reads back as the same value.
    for (const double big : {1e15, 1e16, 1.7976931348623157e308})
        EXPECT_EQ(formatHTMLNumber(big).toDouble(), big);
}

TEST(TemplateHtmlRenderer, EmptyTemplatesOfEachShapeGiveTheGoldenDocuments)
{
    const struct
    {
        LabelTemplate labelTemplate;
        QString page;
        QString boxStyle;
    } cases[] = {
        {sized(2.25, 1.25, LabelShape::rectangle), QStringLiteral("2.25in 1.25in"),
         QStringLiteral("width:2.25in;height:1.25in;position:relative;overflow:hidden;background:#fff;")},
        {sized(2, 3, LabelShape::circle), QStringLiteral("2.0in 2.0in"),
         QStringLiteral("width:2.0in;height:2.0in;position:relative;overflow:hidden;background:#fff;"
                        "clip-path: circle(50%);")},
        {sized(2, 1, LabelShape::roundedRectangle), QStringLiteral("2.0in 1.0in"),
         QStringLiteral("width:2.0in;height:1.0in;position:relative;overflow:hidden;background:#fff;"
                        "clip-path: inset(0 round 0.1in);")},
        {sized(3, 2, LabelShape::oval), QStringLiteral("3.0in 2.0in"),
         QStringLiteral("width:3.0in;height:2.0in;position:relative;overflow:hidden;background:#fff;"
                        "clip-path: ellipse(50% 50%);")},
        {sized(3, 2, LabelShape::square), QStringLiteral("2.0in 2.0in"),
         QStringLiteral("width:2.0in;height:2.0in;position:relative;overflow:hidden;background:#fff;")},
    };
    for (const auto &c : cases) {
        const QString box = QStringLiteral("<div style=\"") + c.boxStyle + QStringLiteral("\">\n  \n</div>");
        EXPECT_EQ(renderTemplateHTML(c.labelTemplate, {}), document(c.page, box)) << c.page.toStdString();
    }
}

TEST(TemplateHtmlRenderer, TextElementGolden)
{
    LabelElement text = textElement(8, 8);
    auto &p = std::get<TextProperties>(text.kind);
    p.content = QStringLiteral("salt & pepper <3 \"hot\" &amp; it's\nnext");
    p.fontWeight = FontWeightValue::semibold;
    p.color = QStringLiteral(" #ff8000 ");
    p.alignment = TextAlignmentValue::center;
    const QString style =
        QStringLiteral("position:absolute;left:0.1111111111111111in;top:0.1111111111111111in;"
                       "width:1.3888888888888888in;height:0.3333333333333333in;z-index:0;");
    EXPECT_EQ(
        renderElementHTML(text, {}),
        QStringLiteral("<div style=\"") + style +
            QStringLiteral(";font-family:'Liberation Sans','Arial',sans-serif;font-size:14.0pt;"
                           "font-weight:600;color:#FF8000;text-align:center;overflow:hidden;"
                           "word-wrap:break-word\">\n  salt &amp; pepper &lt;3 &quot;hot&quot; &amp;amp; "
                           "it's<br>next\n</div>"));

    text.rotation = -90;
    EXPECT_TRUE(
        renderElementHTML(text, {}).contains(QStringLiteral("z-index:0;transform: rotate(-90.0deg);;font")));
    text.rotation = 0.5;
    EXPECT_TRUE(renderElementHTML(text, {}).contains(QStringLiteral("transform: rotate(0.5deg);")));
}

TEST(TemplateHtmlRenderer, VariablesFillOnlyVariableElements)
{
    LabelElement text = textElement();
    auto &p = std::get<TextProperties>(text.kind);
    p.content = QStringLiteral("Box {{boxNumber}}");
    TemplateVariables variables;
    variables.boxNumber = QStringLiteral("5");
    EXPECT_TRUE(renderElementHTML(text, variables).contains(QStringLiteral("\n  Box {{boxNumber}}\n</div>")));
    p.isVariable = true;
    EXPECT_TRUE(renderElementHTML(text, variables).contains(QStringLiteral("\n  Box 5\n</div>")));

    // A variable value is escaped like any text.
    variables.boxNumber = QStringLiteral("<b>5</b>");
    EXPECT_TRUE(renderElementHTML(text, variables).contains(QStringLiteral("Box &lt;b&gt;5&lt;/b&gt;")));

    LabelElement qr{QUuid::createUuid(),
                    QRCodeProperties{QStringLiteral("{{boxNumber}}"), QRCorrectionLevel::low, true},
                    ElementFrame{0, 0, 72, 36},
                    0,
                    false,
                    0};
    variables.boxNumber = QStringLiteral("box-7");
    const QString html = renderElementHTML(qr, variables);
    const QByteArray expected = *generateQRCodePNG(QStringLiteral("box-7"), QRCorrectionLevel::low);
    EXPECT_EQ(html, QStringLiteral("<img src=\"data:image/png;base64,") +
                        QString::fromLatin1(expected.toBase64()) + QStringLiteral("\" style=\"") + kOrigin +
                        QStringLiteral(";object-fit:contain;image-rendering:pixelated\" />"));
}

TEST(TemplateHtmlRenderer, ElementsComeOutInStableZOrder)
{
    LabelTemplate t = blankTemplate();
    const qint64 order[] = {2, 0, 2, 1};
    for (int i = 0; i < 4; ++i) {
        LabelElement e = textElement();
        std::get<TextProperties>(e.kind).content = QStringLiteral("element%1").arg(i);
        e.zIndex = order[i];
        t.elements.append(e);
    }
    const QString html = renderTemplateHTML(t, {});
    QList<qsizetype> at;
    for (const char *name : {"element1", "element3", "element0", "element2"})
        at.append(html.indexOf(QLatin1String(name)));
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()) && at.first() > 0) << html.toStdString();
    EXPECT_EQ(t.elements.at(0).zIndex, 2); // the template itself is not reordered
}

TEST(TemplateHtmlRenderer, ImagesGoOutAsTheEngineDrawsThemAndBadOnesAsGreyBoxes)
{
    const QByteArray png = pngOf(swatch());
    const QByteArray jpeg = pngOf(swatch(), "JPEG");
    const QByteArray tiff = pngOf(swatch(), "TIFF");
    ASSERT_FALSE(tiff.isEmpty()) << "Qt's TIFF plug-in is missing";
    const QString greyBox =
        QStringLiteral("<div style=\"") + kOrigin + QStringLiteral(";background:#eee\"></div>");
    const auto embedded = [](const QByteArray &bytes, const char *fit) -> QString {
        const QString type = bytes.startsWith("\x89PNG") ? QStringLiteral("png") : QStringLiteral("jpeg");
        return QStringLiteral("<img src=\"data:image/") + type + QStringLiteral(";base64,") +
               QString::fromLatin1(bytes.toBase64()) + QStringLiteral("\" style=\"") + kOrigin +
               QLatin1Char(';') + QLatin1String(fit) + QStringLiteral("\" />");
    };
    EXPECT_EQ(renderElementHTML(imageElement(png), {}), embedded(png, "object-fit:contain"));
    EXPECT_EQ(renderElementHTML(imageElement(jpeg, ObjectFitValue::cover), {}),
              embedded(jpeg, "object-fit:cover"));
    EXPECT_EQ(renderElementHTML(imageElement(std::nullopt), {}), greyBox);
    EXPECT_EQ(renderElementHTML(imageElement(QByteArray()), {}), greyBox);
    EXPECT_EQ(renderElementHTML(imageElement(QByteArray("not a picture")), {}), greyBox);
    EXPECT_EQ(renderElementHTML(imageElement(png.left(png.size() / 2)), {}), greyBox);

    // An opaque TIFF goes out as JPEG of the same picture; the element keeps its TIFF bytes.
    const LabelElement tiffElement = imageElement(tiff, ObjectFitValue::fill);
    const QString html = renderElementHTML(tiffElement, {});
    const QRegularExpressionMatch data =
        QRegularExpression(QStringLiteral("base64,([A-Za-z0-9+/=]+)\"")).match(html);
    ASSERT_TRUE(data.hasMatch());
    const QByteArray sent = QByteArray::fromBase64(data.captured(1).toLatin1());
    EXPECT_TRUE(sent.startsWith("\xff\xd8\xff"));
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(sent));
    EXPECT_EQ(decoded.size(), QSize(8, 4));
    EXPECT_GT(decoded.pixelColor(3, 2).red(), 200);
    EXPECT_LT(decoded.pixelColor(3, 2).green(), 60);
    EXPECT_TRUE(html.endsWith(QStringLiteral(";object-fit:fill\" />")));
    EXPECT_EQ(*std::get<ImageProperties>(tiffElement.kind).imageData, tiff);

    // A QR code no version holds prints as the grey box.
    const LabelElement tooLong{
        QUuid::createUuid(),
        QRCodeProperties{QString(4000, QLatin1Char('x')), QRCorrectionLevel::high, false},
        ElementFrame{0, 0, 72, 36},
        0,
        false,
        0};
    EXPECT_EQ(renderElementHTML(tooLong, {}), greyBox);
}

TEST(TemplateHtmlRenderer, HostileTemplateTextLeavesOneWellFormedStylePerElement)
{
    LabelTemplate t = blankTemplate();
    const QString hostile[] = {
        QStringLiteral("red;background:url(x)\" onload=\"alert(1)"),
        QStringLiteral("Arial'; } body { display:none } <script>"),
        QStringLiteral("&#39;;color:red;&quot;\\27 \n\r\t\x01\u2028"),
        QStringLiteral("</div><img src=x onerror=alert(1)>"),
    };
    for (const QString &text : hostile) {
        LabelElement e = textElement();
        auto &p = std::get<TextProperties>(e.kind);
        p.content = text;
        p.fontFamily = text;
        p.color = text;
        t.elements.append(e);
    }
    const QString html = renderTemplateHTML(t, {});
    // Every element is one div with exactly one style attribute, and its declarations
    // are the renderer's own.
    const QRegularExpression element(
        QStringLiteral("<div style=\"(position:absolute;[^\"]*)\">\n  ((?:[^<>\"]|<br>)*)\n</div>"));
    int count = 0;
    for (auto it = element.globalMatch(html); it.hasNext(); ++count) {
        const QString style = it.next().captured(1);
        EXPECT_FALSE(style.contains(QLatin1Char('<')) || style.contains(QLatin1Char('&')) ||
                     style.contains(QLatin1Char('\\')) || style.contains(QLatin1Char('\n')));
        QStringList properties;
        for (const QString &declaration : style.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            properties.append(declaration.section(QLatin1Char(':'), 0, 0));
        EXPECT_EQ(properties,
                  QStringList({"position", "left", "top", "width", "height", "z-index", "font-family",
                               "font-size", "font-weight", "color", "text-align", "overflow", "word-wrap"}))
            << style.toStdString();
        EXPECT_TRUE(style.contains(QStringLiteral(";color:#000000;"))) << style.toStdString();
        // The family stays one quoted CSS string.
        EXPECT_EQ(style.section(QStringLiteral("font-family:"), 1)
                      .section(QLatin1Char(';'), 0, 0)
                      .count(QLatin1Char('\'')),
                  2);
    }
    EXPECT_EQ(count, 4) << html.toStdString();
    EXPECT_EQ(html.count(QStringLiteral("<div")), 5);
    EXPECT_EQ(html.count(QStringLiteral("</div>")), 5);
    EXPECT_FALSE(html.contains(QStringLiteral("<script")) || html.contains(QStringLiteral("<img")));
}

TEST(TemplateHtmlRenderer, FontFamiliesPutTheInstalledFaceFirst)
{
    EXPECT_EQ(cssFontFamilyList(QStringLiteral("Menlo")),
              QStringLiteral("'DejaVu Sans Mono','Menlo',sans-serif"));
    EXPECT_EQ(cssFontFamilyList(QStringLiteral("Comic Sans")), QStringLiteral("'Comic Sans',sans-serif"));
    EXPECT_EQ(cssFontFamilyList(QStringLiteral("'\";<>&\\")), QStringLiteral("sans-serif"));
}
