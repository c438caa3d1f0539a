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

QPointF LiveLayout::pipOrigin(QSizeF area, QSizeF offset, QSizeF drag)
{
    return QPointF(area.width() - kPipSize.width() - kPipMargin + offset.width() + drag.width(),
                   area.height() - kPipSize.height() - kPipMargin + offset.height() + drag.height());
}

QString labelModeTitle(LabelMode mode)
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

QString LiveShowController::Status::printingButtonText() const
{
    return isPrinting ? QStringLiteral("Pause Printing") : QStringLiteral("Start Printing");
}

QString LiveShowController::Status::printLogToolTip() const
{
    return showPrintLog ? QStringLiteral("Hide Print Log") : QStringLiteral("Show Print Log");
}

QString LiveShowController::Status::capturedText() const
{
    return QStringLiteral("%1 captured").arg(capturedCount);
}

LiveShowController::LiveShowController(LiveServices services, QObject *parent)
    : QObject(parent), m_services(services)
{
    LiveShowSession &show = services.show;
    // The switches are the screen's own: each new screen starts from their first values.
    show.resetPageLayout();
    connect(&show, &LiveShowSession::isEndingShowChanged, this, &LiveShowController::refreshStatus);
    connect(&show, &LiveShowSession::noticeChanged, this, &LiveShowController::refreshStatus);

    WhatnotSession &session = services.session;
    connect(&session, &WhatnotSession::isAuthenticatedChanged, this, [this](bool authenticated) {
        refreshStatus();
        if (authenticated) {
            qCInfo(lcLiveShowController, "🔥 Authenticated — hiding login");
            setShowLoginWebView(false);
        }
    });
    connect(&session, &WhatnotSession::errorChanged, this, &LiveShowController::refreshStatus);

    ShowSyncService &sync = services.showSync;
    for (auto signal : {&ShowSyncService::activeStreamIdChanged, &ShowSyncService::activeShowIdChanged,
                        &ShowSyncService::isSyncingChanged})
        connect(&sync, signal, this, &LiveShowController::refreshStatus);
    connect(&sync, &ShowSyncService::syncErrorChanged, this, &LiveShowController::refreshStatus);

    AuctionPoller &poller = services.poller;
    connect(&poller, &AuctionPoller::capturedAuctionsChanged, this, &LiveShowController::refreshStatus);
    connect(&poller, &AuctionPoller::errorChanged, this, &LiveShowController::refreshStatus);
    connect(&poller, &AuctionPoller::isPollingChanged, this, &LiveShowController::refreshStatus);
    connect(&services.tracker, &BidderTracker::errorChanged, this, &LiveShowController::refreshStatus);
    connect(&services.scraper, &SoldScraper::errorChanged, this, &LiveShowController::refreshStatus);
    connect(&services.scraper, &SoldScraper::isScrapingChanged, this, &LiveShowController::refreshStatus);

    AutoPrintManager &autoPrint = services.autoPrint;
    connect(&autoPrint, &AutoPrintManager::isPrintingChanged, this, &LiveShowController::refreshStatus);
    connect(&autoPrint, &AutoPrintManager::labelModeChanged, this, &LiveShowController::refreshStatus);
    connect(&autoPrint, &AutoPrintManager::showPrintLogChanged, this, &LiveShowController::refreshStatus);
    connect(&services.printAdapter, &PrintKitAdapter::printersChanged, this,
            &LiveShowController::refreshStatus);
    connect(&services.auth, &AuthManager::stateChanged, this, &LiveShowController::refreshStatus);

    m_status = computeStatus();
}

LiveShowController::~LiveShowController() = default;

// --- what the screen shows of the show ---------------------------------------------

LiveShowController::Status LiveShowController::computeStatus() const
{
    Status v;
    if (!m_services.session.isAuthenticated())
        v.screenState = ScreenState::signedOut;
    else if (m_services.showSync.activeStreamId().isEmpty())
        v.screenState = ScreenState::connect;
    else
        v.screenState = ScreenState::live;

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
        const auto refusing = std::find_if(printers.begin(), printers.end(), [](const PrinterInfo &printer) {
            return !printer.refusal.isEmpty();
        });
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
    v.showLeaveStream = !hasShow && v.screenState == ScreenState::live;
    v.isEndingShow = show.isEndingShow();
    return v;
}

void LiveShowController::refreshStatus()
{
    Status now = computeStatus();
    if (now == m_status)
        return;
    const Status before = std::exchange(m_status, std::move(now));
    Q_EMIT statusChanged(m_status, before);
}

QPointF LiveShowController::pipOrigin(QSizeF area) const
{
    return LiveLayout::pipOrigin(area, m_pipOffset, m_currentDrag);
}

// --- the screen's own state ------------------------------------------------------------

void LiveShowController::setShowLoginWebView(bool value)
{
    if (m_showLoginWebView == value)
        return;
    if (value)
        qCInfo(lcLiveShowController, "🔥 Sign In CTA tapped");
    m_showLoginWebView = value;
    Q_EMIT showLoginWebViewChanged(value);
}

void LiveShowController::cancelLogin()
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

void LiveShowController::movePip(QSizeF offset, QSizeF drag)
{
    if (m_pipOffset == offset && m_currentDrag == drag)
        return;
    m_pipOffset = offset;
    m_currentDrag = drag;
    Q_EMIT pipMoved();
}

void LiveShowController::dragChanged(QSizeF translation)
{
    if (webViewExpanded())
        return; // the strip does not move
    movePip(m_pipOffset, translation);
}

void LiveShowController::dragEnded(QSizeF translation)
{
    if (webViewExpanded())
        return;
    movePip(m_pipOffset + translation, QSizeF(0, 0));
}

void LiveShowController::toggleExpanded()
{
    setWebViewExpanded(!webViewExpanded());
    movePip(QSizeF(0, 0), QSizeF(0, 0));
}

// The page's layout lives in the show, which applies it to the page and keeps it for the next screen.
bool LiveShowController::webViewExpanded() const
{
    return m_services.show.webViewExpanded();
}

void LiveShowController::setWebViewExpanded(bool value)
{
    if (webViewExpanded() == value)
        return;
    m_services.show.setWebViewExpanded(value);
    Q_EMIT webViewExpandedChanged(value);
}

bool LiveShowController::streamClean() const
{
    return m_services.show.streamClean();
}

void LiveShowController::setStreamClean(bool value)
{
    if (streamClean() == value)
        return;
    m_services.show.setStreamClean(value);
    Q_EMIT streamCleanChanged(value);
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

// --- the seller's actions ---------------------------------------------------------------

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
    if (m_status.canScrapeSold)
        m_services.show.scrapeSold();
}

void LiveShowController::repairStoppedQueues()
{
    m_services.show.repairStoppedQueues();
}

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

} // namespace quill
