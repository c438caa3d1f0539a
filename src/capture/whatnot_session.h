#pragma once

#include "backend/zav_api_client.h"
#include "capture/marketplace_page.h"
#include "capture/page_script_host.h"
#include "common/clock.h"
#include "common/error.h"

#include <QCoroTask>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>

QT_BEGIN_NAMESPACE
class QWebEnginePage;
QT_END_NAMESPACE

namespace quill {

class Settings;

namespace detail {
class NavigationObserver;
}

// A stream id that cannot be one segment of the live page's address.
class InvalidStreamIdError : public Error
{
public:
    using Error::Error;
};

struct WhatnotSessionOptions
{
    // The marketplace's home page and the prefix of a show's live page
    // ("<prefix><stream id>"). Unset, the session loads nothing and reports why.
    QUrl homeURL;
    QString livePrefix;

    Settings *settings = nullptr; // required
    Sleeper *sleeper = nullptr;   // nullptr: TimerSleeper
    Clock *clock = nullptr;       // nullptr: SystemClock

    // The page. Unset: a Qt WebEngine page on the named persistent profile below.
    std::unique_ptr<MarketplacePage> page;
    QString profileName = QStringLiteral("Marketplace");
    QString storageFolder; // empty: "MarketplaceProfile" in the application's data folder
    std::chrono::milliseconds scriptTimeout{5000};
};

// The application's one marketplace page: loads the home page or a show's live
// page, follows the page's navigation, recovers it after its render process dies,
// finds out whether the seller is logged in to the marketplace (and remembers it
// per user), and logs the seller out of the marketplace.
class WhatnotSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WhatnotSession)
    Q_PROPERTY(bool isAuthenticated READ isAuthenticated NOTIFY isAuthenticatedChanged)
    Q_PROPERTY(bool isLoggingOut READ isLoggingOut NOTIFY isLoggingOutChanged)
    Q_PROPERTY(QUrl currentURL READ currentURL NOTIFY currentURLChanged)
    Q_PROPERTY(QString error READ errorText NOTIFY errorChanged)
    Q_PROPERTY(bool isRecovering READ isRecovering NOTIFY isRecoveringChanged)
    Q_PROPERTY(quill::ZavAPIClient *api READ api WRITE setApi NOTIFY apiChanged)

