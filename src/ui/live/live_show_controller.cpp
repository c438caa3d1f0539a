#include "ui/live/live_show_controller.h"

#include "app/app_state.h"
#include "backend/auth_manager.h"
#include "backend/show_history_store.h"
#include "backend/show_sync_service.h"
#include "capture/auction_poller.h"
#include "capture/bidder_tracker.h"
#include "capture/live_page_scripts.h"
#include "capture/sold_scraper.h"
#include "capture/whatnot_session.h"
#include "common/detached_task.h"
#include "printing/auto_print_manager.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "ui/live/sold_auction_road.h"

#include <QCoroSignal>
#include <QLoggingCategory>
#include <QPointer>
#include <algorithm>

Q_LOGGING_CATEGORY(lcLiveShowController, "app.quillmark.Quillmark.LiveShowView")

namespace quill {

namespace {

const char *const kControllerProperty = "quill.liveShowController";

bool hasUnfinishedJobs(const AutoPrintManager &manager)
{
    const QList<PrintJob> &jobs = manager.printJobs();
    return manager.isProcessing() || std::any_of(jobs.begin(), jobs.end(), [](const PrintJob &job) {
               return job.status.kind == PrintJob::Status::Kind::queued ||
                      job.status.kind == PrintJob::Status::Kind::printing;
           });
}

} // namespace

LiveServices LiveServices::of(AppState &appState)
{
    return LiveServices{appState.whatnotSession(),
                        appState.auctionPoller(),
                        appState.bidderTracker(),
                        appState.soldScraper(),
                        appState.autoPrintManager(),
                        appState.printService(),
                        appState.printAdapter(),
                        appState.showSyncService(),
                        appState.showHistoryStore(),
                        &appState.authManager(),
                        &appState};
}

// Values the view reads that are worked out from several services; each is
// announced only when it changes.
struct LiveShowController::Derived
{
    bool isPrinting = false;
    LabelMode labelMode = LabelMode::both;
    bool showPrintLog = false;
    bool isAdmin = false;
    bool canScrapeSold = false;
    bool showQueueBanner = false;
    QString errorText;
    bool isSyncing = false;
    bool isPolling = false;
    int capturedCount = 0;
    bool showEndShowButton = false;
    bool showLeaveStream = false;
};

struct LiveShowController::Impl
{
    Sleeper *sleeper = nullptr;
    Clock *clock = nullptr;
    QLocale locale;
    QList<std::chrono::milliseconds> startRetryDelays;

