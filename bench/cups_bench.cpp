// A label's way into the private scheduler's TestLabel queue as the application goes
// it, through the printer adapter with the real CUPS tools (run through
// scripts/bench.sh, which starts the scheduler): BM_LpSubmissionRoundTrip is one
// printImage (queue name resolution, temporary file, lp until CUPS accepted the job);
// BM_QueueCheckAndSubmission adds the queue check the print queue makes before
// every label. /0 refreshes the printer list before each label, so the name is
// resolved afresh; /1 is the steady state of a show.
#include "common/settings.h"
#include "printing/label_media.h"
#include "printing/print_kit_adapter.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"

#include <QBuffer>
#include <QCoroTask>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

const QString kQueue = QStringLiteral("TestLabel");

QByteArray labelPng()
{
    QImage image(600, 300, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

void runLabels(benchmark::State &state, bool checkQueue)
{
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
        state.SkipWithError("CUPS_SERVER is not set: run scripts/bench.sh");
        return;
    }
    QTemporaryDir dir;
    quill::Settings settings(dir.filePath(QStringLiteral("defaults.ini")));
    quill::PrinterCalibrationStore calibration(settings);
    quill::PrintKitAdapterSetup setup;
    setup.calibration = &calibration;
    quill::PrintKitAdapter adapter(std::move(setup));
    adapter.cupsTransport().setDebugCopyFolder(QString());
    adapter.cupsTransport().setTemporaryFolder(dir.path());
    const QByteArray png = labelPng();
    const quill::LabelMedia media = quill::LabelMedia::builtIn().first();
    const bool refreshEach = state.range(0) == 0;
    QCoro::waitFor(adapter.refreshPrinters());

    std::vector<double> latencies;
    for (auto _ : state) {
        if (refreshEach) {
            state.PauseTiming();
            QCoro::waitFor(adapter.refreshPrinters());
            state.ResumeTiming();
        }
        const auto begin = std::chrono::steady_clock::now();
        if (checkQueue) {
            const printkit::CUPSQueueState queueState = QCoro::waitFor(adapter.queueStatus(kQueue));
            if (queueState == printkit::CUPSQueueState::stopped) {
                state.SkipWithError("TestLabel is stopped");
                return;
            }
        }
        const quill::PrintResult result =
            QCoro::waitFor(adapter.printImage(kQueue, png, media, quill::Orientation::landscape, 1));
        if (!result.ok) {
            state.SkipWithError(qPrintable(QStringLiteral("the label was refused: ") + result.message));
            return;
        }
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - begin;
        latencies.push_back(elapsed.count());
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double share) {
        return latencies.at(static_cast<size_t>(share * static_cast<double>(latencies.size() - 1) + 0.5));
    };
    state.counters["p50_ms"] = at(0.50);
    state.counters["p95_ms"] = at(0.95);
}

void BM_LpSubmissionRoundTrip(benchmark::State &state)
{
    runLabels(state, false);
}
BENCHMARK(BM_LpSubmissionRoundTrip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_QueueCheckAndSubmission(benchmark::State &state)
{
    runLabels(state, true);
}
BENCHMARK(BM_QueueCheckAndSubmission)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace
