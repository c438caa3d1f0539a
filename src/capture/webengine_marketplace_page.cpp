#include "capture/webengine_marketplace_page.h"

#include "common/logging.h"
#include "common/paths.h"

#include <QAuthenticator>
#include <QCoroSignal>
#include <QDir>
#include <QFile>
#include <QWebEngineCookieStore>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <functional>
#include <utility>

namespace quill {

class WebEngineMarketplacePage::DecidingPage final : public QWebEnginePage
{
public:
    DecidingPage(QWebEngineProfile *profile, const WhatnotNavigationDecider &decider,
                 std::function<void()> redirected, QObject *parent)
        : QWebEnginePage(profile, parent), m_decider(decider), m_redirected(std::move(redirected))
    {
        connect(this, &QWebEnginePage::authenticationRequired, this,
                [this](const QUrl &requestURL, QAuthenticator *authenticator) {
                    // Left unanswered, the engine handles the challenge itself (it cancels it).
                    const QString realm = authenticator ? authenticator->realm() : QString();
                    m_decider.decideAuthenticationChallenge(
                        requestURL, realm.isEmpty() ? QStringLiteral("http")
                                                    : QStringLiteral("http (realm \"%1\")").arg(realm));
                });
    }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool) override
    {
        // The engine asks again for the address a server redirect leads to.
        if (type == NavigationTypeRedirect)
            m_redirected();
        return m_decider.decidePolicy(url);
    }

private:
    const WhatnotNavigationDecider &m_decider;
    std::function<void()> m_redirected;
};

namespace {

NavigationEvent makeEvent(NavigationEvent::Kind kind, QString description = {}, QString localized = {})
{
    NavigationEvent result;
    result.kind = kind;
    result.description = std::move(description);
    result.localizedDescription = std::move(localized);
    return result;
}

QUrl blankPageUrl()
{
    return QUrl(QStringLiteral("about:blank"));
}

QString terminationName(QWebEnginePage::RenderProcessTerminationStatus status)
{
    switch (status) {
    case QWebEnginePage::NormalTerminationStatus:
        return QStringLiteral("normal termination");
    case QWebEnginePage::AbnormalTerminationStatus:
        return QStringLiteral("abnormal termination");
    case QWebEnginePage::CrashedTerminationStatus:
        return QStringLiteral("crashed");
    case QWebEnginePage::KilledTerminationStatus:
        return QStringLiteral("killed");
    }
    return QStringLiteral("unknown");
}

} // namespace

WebEngineMarketplacePage::WebEngineMarketplacePage(const QString &profileName, const QString &storageFolder,
                                                   Sleeper &sleeper, std::chrono::milliseconds scriptTimeout,
                                                   QObject *parent)
    : MarketplacePage(parent), m_sleeper(sleeper),
      m_storageFolder(storageFolder.isEmpty() ? defaultStorageFolder() : storageFolder)
{
    qRegisterMetaType<quill::NavigationEvent>();
    wipeStorageIfPending();

    // A named profile is a persistent one: cookies, cache and site storage live
    // in the storage folder and survive restarts.
    m_profile = new QWebEngineProfile(profileName, this);
    m_profile->setPersistentStoragePath(m_storageFolder);
    m_profile->setCachePath(m_storageFolder + QStringLiteral("/Cache"));
    m_profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);

    QWebEngineCookieStore *store = m_profile->cookieStore();
    connect(store, &QWebEngineCookieStore::cookieAdded, this, [this](const QNetworkCookie &cookie) {
        m_cookies.removeIf(
            [&cookie](const QNetworkCookie &known) { return known.hasSameIdentifier(cookie); });
        m_cookies.append(cookie);
    });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, [this](const QNetworkCookie &cookie) {
        m_cookies.removeIf(
            [&cookie](const QNetworkCookie &known) { return known.hasSameIdentifier(cookie); });
    });
    store->loadAllCookies();

    m_page = new DecidingPage(
        m_profile, m_decider,
        [this] { Q_EMIT navigationEvent(makeEvent(NavigationEvent::Kind::receivedServerRedirect)); },
        nullptr);
    m_host = std::make_unique<WebEnginePageScriptHost>(m_page, sleeper, scriptTimeout);

    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (m_blankLoadPending && info.status() != QWebEngineLoadingInfo::LoadStartedStatus &&
            info.url() == blankPageUrl()) {
            // Its own events go out first, then the deferred load starts.
            QMetaObject::invokeMethod(this, &WebEngineMarketplacePage::endBlankLoad, Qt::QueuedConnection);
        }
        switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            Q_EMIT navigationEvent(makeEvent(NavigationEvent::Kind::startedProvisionalNavigation));
            break;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            Q_EMIT navigationEvent(makeEvent(NavigationEvent::Kind::finished));
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            // An HTTP error status still loads the server's page: a finished
            // navigation, as the marketplace's own "not found" pages are.
            if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain && !info.isErrorPage()) {
                Q_EMIT navigationEvent(makeEvent(NavigationEvent::Kind::finished));
                break;
            }
            Q_EMIT navigationEvent(makeEvent(NavigationEvent::Kind::failed,
                                             QStringLiteral("navigationFailed(code: %1, url: %2): %3")
                                                 .arg(info.errorCode())
                                                 .arg(info.url().toString(), info.errorString()),
                                             info.errorString()));
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            Q_EMIT navigationEvent(makeEvent(NavigationEvent::Kind::other));
            break;
        }
    });
    connect(m_page, &QWebEnginePage::urlChanged, this,
            [this] { Q_EMIT navigationEvent(makeEvent(NavigationEvent::Kind::committed)); });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                // A dead page ends no load; what waits behind the blank page goes now.
                if (m_blankLoadPending) {
                    QMetaObject::invokeMethod(this, &WebEngineMarketplacePage::endBlankLoad,
                                              Qt::QueuedConnection);
                }
                Q_EMIT navigationEvent(
                    makeEvent(NavigationEvent::Kind::webContentProcessTerminated,
                              QStringLiteral("webContentProcessTerminated(%1, exit code %2)")
                                  .arg(terminationName(status))
                                  .arg(exitCode)));
            });
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, [this] {
        Q_EMIT navigationEvent(makeEvent(NavigationEvent::Kind::pageClosed, QStringLiteral("pageClosed")));
    });
}

