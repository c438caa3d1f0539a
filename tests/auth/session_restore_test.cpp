#include "app/user_scope_binding.h"
#include "auth_fixtures.h"
#include "common/user_scoped.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTcpServer>

using namespace quill;
using namespace quill::testing;

namespace {

class SessionRestore : public AuthFixture
{
protected:
    void cacheUser(const QString &id, const QString &email)
    {
        m_settings->setString(QStringLiteral("cached_user"),
                              QStringLiteral("{\"id\":\"%1\",\"email\":\"%2\"}").arg(id, email));
    }
};

TEST_F(SessionRestore, WithoutStoredTokenEndsSignedOutWithoutAskingTheBackend)
{
    AuthManager &auth = makeAuth();
    EXPECT_EQ(auth.state(), AuthState::unknown());
    runSync(auth.restoreSession());
    EXPECT_EQ(auth.state(), AuthState::signedOut());
    EXPECT_TRUE(m_backend.requests().isEmpty());
    EXPECT_FALSE(auth.api().bearerToken().has_value());
}

TEST_F(SessionRestore, ValidTokenSignsInAndCachesTheUser)
{
    const QString token =
        m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ann@example.com"), QStringLiteral("Ann"));
    AuthManager &auth = makeAuth();
    m_keychain->setItem(QStringLiteral("session_token"), token);
    runSync(auth.restoreSession());

    ASSERT_TRUE(auth.state().isSignedIn());
    EXPECT_EQ(auth.state().user()->email, QStringLiteral("ann@example.com"));
    EXPECT_EQ(auth.state().user()->name, QStringLiteral("Ann"));
    EXPECT_EQ(auth.api().bearerToken(), token);
    ASSERT_EQ(m_backend.requests().size(), 1);
    EXPECT_EQ(m_backend.requests().first().header("Authorization"), "Bearer " + token.toUtf8());
    const auto cached = auth.loadCachedUser();
    ASSERT_TRUE(cached.has_value());
    EXPECT_EQ(*cached, *auth.state().user());
}

TEST_F(SessionRestore, ExpiredTokenClearsTokenAndCachedUser)
{
    const QString token = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ann@example.com"));
    m_backend.revokeToken(token);
    AuthManager &auth = makeAuth();
    m_keychain->setItem(QStringLiteral("session_token"), token);
    cacheUser(QStringLiteral("u1"), QStringLiteral("ann@example.com"));

    runSync(auth.restoreSession());
    EXPECT_EQ(auth.state(), AuthState::signedOut());
    EXPECT_FALSE(storedToken().has_value());
    EXPECT_FALSE(m_settings->contains(QStringLiteral("cached_user")));
    EXPECT_FALSE(auth.api().bearerToken().has_value());
}

TEST_F(SessionRestore, ServerErrorFallsBackToTheCachedUserAndKeepsTheToken)
{
    const QString token = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("fresh@example.com"));
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), standin::Fault::status(500));
    AuthManager &auth = makeAuth();
    m_keychain->setItem(QStringLiteral("session_token"), token);
    cacheUser(QStringLiteral("u1"), QStringLiteral("cached@example.com"));

    runSync(auth.restoreSession());
    ASSERT_TRUE(auth.state().isSignedIn());
    EXPECT_EQ(auth.state().user()->email, QStringLiteral("cached@example.com"));
    EXPECT_EQ(storedToken(), token);
    EXPECT_EQ(auth.api().bearerToken(), token);
}

TEST_F(SessionRestore, ServerErrorWithoutCachedUserSignsOutButKeepsTheTokenForNextLaunch)
{
    const QString token = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ann@example.com"));
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), standin::Fault::status(500));
    AuthManager &auth = makeAuth();
    m_keychain->setItem(QStringLiteral("session_token"), token);

    runSync(auth.restoreSession());
    EXPECT_EQ(auth.state(), AuthState::signedOut());
    EXPECT_EQ(storedToken(), token);
    EXPECT_EQ(auth.api().bearerToken(), token);
}

