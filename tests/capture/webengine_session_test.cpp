// The marketplace session on a real page against the stand-in marketplace:
// login detection, the persistent profile, crash recovery and logout.

#include "capture/webengine_marketplace_page.h"
#include "capture_fixture.h"
#include "log_capture.h"
#include "script_host_fakes.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace quill {
namespace {

using testing::HeldSleeper;
using testing::runSync;
using testing::eventually;
using namespace std::chrono_literals;

class WebEngineSessionTest : public testing::MarketplaceFixture
{
protected:
    void SetUp() override
    {
        MarketplaceFixture::SetUp();
        sessionOptions().sleeper = &m_sleeper;
    }

    QJsonObject authCheck()
    {
        const QJsonValue answer = runScript(WhatnotSession::authCheckScript());
        return QJsonDocument::fromJson(answer.toString().toUtf8()).object();
    }
    bool lastRequestLoggedIn(const QString &path)
    {
        const QList<standin::MarketplaceRequest> requests = marketplace().requests();
        for (qsizetype i = requests.size() - 1; i >= 0; --i) {
            if (requests.at(i).path == path)
                return requests.at(i).loggedIn;
        }
        ADD_FAILURE() << "no request for " << path.toStdString();
        return false;
    }

    HeldSleeper m_sleeper; // login polls and crash pauses wait until released
};

TEST_F(WebEngineSessionTest, LoginCheckReadsTheMarketplaceMarkers)
{
    marketplace().setLoggedIn(true);
    ASSERT_TRUE(openHome());
    QJsonObject check = authCheck();
    EXPECT_EQ(check.value(QLatin1String("isLoggedIn")), QJsonValue(true));
    EXPECT_EQ(check.value(QLatin1String("matchedSelector")),
              QJsonValue(QStringLiteral("[data-testid=\"user-avatar\"]")));

    // A profile marker next to a login link is no login.
    runScript(QStringLiteral("var a = document.createElement('a'); a.href = '/login?next=/';"
                             "document.body.appendChild(a); return true;"));
    check = authCheck();
    EXPECT_EQ(check.value(QLatin1String("hasLoginLink")), QJsonValue(true));
    EXPECT_EQ(check.value(QLatin1String("isLoggedIn")), QJsonValue(false));

    marketplace().setLoggedIn(false);
    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    check = authCheck();
    EXPECT_EQ(check.value(QLatin1String("matchedSelector")), QJsonValue(QJsonValue::Null));
    EXPECT_EQ(check.value(QLatin1String("isLoggedIn")), QJsonValue(false));

    ASSERT_TRUE(testing::loadAndWait(page(), marketplace().loginUrl()));
    check = authCheck();
    EXPECT_EQ(check.value(QLatin1String("isLoginPage")), QJsonValue(true));
    EXPECT_EQ(check.value(QLatin1String("hasLoginForm")), QJsonValue(true));
}

TEST_F(WebEngineSessionTest, DetectsTheSellersLoginAndKeepsItAcrossRestarts)
{
    UserScoped::setCurrentUser(QStringLiteral("u1"), settings());
    auto loop = session().observeNavigation();

    ASSERT_TRUE(openHome());
    runSync(session().checkAuth());
    EXPECT_FALSE(session().isAuthenticated());

    // The seller logs in on the marketplace's own page; the finished load of the
    // page it leads to is checked.
    ASSERT_TRUE(logInThroughForm(QStringLiteral("ava")));
    ASSERT_TRUE(eventually([&] { return session().isAuthenticated(); }));
    EXPECT_EQ(marketplace().signedInUsers(), QStringList{QStringLiteral("ava")});
    EXPECT_TRUE(settings().boolValue(QStringLiteral("u1_whatnot_authenticated")));
    session().stopObservingNavigation();

    restartSession();
    sessionOptions().sleeper = &m_sleeper;
    EXPECT_TRUE(session().isAuthenticated()); // the cached flag
    ASSERT_TRUE(openHome());
    EXPECT_TRUE(lastRequestLoggedIn(QStringLiteral("/"))); // the profile kept the cookie
}

TEST_F(WebEngineSessionTest, TheServersRedirectAfterTheLoginFormIsLoggedAsARedirect)
{
    testing::LogCapture log("app.quillmark.Quillmark.WhatnotSession");
    const auto redirects = [&] {
        return log.matching(QStringLiteral("app.quillmark.Quillmark.WhatnotSession"), QtInfoMsg,
                            QStringLiteral("🔥 nav: receivedServerRedirect → "));
    };
    auto loop = session().observeNavigation();
    ASSERT_TRUE(openHome());
    ASSERT_TRUE(testing::loadAndWait(page(), marketplace().loginUrl()));
    ASSERT_TRUE(
        eventually([&] { return log.messages().filter(QStringLiteral("nav: finished")).size() >= 2; }));
    EXPECT_TRUE(redirects().isEmpty()) << "plain page loads are no redirects";

    // The marketplace answers the posted form with a 302 to its home page.
    ASSERT_TRUE(logInThroughForm(QStringLiteral("ava")));
    ASSERT_TRUE(eventually([&] { return !redirects().isEmpty(); }));
    EXPECT_EQ(redirects().size(), 1);
    session().stopObservingNavigation();
}

TEST_F(WebEngineSessionTest, ALoginPollNoticesTheLoginWithoutANavigation)
{
    marketplace().setLoggedIn(false);
    ASSERT_TRUE(openHome());
    auto poll = session().pollForAuth();
    // The page changes without loading anew, as a page that logs in by script does.
    runScript(QStringLiteral(
        "var i = document.createElement('img'); i.setAttribute('data-testid', 'user-avatar');"
        "document.querySelector('.login-link').remove(); document.querySelector('.signup-link')"
        ".remove(); document.body.appendChild(i); return true;"));
    EXPECT_FALSE(session().isAuthenticated());
    m_sleeper.releaseAll();
    ASSERT_TRUE(eventually([&] { return session().isAuthenticated(); }));
    ASSERT_TRUE(eventually([&] { return poll.isReady(); }));
    EXPECT_EQ(m_sleeper.sleeps(), QList<std::chrono::milliseconds>{2000ms});
}

TEST_F(WebEngineSessionTest, ReloadsThePageAfterItsRendererDies)
{
    marketplace().addWin(
        QStringLiteral("s1"),
        {QStringLiteral("alice"), QStringLiteral("Vintage card"), 12, QStringLiteral("30"), {}});
    auto loop = session().observeNavigation();
    ASSERT_TRUE(openStream(QStringLiteral("s1")));

    ASSERT_TRUE(testing::crashRenderer(page()));
    ASSERT_TRUE(eventually([&] { return m_sleeper.sleeps().contains(1000ms); }));
    EXPECT_FALSE(session().error().has_value());
    ASSERT_TRUE(testing::waitForLoad(page(), [&] { m_sleeper.releaseAll(); }));

    EXPECT_EQ(page().url(), marketplace().liveUrl(QStringLiteral("s1")));
    EXPECT_EQ(runScript(QStringLiteral("return document.querySelectorAll('.win-notice').length;")),
              QJsonValue(1));
    EXPECT_FALSE(loop.isReady());
    session().stopObservingNavigation();
}

TEST_F(WebEngineSessionTest, StopsReloadingAPageThatKeepsCrashing)
{
    session().setAuthenticated(true); // no login poll: every pause below is a crash pause
    auto loop = session().observeNavigation();
    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    // Every load of the page dies at once.
    QObject::connect(&page(), &QWebEnginePage::loadFinished, &page(), [this](bool) {
        const qint64 pid = page().renderProcessPid();
        if (pid > 0)
            ::kill(pid_t(pid), SIGKILL);
    });
    ASSERT_TRUE(testing::crashRenderer(page()));
    for (int reload = 1; reload <= WhatnotSession::kMaxCrashReloads; ++reload) {
        ASSERT_TRUE(eventually([&] { return m_sleeper.heldCount() > 0; }));
        EXPECT_EQ(m_sleeper.sleeps().constLast(), std::chrono::milliseconds(1000 << (reload - 1)));
        m_sleeper.releaseAll();
    }
    ASSERT_TRUE(eventually([&] { return loop.isReady(); }));
    ASSERT_TRUE(session().error().has_value());
    EXPECT_TRUE(session().error()->contains(QStringLiteral("4 times in a row")));
}

TEST_F(WebEngineSessionTest, LogoutRemovesCookiesAndSiteStorage)
{
    auto loop = session().observeNavigation();
    ASSERT_TRUE(logInThroughForm());
    ASSERT_TRUE(eventually([&] { return session().isAuthenticated(); }));
    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    EXPECT_TRUE(lastRequestLoggedIn(QStringLiteral("/live/s1")));
    ASSERT_TRUE(eventually([&] { return !session().page().cookies().isEmpty(); }));
    runScript(QStringLiteral("localStorage.setItem('seen', 'yes'); return true;"));

    QSignalSpy finished(&session(), &WhatnotSession::logoutFinished);
    session().logout();
    EXPECT_FALSE(session().isAuthenticated());
    ASSERT_TRUE(eventually([&] { return !finished.isEmpty(); }));
    EXPECT_TRUE(session().page().cookies().isEmpty());
    EXPECT_TRUE(session().page().isStorageWipePending());

    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    EXPECT_FALSE(lastRequestLoggedIn(QStringLiteral("/live/s1")));
    EXPECT_EQ(runScript(QStringLiteral("return localStorage.getItem('seen');")),
              QJsonValue(QJsonValue::Null));
    runSync(session().checkAuth());
    EXPECT_FALSE(session().isAuthenticated());
    session().stopObservingNavigation();
}

TEST_F(WebEngineSessionTest, ThePendingWipeRemovesTheProfileFolderBeforeItOpens)
{
    const QString folder = QDir(this->folder()).filePath(QStringLiteral("old-profile"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/Local Storage/leveldb")));
    QFile leftOver(folder + QStringLiteral("/Local Storage/leveldb/000003.log"));
    ASSERT_TRUE(leftOver.open(QIODevice::WriteOnly));
    leftOver.write("seen=yes");
    leftOver.close();
    {
        HeldSleeper unused;
        WebEngineMarketplacePage first(QStringLiteral("wipe-a"), folder, unused, 1s);
        EXPECT_FALSE(first.isStorageWipePending());
        first.setStorageWipePending(true);
        EXPECT_TRUE(QFile::exists(leftOver.fileName())); // nothing goes while the profile is open
    }
    EXPECT_TRUE(QFile::exists(leftOver.fileName()));

    // The next start (here: a profile no page of this process has used) begins empty.
    const QString moved = QDir(this->folder()).filePath(QStringLiteral("old-profile-copy"));
    ASSERT_TRUE(QDir().rename(folder, moved));
    ASSERT_TRUE(
        QFile::rename(folder + QStringLiteral(".wipe-pending"), moved + QStringLiteral(".wipe-pending")));
    HeldSleeper unused;
    WebEngineMarketplacePage next(QStringLiteral("wipe-b"), moved, unused, 1s);
    EXPECT_FALSE(QFile::exists(moved + QStringLiteral("/Local Storage/leveldb/000003.log")));
    EXPECT_FALSE(next.isStorageWipePending());
}

} // namespace
} // namespace quill
