// One lp submission to the private scheduler's TestLabel queue, from the transport
// call to CUPS accepting the job (run through scripts/bench.sh, which starts it).
#include "printkit/domain/label_preset.h"
#include "printkit/rendering/label_renderer.h"
#include "printkit/transport/cups_print_transport.h"

#include <QBuffer>
#include <QCoroTask>
#include <QImage>
#include <benchmark/benchmark.h>

namespace {

void BM_LpSubmissionRoundTrip(benchmark::State &state)
{
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
        state.SkipWithError("CUPS_SERVER is not set: run scripts/bench.sh");
        return;
    }
    const printkit::LabelCanvas canvas = printkit::LabelPreset::rect1x2().canvas;
    QImage image(600, 300, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");

    printkit::LabelRenderer renderer;
    printkit::CUPSPrintTransport transport(&renderer);
    transport.setDebugCopyFolder(QString());
    const printkit::CUPSPrintConfiguration config{QStringLiteral("TestLabel"), true, {}};
    for (auto _ : state) {
        QCoro::waitFor(transport.printImage(png, QStringLiteral("TestLabel"), canvas, 1, config));
    }
}
BENCHMARK(BM_LpSubmissionRoundTrip)->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace
