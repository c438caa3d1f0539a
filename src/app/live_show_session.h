#pragma once

#include "app/app_setup.h"
#include "backend/api_records.h"
#include "capture/live_page_scripts.h"
#include "capture/page_script_source.h"
#include "common/clock.h"
#include "printing/label_record_store.h"

#include <QCoroTask>
#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace quill {

class AuctionPoller;
class AutoPrintManager;
class BidderTracker;
class PrintKitAdapter;
class PrintService;
class Settings;
class ShowHistoryStore;
class ShowSyncService;
struct AuctionUpload;
class SoldAuctionRoad;
class SoldScraper;
class WhatnotSession;

// The services a live show runs on.
struct LiveShowServices
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
    Settings &settings;
};

// A live show as the application runs it, without widgets: the session task and the
// marketplace sign-in reaction, the capture task and the page-address reaction,
// starting or resuming the backend show (and trying again), the road of every sold
// auction to the print queue and the backend, and ending or leaving the show.
//
// The application keeps one for the whole run, so capture, printing and uploads go
// on whichever screen is shown. The live screen tells it when it comes and goes
// (screenShown/screenHidden) and when its live content is on screen.
class LiveShowSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveShowSession)

public:
    static constexpr std::chrono::milliseconds kSignInNavigationDelay{200};
    static constexpr std::chrono::milliseconds kScriptDelay{1000};
    // A new show's title is read from the stream's live page: until the page has loaded
    // it, the capture task looks again at this interval, for at most kLivePageWaitLimit.
    static constexpr std::chrono::milliseconds kLivePageCheckInterval{250};
    static constexpr std::chrono::milliseconds kLivePageWaitLimit{10000};

    static inline const QString kWaitingForBackendNotice =
        QStringLiteral("Waiting for the backend to restore this show's auctions. New wins are kept and print "
                       "once it answers.");
    static inline const QString kLabelRecordLostNotice =
        QStringLiteral("The record of this show's labels could not be read: labels from before the restart "
                       "count as printed. Check the last labels printed before it.");
    static inline const QString kLabelRecordWriteNotice =
        QStringLiteral("This show's labels could not be recorded on disk: if Quillmark restarts before they "
                       "are, labels may print again and box numbers change. Free up disk space.");
    static inline const QString kNoPrinterNotice =
        QStringLiteral("No printer found: labels cannot print until a printer is added to this computer.");
    static inline const QString kForeignStreamNotice =
        QStringLiteral("Capture is paused: the page shows another stream than this show's. Go back to the "
                       "show's stream, or end the show to start a new one.");

    LiveShowSession(LiveShowServices services, Sleeper &sleeper, Clock &clock, LiveShowSetup setup = {},
                    QObject *parent = nullptr);
    ~LiveShowSession() override;

    const LiveShowServices &services() const { return m_services; }
    SoldAuctionRoad &road() const { return *m_road; }

    // Signed in to the marketplace with a stream chosen: the live content is what the screen shows.
    bool onStream() const;
    bool isEndingShow() const { return m_endingShow; }
    // The printer list arrived and has no printer: no label can print.
    bool hasNoPrinter() const { return m_noPrinter; }
    // Why capture, printing or uploads wait, in a sentence for the seller; empty when nothing waits.
    // A label record that cannot be written says so first, until every line it holds is on disk.
    QString notice() const { return m_recordWriteFailed ? kLabelRecordWriteNotice : m_notice; }
    // The page layout the settle rule restores after a pause.
    bool webViewExpanded() const { return m_webViewExpanded; }
    bool streamClean() const { return m_streamClean; }

    // The stream id in a live page address: the path component after "live".
    static std::optional<QString> streamIdFromURL(const QUrl &url);

public Q_SLOTS:
    // The live screen came: runs the session task; the page's navigation is followed from here on.
    void screenShown();
    // The live screen went: navigation stays followed while capture runs.
    void screenHidden();
    // The live content is on screen: the capture task runs unless one already runs
    // for this show or the show was already taken up.
    void liveContentShown();

    // The page's layout: the strip or the floating box, and the clean stream.
    void setWebViewExpanded(bool value);
    void setStreamClean(bool value);
    // A live screen built anew starts from the floating box with the clean stream on.
    // No script runs: the page catches up at the next settle rule.
    void resetPageLayout();
    void muteVideo();

    void togglePrinting();
    void scrapeSold();
    void repairStoppedQueues();

    // Leaves the show locally and logs out of the marketplace.
    void disconnect();
    // Forgets the stream when no show is on.
    void leaveStream();
    // Ends the show on the backend; queued labels still print, then printing pauses.
    void endCurrentShow();

Q_SIGNALS:
    void isEndingShowChanged(bool value);
    void noticeChanged(const QString &text);

    // Ends of the session's tasks (tests and the screen may wait for them).
    void sessionTaskFinished();
    void captureTaskFinished();
    void navigatedAfterSignIn(const QString &streamId);
    void pageScriptsApplied();
    void queueRepairFinished();
    void soldScrapeFinished();
    void showEnded();

private:
    struct Impl;
    std::unique_ptr<Impl> d;

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
    QCoro::Task<> navigateAfterSignIn(quint64 ticket);
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
    // The show's backend auctions and pending uploads go into the capture list; held wins go on.
    void takeUp(const QString &showId, const QList<ServerAuction> &auctions,
                const QList<AuctionUpload> &pendingBeforeFetch);
    QCoro::Task<> retryRestore(QString showId, quint64 generation);
    // The show's label record, when there is one to go by (a new show starts an empty one).
    std::optional<LabelRecord> openLabelRecord(const QString &showId, bool newShow);
    void recordBoxNumbers();
    void onPrintersChanged();
    void setNotice(const QString &text);
    // The notice follows whether the label record's lines are all on disk.
    void watchRecord(const LabelRecordStore &store);
    void forgetLabelRecord();
    void updateNotice(const std::function<void()> &change);
    void startRetryingShowStart();
    QCoro::Task<> retryShowStart(quint64 generation);

    void letGoOfShow();
    QCoro::Task<> endShowTask();
    void checkPauseAfterShow();
    void setEndingShow(bool value);

    LiveShowServices m_services;
    std::unique_ptr<SoldAuctionRoad> m_road;
    bool m_endingShow = false;
    bool m_noPrinter = false;
    QString m_notice;
    bool m_recordWriteFailed = false;
    bool m_webViewExpanded = false;
    bool m_streamClean = true;
};

} // namespace quill
