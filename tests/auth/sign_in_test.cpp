#include "auth_fixtures.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

using namespace quill;
using namespace quill::testing;

namespace {

using GoogleSignIn = AuthFixture;

TEST_F(GoogleSignIn, ChosenAccountInTheBrowserSignsIn)
{
    m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ann@example.com"));
    AuthManager &auth = makeAuth();
    StandinBrowser browser(deliverTo(auth), QStringLiteral("user=u1"));
    m_opener = [&](const QUrl &url) { return browser.open(url); };

    runSync(auth.signInWithGoogle());
    ASSERT_EQ(browser.opened().size(), 1);
    EXPECT_EQ(
        browser.opened().first().toString(),
        m_backend.baseUrl().toString() +
            QStringLiteral("/api/auth/signin/google?callbackURL=/api/auth/mobile/callback&scheme=quillmark"));
    ASSERT_TRUE(auth.state().isSignedIn());
    EXPECT_EQ(auth.state().user()->id, QStringLiteral("u1"));
    EXPECT_TRUE(storedToken().has_value());
    EXPECT_EQ(auth.api().bearerToken(), storedToken());
    EXPECT_FALSE(auth.isGoogleSignInPending());
    EXPECT_FALSE(auth.error().has_value());
}

TEST_F(GoogleSignIn, CancelLinkInTheBrowserReportsTheBackendsError)
{
    AuthManager &auth = makeAuth();
    StandinBrowser browser(deliverTo(auth), QStringLiteral("error=cancelled"));
    m_opener = [&](const QUrl &url) { return browser.open(url); };
    runSync(auth.signInWithGoogle());
    EXPECT_EQ(auth.error(), QStringLiteral("Auth failed: cancelled"));
    EXPECT_EQ(auth.state(), AuthState::unknown());
}

TEST_F(GoogleSignIn, PendingSignInCanBeCancelledWithoutMessage)
{
    AuthManager &auth = makeAuth();
    auto task = auth.signInWithGoogle();
    EXPECT_TRUE(auth.isGoogleSignInPending());
    auth.cancelGoogleSignIn();
    runSync(std::move(task));
    EXPECT_FALSE(auth.isGoogleSignInPending());
    EXPECT_FALSE(auth.error().has_value());
}

TEST_F(GoogleSignIn, PendingSignInTimesOut)
{
    AuthManager &auth = makeAuth();
    auto task = auth.signInWithGoogle();
    ASSERT_EQ(m_sleeper.sleeps().size(), 1);
    EXPECT_EQ(m_sleeper.sleeps().first(), std::chrono::minutes(10));
    m_sleeper.releaseAll();
    runSync(std::move(task));
    EXPECT_FALSE(auth.isGoogleSignInPending());
    EXPECT_EQ(auth.error(), QStringLiteral("Google sign in failed: The sign-in timed out"));

    // A callback after the time-out finds nothing pending.
    const QString token = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("a@example.com"));
    auth.handleCallbackURL(QUrl(QStringLiteral("quillmark://auth/callback?token=") + token));
    EXPECT_FALSE(auth.state().isSignedIn());
}

TEST_F(GoogleSignIn, StaleTimeOutDoesNotEndALaterSignIn)
{
    AuthManager &auth = makeAuth();
    auto first = auth.signInWithGoogle();
    auth.cancelGoogleSignIn();
    runSync(std::move(first));
    auto second = auth.signInWithGoogle();
    m_sleeper.releaseAll(); // ends both sleeps; only the second one's counts
    runSync(std::move(second));
    EXPECT_EQ(auth.error(), QStringLiteral("Google sign in failed: The sign-in timed out"));

    auto third = auth.signInWithGoogle();
    auto fourth = auth.signInWithGoogle(); // supersedes the third
    runSync(std::move(third));
    EXPECT_TRUE(auth.isGoogleSignInPending());
    auth.cancelGoogleSignIn();
    runSync(std::move(fourth));
}

TEST_F(GoogleSignIn, BrowserThatCannotOpenEndsWithMessage)
{
    AuthManager &auth = makeAuth();
    m_opener = [](const QUrl &) { return false; };
    runSync(auth.signInWithGoogle());
    EXPECT_FALSE(auth.isGoogleSignInPending());
    EXPECT_EQ(auth.error(), QStringLiteral("Google sign in failed: Could not open the system browser"));
}

