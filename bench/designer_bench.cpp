// The template store on the GUI thread: the designer's save every 5 s of a large
// template, and loading a folder of 200 templates when the designer opens.
// Single-core: scripts/bench.sh pins it to one CPU.
#include "designer/template_store.h"

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

} // namespace
