// The live side panel during a long show: with 2,000 wins of 400 buyers captured and
// 1,000 bidders tracked, how long one new win takes through the Sold, Buyers and
// Bidders models and the tab bar, with the three views attached and the selected list
// on screen (BM_NewWinThroughTheSidePanel). BM_NewWinPainted adds the repaint of the
// panel that follows on the offscreen platform, rows included.
//
// Single-core: the work runs on the GUI thread alone, so scripts/bench.sh pins this
// program to one CPU.
#include "bench_live_show.h"
#include "capture/auction_poller.h"
#include "capture/bidder_tracker.h"
#include "ui/live/live_side_panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <benchmark/benchmark.h>

namespace {

using namespace quill;

constexpr int kWins = 2000;
constexpr int kBuyers = 400;
constexpr int kBidders = 1000;

void win(AuctionPoller &poller, int number)
{
    bench::addWin(poller, number, kBuyers);
}

void newWins(benchmark::State &state, bool painted)
{
    bench::BenchApp services;
    AppState &app = *services.app;
    AuctionPoller &poller = app.auctionPoller();
    BidderTracker &tracker = app.bidderTracker();
    for (int i = 1; i <= kWins; ++i)
        win(poller, i);
    // Half the bidders won something; bidder names of buyers beyond 400 never did.
    QStringList items;
    for (int i = 0; i < kBidders; ++i)
        items.append(
            QStringLiteral(R"({"username":"buyer%1","bidCount":%2,"highestBid":"5","avatarURL":null,)"
                           R"("lastSeenAt":1000})")
                .arg(i * kBuyers * 2 / kBidders)
                .arg(kBidders - i));
    tracker.processBidderJSON(
        QStringLiteral(R"({"count":%1,"bidders":[%2]})").arg(kBidders).arg(items.join(',')));

    LiveSidePanel panel(app);
    panel.setSelectedTab(static_cast<LiveTab>(state.range(0)));
    panel.resize(350, 600);
    panel.show();
    QApplication::processEvents();

    int number = kWins;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        win(poller, ++number);
        if (painted)
            QApplication::processEvents();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
    state.counters["wins"] = double(poller.capturedAuctions().size());
}

void BM_NewWinThroughTheSidePanel(benchmark::State &state)
{
    newWins(state, false);
}

void BM_NewWinPainted(benchmark::State &state)
{
    newWins(state, true);
}

// Arguments: the selected tab (0 Sold, 1 Buyers, 2 Bidders).
void configure(benchmark::internal::Benchmark *bench)
{
    bench->DenseRange(0, 2)
        ->UseManualTime()
        ->Iterations(100)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_NewWinThroughTheSidePanel)->Apply(configure);
BENCHMARK(BM_NewWinPainted)->Apply(configure);

} // namespace
