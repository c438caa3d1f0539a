#include "ui/app/dashboard_controller.h"

#include "backend/auth_manager.h"
#include "backend/show_sync_service.h"
#include "backend/zav_api_client.h"
#include "ui/app/sidebar_section.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QLocale>
#include <QPointer>

namespace quill {

DashboardController::DashboardController(AuthManager &auth, ShowSyncService &sync, QUrl apiBaseUrl,
                                         SidebarSelection &selection, const Clock &clock, QObject *parent)
    : QObject(parent), m_auth(auth), m_sync(sync), m_apiBaseUrl(std::move(apiBaseUrl)), m_selection(selection),
      m_clock(clock)
{
    connect(&sync, &ShowSyncService::activeShowIdChanged, this, &DashboardController::liveShowActiveChanged);
}

bool DashboardController::isLiveShowActive() const
{
    return !m_sync.activeShowId().isEmpty();
}

QString DashboardController::updatedText() const
{
    if (!m_lastRefreshed)
        return {};
    // The clock answers in UTC; the seller reads the time of their own zone.
    return QStringLiteral("Updated ") +
           QLocale().toString(m_lastRefreshed->toLocalTime().time(), QLocale::ShortFormat);
}

QList<StatCardModel> DashboardController::statCards() const
{
    return m_overview ? statCardsFor(*m_overview) : QList<StatCardModel>{};
}

QList<MovementCardModel> DashboardController::movementCards() const
{
    return m_overview ? movementCardsFor(*m_overview) : QList<MovementCardModel>{};
}

QList<StatCardModel> DashboardController::statCardsFor(const AdminOverview &o)
{
    const auto &subscribers = o.subscribers.stats;
    const auto &shows = o.shows.stats;
    const qint64 printed = shows.labels ? shows.labels->printed : 0;
    return {
        {QStringLiteral("USERS"), QString::number(subscribers.total),
         QString::number(subscribers.pro) + QStringLiteral(" pro / ") + QString::number(subscribers.free) +
             QStringLiteral(" free"),
         systemColor(SystemColor::blue), false},
        {QStringLiteral("MRR"), QStringLiteral("$") + o.revenue.stats.mrr.toMoneyString(), std::nullopt,
         brandGreenColor(), false},
        {QStringLiteral("LIVE SHOWS"), QString::number(shows.liveNow), std::nullopt,
         systemColor(SystemColor::orange), shows.liveNow > 0},
        {QStringLiteral("LABELS PRINTED"), QString::number(printed), std::nullopt,
         systemColor(SystemColor::purple), false},
    };
}

QList<MovementCardModel> DashboardController::movementCardsFor(const AdminOverview &o)
{
    const auto &revenue = o.revenue.stats;
    const qint64 net = revenue.newThisMonth - revenue.churnThisMonth;
    const QColor red = systemColor(SystemColor::red);
    QColor netColor = primaryTextColor();
    if (net >= 1)
        netColor = brandGreenColor();
    else if (net < 0)
        netColor = red;
    return {
        {QStringLiteral("NEW"), QStringLiteral("+") + QString::number(revenue.newThisMonth), brandGreenColor()},
        {QStringLiteral("CHURN"), QStringLiteral("-") + QString::number(revenue.churnThisMonth),
         revenue.churnThisMonth >= 1 ? red : primaryTextColor()},
        {QStringLiteral("NET"), (net >= 1 ? QStringLiteral("+") : QString()) + QString::number(net), netColor},
    };
}

QCoro::Task<> DashboardController::load()
{
    const quint64 loadId = ++m_latestLoad;
    m_loading = true;
    m_apiError.reset();
    Q_EMIT changed();

    QPointer<DashboardController> self(this);
    // A client of this load's own: the shared one's token follows sign-in changes mid-load.
    auto client = std::make_unique<ZavAPIClient>(m_apiBaseUrl);
    KeychainService &keychain = m_auth.keychain();
    const bool signedIn = m_auth.state().isSignedIn();
    std::optional<AdminOverview> result;
    try {
        if (signedIn)
            client->setBearerToken(co_await keychain.load(QString::fromLatin1(AuthManager::kTokenAccount)));
        result = co_await client->fetchAdminOverview();
    } catch (const std::exception &) {
        // Every failure reads the same on this screen; the client has logged its cause.
    }
    if (!self || loadId != m_latestLoad)
        co_return;
    if (result) {
        m_overview = std::move(result);
        m_lastRefreshed = m_clock.now();
    } else {
        m_apiError = QString::fromLatin1(kLoadFailedMessage);
    }
    m_loading = false;
    Q_EMIT changed();
}

void DashboardController::refresh()
{
    load();
}

void DashboardController::openLiveShow()
{
    m_selection.setValue(SidebarSection::liveShow);
}

} // namespace quill
