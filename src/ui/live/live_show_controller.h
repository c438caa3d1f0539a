#pragma once

#include "printing/print_job.h"
#include "ui/live/live_tab.h"

#include <QLocale>
#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QUrl>

namespace quill {

class AppState;
class AuctionPoller;
class AuthManager;
class AutoPrintManager;
class BidderTracker;
class LiveShowSession;
class PrintKitAdapter;
class ShowSyncService;
class SoldScraper;
class WhatnotSession;

// What the live show screen shows and drives.
struct LiveServices
{
    // The side panel's rows (one-click prints, previews) and the print log take the application.
    AppState &app;
    LiveShowSession &show;
    WhatnotSession &session;
    AuctionPoller &poller;
    BidderTracker &tracker;
    SoldScraper &scraper;
    AutoPrintManager &autoPrint;
    PrintKitAdapter &printAdapter;
    ShowSyncService &showSync;
    AuthManager &auth;

    static LiveServices of(AppState &appState);
};

// The live content's geometry: the picture-in-picture box, its margin from the
// bottom-right corner and the expanded strip's share of the width, in points.
struct LiveLayout
{
    static constexpr QSizeF kPipSize{200, 356};
    static constexpr qreal kPipMargin = 12;
    static constexpr qreal kExpandedShare = 0.4;

    // Where the box's top-left corner is in an area of `area`, moved by `offset` and a drag under way.
    static QPointF pipOrigin(QSizeF area, QSizeF offset, QSizeF drag);
};

// The text of a label mode in the pickers: "Winner", "Box", "Winner + Box".
QString labelModeTitle(LabelMode mode);

// The live show screen without its widgets: which of the three states is shown, the
// layout of the live content, and what the header, staff tools and status bar show.
// The show itself runs in the application's LiveShowSession; the seller's actions are
// handed to it.
//
// The view reads status() and follows statusChanged; it tells the controller when it
// comes and goes (screenShown/screenHidden) and when the live content is on screen.
class LiveShowController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveShowController)

    // The live content's layout, the screen's own.
    Q_PROPERTY(
        bool showLoginWebView READ showLoginWebView WRITE setShowLoginWebView NOTIFY showLoginWebViewChanged)
    Q_PROPERTY(quill::LiveTab selectedTab READ selectedTab WRITE setSelectedTab NOTIFY selectedTabChanged)
    Q_PROPERTY(
        bool webViewExpanded READ webViewExpanded WRITE setWebViewExpanded NOTIFY webViewExpandedChanged)
    Q_PROPERTY(bool showVideo READ showVideo WRITE setShowVideo NOTIFY showVideoChanged)
    Q_PROPERTY(bool streamClean READ streamClean WRITE setStreamClean NOTIFY streamCleanChanged)
    Q_PROPERTY(bool showAdmin READ showAdmin WRITE setShowAdmin NOTIFY showAdminChanged)
    Q_PROPERTY(bool showEndConfirmation READ showEndConfirmation WRITE setShowEndConfirmation NOTIFY
                   showEndConfirmationChanged)

public:
    enum class ScreenState
    {
        signedOut, // the sign-in prompt, or the login panel while showLoginWebView
        connect,   // the show connect screen
        live,      // the live content
    };
    Q_ENUM(ScreenState)

    // What the screen shows of the show and its services; announced whenever a value changes.
    struct Status
    {
        ScreenState screenState = ScreenState::signedOut;
        // Header row.
        bool isPrinting = false;
        LabelMode labelMode = LabelMode::both;
        bool showPrintLog = false;
        bool isAdmin = false;
        // Staff panel.
        bool canScrapeSold = false;
        // Queue banner: a printer's queue is stopped or refuses jobs. The text is "Printer queue
        // stopped", else lp's words for a queue that refuses jobs; Fix re-enables stopped queues
        // and cannot make a queue accept jobs again.
        bool showQueueBanner = false;
        QString queueBannerText;
        bool canFixQueue = false;
        // The first error set, in the header's order; empty when none.
        QString errorText;
        // Status bar.
        bool isSyncing = false;
        bool isPolling = false;
        int capturedCount = 0;
        bool showEndShowButton = false;
        bool showLeaveStream = false;
        bool isEndingShow = false;

        QString printingButtonText() const; // "Pause Printing" / "Start Printing"
        QString printLogToolTip() const;    // "Hide Print Log" / "Show Print Log"
        QString capturedText() const;       // "%lld captured"

        bool operator==(const Status &) const = default;
    };

    explicit LiveShowController(LiveServices services, QObject *parent = nullptr);
    ~LiveShowController() override;

    const LiveServices &services() const { return m_services; }
    const Status &status() const { return m_status; }

    bool showLoginWebView() const { return m_showLoginWebView; }
    LiveTab selectedTab() const { return m_selectedTab; }
    bool webViewExpanded() const;
    bool showVideo() const { return m_showVideo; }
    bool streamClean() const;
    bool showAdmin() const { return m_showAdmin; }
    bool showEndConfirmation() const { return m_showEndConfirmation; }
    // Where the picture-in-picture box's top-left corner is, in an area of `area`.
    QPointF pipOrigin(QSizeF area) const;

public Q_SLOTS:
    // --- the view coming and going (handed to the show) ------------------------
    void screenShown();
    void screenHidden();
    void liveContentShown();
    // The login panel is on screen: opens the marketplace home page.
    void loginPanelShown();

    // --- the screen's own state: "Sign In"/"Cancel", tabs, the box, switches, wrench, End Show's question
    void setShowLoginWebView(bool value);
    // The login panel's "Cancel": logs the tap and hides the panel.
    void cancelLogin();
    void setSelectedTab(quill::LiveTab tab);
    void toggleExpanded(); // the box's button: flips webViewExpanded, the box goes home
    void setWebViewExpanded(bool value);
    void dragChanged(QSizeF translation);
    void dragEnded(QSizeF translation);
    void setShowVideo(bool value);
    void setStreamClean(bool value);
    void setShowAdmin(bool value);
    void setShowEndConfirmation(bool value);

    // --- the seller's actions, handed to the show and the print queue ------------
    void togglePrinting(); // "Start Printing" / "Pause Printing"
    void setLabelMode(quill::LabelMode mode);
    void togglePrintLog();
    void disconnect();          // "Disconnect"
    void scrapeSold();          // "Scrape Sold"
    void repairStoppedQueues(); // "Fix"
    void endCurrentShow();      // "End Show" in the confirmation
    void leaveStream();         // "Leave Stream"

Q_SIGNALS:
    void statusChanged(const quill::LiveShowController::Status &now,
                       const quill::LiveShowController::Status &before);
    void showLoginWebViewChanged(bool value);
    void selectedTabChanged(quill::LiveTab tab);
    void webViewExpandedChanged(bool value);
    // The box moved: its offset or the drag under way changed.
    void pipMoved();
    void showVideoChanged(bool value);
    void streamCleanChanged(bool value);
    void showAdminChanged(bool value);
    void showEndConfirmationChanged(bool value);

private:
    Status computeStatus() const;
    void refreshStatus();
    void movePip(QSizeF offset, QSizeF drag);

    LiveServices m_services;
    Status m_status;
    bool m_showLoginWebView = false;
    LiveTab m_selectedTab = LiveTab::sold;
    QSizeF m_pipOffset{0, 0};
    QSizeF m_currentDrag{0, 0};
    bool m_showVideo = false;
    bool m_showAdmin = false;
    bool m_showEndConfirmation = false;
};

} // namespace quill