TEST_F(GoogleSignIn, InvalidBackendAddressIsReported)
{
    AuthManager &auth = makeAuth(nullptr, QUrl(QStringLiteral("not a url")));
    int opened = 0;
    m_opener = [&](const QUrl &) { return ++opened > 0; };
    runSync(auth.signInWithGoogle());
    EXPECT_EQ(auth.error(), QStringLiteral("Invalid auth URL"));
    EXPECT_EQ(opened, 0);
}

// --- the callback table ------------------------------------------------------

const QString kMalformed = QStringLiteral("The sign-in returned a token that is not well formed");

struct CallbackCase
{
    const char *name;
    QString url;                  // "%1": a valid token of the stand-in
    bool accepted;                // ends the pending sign-in
    std::optional<QString> error; // message afterwards
    bool signedIn;
};

void PrintTo(const CallbackCase &c, std::ostream *out)
{
    *out << c.name;
}

class CallbackTable : public AuthFixture, public ::testing::WithParamInterface<CallbackCase>
{
};

TEST_P(CallbackTable, OnlyTheExactCallbackOfAPendingSignInCounts)
{
    const CallbackCase &c = GetParam();
    const QString token = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("a@example.com"));
    AuthManager &auth = makeAuth();
    auto task = auth.signInWithGoogle();
    m_backend.clearRequests();
    auth.handleCallbackURL(QUrl(c.url.contains(QStringLiteral("%1")) ? c.url.arg(token) : c.url));

    EXPECT_EQ(auth.isGoogleSignInPending(), !c.accepted);
    if (!c.accepted)
        auth.cancelGoogleSignIn();
    runSync(std::move(task));
    EXPECT_EQ(auth.error(), c.error);
    EXPECT_EQ(auth.state().isSignedIn(), c.signedIn);
    if (!c.signedIn) {
        EXPECT_FALSE(storedToken().has_value());
        EXPECT_FALSE(auth.api().bearerToken().has_value());
    }
    // Only an accepted token is ever sent to the backend.
    const bool tokenSent = c.signedIn || c.error == QStringLiteral("Failed to validate token");
    EXPECT_EQ(m_backend.requests().size(), tokenSent ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, CallbackTable,
    ::testing::Values(
        CallbackCase{"Valid", QStringLiteral("quillmark://auth/callback?token=%1"), true, std::nullopt, true},
        CallbackCase{"EmptyErrorIsPassedOver", QStringLiteral("quillmark://auth/callback?error=&token=%1"),
                     true, std::nullopt, true},
        CallbackCase{"OtherScheme", QStringLiteral("evil://auth/callback?token=%1"), false, std::nullopt,
                     false},
        CallbackCase{"OtherHost", QStringLiteral("quillmark://other/callback?token=%1"), false, std::nullopt,
                     false},
        CallbackCase{"LongerPath", QStringLiteral("quillmark://auth/callbackx?token=%1"), false, std::nullopt,
                     false},
        CallbackCase{"DeeperPath", QStringLiteral("quillmark://auth/callback/more?token=%1"), false,
                     std::nullopt, false},
        CallbackCase{"Error", QStringLiteral("quillmark://auth/callback?error=denied"), true,
                     QStringLiteral("Auth failed: denied"), false},
        CallbackCase{"ErrorWinsOverToken", QStringLiteral("quillmark://auth/callback?error=denied&token=%1"),
                     true, QStringLiteral("Auth failed: denied"), false},
        CallbackCase{"NoQuery", QStringLiteral("quillmark://auth/callback"), true,
                     QStringLiteral("No token in callback"), false},
        CallbackCase{"EmptyToken", QStringLiteral("quillmark://auth/callback?token="), true,
                     QStringLiteral("No token in callback"), false},
        CallbackCase{"UnknownToken", QStringLiteral("quillmark://auth/callback?token=forged"), true,
                     QStringLiteral("Failed to validate token"), false},
        // A token goes into a header as it is: anything that could end or bend the
        // header is refused before it is sent or stored.
        CallbackCase{"LineBreakInToken",
                     QStringLiteral("quillmark://auth/callback?token=%1%0D%0AX-Injected:%20yes"), true,
                     kMalformed, false},
        CallbackCase{"LineFeedInToken", QStringLiteral("quillmark://auth/callback?token=%1%0Ax"), true,
                     kMalformed, false},
        CallbackCase{"SpaceInToken", QStringLiteral("quillmark://auth/callback?token=%1%20x"), true,
                     kMalformed, false},
        CallbackCase{"TabInToken", QStringLiteral("quillmark://auth/callback?token=%1%09"), true, kMalformed,
                     false},
        CallbackCase{"NulInToken", QStringLiteral("quillmark://auth/callback?token=%1%00"), true, kMalformed,
                     false},
        CallbackCase{"NonAsciiToken", QStringLiteral("quillmark://auth/callback?token=%1%C3%A9"), true,
                     kMalformed, false},
        CallbackCase{"OverlongToken",
                     QStringLiteral("quillmark://auth/callback?token=") + QString(4097, QLatin1Char('a')),
                     true, kMalformed, false},
        CallbackCase{"LongestToken",
                     QStringLiteral("quillmark://auth/callback?token=") + QString(4096, QLatin1Char('a')),
                     true, QStringLiteral("Failed to validate token"), false}),
    [](const ::testing::TestParamInfo<CallbackCase> &info) { return std::string(info.param.name); });

