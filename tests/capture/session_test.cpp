// The marketplace session's logic on a fake page: navigation loop, crash
// recovery, login detection and its cached flag, logout. The real page is
// exercised in webengine_session_test.cpp.

#include "backend/zav_api_client.h"
#include "capture/whatnot_session.h"
#include "common/logging.h"
#include "common/settings.h"
#include "common/user_scoped.h"
#include "eventually.h"
#include "run_sync.h"
#include "script_host_fakes.h"
#include "standin_backend.h"
#include "temporary_settings.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace quill {
namespace {

using testing::eventually;
using testing::FakeClock;
using testing::HeldSleeper;
using testing::LogCapture;
using testing::PendingHost;
using testing::ScriptedHost;
using testing::TemporarySettings;
using namespace std::chrono_literals;

const QUrl kHome(QStringLiteral("https://www.market.example/"));
const QString kLivePrefix = QStringLiteral("https://www.market.example/live/");

class FakePage final : public MarketplacePage
{
public:
    QUrl currentURL;
    QList<QUrl> loads;
    PageScriptHost *host = &scripted;
    ScriptedHost scripted;
    QList<QNetworkCookie> jar;
    bool wipePending = false;
    int clears = 0;

    QUrl url() const override { return currentURL; }
    void load(const QUrl &url) override { loads.append(url); }
    PageScriptHost &scriptHost() override { return *host; }
    QWebEnginePage *webPage() const override { return nullptr; }
    QList<QNetworkCookie> cookies() const override { return jar; }
    QCoro::Task<> clearWebsiteData() override
    {
        ++clears;
        jar.clear();
        co_return;
    }
    void setStorageWipePending(bool pending) override { wipePending = pending; }
    bool isStorageWipePending() const override { return wipePending; }