TEST_F(SessionRestore, UnreadableCachedUserCountsAsNone)
{
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), standin::Fault::status(500));
    AuthManager &auth = makeAuth();
    m_keychain->setItem(QStringLiteral("session_token"), QStringLiteral("t"));
    m_settings->setString(QStringLiteral("cached_user"), QStringLiteral("{\"id\":\"u1\"}"));
    runSync(auth.restoreSession());
    EXPECT_EQ(auth.state(), AuthState::signedOut());
}

TEST_F(SessionRestore, RefusedConnectionFallsBackToTheCachedUser)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QUrl base(QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()));
    closed.close();

    AuthManager &auth = makeAuth(nullptr, base);
    m_keychain->setItem(QStringLiteral("session_token"), QStringLiteral("tok"));
    cacheUser(QStringLiteral("u7"), QStringLiteral("offline@example.com"));
    runSync(auth.restoreSession());
    ASSERT_TRUE(auth.state().isSignedIn());
    EXPECT_EQ(auth.state().user()->id, QStringLiteral("u7"));
    EXPECT_EQ(storedToken(), QStringLiteral("tok"));

    m_settings->remove(QStringLiteral("cached_user"));
    AuthManager &second = makeAuth(nullptr, base);
    m_keychain->setItem(QStringLiteral("session_token"), QStringLiteral("tok"));
    runSync(second.restoreSession());
    EXPECT_EQ(second.state(), AuthState::signedOut());
    EXPECT_EQ(storedToken(), QStringLiteral("tok"));
}

TEST_F(SessionRestore, MalformedStoredTokenIsClearedWithoutBeingSent)
{
    // As an earlier build could have stored it from a forged callback.
    const QString token = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ann@example.com"));
    AuthManager &auth = makeAuth();
    m_keychain->setItem(QStringLiteral("session_token"), token + QStringLiteral("\r\nX-Injected: yes"));
    cacheUser(QStringLiteral("u1"), QStringLiteral("ann@example.com"));

    runSync(auth.restoreSession());
    EXPECT_EQ(auth.state(), AuthState::signedOut());
    EXPECT_TRUE(m_backend.requests().isEmpty());
    EXPECT_FALSE(storedToken().has_value());
    EXPECT_FALSE(m_settings->contains(QStringLiteral("cached_user")));
    EXPECT_FALSE(auth.api().bearerToken().has_value());
}

// --- completing a sign-in, sign-out ------------------------------------------

using Session = SessionRestore;

TEST_F(Session, FailedTokenSaveKeepsThePreviousSessionWhole)
{
    const QString oldToken = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("old@example.com"));
    AuthManager &auth = makeAuth();
    m_keychain->setItem(QStringLiteral("session_token"), oldToken);
    runSync(auth.restoreSession());
    ASSERT_TRUE(auth.state().isSignedIn());

    m_keychain->failSaves();
    const bool completed = runSync(auth.completeSignIn(
        QStringLiteral("new-token"),
        ZavUser{QStringLiteral("u2"), std::nullopt, QStringLiteral("new@example.com"), {}}));
    EXPECT_FALSE(completed);
    EXPECT_EQ(auth.error(), QStringLiteral("Failed to save session"));
    EXPECT_EQ(storedToken(), oldToken);
    EXPECT_EQ(auth.api().bearerToken(), oldToken);
    EXPECT_EQ(auth.state().user()->id, QStringLiteral("u1"));
    EXPECT_EQ(auth.loadCachedUser()->id, QStringLiteral("u1"));
}

TEST_F(Session, MalformedTokenFromTheBackendIsNeitherStoredNorUsed)
{
    AuthManager &auth = makeAuth();
    for (const QString &token : {QStringLiteral("abc\r\nX-Injected: yes"), QStringLiteral("abc def"),
                                 QString(4097, QLatin1Char('a')), QString()}) {
        const bool completed = runSync(auth.completeSignIn(
            token, ZavUser{QStringLiteral("u2"), std::nullopt, QStringLiteral("new@example.com"), {}}));
        EXPECT_FALSE(completed);
        EXPECT_EQ(auth.error(), QStringLiteral("The sign-in returned a token that is not well formed"));
        EXPECT_FALSE(storedToken().has_value());
        EXPECT_FALSE(auth.api().bearerToken().has_value());
        EXPECT_FALSE(auth.state().isSignedIn());
    }
}

