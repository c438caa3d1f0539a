// The Settings screen over the application's services: which groups and rows a
// sign-in state gives, the staff-only environment, the queue repair and the move to
// the live show.
#include "labels_screen_fixture.h"
#include "run_sync.h"
#include "ui/app/section_screens.h"
#include "ui/labels/settings_controller.h"
#include "ui/labels/settings_view.h"
#include "widget_find.h"

#include <QLabel>

using namespace quill;
using namespace quill::testing;

namespace {

class SettingsViewTest : public LabelsFixture
{
protected:
    void TearDown() override
    {
        m_view.reset();
        LabelsFixture::TearDown();
    }

    AppState &signIn(const QString &email, std::optional<QString> name = {})
    {
        m_tokens.setItem(QStringLiteral("session_token"),
                         m_backend.addUser(QStringLiteral("s1"), email, std::move(name)));
        AppState &app = makeAppState(appSetup());
        startAndWait(app);
        return app;
    }

    SettingsView &show(AppState &app)
    {
        m_view = std::make_unique<SettingsView>(app, [this] { ++m_liveShowRequests; });
        m_view->resize(700, 700);
        m_view->show();
        return *m_view;
    }

    QString value(const QString &row) const
    {
        const auto *label = m_view->findChild<QLabel *>(row);
        return label ? label->text() : QString();
    }

    std::unique_ptr<SettingsView> m_view;
    int m_liveShowRequests = 0;
};

TEST_F(SettingsViewTest, SectionsFollowTheSignInState)
{
    struct Case
    {
        const char *name;
        std::optional<QString> email; // none: the state is still unknown
        std::optional<QString> userName;
        QStringList headers;
        QString nameRow;
    };
    const Case cases[] = {
        {"unknown", std::nullopt, std::nullopt, {"Quillmark", "Whatnot"}, QString()},
        {"seller", QStringLiteral("seller@example.com"), QStringLiteral("Ann <b>Lee</b>"),
         {"Printer Health", "Quillmark", "Whatnot"}, QStringLiteral("Ann <b>Lee</b>")},
        {"staff without a name", QStringLiteral("ops@quillmark.app"), std::nullopt,
         {"Printer Health", "Quillmark", "Whatnot", "Environment"}, QStringLiteral("—")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_view.reset();
        AppState &app = c.email ? signIn(*c.email, c.userName) : makeAppState(appSetup());
        SettingsView &view = show(app);
        turn();
        EXPECT_EQ(view.sectionHeaders(), c.headers);
        EXPECT_NE(findButton(&view, QStringLiteral("Sign Out")), nullptr);
        EXPECT_EQ(value(QStringLiteral("Name")), c.nameRow);
        if (c.headers.contains(QStringLiteral("Environment"))) {
            EXPECT_EQ(value(QStringLiteral("Server")), m_backend.baseUrl().toString());
            EXPECT_EQ(value(QStringLiteral("Server")), app.authManager().api().baseURL().toString());
            EXPECT_EQ(value(QStringLiteral("Mode")), QStringLiteral("Production"));
        } else {
            EXPECT_EQ(value(QStringLiteral("Server")), QString());
        }
        EXPECT_EQ(value(QStringLiteral("Status")), QStringLiteral("Not Connected"));
    }
}

TEST_F(SettingsViewTest, ConnectToWhatnotMovesToTheLiveShow)
{
    SettingsView &view = show(signIn(QStringLiteral("seller@example.com")));
    QPushButton *connect = findButton(&view, QStringLiteral("Connect to Whatnot"));
    ASSERT_NE(connect, nullptr);
    EXPECT_EQ(findButton(&view, QStringLiteral("Disconnect")), nullptr);
    connect->click();
    EXPECT_EQ(m_liveShowRequests, 1);
}

TEST_F(SettingsViewTest, SignOutEmptiesTheAccountRows)
{
    AppState &app = signIn(QStringLiteral("seller@example.com"), QStringLiteral("Ann"));
    SettingsView &view = show(app);
    EXPECT_EQ(value(QStringLiteral("Email")), QStringLiteral("seller@example.com"));
    findButton(&view, QStringLiteral("Sign Out"))->click();
    ASSERT_TRUE(eventually([&] { return app.authManager().state().kind() == AuthState::Kind::signedOut; }));
    ASSERT_TRUE(eventually([&] { return value(QStringLiteral("Email")).isEmpty(); }));
    EXPECT_FALSE(view.sectionHeaders().contains(QStringLiteral("Environment")));
}

TEST_F(SettingsViewTest, FixReenablesAStoppedQueue)
{
    m_cups.stop(kQueue);
    AppState &app = signIn(QStringLiteral("seller@example.com"));
    runSync(app.printAdapter().refreshPrinters());
    SettingsView &view = show(app);
    turn();
    QPushButton *fix = findButton(&view, QStringLiteral("Fix"));
    ASSERT_NE(fix, nullptr);
    QStringList names;
    for (const QLabel *label : view.findChildren<QLabel *>(QStringLiteral("printerName")))
        names.append(label->text());
    EXPECT_EQ(names, (QStringList{"TestLabel", "Office Printer"}));
    fix->click();
    ASSERT_TRUE(eventually([&] { return findButton(&view, QStringLiteral("Fix")) == nullptr; }));
    EXPECT_EQ(m_cups.enableCalls(kQueue), 1);
    EXPECT_EQ(m_cups.cancelCalls(), 0);
    EXPECT_NE(findButton(&view, QStringLiteral("Refresh")), nullptr);
}

} // namespace

namespace {

// The shell builds the screen for its "Settings" section; its button moves the sidebar.
TEST_F(SettingsViewTest, TheShellsSettingsScreenMovesTheSelection)
{
    AppState &app = signIn(QStringLiteral("seller@example.com"));
    SidebarSelection selection;
    selection.setValue(SidebarSection::settings);
    std::unique_ptr<QWidget> screen = makeSectionScreen(SidebarSection::settings, app, selection);
    ASSERT_NE(qobject_cast<SettingsView *>(screen.get()), nullptr) << (screen ? screen->objectName().toStdString() : "none");
    screen->show();
    QPushButton *connect = findButton(screen.get(), QStringLiteral("Connect to Whatnot"));
    ASSERT_NE(connect, nullptr);
    connect->click();
    EXPECT_EQ(selection.value(), SidebarSection::liveShow);
}

} // namespace
