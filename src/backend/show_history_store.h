#pragma once

#include "backend/api_records.h"
#include "backend/zav_api_client.h"
#include "common/cancellation.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

namespace quill {

// The seller's shows as the backend last reported them, mirrored in a cache file
// so the Shows screen has a list at once. The cache belongs to the signed-in
// account: each account has its own file, and a change of account empties the list.
class ShowHistoryStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowHistoryStore)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(QString error READ error NOTIFY errorChanged)

public:
    static constexpr const char *kCacheFileName = "show_history.json";
    static constexpr qint64 kRefreshLimit = 50;

    explicit ShowHistoryStore(QObject *parent = nullptr);
    ~ShowHistoryStore() override;

    ZavAPIClient *api() const { return m_api; }
    void setApi(ZavAPIClient *api);

    // The account whose shows are held; nothing while nobody is signed in (then no
    // cache is read or written). Another account empties the list at once.
    const std::optional<QString> &userId() const { return m_userId; }
    void setUserId(const std::optional<QString> &userId);

    const QList<ShowSummary> &shows() const { return m_shows; }
    // True while any refresh waits for the server.
    bool isLoading() const { return m_isLoading; }
    // Empty text: no error.
    const QString &error() const { return m_error; }

    // Cancelled while it waits, a refresh ends with loading off and changes nothing else:
    // no error, the list and the cache as they were.
    QCoro::Task<> refresh(Cancellation cancellation = {});
    QCoro::Task<std::optional<ShowAuctionsResponse>> fetchShowAuctions(QString showId);
    QCoro::Task<bool> deleteShow(QString id);

    void loadCache();
    void saveCache();
    // The current account's cache file (its folder is created); empty while nobody is signed in.
    QString cacheFilePath() const;

Q_SIGNALS:
    void showsChanged();
    void isLoadingChanged();
    void errorChanged();
    void apiChanged();

private:
    void setShows(QList<ShowSummary> shows);
    void setIsLoading(bool loading);
    void startLoading();
    void finishLoading();
    void setError(const QString &error);

    QList<ShowSummary> m_shows;
    bool m_isLoading = false;
    int m_loads = 0;
    QString m_error;
    QPointer<ZavAPIClient> m_api;
    std::optional<QString> m_userId;
};

} // namespace quill