TEST_F(Session, SameUserWithNewDetailsIsStoredWithoutNotifying)
{
    AuthManager &auth = makeAuth();
    QSignalSpy changes(&auth, &AuthManager::stateChanged);
    const ZavUser first{QStringLiteral("u1"), std::nullopt, QStringLiteral("a@example.com"), {}};
    const ZavUser renamed{QStringLiteral("u1"), QStringLiteral("Ann"), QStringLiteral("b@example.com"), {}};
    runSync(auth.completeSignIn(QStringLiteral("t1"), first));
    runSync(auth.completeSignIn(QStringLiteral("t2"), renamed));
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(auth.state().user()->email, QStringLiteral("b@example.com"));
    EXPECT_EQ(AuthState::signedIn(first), AuthState::signedIn(renamed));
    EXPECT_FALSE(AuthState::signedIn(first) == AuthState::signedOut());
    EXPECT_FALSE(AuthState::unknown() == AuthState::signedOut());
    EXPECT_EQ(storedToken(), QStringLiteral("t2"));
}

TEST_F(Session, SignOutClearsEverythingOfTheAccount)
{
    AuthManager &auth = makeAuth();
    bindUserScopeToAccount(auth, m_settings.get());
    runSync(auth.completeSignIn(
        QStringLiteral("tok"),
        ZavUser{QStringLiteral("u1"), std::nullopt, QStringLiteral("a@example.com"), {}}));
    EXPECT_EQ(UserScoped::currentUserId(), QStringLiteral("u1"));

    runSync(auth.signOut());
    EXPECT_EQ(auth.state(), AuthState::signedOut());
    EXPECT_FALSE(storedToken().has_value());
    EXPECT_FALSE(auth.api().bearerToken().has_value());
    EXPECT_FALSE(m_settings->contains(QStringLiteral("cached_user")));
    EXPECT_FALSE(UserScoped::currentUserId().has_value());
}

TEST_F(Session, AnyUserIdSwitchesTheFlagsAndNothingThrowsOutOfTheSignal)
{
    AuthManager &auth = makeAuth();
    bindUserScopeToAccount(auth, m_settings.get());
    m_settings->setBool(QStringLiteral("has_test_printed"), true);
    for (const QString &id : {QStringLiteral("/evil"), QStringLiteral("a//b")}) {
        EXPECT_NO_THROW(runSync(auth.completeSignIn(
            QStringLiteral("tok"), ZavUser{id, std::nullopt, QStringLiteral("a@example.com"), {}})));
        EXPECT_EQ(UserScoped::currentUserId(), id);
    }
    // The legacy flag went to the first of them only.
    EXPECT_FALSE(UserScoped::value(QStringLiteral("has_test_printed"), *m_settings));
    UserScoped::setCurrentUser(QStringLiteral("/evil"), *m_settings);
    EXPECT_TRUE(UserScoped::value(QStringLiteral("has_test_printed"), *m_settings));

    // No settings store at all: the account still switches, and nothing throws.
    Settings *previous = Settings::setShared(nullptr);
    AuthManager &other = makeAuth();
    bindUserScopeToAccount(other, nullptr);
    EXPECT_NO_THROW(runSync(other.completeSignIn(
        QStringLiteral("tok"), ZavUser{QStringLiteral("u9"), std::nullopt, QStringLiteral("b@example.com"), {}})));
    EXPECT_EQ(UserScoped::currentUserId(), QStringLiteral("u9"));
    Settings::setShared(previous);
    UserScoped::setCurrentUser(std::nullopt, nullptr);
}

} // namespace
