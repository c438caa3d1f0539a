// The capture hot paths of a long show: one win scan over a live page with a
// 5,000-row bid feed and 200 win notices in Qt WebEngine, and the poller's ingest
// of an answer whose 200 auctions it has all seen (what every later poll costs).
#include "capture/auction_poller.h"
#include "capture/page_scripts.h"
#include "capture/webengine_page_script_host.h"
#include "standin_marketplace.h"

#include <QApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <exception>
#include <optional>

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

void BM_WinScanLargeLivePage(benchmark::State &state)
{
    quill::standin::StandinMarketplace market;
    if (market.listen() == 0) {
        state.SkipWithError("the stand-in marketplace did not start");
        return;
    }
    const QString stream = QStringLiteral("bench-show");
    market.addSampleActivity(stream, kBids, kWins);
    market.setPagePollInterval(60000); // nothing arrives while measuring

    QWebEngineProfile profile; // off the record
    QWebEnginePage page(&profile);
    if (!loadPage(page, market.liveUrl(stream))) {
        state.SkipWithError("the live page did not load");
        return;
    }
    quill::WebEnginePageScriptHost host(&page);
    host.setTimeout(std::chrono::seconds(30));

    const auto scan = [&host]() {
        QString script = quill::PageScripts::winScan();
        return finish(host.run(std::move(script)));
    };
    const QJsonValue first = scan();
    const QJsonObject answer = QJsonDocument::fromJson(first.toString().toUtf8()).object();
    if (answer.value(QStringLiteral("count")).toInt() != kWins) {
        state.SkipWithError("the scan did not find every win notice");
        return;
    }
    for (auto _ : state) {
        QJsonValue value = scan();
        benchmark::DoNotOptimize(value);
    }
    state.counters["answer_bytes"] = static_cast<double>(first.toString().size());
}
BENCHMARK(BM_WinScanLargeLivePage)->Unit(benchmark::kMillisecond)->UseRealTime();

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

} // namespace