// Refused callback addresses are logged by their scheme only, wherever the token sits.
class RefusedCallbackLog : public AuthFixture, public ::testing::WithParamInterface<const char *>
{
protected:
    static void capture(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        s_lines.append(message);
    }
    static inline QStringList s_lines;
};

TEST_P(RefusedCallbackLog, NamesNothingButTheScheme)
{
    const QString secret = QStringLiteral("s3cr3t0ken"); // lower case: hosts are lowered
    AuthManager &auth = makeAuth();
    auto task = auth.signInWithGoogle();
    s_lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(&RefusedCallbackLog::capture);
    auth.handleCallbackURL(QUrl(QString::fromLatin1(GetParam()).arg(secret)));
    qInstallMessageHandler(previous);
    auth.cancelGoogleSignIn();
    runSync(std::move(task));
    m_sleeper.releaseAll(); // ends the sign-in's time-out
    QCoreApplication::processEvents();

    ASSERT_FALSE(s_lines.isEmpty()) << "the refusal is logged";
    for (const QString &line : std::as_const(s_lines))
        EXPECT_FALSE(line.contains(secret)) << line.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Addresses, RefusedCallbackLog,
                         ::testing::Values("quillmark://auth/callback/%1", "quillmark://%1/callback",
                                           "quillmark://auth/%1", "quillmark://auth/callback/x#%1",
                                           "quillmark:%1", "quillmark://auth/callback%1",
                                           "evil://auth/callback?token=%1"));

TEST_F(GoogleSignIn, CallbackWithoutPendingSignInIsIgnored)
{
    const QString token = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("a@example.com"));
    AuthManager &auth = makeAuth();
    QSignalSpy changes(&auth, &AuthManager::stateChanged);
    auth.handleCallbackURL(QUrl(QStringLiteral("quillmark://auth/callback?token=") + token));
    QCoreApplication::processEvents();
    EXPECT_TRUE(changes.isEmpty());
    EXPECT_TRUE(m_backend.requests().isEmpty());
    EXPECT_FALSE(storedToken().has_value());
}

TEST_F(GoogleSignIn, RejectedTokenLeavesThePreviousSessionOnTheClient)
{
    const QString good = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("a@example.com"));
    AuthManager &auth = makeAuth();
    m_keychain->setItem(QStringLiteral("session_token"), good);
    runSync(auth.restoreSession());
    ASSERT_TRUE(auth.state().isSignedIn());

    auto task = auth.signInWithGoogle();
    auth.handleCallbackURL(QUrl(QStringLiteral("quillmark://auth/callback?token=forged")));
    runSync(std::move(task));
    EXPECT_EQ(auth.error(), QStringLiteral("Failed to validate token"));
    EXPECT_EQ(auth.api().bearerToken(), good);
    EXPECT_EQ(storedToken(), good);
    EXPECT_EQ(auth.state().user()->id, QStringLiteral("u1"));
}

