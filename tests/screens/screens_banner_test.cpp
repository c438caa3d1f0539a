// The "Getting Started" checklist above the sign-in prompt, with the print test and
// a first show done and the marketplace sign-in still to do.
#include "common/user_scoped.h"
#include "screen_capture.h"
#include "shell_fixture.h"
#include "ui/live/live_show_controller.h"
#include "ui/live/live_show_view.h"
#include "ui/live/onboarding_banner.h"
#include "ui/live/onboarding_controller.h"
#include "ui/widgets/card.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

namespace quill::testing {
namespace {

class ScreensBanner : public ShellFixture
{
protected:
    void TearDown() override
    {
        m_view.reset();
        m_controller.reset();
        ShellFixture::TearDown();
    }

    std::unique_ptr<LiveShowController> m_controller;
    std::unique_ptr<LiveShowView> m_view;
};

TEST_F(ScreensBanner, GettingStartedAboveTheSignInPrompt)
{
    applyAppLook(*qApp);
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    UserScoped::setValue(QStringLiteral("has_test_printed"), true, *m_settings);
    UserScoped::setValue(QStringLiteral("has_started_live_show"), true, *m_settings);
    m_controller = std::make_unique<LiveShowController>(LiveServices::of(app));
    m_view = std::make_unique<LiveShowView>(*m_controller);
    auto *banner = m_view->promptBannerSlot()->findChild<OnboardingBanner *>();
    ASSERT_TRUE(banner);
    auto *checklist = m_view->findChild<OnboardingController *>();
    ASSERT_TRUE(checklist);

    m_view->resize(880, 800);
    m_view->show();
    ASSERT_TRUE(eventually([&] { return checklist->isSyncedFromServer(); }));
    const QImage image = test::captureScreen(*m_view, QSize(880, 800), QStringLiteral("banner"));

    ASSERT_TRUE(banner->card()->isVisible());
    EXPECT_EQ(banner->countLabel()->text(), QStringLiteral("2 of 3"));
    EXPECT_EQ(banner->nextTitleLabel()->text(), QStringLiteral("Log into Whatnot"));
    const QRect card(banner->card()->mapTo(m_view.get(), QPoint(0, 0)), banner->card()->size());
    EXPECT_EQ(card.top(), 16);
    EXPECT_EQ(card.left(), 16);
    EXPECT_EQ(card.width(), 880 - 32);
    // Two green capsules of the progress bar, inside the card's upper half.
    const auto isGreen = [](QColor pixel) {
        const QColor green = brandGreenColor();
        return qAbs(pixel.red() - green.red()) < 8 && qAbs(pixel.green() - green.green()) < 8 &&
               qAbs(pixel.blue() - green.blue()) < 8;
    };
    int green = 0;
    for (int y = card.top(); y < card.center().y(); ++y) {
        for (int x = card.left(); x < card.left() + 120; ++x)
            green += isGreen(image.pixelColor(x * image.width() / 880, y * image.height() / 800));
    }
    EXPECT_GE(green, 2 * 20 * 3);
    EXPECT_LE(green, 2 * 24 * 4 + 8);
    settle(app);
}

} // namespace
} // namespace quill::testing