public:
    // The cached login flag's base key (stored per user through UserScoped).
    static inline const QString kAuthenticatedKey = QStringLiteral("whatnot_authenticated");
    static constexpr std::chrono::milliseconds kAuthPollInterval{2000};
    // A page that dies again before it has answered a scan since its reload is
    // reloaded this many times (after 1, 2 and 4 s); the next crash ends the loop
    // with an error. A page that answered, or a crash more than kCrashWindow after
    // the last one, starts the count afresh: a page that lives between crashes is
    // reloaded however often it dies.
    static constexpr int kMaxCrashReloads = 3;
    static constexpr std::chrono::milliseconds kCrashWindow{60000};

    explicit WhatnotSession(WhatnotSessionOptions options, QObject *parent = nullptr);
    ~WhatnotSession() override;

    // The page to show on screen (nullptr when the session runs on a test page).
    // Keep it in a shown view while capturing: a page that is not shown has no
    // viewport, and the engine throttles its timers as in a hidden tab.
    QWebEnginePage *webPage() const;
    MarketplacePage &page() const { return *m_page; }
    // Runs the readers' page scripts in the session's page.
    PageScriptHost &scriptHost() const { return m_page->scriptHost(); }

    const QUrl &homeURL() const { return m_homeURL; }
    const QString &livePrefix() const { return m_livePrefix; }

    bool isAuthenticated() const { return m_isAuthenticated; }
    bool isLoggingOut() const { return m_isLoggingOut; }
    // Empty when the page had no address.
    QUrl currentURL() const { return m_currentURL; }
    const std::optional<QString> &error() const { return m_error; }
    QString errorText() const { return m_error.value_or(QString()); }
    // From a render-process death that a navigation loop follows until the reloaded
    // page has finished loading (or the loop gave up): the page's scripts fail
    // meanwhile, and readers wait instead of counting those failures.
    bool isRecovering() const { return m_isRecovering; }
    // A capture loop's scan was answered: the page lives (the reloaded one may answer
    // before it has finished loading), so its next crash is a first one.
    void pageAnswered();

    // The backend client the onboarding step is reported through; held weakly, so it
    // reads nullptr (and apiChanged says so) once that client is destroyed.
    ZavAPIClient *api() const { return m_api.data(); }
    void setApi(ZavAPIClient *api);

    // The marketplace home page, unless a logout is under way. An address that is
    // not valid loads nothing and sets `error`.
    void load();
    // The show's live page. `streamId` must be one plain path segment (letters,
    // digits, "-", "_", ".", "~"; not "." or ".."); anything else throws
    // InvalidStreamIdError and loads nothing.
    void navigateToStream(const QString &streamId);
    static bool isValidStreamId(const QString &streamId);
    // The live page address of a valid stream id (empty URL otherwise).
    QUrl streamURL(const QString &streamId) const;

    // Follows the page's navigation until the page closes, a navigation fails,
    // the page keeps crashing, stopObservingNavigation() is called or the session
    // is destroyed. Never throws. Events are taken on the next turn of the event loop.
    QCoro::Task<> observeNavigation();
    // Ends every running navigation loop (its caller went away).
    void stopObservingNavigation();

    // Logs out at once (isAuthenticated false on return) and clears the
    // marketplace's cookies and site data in the background; logoutFinished()
    // tells when that is done.
    void logout();

    // One login check in the page; never throws.
    QCoro::Task<> checkAuth();
    // Checks every 2 s until logged in. Only one poll runs at a time: a call while
    // one runs returns at once.
    QCoro::Task<> pollForAuth();
    bool isPollingForAuth() const { return m_authPollRunning; }
    void setAuthenticated(bool value);

    // The signed-in user changed (UserScoped::setCurrentUser): reads the cached
    // login flag of the new user.
    void currentUserChanged();

    // The stored key of the cached login flag for the current user.
    static QString cachedFlagKey();
    // Whether `url` is on the marketplace (its host is the home page's host or a
    // subdomain of the home page's domain).
    bool isMarketplaceURL(const QUrl &url) const;

    // The script the login check runs (for tests of its verdicts).
    static QString authCheckScript();

Q_SIGNALS:
    void isAuthenticatedChanged(bool isAuthenticated);
    void isLoggingOutChanged(bool isLoggingOut);
    void currentURLChanged(const QUrl &url);
    void errorChanged(const QString &error);
    void isRecoveringChanged(bool isRecovering);
    void apiChanged(quill::ZavAPIClient *api);
    void logoutFinished();

private:
    struct AuthCheckInfo;

    Settings &settings() const;
    void setIsLoggingOut(bool value);
    void setCurrentURL(const QUrl &url);
    void setError(std::optional<QString> error);
    void setRecovering(bool value);
    void followCachedFlagKey();
    void onNavigationEvent(const NavigationEvent &event);
    QString pageAddressForLog() const;
    // A navigation loop ended: without another loop to follow it, no recovery goes on.
    void navigationLoopEnded(detail::NavigationObserver *ended);

    QCoro::Task<> clearSiteData();
    QCoro::Task<> reportOnboarding(QPointer<ZavAPIClient> api);
    // Returns false when the page keeps crashing and the loop must end.
    QCoro::Task<bool> recoverFromCrash(NavigationEvent event);

    QUrl m_homeURL;
    QString m_livePrefix;
    Settings *m_settings;
    Sleeper &m_sleeper;
    Clock &m_clock;
    std::unique_ptr<MarketplacePage> m_page;

    bool m_isAuthenticated = false;
    bool m_isLoggingOut = false;
    QUrl m_currentURL;
    std::optional<QString> m_error;
    QPointer<ZavAPIClient> m_api;
    QMetaObject::Connection m_apiGone;

    QString m_flagKey; // the key m_isAuthenticated was last read from / written to
    bool m_authPollRunning = false;

    QList<QPointer<detail::NavigationObserver>> m_observers;
    quint64 m_crashSequence = 0;      // render-process deaths seen
    quint64 m_lastRecoveredCrash = 0; // the one a loop already reloaded for
    int m_crashCount = 0;             // crashes since the page last answered a scan
    QDateTime m_lastCrashAt;
    bool m_isRecovering = false;
    bool m_reloadIssued = false; // the recovering page's reload was asked for

    // Expires first thing in the destructor, so resumed tasks never touch a dying session.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace quill