    void report(NavigationEvent::Kind kind, QString description = {}, QString localized = {})
    {
        NavigationEvent event;
        event.kind = kind;
        event.description = std::move(description);
        event.localizedDescription = std::move(localized);
        Q_EMIT navigationEvent(event);
        // The loop takes its events on the next turns of the event loop.
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }
    // The page committed and finished a load of `url`.
    void arrive(const QUrl &url)
    {
        currentURL = url;
        report(NavigationEvent::Kind::startedProvisionalNavigation);
        report(NavigationEvent::Kind::committed);
        report(NavigationEvent::Kind::finished);
    }
};

QJsonValue authAnswer(bool loggedIn,
                      std::optional<QString> selector = QStringLiteral("[aria-label=\"Profile\"]"),
                      bool loginLink = false)
{
    QJsonObject object;
    object.insert(QStringLiteral("hasLoginLink"), loginLink);
    object.insert(QStringLiteral("isLoginPage"), false);
    object.insert(QStringLiteral("hasLoginForm"), false);
    object.insert(QStringLiteral("matchedSelector"), selector ? QJsonValue(*selector) : QJsonValue());
    object.insert(QStringLiteral("isLoggedIn"), loggedIn);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

class SessionTest : public ::testing::Test
{
protected:
    void SetUp() override { UserScoped::setCurrentUser(std::nullopt, nullptr); }
    void TearDown() override
    {
        m_session.reset();
        m_sleeper.releaseAll(); // the loops see the session gone and end
        UserScoped::setCurrentUser(std::nullopt, nullptr);
    }

    WhatnotSession &session()
    {
        if (!m_session) {
            auto page = std::make_unique<FakePage>();
            m_page = page.get();
            WhatnotSessionOptions options;
            options.homeURL = kHome;
            options.livePrefix = kLivePrefix;
            options.settings = m_settings.get();
            options.sleeper = &m_sleeper;
            options.clock = &m_clock;
            options.page = std::move(page);
            m_session = std::make_unique<WhatnotSession>(std::move(options));
        }
        return *m_session;
    }
    FakePage &page()
    {
        session();
        return *m_page;
    }
    Settings &settings() { return *m_settings; }
    // Answers every login check with `answer`.
    void answerChecks(QJsonValue answer)
    {
        page().scripted.respond = [answer](const QString &) { return answer; };
    }
    qsizetype checksRun() { return page().scripted.calls().size(); }

    HeldSleeper m_sleeper;
    FakeClock m_clock;

private:
    TemporarySettings m_settings;
    std::unique_ptr<WhatnotSession> m_session;
    FakePage *m_page = nullptr;
};

// --- cached login flag --------------------------------------------------------------

TEST_F(SessionTest, StartsFromTheCachedFlagOfTheCurrentUser)
{
    settings().setBool(QStringLiteral("whatnot_authenticated"), false);
    settings().setBool(QStringLiteral("u1_whatnot_authenticated"), true);
    UserScoped::setCurrentUser(QStringLiteral("u1"), settings());
    EXPECT_TRUE(session().isAuthenticated());
}

TEST_F(SessionTest, ReadsTheFlagAgainWhenTheSignedInUserChanges)
{
    settings().setBool(QStringLiteral("whatnot_authenticated"), true); // stored before any account existed
    settings().setBool(QStringLiteral("u2_whatnot_authenticated"), false);
    ASSERT_TRUE(session().isAuthenticated());
    QSignalSpy changed(&session(), &WhatnotSession::isAuthenticatedChanged);

    // The first user inherits the plain flag.
    UserScoped::setCurrentUser(QStringLiteral("u1"), settings());
    session().currentUserChanged();
    EXPECT_TRUE(session().isAuthenticated());
    EXPECT_TRUE(changed.isEmpty());

    // Another account does not see the first one's login.
    UserScoped::setCurrentUser(QStringLiteral("u2"), settings());
    session().currentUserChanged();
    EXPECT_FALSE(session().isAuthenticated());
    ASSERT_EQ(changed.size(), 1);

    // A write lands under the key the next read uses.
    session().setAuthenticated(true);
    EXPECT_TRUE(settings().boolValue(QStringLiteral("u2_whatnot_authenticated")));
    EXPECT_TRUE(settings().boolValue(QStringLiteral("u1_whatnot_authenticated")));
}

TEST_F(SessionTest, NoticesAUserChangeAtItsNextWriteEvenWithoutBeingTold)
{
    settings().setBool(QStringLiteral("u2_whatnot_authenticated"), true);
    session();
    UserScoped::setCurrentUser(QStringLiteral("u2"), settings());
    QSignalSpy changed(&session(), &WhatnotSession::isAuthenticatedChanged);
    session().setAuthenticated(true); // already true for u2: nothing to do
    EXPECT_TRUE(session().isAuthenticated());
    ASSERT_EQ(changed.size(), 1); // the re-read, not a second change
    EXPECT_FALSE(settings().contains(QStringLiteral("whatnot_authenticated")));
}

TEST_F(SessionTest, SetAuthenticatedStoresAndReportsOnlyRealChanges)
{
    standin::StandinBackend backend;
    ASSERT_NE(backend.listen(), 0);
    const QString token = backend.addUser(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    ZavAPIClient api(backend.baseUrl());
    api.setBearerToken(token);
    UserScoped::setCurrentUser(QStringLiteral("u1"), settings());

    session().setApi(&api);
    QSignalSpy changed(&session(), &WhatnotSession::isAuthenticatedChanged);
    session().setAuthenticated(true);
    session().setAuthenticated(true);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_TRUE(settings().boolValue(QStringLiteral("u1_whatnot_authenticated")));

    ASSERT_TRUE(eventually([&] {
        return backend.onboarding(QStringLiteral("u1"), QStringLiteral("quillmark"))
            .completedSteps.contains(QStringLiteral("whatnot"));
    }));
    // The backend has the step; the report's own task ends when its answer is read
    // (on a busy machine well after that), and must not outlive the client.
    ASSERT_TRUE(eventually([&] { return api.requestsInFlight() == 0; }));
    QCoreApplication::processEvents();
    qsizetype reports = 0;
    for (const auto &request : backend.requests())
        reports += request.path == QLatin1String("/api/onboarding/quillmark") ? 1 : 0;
    EXPECT_EQ(reports, 1);
}

TEST_F(SessionTest, AFailedOnboardingReportChangesNothing)
{
    standin::StandinBackend backend;
    ASSERT_NE(backend.listen(), 0);
    ZavAPIClient api(backend.baseUrl()); // no token: the report fails
    session().setApi(&api);
    session().setAuthenticated(true);
    EXPECT_TRUE(session().isAuthenticated());
    EXPECT_TRUE(settings().boolValue(QStringLiteral("whatnot_authenticated")));
}

TEST_F(SessionTest, TellsObserversWhenItsBackendClientChangesOrGoesAway)
{
    QSignalSpy changed(&session(), &WhatnotSession::apiChanged);
    auto api = std::make_unique<ZavAPIClient>(QUrl(QStringLiteral("http://127.0.0.1:9")));
    session().setApi(api.get());
    session().setApi(api.get()); // the same client: no change
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<ZavAPIClient *>(), api.get());

    api.reset(); // the session holds it weakly: observers learn it is gone
    EXPECT_EQ(session().api(), nullptr);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed.at(1).at(0).value<ZavAPIClient *>(), nullptr);
    session().setApi(nullptr);
    EXPECT_EQ(changed.size(), 2);
}

// --- page requests ------------------------------------------------------------------

TEST_F(SessionTest, LoadsTheHomePageUnlessLoggingOut)
{
    session().load();
    ASSERT_EQ(page().loads, QList<QUrl>{kHome});

    page().host = new PendingHost; // keep the logout's storage script from finishing
    page().currentURL = QUrl(QStringLiteral("https://www.market.example/live/abc"));
    session().logout();
    ASSERT_TRUE(session().isLoggingOut());
    session().load();
    EXPECT_EQ(page().loads, QList<QUrl>{kHome});
    auto *pending = static_cast<PendingHost *>(page().host);
    pending->answerOldest(QStringLiteral("{}"));
    EXPECT_FALSE(session().isLoggingOut());
    page().host = &page().scripted;
    delete pending;
}

TEST_F(SessionTest, NavigatesToAStreamGivenAsOnePathSegment)
{
    session().navigateToStream(QStringLiteral("a1B2-c_3.d~e"));
    ASSERT_EQ(page().loads.size(), 1);
    EXPECT_EQ(page().loads.at(0), QUrl(kLivePrefix + QStringLiteral("a1B2-c_3.d~e")));
}

TEST_F(SessionTest, RefusesStreamIdsThatAreNotOnePathSegment)
{
    const QStringList refused{QString(),
                              QStringLiteral("../settings"),
                              QStringLiteral(".."),
                              QStringLiteral("."),
                              QStringLiteral("abc/def"),
                              QStringLiteral("abc?next=https://evil.example"),
                              QStringLiteral("abc#x"),
                              QStringLiteral("abc def"),
                              QStringLiteral("abc%2Fdef"),
                              QStringLiteral("https://evil.example/live/abc"),
                              QStringLiteral("ab\ncd"),
                              QString(201, QLatin1Char('a'))};
    for (const QString &id : refused) {
        SCOPED_TRACE(id.toStdString());
        try {
            session().navigateToStream(id);
            ADD_FAILURE() << "accepted";
        } catch (const InvalidStreamIdError &error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("is not a stream id")));
        }
    }
    EXPECT_TRUE(page().loads.isEmpty());
}

