// The start-up of the whole application against the stand-in backend.
#include "app/single_instance_guard.h"
#include "backend/show_history_store.h"
#include "backend/show_sync_service.h"
#include "capture/whatnot_session.h"
#include "designer/template_store.h"
#include "instance_hand_over.h"
#include "printing/print_kit_adapter.h"
#include "run_sync.h"
#include "shell_fixture.h"
#include "standin_browser.h"

#include <QFile>
#include <QSignalSpy>

namespace quill::testing {
namespace {

using namespace std::chrono_literals;
using standin::Fault;
using standin::StandinShow;

class AppStateStart : public ShellFixture
{
};

TEST_F(AppStateStart, FreshInstallEndsSignedOutAndStillHandsOverTheClient)
{
    AppState &app = makeAppState();
    EXPECT_EQ(app.showSyncService().api(), nullptr) << "building wires nothing";
    EXPECT_FALSE(app.printAdapter().isRefreshTimerRunning());

    startAndWait(app);

    EXPECT_EQ(app.authManager().state().kind(), AuthState::Kind::signedOut);
    EXPECT_EQ(requestCount(QStringLiteral("GET"), QStringLiteral("/api/auth/me")), 0)
        << "no token, no request";
    ZavAPIClient *client = &app.authManager().api();
    EXPECT_EQ(app.showSyncService().api(), client);
    EXPECT_EQ(app.showHistoryStore().api(), client);
    EXPECT_EQ(app.whatnotSession().api(), client);
    EXPECT_TRUE(app.printAdapter().isRefreshTimerRunning());
    EXPECT_EQ(m_catalog->refreshes, 1);
    EXPECT_EQ(UserScoped::currentUserId(), std::nullopt);
    EXPECT_EQ(app.showHistoryStore().userId(), std::nullopt);
}

TEST_F(AppStateStart, TheTemplateStoreStartsEmptyAndIsLoadedByTheStart)
{
    LabelTemplate saved;
    saved.id = QUuid::createUuid();
    saved.name = QStringLiteral("Shelf tag");
    saved.labelSize = LabelSize{2.25, 1.25};
    saved.createdAt = QDateTime(QDate(2026, 1, 15), QTime(9, 30), Qt::UTC);
    saved.updatedAt = saved.createdAt;
    TemplateStore writer;
    writer.save(saved);

    AppState &app = makeAppState();
    EXPECT_TRUE(app.templateStore().templates().isEmpty());
    startAndWait(app);
    const QList<LabelTemplate> &loaded = app.templateStore().templates();
    EXPECT_TRUE(std::any_of(loaded.begin(), loaded.end(),
                            [&saved](const LabelTemplate &t) { return t.id == saved.id; }));
    writer.deleteTemplate(saved);
}

TEST_F(AppStateStart, RestoreComesBeforeTheUserScopeAndTheMarketplaceFlag)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    m_settings->setBool(QStringLiteral("has_test_printed"), true); // from an older version
    m_settings->setBool(QStringLiteral("u1_whatnot_authenticated"), true);
    AppState &app = makeAppState();
    std::optional<QString> scopeWhenRestored = QStringLiteral("not read");
    QObject::connect(&app.authManager(), &AuthManager::stateChanged, &app,
                     [&] { scopeWhenRestored = UserScoped::currentUserId(); });

    startAndWait(app);

    ASSERT_TRUE(app.authManager().state().isSignedIn());
    EXPECT_EQ(scopeWhenRestored, std::nullopt) << "the scope is set only after the restore";
    EXPECT_EQ(UserScoped::currentUserId(), QStringLiteral("u1"));
    EXPECT_TRUE(m_settings->boolValue(QStringLiteral("u1_has_test_printed")));
    EXPECT_TRUE(app.whatnotSession().isAuthenticated()) << "the marketplace flag of the restored seller";
    EXPECT_EQ(app.showHistoryStore().userId(), QStringLiteral("u1"));
}

TEST_F(AppStateStart, StartingAgainRepeatsTheRestoreButAddsNoTimerOrConnection)
{
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    startAndWait(app); // the window was closed and opened again

    EXPECT_EQ(app.completedStarts(), 2);
    EXPECT_EQ(m_keychain->loads, 2) << "the session is restored again";
    EXPECT_EQ(requestCount(QStringLiteral("GET"), QStringLiteral("/api/auth/me")), 2);
    EXPECT_EQ(m_catalog->refreshes, 1) << "one immediate refresh, from one timer";
    EXPECT_EQ(m_sleeper.sleeps().count(30s), 1) << "one refresh loop waits";

    // One reaction per show change, not one per start.
    ASSERT_TRUE(eventually([&] { return !app.showHistoryStore().isLoading(); }));
    m_backend.clearRequests();
    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started =
        app.showSyncService().startShow(QStringLiteral("Friday cards"), QStringLiteral("realtime"));
    ASSERT_TRUE(eventually([&] { return !app.showSyncService().activeShowId().isEmpty(); }));
    ASSERT_TRUE(eventually([&] { return !app.showHistoryStore().isLoading(); }));
    QTest::qWait(0);
    int historyRefreshes = 0;
    for (const auto &request : m_backend.requests())
        if (request.method == QLatin1String("GET") && request.path == QLatin1String("/api/shows") &&
            request.queryValue(QStringLiteral("status")) == std::nullopt)
            ++historyRefreshes;
    EXPECT_EQ(historyRefreshes, 1);
}

TEST_F(AppStateStart, OverlappingStartsRunOnce)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    Gate gate;
    AppState &app = makeAppState();
    m_keychain->loadGate = &gate;
    QSignalSpy finished(&app, &AppState::startFinished);

