#pragma once

#include "capture/live_page_scripts.h"
#include "capture/page_script_source.h"
#include "common/clock.h"
#include "printing/print_job.h"
#include "ui/live/live_tab.h"

#include <QCoroTask>
#include <QLocale>
#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>

namespace quill {

class AppState;
class AuctionPoller;
class AuthManager;
class AutoPrintManager;
class BidderTracker;
class PrintKitAdapter;
class PrintService;
class ShowHistoryStore;
class ShowSyncService;
class SoldAuctionRoad;
class SoldScraper;
class WhatnotSession;

// The services the live show screen drives; AppState holds them in the product.
struct LiveServices
{
    WhatnotSession &session;
    AuctionPoller &poller;
    BidderTracker &tracker;
    SoldScraper &scraper;
    AutoPrintManager &autoPrint;
    PrintService &printService;
    PrintKitAdapter &printAdapter;
    ShowSyncService &showSync;
    ShowHistoryStore &showHistory;
    AuthManager *auth = nullptr; // null: nobody is staff
    // The rows' one-click prints and the print log read the rest of the application from here.
    AppState *app = nullptr;

    static LiveServices of(AppState &appState);
};

struct LiveShowControllerSetup
{
    Sleeper *sleeper = nullptr; // null: TimerSleeper
    Clock *clock = nullptr;     // null: SystemClock (today's date of the dated show title)
    QLocale locale = QLocale();
    // A show that could not be started is tried again after these pauses (the last repeats).
    QList<std::chrono::milliseconds> startRetryDelays{std::chrono::seconds(2), std::chrono::seconds(5),
                                                      std::chrono::seconds(15), std::chrono::seconds(30)};
};

// The live show screen without its widgets: which of the three states is shown,
// the capture life cycle of a show (session task, marketplace sign-in reaction,
// capture task, page-address reaction, settle and expansion rules), the road of
// every sold auction to the print queue and the backend, the header, staff tools,
// status bar and the ending of a show.
//
// One controller lives for the whole run (the application shell keeps it), so
// capture, printing and uploads go on while another section is shown or the window
// is hidden. The view binds to its properties and calls its operations; it calls
// screenShown()/screenHidden() as it comes and goes, and liveContentShown() when the
// live content is on screen.
class LiveShowController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveShowController)

    // Which of the three things the seller sees.
    Q_PROPERTY(quill::LiveShowController::ScreenState screenState READ screenState NOTIFY screenStateChanged)
    Q_PROPERTY(
        bool showLoginWebView READ showLoginWebView WRITE setShowLoginWebView NOTIFY showLoginWebViewChanged)

    // Live content layout.
    Q_PROPERTY(quill::LiveTab selectedTab READ selectedTab WRITE setSelectedTab NOTIFY selectedTabChanged)
    Q_PROPERTY(
        bool webViewExpanded READ webViewExpanded WRITE setWebViewExpanded NOTIFY webViewExpandedChanged)
    Q_PROPERTY(QSizeF pipOffset READ pipOffset NOTIFY pipOffsetChanged)
    Q_PROPERTY(QSizeF currentDrag READ currentDrag NOTIFY currentDragChanged)
    Q_PROPERTY(bool showVideo READ showVideo WRITE setShowVideo NOTIFY showVideoChanged)
    Q_PROPERTY(bool streamClean READ streamClean WRITE setStreamClean NOTIFY streamCleanChanged)

    // Header row.
    Q_PROPERTY(bool isPrinting READ isPrinting NOTIFY isPrintingChanged)
    Q_PROPERTY(QString printingButtonText READ printingButtonText NOTIFY isPrintingChanged)
    Q_PROPERTY(quill::LabelMode labelMode READ labelMode WRITE setLabelMode NOTIFY labelModeChanged)
    Q_PROPERTY(bool showPrintLog READ showPrintLog NOTIFY showPrintLogChanged)
    Q_PROPERTY(QString printLogToolTip READ printLogToolTip NOTIFY showPrintLogChanged)
    Q_PROPERTY(bool isAdmin READ isAdmin NOTIFY isAdminChanged)
    Q_PROPERTY(bool showAdmin READ showAdmin WRITE setShowAdmin NOTIFY showAdminChanged)

    // Staff panel.
    Q_PROPERTY(bool canScrapeSold READ canScrapeSold NOTIFY canScrapeSoldChanged)

    // Queue banner and error line.
    Q_PROPERTY(bool showQueueBanner READ showQueueBanner NOTIFY showQueueBannerChanged)
    Q_PROPERTY(QString errorText READ errorText NOTIFY errorTextChanged)

    // Status bar.
    Q_PROPERTY(bool isSyncing READ isSyncing NOTIFY isSyncingChanged)
    Q_PROPERTY(bool isPolling READ isPolling NOTIFY isPollingChanged)
    Q_PROPERTY(int capturedCount READ capturedCount NOTIFY capturedCountChanged)
    Q_PROPERTY(QString capturedText READ capturedText NOTIFY capturedCountChanged)
    Q_PROPERTY(bool showEndShowButton READ showEndShowButton NOTIFY showEndShowButtonChanged)
    Q_PROPERTY(bool showLeaveStream READ showLeaveStream NOTIFY showLeaveStreamChanged)
    Q_PROPERTY(bool showEndConfirmation READ showEndConfirmation WRITE setShowEndConfirmation NOTIFY
                   showEndConfirmationChanged)
    Q_PROPERTY(bool isEndingShow READ isEndingShow NOTIFY isEndingShowChanged)

public:
    enum class ScreenState
    {
        signedOut, // the sign-in prompt, or the login panel while showLoginWebView
        connect,   // the show connect screen
        live,      // the live content
    };
    Q_ENUM(ScreenState)

    static constexpr std::chrono::milliseconds kSignInNavigationDelay{200};
    static constexpr std::chrono::milliseconds kScriptDelay{1000};
    // A new show's title is read from the stream's live page: until the page has loaded
    // it, the capture task looks again at this interval, for at most kLivePageWaitLimit.
    static constexpr std::chrono::milliseconds kLivePageCheckInterval{250};
    static constexpr std::chrono::milliseconds kLivePageWaitLimit{10000};
    // The picture-in-picture box and its margin from the bottom-right corner, in points.
    static constexpr QSizeF kPipSize{200, 356};
    static constexpr qreal kPipMargin = 12;
    static constexpr qreal kExpandedShare = 0.4;

    static inline const QString kEndConfirmationTitle = QStringLiteral("End this show?");
    static inline const QString kEndConfirmationMessage =
        QStringLiteral("This will stop capturing auctions and end the current show.");

    LiveShowController(LiveServices services, LiveShowControllerSetup setup = {}, QObject *parent = nullptr);
    ~LiveShowController() override;

    // The controller kept with the application's services for the whole run,
    // created on first use; it goes before the services do.
    static LiveShowController &of(AppState &appState);

    const LiveServices &services() const { return m_services; }
    SoldAuctionRoad &road() const { return *m_road; }

    ScreenState screenState() const { return m_screenState; }
    bool showLoginWebView() const { return m_showLoginWebView; }
    LiveTab selectedTab() const { return m_selectedTab; }
    bool webViewExpanded() const { return m_webViewExpanded; }
    QSizeF pipOffset() const { return m_pipOffset; }
    QSizeF currentDrag() const { return m_currentDrag; }
    bool showVideo() const { return m_showVideo; }
    bool streamClean() const { return m_streamClean; }
    bool isPrinting() const;
    QString printingButtonText() const; // "Pause Printing" / "Start Printing"
    LabelMode labelMode() const;
    bool showPrintLog() const;
    QString printLogToolTip() const; // "Hide Print Log" / "Show Print Log"
    bool isAdmin() const;
    bool showAdmin() const { return m_showAdmin; }
    bool canScrapeSold() const;
    bool showQueueBanner() const;
    // The first error set, in the header's order; empty when none.
    QString errorText() const;
    bool isSyncing() const;
    bool isPolling() const;
    int capturedCount() const;
    QString capturedText() const; // "%lld captured"
    bool showEndShowButton() const;
    bool showLeaveStream() const;
    bool showEndConfirmation() const { return m_showEndConfirmation; }
    bool isEndingShow() const { return m_endingShow; }

    // Where the picture-in-picture box's top-left corner is, in an area of `area`.
    QPointF pipOrigin(QSizeF area) const;
    static QPointF pipOriginFor(QSizeF area, QSizeF offset, QSizeF drag);
    // The text of a label mode in the picker: "Winner", "Box", "Winner + Box".
    static QString labelModeTitle(LabelMode mode);

    // The stream id in a live page address: the path component after "live".
    static std::optional<QString> streamIdFromURL(const QUrl &url);

public Q_SLOTS:
    // --- the view coming and going --------------------------------------------
    // Runs the session task; the page's navigation is followed from here on.
    void screenShown();
    // Navigation stays followed while capture runs.
    void screenHidden();
    // The live content is on screen: the capture task runs unless one already runs
    // for this show or the show was already taken up.
    void liveContentShown();
    // The login panel is on screen: opens the marketplace home page.
    void loginPanelShown();

    // --- signed out --------------------------------------------------------------
    void signIn();       // "Sign In"
    void cancelSignIn(); // "Cancel"
    void setShowLoginWebView(bool value);

    // --- live content ------------------------------------------------------------
    void setSelectedTab(quill::LiveTab tab);
    void toggleExpanded(); // the box's button: flips webViewExpanded, the box goes home
    void setWebViewExpanded(bool value);
    void dragChanged(QSizeF translation);
    void dragEnded(QSizeF translation);
    // The Video and Clean switches.
    void setShowVideo(bool value);
    void setStreamClean(bool value);

    // --- header ------------------------------------------------------------------
    void togglePrinting(); // "Start Printing" / "Pause Printing"
    void setLabelMode(quill::LabelMode mode);
    void togglePrintLog();
    void toggleAdminTools(); // the wrench
    void setShowAdmin(bool value);
    void disconnect();          // "Disconnect"
    void scrapeSold();          // "Scrape Sold"
    void repairStoppedQueues(); // "Fix"

    // --- status bar --------------------------------------------------------------
    void requestEndShow(); // "End Show": asks first
    void setShowEndConfirmation(bool value);
    void endCurrentShow(); // "End Show" in the confirmation
    void leaveStream();    // "Leave Stream"

Q_SIGNALS:
    void screenStateChanged(quill::LiveShowController::ScreenState state);
    void showLoginWebViewChanged(bool value);
    void selectedTabChanged(quill::LiveTab tab);
    void webViewExpandedChanged(bool value);
    void pipOffsetChanged(QSizeF offset);
    void currentDragChanged(QSizeF drag);
    void showVideoChanged(bool value);
    void streamCleanChanged(bool value);
    void isPrintingChanged(bool value);
    void labelModeChanged(quill::LabelMode mode);
    void showPrintLogChanged(bool value);
    void isAdminChanged(bool value);
    void showAdminChanged(bool value);
    void canScrapeSoldChanged(bool value);
    void showQueueBannerChanged(bool value);
    void errorTextChanged(const QString &text);
    void isSyncingChanged(bool value);
    void isPollingChanged(bool value);
    void capturedCountChanged(int count);
    void showEndShowButtonChanged(bool value);
    void showLeaveStreamChanged(bool value);
    void showEndConfirmationChanged(bool value);
    void isEndingShowChanged(bool value);

    // Ends of the controller's tasks (tests and the view may wait for them).
    void sessionTaskFinished();
    void captureTaskFinished();
    void navigatedAfterSignIn(const QString &streamId);
    void pageScriptsApplied();
    void queueRepairFinished();
    void soldScrapeFinished();
    void showEnded();

private:
    struct Derived;
    struct Impl;
    std::unique_ptr<Impl> d;

    ScreenState computeScreenState() const;
    Derived computeDerived() const;
    void refreshScreenState();
    void refreshDerived();
    void setPipOffset(QSizeF offset);
    void setCurrentDrag(QSizeF drag);
    void setEndingShow(bool value);

    PageScriptSource scriptSource() const;
    QCoro::Task<> runScript(LivePageScripts::Script script);
    QCoro::Task<> settleAfterPause(bool reinstallBidObserver);

    QCoro::Task<> sessionTask();
    void followNavigation();
    void stopFollowingNavigation();
    bool captureActive() const;
    // False when the id can never load (it is then forgotten).
    bool navigateToStream(const QString &streamId);
    void onAuthenticatedChanged(bool authenticated);
    QCoro::Task<> navigateAfterSignIn(QString streamId, quint64 ticket);

    void onPageAddressChanged(const QUrl &address);
    void pauseForForeignStream();
    void resumeAfterForeignStream();
    void startCapture();

    QCoro::Task<> captureTask();
    void takeStreamIdFromPage();
    QCoro::Task<bool> startOrResumeShow(quint64 generation);
    bool pageOnActiveStream() const;
    // The title for a new show; nullopt when the show was let go meanwhile.
    QCoro::Task<std::optional<QString>> newShowTitle(quint64 generation);
    void startRetryingShowStart();
    QCoro::Task<> retryShowStart(quint64 generation);

    void letGoOfShow();
    QCoro::Task<> endShowTask();
    void checkPauseAfterShow();

    LiveServices m_services;
    std::unique_ptr<SoldAuctionRoad> m_road;

    ScreenState m_screenState = ScreenState::signedOut;
    bool m_showLoginWebView = false;
    LiveTab m_selectedTab = LiveTab::sold;
    bool m_webViewExpanded = false;
    QSizeF m_pipOffset{0, 0};
    QSizeF m_currentDrag{0, 0};
    bool m_showVideo = false;
    bool m_streamClean = true;
    bool m_showAdmin = false;
    bool m_showEndConfirmation = false;
    bool m_endingShow = false;
};

} // namespace quill
