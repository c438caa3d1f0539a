// The capture hot paths of a long show: one win scan over a live page with a
// 5,000-row bid feed and 200 win notices in Qt WebEngine (and over a page that
// grows from 1,000 to 5,000 rows while it is scanned), and the poller's ingest
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
#include <memory>
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
    if (bench.run(quill::PageScripts::winScan()) != first) {
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

} // namespace