// --- login check --------------------------------------------------------------------

TEST_F(SessionTest, ChecksLoginOnlyOnTheMarketplaceHost)
{
    answerChecks(authAnswer(true));
    const QList<QUrl> elsewhere{
        QUrl(),
        QUrl(QStringLiteral("about:blank")),
        QUrl(QStringLiteral("https://evil.example/?back=https://www.market.example/")),
        QUrl(QStringLiteral("https://www.market.example.evil.example/")),
        QUrl(QStringLiteral("https://notmarket.example/")),
        QUrl(QStringLiteral("file:///www.market.example/")),
    };
    for (const QUrl &url : elsewhere) {
        page().currentURL = url;
        testing::runSync(session().checkAuth());
    }
    EXPECT_EQ(checksRun(), 0);
    EXPECT_FALSE(session().isAuthenticated());

    for (const QString &address :
         {QStringLiteral("https://www.market.example/live/x"), QStringLiteral("https://market.example/"),
          QStringLiteral("https://m.market.example/")}) {
        page().currentURL = QUrl(address);
        testing::runSync(session().checkAuth());
    }
    EXPECT_EQ(checksRun(), 3);
    EXPECT_TRUE(session().isAuthenticated());
}

TEST_F(SessionTest, SkipsLoginAndSignUpPages)
{
    answerChecks(authAnswer(true));
    for (const QString &address : {QStringLiteral("https://www.market.example/login"),
                                   QStringLiteral("https://www.market.example/signup?x=1"),
                                   QStringLiteral("https://www.market.example/en/login/email")}) {
        page().currentURL = QUrl(address);
        testing::runSync(session().checkAuth());
    }
    EXPECT_EQ(checksRun(), 0);
    // A "/login" in the query is not a login page.
    page().currentURL = QUrl(QStringLiteral("https://www.market.example/live/x?from=/login"));
    testing::runSync(session().checkAuth());
    EXPECT_EQ(checksRun(), 1);
}