    auto first = app.start();
    auto second = app.start(); // the window shown twice in a row
    ASSERT_TRUE(eventually([&] { return gate.waiting() == 1; }));
    gate.open();
    ASSERT_TRUE(eventually([&] { return !app.isStarting(); }));

    EXPECT_EQ(app.completedStarts(), 1);
    EXPECT_EQ(m_keychain->loads, 1);
    EXPECT_EQ(finished.size(), 1);
    EXPECT_TRUE(app.authManager().state().isSignedIn());
}

TEST_F(AppStateStart, ShowHistoryIsLoadedAndRefreshedForTheRestoredSeller)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    StandinShow show;
    show.userId = QStringLiteral("u1");
    show.title = QStringLiteral("Tuesday slabs");
    m_backend.addShow(show);
    AppState &app = makeAppState();

    startAndWait(app);

    ASSERT_TRUE(eventually([&] { return app.showHistoryStore().shows().size() == 1; }));
    EXPECT_EQ(app.showHistoryStore().shows().first().title, QStringLiteral("Tuesday slabs"));
    EXPECT_TRUE(QFile::exists(app.showHistoryStore().cacheFilePath())) << "the refresh fills the cache";

    // The next launch lists the cached shows before the backend answers.
    m_appState.reset();
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows"), Fault::status(503));
    AppState &again = makeAppState();
    startAndWait(again);
    EXPECT_EQ(again.showHistoryStore().shows().size(), 1);
}

TEST_F(AppStateStart, TheFirstShowOfAFreshSellerIsListed)
{
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    ASSERT_TRUE(eventually([&] { return !app.showHistoryStore().isLoading(); }));
    ASSERT_TRUE(app.showHistoryStore().shows().isEmpty());

    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started = app.showSyncService().startShow(QStringLiteral("First show"), QStringLiteral("realtime"));

    ASSERT_TRUE(eventually([&] { return app.showHistoryStore().shows().size() == 1; }));
    EXPECT_EQ(app.showHistoryStore().shows().first().title, QStringLiteral("First show"));
}

TEST_F(AppStateStart, EveryAccountChangeMovesTheScopeTheMarketplaceFlagAndTheHistory)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    const QString bensToken = m_backend.addUser(QStringLiteral("u2"), QStringLiteral("ben@example.com"));
    StandinShow bensShow;
    bensShow.userId = QStringLiteral("u2");
    bensShow.title = QStringLiteral("Ben's show");
    m_backend.addShow(bensShow);
    m_settings->setBool(QStringLiteral("u1_whatnot_authenticated"), true);
    AppState &app = makeAppState();
    startAndWait(app);
    ASSERT_TRUE(app.whatnotSession().isAuthenticated());

    runSync(app.authManager().signOut());
    EXPECT_EQ(UserScoped::currentUserId(), std::nullopt);
    EXPECT_FALSE(app.whatnotSession().isAuthenticated()) << "the next account starts clean";
    EXPECT_EQ(app.showHistoryStore().userId(), std::nullopt);
    EXPECT_TRUE(app.showHistoryStore().shows().isEmpty());

    ZavUser ben;
    ben.id = QStringLiteral("u2");
    ben.email = QStringLiteral("ben@example.com");
    ASSERT_TRUE(runSync(app.authManager().completeSignIn(bensToken, ben)));
    EXPECT_EQ(UserScoped::currentUserId(), QStringLiteral("u2"));
    EXPECT_FALSE(app.whatnotSession().isAuthenticated()) << "u2 never logged in to the marketplace";
    EXPECT_EQ(app.showHistoryStore().userId(), QStringLiteral("u2"));
    ASSERT_TRUE(eventually([&] { return app.showHistoryStore().shows().size() == 1; }));
    EXPECT_EQ(app.showHistoryStore().shows().first().title, QStringLiteral("Ben's show"));
}

