#include "capture/whatnot_session.h"

#include "backend/zav_api_client.h"
#include "capture/webengine_marketplace_page.h"
#include "common/detached_task.h"
#include "common/logging.h"
#include "common/next_signal.h"
#include "common/settings.h"
#include "common/user_scoped.h"

#include <QCoroSignal>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>

namespace quill {

namespace {

QString addressText(const QUrl &url)
{
    return url.isEmpty() ? QStringLiteral("nil") : url.toString(QUrl::FullyEncoded);
}

QString scriptResource(const QString &name)
{
    QFile file(QStringLiteral(":/capture/scripts/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("page script %s is missing from the program's resources", qPrintable(name));
    return QString::fromUtf8(file.readAll());
}

const char *yesNo(bool value)
{
    return value ? "true" : "false";
}

QString describe(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Undefined:
        return QStringLiteral("undefined");
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(value.toDouble());
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    }
    return {};
}

} // namespace

namespace detail {

// One running navigation loop's own queue of page events ("a fresh sequence").
class NavigationObserver final : public QObject
{
    Q_OBJECT

public:
    struct Entry
    {
        NavigationEvent event;
        quint64 crash = 0; // which render-process death this is (for that kind)
    };

    QList<Entry> queue;
    bool stopped = false;

    void push(Entry entry)
    {
        queue.append(std::move(entry));
        Q_EMIT changed();
    }
    void stop()
    {
        stopped = true;
        Q_EMIT changed();
    }

Q_SIGNALS:
    void changed();
};

} // namespace detail

using detail::NavigationObserver;

struct WhatnotSession::AuthCheckInfo
{
    bool hasLoginLink = false;
    bool isLoginPage = false;
    bool hasLoginForm = false;
    std::optional<QString> matchedSelector;
    bool isLoggedIn = false;

