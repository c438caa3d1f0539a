// Automatic printing, end to end on the stand-in live page: how long the program
// itself takes from a win appearing on the page to `lp` being started for its 4×6
// winner label (and, in the done_* counters, to `lp` having finished: CUPS accepted
// the job; in the captured_* counters, to the poller having taken the win in), beyond
// the fixed 0.3 s poll pause and 0.5 s debounce (the debounce returns at once here, and
// a poll pause ends as the wins are put on the page), and how fast a burst of
// 50 wins is worked off (with the longest stall of the GUI thread's event loop meanwhile).
//
// BM_NewWinAfter2000 times the count reaction itself: with 2,000 wins of the show
// captured (and uploaded), one new win hands the whole list to the print queue and to
// the show synchroniser (which queues the pending record; its writer thread syncs it
// before the upload starts). Its counters give the real time and the GUI thread's CPU
// time of each step (p50/p95).
//
// The others run twice: /0 with recorded CUPS tools (the program's own work only) and
// /1 with the real tools against the private scheduler of scripts/bench.sh (the
// queue checks and the queue lookup then cost real lpstat runs).
#include "backend/show_sync_service.h"
#include "backend/zav_api_client.h"
#include "capture/auction_poller.h"
#include "capture/webengine_page_script_host.h"
#include "common/process_runner.h"
#include "common/settings.h"
#include "printing/auto_print_manager.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"
#include "standin_backend.h"
#include "standin_marketplace.h"
#include "app/sold_auction_road.h"
#include "stall_meter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <time.h>

namespace {

using Clock = std::chrono::steady_clock;

const QString kQueue = QStringLiteral("TestLabel");
const QString kStream = QStringLiteral("bench-show");

class ImmediateSleeper final : public quill::Sleeper
{
public:
    QCoro::Task<> sleep(std::chrono::milliseconds) override { co_return; }
};

// The poller's pause between two scans, ended by the next wins put on the page: the
// scan that follows reads them at once, as after a real pause that ends just after a
// win appeared, and no scan runs while the labels print (a real 0.3 s pause costs a
// show next to nothing, where scans back to back would keep the GUI thread busy).
class ShowingSleeper final : public quill::Sleeper
{
    struct Awaiter
    {
        ShowingSleeper &sleeper;
        bool await_ready() const noexcept { return std::exchange(sleeper.m_ended, false); }
        void await_suspend(std::coroutine_handle<> handle) { sleeper.m_held = handle; }
        void await_resume() const noexcept {}
    };

public:
    ~ShowingSleeper() { end(); }
    QCoro::Task<> sleep(std::chrono::milliseconds) override { co_await Awaiter{*this}; }
    // Ends the pause held now, or else the next one (a scan was on its way, and may
    // have reached the page before the wins).
    void end()
    {
        if (std::coroutine_handle<> held = std::exchange(m_held, {}))
            held.resume();
        else
            m_ended = true;
    }

private:
    std::coroutine_handle<> m_held;
    bool m_ended = false;
};

// Notes when each lp starts and ends; runs the real tools or answers like an idle queue.
class LpStopwatch final : public quill::ProcessRunner
{
public:
    explicit LpStopwatch(bool realTools) : m_realTools(realTools) {}

    QCoro::Task<quill::ProcessResult> run(quill::ProcessRequest request) override
    {
        const bool lp = request.program == m_tools.lp;
        if (lp)
            m_lpStarts.push_back(Clock::now());
        quill::ProcessResult result;
        if (m_realTools)
            result = co_await quill::QProcessRunner::instance().run(std::move(request));
        else
            result = recorded(request);
        if (lp)
            m_lpEnds.push_back(Clock::now());
        co_return result;
    }