WebEngineMarketplacePage::~WebEngineMarketplacePage()
{
    Q_EMIT navigationEvent(makeEvent(NavigationEvent::Kind::pageClosed, QStringLiteral("pageClosed")));
    // The host first (it fails what is pending), then the page, and the page
    // before its profile, which Qt requires.
    m_host.reset();
    delete m_page;
    m_page = nullptr;
    delete m_profile;
    m_profile = nullptr;
}

QString WebEngineMarketplacePage::defaultStorageFolder()
{
    return paths::dataFolder() + QStringLiteral("/MarketplaceProfile");
}

QUrl WebEngineMarketplacePage::url() const
{
    return m_page->url();
}

bool WebEngineMarketplacePage::isLoading() const
{
    return m_blankLoadPending || m_page->isLoading();
}

void WebEngineMarketplacePage::load(const QUrl &url)
{
    // The engine commits the blank page without the network, and a load started
    // while it commits can be lost: it never finishes (or never even reaches the
    // server), and the page reports no end of either load. So a load asked for
    // while the blank page loads starts once it has ended; only the last one asked
    // for counts, as when it would have replaced the others.
    if (m_blankLoadPending) {
        m_deferredLoad = url;
        return;
    }
    m_blankLoadPending = url == blankPageUrl();
    m_page->load(url);
}

void WebEngineMarketplacePage::endBlankLoad()
{
    if (!m_blankLoadPending)
        return;
    m_blankLoadPending = false;
    const std::optional<QUrl> next = std::exchange(m_deferredLoad, std::nullopt);
    if (next)
        load(*next);
}

QWebEnginePage *WebEngineMarketplacePage::webPage() const
{
    return m_page;
}

QCoro::Task<> WebEngineMarketplacePage::clearWebsiteData()
{
    QWebEngineCookieStore *store = m_profile->cookieStore();
    store->deleteAllCookies();
    m_profile->clearHttpCache();
    m_profile->clearAllVisitedLinks();
    // The store works on another thread and reports each removal (in a burst, so no
    // wait on its signal: see common/next_signal.h); look every 100 ms until they are
    // all in, but never for long: logging out must not hang on a silent store.
    QPointer<WebEngineMarketplacePage> self(this);
    Sleeper &sleeper = m_sleeper;
    for (int round = 0; round < 20 && self && !self->m_cookies.isEmpty(); ++round)
        co_await sleeper.sleep(std::chrono::milliseconds(100));
}

QString WebEngineMarketplacePage::wipeMarkerPath() const
{
    return QDir::cleanPath(m_storageFolder) + QStringLiteral(".wipe-pending");
}

void WebEngineMarketplacePage::setStorageWipePending(bool pending)
{
    const QString marker = wipeMarkerPath();
    if (!pending) {
        QFile::remove(marker);
        return;
    }
    QDir().mkpath(QFileInfo(marker).absolutePath());
    QFile file(marker);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcWhatnotSession, "🔥 could not mark the marketplace storage for removal: %s",
                  qUtf8Printable(file.errorString()));
    }
}

bool WebEngineMarketplacePage::isStorageWipePending() const
{
    return QFile::exists(wipeMarkerPath());
}

void WebEngineMarketplacePage::wipeStorageIfPending()
{
    if (!isStorageWipePending())
        return;
    QDir folder(m_storageFolder);
    if (folder.exists() && !folder.removeRecursively()) {
        qCWarning(lcWhatnotSession, "🔥 could not remove the marketplace storage %s; trying again next start",
                  qUtf8Printable(QDir::toNativeSeparators(m_storageFolder)));
        return;
    }
    qCInfo(lcWhatnotSession, "🔥 removed the marketplace storage of the last logout: %s",
           qUtf8Printable(QDir::toNativeSeparators(m_storageFolder)));
    setStorageWipePending(false);
}

} // namespace quill