// --- Apple -------------------------------------------------------------------

using AppleSignIn = AuthFixture;

TEST_F(AppleSignIn, CredentialIsExchangedAtTheBackend)
{
    AppleCredential credential{QByteArray("dev:ann@example.com"), std::nullopt, QStringLiteral("Ann"),
                               QStringLiteral("Lee")};
    AuthManager &auth = makeAuth(std::make_unique<FakeAppleProvider>(credential));
    runSync(auth.signInWithApple());

    ASSERT_TRUE(auth.state().isSignedIn()) << auth.errorText();
    EXPECT_EQ(auth.state().user()->email, QStringLiteral("ann@example.com"));
    EXPECT_EQ(auth.state().user()->name, QStringLiteral("Ann Lee"));
    EXPECT_TRUE(storedToken().has_value());

    const auto requests = m_backend.requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_FALSE(requests.first().header("Authorization").has_value());
    const QJsonObject body = QJsonDocument::fromJson(requests.first().body).object();
    EXPECT_EQ(body.value(QStringLiteral("identityToken")).toString(), QStringLiteral("dev:ann@example.com"));
    const QJsonObject user = body.value(QStringLiteral("user")).toObject();
    EXPECT_TRUE(user.value(QStringLiteral("email")).isNull());
    EXPECT_EQ(user.value(QStringLiteral("givenName")).toString(), QStringLiteral("Ann"));
}

TEST_F(AppleSignIn, UnusableCredentialSendsNothing)
{
    for (const std::optional<QByteArray> &token :
         {std::optional<QByteArray>(), std::optional(QByteArray("\xff\xfe"))}) {
        AuthManager &auth = makeAuth(std::make_unique<FakeAppleProvider>(AppleCredential{token, {}, {}, {}}));
        runSync(auth.signInWithApple());
        EXPECT_EQ(auth.error(), QStringLiteral("Failed to get Apple identity token"));
        EXPECT_TRUE(m_backend.requests().isEmpty());
    }
}

TEST_F(AppleSignIn, FailuresAreReportedWithTheirDescription)
{
    AuthManager &unavailable = makeAuth();
    runSync(unavailable.signInWithApple());
    EXPECT_EQ(unavailable.error(),
              QStringLiteral("Apple sign in failed: Sign in with Apple is not available on this system"));

    AuthManager &cancelled =
        makeAuth(std::make_unique<FakeAppleProvider>(QStringLiteral("The user cancelled")));
    runSync(cancelled.signInWithApple());
    EXPECT_EQ(cancelled.error(), QStringLiteral("Apple sign in failed: The user cancelled"));

    AuthManager &refused =
        makeAuth(std::make_unique<FakeAppleProvider>(AppleCredential{QByteArray("forged"), {}, {}, {}}));
    runSync(refused.signInWithApple());
    ASSERT_TRUE(refused.error().has_value());
    EXPECT_TRUE(refused.error()->startsWith(QStringLiteral("Apple sign in failed: "))) << refused.errorText();
    EXPECT_EQ(refused.state(), AuthState::unknown());
    EXPECT_FALSE(storedToken().has_value());
}

TEST_F(AppleSignIn, SaveFailureAfterExchangeKeepsTheOldToken)
{
    AuthManager &auth = makeAuth(
        std::make_unique<FakeAppleProvider>(AppleCredential{QByteArray("dev:ann@example.com"), {}, {}, {}}));
    m_keychain->setItem(QStringLiteral("session_token"), QStringLiteral("old"));
    m_keychain->failSaves();
    runSync(auth.signInWithApple());
    EXPECT_EQ(auth.error(), QStringLiteral("Failed to save session"));
    EXPECT_EQ(storedToken(), QStringLiteral("old"));
    EXPECT_EQ(auth.state(), AuthState::unknown());
    EXPECT_FALSE(auth.api().bearerToken().has_value());
}

} // namespace