    const std::vector<Clock::time_point> &lpStarts() const { return m_lpStarts; }
    const std::vector<Clock::time_point> &lpEnds() const { return m_lpEnds; }

private:
    quill::ProcessResult recorded(const quill::ProcessRequest &request) const
    {
        quill::ProcessResult result;
        result.outcome = quill::ProcessResult::Outcome::Finished;
        result.exitCode = 0;
        const QStringList &args = request.arguments;
        if (request.program == m_tools.lp)
            result.output = QStringLiteral("request id is TestLabel-1 (1 file(s))");
        else if (args == QStringList{QStringLiteral("-e")})
            result.output = kQueue + QLatin1Char('\n');
        else if (args == QStringList{QStringLiteral("-d")})
            result.output = QStringLiteral("system default destination: ") + kQueue;
        else if (args.size() == 2 && args.at(0) == QLatin1String("-p"))
            result.output =
                QStringLiteral("printer %1 is idle.  enabled since Mon Dec  7 07:46:34 2026\n").arg(kQueue);
        return result;
    }

    bool m_realTools;
    printkit::CUPSTools m_tools;
    std::vector<Clock::time_point> m_lpStarts;
    std::vector<Clock::time_point> m_lpEnds;
};

// Turns the event loop until `done` holds; false after `timeout`.
bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout = std::chrono::seconds(60))
{
    QElapsedTimer timer;
    timer.start();
    QTimer tick;
    tick.start(1);
    while (!done()) {
        if (timer.elapsed() > timeout.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The live page in Qt WebEngine, the poller on it and the print queue behind it,
// wired as the live show screen wires them, printing 4×6 labels to TestLabel.
class Road
{
public:
    explicit Road(bool realTools) : m_stopwatch(realTools)
    {
        m_settings = std::make_unique<quill::Settings>(m_dir.filePath(QStringLiteral("defaults.ini")));
        m_previousSettings = quill::Settings::setShared(m_settings.get());
        for (const char *kind : {"individual", "box"}) {
            const QString prefix = QStringLiteral("label_%1_").arg(QLatin1String(kind));
            m_settings->setString(prefix + QStringLiteral("printer"), kQueue);
            m_settings->setString(prefix + QStringLiteral("paperSize"), QStringLiteral("4x6"));
        }
        m_calibration = std::make_unique<quill::PrinterCalibrationStore>(*m_settings);
        m_appearance = std::make_unique<quill::LabelAppearanceStore>(*m_settings, QString());
        quill::PrintKitAdapterSetup setup;
        setup.runner = &m_stopwatch;
        setup.sleeper = &m_immediate;
        setup.calibration = m_calibration.get();
        m_adapter = std::make_unique<quill::PrintKitAdapter>(std::move(setup));
        m_adapter->cupsTransport().setDebugCopyFolder(QString());
        m_adapter->cupsTransport().setTemporaryFolder(m_dir.path());
        m_service = std::make_unique<quill::PrintService>(*m_adapter, *m_appearance);
        m_manager = std::make_unique<quill::AutoPrintManager>(
            quill::AutoPrintManagerSetup{&m_immediate, &quill::SystemClock::instance(), m_settings.get()});
        m_manager->setIsPrinting(true);

        m_market.setPagePollInterval(600000); // wins are put on the page directly
        m_page = std::make_unique<QWebEnginePage>(&m_profile);
        m_host = std::make_unique<quill::WebEnginePageScriptHost>(m_page.get());
        m_host->setTimeout(std::chrono::seconds(30));
        m_poller = std::make_unique<quill::AuctionPoller>(m_pollPause);
        m_road = std::make_unique<quill::SoldAuctionRoad>(*m_poller, *m_manager, *m_service, nullptr);
        QObject::connect(m_poller.get(), &quill::AuctionPoller::capturedAuctionsChanged, m_poller.get(),
                         [this] {
                             // Marking a win printed changes the list too; only a new win counts.
                             const qsizetype count = m_poller->capturedAuctions().size();
                             if (count > std::exchange(m_captureCount, count))
                                 m_lastCapture = Clock::now();
                         });
    }

    ~Road()
    {
        m_road.reset();
        m_poller->reset();
        m_manager->setIsPrinting(false);
        runUntil([&] { return !m_manager->isProcessing(); }, std::chrono::seconds(30));
        m_poller.reset();
        m_host.reset();
        m_page.reset();
        m_manager.reset();
        quill::Settings::setShared(m_previousSettings);
    }

    bool start()
    {
        if (m_market.listen() == 0)
            return false;
        bool loaded = false;
        bool finished = false;
        QObject context;
        QObject::connect(m_page.get(), &QWebEnginePage::loadFinished, &context, [&](bool ok) {
            loaded = ok;
            finished = true;
        });
        m_page->load(m_market.liveUrl(kStream));
        if (!runUntil([&] { return finished; }) || !loaded)
            return false;
        m_poller->togglePolling(*m_host);
        return true;
    }

    // Puts the wins on the live page in one step.
    void showWins(const QList<QJsonObject> &wins)
    {
        QString script;
        for (const QJsonObject &win : wins)
            script += QStringLiteral("window.__standin.addWin(%1);")
                          .arg(QString::fromUtf8(QJsonDocument(win).toJson(QJsonDocument::Compact)));
        m_page->runJavaScript(script);
        m_pollPause.end(); // the scan now goes to the page after the script that put the wins there
    }

    bool idle() const
    {
        if (m_manager->isProcessing())
            return false;
        const QList<quill::PrintJob> &jobs = m_manager->printJobs();
        return std::none_of(jobs.begin(), jobs.end(), [](const quill::PrintJob &job) {
            return job.status.kind == quill::PrintJob::Status::Kind::queued ||
                   job.status.kind == quill::PrintJob::Status::Kind::printing;
        });
    }
    bool allDone() const
    {
        const QList<quill::PrintJob> &jobs = m_manager->printJobs();
        return std::all_of(jobs.begin(), jobs.end(), [](const quill::PrintJob &job) {
            return job.status.kind == quill::PrintJob::Status::Kind::done;
        });
    }
    const LpStopwatch &stopwatch() const { return m_stopwatch; }
    // When the poller last took in a new win from the page.
    Clock::time_point lastCapture() const { return m_lastCapture; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<quill::Settings> m_settings;
    quill::Settings *m_previousSettings = nullptr;
    ImmediateSleeper m_immediate;
    ShowingSleeper m_pollPause;
    LpStopwatch m_stopwatch;
    std::unique_ptr<quill::PrinterCalibrationStore> m_calibration;
    std::unique_ptr<quill::LabelAppearanceStore> m_appearance;
    std::unique_ptr<quill::PrintKitAdapter> m_adapter;
    std::unique_ptr<quill::PrintService> m_service;
    std::unique_ptr<quill::AutoPrintManager> m_manager;
    quill::standin::StandinMarketplace m_market;
    QWebEngineProfile m_profile; // off the record
    std::unique_ptr<QWebEnginePage> m_page;
    std::unique_ptr<quill::WebEnginePageScriptHost> m_host;
    std::unique_ptr<quill::AuctionPoller> m_poller;
    std::unique_ptr<quill::SoldAuctionRoad> m_road;
    Clock::time_point m_lastCapture;
    qsizetype m_captureCount = 0;
};

QJsonObject win(const QString &user, int number)
{
    return QJsonObject{{QStringLiteral("username"), user},
                       {QStringLiteral("title"), QStringLiteral("Sealed pack lot")},
                       {QStringLiteral("auctionNumber"), number},
                       {QStringLiteral("price"), QStringLiteral("%1.50").arg(number)}};
}

bool toolsAvailable(benchmark::State &state)
{
    if (state.range(0) == 1 && qEnvironmentVariableIsEmpty("CUPS_SERVER")) {
        state.SkipWithError("CUPS_SERVER is not set: run scripts/bench.sh");
        return false;
    }
    return true;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values.at(std::min(index, values.size() - 1));
}

void BM_WinToLpStart4x6(benchmark::State &state)
{
    if (!toolsAvailable(state))
        return;
    Road road(state.range(0) == 1);
    if (!road.start()) {
        state.SkipWithError("the live page did not load");
        return;
    }
    std::vector<double> latencies;
    std::vector<double> captureLatencies;
    std::vector<double> doneLatencies;
    int number = 0;
    for (auto _ : state) {
        ++number;
        const size_t before = road.stopwatch().lpStarts().size();
        // A returning buyer: one winner label per win (the box label came with the first).
        const QList<QJsonObject> wins{win(QStringLiteral("regular"), number)};
        const Clock::time_point shown = Clock::now();
        road.showWins(wins);
        if (!runUntil([&] { return road.stopwatch().lpStarts().size() > before; })) {
            state.SkipWithError("no label was submitted");
            return;
        }
        const std::chrono::duration<double> latency = road.stopwatch().lpStarts().at(before) - shown;
        state.SetIterationTime(latency.count());
        latencies.push_back(latency.count() * 1000.0);
        const std::chrono::duration<double, std::milli> captured = road.lastCapture() - shown;
        captureLatencies.push_back(captured.count());
        if (!runUntil([&] { return road.idle() && road.stopwatch().lpEnds().size() > before; })) {
            state.SkipWithError("the queue did not finish");
            return;
        }
        const std::chrono::duration<double> done = road.stopwatch().lpEnds().at(before) - shown;
        doneLatencies.push_back(done.count() * 1000.0);
    }
    if (!road.allDone())
        state.SkipWithError("a label did not print");
    state.counters["p50_ms"] = percentile(latencies, 0.50);
    state.counters["p95_ms"] = percentile(latencies, 0.95);
    state.counters["max_ms"] = percentile(latencies, 1.0);
    state.counters["captured_p50_ms"] = percentile(captureLatencies, 0.50);
    state.counters["captured_p95_ms"] = percentile(captureLatencies, 0.95);
    state.counters["done_p50_ms"] = percentile(doneLatencies, 0.50);
    state.counters["done_p95_ms"] = percentile(doneLatencies, 0.95);
}
BENCHMARK(BM_WinToLpStart4x6)->Arg(0)->Arg(1)->Iterations(60)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BurstOf50Wins4x6(benchmark::State &state)
{
    if (!toolsAvailable(state))
        return;
    Road road(state.range(0) == 1);
    if (!road.start()) {
        state.SkipWithError("the live page did not load");
        return;
    }
    constexpr int kWins = 50;
    constexpr int kBuyers = 10;
    int burst = 0;
    double seconds = 0;
    StallMeter stalls;
    for (auto _ : state) {
        ++burst;
        QList<QJsonObject> wins;
        for (int i = 0; i < kWins; ++i)
            wins.append(win(QStringLiteral("b%1-buyer%2").arg(burst).arg(i % kBuyers), burst * 1000 + i));
        const size_t before = road.stopwatch().lpStarts().size();
        const Clock::time_point shown = Clock::now();
        stalls.start();
        road.showWins(wins);
        if (!runUntil(
                [&] { return road.stopwatch().lpStarts().size() >= before + kWins + kBuyers && road.idle(); },
                std::chrono::seconds(120))) {
            state.SkipWithError("the burst was not worked off");
            return;
        }
        stalls.stop();
        const std::chrono::duration<double> elapsed = Clock::now() - shown;
        state.SetIterationTime(elapsed.count());
        seconds += elapsed.count();
    }
    if (!road.allDone())
        state.SkipWithError("a label did not print");
    const double bursts = static_cast<double>(state.iterations());
    state.counters["wins_per_s"] = kWins * bursts / seconds;
    state.counters["labels_per_s"] = (kWins + kBuyers) * bursts / seconds;
    state.counters["longestStallMs"] = stalls.longestMs();
}
BENCHMARK(BM_BurstOf50Wins4x6)->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

QCoro::Task<> startShow(quill::ShowSyncService &sync, bool &started)
{
    co_await sync.startShow(QStringLiteral("Bench show"), QStringLiteral("both"));
    started = true;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// The count reaction with a long show behind it: 2,000 wins captured, each already
// queued and uploaded; one more win goes through the road (queue and upload queueing
// of the whole list). Printing is paused, so only the reaction's own work is timed.
void BM_NewWinAfter2000(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray previousHome = qgetenv("HOME");
    qputenv("HOME", dir.path().toUtf8());
    quill::Settings settings(dir.filePath(QStringLiteral("defaults.ini")));
    quill::Settings *previousSettings = quill::Settings::setShared(&settings);
    ImmediateSleeper immediate;
    quill::standin::StandinBackend backend;
    if (backend.listen() == 0) {
        state.SkipWithError("the stand-in backend did not start");
        return;
    }
    quill::ZavAPIClient api(backend.baseUrl());
    api.setBearerToken(backend.addUser(QStringLiteral("bench-seller"), QStringLiteral("bench@example.com")));
    quill::ShowSyncService sync(settings, immediate);
    sync.setApi(&api);
    sync.setActiveStreamId(kStream);
    bool started = false;
    auto start = startShow(sync, started);
    if (!runUntil([&] { return started; }) || sync.activeShowId().isEmpty()) {
        state.SkipWithError("the show did not start");
        return;
    }

    quill::PrintKitAdapter adapter;
    quill::LabelAppearanceStore appearance(settings, QString());
    quill::PrintService service(adapter, appearance);
    quill::AutoPrintManager manager(
        quill::AutoPrintManagerSetup{&immediate, &quill::SystemClock::instance(), &settings});
    manager.setIsPrinting(false);
    quill::AuctionPoller poller(immediate);
    quill::SoldAuctionRoad road(poller, manager, service, &sync);

    constexpr int kEarlier = 2000;
    QStringList uploaded;
    for (int i = 0; i < kEarlier; ++i) {
        poller.ingest(quill::RawAuction{QStringLiteral("buyer%1").arg(i % 300),
                                        QStringLiteral("%1.50").arg(i), i, QStringLiteral("Lot %1").arg(i),
                                        std::nullopt});
        uploaded.append(poller.capturedAuctions().first().id);
    }
    sync.addSyncedAuctionKeys(uploaded); // as if the backend held them already
    road.handOver();
    if (poller.capturedAuctions().size() != kEarlier || manager.seenAuctionIds().size() != kEarlier) {
        state.SkipWithError("the earlier wins were not taken in");
        return;
    }

    std::vector<double> latencies;
    std::vector<double> cpuTimes; // the GUI thread's own CPU time of each step
    int number = kEarlier;
    for (auto _ : state) {
        ++number;
        const double cpuBegin = threadCpuMs();
        const Clock::time_point begin = Clock::now();
        poller.ingest(quill::RawAuction{QStringLiteral("late-buyer"), QStringLiteral("%1.50").arg(number),
                                        number, std::nullopt, std::nullopt});
        road.handOver();
        const std::chrono::duration<double> elapsed = Clock::now() - begin;
        cpuTimes.push_back(threadCpuMs() - cpuBegin);
        state.SetIterationTime(elapsed.count());
        latencies.push_back(elapsed.count() * 1000.0);
        state.PauseTiming();
        runUntil([&] { return sync.pendingUploadCount() == 0 && !sync.isUploading(); },
                 std::chrono::seconds(30));
        state.ResumeTiming();
    }
    if (manager.seenAuctionIds().size() != qsizetype(kEarlier + latencies.size()))
        state.SkipWithError("a new win was not queued");
    if (backend.auctions(sync.activeShowId()).size() != qsizetype(latencies.size()))
        state.SkipWithError("a new win was not uploaded exactly once");
    state.counters["p50_ms"] = percentile(latencies, 0.50);
    state.counters["p95_ms"] = percentile(latencies, 0.95);
    state.counters["cpu_p50_ms"] = percentile(cpuTimes, 0.50);
    state.counters["cpu_p95_ms"] = percentile(cpuTimes, 0.95);
    quill::Settings::setShared(previousSettings);
    qputenv("HOME", previousHome);
}
BENCHMARK(BM_NewWinAfter2000)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
