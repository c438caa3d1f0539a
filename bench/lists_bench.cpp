// Single-core: the work runs on the GUI thread alone; scripts/bench.sh pins it to one CPU.
// The live lists during a long show. BM_NewWinReachesTheLists: with 2,000 wins of 400
// buyers shown, one new win through the side panel's models and row delegates until the
// visible rows of the selected list (0 Sold, 1 Buyers) are repainted at 350 × 800.
// BM_PrintLogJobChangesState: one job of a 4,000-job print log changing its status
// until the panel's visible rows are repainted. Each reports the median and the 95th
// percentile of its iterations in milliseconds.
#include "bench_live_show.h"
#include "printing/auto_print_manager.h"
#include "ui/lists/print_log_panel.h"
#include "ui/live/live_side_panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

using namespace quill;

using bench::addWin;
using bench::BenchApp;

constexpr int kWins = 2000;
constexpr int kBuyers = 400;
constexpr int kJobs = 4000;

void win(AuctionPoller &poller, int number)
{
    addWin(poller, number, kBuyers, true);
}

void reportPercentiles(benchmark::State &state, std::vector<double> &milliseconds)
{
    std::sort(milliseconds.begin(), milliseconds.end());
    const auto at = [&](double share) {
        return milliseconds[std::min(milliseconds.size() - 1, size_t(share * double(milliseconds.size())))];
    };
    state.counters["median_ms"] = at(0.5);
    state.counters["p95_ms"] = at(0.95);
}

void BM_NewWinReachesTheLists(benchmark::State &state)
{
    BenchApp services;
    AuctionPoller &poller = services.app->auctionPoller();
    for (int i = 1; i <= kWins; ++i)
        win(poller, i);
    LiveSidePanel panel(*services.app);
    panel.setSelectedTab(static_cast<LiveTab>(state.range(0)));
    panel.resize(350, 800);
    panel.show();
    QApplication::processEvents();

    std::vector<double> times;
    int number = kWins;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        win(poller, ++number);
        // Layout and paint of what the views now show.
        QApplication::processEvents();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        times.push_back(seconds * 1000);
    }
    reportPercentiles(state, times);
    state.counters["wins"] = double(poller.capturedAuctions().size());
}

PrintJob logJob(int number)
{
    PrintJob job;
    job.id = PrintJob::makeId();
    job.label = QStringLiteral("@buyer%1 $%2").arg(number % kBuyers).arg(number % 97);
    job.status = PrintJob::Status::done();
    job.timestamp = QDateTime::currentDateTimeUtc().addSecs(-number);
    job.content = LabelContent::individual(
        QStringLiteral("buyer%1").arg(number % kBuyers), QString::number(number % 97), number, std::nullopt,
        QStringLiteral("Card lot %1").arg(number), QStringLiteral("Live Show"));
    job.labelMedia = LabelMedia::rect1x2();
    return job;
}

void BM_PrintLogJobChangesState(benchmark::State &state)
{
    BenchApp services;
    AutoPrintManager &queue = services.app->autoPrintManager();
    QList<PrintJob> jobs;
    jobs.reserve(kJobs);
    for (int i = 0; i < kJobs; ++i)
        jobs.append(logJob(i));
    queue.setPrintJobs(jobs);
    PrintLogPanel panel(*services.app);
    panel.resize(280, 800);
    panel.show();
    QApplication::processEvents();

    std::vector<double> times;
    int turn = 0;
    for (auto _ : state) {
        // A job near the top moves on: queued, printing, done, round again.
        PrintJob &job = jobs[turn++ % 8];
        job.status = job.status.kind == PrintJob::Status::Kind::queued     ? PrintJob::Status::printing()
                     : job.status.kind == PrintJob::Status::Kind::printing ? PrintJob::Status::done()
                                                                           : PrintJob::Status::queued();
        QElapsedTimer timer;
        timer.start();
        queue.setPrintJobs(jobs);
        QApplication::processEvents();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        times.push_back(seconds * 1000);
    }
    reportPercentiles(state, times);
}

BENCHMARK(BM_NewWinReachesTheLists)
    ->DenseRange(0, 1)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintLogJobChangesState)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);

} // namespace
