// The canvas against the print: the sample template painted by the element views at
// 300 dpi and its print page turned into a PDF by the print engine and rasterised at
// 300 dpi put each element's ink in the same place. Both rasters side by side go to
// <build>/screens/designer-canvas-vs-pdf.png.
#include "designer/template_html_renderer.h"
#include "pdf_probe.h"
#include "printing/print_kit_adapter.h"
#include "run_sync.h"
#include "sample_template.h"
#include "ui/designer/element_view.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

constexpr double kDpi = 300;
constexpr double kScale = kDpi / 72;

QImage paintedCanvas(const LabelTemplate &t, const TemplateVariables &variables)
{
    const QSizeF size = t.canvasSize();
    QImage image(qRound(size.width() * kScale), qRound(size.height() * kScale), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(kScale, kScale);
    QList<LabelElement> elements = t.elements;
    std::stable_sort(elements.begin(), elements.end(),
                     [](const LabelElement &a, const LabelElement &b) { return a.zIndex < b.zIndex; });
    for (LabelElement e : elements) {
        // The canvas shows its own sample values; here both sides use the print's.
        if (auto *text = std::get_if<TextProperties>(&e.kind); text && text->isVariable) {
            text->content = resolvePlaceholders(text->content, variables);
            text->isVariable = false;
        } else if (auto *qr = std::get_if<QRCodeProperties>(&e.kind); qr && qr->isVariable) {
            qr->content = resolvePlaceholders(qr->content, variables);
            qr->isVariable = false;
        }
        ElementView(e, false, 1).paint(painter);
    }
    return image;
}

void saveSideBySide(const QImage &canvas, const QImage &pdf)
{
    QImage sheet(canvas.width() + pdf.width() + 30, std::max(canvas.height(), pdf.height()) + 20,
                 QImage::Format_RGB32);
    sheet.fill(QColor(90, 90, 90));
    QPainter painter(&sheet);
    painter.drawImage(10, 10, canvas);
    painter.drawImage(canvas.width() + 20, 10, pdf);
    painter.end();
    QDir().mkpath(QStringLiteral(QUILLMARK_SCREENS_DIR));
    sheet.save(QStringLiteral(QUILLMARK_SCREENS_DIR "/designer-canvas-vs-pdf.png"));
}

} // namespace

TEST(WebEngineCanvasVsPdf, EveryElementsInkLandsInTheSamePlace)
{
    const LabelTemplate t = sampleTemplate();
    const TemplateVariables variables = sampleVariables();
    PrintKitAdapter adapter;
    const QByteArray pdf = runSync(adapter.generatePDF(renderTemplateHTML(t, variables), t.canvasSize()));
    const QImage printed = pdfFirstPage(pdf, qRound(kDpi)).convertToFormat(QImage::Format_RGB32);
    const QImage canvas = paintedCanvas(t, variables);
    saveSideBySide(canvas, printed);
    ASSERT_EQ(printed.size(), canvas.size());

    for (const LabelElement &e : t.elements) {
        const bool isText = std::holds_alternative<TextProperties>(e.kind);
        const double tolerance = (isText ? 2.0 : 1.0) * kScale;
        const QRect area = QTransform::fromScale(kScale, kScale)
                               .mapRect(coveredRect(e))
                               .toAlignedRect()
                               .adjusted(-2, -2, 2, 2);
        const QRect onCanvas = inkBox(canvas, area);
        const QRect onPaper = inkBox(printed, area);
        ASSERT_FALSE(onCanvas.isEmpty()) << "nothing drawn at z " << e.zIndex;
        ASSERT_FALSE(onPaper.isEmpty()) << "nothing printed at z " << e.zIndex;
        EXPECT_NEAR(onCanvas.left(), onPaper.left(), tolerance) << "z " << e.zIndex;
        EXPECT_NEAR(onCanvas.top(), onPaper.top(), tolerance) << "z " << e.zIndex;
        EXPECT_NEAR(onCanvas.right(), onPaper.right(), tolerance) << "z " << e.zIndex;
        EXPECT_NEAR(onCanvas.bottom(), onPaper.bottom(), tolerance) << "z " << e.zIndex;
    }
}
