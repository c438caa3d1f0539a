#include "backend/auth_manager.h"

#include "common/clock.h"
#include "common/detached_task.h"
#include "common/error.h"
#include "common/logging.h"
#include "common/next_signal.h"
#include "common/settings.h"

#include <QCoroSignal>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QStringDecoder>
#include <QUrlQuery>

namespace quill {

namespace {

constexpr const char *kMalformedTokenMessage = "The sign-in returned a token that is not well formed";

QString accountName()
{
    return QString::fromLatin1(AuthManager::kTokenAccount);
}

bool openInSystemBrowser(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace

AuthManager::AuthManager(QUrl baseURL, Seams seams, QObject *parent)
    : QObject(parent), m_api(std::move(baseURL)),
      m_keychain(seams.keychain ? std::move(seams.keychain)
                                : std::make_unique<SystemKeychain>(QString::fromLatin1(kBundleIdentifier))),
      m_appleProvider(seams.appleProvider ? std::move(seams.appleProvider)
                                          : std::make_unique<UnavailableAppleIdentityProvider>()),
      m_openUrl(seams.openUrl ? std::move(seams.openUrl) : UrlOpener(openInSystemBrowser)),
      m_sleeper(seams.sleeper), m_settings(&Settings::handedIn(seams.settings, "AuthManager")),
      m_googleTimeout(seams.googleSignInTimeout)
{
}

AuthManager::~AuthManager() = default;

Settings &AuthManager::settings() const
{
    return *m_settings;
}

Sleeper &AuthManager::sleeper() const
{
    return m_sleeper ? *m_sleeper : TimerSleeper::instance();
}

void AuthManager::setState(AuthState state)
{
    // The new user is stored even when equal, so a changed e-mail is kept.
    const bool changed = !(state == m_state);
    m_state = std::move(state);
    if (changed)
        Q_EMIT stateChanged();
}

void AuthManager::setError(QString message)
{
    if (m_error == message)
        return;
    m_error = std::move(message);
    Q_EMIT errorChanged();
}

// --- cached user -------------------------------------------------------------

void AuthManager::saveCachedUser(const ZavUser &user)
{
    const QByteArray data = QJsonDocument(user.toJson()).toJson(QJsonDocument::Compact);
    settings().setString(QString::fromLatin1(kCachedUserKey), QString::fromUtf8(data));
}

std::optional<ZavUser> AuthManager::loadCachedUser() const
{
    const auto text = settings().optionalString(QString::fromLatin1(kCachedUserKey));
    if (!text)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(text->toUtf8());
    if (!document.isObject())
        return std::nullopt;
    try {
        return ZavUser::fromJson(document.object());
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

// --- restore -----------------------------------------------------------------

QCoro::Task<> AuthManager::restoreSession()
{
    const QString account = accountName();
    const quint64 changesBefore = m_accountChanges;
    // A sign-in or sign-out that completed while the restore waited is newer than
    // anything the restore found: keep it.
    const auto superseded = [this, changesBefore] {
        if (m_accountChanges == changesBefore)
            return false;
        qCInfo(lcAuth, "Session changed during restore, keeping the newer one");
        return true;
    };
    const std::optional<QString> token = co_await m_keychain->load(account);
    if (superseded())
        co_return;
    if (!token) {
        setState(AuthState::signedOut());
        co_return;
    }
    if (!ZavAPIClient::isWellFormedToken(*token)) {
        // Never sent anywhere; a sign-in replaces it.
        qCWarning(lcAuth, "Stored session token is not well formed, clearing");
        co_await m_keychain->remove(account);
        settings().remove(QString::fromLatin1(kCachedUserKey));
        setState(AuthState::signedOut());
        co_return;
    }
    m_api.setBearerToken(*token);

    bool expired = false;
    try {
        ZavUser user = co_await m_api.fetchCurrentUser();
        if (superseded())
            co_return;
        saveCachedUser(user);
        const QString email = user.email;
        setState(AuthState::signedIn(std::move(user)));
        qCInfo(lcAuth, "Session restored for %s", qUtf8Printable(email));
        co_return;
    } catch (const APIError &error) {
        if (error.kind() == APIError::Kind::httpError && error.statusCode() == 401) {
            qCInfo(lcAuth, "Session expired (401), clearing");
            expired = true;
        } else {
            qCCritical(lcAuth, "API error during restore: %s", qUtf8Printable(error.message()));
        }
    } catch (const std::exception &error) {
        qCCritical(lcAuth, "Network error during restore: %s", qUtf8Printable(errorMessage(error)));
    }

    if (superseded())
        co_return;
    if (expired) {
        co_await m_keychain->remove(account);
        m_api.setBearerToken(std::nullopt);
        settings().remove(QString::fromLatin1(kCachedUserKey));
        setState(AuthState::signedOut());
        co_return;
    }

    // The backend could not confirm the session: keep the token for the next try.
    if (auto cached = loadCachedUser()) {
        const QString email = cached->email;
        setState(AuthState::signedIn(std::move(*cached)));
        qCInfo(lcAuth, "Using cached session for %s", qUtf8Printable(email));
    } else {
        setState(AuthState::signedOut());
    }
}

// --- completing a sign-in ----------------------------------------------------

QCoro::Task<bool> AuthManager::completeSignIn(QString token, ZavUser user)
{
    const QString account = accountName();
    if (!ZavAPIClient::isWellFormedToken(token)) {
        qCCritical(lcAuth, "Refused a session token that is not well formed");
        setError(QString::fromLatin1(kMalformedTokenMessage));
        co_return false;
    }
    try {
        co_await m_keychain->save(token, account);
    } catch (const std::exception &error) {
        qCCritical(lcAuth, "Failed to save session: %s", qUtf8Printable(errorMessage(error)));
        setError(QStringLiteral("Failed to save session"));
        co_return false;
    }
    m_api.setBearerToken(token);
    saveCachedUser(user);
    ++m_accountChanges;
    const QString email = user.email;
    const QString userId = user.id;
    setState(AuthState::signedIn(std::move(user)));
    Q_EMIT accountChanged(userId);
    qCInfo(lcAuth, "Signed in as %s", qUtf8Printable(email));
    co_return true;
}

// --- Apple -------------------------------------------------------------------

QCoro::Task<> AuthManager::signInWithApple()
{
    AppleCredential credential;
    try {
        credential = co_await m_appleProvider->requestCredential();
    } catch (const std::exception &error) {
        const QString description = errorMessage(error);
        qCCritical(lcAuth, "Apple sign in failed: %s", qUtf8Printable(description));
        setError(QStringLiteral("Apple sign in failed: ") + description);
        co_return;
    }

    std::optional<QString> identityToken;
    if (credential.identityToken) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(*credential.identityToken);
        if (!decoder.hasError())
            identityToken = std::move(text);
    }
    if (!identityToken) {
        setError(QStringLiteral("Failed to get Apple identity token"));
        co_return;
    }

    std::optional<AppleSignInUser> person(
        AppleSignInUser{credential.email, credential.givenName, credential.familyName});
    QString tokenText = *identityToken;
    try {
        AuthResponse response = co_await m_api.appleNativeSignIn(std::move(tokenText), std::move(person));
        QString sessionToken = response.token;
        ZavUser user = response.user;
        co_await completeSignIn(std::move(sessionToken), std::move(user));
    } catch (const std::exception &error) {
        const QString description = errorMessage(error);
        qCCritical(lcAuth, "Apple sign in failed: %s", qUtf8Printable(description));
        setError(QStringLiteral("Apple sign in failed: ") + description);
    }
}

// --- Google ------------------------------------------------------------------

QString AuthManager::googleSignInAddress() const
{
    return m_api.baseURL().toString(QUrl::StripTrailingSlash) +
           QStringLiteral("/api/auth/signin/google?callbackURL=") +
           QStringLiteral("/api/auth/mobile/callback") + QStringLiteral("&scheme=") +
           QString::fromLatin1(kCallbackScheme);
}

QCoro::Task<> AuthManager::signInWithGoogle()
{
    const QUrl start(googleSignInAddress(), QUrl::StrictMode);
    if (!start.isValid() || start.scheme().isEmpty() || start.host().isEmpty()) {
        setError(QStringLiteral("Invalid auth URL"));
        co_return;
    }

    // One browser sign-in at a time: a new one supersedes the one still waiting.
    if (m_pendingGoogle)
        settleGoogle(GoogleOutcome{GoogleOutcome::Kind::cancelled, {}});

    const quint64 generation = m_nextGoogleGeneration++;
    m_pendingGoogle = generation;
    Q_EMIT googleSignInPendingChanged(true);

    if (!m_openUrl(start)) {
        settleGoogle(
            GoogleOutcome{GoogleOutcome::Kind::failed, QStringLiteral("Could not open the system browser")});
    } else {
        startDetached(expireGoogleSignIn(generation), lcAuth(), "Google sign-in expiry");
    }

    QPointer<AuthManager> self(this);
    while (self && !m_googleOutcomes.contains(generation))
        co_await nextSignal(this, &AuthManager::googleSignInSettled);
    if (!self)
        co_return;
    GoogleOutcome outcome = m_googleOutcomes.take(generation);

    switch (outcome.kind) {
    case GoogleOutcome::Kind::cancelled:
        qCInfo(lcAuth, "Google sign in cancelled");
        co_return;
    case GoogleOutcome::Kind::failed:
    case GoogleOutcome::Kind::timedOut:
        qCCritical(lcAuth, "Google sign in failed: %s", qUtf8Printable(outcome.text));
        setError(QStringLiteral("Google sign in failed: ") + outcome.text);
        co_return;
    case GoogleOutcome::Kind::callbackError:
        setError(outcome.text);
        co_return;
    case GoogleOutcome::Kind::token:
        break;
    }
    QString token = outcome.text;
    co_await validateAndComplete(std::move(token));
}

void AuthManager::cancelGoogleSignIn()
{
    if (m_pendingGoogle)
        settleGoogle(GoogleOutcome{GoogleOutcome::Kind::cancelled, {}});
}

void AuthManager::settleGoogle(GoogleOutcome outcome)
{
    if (!m_pendingGoogle)
        return;
    const quint64 generation = *m_pendingGoogle;
    m_googleOutcomes.insert(generation, std::move(outcome));
    m_pendingGoogle.reset();
    Q_EMIT googleSignInPendingChanged(false);
    Q_EMIT googleSignInSettled();
}

QCoro::Task<> AuthManager::expireGoogleSignIn(quint64 generation)
{
    QPointer<AuthManager> self(this);
    const std::chrono::milliseconds timeout = m_googleTimeout;
    co_await sleeper().sleep(timeout);
    if (self && m_pendingGoogle == generation)
        settleGoogle(GoogleOutcome{GoogleOutcome::Kind::timedOut, QStringLiteral("The sign-in timed out")});
}

void AuthManager::handleCallbackURL(const QUrl &url)
{
    // Only the scheme is ever logged: a token may sit in any other part.
    if (url.scheme() != QLatin1String(kCallbackScheme) || url.host() != QLatin1String(kCallbackHost) ||
        url.path() != QLatin1String(kCallbackPath)) {
        qCInfo(lcAuth, "Ignored a %s: address that is not the sign-in callback",
               qUtf8Printable(url.scheme()));
        return;
    }
    if (!m_pendingGoogle) {
        qCWarning(lcAuth, "Ignored sign-in callback: no sign-in started by this application is pending");
        return;
    }

    const QList<QPair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    const auto first = [&](const QString &name) -> std::optional<QString> {
        for (const auto &item : items) {
            if (item.first == name)
                return item.second;
        }
        return std::nullopt;
    };
    if (const auto error = first(QStringLiteral("error")); error && !error->isEmpty()) {
        settleGoogle(
            GoogleOutcome{GoogleOutcome::Kind::callbackError, QStringLiteral("Auth failed: ") + *error});
        return;
    }
    const auto token = first(QStringLiteral("token"));
    if (!token || token->isEmpty()) {
        settleGoogle(
            GoogleOutcome{GoogleOutcome::Kind::callbackError, QStringLiteral("No token in callback")});
        return;
    }
    if (!ZavAPIClient::isWellFormedToken(*token)) {
        settleGoogle(
            GoogleOutcome{GoogleOutcome::Kind::callbackError, QString::fromLatin1(kMalformedTokenMessage)});
        return;
    }
    settleGoogle(GoogleOutcome{GoogleOutcome::Kind::token, *token});
}

QCoro::Task<> AuthManager::validateAndComplete(QString token)
{
    // A token that does not prove itself must not stay on the shared client.
    const std::optional<QString> previous = m_api.bearerToken();
    m_api.setBearerToken(token);
    std::optional<ZavUser> user;
    try {
        user = co_await m_api.fetchCurrentUser();
    } catch (const std::exception &) {
    }
    if (!user) {
        m_api.setBearerToken(previous);
        setError(QStringLiteral("Failed to validate token"));
        co_return;
    }
    ZavUser confirmed = *user;
    const bool completed = co_await completeSignIn(std::move(token), std::move(confirmed));
    if (!completed)
        m_api.setBearerToken(previous);
}

// --- sign-out ----------------------------------------------------------------

QCoro::Task<> AuthManager::signOut()
{
    const QString account = accountName();
    co_await m_keychain->remove(account);
    ++m_accountChanges;
    m_api.setBearerToken(std::nullopt);
    settings().remove(QString::fromLatin1(kCachedUserKey));
    setState(AuthState::signedOut());
    Q_EMIT accountChanged(std::nullopt);
    qCInfo(lcAuth, "Signed out");
}

} // namespace quill