TEST_F(AppStateStart, AStartWhoseAnswerNeverCameIsNotTakenOverAfterAnotherAccountSignsIn)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    const QString bensToken = m_backend.addUser(QStringLiteral("u2"), QStringLiteral("ben@example.com"));
    StandinShow bensDraft;
    bensDraft.userId = QStringLiteral("u2");
    bensDraft.title = QStringLiteral("Friday cards");
    bensDraft.labelMode = QStringLiteral("grouped");
    const QString bensOld = m_backend.addShow(bensDraft);
    AppState &app = makeAppState();
    startAndWait(app);
    ShowSyncService &sync = app.showSyncService();

    // Ava's show is made, but the connection closes before its answer arrives.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::dropAfterHandling());
    sync.setActiveStreamId(QStringLiteral("stream-1"));
    runSync(sync.startShow(QStringLiteral("Friday cards"), QStringLiteral("Grouped")));
    m_backend.clearFaults();
    ASSERT_TRUE(sync.activeShowId().isEmpty());
    ASSERT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 1);

    runSync(app.authManager().signOut());
    ZavUser ben;
    ben.id = QStringLiteral("u2");
    ben.email = QStringLiteral("ben@example.com");
    ASSERT_TRUE(runSync(app.authManager().completeSignIn(bensToken, ben)));
    runSync(sync.startShow(QStringLiteral("Friday cards"), QStringLiteral("Grouped")));

    const QString started = sync.activeShowId();
    ASSERT_FALSE(started.isEmpty()) << sync.syncError().toStdString();
    EXPECT_NE(started, bensOld);
    EXPECT_EQ(m_backend.show(bensOld)->status, QStringLiteral("draft"));
    EXPECT_EQ(m_backend.show(started)->status, QStringLiteral("live"));
    EXPECT_EQ(m_backend.shows(QStringLiteral("u2")).size(), 2);
}

TEST_F(AppStateStart, ACallbackThatArrivesDuringTheRestoreIsHandledAndKept)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    m_backend.addUser(QStringLiteral("u2"), QStringLiteral("ben@example.com"));
    SingleInstanceGuard guard(uniqueServerName());
    ASSERT_TRUE(guard.listen());
    // The browser hands the callback to a later start of the program, which passes it on.
    StandinBrowser browser(
        [&guard](const QUrl &url) {
            testing::handOverFromAnotherThread(guard.serverName(), {url.toString()});
        },
        QStringLiteral("user=u2"));
    m_opener = [&browser](const QUrl &url) { return browser.open(url); };
    AppSetup appSetup = setup();
    appSetup.instanceGuard = &guard;
    AppState &app = makeAppState(std::move(appSetup));
    Gate gate;
    m_keychain->loadGate = &gate;

    auto starting = app.start();
    ASSERT_TRUE(eventually([&] { return gate.waiting() == 1; })) << "the restore holds u1's token";
    auto signingIn = app.authManager().signInWithGoogle();
    ASSERT_TRUE(eventually([&] { return app.authManager().state().isSignedIn(); }));
    EXPECT_EQ(app.authManager().state().user()->id, QStringLiteral("u2"));
    EXPECT_EQ(UserScoped::currentUserId(), QStringLiteral("u2"));

    m_keychain->loadGate = nullptr;
    gate.open();
    ASSERT_TRUE(eventually([&] { return !app.isStarting(); }));

    // The restore found u1's older session; the sign-in that completed meanwhile wins.
    EXPECT_EQ(app.authManager().state().user()->id, QStringLiteral("u2"));
    EXPECT_EQ(app.authManager().api().bearerToken(), m_tokens.items().value(QStringLiteral("session_token")));
    EXPECT_EQ(UserScoped::currentUserId(), QStringLiteral("u2"));
    EXPECT_EQ(app.showHistoryStore().userId(), QStringLiteral("u2"));
}

TEST_F(AppStateStart, ALaterStartOfTheProgramAsksForTheWindow)
{
    SingleInstanceGuard guard(uniqueServerName());
    ASSERT_TRUE(guard.listen());
    AppSetup appSetup = setup();
    appSetup.instanceGuard = &guard;
    AppState &app = makeAppState(std::move(appSetup));
    QSignalSpy activations(&app, &AppState::activationRequested);
    startAndWait(app);
    startAndWait(app);

    ASSERT_EQ(testing::handOverFromAnotherThread(guard.serverName()).outcome,
              SingleInstanceGuard::HandOver::Outcome::handedOver);
    ASSERT_TRUE(eventually([&] { return activations.size() >= 1; }));
    QTest::qWait(0);
    EXPECT_EQ(activations.size(), 1) << "hooked once, whatever the number of starts";
}

} // namespace
} // namespace quill::testing
