#include "ui/live/live_show_controller.h"

#include "app/app_state.h"
#include "app/live_show_session.h"
#include "backend/auth_manager.h"
#include "backend/show_sync_service.h"
#include "capture/auction_poller.h"
#include "capture/bidder_tracker.h"
#include "capture/sold_scraper.h"
#include "capture/whatnot_session.h"
#include "printing/auto_print_manager.h"
#include "printing/print_kit_adapter.h"

#include <QLoggingCategory>
#include <algorithm>

Q_LOGGING_CATEGORY(lcLiveShowController, "app.quillmark.Quillmark.LiveShowView")

namespace quill {

LiveServices LiveServices::of(AppState &appState)
{
    return LiveServices{appState,
                        appState.liveShow(),
                        appState.whatnotSession(),
                        appState.auctionPoller(),
                        appState.bidderTracker(),
                        appState.soldScraper(),
                        appState.autoPrintManager(),
                        appState.printAdapter(),
                        appState.showSyncService(),
                        appState.authManager()};
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
    QString queueBannerText;
    bool canFixQueue = false;
    QString errorText;
    bool isSyncing = false;
    bool isPolling = false;
    int capturedCount = 0;
    bool showEndShowButton = false;
    bool showLeaveStream = false;
};

LiveShowController::LiveShowController(LiveServices services, QObject *parent)
    : QObject(parent), m_services(services), m_derived(std::make_unique<Derived>())
{
    LiveShowSession &show = services.show;
    m_webViewExpanded = show.webViewExpanded();
    m_streamClean = show.streamClean();
    connect(&show, &LiveShowSession::isEndingShowChanged, this, &LiveShowController::isEndingShowChanged);
    connect(&show, &LiveShowSession::noticeChanged, this, &LiveShowController::refreshDerived);

    WhatnotSession &session = services.session;
    connect(&session, &WhatnotSession::isAuthenticatedChanged, this, [this](bool authenticated) {
        refreshScreenState();
        if (authenticated) {
            qCInfo(lcLiveShowController, "🔥 Authenticated — hiding login");
            setShowLoginWebView(false);
        }
    });
    connect(&session, &WhatnotSession::errorChanged, this, &LiveShowController::refreshDerived);

    ShowSyncService &sync = services.showSync;
    connect(&sync, &ShowSyncService::activeStreamIdChanged, this, &LiveShowController::refreshScreenState);
    for (auto signal : {&ShowSyncService::activeShowIdChanged, &ShowSyncService::isSyncingChanged})
        connect(&sync, signal, this, &LiveShowController::refreshDerived);
    connect(&sync, &ShowSyncService::syncErrorChanged, this, &LiveShowController::refreshDerived);

    AuctionPoller &poller = services.poller;
    connect(&poller, &AuctionPoller::capturedAuctionsChanged, this, &LiveShowController::refreshDerived);
    connect(&poller, &AuctionPoller::errorChanged, this, &LiveShowController::refreshDerived);
    connect(&poller, &AuctionPoller::isPollingChanged, this, &LiveShowController::refreshDerived);
    connect(&services.tracker, &BidderTracker::errorChanged, this, &LiveShowController::refreshDerived);
    connect(&services.scraper, &SoldScraper::errorChanged, this, &LiveShowController::refreshDerived);
    connect(&services.scraper, &SoldScraper::isScrapingChanged, this, &LiveShowController::refreshDerived);

    AutoPrintManager &autoPrint = services.autoPrint;
    connect(&autoPrint, &AutoPrintManager::isPrintingChanged, this, &LiveShowController::refreshDerived);
    connect(&autoPrint, &AutoPrintManager::labelModeChanged, this, &LiveShowController::refreshDerived);
    connect(&autoPrint, &AutoPrintManager::showPrintLogChanged, this, &LiveShowController::refreshDerived);
    connect(&services.printAdapter, &PrintKitAdapter::printersChanged, this,
            &LiveShowController::refreshDerived);
    connect(&services.auth, &AuthManager::stateChanged, this, &LiveShowController::refreshDerived);

    m_screenState = computeScreenState();
    *m_derived = computeDerived();
}

LiveShowController::~LiveShowController() = default;

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
    v.isAdmin = quill::isAdmin(m_services.auth.state());
    v.canScrapeSold = !m_services.scraper.isScraping() && m_services.session.isAuthenticated();
    const QList<PrinterInfo> &printers = m_services.printAdapter.printers();
    v.canFixQueue = std::any_of(printers.begin(), printers.end(), [](const PrinterInfo &printer) {
        return printer.queueState == printkit::CUPSQueueState::stopped;
    });
    if (v.canFixQueue) {
        v.queueBannerText = QStringLiteral("Printer queue stopped");
    } else {
        const auto refusing = std::find_if(printers.begin(), printers.end(),
                                           [](const PrinterInfo &printer) { return !printer.refusal.isEmpty(); });
        if (refusing != printers.end())
            v.queueBannerText = refusing->refusal;
    }
    v.showQueueBanner = !v.queueBannerText.isEmpty();
    // The first error that is set, in the header's order.
    const LiveShowSession &show = m_services.show;
    const std::optional<QString> errors[] = {
        m_services.session.error(),
        m_services.scraper.error(),
        m_services.poller.error(),
        m_services.tracker.error(),
        m_services.showSync.syncError().isEmpty() ? std::nullopt
                                                  : std::optional<QString>(m_services.showSync.syncError()),
        show.notice().isEmpty() ? std::nullopt : std::optional<QString>(show.notice()),
        show.hasNoPrinter() ? std::optional<QString>(LiveShowSession::kNoPrinterNotice) : std::nullopt,
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
    const Derived before = std::exchange(*m_derived, now);
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
    if (now.queueBannerText != before.queueBannerText || now.canFixQueue != before.canFixQueue)
        Q_EMIT queueBannerChanged();
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
    return (*m_derived).isPrinting;
}
QString LiveShowController::printingButtonText() const
{
    return isPrinting() ? QStringLiteral("Pause Printing") : QStringLiteral("Start Printing");
}
LabelMode LiveShowController::labelMode() const
{
    return (*m_derived).labelMode;
}
bool LiveShowController::showPrintLog() const
{
    return (*m_derived).showPrintLog;
}
QString LiveShowController::printLogToolTip() const
{
    return showPrintLog() ? QStringLiteral("Hide Print Log") : QStringLiteral("Show Print Log");
}
bool LiveShowController::isAdmin() const
{
    return (*m_derived).isAdmin;
}
bool LiveShowController::canScrapeSold() const
{
    return (*m_derived).canScrapeSold;
}
bool LiveShowController::showQueueBanner() const
{
    return (*m_derived).showQueueBanner;
}
QString LiveShowController::queueBannerText() const
{
    return (*m_derived).queueBannerText;
}
bool LiveShowController::canFixQueue() const
{
    return (*m_derived).canFixQueue;
}
QString LiveShowController::errorText() const
{
    return (*m_derived).errorText;
}
bool LiveShowController::isSyncing() const
{
    return (*m_derived).isSyncing;
}
bool LiveShowController::isPolling() const
{
    return (*m_derived).isPolling;
}
int LiveShowController::capturedCount() const
{
    return (*m_derived).capturedCount;
}
QString LiveShowController::capturedText() const
{
    return QStringLiteral("%1 captured").arg(capturedCount());
}
bool LiveShowController::showEndShowButton() const
{
    return (*m_derived).showEndShowButton;
}
bool LiveShowController::showLeaveStream() const
{
    return (*m_derived).showLeaveStream;
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
    m_services.show.setWebViewExpanded(value);
}

void LiveShowController::setShowVideo(bool value)
{
    if (m_showVideo == value)
        return;
    m_showVideo = value;
    Q_EMIT showVideoChanged(value);
    if (value)
        m_services.show.muteVideo();
}

void LiveShowController::setStreamClean(bool value)
{
    if (m_streamClean == value)
        return;
    m_streamClean = value;
    Q_EMIT streamCleanChanged(value);
    m_services.show.setStreamClean(value);
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

// --- header and staff tools ---------------------------------------------------------------

void LiveShowController::togglePrinting()
{
    m_services.show.togglePrinting();
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
    if (canScrapeSold())
        m_services.show.scrapeSold();
}

void LiveShowController::repairStoppedQueues()
{
    m_services.show.repairStoppedQueues();
}

// --- the show -------------------------------------------------------------------------------

void LiveShowController::screenShown()
{
    m_services.show.screenShown();
}

void LiveShowController::screenHidden()
{
    m_services.show.screenHidden();
}

void LiveShowController::liveContentShown()
{
    m_services.show.liveContentShown();
}

void LiveShowController::disconnect()
{
    m_services.show.disconnect();
    setShowLoginWebView(false);
}

void LiveShowController::leaveStream()
{
    m_services.show.leaveStream();
}

void LiveShowController::endCurrentShow()
{
    setShowEndConfirmation(false);
    m_services.show.endCurrentShow();
}

bool LiveShowController::isEndingShow() const
{
    return m_services.show.isEndingShow();
}

} // namespace quill
