// The checklist card's wiring: what it shows, the close button, and its two places
// on the live show screen.
#include "live_view_fixture.h"
#include "motion_on.h"
#include "onboarding_fixture.h"
#include "ui/live/onboarding_banner.h"
#include "ui/widgets/card.h"
#include "ui/widgets/motion.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>

namespace quill::testing {
namespace {

class OnboardingBannerWidget : public OnboardingFixture
{
};

TEST_F(OnboardingBannerWidget, ShowsTheCountAndNextStepAndClosesForGood)
{
    setLocalFlag(QStringLiteral("has_test_printed"));
    OnboardingController &controller = makeController();
    OnboardingBanner banner(controller);
    banner.resize(400, 120);
    banner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&banner));
    ASSERT_TRUE(eventually([&] { return controller.isSyncedFromServer(); }));

    EXPECT_TRUE(banner.card()->isVisible());
    EXPECT_EQ(banner.countLabel()->text(), QStringLiteral("1 of 3"));
    EXPECT_EQ(banner.nextTitleLabel()->text(), QStringLiteral("Log into Whatnot"));
    EXPECT_EQ(banner.nextSubtitleLabel()->text(),
              QStringLiteral("Sign into your Whatnot account to capture live auctions."));

    // The marketplace sign-in is seen at once.
    m_session->setAuthenticated(true);
    EXPECT_EQ(banner.countLabel()->text(), QStringLiteral("2 of 3"));
    EXPECT_EQ(banner.nextTitleLabel()->text(), QStringLiteral("Start a Live Show"));

    {
        // Closed for good before the card has finished going; a second click on the
        // fading card reaches nothing.
        const MotionOn motion;
        QTest::mouseClick(banner.dismissButton(), Qt::LeftButton);
        EXPECT_TRUE(storedTrue(QStringLiteral("u1_onboarding_dismissed")));
        EXPECT_TRUE(Motion::isLeaving(banner.card()));
        EXPECT_TRUE(banner.card()->testAttribute(Qt::WA_TransparentForMouseEvents));
        Motion::finishAll(&banner);
    }
    EXPECT_FALSE(banner.card()->isVisible());
    EXPECT_EQ(banner.card()->graphicsEffect(), nullptr);
    EXPECT_EQ(banner.sizeHint().height(), 0);
}

TEST_F(OnboardingBannerWidget, AStepDoneElsewhereIsReadWhenShownAgain)
{
    OnboardingController &controller = makeController();
    OnboardingBanner banner(controller);
    banner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&banner));
    EXPECT_EQ(banner.countLabel()->text(), QStringLiteral("0 of 3"));
    banner.hide();
    setLocalFlag(QStringLiteral("has_test_printed"));
    banner.show();
    EXPECT_EQ(banner.countLabel()->text(), QStringLiteral("1 of 3"));
}

class OnboardingOnLiveScreen : public LiveViewFixture
{
};

TEST_F(OnboardingOnLiveScreen, BothBannerPlacesShowOneChecklist)
{
    LiveShowView &screen = open();
    auto *prompt = screen.promptBannerSlot()->findChild<OnboardingBanner *>();
    auto *connect = screen.connectBannerSlot()->findChild<OnboardingBanner *>();
    ASSERT_TRUE(prompt);
    ASSERT_TRUE(connect);
    ASSERT_EQ(screen.page(), LiveShowView::Page::prompt);
    EXPECT_TRUE(prompt->card()->isVisible());

    QTest::mouseClick(prompt->dismissButton(), Qt::LeftButton);
    EXPECT_FALSE(prompt->card()->isVisibleTo(prompt));
    EXPECT_FALSE(connect->card()->isVisibleTo(connect));
    EXPECT_TRUE(m_settings->boolValue(QStringLiteral("u1_onboarding_dismissed")));
}

} // namespace
} // namespace quill::testing