TEST_F(SessionTest, TakesThePageVerdictBothWays)
{
    page().currentURL = kHome;
    answerChecks(authAnswer(true));
    testing::runSync(session().checkAuth());
    EXPECT_TRUE(session().isAuthenticated());

    answerChecks(authAnswer(false, std::nullopt));
    LogCapture log("app.quillmark.Quillmark.WhatnotSession");
    testing::runSync(session().checkAuth());
    EXPECT_FALSE(session().isAuthenticated());
    EXPECT_TRUE(
        log.messages().join(QLatin1Char('\n')).contains(QStringLiteral("isLoggedIn=false selector=none")));
}

TEST_F(SessionTest, LeavesTheStateAloneWhenTheCheckFailsOrAnswersNonsense)
{
    page().currentURL = kHome;
    session().setAuthenticated(true);
    const QList<QJsonValue> nonsense{QJsonValue(), QJsonValue(QJsonValue::Undefined), QJsonValue(42),
                                     QJsonValue(QStringLiteral("not json")),
                                     QJsonValue(QStringLiteral("{\"isLoggedIn\":\"no\"}"))};
    for (const QJsonValue &answer : nonsense) {
        answerChecks(answer);
        testing::runSync(session().checkAuth());
        EXPECT_TRUE(session().isAuthenticated());
    }
    page().scripted.respond = [](const QString &) -> QJsonValue {
        throw PageScriptError(PageScriptError::Kind::rendererCrashed, QStringLiteral("gone"));
    };
    testing::runSync(session().checkAuth());
    EXPECT_TRUE(session().isAuthenticated());
}

TEST_F(SessionTest, ALogoutDuringACheckWinsOverTheOlderVerdict)
{
    page().currentURL = kHome;
    PendingHost pending;
    page().host = &pending;
    auto check = session().checkAuth();
    ASSERT_EQ(pending.pendingCount(), 1);

    session().logout(); // its storage script queues behind the check
    pending.answerOldest(authAnswer(true));
    EXPECT_FALSE(session().isAuthenticated());
    EXPECT_FALSE(settings().boolValue(QStringLiteral("whatnot_authenticated")));

    pending.answerOldest(QStringLiteral("{}"));
    testing::runSync(std::move(check));
    EXPECT_FALSE(session().isLoggingOut());
    page().host = &page().scripted;
}

