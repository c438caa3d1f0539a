// The checklist against the stand-in backend: what the server's record does to the
// seller's flags, when it is asked, and when "complete" is posted.
#include "onboarding_fixture.h"

namespace quill::testing {
namespace {

using Fault = standin::Fault;

class OnboardingSync : public OnboardingFixture
{
};

TEST_F(OnboardingSync, CompletedOnServerDismissesForGoodAndWritesNoStepFlag)
{
    serverHasSteps({QStringLiteral("test_print"), QStringLiteral("live_show")});
    serverHasCompleted();
    LogCapture log(kCategory);
    OnboardingController &banner = makeController();
    EXPECT_TRUE(banner.isCardVisible());

    showAndSync(banner);
    EXPECT_TRUE(banner.isDismissed());
    EXPECT_FALSE(banner.isCardVisible());
    EXPECT_TRUE(storedTrue(QStringLiteral("u1_onboarding_dismissed")));
    EXPECT_FALSE(stored(QStringLiteral("u1_has_test_printed")));
    EXPECT_FALSE(stored(QStringLiteral("u1_has_started_live_show")));
    EXPECT_EQ(log.matching(kCategory, QtInfoMsg,
                           QStringLiteral("Onboarding already completed on server — dismissed"))
                  .size(),
              1);

    // A later launch: nothing shows and nothing is asked.
    m_backend.clearRequests();
    OnboardingController &later = makeController();
    EXPECT_TRUE(later.isDismissed());
    later.bannerShown();
    EXPECT_FALSE(later.isSyncing());
    EXPECT_EQ(statusRequests(), 0);
}

TEST_F(OnboardingSync, ServerStepsRaiseKnownFlagsOnceAndSkipUnknownIds)
{
    setLocalFlag(QStringLiteral("has_started_live_show"));
    serverHasSteps({QStringLiteral("bogus"), QStringLiteral("test_print"), QStringLiteral("live_show")});
    LogCapture log(kCategory);
    OnboardingController &banner = makeController();
    QSignalSpy changed(&banner, &OnboardingController::changed);

    showAndSync(banner);
    EXPECT_TRUE(banner.isSyncedFromServer());
    EXPECT_TRUE(storedTrue(QStringLiteral("u1_has_test_printed")));
    EXPECT_FALSE(stored(QStringLiteral("u1_whatnot_authenticated")));
    EXPECT_FALSE(stored(QStringLiteral("u1_bogus")));
    EXPECT_EQ(log.matching(kCategory, QtInfoMsg, QStringLiteral("Hydrated step from server")).size(), 1);
    EXPECT_EQ(
        log.matching(kCategory, QtInfoMsg, QStringLiteral("Hydrated step from server: test_print")).size(),
        1);
    EXPECT_FALSE(changed.isEmpty());

    // Steps 2 and 3 done, step 1 not: the next step is the first one.
    EXPECT_EQ(banner.completedCount(), 2);
    ASSERT_TRUE(banner.nextStep());
    EXPECT_EQ(banner.nextStep()->id, QStringLiteral("whatnot"));
    EXPECT_EQ(banner.nextStep()->title, QStringLiteral("Log into Whatnot"));
    EXPECT_TRUE(banner.isCardVisible());

    // Shown again in the same life: the server is not asked again.
    banner.bannerHidden();
    banner.bannerShown();
    EXPECT_FALSE(banner.isSyncing());
    EXPECT_EQ(statusRequests(), 1);
}

TEST_F(OnboardingSync, WithoutABackendSessionNothingIsAsked)
{
    LogCapture log(kCategory);
    m_client->setBearerToken(std::nullopt);
    OnboardingController &banner = makeController();
    banner.bannerShown();
    EXPECT_FALSE(banner.isSyncing());
    EXPECT_FALSE(banner.isSyncedFromServer());

    OnboardingController unconnected(*m_session, nullptr, *m_settings);
    unconnected.bannerShown();
    EXPECT_FALSE(unconnected.isSyncing());

    QTest::qWait(0);
    EXPECT_TRUE(m_backend.requests().isEmpty());
    EXPECT_TRUE(log.entries().isEmpty());
}

TEST_F(OnboardingSync, AFailedFetchIsLoggedAndAskedAgainWhenShownAgain)
{
    serverHasSteps({QStringLiteral("test_print")});
    m_backend.setFault(QStringLiteral("GET"), kStatusPath, Fault::status(500));
    LogCapture log(kCategory);
    OnboardingController &banner = makeController();

    showAndSync(banner);
    EXPECT_FALSE(banner.isSyncedFromServer());
    EXPECT_FALSE(stored(QStringLiteral("u1_has_test_printed")));
    const auto errors =
        log.matching(kCategory, QtCriticalMsg, QStringLiteral("Failed to fetch onboarding status: "));
    ASSERT_EQ(errors.size(), 1);

    m_backend.clearFaults();
    banner.bannerHidden();
    showAndSync(banner);
    EXPECT_EQ(statusRequests(), 2);
    EXPECT_TRUE(banner.isSyncedFromServer());
    EXPECT_TRUE(storedTrue(QStringLiteral("u1_has_test_printed")));
}

TEST_F(OnboardingSync, AnAnswerForASellerWhoLeftIsNotApplied)
{
    serverHasSteps({QStringLiteral("test_print")});
    m_backend.setFault(QStringLiteral("GET"), kStatusPath, Fault::held());
    OnboardingController &banner = makeController();
    int finished = 0;
    QObject::connect(&banner, &OnboardingController::syncFinished, &banner, [&] { ++finished; });
    banner.bannerShown();
    ASSERT_TRUE(eventually([&] { return m_backend.heldCount() == 1; }));

    UserScoped::setCurrentUser(QStringLiteral("u2"), nullptr);
    m_backend.releaseHeld();
    ASSERT_TRUE(eventually([&] { return finished == 1; }));
    EXPECT_FALSE(stored(QStringLiteral("u1_has_test_printed")));
    EXPECT_FALSE(stored(QStringLiteral("u2_has_test_printed")));
    EXPECT_FALSE(banner.isSyncedFromServer());
}

class OnboardingCompletion : public OnboardingFixture
{
protected:
    void SetUp() override
    {
        OnboardingFixture::SetUp();
        setLocalFlag(QStringLiteral("has_test_printed"));
        setLocalFlag(QStringLiteral("has_started_live_show"));
    }
};

TEST_F(OnboardingCompletion, TheLastStepDoneOnScreenPostsCompleteOnce)
{
    LogCapture log(kCategory);
    OnboardingController &banner = makeController();
    // Both banner places of the screen count as one checklist.
    showAndSync(banner);
    banner.bannerShown();
    EXPECT_EQ(banner.completedCount(), 2);

    m_session->setAuthenticated(true);
    EXPECT_FALSE(banner.isCardVisible());
    // The screen moves from the sign-in prompt to the connect screen.
    banner.bannerHidden();
    banner.bannerShown();
    ASSERT_TRUE(eventually([&] { return banner.completionPostsFinished() == 1; }));
    QTest::qWait(0);
    EXPECT_EQ(banner.completionPostsFinished(), 1);
    EXPECT_EQ(completePosts(), 1);
    EXPECT_TRUE(m_backend.onboarding(QStringLiteral("u1"), OnboardingController::slug()).completed);
    EXPECT_EQ(
        log.matching(kCategory, QtInfoMsg, QStringLiteral("Onboarding marked complete on server")).size(), 1);
    EXPECT_TRUE(log.matching(kCategory, QtCriticalMsg, QString()).isEmpty());
}

TEST_F(OnboardingCompletion, ThePageSwitchSeenBeforeTheSignInStillPostsOnce)
{
    OnboardingController &banner = makeController();
    showAndSync(banner);
    // The page switch reaches the banners before the session's signal reaches the controller.
    QSignalBlocker quiet(m_session.get());
    m_session->setAuthenticated(true);
    banner.bannerHidden();
    banner.bannerShown();
    quiet.unblock();
    ASSERT_TRUE(eventually([&] { return banner.completionPostsFinished() == 1; }));
    EXPECT_EQ(completePosts(), 1);
}

TEST_F(OnboardingCompletion, FirstShownAllDoneShowsNothingAndPostsNothing)
{
    m_session->setAuthenticated(true);
    OnboardingController &banner = makeController();
    banner.bannerShown();
    EXPECT_FALSE(banner.isCardVisible());
    EXPECT_FALSE(banner.isSyncing());

    // Done while no banner showed it (another screen): nothing either.
    m_session->setAuthenticated(false);
    banner.bannerHidden();
    m_session->setAuthenticated(true);
    banner.bannerShown();

    QTest::qWait(0);
    EXPECT_EQ(banner.completionPostsFinished(), 0);
    EXPECT_TRUE(m_backend.requests().isEmpty());
}

TEST_F(OnboardingCompletion, ADismissedChecklistPostsNothing)
{
    OnboardingController &banner = makeController();
    showAndSync(banner);
    banner.dismiss();
    m_session->setAuthenticated(true);
    QTest::qWait(0);
    EXPECT_EQ(completePosts(), 0);
}

TEST_F(OnboardingCompletion, AFailedPostIsLoggedAsAnErrorNeverAsDone)
{
    m_backend.setFault(QStringLiteral("POST"), kStatusPath, Fault::status(500));
    LogCapture log(kCategory);
    OnboardingController &banner = makeController();
    showAndSync(banner);
    QSignalSpy posted(&banner, &OnboardingController::completionPostFinished);

    m_session->setAuthenticated(true);
    ASSERT_TRUE(eventually([&] { return banner.completionPostsFinished() == 1; }));
    ASSERT_EQ(posted.size(), 1);
    EXPECT_FALSE(posted.first().first().toBool());
    EXPECT_TRUE(
        log.matching(kCategory, QtInfoMsg, QStringLiteral("Onboarding marked complete on server")).isEmpty());
    EXPECT_EQ(log.matching(kCategory, QtCriticalMsg,
                           QStringLiteral("Failed to mark onboarding complete on server: "))
                  .size(),
              1);
}

TEST_F(OnboardingCompletion, AHydratedLastStepOnScreenPostsComplete)
{
    UserScoped::setValue(QStringLiteral("has_started_live_show"), false, *m_settings);
    m_session->setAuthenticated(true);
    serverHasSteps({QStringLiteral("live_show")});
    m_backend.clearRequests();
    OnboardingController &banner = makeController();
    showAndSync(banner);
    ASSERT_TRUE(eventually([&] { return banner.completionPostsFinished() == 1; }));
    EXPECT_EQ(completePosts(), 1);
}

class OnboardingKeys : public OnboardingFixture
{
};

TEST_F(OnboardingKeys, DismissStoresUnderTheSignedInSellerOnly)
{
    OnboardingController &banner = makeController();
    banner.bannerShown();
    banner.dismiss();
    EXPECT_FALSE(banner.isCardVisible());
    EXPECT_TRUE(storedTrue(QStringLiteral("u1_onboarding_dismissed")));
    EXPECT_FALSE(stored(QStringLiteral("onboarding_dismissed")));
    banner.bannerHidden();

    // Another seller on the same machine: read again when shown, the card is back.
    UserScoped::setCurrentUser(QStringLiteral("u2"), m_settings.get());
    m_client->setBearerToken(std::nullopt);
    banner.bannerShown();
    EXPECT_FALSE(banner.isDismissed());
    EXPECT_TRUE(banner.isCardVisible());
    banner.bannerHidden();

    UserScoped::setCurrentUser(QStringLiteral("u1"), m_settings.get());
    banner.bannerShown();
    EXPECT_TRUE(banner.isDismissed());
}

TEST_F(OnboardingKeys, WithoutASignedInUserThePlainKeysAreUsed)
{
    UserScoped::setCurrentUser(std::nullopt, m_settings.get());
    serverHasSteps({QStringLiteral("test_print")});
    m_settings->setBool(QStringLiteral("has_started_live_show"), true);
    OnboardingController &banner = makeController();
    EXPECT_EQ(banner.completedCount(), 1);

    showAndSync(banner);
    EXPECT_TRUE(storedTrue(QStringLiteral("has_test_printed")));
    EXPECT_FALSE(stored(QStringLiteral("u1_has_test_printed")));
    banner.dismiss();
    EXPECT_TRUE(storedTrue(QStringLiteral("onboarding_dismissed")));
    EXPECT_FALSE(stored(QStringLiteral("u1_onboarding_dismissed")));
}

} // namespace
} // namespace quill::testing
