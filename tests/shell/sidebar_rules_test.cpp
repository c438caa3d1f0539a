// Which sections the sidebar lists and which one it selects, as tables.
#include "shell_fixture.h"

#include "run_sync.h"
#include "ui/app/sidebar_controller.h"

#include <QSignalSpy>

namespace quill::testing {
namespace {

using S = SidebarSection;

TEST(SidebarRules, VisibleSections)
{
    struct Row
    {
        bool staff;
        bool hasShows;
        QList<S> expected;
    };
    const Row rows[] = {
        {false, false, {S::liveShow, S::printers}},
        {false, true, {S::liveShow, S::shows, S::printers}},
        {true, false, {S::dashboard, S::liveShow, S::printers}},
        {true, true, {S::dashboard, S::liveShow, S::shows, S::printers}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(SidebarController::visibleSections(row.staff, row.hasShows), row.expected)
            << "staff " << row.staff << ", shows " << row.hasShows;
}

TEST(SidebarRules, FirstSelection)
{
    EXPECT_EQ(SidebarController::firstSelection(true), S::dashboard);
    EXPECT_EQ(SidebarController::firstSelection(false), S::liveShow);
}

class SidebarControllerTest : public ShellFixture
{
protected:
    ZavUser user(const QString &id, const QString &email)
    {
        ZavUser user;
        user.id = id;
        user.email = email;
        return user;
    }
};

TEST_F(SidebarControllerTest, AccountChangesMoveTheSelectionOnlyAsTheRulesSay)
{
    struct Row
    {
        const char *what;
        std::optional<S> before;
        QString toId;
        QString toEmail;
        std::optional<S> after;
    };
    const QString seller = QStringLiteral("ava@example.com");
    const QString staff = QStringLiteral("kim@quillmark.app");
    const Row rows[] = {
        {"staff signs in over Live Show", S::liveShow, QStringLiteral("u2"), staff, S::dashboard},
        {"staff signs in over Labels", S::printers, QStringLiteral("u2"), staff, S::printers},
        {"another seller signs in", S::liveShow, QStringLiteral("u3"), QStringLiteral("cy@example.com"),
         S::liveShow},
        {"same id, now a staff e-mail", S::liveShow, QStringLiteral("u1"), staff, S::liveShow},
        {"same id, other e-mail", S::printers, QStringLiteral("u1"), QStringLiteral("ava@example.org"),
         S::printers},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        if (m_backend.user(QStringLiteral("u1")))
            m_tokens.setItem(QStringLiteral("session_token"), m_backend.issueToken(QStringLiteral("u1")));
        else
            storeSession(QStringLiteral("u1"), seller);
        AppState &app = makeAppState();
        startAndWait(app);
        SidebarSelection selection;
        SidebarController controller(app.authManager(), app.showHistoryStore(), selection);
        controller.appear();
        ASSERT_EQ(selection.value(), S::liveShow);
        selection.setValue(row.before);

        ASSERT_TRUE(runSync(app.authManager().completeSignIn(QStringLiteral("token"), user(row.toId, row.toEmail))));

        EXPECT_EQ(selection.value(), row.after);
    }
}

TEST_F(SidebarControllerTest, FirstSelectionKeepsAChoiceAndSignOutDropsIt)
{
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("kim@quillmark.app"));
    SidebarSelection selection;
    SidebarController controller(app.authManager(), app.showHistoryStore(), selection);
    EXPECT_EQ(controller.visibleSections().first(), S::dashboard);

    controller.appear();
    EXPECT_EQ(selection.value(), S::dashboard) << "staff start on the dashboard";
    selection.setValue(S::printers);
    controller.appear();
    EXPECT_EQ(selection.value(), S::printers) << "a choice already made is kept";

    runSync(app.authManager().signOut());
    EXPECT_EQ(selection.value(), std::nullopt);
    EXPECT_TRUE(controller.visibleSections().indexOf(S::dashboard) < 0);
}

TEST_F(SidebarControllerTest, ShowsAreListedOnceTheStoreHoldsOne)
{
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    SidebarSelection selection;
    SidebarController controller(app.authManager(), app.showHistoryStore(), selection);
    ASSERT_TRUE(eventually([&] { return !app.showHistoryStore().isLoading(); }));
    EXPECT_EQ(controller.visibleSections(), (QList<S>{S::liveShow, S::printers}));
    QSignalSpy changed(&controller, &SidebarController::visibleSectionsChanged);

    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started = app.showSyncService().startShow(QStringLiteral("First"), QStringLiteral("realtime"));

    ASSERT_TRUE(eventually([&] { return controller.visibleSections().contains(S::shows); }));
    EXPECT_GE(changed.size(), 1);
}

} // namespace
} // namespace quill::testing
