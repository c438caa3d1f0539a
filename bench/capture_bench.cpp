// The capture hot paths of a long show: one win scan over a live page with a
// 5,000-row bid feed and 200 win notices in Qt WebEngine (and over a page that
// grows from 1,000 to 5,000 rows while it is scanned), and the poller's ingest
// of an answer whose 200 auctions it has all seen (what a poll cost when every
// poll answered every notice).
//
// A poll at 20 and at 2,000 notices on the page (1,000 bid rows): BM_WinScanPoll
// is the whole call as the poller makes it (the page's scan of what changed
// since its last answer, and the trip there and back); BM_PollAnswerOnGuiThread
// is the poll's work on the GUI thread once the page answered (reading the
// script host's envelope, decoding the answer, looking its auctions up), for the
// page's answer of what changed (`what_changed`) and, beside it, for an answer
// of every notice (`every_notice`). Each reports the median and the 95th
// percentile of its iterations.
#include "capture/auction_poller.h"
#include "capture/page_scripts.h"
#include "capture/webengine_page_script_host.h"
#include "standin_marketplace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int kBids = 5000;
constexpr int kWins = 200;

// Runs a task to its end on a nested event loop; rethrows its failure.
template <typename T> T finish(QCoro::Task<T> task)
{
    QEventLoop loop;
    std::optional<T> result;
    std::exception_ptr failure;
    bool done = false;
    auto drive = [&](QCoro::Task<T> inner) -> QCoro::Task<> {
        try {
            result.emplace(co_await std::move(inner));
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        loop.quit();
    };
    auto driver = drive(std::move(task));
    if (!done)
        loop.exec();
    if (failure)
        std::rethrow_exception(failure);
    return std::move(*result);
}

bool loadPage(QWebEnginePage &page, const QUrl &url)
{
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, [&](bool finished) {
        ok = finished;
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    page.load(url);
    loop.exec();
    return ok;
}

// A stand-in live page with `bids` bid rows and `wins` notices, loaded in Qt
// WebEngine with a script host on it; nothing arrives while measuring.
class LivePageBench
{
public:
    // Answers why the page could not be opened, or an empty text.
    QString open(int bids, int wins)
    {
        if (m_market.listen() == 0)
            return QStringLiteral("the stand-in marketplace did not start");
        const QString stream = QStringLiteral("bench-show");
        m_market.addSampleActivity(stream, bids, wins);
        m_market.setPagePollInterval(60000);
        if (!loadPage(m_page, m_market.liveUrl(stream)))
            return QStringLiteral("the live page did not load");
        m_host = std::make_unique<quill::WebEnginePageScriptHost>(&m_page);
        m_host->setTimeout(std::chrono::seconds(30));
        return {};
    }

    QJsonValue run(QString script) { return finish(m_host->run(std::move(script))); }

private:
    quill::standin::StandinMarketplace m_market;
    QWebEngineProfile m_profile; // off the record
    QWebEnginePage m_page{&m_profile};
    std::unique_ptr<quill::WebEnginePageScriptHost> m_host;
};

void BM_WinScanLargeLivePage(benchmark::State &state)
{
    LivePageBench bench;
    if (const QString failure = bench.open(kBids, kWins); !failure.isEmpty()) {
        state.SkipWithError(qPrintable(failure));
        return;
    }
    const QJsonValue first = bench.run(quill::PageScripts::winScan());
    const QJsonObject answer = QJsonDocument::fromJson(first.toString().toUtf8()).object();
    if (answer.value(QStringLiteral("count")).toInt() != kWins) {
        state.SkipWithError("the scan did not find every win notice");
        return;
    }
    for (auto _ : state) {
        QJsonValue value = bench.run(quill::PageScripts::winScan());
        benchmark::DoNotOptimize(value);
    }
    state.counters["answer_bytes"] = static_cast<double>(first.toString().size());
}
BENCHMARK(BM_WinScanLargeLivePage)->Unit(benchmark::kMillisecond)->UseRealTime();

// A show's page grows while it is scanned: 1,000 bid rows and the 200 notices at
// the first scan, then bid rows without a win added up to the argument. The
// scan should cost the same at 5,000 rows as at 1,000.
void BM_WinScanGrowingLivePage(benchmark::State &state)
{
    constexpr int kFirstRows = 1000;
    LivePageBench bench;
    if (const QString failure = bench.open(kFirstRows, kWins); !failure.isEmpty()) {
        state.SkipWithError(qPrintable(failure));
        return;
    }
    const QJsonValue first = bench.run(quill::PageScripts::winScan());
    const auto grow = QStringLiteral("for (var i = 0; i < %1; i++) window.__standin.addBid("
                                     "{username: 'late' + (i % 40), message: 'bid $' + (5 + i % 200)});"
                                     "return document.querySelectorAll('.chat-row').length;")
                          .arg(state.range(0) - kFirstRows);
    if (bench.run(grow).toInt() != state.range(0) + kWins) {
        state.SkipWithError("the page did not grow to its size");
        return;
    }
    const auto results = [](const QJsonValue &answer) {
        return QJsonDocument::fromJson(answer.toString().toUtf8()).object().value(QStringLiteral("results"));
    };
    if (results(bench.run(quill::PageScripts::winScan())) != results(first)) {
        state.SkipWithError("the grown page answered other wins");
        return;
    }
    for (auto _ : state) {
        QJsonValue value = bench.run(quill::PageScripts::winScan());
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_WinScanGrowingLivePage)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

QString answerOfWins(int wins)
{
    QJsonArray results;
    for (int i = 1; i <= wins; ++i) {
        results.append(QJsonObject{
            {QStringLiteral("winnerUsername"), QStringLiteral("bidder%1").arg(i % 37)},
            {QStringLiteral("salePrice"), i % 2 ? QStringLiteral("%1.50").arg(i) : QString::number(i * 10)},
            {QStringLiteral("auctionNumber"), i},
            {QStringLiteral("rawTitle"), QStringLiteral("Sealed pack lot %1").arg(i)},
            {QStringLiteral("avatarURL"),
             QStringLiteral("http://127.0.0.1/avatars/bidder%1.png").arg(i % 37)},
        });
    }
    const QJsonObject answer{{QStringLiteral("url"), QStringLiteral("http://127.0.0.1/live/bench-show")},
                             {QStringLiteral("count"), wins},
                             {QStringLiteral("results"), results}};
    return QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact));
}

void BM_IngestSeenAnswer(benchmark::State &state)
{
    quill::AuctionPoller poller;
    const QString answer = answerOfWins(kWins);
    poller.processWinScanJSON(answer);
    if (poller.capturedAuctions().size() != kWins) {
        state.SkipWithError("the first ingest did not capture every auction");
        return;
    }
    for (auto _ : state)
        poller.processWinScanJSON(answer);
    if (poller.capturedAuctions().size() != kWins)
        state.SkipWithError("a seen auction was captured again");
}
BENCHMARK(BM_IngestSeenAnswer)->Unit(benchmark::kMicrosecond);

void reportPercentiles(benchmark::State &state, std::vector<double> &microseconds)
{
    if (microseconds.empty())
        return;
    std::sort(microseconds.begin(), microseconds.end());
    const auto at = [&](double share) {
        return microseconds[std::min(microseconds.size() - 1, size_t(share * double(microseconds.size())))];
    };
    state.counters["median_us"] = at(0.5);
    state.counters["p95_us"] = at(0.95);
}

constexpr int kPollBids = 1000;

QString cursorOf(const QJsonValue &answer)
{
    return QJsonDocument::fromJson(answer.toString().toUtf8()).object().value(QStringLiteral("cursor")).toString();
}

void BM_WinScanPoll(benchmark::State &state)
{
    const int wins = int(state.range(0));
    LivePageBench bench;
    if (const QString failure = bench.open(kPollBids, wins); !failure.isEmpty()) {
        state.SkipWithError(qPrintable(failure));
        return;
    }
    const QJsonValue first = bench.run(quill::PageScripts::winScan());
    if (QJsonDocument::fromJson(first.toString().toUtf8()).object().value(QStringLiteral("count")).toInt() != wins) {
        state.SkipWithError("the scan did not find every win notice");
        return;
    }
    QString cursor = cursorOf(first);
    std::vector<double> times;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const QJsonValue answer = bench.run(quill::PageScripts::winScan(cursor));
        times.push_back(double(timer.nsecsElapsed()) / 1000.0);
        cursor = cursorOf(answer);
    }
    if (cursor.isEmpty())
        state.SkipWithError("the page answered without a cursor");
    reportPercentiles(state, times);
}
BENCHMARK(BM_WinScanPoll)->Arg(20)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The envelope the script host receives around a script's answer.
QVariant envelopeOf(const QString &answer)
{
    const QJsonObject envelope{{QStringLiteral("ok"), true}, {QStringLiteral("value"), answer}};
    return QString::fromUtf8(QJsonDocument(envelope).toJson(QJsonDocument::Compact));
}

