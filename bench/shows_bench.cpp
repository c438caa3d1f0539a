// Opening the Shows screen: reading a show history cache of 1,000 shows.
#include "backend/api_records.h"
#include "backend/show_history_store.h"
#include "common/paths.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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

} // namespace
