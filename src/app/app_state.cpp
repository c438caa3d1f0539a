#include "app/app_state.h"

#include "app/live_show_session.h"
#include "app/single_instance_guard.h"
#include "backend/auth_manager.h"
#include "backend/show_history_store.h"
#include "backend/show_sync_service.h"
#include "capture/auction_poller.h"
#include "capture/bidder_tracker.h"
#include "capture/sold_scraper.h"
#include "capture/whatnot_session.h"
#include "common/next_signal.h"
#include "common/settings.h"
#include "common/user_scoped.h"
#include "designer/template_store.h"
#include "printing/auto_print_manager.h"
#include "printing/custom_media_store.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"

#include <QCoroSignal>
#include <QLoggingCategory>

namespace quill {

Q_LOGGING_CATEGORY(lcAppState, "app.quillmark.Quillmark.AppState")

bool isAdmin(const AuthState &state)
{
    return state.isSignedIn() && isStaffEmail(state.user()->email);
}

AppState::AppState(AppSetup setup, QObject *parent)
    : QObject(parent), m_apiBaseURL(setup.apiBaseURL),
      m_settings(setup.settings ? setup.settings : &Settings::shared()), m_instanceGuard(setup.instanceGuard)
{
    buildServices(setup);
}

AppState::~AppState()
{
    // Screen controllers kept with the state go before the services they drive.
    qDeleteAll(findChildren<QObject *>(Qt::FindDirectChildrenOnly));
}

LiveShowSession &AppState::liveShow()
{
    if (!m_liveShow)
        m_liveShow = std::make_unique<LiveShowSession>(
            LiveShowServices{*m_whatnotSession, *m_auctionPoller, *m_bidderTracker, *m_soldScraper,
                             *m_autoPrintManager, *m_printService, *m_printAdapter, *m_showSyncService,
                             *m_showHistoryStore, settings()},
            *m_sleeper, *m_clock, m_liveShowSetup);
    return *m_liveShow;
}

// The one place the services are constructed, in the order the rest of the
// application relies on.
void AppState::buildServices(AppSetup &setup)
{
    Sleeper &sleeper = setup.sleeper ? *setup.sleeper : TimerSleeper::instance();
    Clock &clock = setup.clock ? *setup.clock : SystemClock::instance();
    m_sleeper = &sleeper;
    m_clock = &clock;
    m_liveShowSetup = setup.liveShow;
    Settings &settings = *m_settings;
    m_customMedia = std::make_unique<CustomMediaStore>(settings);
    m_calibration = std::make_unique<PrinterCalibrationStore>(settings);
    // Never destroyed: a print may still read the appearance while the program shuts down.
    m_appearance = &LabelAppearanceStore::shared();

    AuthSeams authSeams;
    authSeams.keychain = std::move(setup.keychain);
    authSeams.appleProvider = std::move(setup.appleProvider);
    authSeams.openUrl = std::move(setup.openUrl);
    authSeams.sleeper = &sleeper;
    authSeams.settings = &settings;
    m_authManager = std::make_unique<AuthManager>(setup.apiBaseURL, std::move(authSeams));

    PrintKitAdapterSetup adapterSetup;
    if (setup.processRunner)
        adapterSetup.runner = setup.processRunner;
    adapterSetup.tools = setup.cupsTools;
    adapterSetup.sleeper = &sleeper;
    adapterSetup.catalog = setup.printerCatalog;
    adapterSetup.calibration = m_calibration.get();
    m_printAdapter = std::make_unique<PrintKitAdapter>(std::move(adapterSetup));
    m_printService = std::make_unique<PrintService>(*m_printAdapter, *m_appearance);

    WhatnotSessionOptions sessionOptions;
    sessionOptions.homeURL = setup.marketplaceHomeURL;
    sessionOptions.livePrefix = setup.marketplaceLivePrefix;
    sessionOptions.settings = &settings;
    sessionOptions.sleeper = &sleeper;
    sessionOptions.clock = &clock;
    if (setup.makeMarketplacePage)
        sessionOptions.page = setup.makeMarketplacePage();
    m_whatnotSession = std::make_unique<WhatnotSession>(std::move(sessionOptions));
    m_templateStore = std::make_unique<TemplateStore>(QString(), clock);

    AutoPrintManagerSetup autoPrintSetup;
    autoPrintSetup.sleeper = &sleeper;
    autoPrintSetup.clock = &clock;
    autoPrintSetup.settings = &settings;
    m_autoPrintManager = std::make_unique<AutoPrintManager>(autoPrintSetup);

    m_showSyncService = std::make_unique<ShowSyncService>(settings, sleeper);
    m_showHistoryStore = std::make_unique<ShowHistoryStore>();
    m_auctionPoller = std::make_unique<AuctionPoller>(sleeper, clock);
    m_bidderTracker = std::make_unique<BidderTracker>(sleeper);
    m_soldScraper = std::make_unique<SoldScraper>(sleeper);
}

void AppState::connectOnce()
{
    if (m_connected)
        return;
    m_connected = true;

    // Made before the first restore, so a callback that arrives while it waits is
    // handled at once.
    if (m_instanceGuard) {
        connect(m_instanceGuard.data(), &SingleInstanceGuard::urlReceived, m_authManager.get(),
                &AuthManager::handleCallbackURL);
        connect(m_instanceGuard.data(), &SingleInstanceGuard::activationRequested, this,
                &AppState::activationRequested);
        // The program's own start was opened with them: they go where a later start's go.
        for (const QUrl &url : m_instanceGuard->takeStartUrls())
            m_authManager->handleCallbackURL(url);
    }
    // Every later sign-in, switch and sign-out, not only the one found at start-up.
    connect(m_authManager.get(), &AuthManager::accountChanged, this,
            [this](const std::optional<QString> &userId) {
                followAccount(userId);
                m_showSyncService->accountChanged(userId);
                reloadShowHistory();
            });
    // A show that starts or ends changes the list of shows.
    connect(m_showSyncService.get(), &ShowSyncService::activeShowIdChanged, this,
            &AppState::refreshShowHistory);
}

QCoro::Task<> AppState::start()
{
    if (m_starting) {
        // Asked again while a start runs (the window shown twice in a row): that one does the work.
        co_await nextSignal(this, &AppState::startFinished);
        co_return;
    }
    m_starting = true;
    connectOnce();

    co_await m_authManager->restoreSession();

    const AuthState &state = m_authManager->state();
    const std::optional<QString> account =
        state.isSignedIn() ? std::optional<QString>(state.user()->id) : std::nullopt;
    followAccount(account);
    // The account the run begins with; later ones come with accountChanged.
    if (m_completedStarts == 0)
        m_showSyncService->accountChanged(account);

    ZavAPIClient *api = &m_authManager->api();
    m_showSyncService->setApi(api);
    m_showHistoryStore->setApi(api);
    m_whatnotSession->setApi(api);

    m_printAdapter->startRefreshTimer();
    reloadShowHistory();
    m_templateStore->loadTemplates();

    m_starting = false;
    ++m_completedStarts;
    qCInfo(lcAppState, "Start-up finished (%d)", m_completedStarts);
    Q_EMIT startFinished();
}

void AppState::followAccount(const std::optional<QString> &userId)
{
    UserScoped::setCurrentUser(userId, settings());
    m_whatnotSession->currentUserChanged();
    m_showHistoryStore->setUserId(userId);
}

void AppState::reloadShowHistory()
{
    // So "Shows" is listed from the first start, not only once its screen was opened.
    m_showHistoryStore->loadCache();
    refreshShowHistory();
}

void AppState::refreshShowHistory()
{
    if (!m_showHistoryStore->userId() || !m_showHistoryStore->api())
        return;
    m_showHistoryStore->refresh();
}

} // namespace quill
