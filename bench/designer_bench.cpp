// The template store on the GUI thread: the designer's save every 5 s of a large
// template, and loading a folder of 200 templates when the designer opens. The canvas
// redrawing 50 elements (ten QR codes, made afresh at every drawing) at zoom 2, the
// print page of the same template, and one drag step on the canvas. Single-core:
// scripts/bench.sh pins it to one CPU.
#include "designer/label_designer_state.h"
#include "designer/template_html_renderer.h"
#include "designer/template_store.h"
#include "ui/designer/design_canvas.h"
#include "ui/designer/element_view.h"

#include <QBuffer>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

quill::LabelTemplate largeTemplate(int elements, qsizetype imageBytes)
{
    quill::LabelTemplate t;
    t.id = QUuid::createUuid();
    t.name = QStringLiteral("Shelf tag");
    t.labelSize = quill::LabelSize{4, 6};
    t.createdAt = QDateTime(QDate(2026, 1, 15), QTime(9, 30), Qt::UTC);
    t.updatedAt = t.createdAt;
    QByteArray image(imageBytes, Qt::Uninitialized);
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32 *>(image.data()), image.size() / 4);
    t.elements.append(quill::LabelElement{QUuid::createUuid(),
                                          quill::ImageProperties{image, quill::ObjectFitValue::contain},
                                          quill::ElementFrame{10, 10, 120, 120}, 0, false, 0});
    for (int i = 1; i < elements; ++i) {
        t.elements.append(quill::LabelElement{
            QUuid::createUuid(),
            quill::TextProperties{QStringLiteral("{{username}} paid {{price}} #%1").arg(i),
                                  QStringLiteral("Arial"), 14.5, quill::FontWeightValue::bold,
                                  QStringLiteral("#1A2B3C"), quill::TextAlignmentValue::center, true},
            quill::ElementFrame{i * 1.25, i * 2.5, 100, 24}, i * 0.1, false, i});
    }
    return t;
}

void BM_SaveTemplate50ElementsWith1MBImage(benchmark::State &state)
{
    QTemporaryDir dir;
    quill::TemplateStore store(dir.path());
    const quill::LabelTemplate t = largeTemplate(50, 1024 * 1024);
    for (auto _ : state)
        store.save(t);
    if (store.templates().size() != 1)
        state.SkipWithError("the template was not saved");
}
BENCHMARK(BM_SaveTemplate50ElementsWith1MBImage)->Unit(benchmark::kMillisecond);

void BM_LoadTemplates200(benchmark::State &state)
{
    QTemporaryDir dir;
    quill::TemplateStore store(dir.path());
    for (int i = 0; i < 200; ++i)
        store.save(largeTemplate(10, 4 * 1024));
    for (auto _ : state)
        store.loadTemplates();
    if (store.templates().size() != 200)
        state.SkipWithError("the templates did not load");
}
BENCHMARK(BM_LoadTemplates200)->Unit(benchmark::kMillisecond);

// 50 elements on a 4 × 6 in label: ten variable QR codes, one PNG, the rest variable text.
quill::LabelTemplate canvasTemplate()
{
    quill::LabelTemplate t = largeTemplate(40, 0);
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    t.elements.first().kind = quill::ImageProperties{png, quill::ObjectFitValue::cover};
    // As labels are designed: most text level, some turned a quarter. (Every text at an
    // angle of its own would measure the font engine's cache of turned glyphs instead.)
    for (qsizetype i = 1; i < t.elements.size(); ++i)
        t.elements[i].rotation = i % 8 == 0 ? -90 : 0;
    for (int i = 0; i < 10; ++i)
        t.elements.append(quill::LabelElement{
            QUuid::createUuid(),
            quill::QRCodeProperties{
                QStringLiteral("https://example.invalid/show/{{auctionNumber}}/%1").arg(i),
                quill::QRCorrectionLevel::medium, true},
            quill::ElementFrame{20.0 + i * 20, 300, 72, 72}, 0, false, 40 + i});
    return t;
}

void BM_PaintElementViews50At2x(benchmark::State &state)
{
    const quill::LabelTemplate t = canvasTemplate();
    constexpr double zoom = 2;
    QImage image(qRound(t.canvasSize().width() * zoom), qRound(t.canvasSize().height() * zoom),
                 QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(zoom, zoom);
        for (const quill::LabelElement &element : t.elements)
            quill::ElementView(element, false, zoom).paint(painter);
    }
    benchmark::DoNotOptimize(image.constBits());
}
BENCHMARK(BM_PaintElementViews50At2x)->Unit(benchmark::kMillisecond);

void BM_RenderTemplateHTML50(benchmark::State &state)
{
    const quill::LabelTemplate t = canvasTemplate();
    quill::TemplateVariables variables;
    variables.username = QStringLiteral("dana_buys");
    variables.auctionNumber = QStringLiteral("#86");
    qsizetype length = 0;
    for (auto _ : state)
        length += quill::renderTemplateHTML(t, variables).size();
    if (length == 0)
        state.SkipWithError("no document");
}
BENCHMARK(BM_RenderTemplateHTML50)->Unit(benchmark::kMillisecond);

// One step of a drag: the move with grid and guide snapping against 49 other elements,
// then the canvas drawn again as an 800 × 600 viewport shows it at zoom 2.
void BM_DragStep50ElementsAt2x(benchmark::State &state)
{
    quill::LabelDesignerState designer(canvasTemplate());
    designer.setZoomScale(2);
    designer.setSnapToGrid(true);
    designer.setSnapToGuides(true);
    const QUuid dragged = designer.labelTemplate().elements.at(5).id;
    designer.setSelectedElementId(dragged);
    quill::DesignCanvas canvas(designer);
    canvas.resize(canvas.sizeHint());
    QImage viewport(800, 600, QImage::Format_ARGB32_Premultiplied);
    double step = 0;
    for (auto _ : state) {
        step = step >= 200 ? 0 : step + 1.5;
        designer.moveElement(dragged, 30 + step, 40 + step * 0.5);
        viewport.fill(Qt::gray);
        canvas.render(&viewport, QPoint(), QRegion(0, 0, 800, 600));
    }
    benchmark::DoNotOptimize(viewport.constBits());
}
BENCHMARK(BM_DragStep50ElementsAt2x)->Unit(benchmark::kMillisecond);

} // namespace
