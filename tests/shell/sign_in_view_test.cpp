#include "auth_fixtures.h"
#include "eventually.h"
#include "ui/app/sign_in_view.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace quill::testing {
namespace {

class SignInViewTest : public AuthFixture
{
protected:
    QPushButton *button(SignInView &view, const QString &text)
    {
        for (QPushButton *candidate : view.findChildren<QPushButton *>())
            if (candidate->text() == text)
                return candidate;
        return nullptr;
    }
    QLabel *errorLine(SignInView &view) { return view.findChild<QLabel *>(QStringLiteral("error")); }
};

TEST_F(SignInViewTest, ButtonsAreDisabledWhileTheBrowserSignInWaitsAndCancelEndsIt)
{
    AuthManager &auth = makeAuth();
    m_opener = [](const QUrl &) { return true; }; // the browser opens and is then closed
    SignInView view(auth);
    view.show();
    QPushButton *apple = button(view, QStringLiteral("Sign in with Apple"));
    QPushButton *google = button(view, QStringLiteral("Sign in with Google"));
    QPushButton *cancel = button(view, QStringLiteral("Cancel"));
    ASSERT_TRUE(apple && google && cancel);
    EXPECT_TRUE(apple->isEnabled() && google->isEnabled());
    EXPECT_FALSE(cancel->isVisible());

    QTest::mouseClick(google, Qt::LeftButton);
    EXPECT_FALSE(apple->isEnabled());
    EXPECT_FALSE(google->isEnabled());
    EXPECT_TRUE(cancel->isVisible());

    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return google->isEnabled(); }, std::chrono::seconds(5)));
    EXPECT_TRUE(apple->isEnabled());
    EXPECT_FALSE(cancel->isVisible());
    EXPECT_FALSE(auth.isGoogleSignInPending());
    EXPECT_FALSE(errorLine(view)->isVisible()); // a cancel is no failure
    EXPECT_EQ(auth.state().kind(), AuthState::Kind::unknown);
}

TEST_F(SignInViewTest, BrowserSignInThroughTheStandinSignsIn)
{
    m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    AuthManager &auth = makeAuth();
    StandinBrowser browser(deliverTo(auth), QStringLiteral("user=u1"));
    m_opener = [&](const QUrl &url) { return browser.open(url); };
    SignInView view(auth);
    view.show();
    QTest::mouseClick(button(view, QStringLiteral("Sign in with Google")), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return !view.controller().isSigningIn(); }, std::chrono::seconds(10)));
    EXPECT_TRUE(auth.state().isSignedIn());
    EXPECT_TRUE(button(view, QStringLiteral("Sign in with Google"))->isEnabled());
}

TEST_F(SignInViewTest, FailedSignInShowsTheManagersErrorAndEnablesTheButtons)
{
    AuthManager &auth = makeAuth(std::make_unique<FakeAppleProvider>(QStringLiteral("The user canceled")));
    SignInView view(auth);
    view.show();
    QLabel *error = errorLine(view);
    ASSERT_NE(error, nullptr);
    EXPECT_FALSE(error->isVisible());
    QPushButton *apple = button(view, QStringLiteral("Sign in with Apple"));
    QTest::mouseClick(apple, Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return apple->isEnabled(); }, std::chrono::seconds(5)));
    EXPECT_TRUE(error->isVisible());
    EXPECT_EQ(error->text(), auth.errorText());
    EXPECT_FALSE(error->text().isEmpty());
}

TEST_F(SignInViewTest, AnErrorHeldBeforeTheScreenIsBuiltIsShown)
{
    AuthManager &auth = makeAuth();
    m_opener = [](const QUrl &) { return false; }; // no browser
    runSync(auth.signInWithGoogle());
    ASSERT_FALSE(auth.errorText().isEmpty());
    SignInView view(auth);
    view.show();
    ASSERT_NE(errorLine(view), nullptr);
    EXPECT_TRUE(errorLine(view)->isVisible());
    EXPECT_EQ(errorLine(view)->text(), auth.errorText());
}

} // namespace
} // namespace quill::testing
