#pragma once

#include "backend/api_records.h"
#include "common/clock.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <QCoroTask>
#include <optional>

namespace quill {

class AuthManager;
class ShowSyncService;
class SidebarSelection;

struct StatCardModel
{
    QString label;
    QString value;
    std::optional<QString> detail;
    QColor accent;
    bool pulse = false;
};

struct MovementCardModel
{
    QString label;
    QString value;
    QColor color;
};

// The staff dashboard's state: the last overview loaded, the load in flight, when
// the last load succeeded and the error of the last failed one. Each load asks the
// backend through a client of its own, with the stored session token. A load that
// ends after a newer one started is dropped, so an old answer never covers a newer one.
class DashboardController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DashboardController)

public:
    static constexpr const char *kLoadFailedMessage = "Could not load stats";

    DashboardController(AuthManager &auth, ShowSyncService &sync, QUrl apiBaseUrl, SidebarSelection &selection,
                        const Clock &clock = SystemClock::instance(), QObject *parent = nullptr);

    const std::optional<AdminOverview> &overview() const { return m_overview; }
    bool isLoading() const { return m_loading; }
    const std::optional<QDateTime> &lastRefreshed() const { return m_lastRefreshed; }
    const std::optional<QString> &apiError() const { return m_apiError; }
    // A show is live: the shortcut to the live show screen is offered.
    bool isLiveShowActive() const;

    // "Updated " and the time of the last success in the locale's short form; empty before one.
    QString updatedText() const;
    QList<StatCardModel> statCards() const;
    QList<MovementCardModel> movementCards() const;
    static QList<StatCardModel> statCardsFor(const AdminOverview &overview);
    static QList<MovementCardModel> movementCardsFor(const AdminOverview &overview);

    QCoro::Task<> load();
    // The Refresh button: starts a load and returns at once.
    void refresh();
    // The live-show shortcut.
    void openLiveShow();

Q_SIGNALS:
    void changed();
    void liveShowActiveChanged();

private:
    AuthManager &m_auth;
    ShowSyncService &m_sync;
    QUrl m_apiBaseUrl;
    SidebarSelection &m_selection;
    const Clock &m_clock;

    std::optional<AdminOverview> m_overview;
    bool m_loading = false;
    std::optional<QDateTime> m_lastRefreshed;
    std::optional<QString> m_apiError;
    quint64 m_latestLoad = 0;
};

} // namespace quill
