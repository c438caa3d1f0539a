// Rendering the sample label to a 300 dpi bitmap, and to a PNG as the print path
// sends it, for the three layouts the presets use most.
//
// Single-core: the work runs on the GUI thread alone, so scripts/bench.sh pins this
// program to one CPU.
#include "printkit/domain/label_preset.h"
#include "printkit/rendering/label_renderer.h"

#include <QBuffer>
#include <QImage>
#include <benchmark/benchmark.h>

namespace {

constexpr double k300Dpi = 300.0 / 72.0;

printkit::LabelCanvas canvasFor(int which)
{
    switch (which) {
    case 0:
        return printkit::LabelPreset::rect1x2().canvas; // 2 × 1 in, compact
    case 1:
        return printkit::LabelPreset::shipping4x6().canvas; // 4 × 6 in, tall
    default:
        return printkit::LabelPreset::circle2().canvas; // 2 in circle
    }
}

void setLabel(benchmark::State &state)
{
    static const char *const names[] = {"compact_2x1", "tall_4x6", "circle_2"};
    state.SetLabel(names[state.range(0)]);
}

void BM_RenderImage300Dpi(benchmark::State &state)
{
    const printkit::LabelRenderer renderer;
    const printkit::LabelCanvas canvas = canvasFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QImage image = renderer.renderImage(printkit::LabelContent::sample(), canvas, k300Dpi);
        benchmark::DoNotOptimize(image.constBits());
    }
    setLabel(state);
}
BENCHMARK(BM_RenderImage300Dpi)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_RenderPng300Dpi(benchmark::State &state)
{
    const printkit::LabelRenderer renderer;
    const printkit::LabelCanvas canvas = canvasFor(static_cast<int>(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QImage image = renderer.renderImage(printkit::LabelContent::sample(), canvas, k300Dpi);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) {
            state.SkipWithError("PNG encoding failed");
            return;
        }
        bytes = png.size();
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["png_bytes"] = static_cast<double>(bytes);
    setLabel(state);
}
BENCHMARK(BM_RenderPng300Dpi)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace
