#include "dashboard_fixture.h"
#include "eventually.h"
#include "scoped_time_zone.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

namespace quill::testing {
namespace {

using Dashboard = DashboardFixture;

TEST_F(Dashboard, StaffSeesTheStandinsFiguresOnTheCards)
{
    DashboardController &dashboard = controller(signIn(QStringLiteral("staff@quillmark.app")));
    runSync(dashboard.load());
    ASSERT_TRUE(dashboard.overview().has_value());
    EXPECT_FALSE(dashboard.isLoading());
    EXPECT_FALSE(dashboard.apiError().has_value());
    EXPECT_EQ(dashboard.lastRefreshed(), m_clock.now());
    EXPECT_EQ(dashboard.updatedText(), QStringLiteral("Updated ") +
                                           QLocale().toString(QTime(15, 41), QLocale::ShortFormat));

    const auto stats = dashboard.statCards();
    ASSERT_EQ(stats.size(), 4);
    EXPECT_EQ(stats[0].label, QStringLiteral("USERS"));
    EXPECT_EQ(stats[0].value, QStringLiteral("42"));
    EXPECT_EQ(stats[0].detail, QStringLiteral("12 pro / 30 free"));
    EXPECT_EQ(stats[0].accent, systemColor(SystemColor::blue));
    EXPECT_EQ(stats[1].label, QStringLiteral("MRR"));
    EXPECT_EQ(stats[1].value, QStringLiteral("$359.88"));
    EXPECT_FALSE(stats[1].detail.has_value());
    EXPECT_EQ(stats[1].accent, brandGreenColor());
    EXPECT_EQ(stats[2].label, QStringLiteral("LIVE SHOWS"));
    EXPECT_EQ(stats[2].value, QStringLiteral("3"));
    EXPECT_TRUE(stats[2].pulse);
    EXPECT_EQ(stats[2].accent, systemColor(SystemColor::orange));
    EXPECT_EQ(stats[3].label, QStringLiteral("LABELS PRINTED"));
    EXPECT_EQ(stats[3].value, QStringLiteral("2210"));
    EXPECT_EQ(stats[3].accent, systemColor(SystemColor::purple));

    const auto movement = dashboard.movementCards();
    ASSERT_EQ(movement.size(), 3);
    EXPECT_EQ(movement[0].label, QStringLiteral("NEW"));
    EXPECT_EQ(movement[0].value, QStringLiteral("+5"));
    EXPECT_EQ(movement[1].label, QStringLiteral("CHURN"));
    EXPECT_EQ(movement[1].value, QStringLiteral("-1"));
    EXPECT_EQ(movement[1].color, systemColor(SystemColor::red));
    EXPECT_EQ(movement[2].label, QStringLiteral("NET"));
    EXPECT_EQ(movement[2].value, QStringLiteral("+4"));
    EXPECT_EQ(movement[2].color, brandGreenColor());

    // The request carried the stored token, not the shared client's.
    const auto request = m_backend.requests().last();
    EXPECT_EQ(request.header("Authorization").value_or(QByteArray()).startsWith("Bearer "), true);
}

TEST_F(Dashboard, UpdatedTimeIsTheSellersLocalTime)
{
    // 15:41 UTC is 21:11 five and a half hours east.
    ScopedTimeZone zone("IST-5:30");
    DashboardController &dashboard = controller(signIn(QStringLiteral("staff@quillmark.app")));
    runSync(dashboard.load());
    ASSERT_TRUE(dashboard.lastRefreshed().has_value());
    EXPECT_EQ(dashboard.updatedText(), QStringLiteral("Updated ") +
                                           QLocale().toString(QTime(21, 11), QLocale::ShortFormat));
}

TEST_F(Dashboard, MovementAndMoneyTexts)
{
    struct Row
    {
        const char *mrr;
        qint64 added, churned;
        const char *mrrText, *newText, *churnText, *netText;
        QColor churnColor, netColor;
    };
    const QColor red = systemColor(SystemColor::red);
    const Row rows[] = {
        {"1234.5", 0, 0, "$1234.50", "+0", "-0", "0", primaryTextColor(), primaryTextColor()},
        {"0", 2, 5, "$0.00", "+2", "-5", "-3", red, red},
        {"-12.3", 7, 1, "$-12.30", "+7", "-1", "+6", red, brandGreenColor()},
    };
    DashboardController &dashboard = controller(signIn(QStringLiteral("staff@quillmark.app")));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.mrr);
        setRevenue(QString::fromLatin1(row.mrr), row.added, row.churned);
        runSync(dashboard.load());
        ASSERT_TRUE(dashboard.overview().has_value());
        EXPECT_EQ(dashboard.statCards()[1].value, QString::fromLatin1(row.mrrText));
        const auto movement = dashboard.movementCards();
        EXPECT_EQ(movement[0].value, QString::fromLatin1(row.newText));
        EXPECT_EQ(movement[0].color, brandGreenColor());
        EXPECT_EQ(movement[1].value, QString::fromLatin1(row.churnText));
        EXPECT_EQ(movement[1].color, row.churnColor);
        EXPECT_EQ(movement[2].value, QString::fromLatin1(row.netText));
        EXPECT_EQ(movement[2].color, row.netColor);
    }
}

TEST_F(Dashboard, NoLiveShowsNoDotAndMissingLabelsCountAsZero)
{
    QJsonObject shows;
    shows.insert(QStringLiteral("total"), 5);
    shows.insert(QStringLiteral("liveNow"), 0);
    shows.insert(QStringLiteral("completedThisMonth"), 1);
    shows.insert(QStringLiteral("totalAuctions"), 9);
    m_backend.setStaffStatistics(QStringLiteral("shows"), shows);
    DashboardController &dashboard = controller(signIn(QStringLiteral("staff@quillmark.app")));
    runSync(dashboard.load());
    const auto stats = dashboard.statCards();
    ASSERT_EQ(stats.size(), 4);
    EXPECT_EQ(stats[2].value, QStringLiteral("0"));
    EXPECT_FALSE(stats[2].pulse);
    EXPECT_EQ(stats[3].value, QStringLiteral("0"));
}

