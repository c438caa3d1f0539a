#pragma once

#include "printing/print_job.h"
#include "ui/live/live_tab.h"

#include <QLocale>
#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>

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
    AppState &app; // the rows' one-click prints and the print log read the rest of the application here
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

// The live show screen without its widgets: which of the three states is shown, the
// layout of the live content, the header, staff tools and status bar. The show itself
// runs in the application's LiveShowSession; the seller's actions are handed to it.
//
// The view binds to its properties and calls its operations; it calls
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
    Q_PROPERTY(QString queueBannerText READ queueBannerText NOTIFY queueBannerChanged)
    Q_PROPERTY(bool canFixQueue READ canFixQueue NOTIFY queueBannerChanged)
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

    // The picture-in-picture box and its margin from the bottom-right corner, in points.
    static constexpr QSizeF kPipSize{200, 356};
    static constexpr qreal kPipMargin = 12;
    static constexpr qreal kExpandedShare = 0.4;

    static inline const QString kEndConfirmationTitle = QStringLiteral("End this show?");
    static inline const QString kEndConfirmationMessage =
        QStringLiteral("This will stop capturing auctions and end the current show.");

    explicit LiveShowController(LiveServices services, QObject *parent = nullptr);
    ~LiveShowController() override;

    const LiveServices &services() const { return m_services; }

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
    // A printer's queue is stopped or refuses jobs.
    bool showQueueBanner() const;
    // "Printer queue stopped", else lp's words for a queue that refuses jobs.
    QString queueBannerText() const;
    // Fix re-enables stopped queues; it cannot make a queue accept jobs again.
    bool canFixQueue() const;
    // The first error set, in the header's order; empty when none.
    QString errorText() const;
    bool isSyncing() const;
    bool isPolling() const;
    int capturedCount() const;
    QString capturedText() const; // "%lld captured"
    bool showEndShowButton() const;
    bool showLeaveStream() const;
    bool showEndConfirmation() const { return m_showEndConfirmation; }
    bool isEndingShow() const;

    // Where the picture-in-picture box's top-left corner is, in an area of `area`.
    QPointF pipOrigin(QSizeF area) const;
    static QPointF pipOriginFor(QSizeF area, QSizeF offset, QSizeF drag);
    // The text of a label mode in the picker: "Winner", "Box", "Winner + Box".
    static QString labelModeTitle(LabelMode mode);

public Q_SLOTS:
    // --- the view coming and going (handed to the show) ------------------------
    void screenShown();
    void screenHidden();
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
    void queueBannerChanged();
    void errorTextChanged(const QString &text);
    void isSyncingChanged(bool value);
    void isPollingChanged(bool value);
    void capturedCountChanged(int count);
    void showEndShowButtonChanged(bool value);
    void showLeaveStreamChanged(bool value);
    void showEndConfirmationChanged(bool value);
    void isEndingShowChanged(bool value);

private:
    struct Derived;

    ScreenState computeScreenState() const;
    Derived computeDerived() const;
    void refreshScreenState();
    void refreshDerived();
    void setPipOffset(QSizeF offset);
    void setCurrentDrag(QSizeF drag);

    LiveServices m_services;
    std::unique_ptr<Derived> m_derived;

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
};

} // namespace quill
