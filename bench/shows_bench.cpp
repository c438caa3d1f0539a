// Opening the Shows screen: reading a show history cache of 1,000 shows.
//
// BM_DrainPendingUploads: the backlog a backend outage leaves, 1,000 and 2,000
// auctions in the pending file, read at start-up and uploaded to the stand-in backend
// over loopback HTTP until none is left. Linear means 2,000 take at most 2.5 times
// as long as 1,000; every auction must end up stored once.
//
// Single-core: everything runs on the GUI thread (the stand-in answers on the same
// event loop), so scripts/bench.sh pins this program to one CPU.
#include "backend/api_records.h"
#include "backend/show_history_store.h"
#include "backend/show_sync_service.h"
#include "backend/zav_api_client.h"
#include "common/clock.h"
#include "common/paths.h"
#include "common/settings.h"
#include "standin_backend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>

namespace {

QList<quill::ShowSummary> manyShows(int count)
{
    QList<quill::ShowSummary> shows;
    for (int i = 0; i < count; ++i) {
        quill::ShowSummary show;
        show.id = QStringLiteral("show-%1").arg(i);
        show.userId = QStringLiteral("seller-1");
        show.title = QStringLiteral("Friday night cards #%1").arg(i);
        show.channelId = QStringLiteral("whatnot");
        show.status = i == 0 ? QStringLiteral("live") : QStringLiteral("completed");
        show.labelMode = QStringLiteral("grouped");
        show.startedAt = QStringLiteral("2026-01-02T18:00:00Z");
        if (i != 0)
            show.endedAt = QStringLiteral("2026-01-02T21:00:00Z");
        show.createdAt = QStringLiteral("2026-01-02T17:55:00Z");
        show.updatedAt = QStringLiteral("2026-01-02T21:00:05Z");
        show.itemCount = 120 + i % 50;
        show.auctionCount = 118 + i % 50;
        shows.append(show);
    }
    return shows;
}

void BM_LoadShowHistoryCache1000(benchmark::State &state)
{
    QTemporaryDir home;
    const QByteArray previousHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    QStandardPaths::setTestModeEnabled(true);

    quill::ShowHistoryStore store;
    store.setUserId(QStringLiteral("seller-1"));
    quill::paths::writeFileAtomically(store.cacheFilePath(), quill::encodeShowSummaries(manyShows(1000)));

    for (auto _ : state) {
        store.loadCache();
        benchmark::DoNotOptimize(store.shows().size());
    }
    if (store.shows().size() != 1000)
        state.SkipWithError("the cache did not load");
    qputenv("HOME", previousHome);
}
BENCHMARK(BM_LoadShowHistoryCache1000)->Unit(benchmark::kMillisecond);

class ImmediateSleeper final : public quill::Sleeper
{
public:
    QCoro::Task<> sleep(std::chrono::milliseconds) override { co_return; }
};

bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeout.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// The pending file as the show synchroniser writes it: one entry per auction of `showId`.
QByteArray pendingFile(const QString &showId, int count)
{
    QJsonArray uploads;
    for (int i = 0; i < count; ++i)
        uploads.append(
            QJsonObject{{QStringLiteral("showId"), showId},
                        {QStringLiteral("id"), QStringLiteral("cap-%1").arg(i)},
                        {QStringLiteral("winnerUsername"), QStringLiteral("buyer%1").arg(i % 300)},
                        {QStringLiteral("salePrice"), QStringLiteral("%1.50").arg(i)},
                        {QStringLiteral("auctionNumber"), i},
                        {QStringLiteral("rawTitle"), QStringLiteral("Sealed pack lot %1").arg(i)}});
    return QJsonDocument(QJsonObject{{QStringLiteral("uploads"), uploads}}).toJson(QJsonDocument::Compact);
}

void BM_DrainPendingUploads(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    const QByteArray previousHome = qgetenv("HOME");
    QStandardPaths::setTestModeEnabled(true);
    ImmediateSleeper immediate;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8());
        quill::Settings settings(home.filePath(QStringLiteral("defaults.ini")));
        quill::standin::StandinBackend backend;
        if (backend.listen() == 0) {
            state.SkipWithError("the stand-in backend did not start");
            break;
        }
        quill::ZavAPIClient api(backend.baseUrl());
        api.setBearerToken(
            backend.addUser(QStringLiteral("bench-seller"), QStringLiteral("bench@example.com")));
        quill::standin::StandinShow show;
        show.userId = QStringLiteral("bench-seller");
        show.title = QStringLiteral("Bench show");
        show.status = QStringLiteral("live");
        const QString showId = backend.addShow(show);
        quill::paths::writeFileAtomically(
            quill::paths::dataFile(QString::fromLatin1(quill::ShowSyncService::kPendingFileName)),
            pendingFile(showId, count));
        quill::ShowSyncService sync(settings, immediate);
        sync.setApi(&api);
        state.ResumeTiming();

        auto resumed = sync.resumeActiveShow();
        const bool drained = runUntil([&] { return sync.pendingUploadCount() == 0 && !sync.isUploading(); },
                                      std::chrono::minutes(5));

        state.PauseTiming();
        if (!drained) {
            state.SkipWithError("the backlog was not drained");
            break;
        }
        if (backend.auctions(showId).size() != count) {
            state.SkipWithError("an auction was not stored exactly once");
            break;
        }
        state.ResumeTiming();
    }
    qputenv("HOME", previousHome);
}
BENCHMARK(BM_DrainPendingUploads)
    ->Arg(1000)
    ->Arg(2000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
