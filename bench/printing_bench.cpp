// One winner label through the whole print pipeline in "Black & White" (page
// building, 300-dpi drawing, colour conversion, rotation, PNG), on a 2.25 × 1.25 in
// label in landscape and a 4 × 6 in label in portrait, plus each step on its own
// to see where the time goes.
//
// scripts/bench.sh pins this program to one CPU, where a label is drawn in one piece as
// on a single-CPU machine; on several CPUs a 4 × 6 label is drawn in bands side by side
// (run it with taskset on more CPUs to see that).
#include "printing/band_crew.h"
#include "printing/label_bitmap_pipeline.h"
#include "printing/label_content.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace quill;

namespace {

struct Case
{
    LabelMedia media;
    Orientation orientation;
    const char *name;
};

const Case &benchCase(int index)
{
    static const Case cases[] = {{LabelMedia::rect225x125(), Orientation::landscape, "2.25x1.25"},
                                 {LabelMedia::shipping4x6(), Orientation::portrait, "4x6"}};
    return cases[index];
}

LabelAppearance benchAppearance()
{
    LabelAppearance appearance;
    QImage logo(256, 128, QImage::Format_ARGB32_Premultiplied);
    logo.fill(QColor(30, 60, 160));
    appearance.logoImage = logo;
    appearance.colorMode = LabelColorMode::blackAndWhite;
    return appearance;
}

// The n-th win of the show: a buyer, price and auction number of its own, so no label
// repeats the texts of the one before (texts that do repeat, the show title and the
// item, are fitted once and kept).
LabelContent winner(int n = 0)
{
    return LabelContent::individual(
        QStringLiteral("sparkle_collector_%1").arg(n), QStringLiteral("$%1.5").arg(12 + n), 42 + n, 7,
        QStringLiteral("Holographic trading card, first edition"), QStringLiteral("Live Show"));
}

AnyLabelView winnerPage(const Case &c)
{
    return winner().pages(LabelVariant::bold, c.media, c.orientation, benchAppearance()).first();
}

void BM_WinnerLabelPipeline(benchmark::State &state)
{
    const Case &c = benchCase(int(state.range(0)));
    const LabelAppearance appearance = benchAppearance();
    BandCrew crew(BandCrew::defaultThreads()); // as the print service's drawing thread has
    qint64 bytes = 0;
    int n = 0;
    for (auto _ : state) {
        const QList<AnyLabelView> pages =
            winner(++n).pages(LabelVariant::bold, c.media, c.orientation, appearance);
        const QByteArray png =
            renderLabelPNG(pages.first(), c.media, c.orientation, LabelColorMode::blackAndWhite, &crew);
        bytes = png.size();
        benchmark::DoNotOptimize(png.constData());
    }
    state.SetLabel(std::string(c.name) + " png " + std::to_string(bytes) + " B");
}

void BM_RenderStep(benchmark::State &state)
{
    const Case &c = benchCase(int(state.range(0)));
    const QSizeF inches = labelSizeInches(c.media, c.orientation);
    const LabelAppearance appearance = benchAppearance();
    BandCrew crew(BandCrew::defaultThreads());
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const AnyLabelView page =
            winner(++n).pages(LabelVariant::bold, c.media, c.orientation, appearance).first();
        state.ResumeTiming();
        QImage image = renderLabelImage(page, inches, &crew);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(c.name);
}

void BM_BlackAndWhiteStep(benchmark::State &state)
{
    const Case &c = benchCase(int(state.range(0)));
    const QImage image = renderLabelImage(winnerPage(c), labelSizeInches(c.media, c.orientation));
    for (auto _ : state) {
        QImage converted = blackAndWhiteImage(image);
        benchmark::DoNotOptimize(converted.constBits());
    }
    state.SetLabel(c.name);
}

void BM_RotateStep(benchmark::State &state)
{
    const Case &c = benchCase(int(state.range(0)));
    const QImage image =
        blackAndWhiteImage(renderLabelImage(winnerPage(c), labelSizeInches(c.media, c.orientation)));
    const int degrees = standardRotation(c.media, c.orientation);
    for (auto _ : state) {
        QImage turned = rotatedImage(image, degrees);
        benchmark::DoNotOptimize(turned.constBits());
    }
    state.SetLabel(c.name);
}

// Colour mode, turn and packing in the one pass the pipeline makes of them.
void BM_PrintBitmapStep(benchmark::State &state)
{
    const Case &c = benchCase(int(state.range(0)));
    const QImage image = renderLabelImage(winnerPage(c), labelSizeInches(c.media, c.orientation));
    const int degrees = standardRotation(c.media, c.orientation);
    for (auto _ : state) {
        QImage bitmap = printBitmap(image, LabelColorMode::blackAndWhite, degrees);
        benchmark::DoNotOptimize(bitmap.constBits());
    }
    state.SetLabel(c.name);
}

void BM_EncodeStep(benchmark::State &state)
{
    const Case &c = benchCase(int(state.range(0)));
    // The pipeline encodes a black-and-white bitmap at one bit per pixel.
    const QImage image =
        rotatedImage(
            blackAndWhiteImage(renderLabelImage(winnerPage(c), labelSizeInches(c.media, c.orientation))),
            standardRotation(c.media, c.orientation))
            .convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    for (auto _ : state) {
        QByteArray png = encodePNG(image);
        benchmark::DoNotOptimize(png.constData());
    }
    state.SetLabel(c.name);
}

BENCHMARK(BM_WinnerLabelPipeline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlackAndWhiteStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintBitmapStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