    Derived derived;
    // Bumped whenever a show is let go: tasks of the earlier show end at their next step.
    quint64 generation = 0;
    // Bumped by each sign-in reaction and by sign-out: only the newest navigation runs.
    quint64 navigationTicket = 0;
    bool screenShown = false;
    bool followingNavigation = false;
    quint64 navigationLoop = 0; // the loop that followingNavigation is about
    bool captureTaskRunning = false;
    bool startRetryRunning = false;
    // The show whose backend auctions were taken into the capture list.
    QString takenUpShowId;
    // Capture stopped because the page shows another stream than the show's.
    bool pausedForForeignStream = false;
    // Printing pauses once the ended show's labels are out.
    bool pauseAfterShow = false;
};

LiveShowController::LiveShowController(LiveServices services, LiveShowControllerSetup setup, QObject *parent)
    : QObject(parent), d(std::make_unique<Impl>()), m_services(services)
{
    d->sleeper = setup.sleeper ? setup.sleeper : &TimerSleeper::instance();
    d->clock = setup.clock ? setup.clock : &SystemClock::instance();
    d->locale = setup.locale;
    d->startRetryDelays = setup.startRetryDelays;
    if (d->startRetryDelays.isEmpty())
        d->startRetryDelays.append(std::chrono::seconds(5));

    m_road = std::make_unique<SoldAuctionRoad>(services.poller, services.autoPrint, services.printService,
                                               &services.showSync);

    WhatnotSession &session = services.session;
    connect(&session, &WhatnotSession::isAuthenticatedChanged, this,
            &LiveShowController::onAuthenticatedChanged);
    connect(&session, &WhatnotSession::currentURLChanged, this, &LiveShowController::onPageAddressChanged);
    connect(&session, &WhatnotSession::errorChanged, this, &LiveShowController::refreshDerived);

    ShowSyncService &sync = services.showSync;
    connect(&sync, &ShowSyncService::activeStreamIdChanged, this, &LiveShowController::refreshScreenState);
    connect(&sync, &ShowSyncService::activeShowIdChanged, this, &LiveShowController::refreshDerived);
    connect(&sync, &ShowSyncService::isSyncingChanged, this, &LiveShowController::refreshDerived);
    connect(&sync, &ShowSyncService::syncErrorChanged, this, &LiveShowController::refreshDerived);

    AuctionPoller &poller = services.poller;
    connect(&poller, &AuctionPoller::capturedAuctionsChanged, this, &LiveShowController::refreshDerived);
    connect(&poller, &AuctionPoller::errorChanged, this, &LiveShowController::refreshDerived);
    connect(&poller, &AuctionPoller::isPollingChanged, this, [this](bool polling) {
        refreshDerived();
        if (!polling && !d->screenShown && !captureActive())
            stopFollowingNavigation();
    });
    connect(&services.tracker, &BidderTracker::errorChanged, this, &LiveShowController::refreshDerived);
    connect(&services.scraper, &SoldScraper::errorChanged, this, &LiveShowController::refreshDerived);
    connect(&services.scraper, &SoldScraper::isScrapingChanged, this, &LiveShowController::refreshDerived);

    AutoPrintManager &autoPrint = services.autoPrint;
    connect(&autoPrint, &AutoPrintManager::isPrintingChanged, this, &LiveShowController::refreshDerived);
    connect(&autoPrint, &AutoPrintManager::labelModeChanged, this, &LiveShowController::refreshDerived);
    connect(&autoPrint, &AutoPrintManager::showPrintLogChanged, this, &LiveShowController::refreshDerived);
    for (auto signal : {&AutoPrintManager::isProcessingChanged, &AutoPrintManager::hasPendingDebounceChanged})
        connect(&autoPrint, signal, this, &LiveShowController::checkPauseAfterShow);
    connect(&autoPrint, &AutoPrintManager::isPrintingChanged, this, &LiveShowController::checkPauseAfterShow);
    connect(&autoPrint, &AutoPrintManager::printJobsChanged, this, &LiveShowController::checkPauseAfterShow);
    connect(&services.printAdapter, &PrintKitAdapter::printersChanged, this,
            &LiveShowController::refreshDerived);
    if (services.auth)
        connect(services.auth, &AuthManager::stateChanged, this, &LiveShowController::refreshDerived);

    m_screenState = computeScreenState();
    d->derived = computeDerived();
}

LiveShowController::~LiveShowController()
{
    // Tasks still waiting find the controller gone through their QPointer.
}

LiveShowController &LiveShowController::of(AppState &appState)
{
    if (auto *existing =
            qobject_cast<LiveShowController *>(appState.property(kControllerProperty).value<QObject *>()))
        return *existing;
    // A child of the state: AppState removes its children before its services go.
    auto *controller = new LiveShowController(LiveServices::of(appState), {}, &appState);
    appState.setProperty(kControllerProperty, QVariant::fromValue<QObject *>(controller));
    return *controller;
}

// --- derived values ---------------------------------------------------------------

LiveShowController::ScreenState LiveShowController::computeScreenState() const
{
    if (!m_services.session.isAuthenticated())
        return ScreenState::signedOut;
    if (m_services.showSync.activeStreamId().isEmpty())
        return ScreenState::connect;
    return ScreenState::live;
}

void LiveShowController::refreshScreenState()
{
    const ScreenState state = computeScreenState();
    if (state != m_screenState) {
        m_screenState = state;
        Q_EMIT screenStateChanged(state);
    }
    refreshDerived();
}

LiveShowController::Derived LiveShowController::computeDerived() const
{
    Derived v;
    const AutoPrintManager &autoPrint = m_services.autoPrint;
    v.isPrinting = autoPrint.isPrinting();
    v.labelMode = autoPrint.labelMode();
    v.showPrintLog = autoPrint.showPrintLog();
    v.isAdmin = m_services.auth && quill::isAdmin(m_services.auth->state());
    v.canScrapeSold = !m_services.scraper.isScraping() && m_services.session.isAuthenticated();
    const QList<PrinterInfo> &printers = m_services.printAdapter.printers();
    v.showQueueBanner = std::any_of(printers.begin(), printers.end(), [](const PrinterInfo &printer) {
        return printer.queueState == printkit::CUPSQueueState::stopped;
    });
    // The first error that is set, in the header's order.
    const std::optional<QString> errors[] = {
        m_services.session.error(),
        m_services.scraper.error(),
        m_services.poller.error(),
        m_services.tracker.error(),
        m_services.showSync.syncError().isEmpty() ? std::nullopt
                                                  : std::optional<QString>(m_services.showSync.syncError()),
    };
    for (const std::optional<QString> &error : errors) {
        if (error) {
            v.errorText = *error;
            break;
        }
    }
    v.isSyncing = m_services.showSync.isSyncing();
    v.isPolling = m_services.poller.isPolling();
    v.capturedCount = int(m_services.poller.capturedAuctions().size());
    const bool hasShow = !m_services.showSync.activeShowId().isEmpty();
    v.showEndShowButton = hasShow;
    v.showLeaveStream = !hasShow && m_screenState == ScreenState::live;
    return v;
}

void LiveShowController::refreshDerived()
{
    const Derived now = computeDerived();
    Derived before = std::exchange(d->derived, now);
    if (now.isPrinting != before.isPrinting)
        Q_EMIT isPrintingChanged(now.isPrinting);
    if (now.labelMode != before.labelMode)
        Q_EMIT labelModeChanged(now.labelMode);
    if (now.showPrintLog != before.showPrintLog)
        Q_EMIT showPrintLogChanged(now.showPrintLog);
    if (now.isAdmin != before.isAdmin)
        Q_EMIT isAdminChanged(now.isAdmin);
    if (now.canScrapeSold != before.canScrapeSold)
        Q_EMIT canScrapeSoldChanged(now.canScrapeSold);
    if (now.showQueueBanner != before.showQueueBanner)
        Q_EMIT showQueueBannerChanged(now.showQueueBanner);
    if (now.errorText != before.errorText)
        Q_EMIT errorTextChanged(now.errorText);
    if (now.isSyncing != before.isSyncing)
        Q_EMIT isSyncingChanged(now.isSyncing);
    if (now.isPolling != before.isPolling)
        Q_EMIT isPollingChanged(now.isPolling);
    if (now.capturedCount != before.capturedCount)
        Q_EMIT capturedCountChanged(now.capturedCount);
    if (now.showEndShowButton != before.showEndShowButton)
        Q_EMIT showEndShowButtonChanged(now.showEndShowButton);
    if (now.showLeaveStream != before.showLeaveStream)
        Q_EMIT showLeaveStreamChanged(now.showLeaveStream);
}

bool LiveShowController::isPrinting() const
{
    return d->derived.isPrinting;
}
QString LiveShowController::printingButtonText() const
{
    return isPrinting() ? QStringLiteral("Pause Printing") : QStringLiteral("Start Printing");
}
LabelMode LiveShowController::labelMode() const
{
    return d->derived.labelMode;
}
bool LiveShowController::showPrintLog() const
{
    return d->derived.showPrintLog;
}
QString LiveShowController::printLogToolTip() const
{
    return showPrintLog() ? QStringLiteral("Hide Print Log") : QStringLiteral("Show Print Log");
}
bool LiveShowController::isAdmin() const
{
    return d->derived.isAdmin;
}
bool LiveShowController::canScrapeSold() const
{
    return d->derived.canScrapeSold;
}
bool LiveShowController::showQueueBanner() const
{
    return d->derived.showQueueBanner;
}
QString LiveShowController::errorText() const
{
    return d->derived.errorText;
}
bool LiveShowController::isSyncing() const
{
    return d->derived.isSyncing;
}
bool LiveShowController::isPolling() const
{
    return d->derived.isPolling;
}
int LiveShowController::capturedCount() const
{
    return d->derived.capturedCount;
}
QString LiveShowController::capturedText() const
{
    return QStringLiteral("%1 captured").arg(capturedCount());
}
bool LiveShowController::showEndShowButton() const
{
    return d->derived.showEndShowButton;
}
bool LiveShowController::showLeaveStream() const
{
    return d->derived.showLeaveStream;
}

QString LiveShowController::labelModeTitle(LabelMode mode)
{
    switch (mode) {
    case LabelMode::realtime:
        return QStringLiteral("Winner");
    case LabelMode::grouped:
        return QStringLiteral("Box");
    case LabelMode::both:
        return QStringLiteral("Winner + Box");
    }
    return {};
}

QPointF LiveShowController::pipOriginFor(QSizeF area, QSizeF offset, QSizeF drag)
{
    return QPointF(area.width() - kPipSize.width() - kPipMargin + offset.width() + drag.width(),
                   area.height() - kPipSize.height() - kPipMargin + offset.height() + drag.height());
}

QPointF LiveShowController::pipOrigin(QSizeF area) const
{
    return pipOriginFor(area, m_pipOffset, m_currentDrag);
}

std::optional<QString> LiveShowController::streamIdFromURL(const QUrl &url)
{
    const QStringList components = url.path().split(QLatin1Char('/'));
    const qsizetype live = components.indexOf(QStringLiteral("live"));
    if (live < 0 || live + 1 >= components.size() || components.at(live + 1).isEmpty())
        return std::nullopt;
    return components.at(live + 1);
}

// --- plain view state --------------------------------------------------------------

void LiveShowController::setShowLoginWebView(bool value)
{
    if (m_showLoginWebView == value)
        return;
    m_showLoginWebView = value;
    Q_EMIT showLoginWebViewChanged(value);
}

void LiveShowController::signIn()
{
    qCInfo(lcLiveShowController, "🔥 Sign In CTA tapped");
    setShowLoginWebView(true);
}

void LiveShowController::cancelSignIn()
{
    qCInfo(lcLiveShowController, "🔥 Cancel tapped — hiding login web view");
    setShowLoginWebView(false);
}

void LiveShowController::loginPanelShown()
{
    m_services.session.load();
}

void LiveShowController::setSelectedTab(LiveTab tab)
{
    if (m_selectedTab == tab)
        return;
    m_selectedTab = tab;
    Q_EMIT selectedTabChanged(tab);
}

void LiveShowController::setPipOffset(QSizeF offset)
{
    if (m_pipOffset == offset)
        return;
    m_pipOffset = offset;
    Q_EMIT pipOffsetChanged(offset);
}

void LiveShowController::setCurrentDrag(QSizeF drag)
{
    if (m_currentDrag == drag)
        return;
    m_currentDrag = drag;
    Q_EMIT currentDragChanged(drag);
}

void LiveShowController::dragChanged(QSizeF translation)
{
    if (m_webViewExpanded)
        return; // the strip does not move
    setCurrentDrag(translation);
}

void LiveShowController::dragEnded(QSizeF translation)
{
    if (m_webViewExpanded)
        return;
    setPipOffset(m_pipOffset + translation);
    setCurrentDrag(QSizeF(0, 0));
}

void LiveShowController::toggleExpanded()
{
    setWebViewExpanded(!m_webViewExpanded);
    setPipOffset(QSizeF(0, 0));
    setCurrentDrag(QSizeF(0, 0));
}

void LiveShowController::setWebViewExpanded(bool value)
{
    if (m_webViewExpanded == value)
        return;
    m_webViewExpanded = value;
    Q_EMIT webViewExpandedChanged(value);
    startDetached(LivePageScripts::applyExpansionRule(scriptSource(), value, m_streamClean),
                  lcLiveShowController(), "The expansion rule");
}

void LiveShowController::setShowVideo(bool value)
{
    if (m_showVideo == value)
        return;
    m_showVideo = value;
    Q_EMIT showVideoChanged(value);
    if (value)
        startDetached(runScript(LivePageScripts::Script::mute), lcLiveShowController(), "The mute script");
}

void LiveShowController::setStreamClean(bool value)
{
    if (m_streamClean == value)
        return;
    m_streamClean = value;
    Q_EMIT streamCleanChanged(value);
    startDetached(
        runScript(value ? LivePageScripts::Script::cleanStream : LivePageScripts::Script::removeCleanStream),
        lcLiveShowController(), "The clean switch");
}

void LiveShowController::toggleAdminTools()
{
    setShowAdmin(!m_showAdmin);
}

void LiveShowController::setShowAdmin(bool value)
{
    if (m_showAdmin == value)
        return;
    m_showAdmin = value;
    Q_EMIT showAdminChanged(value);
}

void LiveShowController::setShowEndConfirmation(bool value)
{
    if (m_showEndConfirmation == value)
        return;
    m_showEndConfirmation = value;
    Q_EMIT showEndConfirmationChanged(value);
}

void LiveShowController::requestEndShow()
{
    setShowEndConfirmation(true);
}

// --- page scripts ------------------------------------------------------------------

PageScriptSource LiveShowController::scriptSource() const
{
    QPointer<WhatnotSession> session(&m_services.session);
    return [session]() -> PageScriptHost * { return session ? &session->scriptHost() : nullptr; };
}

QCoro::Task<> LiveShowController::runScript(LivePageScripts::Script script)
{
    co_await LivePageScripts::run(scriptSource(), script);
}

// After a pause: the bid observer again when asked (the page may have been
// reloaded) and the settle rule. Ends quietly when the show was let go meanwhile.
QCoro::Task<> LiveShowController::settleAfterPause(bool reinstallBidObserver)
{
    QPointer<LiveShowController> self(this);
    const quint64 generation = d->generation;
    co_await d->sleeper->sleep(kScriptDelay);
    if (!self || generation != d->generation)
        co_return;
    if (reinstallBidObserver) {
        co_await m_services.tracker.start(m_services.session);
        if (!self || generation != d->generation)
            co_return;
    }
    co_await LivePageScripts::applySettleRule(scriptSource(), m_webViewExpanded, m_streamClean);
    if (self)
        Q_EMIT pageScriptsApplied();
}

// --- session task and navigation -----------------------------------------------------

void LiveShowController::screenShown()
{
    d->screenShown = true;
    startDetached(sessionTask(), lcLiveShowController(), "The session task");
}

void LiveShowController::screenHidden()
{
    d->screenShown = false;
    // Navigation is followed for as long as capture runs: a crashed page is then
    // still reloaded while another section is shown or the window is hidden.
    if (!captureActive())
        stopFollowingNavigation();
}

void LiveShowController::stopFollowingNavigation()
{
    // The loop may still be on its way out; the next screenShown() starts a fresh one.
    d->followingNavigation = false;
    ++d->navigationLoop;
    m_services.session.stopObservingNavigation();
}

bool LiveShowController::captureActive() const
{
    return m_services.poller.isPolling() || d->pausedForForeignStream;
}

QCoro::Task<> LiveShowController::sessionTask()
{
    QPointer<LiveShowController> self(this);
    ShowSyncService &sync = m_services.showSync;
    if (m_services.session.isAuthenticated()) {
        if (sync.activeStreamId().isEmpty()) {
            co_await sync.resumeActiveShow();
            if (!self)
                co_return;
            if (!sync.activeStreamId().isEmpty())
                navigateToStream(sync.activeStreamId());
        } else {
            navigateToStream(sync.activeStreamId());
        }
    }
    followNavigation();
    Q_EMIT sessionTaskFinished();
}

void LiveShowController::followNavigation()
{
    if (d->followingNavigation)
        return;
    d->followingNavigation = true;
    QPointer<LiveShowController> self(this);
    const quint64 loop = ++d->navigationLoop;
    auto follow = [](QPointer<LiveShowController> self, WhatnotSession *session,
                     quint64 loop) -> QCoro::Task<> {
        co_await session->observeNavigation();
        if (self && self->d->navigationLoop == loop)
            self->d->followingNavigation = false;
    };
    startDetached(follow(self, &m_services.session, loop), lcLiveShowController(),
                  "Following the page's navigation");
}

bool LiveShowController::navigateToStream(const QString &streamId)
{
    try {
        m_services.session.navigateToStream(streamId);
        return true;
    } catch (const InvalidStreamIdError &error) {
        // A stored id that can never load: forget it, so the connect screen returns.
        qCCritical(lcLiveShowController, "Unusable stream id dropped: %s", error.what());
        if (m_services.showSync.activeStreamId() == streamId)
            m_services.showSync.setActiveStreamId(QString());
        return false;
    }
}

void LiveShowController::onAuthenticatedChanged(bool authenticated)
{
    qCInfo(lcLiveShowController, "🔥 isAuthenticated changed → %d", int(authenticated));
    refreshScreenState();
    const quint64 ticket = ++d->navigationTicket;
    if (!authenticated)
        return;
    qCInfo(lcLiveShowController, "🔥 Authenticated — hiding login");
    setShowLoginWebView(false);
    const QString streamId = m_services.showSync.activeStreamId();
    if (streamId.isEmpty())
        return;
    startDetached(navigateAfterSignIn(streamId, ticket), lcLiveShowController(),
                  "The navigation after sign-in");
}

QCoro::Task<> LiveShowController::navigateAfterSignIn(QString streamId, quint64 ticket)
{
    QPointer<LiveShowController> self(this);
    const quint64 generation = d->generation;
    co_await d->sleeper->sleep(kSignInNavigationDelay);
    // Signed out again, signed in anew, or the show let go meanwhile: that is a cancelled wait.
    if (!self || ticket != d->navigationTicket || generation != d->generation)
        co_return;
    if (navigateToStream(streamId))
        Q_EMIT navigatedAfterSignIn(streamId);
}

// --- page address ----------------------------------------------------------------------

void LiveShowController::onPageAddressChanged(const QUrl &address)
{
    if (address.isEmpty() || !address.path().split(QLatin1Char('/')).contains(QStringLiteral("live")))
        return;
    if (m_screenState != ScreenState::live && !captureActive())
        return;
    QUrl pageURL = m_services.session.page().url();
    if (pageURL.isEmpty())
        pageURL = m_services.session.currentURL();
    if (pageURL.isEmpty())
        return;
    const std::optional<QString> streamId = streamIdFromURL(pageURL);
    ShowSyncService &sync = m_services.showSync;
    const bool showActive = !sync.activeShowId().isEmpty();
    if (streamId && showActive && *streamId != sync.activeStreamId()) {
        // Another seller's stream while our show runs: nothing of it is read.
        qCWarning(lcLiveShowController, "Page left the show's stream for %s: capture paused",
                  qUtf8Printable(*streamId));
        pauseForForeignStream();
        return;
    }
    if (streamId) {
        sync.setActiveStreamId(*streamId);
        qCInfo(lcLiveShowController, "Captured stream ID: %s", qUtf8Printable(*streamId));
        if (d->pausedForForeignStream)
            resumeAfterForeignStream();
    }
    if (d->pausedForForeignStream)
        return;
    startDetached(settleAfterPause(true), lcLiveShowController(), "The page-address task");
}

void LiveShowController::pauseForForeignStream()
{
    if (d->pausedForForeignStream)
        return;
    d->pausedForForeignStream = true;
    if (m_services.poller.isPolling())
        m_services.poller.togglePolling(m_services.session);
    if (m_services.tracker.isTracking())
        m_services.tracker.toggleTracking(m_services.session);
}

void LiveShowController::resumeAfterForeignStream()
{
    d->pausedForForeignStream = false;
    qCInfo(lcLiveShowController, "Page back on the show's stream: capture resumed");
    startCapture();
}

void LiveShowController::startCapture()
{
    if (!m_services.poller.isPolling())
        m_services.poller.togglePolling(m_services.session);
    if (!m_services.tracker.isTracking())
        m_services.tracker.toggleTracking(m_services.session);
}

// --- capture task ------------------------------------------------------------------------

void LiveShowController::liveContentShown()
{
    if (d->captureTaskRunning)
        return;
    d->captureTaskRunning = true;
    startDetached(captureTask(), lcLiveShowController(), "The capture task");
}

QCoro::Task<> LiveShowController::captureTask()
{
    QPointer<LiveShowController> self(this);
    const quint64 generation = d->generation;
    const auto letGo = [&] { return !self || generation != d->generation; };
    const auto finish = [&] {
        if (!self)
            return;
        d->captureTaskRunning = false;
        Q_EMIT captureTaskFinished();
    };

    if (m_services.session.isAuthenticated()) {
        takeStreamIdFromPage();
        const bool started = co_await startOrResumeShow(generation);
        if (letGo()) {
            finish();
            co_return;
        }
        if (!started)
            startRetryingShowStart();
        if (!d->pausedForForeignStream) {
            if (!m_services.poller.isPolling())
                m_services.poller.togglePolling(m_services.session);
            co_await m_services.tracker.start(m_services.session);
            if (letGo()) {
                finish();
                co_return;
            }
            if (!m_services.tracker.isTracking() && !d->pausedForForeignStream)
                m_services.tracker.toggleTracking(m_services.session);
        }
    }
    co_await d->sleeper->sleep(kScriptDelay);
    if (letGo()) {
        finish();
        co_return;
    }
    co_await LivePageScripts::applySettleRule(scriptSource(), m_webViewExpanded, m_streamClean);
    if (!self)
        co_return;
    Q_EMIT pageScriptsApplied();
    finish();
}

void LiveShowController::takeStreamIdFromPage()
{
    QUrl pageURL = m_services.session.page().url();
    if (pageURL.isEmpty())
        pageURL = m_services.session.currentURL();
    const std::optional<QString> streamId = streamIdFromURL(pageURL);
    if (!streamId)
        return;
    ShowSyncService &sync = m_services.showSync;
    if (!sync.activeShowId().isEmpty() && *streamId != sync.activeStreamId()) {
        pauseForForeignStream();
        return;
    }
    sync.setActiveStreamId(*streamId);
    qCInfo(lcLiveShowController, "Captured stream ID: %s", qUtf8Printable(*streamId));
}

// Starts the show when none is active, then takes up the active show once:
// its backend auctions and the uploads left pending for it. True when a show is active.
QCoro::Task<bool> LiveShowController::startOrResumeShow(quint64 generation)
{
    QPointer<LiveShowController> self(this);
    ShowSyncService &sync = m_services.showSync;
    if (sync.activeShowId().isEmpty()) {
        const std::optional<QString> title = co_await newShowTitle(generation);
        if (!self || !title)
            co_return false;
        co_await sync.startShow(*title, rawValue(m_services.autoPrint.labelMode()));
        if (!self || generation != d->generation)
            co_return false;
    }
    const QString showId = sync.activeShowId();
    if (showId.isEmpty())
        co_return false;
    if (d->takenUpShowId == showId)
        co_return true; // entering the live content again: this show is already taken up
    const std::optional<ShowAuctionsResponse> response =
        co_await m_services.showHistory.fetchShowAuctions(showId);
    if (!self || generation != d->generation || sync.activeShowId() != showId)
        co_return false;
    const QList<AuctionUpload> pending = sync.pendingUploads(showId);
    m_road->restore(response ? response->auctions : QList<ServerAuction>(), pending);
    if (response)
        d->takenUpShowId = showId;
    // Captured while the show was starting: uploaded now, not with the next win.
    m_road->handOver();
    co_return true;
}

bool LiveShowController::pageOnActiveStream() const
{
    const MarketplacePage &page = m_services.session.page();
    QUrl pageURL = page.url();
    if (pageURL.isEmpty())
        pageURL = m_services.session.currentURL();
    const QString streamId = m_services.showSync.activeStreamId();
    return !streamId.isEmpty() && streamIdFromURL(pageURL) == streamId && !page.isLoading();
}

QCoro::Task<std::optional<QString>> LiveShowController::newShowTitle(quint64 generation)
{
    QPointer<LiveShowController> self(this);
    // Right after a stream is chosen the page is still on the page it came from,
    // whose heading is not the stream's title.
    std::chrono::milliseconds waited{0};
    while (!pageOnActiveStream()) {
        if (waited >= kLivePageWaitLimit) {
            qCWarning(lcLiveShowController,
                      "The stream's live page did not load: the show gets a dated title");
            co_return LivePageScripts::datedShowTitle(d->clock->now().toLocalTime().date(), d->locale);
        }
        co_await d->sleeper->sleep(kLivePageCheckInterval);
        if (!self || generation != d->generation)
            co_return std::nullopt;
        waited += kLivePageCheckInterval;
    }
    const QString title =
        co_await LivePageScripts::showTitle(scriptSource(), d->clock->now().toLocalTime().date(), d->locale);
    if (!self || generation != d->generation)
        co_return std::nullopt;
    co_return title;
}

void LiveShowController::startRetryingShowStart()
{
    if (d->startRetryRunning)
        return;
    d->startRetryRunning = true;
    startDetached(retryShowStart(d->generation), lcLiveShowController(), "Retrying the show's start");
}

QCoro::Task<> LiveShowController::retryShowStart(quint64 generation)
{
    QPointer<LiveShowController> self(this);
    for (qsizetype attempt = 0;; ++attempt) {
        const std::chrono::milliseconds delay =
            d->startRetryDelays.at(std::min(attempt, d->startRetryDelays.size() - 1));
        co_await d->sleeper->sleep(delay);
        if (!self)
            co_return;
        if (generation != d->generation || m_screenState != ScreenState::live ||
            !m_services.session.isAuthenticated())
            break;
        qCInfo(lcLiveShowController, "Trying to start the show again (attempt %lld)", qlonglong(attempt + 2));
        if (co_await startOrResumeShow(generation))
            break;
        if (!self)
            co_return;
    }
    d->startRetryRunning = false;
}

// --- header and staff tools ---------------------------------------------------------------

void LiveShowController::togglePrinting()
{
    d->pauseAfterShow = false; // the seller decides now
    AutoPrintManager &autoPrint = m_services.autoPrint;
    if (!autoPrint.isPrinting()) {
        autoPrint.setIsPrinting(true);
        autoPrint.scheduleProcessing(m_services.printService);
    } else {
        autoPrint.setIsPrinting(false);
        autoPrint.cancelDebounce();
    }
}

void LiveShowController::setLabelMode(LabelMode mode)
{
    m_services.autoPrint.setLabelMode(mode);
}

void LiveShowController::togglePrintLog()
{
    m_services.autoPrint.setShowPrintLog(!m_services.autoPrint.showPrintLog());
}

void LiveShowController::scrapeSold()
{
    if (!canScrapeSold())
        return;
    QPointer<LiveShowController> self(this);
    auto scrape = [](QPointer<LiveShowController> self, SoldScraper *scraper, WhatnotSession *session,
                     AuctionPoller *poller) -> QCoro::Task<> {
        co_await scraper->scrape(*session, *poller);
        if (self)
            Q_EMIT self->soldScrapeFinished();
    };
    startDetached(scrape(self, &m_services.scraper, &m_services.session, &m_services.poller),
                  lcLiveShowController(), "Scrape Sold");
}

void LiveShowController::repairStoppedQueues()
{
    QPointer<LiveShowController> self(this);
    auto repair = [](QPointer<LiveShowController> self, QPointer<PrintKitAdapter> adapter) -> QCoro::Task<> {
        if (!adapter)
            co_return;
        const QList<PrinterInfo> printers = adapter->printers(); // as they are now, in list order
        for (const PrinterInfo &printer : printers) {
            if (printer.queueState != printkit::CUPSQueueState::stopped)
                continue;
            if (!adapter)
                co_return;
            co_await adapter->recoverQueue(printer.name);
        }
        if (self)
            Q_EMIT self->queueRepairFinished();
    };
    startDetached(repair(self, &m_services.printAdapter), lcLiveShowController(), "Fix");
}

// --- letting a show go ----------------------------------------------------------------------

void LiveShowController::letGoOfShow()
{
    ++d->generation;
    ++d->navigationTicket;
    d->takenUpShowId.clear();
    d->pausedForForeignStream = false;
    m_services.poller.reset();
    m_services.tracker.reset();
    // Box numbers and seen auctions belong to the show that is over.
    m_services.autoPrint.endShow();
}

void LiveShowController::disconnect()
{
    letGoOfShow();
    m_services.showSync.reset();
    m_services.session.logout();
    setShowLoginWebView(false);
}

void LiveShowController::leaveStream()
{
    if (!m_services.showSync.activeShowId().isEmpty())
        return; // a show is on: it is ended, not left
    letGoOfShow();
    m_services.showSync.reset();
}

void LiveShowController::endCurrentShow()
{
    setShowEndConfirmation(false);
    if (m_endingShow)
        return;
    letGoOfShow();
    // Labels already queued for this show still print; then printing pauses for the next one.
    d->pauseAfterShow = true;
    checkPauseAfterShow();
    startDetached(endShowTask(), lcLiveShowController(), "End Show");
}

QCoro::Task<> LiveShowController::endShowTask()
{
    QPointer<LiveShowController> self(this);
    setEndingShow(true);
    co_await m_services.showSync.endShow();
    if (!self)
        co_return;
    setEndingShow(false);
    Q_EMIT showEnded();
}

void LiveShowController::checkPauseAfterShow()
{
    if (!d->pauseAfterShow)
        return;
    AutoPrintManager &autoPrint = m_services.autoPrint;
    if (autoPrint.isPrinting() && hasUnfinishedJobs(autoPrint)) {
        if (!autoPrint.isProcessing() && !autoPrint.hasPendingDebounce())
            autoPrint.scheduleProcessing(m_services.printService);
        return;
    }
    d->pauseAfterShow = false;
    autoPrint.setIsPrinting(false);
    autoPrint.cancelDebounce();
}

void LiveShowController::setEndingShow(bool value)
{
    if (m_endingShow == value)
        return;
    m_endingShow = value;
    Q_EMIT isEndingShowChanged(value);
}

} // namespace quill