    // The answer text of the login-check script; nothing when it is not one.
    static std::optional<AuthCheckInfo> decode(const QJsonValue &answer)
    {
        if (!answer.isString())
            return std::nullopt;
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(answer.toString().toUtf8(), &parseError);
        if (parseError.error != QJsonParseError::NoError || !document.isObject())
            return std::nullopt;
        const QJsonObject object = document.object();
        const QJsonValue link = object.value(QLatin1String("hasLoginLink"));
        const QJsonValue page = object.value(QLatin1String("isLoginPage"));
        const QJsonValue form = object.value(QLatin1String("hasLoginForm"));
        const QJsonValue selector = object.value(QLatin1String("matchedSelector"));
        const QJsonValue loggedIn = object.value(QLatin1String("isLoggedIn"));
        if (!link.isBool() || !page.isBool() || !form.isBool() || !loggedIn.isBool())
            return std::nullopt;
        if (!selector.isString() && !selector.isNull() && !selector.isUndefined())
            return std::nullopt;
        AuthCheckInfo info;
        info.hasLoginLink = link.toBool();
        info.isLoginPage = page.toBool();
        info.hasLoginForm = form.toBool();
        if (selector.isString())
            info.matchedSelector = selector.toString();
        info.isLoggedIn = loggedIn.toBool();
        return info;
    }
};

WhatnotSession::WhatnotSession(WhatnotSessionOptions options, QObject *parent)
    : QObject(parent), m_homeURL(options.homeURL), m_livePrefix(options.livePrefix),
      m_settings(&Settings::handedIn(options.settings, "WhatnotSession")),
      m_sleeper(options.sleeper ? *options.sleeper : TimerSleeper::instance()),
      m_clock(options.clock ? *options.clock : SystemClock::instance()), m_page(std::move(options.page))
{
    if (!m_page) {
        // Script time-outs are real time even when the session's own pauses are not.
        m_page = std::make_unique<WebEngineMarketplacePage>(options.profileName, options.storageFolder,
                                                            TimerSleeper::instance(), options.scriptTimeout);
    }
    connect(m_page.get(), &MarketplacePage::navigationEvent, this, &WhatnotSession::onNavigationEvent);

    m_flagKey = cachedFlagKey();
    m_isAuthenticated = settings().boolValue(m_flagKey);
    qCInfo(lcWhatnotSession, "🔥 WhatnotSession init — cached auth: %s", yesNo(m_isAuthenticated));
}

WhatnotSession::~WhatnotSession()
{
    m_alive.reset();
    disconnect(m_page.get(), nullptr, this, nullptr);
    // Running loops end on the next turn of the event loop, not inside this destructor.
    for (const QPointer<NavigationObserver> &observer : std::as_const(m_observers)) {
        if (observer)
            QMetaObject::invokeMethod(observer.data(), &NavigationObserver::stop, Qt::QueuedConnection);
    }
    m_page.reset();
}

QWebEnginePage *WhatnotSession::webPage() const
{
    return m_page->webPage();
}

Settings &WhatnotSession::settings() const
{
    return *m_settings;
}

QString WhatnotSession::cachedFlagKey()
{
    return UserScoped::scopedKey(kAuthenticatedKey);
}

void WhatnotSession::setApi(ZavAPIClient *api)
{
    if (m_api == api)
        return;
    disconnect(m_apiGone);
    m_api = api;
    if (api)
        m_apiGone = connect(api, &QObject::destroyed, this, [this] { Q_EMIT apiChanged(nullptr); });
    Q_EMIT apiChanged(api);
}

// --- observable state --------------------------------------------------------

void WhatnotSession::setIsLoggingOut(bool value)
{
    if (m_isLoggingOut == value)
        return;
    m_isLoggingOut = value;
    Q_EMIT isLoggingOutChanged(value);
}

void WhatnotSession::setCurrentURL(const QUrl &url)
{
    if (m_currentURL == url)
        return;
    m_currentURL = url;
    Q_EMIT currentURLChanged(url);
}

void WhatnotSession::setRecovering(bool value)
{
    if (m_isRecovering == value)
        return;
    m_isRecovering = value;
    Q_EMIT isRecoveringChanged(value);
}

void WhatnotSession::pageAnswered()
{
    if (m_crashCount == 0)
        return;
    qCInfo(lcWhatnotSession, "🔥 page answered after %d crash(es) — the next crash counts afresh",
           m_crashCount);
    m_crashCount = 0;
}

void WhatnotSession::setError(std::optional<QString> error)
{
    if (m_error == error)
        return;
    m_error = std::move(error);
    Q_EMIT errorChanged(errorText());
}

void WhatnotSession::followCachedFlagKey()
{
    // The flag belongs to the signed-in user: read it under the key it is
    // written with, whoever is signed in now.
    const QString key = cachedFlagKey();
    if (key == m_flagKey)
        return;
    m_flagKey = key;
    const bool stored = settings().boolValue(key);
    qCInfo(lcWhatnotSession, "🔥 signed-in user changed — cached auth: %s", yesNo(stored));
    if (stored == m_isAuthenticated)
        return;
    m_isAuthenticated = stored;
    Q_EMIT isAuthenticatedChanged(stored);
}

void WhatnotSession::currentUserChanged()
{
    followCachedFlagKey();
}

// --- page requests -----------------------------------------------------------

void WhatnotSession::load()
{
    if (m_isLoggingOut) {
        qCInfo(lcWhatnotSession, "🔥 load() — skipping, logout in progress");
        return;
    }
    if (!m_homeURL.isValid() || m_homeURL.isRelative()) {
        qCCritical(lcWhatnotSession, "🔥 load() — not a valid address: %s",
                   qUtf8Printable(m_homeURL.toString()));
        setError(tr("The marketplace's home page address \"%1\" is not a valid address.")
                     .arg(m_homeURL.toString()));
        return;
    }
    qCInfo(lcWhatnotSession, "🔥 load() → %s", qUtf8Printable(addressText(m_homeURL)));
    m_page->load(m_homeURL);
}

bool WhatnotSession::isValidStreamId(const QString &streamId)
{
    static const QRegularExpression segment(QStringLiteral("^[A-Za-z0-9._~-]{1,200}$"));
    return segment.match(streamId).hasMatch() && streamId != QLatin1String(".") &&
           streamId != QLatin1String("..");
}

QUrl WhatnotSession::streamURL(const QString &streamId) const
{
    if (!isValidStreamId(streamId))
        return {};
    const QUrl url(m_livePrefix + streamId, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return {};
    return url;
}

void WhatnotSession::navigateToStream(const QString &streamId)
{
    if (!isValidStreamId(streamId)) {
        qCWarning(lcWhatnotSession, "🔥 navigateToStream() — refused stream id \"%s\"",
                  qUtf8Printable(streamId));
        throw InvalidStreamIdError(tr("\"%1\" is not a stream id. Use the last part of the show's address, "
                                      "after \"/live/\" (letters, digits, \"-\", \"_\", \".\" and \"~\").")
                                       .arg(streamId));
    }
    const QUrl url = streamURL(streamId);
    if (url.isEmpty()) {
        qCCritical(lcWhatnotSession, "🔥 navigateToStream() — not a valid address: %s",
                   qUtf8Printable(m_livePrefix + streamId));
        setError(tr("The marketplace's live page address \"%1\" is not a valid address.").arg(m_livePrefix));
        return;
    }
    qCInfo(lcWhatnotSession, "🔥 navigateToStream() → %s", qUtf8Printable(addressText(url)));
    m_page->load(url);
}

void WhatnotSession::navigationLoopEnded(NavigationObserver *ended)
{
    const bool followed =
        std::any_of(m_observers.cbegin(), m_observers.cend(), [ended](const QPointer<NavigationObserver> &o) {
            return o && o.data() != ended && !o->stopped;
        });
    if (followed)
        return;
    m_reloadIssued = false;
    setRecovering(false);
}

QString WhatnotSession::pageAddressForLog() const
{
    return addressText(m_page->url());
}

// --- navigation loop -----------------------------------------------------------

void WhatnotSession::onNavigationEvent(const NavigationEvent &event)
{
    NavigationObserver::Entry entry{event, 0};
    m_observers.removeIf([](const QPointer<NavigationObserver> &observer) { return observer.isNull(); });
    if (event.kind == NavigationEvent::Kind::webContentProcessTerminated) {
        entry.crash = ++m_crashSequence;
        // Recovery starts now, not when a loop takes the event on a later turn:
        // the dead page's pending scripts fail in this very turn.
        const bool followed = std::any_of(m_observers.cbegin(), m_observers.cend(),
                                          [](const QPointer<NavigationObserver> &o) { return !o->stopped; });
        if (followed) {
            m_reloadIssued = false;
            setRecovering(true);
        }
    }
    const QList<QPointer<NavigationObserver>> observers = m_observers;
    for (const QPointer<NavigationObserver> &observer : observers) {
        if (observer)
            observer->push(entry);
    }
}

void WhatnotSession::stopObservingNavigation()
{
    const QList<QPointer<NavigationObserver>> observers = m_observers;
    for (const QPointer<NavigationObserver> &observer : observers) {
        if (observer)
            observer->stop();
    }
}

QCoro::Task<> WhatnotSession::observeNavigation()
{
    const std::weak_ptr<int> alive = m_alive;
    m_crashCount = 0; // a new loop is a fresh start after the page kept crashing

    // Runs on by itself; only one poll runs at a time.
    startDetached(pollForAuth(), lcWhatnotSession(), "Sign-in poll");
    if (alive.expired())
        co_return;
    qCInfo(lcWhatnotSession, "🔥 observeNavigation() — starting navigation loop");

    auto observer = std::make_unique<NavigationObserver>();
    m_observers.append(QPointer<NavigationObserver>(observer.get()));
    // However the loop ends, a recovery no other loop follows is over.
    struct LoopEnd
    {
        WhatnotSession *session;
        std::weak_ptr<int> alive;
        NavigationObserver *observer;
        ~LoopEnd()
        {
            if (!alive.expired())
                session->navigationLoopEnded(observer);
        }
    } loopEnd{this, alive, observer.get()};

    for (;;) {
        while (observer->queue.isEmpty() && !observer->stopped)
            co_await nextSignal(observer.get(), &NavigationObserver::changed);
        if (alive.expired())
            co_return;
        if (observer->queue.isEmpty()) {
            qCInfo(lcWhatnotSession, "🔥 observeNavigation() — navigation sequence ended");
            qCInfo(lcWhatnotSession, "🔥 observeNavigation() — exited");
            co_return;
        }
        const NavigationObserver::Entry entry = observer->queue.takeFirst();
        const NavigationEvent &event = entry.event;
        switch (event.kind) {
        case NavigationEvent::Kind::startedProvisionalNavigation:
            qCInfo(lcWhatnotSession, "🔥 nav: startedProvisionalNavigation → %s",
                   qUtf8Printable(pageAddressForLog()));
            break;
        case NavigationEvent::Kind::receivedServerRedirect:
            qCInfo(lcWhatnotSession, "🔥 nav: receivedServerRedirect → %s",
                   qUtf8Printable(pageAddressForLog()));
            break;
        case NavigationEvent::Kind::committed:
            qCInfo(lcWhatnotSession, "🔥 nav: committed → %s", qUtf8Printable(pageAddressForLog()));
            setCurrentURL(m_page->url());
            break;
        case NavigationEvent::Kind::finished:
            qCInfo(lcWhatnotSession, "🔥 nav: finished → %s", qUtf8Printable(pageAddressForLog()));
            setCurrentURL(m_page->url());
            if (m_reloadIssued) {
                m_reloadIssued = false;
                setRecovering(false);
            }
            if (!m_isAuthenticated) {
                co_await checkAuth();
                if (alive.expired())
                    co_return;
            }
            break;
        case NavigationEvent::Kind::other:
            qCInfo(lcWhatnotSession, "🔥 nav: other event");
            break;
        case NavigationEvent::Kind::webContentProcessTerminated: {
            qCCritical(lcWhatnotSession, "🔥 observeNavigation() catch — %s",
                       qUtf8Printable(event.description));
            if (entry.crash <= m_lastRecoveredCrash)
                break; // another loop reloads for this one
            m_lastRecoveredCrash = entry.crash;
            const bool goOn = co_await recoverFromCrash(event);
            if (alive.expired())
                co_return;
            if (!goOn) {
                qCInfo(lcWhatnotSession, "🔥 observeNavigation() — exited");
                co_return;
            }
            // What the dead page reported before the reload is stale.
            observer->queue.removeIf([](const NavigationObserver::Entry &stale) {
                return stale.event.kind != NavigationEvent::Kind::webContentProcessTerminated;
            });
            const QUrl target = m_page->url().isEmpty() ? m_homeURL : m_page->url();
            m_reloadIssued = true;
            m_page->load(target);
            break;
        }
        case NavigationEvent::Kind::pageClosed:
            qCCritical(lcWhatnotSession, "🔥 observeNavigation() catch — %s",
                       qUtf8Printable(event.description));
            qCInfo(lcWhatnotSession, "🔥 Page closed gracefully — exiting navigation loop");
            qCInfo(lcWhatnotSession, "🔥 observeNavigation() — exited");
            co_return;
        case NavigationEvent::Kind::failed:
            qCCritical(lcWhatnotSession, "🔥 observeNavigation() catch — %s",
                       qUtf8Printable(event.description));
            qCCritical(lcWhatnotSession, "🔥 Unrecoverable navigation error: %s",
                       qUtf8Printable(event.description));
            setError(tr("Navigation failed: %1").arg(event.localizedDescription));
            qCInfo(lcWhatnotSession, "🔥 observeNavigation() — exited");
            co_return;
        }
    }
}

QCoro::Task<bool> WhatnotSession::recoverFromCrash(NavigationEvent event)
{
    Q_UNUSED(event)
    const std::weak_ptr<int> alive = m_alive;
    const QDateTime now = m_clock.now();
    // Only deaths of a page that has not answered since its reload count together.
    if (m_lastCrashAt.isValid() && m_lastCrashAt.msecsTo(now) > kCrashWindow.count())
        m_crashCount = 0;
    m_lastCrashAt = now;
    ++m_crashCount;
    m_reloadIssued = false;
    setRecovering(true);

    if (m_crashCount > kMaxCrashReloads) {
        qCCritical(lcWhatnotSession,
                   "🔥 Web content process terminated %d times in a row — not reloading again", m_crashCount);
        setError(tr("The marketplace page stopped working %1 times in a row and was not reloaded again, so "
                    "wins are not captured. Open the show again to retry.")
                     .arg(m_crashCount));
        co_return false;
    }

    // Back off 1, 2, 4 s so a page that dies on every load is not reloaded in a tight loop.
    const std::chrono::milliseconds pause{1000LL << (m_crashCount - 1)};
    qCCritical(lcWhatnotSession,
               "🔥 Web content process terminated — reloading page in %lld ms (attempt %d of %d)",
               static_cast<long long>(pause.count()), m_crashCount, kMaxCrashReloads);
    setError(std::nullopt);
    try {
        co_await m_sleeper.sleep(pause);
    } catch (...) {
        // A failed pause only shortens the wait.
    }
    if (alive.expired())
        co_return false;
    co_return true;
}

// --- login detection -------------------------------------------------------------

QString WhatnotSession::authCheckScript()
{
    static const QString script = scriptResource(QStringLiteral("auth_check.js"));
    return script;
}

bool WhatnotSession::isMarketplaceURL(const QUrl &url) const
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    const QString host = url.host().toLower();
    const QString home = m_homeURL.host().toLower();
    if (home.isEmpty())
        return false;
    if (host == home)
        return true;
    const QString domain = home.startsWith(QLatin1String("www.")) ? home.mid(4) : home;
    return host == domain || host.endsWith(QLatin1Char('.') + domain);
}

QCoro::Task<> WhatnotSession::checkAuth()
{
    const std::weak_ptr<int> alive = m_alive;
    followCachedFlagKey();
    if (m_isLoggingOut) {
        qCInfo(lcWhatnotSession, "🔥 checkAuth() — skipping, logout in progress");
        co_return;
    }
    const QUrl url = m_page->url();
    qCInfo(lcWhatnotSession, "🔥 checkAuth() — url: %s",
           qUtf8Printable(url.isEmpty() ? QString() : url.toString(QUrl::FullyEncoded)));
    if (!isMarketplaceURL(url)) {
        qCInfo(lcWhatnotSession, "🔥 checkAuth() — skipping, not %s", qUtf8Printable(m_homeURL.host()));
        co_return;
    }
    const QString path = url.path();
    if (path.contains(QLatin1String("/login")) || path.contains(QLatin1String("/signup"))) {
        qCInfo(lcWhatnotSession, "🔥 checkAuth() — skipping, login/signup page");
        co_return;
    }

    QJsonValue answer;
    bool failed = false;
    QString failure;
    QString script = authCheckScript();
    try {
        answer = co_await m_page->scriptHost().run(std::move(script));
    } catch (const PageScriptError &error) {
        failed = true;
        failure = error.message();
    }
    if (alive.expired())
        co_return;
    if (failed) {
        qCCritical(lcWhatnotSession, "🔥 checkAuth() JS error: %s", qUtf8Printable(failure));
        co_return;
    }

    const std::optional<AuthCheckInfo> info = AuthCheckInfo::decode(answer);
    if (!info) {
        qCCritical(lcWhatnotSession, "🔥 checkAuth() — could not parse JS result: %s",
                   qUtf8Printable(describe(answer)));
        co_return;
    }
    qCInfo(lcWhatnotSession,
           "🔥 checkAuth() — result: isLoggedIn=%s selector=%s loginLink=%s loginPage=%s loginForm=%s",
           yesNo(info->isLoggedIn), qUtf8Printable(info->matchedSelector.value_or(QStringLiteral("none"))),
           yesNo(info->hasLoginLink), yesNo(info->isLoginPage), yesNo(info->hasLoginForm));
    // A logout that began while the script ran wins over the page's older verdict.
    if (m_isLoggingOut) {
        qCInfo(lcWhatnotSession, "🔥 checkAuth() — logout started meanwhile, result dropped");
        co_return;
    }
    setAuthenticated(info->isLoggedIn);
}

QCoro::Task<> WhatnotSession::pollForAuth()
{
    const std::weak_ptr<int> alive = m_alive;
    if (m_authPollRunning) {
        qCInfo(lcWhatnotSession, "🔥 pollForAuth() — already running");
        co_return;
    }
    m_authPollRunning = true;
    qCInfo(lcWhatnotSession, "🔥 pollForAuth() — starting");
    while (!m_isAuthenticated) {
        try {
            co_await m_sleeper.sleep(kAuthPollInterval);
        } catch (...) {
            // A failed pause only shortens the wait.
        }
        if (alive.expired())
            co_return;
        followCachedFlagKey();
        if (m_isAuthenticated) {
            qCInfo(lcWhatnotSession, "🔥 pollForAuth() — already authenticated, stopping");
            m_authPollRunning = false;
            co_return;
        }
        qCInfo(lcWhatnotSession, "🔥 pollForAuth() — polling cycle, url: %s",
               qUtf8Printable(pageAddressForLog()));
        setCurrentURL(m_page->url());
        co_await checkAuth();
        if (alive.expired())
            co_return;
    }
    qCInfo(lcWhatnotSession, "🔥 pollForAuth() — done, authenticated");
    m_authPollRunning = false;
}

void WhatnotSession::setAuthenticated(bool value)
{
    followCachedFlagKey();
    if (m_isAuthenticated == value)
        return;
    qCInfo(lcWhatnotSession, "🔥 setAuthenticated(%s) — was %s", yesNo(value), yesNo(m_isAuthenticated));
    m_isAuthenticated = value;
    Q_EMIT isAuthenticatedChanged(value);
    UserScoped::setValue(kAuthenticatedKey, value, settings());
    if (!value)
        return;
    // Logged in again after a logout: removing the storage at the next start
    // would log the seller out once more.
    if (m_page->isStorageWipePending())
        m_page->setStorageWipePending(false);
    if (m_api)
        // Runs on by itself; its outcome is not awaited.
        startDetached(reportOnboarding(m_api), lcWhatnotSession(), "Onboarding report");
}

QCoro::Task<> WhatnotSession::reportOnboarding(QPointer<ZavAPIClient> api)
{
    if (!api)
        co_return;
    QString slug = QStringLiteral("quillmark");
    QString step = QStringLiteral("whatnot");
    try {
        co_await api->completeOnboardingStep(std::move(slug), std::move(step));
    } catch (const std::exception &error) {
        qCInfo(lcWhatnotSession, "🔥 onboarding step \"whatnot\" not reported: %s", error.what());
    }
}

// --- logout -----------------------------------------------------------------------

void WhatnotSession::logout()
{
    followCachedFlagKey();
    qCInfo(lcWhatnotSession, "🔥 logout() called — isAuthenticated=%s, url=%s", yesNo(m_isAuthenticated),
           qUtf8Printable(pageAddressForLog()));
    if (m_isLoggingOut) {
        qCInfo(lcWhatnotSession, "🔥 logout() — already in progress");
        return;
    }
    setIsLoggingOut(true);
    setAuthenticated(false);
    // Runs on by itself; logoutFinished() tells the end.
    startDetached(clearSiteData(), lcWhatnotSession(), "Site data removal");
}

QCoro::Task<> WhatnotSession::clearSiteData()
{
    const std::weak_ptr<int> alive = m_alive;

    const QList<QNetworkCookie> before = m_page->cookies();
    qCInfo(lcWhatnotSession, "🔥 logout() — cookie store has %lld cookies before clear",
           static_cast<long long>(before.size()));
    for (const QNetworkCookie &cookie : before) {
        qCInfo(lcWhatnotSession, "🔥 logout() — cookie: %s domain=%s path=%s", cookie.name().constData(),
               qUtf8Printable(cookie.domain()), qUtf8Printable(cookie.path()));
    }

    qCInfo(lcWhatnotSession,
           "🔥 logout() — clearing website data: cookies, HTTP cache, visited links, site storage");
    co_await m_page->clearWebsiteData();
    if (alive.expired())
        co_return;
    // Local storage, IndexedDB and the like have no removal call here: the
    // profile's storage folder goes at the next start, and the marketplace
    // origin's storage is emptied now if the page is still on it.
    m_page->setStorageWipePending(true);
    if (isMarketplaceURL(m_page->url())) {
        QString script = scriptResource(QStringLiteral("site_storage_clear.js"));
        QString outcome;
        try {
            const QJsonValue answer = co_await m_page->scriptHost().run(std::move(script));
            outcome = answer.toString();
        } catch (const PageScriptError &error) {
            outcome = QStringLiteral("failed: ") + error.message();
        }
        if (alive.expired())
            co_return;
        qCInfo(lcWhatnotSession, "🔥 logout() — site storage of the marketplace origin: %s",
               qUtf8Printable(outcome));
    }
    qCInfo(lcWhatnotSession, "🔥 logout() — website data removal completed");

    const QList<QNetworkCookie> after = m_page->cookies();
    qCInfo(lcWhatnotSession, "🔥 logout() — cookie store has %lld cookies AFTER clear",
           static_cast<long long>(after.size()));
    for (const QNetworkCookie &cookie : after) {
        qCInfo(lcWhatnotSession, "🔥 logout() — REMAINING cookie: %s domain=%s", cookie.name().constData(),
               qUtf8Printable(cookie.domain()));
    }

    qCInfo(lcWhatnotSession, "🔥 logout() — navigating to about:blank to flush in-memory state");
    m_page->load(QUrl(QStringLiteral("about:blank")));

    m_flagKey = cachedFlagKey();
    settings().remove(m_flagKey);
    qCInfo(lcWhatnotSession, "🔥 logout() — removed whatnot_authenticated from UserDefaults");

    qCInfo(lcWhatnotSession, "🔥 logout() — complete, setting isLoggingOut=false");
    setIsLoggingOut(false);
    Q_EMIT logoutFinished();
}

} // namespace quill

#include "whatnot_session.moc"