TEST_F(Dashboard, ASellerIsRefusedAndSeesTheMessage)
{
    DashboardController &dashboard = controller(signIn(QStringLiteral("ava@example.com")));
    runSync(dashboard.load());
    EXPECT_EQ(dashboard.apiError(), QStringLiteral("Could not load stats"));
    EXPECT_FALSE(dashboard.overview().has_value());
    EXPECT_FALSE(dashboard.lastRefreshed().has_value());
    EXPECT_FALSE(dashboard.isLoading());
    EXPECT_GE(overviewRequests(), 1);
}

TEST_F(Dashboard, SignedOutSendsNothingAndSeesTheMessage)
{
    AuthManager &auth = makeAuth();
    m_keychain->setItem(QStringLiteral("session_token"), m_backend.addUser(QStringLiteral("s"),
                                                                          QStringLiteral("staff@quillmark.app")));
    DashboardController &dashboard = controller(auth); // state unknown: not signed in
    runSync(dashboard.load());
    EXPECT_EQ(dashboard.apiError(), QStringLiteral("Could not load stats"));
    EXPECT_EQ(overviewRequests(), 0);
}

TEST_F(Dashboard, AFailedRefreshKeepsTheCardsAndTheirTime)
{
    DashboardController &dashboard = controller(signIn(QStringLiteral("staff@quillmark.app")));
    runSync(dashboard.load());
    ASSERT_TRUE(dashboard.overview().has_value());
    const QDateTime firstTime = m_clock.now();
    m_clock.advance(std::chrono::minutes(10));
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/admin/*"), standin::Fault::status(500));
    runSync(dashboard.load());
    EXPECT_EQ(dashboard.apiError(), QStringLiteral("Could not load stats"));
    EXPECT_TRUE(dashboard.overview().has_value());
    EXPECT_EQ(dashboard.statCards()[0].value, QStringLiteral("42"));
    EXPECT_EQ(dashboard.lastRefreshed(), firstTime);

    // The next load clears the message when it starts.
    m_backend.clearFaults();
    QCoro::Task<> next = dashboard.load();
    EXPECT_FALSE(dashboard.apiError().has_value());
    EXPECT_TRUE(dashboard.isLoading());
    runSync(std::move(next));
    EXPECT_EQ(dashboard.lastRefreshed(), m_clock.now());
}

TEST_F(Dashboard, ALoadOvertakenByANewerOneIsDropped)
{
    DashboardController &dashboard = controller(signIn(QStringLiteral("staff@quillmark.app")));
    // The first load's answers are held; a newer load fails meanwhile.
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/admin/*"), standin::Fault::held(500));
    QCoro::Task<> older = dashboard.load();
    ASSERT_TRUE(eventually([&] { return m_backend.heldCount() >= 1; }, std::chrono::seconds(10)));
    m_backend.clearFaults();
    runSync(dashboard.load());
    ASSERT_TRUE(dashboard.overview().has_value());
    EXPECT_FALSE(dashboard.isLoading());

    // The older load's failure arrives last and must not cover the fresh cards.
    m_backend.releaseHeld();
    runSync(std::move(older));
    EXPECT_FALSE(dashboard.apiError().has_value());
    EXPECT_TRUE(dashboard.overview().has_value());
    EXPECT_FALSE(dashboard.isLoading());
}

TEST_F(Dashboard, AStaleSuccessDoesNotReplaceANewerFailure)
{
    DashboardController &dashboard = controller(signIn(QStringLiteral("staff@quillmark.app")));
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/admin/*"), standin::Fault::held());
    QCoro::Task<> older = dashboard.load();
    ASSERT_TRUE(eventually([&] { return m_backend.heldCount() >= 1; }, std::chrono::seconds(10)));
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/admin/*"), standin::Fault::status(503));
    runSync(dashboard.load());
    ASSERT_EQ(dashboard.apiError(), QStringLiteral("Could not load stats"));
    m_backend.clearFaults();
    // The held first answer goes out; the older load then asks for the other two figures.
    ASSERT_TRUE(eventually([&] {
        m_backend.releaseHeld();
        return older.isReady();
    }));
    EXPECT_FALSE(dashboard.overview().has_value());
    EXPECT_EQ(dashboard.apiError(), QStringLiteral("Could not load stats"));
}

TEST_F(Dashboard, LiveShortcutFollowsTheActiveShowAndOpensTheLiveShow)
{
    AuthManager &auth = signIn(QStringLiteral("staff@quillmark.app"));
    DashboardController &dashboard = controller(auth);
    EXPECT_FALSE(dashboard.isLiveShowActive());
    QSignalSpy changes(&dashboard, &DashboardController::liveShowActiveChanged);
    m_sync->setApi(&auth.api());
    m_sync->setActiveStreamId(QStringLiteral("stream-1"));
    runSync(m_sync->startShow(QStringLiteral("Friday"), QStringLiteral("realtime")));
    ASSERT_TRUE(dashboard.isLiveShowActive());
    EXPECT_GE(changes.size(), 1);
    EXPECT_EQ(overviewRequests(), 0); // a show starting reloads nothing

    dashboard.openLiveShow();
    EXPECT_EQ(m_selection.value(), SidebarSection::liveShow);
}

} // namespace
} // namespace quill::testing