void pollAnswerOnGuiThread(benchmark::State &state, bool whatChanged)
{
    const int wins = int(state.range(0));
    LivePageBench bench;
    if (const QString failure = bench.open(kPollBids, wins); !failure.isEmpty()) {
        state.SkipWithError(qPrintable(failure));
        return;
    }
    quill::AuctionPoller poller;
    const QString full = bench.run(quill::PageScripts::winScan()).toString();
    poller.processWinScanJSON(full);
    if (poller.capturedAuctions().size() != wins) {
        state.SkipWithError("the first answer did not capture every win");
        return;
    }
    const QString answer = whatChanged ? bench.run(quill::PageScripts::winScan(cursorOf(full))).toString() : full;
    const QVariant received = envelopeOf(answer);
    std::vector<double> times;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const QJsonValue value = quill::WebEnginePageScriptHost::decodeAnswer(received);
        poller.processWinScanJSON(value.toString());
        times.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    if (poller.capturedAuctions().size() != wins)
        state.SkipWithError("a seen auction was captured again");
    state.counters["answer_bytes"] = double(answer.size());
    reportPercentiles(state, times);
}

void BM_PollAnswerOnGuiThread(benchmark::State &state)
{
    pollAnswerOnGuiThread(state, state.range(1) == 1);
}
BENCHMARK(BM_PollAnswerOnGuiThread)
    ->ArgNames({"notices", "what_changed"})
    ->Args({20, 1})
    ->Args({2000, 1})
    ->Args({20, 0})
    ->Args({2000, 0})
    ->Unit(benchmark::kMicrosecond);

} // namespace
