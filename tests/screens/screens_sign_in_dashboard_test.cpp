// The sign-in screen and the staff dashboard as a seller and a staff member see them.
#include "../auth/auth_fixtures.h"
#include "backend/show_sync_service.h"
#include "eventually.h"
#include "screen_capture.h"
#include "ui/app/dashboard_view.h"
#include "ui/app/sidebar_section.h"
#include "ui/app/sign_in_view.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace quill::testing {
namespace {

class ScreensSignInDashboard : public AuthFixture
{
protected:
    void SetUp() override
    {
        AuthFixture::SetUp();
        m_previousSettings = Settings::setShared(m_settings.get());
        m_sync = std::make_unique<ShowSyncService>(*m_settings, m_sleeper);
    }
    void TearDown() override
    {
        m_sync.reset();
        Settings::setShared(m_previousSettings);
    }

    AuthManager &signInStaff()
    {
        const QString token = m_backend.addUser(QStringLiteral("s1"), QStringLiteral("staff@quillmark.app"));
        m_backend.addStaffEmail(QStringLiteral("staff@quillmark.app"));
        AuthManager &auth = makeAuth();
        ZavUser user;
        user.id = QStringLiteral("s1");
        user.email = QStringLiteral("staff@quillmark.app");
        runSync(auth.completeSignIn(token, user));
        return auth;
    }

    static bool near(const QColor &a, const QColor &b)
    {
        return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
               std::abs(a.blue() - b.blue()) <= 3;
    }

    Settings *m_previousSettings = nullptr;
    std::unique_ptr<ShowSyncService> m_sync;
    SidebarSelection m_selection;
};

TEST_F(ScreensSignInDashboard, SignIn)
{
    AuthManager &auth = makeAuth();
    SignInView view(auth);
    const QImage image = test::captureScreen(view, QSize(1100, 800), QStringLiteral("sign-in"));
    ASSERT_EQ(image.size(), QSize(1100, 800));
    EXPECT_TRUE(near(image.pixelColor(5, 5), appBackgroundColor()));
    // The buttons sit in the middle column, 280 wide.
    auto *apple = view.findChild<QPushButton *>(QStringLiteral("prominent"));
    ASSERT_NE(apple, nullptr);
    const QRect appleRect(apple->mapTo(&view, QPoint(0, 0)), apple->size());
    EXPECT_EQ(appleRect.width(), 280);
    EXPECT_NEAR(appleRect.center().x(), 550, 2);
    // Tinted with the primary label colour: a light fill under dark words.
    EXPECT_TRUE(near(image.pixelColor(appleRect.left() + 6, appleRect.center().y()), primaryTextColor()));
}

TEST_F(ScreensSignInDashboard, SignInError)
{
    AuthManager &auth = makeAuth();
    m_opener = [](const QUrl &) { return false; };
    runSync(auth.signInWithGoogle());
    SignInView view(auth);
    const QImage image = test::captureScreen(view, QSize(1100, 800), QStringLiteral("sign-in-error"));
    auto *error = view.findChild<QLabel *>(QStringLiteral("error"));
    ASSERT_NE(error, nullptr);
    ASSERT_TRUE(error->isVisible());
    const QRect errorRect(error->mapTo(&view, QPoint(0, 0)), error->size());
    // Red text somewhere in the error line.
    bool red = false;
    for (int x = errorRect.left(); x <= errorRect.right() && !red; ++x)
        for (int y = errorRect.top(); y <= errorRect.bottom() && !red; ++y)
            red = image.pixelColor(x, y).red() > 180 && image.pixelColor(x, y).green() < 120;
    EXPECT_TRUE(red);
}

TEST_F(ScreensSignInDashboard, Dashboard)
{
    AuthManager &auth = signInStaff();
    ASSERT_TRUE(auth.state().isSignedIn());
    m_sync->setApi(&auth.api());
    m_sync->setActiveStreamId(QStringLiteral("stream-1"));
    runSync(m_sync->startShow(QStringLiteral("Friday"), QStringLiteral("realtime")));

    DashboardView view(auth, *m_sync, m_backend.baseUrl(), m_selection);
    view.resize(880, 800);
    view.show();
    ASSERT_TRUE(eventually([&] { return view.controller().overview().has_value(); }, std::chrono::seconds(10)));
    const QImage image = test::captureScreen(view, QSize(880, 800), QStringLiteral("dashboard"));
    ASSERT_EQ(image.size(), QSize(880, 800));
    // Four cards fill the first row: the card fill shows across it.
    int cardPixels = 0;
    for (int x = 0; x < 880; ++x)
        for (int y = 150; y < 330; ++y)
            cardPixels += near(image.pixelColor(x, y), cardBackgroundColor()) ? 1 : 0;
    EXPECT_GT(cardPixels, 880 * 40);
    // Figures and the time keep their width as they change: the fixed-pitch face.
    const QList<QLabel *> values = view.findChildren<QLabel *>(QStringLiteral("cardValue"));
    ASSERT_EQ(values.size(), 7);
    auto *updated = view.findChild<QLabel *>(QStringLiteral("updatedTime"));
    ASSERT_NE(updated, nullptr);
    for (QLabel *label : values + QList<QLabel *>{updated})
        EXPECT_TRUE(QFontInfo(label->font()).fixedPitch()) << qPrintable(label->text());
}

TEST_F(ScreensSignInDashboard, DashboardLoading)
{
    AuthManager &auth = signInStaff();
    ASSERT_TRUE(auth.state().isSignedIn());
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/admin/*"), standin::Fault::held());

    DashboardView view(auth, *m_sync, m_backend.baseUrl(), m_selection);
    view.resize(880, 800);
    view.show();
    QCoreApplication::processEvents(); // the scroll area settles its layout
    const QImage image = test::captureScreen(view, QSize(880, 800), QStringLiteral("dashboard-loading"));
    ASSERT_TRUE(view.controller().isLoading());
    // The placeholders: lighter blocks than the window behind them.
    int lighter = 0;
    for (int x = 0; x < 880; ++x)
        lighter += image.pixelColor(x, 130).lightness() > appBackgroundColor().lightness() + 10 ? 1 : 0;
    EXPECT_GT(lighter, 400);
    m_backend.clearFaults();
    m_backend.releaseHeld();
}

} // namespace
} // namespace quill::testing
