// The Shows screen's work: one show's detail over 2,000 auctions with a search, the
// card opening and scrolling over such a show, the history list's order and row texts
// for 1,000 shows, and a 500-label batch to the private scheduler's TestLabel queue
// (run through scripts/bench.sh, which starts it).
#include "backend/show_history_store.h"
#include "common/settings.h"
#include "printing/label_appearance_store.h"
#include "printing/label_section_state.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"
#include "ui/history/batch_print_run.h"
#include "ui/history/history_texts.h"
#include "ui/history/show_detail_model.h"
#include "ui/history/show_detail_view.h"
#include "ui/history/show_history_controller.h"
#include "ui/history/show_history_view.h"
#include "ui/widgets/style.h"

#include "stall_meter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

using namespace quill;

namespace {

QList<ServerAuction> manyAuctions(int count)
{
    static const QStringList names{"renée", "card_king", "Zulu", "mia.collects", "bo", "crème", "alpha", "ann"};
    QList<ServerAuction> auctions;
    for (int i = 0; i < count; ++i) {
        ServerAuction a;
        a.id = QStringLiteral("a-%1").arg(i);
        a.winnerUsername = names.at(i % names.size()) + QString::number(i % 300);
        a.salePrice = QString::number(1 + i % 97) + QStringLiteral(".50");
        a.auctionNumber = i + 1;
        if (i % 3 != 0)
            a.rawTitle = QStringLiteral("Holographic Café card #%1").arg(i);
        a.createdAt = QDateTime(QDate(2026, 1, 15), QTime(18, 0), Qt::UTC).addSecs(i).toString(Qt::ISODate);
        auctions.append(a);
    }
    return auctions;
}

void BM_DetailModel2000WithSearch(benchmark::State &state)
{
    QTemporaryDir folder;
    Settings settings(folder.filePath(QStringLiteral("settings.ini")));
    PrintKitAdapter adapter;
    ShowHistoryStore store;
    ShowSummary show;
    show.id = QStringLiteral("show-1");
    show.status = QStringLiteral("completed");
    show.startedAt = QStringLiteral("2026-01-15T18:00:00Z");
    show.endedAt = QStringLiteral("2026-01-15T21:05:00Z");
    ShowAuctionsResponse response;
    response.auctions = manyAuctions(2000);
    response.stats.auctionCount = 2000;
    response.stats.revenue = QStringLiteral("98000.00");
    response.stats.uniqueBuyers = 2400;
    LabelAppearanceStore appearance(settings, QString());
    ShowDetailModel model(show, ShowDetailServices{.store = store,
                                                   .printAdapter = adapter,
                                                   .settings = settings,
                                                   .printer = nullptr,
                                                   .isStaff = {},
                                                   .appearance = appearance});
    if (state.range(0) == 0)
        model.setResponse(response);
    bool flip = false;
    for (auto _ : state) {
        // With 1: a fresh answer each time (groups, box numbers, folding once per text).
        if (state.range(0) == 1)
            model.setResponse(response);
        model.setSearchText(flip ? QStringLiteral("CAFE CARD #1") : QStringLiteral("RENEE1"));
        flip = !flip;
        benchmark::DoNotOptimize(model.filteredAuctions().size());
        benchmark::DoNotOptimize(model.filteredBuyerGroups().size());
        benchmark::DoNotOptimize(model.statCards().size());
    }
}
BENCHMARK(BM_DetailModel2000WithSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The Shows screen at the window's default size with the card of a 2,000-auction show.
// The painting is the real one: the window's backing store on the offscreen platform.
struct DetailCardBench
{
    DetailCardBench()
        : settings(folder.filePath(QStringLiteral("settings.ini"))), appearance(settings, QString()),
          view(ShowDetailServices{.store = store,
                                  .printAdapter = adapter,
                                  .settings = settings,
                                  .printer = nullptr,
                                  .isStaff = {},
                                  .appearance = appearance})
    {
        show.id = QStringLiteral("show-1");
        show.title = QStringLiteral("Friday night cards");
        show.status = QStringLiteral("completed");
        show.createdAt = QStringLiteral("2026-01-15T18:00:00Z");
        show.startedAt = show.createdAt;
        show.endedAt = QStringLiteral("2026-01-15T21:05:00Z");
        response.auctions = manyAuctions(2000);
        response.stats.auctionCount = 2000;
        response.stats.revenue = QStringLiteral("98000.00");
        response.stats.uniqueBuyers = 2400;
        view.resize(880, 800);
        view.show();
        settle();
    }

    // Opens the card on `tab` and lets it lay out and paint.
    ShowDetailView &open(DetailTab tab)
    {
        view.openShow(show);
        ShowDetailView &detail = *view.detailView();
        detail.model().setSelectedTab(tab);
        detail.model().setResponse(response);
        settle();
        return detail;
    }

    void close()
    {
        view.closeShow();
        settle();
    }

    // Posted layouts, updates and deletions: what the event loop does before the next
    // frame. A list lays its rows out on one turn and the column takes its height on the next.
    static void settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }

    QTemporaryDir folder;
    Settings settings;
    PrintKitAdapter adapter;
    ShowHistoryStore store;
    ShowSummary show;
    ShowAuctionsResponse response;
    LabelAppearanceStore appearance;
    ShowHistoryView view;
};

// Arg 0: the Buyers tab (the card's first), 1: the Auctions tab.
void BM_DetailCardOpen2000(benchmark::State &state)
{
    applyAppLook(*qApp);
    DetailCardBench bench;
    const DetailTab tab = state.range(0) == 0 ? DetailTab::buyers : DetailTab::auctions;
    for (auto _ : state) {
        benchmark::DoNotOptimize(&bench.open(tab));
        state.PauseTiming();
        bench.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DetailCardOpen2000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One wheel notch down the card's column (three lines) and the paint that follows.
void BM_DetailCardScrollStep2000(benchmark::State &state)
{
    applyAppLook(*qApp);
    DetailCardBench bench;
    ShowDetailView &detail = bench.open(state.range(0) == 0 ? DetailTab::buyers : DetailTab::auctions);
    QScrollBar *bar = detail.scrollArea()->verticalScrollBar();
    const int notch = bar->singleStep() * QApplication::wheelScrollLines();
    if (bar->maximum() < 100 * notch) {
        state.SkipWithError("the card's column is not the whole list");
        return;
    }
    for (auto _ : state) {
        if (bar->value() + notch > bar->maximum()) {
            state.PauseTiming();
            bar->setValue(0);
            DetailCardBench::settle();
            state.ResumeTiming();
        }
        bar->setValue(bar->value() + notch);
        DetailCardBench::settle();
    }
}
BENCHMARK(BM_DetailCardScrollStep2000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_HistoryOrderAndRowTexts1000(benchmark::State &state)
{
    QList<ShowSummary> shows;
    for (int i = 0; i < 1000; ++i) {
        ShowSummary s;
        s.id = QString::number(i);
        s.title = QStringLiteral("Ann is live - Cards - Friday night #%1 - Whatnot: Live").arg(i);
        s.status = i % 50 == 0 ? QStringLiteral("live") : QStringLiteral("completed");
        s.createdAt = QDateTime(QDate(2025, 1, 1), QTime(18, 0), Qt::UTC).addDays(i % 400).toString(Qt::ISODateWithMs);
        s.auctionCount = i;
        shows.append(s);
    }
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    const QTimeZone zone = QTimeZone::utc();
    for (auto _ : state) {
        const QList<ShowSummary> ordered = orderedShows(shows);
        qsizetype length = 0;
        for (const ShowSummary &show : ordered)
            length += showRowTexts(show, locale, zone).date.size();
        benchmark::DoNotOptimize(length);
    }
}
BENCHMARK(BM_HistoryOrderAndRowTexts1000)->Unit(benchmark::kMillisecond);

// 500 winner labels through the batch run and the print service to TestLabel; reports
// labels per second and the longest the event loop went without turning.
void BM_Batch500ToCups(benchmark::State &state, LabelMedia media)
{
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
        state.SkipWithError("CUPS_SERVER is not set: run scripts/bench.sh");
        return;
    }
    QTemporaryDir folder;
    Settings settings(folder.filePath(QStringLiteral("settings.ini")));
    LabelSectionState saved = LabelSectionState::defaults(0);
    saved.selectedMedia = media;
    saved.save(0, settings);
    PrinterCalibrationStore calibration(settings);
    LabelAppearanceStore appearance(settings, QString());
    appearance.setColorMode(LabelColorMode::blackAndWhite);
    PrintKitAdapterSetup setup;
    setup.calibration = &calibration;
    PrintKitAdapter adapter(std::move(setup));
    adapter.cupsTransport().setDebugCopyFolder(QString());
    PrintService service(adapter, appearance);
    const QList<ServerAuction> auctions = manyAuctions(500);
    const QHash<QString, int> boxes = boxNumberMap(auctions);
    StallMeter stalls;
    for (auto _ : state) {
        BatchPrintJobs jobs;
        jobs.printer = QStringLiteral("TestLabel");
        jobs.auctions = auctions;
        jobs.boxNumbers = boxes;
        jobs.showTitle = QStringLiteral("Friday night");
        auto *run = new BatchPrintRun(std::move(jobs), std::make_shared<PrintServiceShowPrinter>(service), settings,
                                      &service);
        QEventLoop loop;
        int failed = 0;
        QObject::connect(run, &BatchPrintRun::finished, &loop, [&] {
            failed = run->failedCount();
            loop.quit();
        });
        stalls.start();
        run->start();
        loop.exec();
        stalls.stop();
        if (failed > 0) {
            state.SkipWithError("labels failed to print");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * 500);
    state.counters["longestStallMs"] = stalls.longestMs();
}
BENCHMARK_CAPTURE(BM_Batch500ToCups, shipping4x6, LabelMedia::shipping4x6())
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Batch500ToCups, small225x125, LabelMedia::rect225x125())
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace
