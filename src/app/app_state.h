#pragma once

#include "app/app_setup.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <memory>
#include <optional>

namespace quill {

class AuctionPoller;
class AuthManager;
class AuthState;
class AutoPrintManager;
class BidderTracker;
class CustomMediaStore;
class LabelAppearanceStore;
class LiveShowSession;
class PrintKitAdapter;
class PrintService;
class PrinterCalibrationStore;
class ShowHistoryStore;
class ShowSyncService;
class SoldScraper;
class TemplateStore;
class WhatnotSession;

// The signed-in user is one of the maker's staff (false while unknown or signed out).
bool isAdmin(const AuthState &state);

// The application's services, created once in a fixed order and never replaced,
// and their start-up. Screens reach every service through here.
//
// Building it wires nothing; start() does, when the main window first appears,
// and again whenever the window is shown afresh.
class AppState final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppState)

public:
    explicit AppState(AppSetup setup = {}, QObject *parent = nullptr);
    ~AppState() override;

    AuthManager &authManager() const { return *m_authManager; }
    PrintKitAdapter &printAdapter() const { return *m_printAdapter; }
    PrintService &printService() const { return *m_printService; }
    WhatnotSession &whatnotSession() const { return *m_whatnotSession; }
    AutoPrintManager &autoPrintManager() const { return *m_autoPrintManager; }
    ShowSyncService &showSyncService() const { return *m_showSyncService; }
    ShowHistoryStore &showHistoryStore() const { return *m_showHistoryStore; }
    AuctionPoller &auctionPoller() const { return *m_auctionPoller; }
    BidderTracker &bidderTracker() const { return *m_bidderTracker; }
    SoldScraper &soldScraper() const { return *m_soldScraper; }
    // Empty until the end of the first start-up, which loads it.
    TemplateStore &templateStore() const { return *m_templateStore; }
    // The live show, created on first use and kept for the rest of the run.
    LiveShowSession &liveShow();

    // The backend this build talks to (screens that build a client of their own use it).
    const QUrl &apiBaseURL() const { return m_apiBaseURL; }
    Settings &settings() const { return *m_settings; }
    // The stores the Labels screen edits and the print paths read.
    CustomMediaStore &customMediaStore() const { return *m_customMedia; }
    LabelAppearanceStore &labelAppearanceStore() const { return *m_appearance; }
    PrinterCalibrationStore &printerCalibrationStore() const { return *m_calibration; }

    // Restores the session, follows the account with the per-user flags, the
    // marketplace login flag and the show history, hands the backend client to the
    // services that need it, starts the printer refresh and, last, loads the label
    // templates. Never throws.
    //
    // Safe to run again (the window reopened): the restore and the hand-over are
    // repeated, but connections, the refresh timer and the instance guard's hooks
    // are made only once. A start asked for while one runs waits for that one.
    QCoro::Task<> start();
    bool isStarting() const { return m_starting; }
    // Starts that ran to the end.
    int completedStarts() const { return m_completedStarts; }

Q_SIGNALS:
    // A later start of the program asked for the running one: show and raise the main window.
    void activationRequested();
    void startFinished();

private:
    void buildServices(AppSetup &setup);
    void connectOnce();
    // The per-user scope, the marketplace login flag and the history store follow `userId`.
    void followAccount(const std::optional<QString> &userId);
    void reloadShowHistory();
    void refreshShowHistory();

    QUrl m_apiBaseURL;
    Settings *m_settings;
    QPointer<SingleInstanceGuard> m_instanceGuard;
    // Before the services that read them, so they go after them.
    std::unique_ptr<CustomMediaStore> m_customMedia;
    std::unique_ptr<PrinterCalibrationStore> m_calibration;
    LabelAppearanceStore *m_appearance = nullptr;

    // In the order they are created.
    std::unique_ptr<AuthManager> m_authManager;
    std::unique_ptr<PrintKitAdapter> m_printAdapter;
    std::unique_ptr<PrintService> m_printService;
    std::unique_ptr<WhatnotSession> m_whatnotSession;
    // Reads only its folder and the clock, so the services after it may go first.
    std::unique_ptr<TemplateStore> m_templateStore;
    std::unique_ptr<AutoPrintManager> m_autoPrintManager;
    std::unique_ptr<ShowSyncService> m_showSyncService;
    std::unique_ptr<ShowHistoryStore> m_showHistoryStore;
    std::unique_ptr<AuctionPoller> m_auctionPoller;
    std::unique_ptr<BidderTracker> m_bidderTracker;
    std::unique_ptr<SoldScraper> m_soldScraper;
    // Last: it goes before the services it drives.
    std::unique_ptr<LiveShowSession> m_liveShow;
    Sleeper *m_sleeper = nullptr;
    Clock *m_clock = nullptr;
    LiveShowSetup m_liveShowSetup;

    bool m_connected = false;
    bool m_starting = false;
    int m_completedStarts = 0;
};

} // namespace quill
