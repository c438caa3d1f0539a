#pragma once

#include "backend/api_records.h"
#include "backend/apple_identity_provider.h"
#include "backend/keychain_service.h"
#include "backend/zav_api_client.h"

#include <QCoroTask>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace quill {

class Settings;
class Sleeper;

// The seller's sign-in state. Two signed-in states are equal when their users'
// ids are equal; name, e-mail and image are not compared.
class AuthState
{
public:
    enum class Kind
    {
        unknown,
        signedOut,
        signedIn
    };

    static AuthState unknown() { return AuthState(Kind::unknown, std::nullopt); }
    static AuthState signedOut() { return AuthState(Kind::signedOut, std::nullopt); }
    static AuthState signedIn(ZavUser user) { return AuthState(Kind::signedIn, std::move(user)); }

    Kind kind() const { return m_kind; }
    bool isSignedIn() const { return m_kind == Kind::signedIn; }
    // Set exactly when signed in.
    const std::optional<ZavUser> &user() const { return m_user; }

    friend bool operator==(const AuthState &a, const AuthState &b)
    {
        if (a.m_kind != b.m_kind)
            return false;
        return a.m_kind != Kind::signedIn || a.m_user->id == b.m_user->id;
    }

private:
    AuthState(Kind kind, std::optional<ZavUser> user) : m_kind(kind), m_user(std::move(user)) {}
    Kind m_kind;
    std::optional<ZavUser> m_user;
};

// What the manager talks to; anything left empty gets the real thing (the
// login keyring, no Apple sign-in on this platform, the system browser,
// timers). The settings store is required.
struct AuthSeams
{
    using UrlOpener = std::function<bool(const QUrl &)>;

    std::unique_ptr<KeychainService> keychain;
    std::unique_ptr<AppleIdentityProvider> appleProvider;
    UrlOpener openUrl;
    Sleeper *sleeper = nullptr;
    Settings *settings = nullptr; // required
    // How long a browser sign-in may wait for its callback.
    std::chrono::milliseconds googleSignInTimeout = std::chrono::minutes(10);
};

// Holds the sign-in state for the whole application and performs every change of
// it: session restore, Apple and Google sign-in, the sign-in callback and sign-out.
// Owns the one shared backend client and the session token store. Restore, the
// sign-ins and sign-out never throw; sign-in failures end in `error()`.
class AuthManager final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AuthManager)
    Q_PROPERTY(QString error READ errorText NOTIFY errorChanged)
    Q_PROPERTY(bool googleSignInPending READ isGoogleSignInPending NOTIFY googleSignInPendingChanged)

public:
    static constexpr const char *kTokenAccount = "session_token";
    static constexpr const char *kCachedUserKey = "cached_user";
    static constexpr const char *kCallbackScheme = "quillmark";
    static constexpr const char *kCallbackHost = "auth";
    static constexpr const char *kCallbackPath = "/callback";

    using UrlOpener = AuthSeams::UrlOpener;

    using Seams = AuthSeams;

    explicit AuthManager(QUrl baseURL, Seams seams = {}, QObject *parent = nullptr);
    ~AuthManager() override;

    const AuthState &state() const { return m_state; }
    const std::optional<QString> &error() const { return m_error; }
    QString errorText() const { return m_error.value_or(QString()); }
    ZavAPIClient &api() { return m_api; }
    KeychainService &keychain() { return *m_keychain; }
    bool isGoogleSignInPending() const { return m_pendingGoogle.has_value(); }

    QCoro::Task<> restoreSession();
    QCoro::Task<> signInWithApple();
    // Opens the backend's Google sign-in in the system browser and waits until the
    // callback arrives, the sign-in is cancelled or it times out; then validates
    // the token and completes the sign-in.
    QCoro::Task<> signInWithGoogle();
    void cancelGoogleSignIn();
    // Every URL opened by the application comes here. Only the sign-in callback
    // ("quillmark://auth/callback") of a Google sign-in this application started
    // and that is still pending is accepted; everything else is logged (by its
    // scheme only) and ignored. A token that is not well formed ends the sign-in
    // with an error.
    void handleCallbackURL(const QUrl &url);
    QCoro::Task<> signOut();

    // Stores the token, then makes the user the signed-in user. Returns false (and
    // sets the error) when the token is not well formed (see
    // ZavAPIClient::isWellFormedToken) or could not be stored; nothing else changes then.
    QCoro::Task<bool> completeSignIn(QString token, ZavUser user);

    void saveCachedUser(const ZavUser &user);
    std::optional<ZavUser> loadCachedUser() const;

    // The address a browser sign-in starts at.
    QString googleSignInAddress() const;

Q_SIGNALS:
    void stateChanged();
    void errorChanged();
    void googleSignInPendingChanged(bool pending);
    // The account whose per-user data is current: the user's id after a sign-in,
    // nothing after sign-out.
    void accountChanged(const std::optional<QString> &userId);
    // A pending browser sign-in ended (callback, cancel or time-out); internal.
    void googleSignInSettled();

private:
    struct GoogleOutcome
    {
        enum class Kind
        {
            token,
            callbackError,
            failed,
            cancelled,
            timedOut
        };
        Kind kind;
        QString text; // the token, or the message
    };

    void setState(AuthState state);
    void setError(QString message);
    void settleGoogle(GoogleOutcome outcome);
    QCoro::Task<> expireGoogleSignIn(quint64 generation);
    QCoro::Task<> validateAndComplete(QString token);
    Settings &settings() const;
    Sleeper &sleeper() const;

    AuthState m_state = AuthState::unknown();
    std::optional<QString> m_error;
    ZavAPIClient m_api;
    std::unique_ptr<KeychainService> m_keychain;
    std::unique_ptr<AppleIdentityProvider> m_appleProvider;
    UrlOpener m_openUrl;
    Sleeper *m_sleeper;
    Settings *m_settings;
    std::chrono::milliseconds m_googleTimeout;

    // Set while a browser sign-in waits for its callback; the number tells one
    // sign-in from the next so a stale time-out cannot end a newer one.
    std::optional<quint64> m_pendingGoogle;
    quint64 m_nextGoogleGeneration = 1;
    // Counts completed sign-ins and sign-outs: a restore that sees it change while it
    // waits leaves the newer session alone.
    quint64 m_accountChanges = 0;
    QHash<quint64, GoogleOutcome> m_googleOutcomes; // settled, not yet taken by their waiter
};

} // namespace quill
