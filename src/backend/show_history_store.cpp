#include "backend/show_history_store.h"

#include "backend/zav_api_client.h"
#include "common/logging.h"
#include "common/paths.h"

#include <QDir>
#include <QFile>
#include <QUrl>

namespace quill {

ShowHistoryStore::ShowHistoryStore(QObject *parent) : QObject(parent) {}

ShowHistoryStore::~ShowHistoryStore() = default;

void ShowHistoryStore::setApi(ZavAPIClient *api)
{
    if (m_api == api)
        return;
    m_api = api;
    Q_EMIT apiChanged();
}

void ShowHistoryStore::setUserId(const std::optional<QString> &userId)
{
    if (m_userId == userId)
        return;
    m_userId = userId;
    // One seller never sees another's shows, not even for a moment.
    setShows({});
}

void ShowHistoryStore::setShows(QList<ShowSummary> shows)
{
    m_shows = std::move(shows);
    Q_EMIT showsChanged();
}

void ShowHistoryStore::setIsLoading(bool loading)
{
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    Q_EMIT isLoadingChanged();
}

void ShowHistoryStore::setError(const QString &error)
{
    if (m_error == error)
        return;
    m_error = error;
    Q_EMIT errorChanged();
}

// Loading stays on until the last of overlapping refreshes has its answer.
void ShowHistoryStore::startLoading()
{
    ++m_loads;
    setIsLoading(true);
}

void ShowHistoryStore::finishLoading()
{
    --m_loads;
    setIsLoading(m_loads > 0);
}

QString ShowHistoryStore::cacheFilePath() const
{
    if (!m_userId)
        return {};
    // Each account gets a folder named by its id, encoded so no id can leave the data folder.
    const QString folder = paths::dataFolder() + QStringLiteral("/users/") +
                           QString::fromLatin1(QUrl::toPercentEncoding(*m_userId).replace('.', "%2E"));
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + QString::fromLatin1(kCacheFileName);
}

QCoro::Task<> ShowHistoryStore::refresh(Cancellation cancellation)
{
    QPointer<ZavAPIClient> api = m_api;
    if (!api || cancellation.isCancelled())
        co_return;
    QPointer<ShowHistoryStore> self(this);
    const std::optional<QString> user = m_userId;
    startLoading();
    setError(QString());
    std::optional<ShowListResponse> answer;
    QString failure;
    try {
        std::optional<QString> status;
        answer = co_await api->fetchShows(std::move(status), kRefreshLimit);
    } catch (const Error &e) {
        failure = e.message();
    }
    if (!self)
        co_return;
    if (cancellation.isCancelled()) {
        qCInfo(lcShowHistory, "Show list refresh cancelled");
        finishLoading();
        co_return;
    }
    if (m_userId != user) {
        // The account changed while the list was on its way; it is not this account's list.
        qCWarning(lcShowHistory, "Dropped a show list fetched for another account");
        finishLoading();
        co_return;
    }
    if (answer) {
        setShows(answer->shows);
        saveCache();
        qCInfo(lcShowHistory, "Fetched %lld shows", qlonglong(m_shows.size()));
    } else {
        setError(QStringLiteral("Failed to load shows: ") + failure);
        qCCritical(lcShowHistory, "fetchShows failed: %s", qUtf8Printable(failure));
    }
    finishLoading();
}

QCoro::Task<std::optional<ShowAuctionsResponse>> ShowHistoryStore::fetchShowAuctions(QString showId)
{
    QPointer<ZavAPIClient> api = m_api;
    if (!api)
        co_return std::nullopt;
    try {
        ShowAuctionsResponse response = co_await api->fetchShowAuctions(std::move(showId));
        co_return response;
    } catch (const Error &e) {
        qCCritical(lcShowHistory, "fetchShowAuctions failed: %s", e.what());
    }
    co_return std::nullopt;
}

QCoro::Task<bool> ShowHistoryStore::deleteShow(QString id)
{
    QPointer<ZavAPIClient> api = m_api;
    if (!api)
        co_return false;
    QPointer<ShowHistoryStore> self(this);
    QString failure;
    bool deleted = false;
    try {
        QString target = id;
        co_await api->deleteShow(std::move(target), true);
        deleted = true;
    } catch (const Error &e) {
        failure = e.message();
    }
    if (!self)
        co_return deleted;
    if (!deleted) {
        setError(QStringLiteral("Failed to delete show: ") + failure);
        qCCritical(lcShowHistory, "deleteShow failed: %s", qUtf8Printable(failure));
        co_return false;
    }
    QList<ShowSummary> remaining = m_shows;
    if (remaining.removeIf([&](const ShowSummary &show) { return show.id == id; }) > 0)
        setShows(std::move(remaining));
    saveCache();
    qCInfo(lcShowHistory, "Deleted show: %s", qUtf8Printable(id));
    co_return true;
}

void ShowHistoryStore::loadCache()
{
    try {
        const QString path = cacheFilePath();
        if (path.isEmpty() || !QFile::exists(path))
            return;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        QList<ShowSummary> shows = decodeShowSummaries(file.readAll());
        const auto count = shows.size();
        setShows(std::move(shows));
        qCInfo(lcShowHistory, "Loaded %lld shows from cache", qlonglong(count));
    } catch (const Error &e) {
        // Left in place: the next successful refresh or delete overwrites it.
        qCCritical(lcShowHistory, "Cache load failed: %s", e.what());
    }
}

void ShowHistoryStore::saveCache()
{
    try {
        const QString path = cacheFilePath();
        if (path.isEmpty())
            return;
        paths::writeFileAtomically(path, encodeShowSummaries(m_shows));
    } catch (const Error &e) {
        qCCritical(lcShowHistory, "Cache save failed: %s", e.what());
    }
}

} // namespace quill