TEST_F(SessionTest, RunsOneLoginPollAtATime)
{
    page().currentURL = kHome;
    answerChecks(authAnswer(false, std::nullopt));
    auto first = session().pollForAuth();
    auto second = session().pollForAuth();
    EXPECT_TRUE(second.isReady());
    EXPECT_EQ(m_sleeper.heldCount(), 1);

    m_sleeper.releaseAll(); // one check, then the next pause
    EXPECT_EQ(checksRun(), 1);
    EXPECT_EQ(m_sleeper.heldCount(), 1);

    answerChecks(authAnswer(true));
    m_sleeper.releaseAll();
    EXPECT_EQ(checksRun(), 2);
    EXPECT_TRUE(first.isReady());
    EXPECT_FALSE(session().isPollingForAuth());
    EXPECT_EQ(m_sleeper.sleeps(), (QList<std::chrono::milliseconds>{2000ms, 2000ms}));

    // Logged in: a new poll checks nothing.
    auto third = session().pollForAuth();
    EXPECT_TRUE(third.isReady());
    EXPECT_EQ(checksRun(), 2);
}

// --- navigation loop ------------------------------------------------------------------

TEST_F(SessionTest, FollowsTheNavigationAndChecksLoginAfterEachFinishedLoad)
{
    answerChecks(authAnswer(false, std::nullopt));
    auto loop = session().observeNavigation();
    QSignalSpy urlChanged(&session(), &WhatnotSession::currentURLChanged);

    page().arrive(kHome);
    EXPECT_EQ(session().currentURL(), kHome);
    EXPECT_EQ(urlChanged.size(), 1); // the finished load brought the same address again
    EXPECT_EQ(checksRun(), 1);

    answerChecks(authAnswer(true));
    page().arrive(QUrl(kLivePrefix + QStringLiteral("s1")));
    EXPECT_TRUE(session().isAuthenticated());
    EXPECT_EQ(checksRun(), 2);

    page().arrive(kHome); // logged in: no more checks
    EXPECT_EQ(checksRun(), 2);
    EXPECT_FALSE(loop.isReady());
    session().stopObservingNavigation();
    QCoreApplication::processEvents();
    EXPECT_TRUE(loop.isReady());
}

TEST_F(SessionTest, EndsTheLoopWithAnErrorWhenANavigationFails)
{
    auto loop = session().observeNavigation();
    page().report(NavigationEvent::Kind::failed, QStringLiteral("navigationFailed(code: -105)"),
                  QStringLiteral("Host not found"));
    EXPECT_TRUE(loop.isReady());
    EXPECT_EQ(session().error(), std::optional<QString>(QStringLiteral("Navigation failed: Host not found")));
}

TEST_F(SessionTest, EndsTheLoopQuietlyWhenThePageCloses)
{
    auto loop = session().observeNavigation();
    page().report(NavigationEvent::Kind::pageClosed, QStringLiteral("pageClosed"));
    EXPECT_TRUE(loop.isReady());
    EXPECT_FALSE(session().error().has_value());
}

