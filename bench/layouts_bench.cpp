// Drawing each label layout at 300 dpi, as the print path does, on a 4 × 6 in and a
// 2.25 × 1.25 in medium: layout plus painting into a fresh bitmap.
//
// Single-core: the work runs on the GUI thread alone, so scripts/bench.sh pins this
// program to one CPU.
#include "printing/layouts/any_label_view.h"

#include <QGuiApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace quill;

namespace {

struct Medium
{
    qreal width;
    qreal height;
};

constexpr Medium kMedia[] = {{288, 432}, {162, 90}}; // 4 × 6 portrait, 2.25 × 1.25 landscape

LabelAppearance benchAppearance()
{
    LabelAppearance appearance;
    QImage logo(256, 128, QImage::Format_ARGB32_Premultiplied);
    logo.fill(QColor(30, 60, 160));
    appearance.logoImage = logo;
    return appearance;
}

QList<GroupedItem> slipItems()
{
    QList<GroupedItem> items;
    for (int i = 0; i < 6; ++i)
        items.append(GroupedItem{100 + i, QStringLiteral("Vintage enamel pin set no. %1").arg(i + 1),
                                 QStringLiteral("12.5")});
    return items;
}

AnyLabelView makeView(int layout, LabelVariant style, const Medium &medium)
{
    const LabelAppearance look = benchAppearance();
    switch (layout) {
    case 0:
        return IndividualLabelView(QStringLiteral("sparkle_collector"), QStringLiteral("12.5"), 42, 7,
                                   QStringLiteral("Holographic trading card, first edition"),
                                   QStringLiteral("Sunday show"), style, medium.width, medium.height, false,
                                   look, 0.75);
    case 1:
        return BoxLabelView(QStringLiteral("sparkle_collector"), 12, QStringLiteral("Sunday show"), style,
                            medium.width, medium.height, false, look, 0.75);
    case 2:
        return GroupedLabelView(QStringLiteral("sparkle_collector"), slipItems(), Decimal(75),
                                QStringLiteral("Sunday show"), style, medium.width, medium.height,
                                std::nullopt, std::nullopt, look, 0.75);
    default:
        return CalibrationLabelView(medium.width, medium.height, false);
    }
}

// Arguments: layout (0 winner, 1 box, 2 packing slip, 3 calibration), style, medium.
void BM_DrawLabelAt300Dpi(benchmark::State &state)
{
    const AnyLabelView view =
        makeView(int(state.range(0)), static_cast<LabelVariant>(state.range(1)), kMedia[state.range(2)]);
    for (auto _ : state) {
        QImage image = view.toImage(300);
        benchmark::DoNotOptimize(image.constBits());
    }
    static const char *const layouts[] = {"winner", "box", "slip", "calibration"};
    static const char *const styles[] = {"bold", "classic", "minimal"};
    static const char *const media[] = {"4x6", "2.25x1.25"};
    state.SetLabel(std::string(layouts[state.range(0)]) +
                   (state.range(0) == 3 ? "" : std::string("/") + styles[state.range(1)]) + "/" +
                   media[state.range(2)]);
}

void layoutArguments(benchmark::internal::Benchmark *benchmark)
{
    for (int layout = 0; layout < 4; ++layout)
        for (int style = 0; style < (layout == 3 ? 1 : 3); ++style)
            for (int medium = 0; medium < 2; ++medium)
                benchmark->Args({layout, style, medium});
}

BENCHMARK(BM_DrawLabelAt300Dpi)->Apply(layoutArguments)->Unit(benchmark::kMillisecond);

} // namespace