TEST_F(SessionTest, ReloadsAfterACrashWithGrowingPausesAndGivesUpAtTheFourth)
{
    auto loop = session().observeNavigation();
    ASSERT_EQ(m_sleeper.heldCount(), 1); // the login poll
    page().currentURL = QUrl(kLivePrefix + QStringLiteral("s1"));

    for (int attempt = 1; attempt <= 3; ++attempt) {
        SCOPED_TRACE(attempt);
        page().report(NavigationEvent::Kind::webContentProcessTerminated,
                      QStringLiteral("webContentProcessTerminated"));
        EXPECT_FALSE(session().error().has_value());
        EXPECT_EQ(m_sleeper.sleeps().constLast(), std::chrono::milliseconds(1000 << (attempt - 1)));
        EXPECT_EQ(page().loads.size(), attempt - 1); // nothing before the pause
        m_sleeper.releaseAll();                      // also lets the login poll make a (skipped) check
        ASSERT_EQ(page().loads.size(), attempt);
        EXPECT_EQ(page().loads.constLast(), page().currentURL);
        m_clock.advance(5s);
    }
    page().report(NavigationEvent::Kind::webContentProcessTerminated,
                  QStringLiteral("webContentProcessTerminated"));
    EXPECT_TRUE(loop.isReady());
    EXPECT_EQ(page().loads.size(), 3);
    ASSERT_TRUE(session().error().has_value());
    EXPECT_TRUE(session().error()->contains(QStringLiteral("4 times in a row")));
    EXPECT_FALSE(session().isRecovering()); // readers stop waiting and count their failures

    // A new loop starts afresh.
    auto again = session().observeNavigation();
    page().report(NavigationEvent::Kind::webContentProcessTerminated,
                  QStringLiteral("webContentProcessTerminated"));
    m_sleeper.releaseAll();
    EXPECT_EQ(page().loads.size(), 4);
    EXPECT_FALSE(session().error().has_value());
    session().stopObservingNavigation();
}

TEST_F(SessionTest, APageThatAnswersBetweenCrashesIsReloadedHoweverOftenItDies)
{
    auto loop = session().observeNavigation();
    page().currentURL = QUrl(kLivePrefix + QStringLiteral("s1"));
    for (int crash = 1; crash <= 6; ++crash) {
        SCOPED_TRACE(crash);
        page().report(NavigationEvent::Kind::webContentProcessTerminated,
                      QStringLiteral("webContentProcessTerminated"));
        EXPECT_TRUE(session().isRecovering());
        EXPECT_EQ(m_sleeper.sleeps().constLast(), 1000ms); // each one a first crash
        m_sleeper.releaseAll();
        ASSERT_EQ(page().loads.size(), crash);
        EXPECT_TRUE(session().isRecovering()); // until the reload has loaded
        page().arrive(page().currentURL);
        EXPECT_FALSE(session().isRecovering());
        session().pageAnswered(); // a scan of the reloaded page
        m_clock.advance(10s);
    }
    EXPECT_FALSE(loop.isReady());
    EXPECT_FALSE(session().error().has_value());

    // A page that dies again before answering still counts: 2 s after the next crash.
    page().report(NavigationEvent::Kind::webContentProcessTerminated,
                  QStringLiteral("webContentProcessTerminated"));
    m_sleeper.releaseAll();
    page().arrive(page().currentURL);
    page().report(NavigationEvent::Kind::webContentProcessTerminated,
                  QStringLiteral("webContentProcessTerminated"));
    EXPECT_EQ(m_sleeper.sleeps().constLast(), 2000ms);
    session().stopObservingNavigation();
    m_sleeper.releaseAll();
    QCoreApplication::processEvents();
    EXPECT_TRUE(loop.isReady());
    EXPECT_FALSE(session().isRecovering()); // nobody reloads the page any more
}

TEST_F(SessionTest, CrashesFarApartAreEachAFirstCrash)
{
    auto loop = session().observeNavigation();
    for (int crash = 0; crash < 6; ++crash) {
        page().report(NavigationEvent::Kind::webContentProcessTerminated,
                      QStringLiteral("webContentProcessTerminated"));
        EXPECT_EQ(m_sleeper.sleeps().constLast(), 1000ms);
        m_sleeper.releaseAll();
        m_clock.advance(WhatnotSession::kCrashWindow + 1s);
    }
    EXPECT_FALSE(loop.isReady());
    EXPECT_EQ(page().loads.size(), 6);
    // No address: the home page is reloaded.
    EXPECT_EQ(page().loads.constLast(), kHome);
    session().stopObservingNavigation();
}

TEST_F(SessionTest, TwoLoopsReloadOnceForOneCrash)
{
    auto first = session().observeNavigation();
    auto second = session().observeNavigation();
    page().report(NavigationEvent::Kind::webContentProcessTerminated,
                  QStringLiteral("webContentProcessTerminated"));
    m_sleeper.releaseAll();
    EXPECT_EQ(page().loads.size(), 1);
    session().stopObservingNavigation();
    QCoreApplication::processEvents();
    EXPECT_TRUE(first.isReady());
    EXPECT_TRUE(second.isReady());
}

TEST_F(SessionTest, EventsOfTheDeadPageBeforeTheReloadAreDropped)
{
    answerChecks(authAnswer(false, std::nullopt));
    auto loop = session().observeNavigation();
    page().report(NavigationEvent::Kind::webContentProcessTerminated,
                  QStringLiteral("webContentProcessTerminated"));
    page().report(NavigationEvent::Kind::finished); // reported while the loop pauses
    page().currentURL = kHome;
    m_sleeper.releaseAll();
    EXPECT_EQ(checksRun(), 1); // only the login poll's check, not one for the stale event
    session().stopObservingNavigation();
}

// --- logout ----------------------------------------------------------------------------

TEST_F(SessionTest, LogoutIsImmediateAndClearsInTheBackground)
{
    page().currentURL = QUrl(kLivePrefix + QStringLiteral("s1"));
    page().jar.append(QNetworkCookie("mp_session", "abc"));
    session().setAuthenticated(true);
    PendingHost pending;
    page().host = &pending;
    QSignalSpy finished(&session(), &WhatnotSession::logoutFinished);

    session().logout();
    EXPECT_FALSE(session().isAuthenticated());
    EXPECT_TRUE(session().isLoggingOut());
    EXPECT_TRUE(finished.isEmpty());
    ASSERT_EQ(pending.pendingCount(), 1); // the marketplace origin's storage is being emptied
    EXPECT_TRUE(pending.oldestBody().contains(QStringLiteral("localStorage.clear()")));
    EXPECT_TRUE(page().loads.isEmpty());

    pending.answerOldest(QStringLiteral("{\"cleared\":[\"localStorage\"]}"));
    EXPECT_EQ(finished.size(), 1);
    EXPECT_FALSE(session().isLoggingOut());
    EXPECT_EQ(page().clears, 1);
    EXPECT_TRUE(page().jar.isEmpty());
    EXPECT_TRUE(page().wipePending);
    EXPECT_EQ(page().loads, QList<QUrl>{QUrl(QStringLiteral("about:blank"))});
    EXPECT_FALSE(settings().contains(QStringLiteral("whatnot_authenticated")));
    page().host = &page().scripted;
}

TEST_F(SessionTest, LogoutOffTheMarketplaceRunsNoScript)
{
    page().currentURL = QUrl(QStringLiteral("about:blank"));
    QSignalSpy finished(&session(), &WhatnotSession::logoutFinished);
    session().logout();
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(checksRun(), 0);
    EXPECT_TRUE(page().wipePending);
}

TEST_F(SessionTest, ASecondLogoutWhileOneRunsStartsNoSecondClearing)
{
    page().currentURL = kHome;
    PendingHost pending;
    page().host = &pending;
    QSignalSpy finished(&session(), &WhatnotSession::logoutFinished);
    session().logout();
    session().logout();
    EXPECT_EQ(page().clears, 1);
    EXPECT_EQ(pending.pendingCount(), 1);
    pending.answerOldest(QStringLiteral("{}"));
    EXPECT_EQ(finished.size(), 1);
    EXPECT_FALSE(session().isLoggingOut());
    page().host = &page().scripted;
}

TEST_F(SessionTest, LoggingInAgainWithdrawsTheStorageWipe)
{
    session().logout();
    ASSERT_TRUE(page().wipePending);
    session().setAuthenticated(true);
    EXPECT_FALSE(page().wipePending);
}

} // namespace
} // namespace quill
