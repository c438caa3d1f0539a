// The live show screen's logic, without widgets: what the header and status bar show,
// the seller's actions reaching the show, and the layout of the live content. The
// show's own behaviour is tested in the app suite.
#include "capture/bidder_tracker.h"
#include "live_fixture.h"

#include <gtest/gtest.h>

using namespace quill;
using namespace std::chrono_literals;
using quill::testing::LiveFixture;
using quill::testing::eventually;
using quill::testing::settle;
using standin::Fault;

namespace {

using Script = LivePageScripts::Script;

class LiveControllerOperations : public LiveFixture
{
};

TEST_F(LiveControllerOperations, TheLoginPanelShowsUntilTheMarketplaceLoginIsKnown)
{
    startApp();
    controller().setShowLoginWebView(true); // "Sign In"
    EXPECT_EQ(controller().status().screenState, LiveShowController::ScreenState::signedOut);
    session().setAuthenticated(true);
    EXPECT_FALSE(controller().showLoginWebView());
    EXPECT_EQ(controller().status().screenState, LiveShowController::ScreenState::connect);
}

TEST_F(LiveControllerOperations, StartAndPausePrinting)
{
    startApp();
    autoPrint().setIsPrinting(false);
    m_sleeper.held.insert(500);
    openLiveShow();
    EXPECT_EQ(controller().status().screenState, LiveShowController::ScreenState::live);
    EXPECT_TRUE(controller().status().showEndShowButton);
    EXPECT_FALSE(controller().status().showLeaveStream);
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] { return autoPrint().printJobs().size() == 2; }));
    EXPECT_EQ(controller().status().capturedText(), QStringLiteral("1 captured"));
    EXPECT_EQ(controller().status().printingButtonText(), QStringLiteral("Start Printing"));

    controller().togglePrinting();
    EXPECT_TRUE(controller().status().isPrinting);
    EXPECT_EQ(controller().status().printingButtonText(), QStringLiteral("Pause Printing"));
    EXPECT_TRUE(autoPrint().hasPendingDebounce());
    controller().togglePrinting();
    EXPECT_FALSE(autoPrint().hasPendingDebounce());
    m_sleeper.release(500ms);
    settle();
    EXPECT_EQ(submissions(), 0) << "the jobs stay queued";

    controller().togglePrinting();
    m_sleeper.release(500ms);
    EXPECT_TRUE(eventually([&] { return submissions() == 2 && printedAll(); }));
}

TEST_F(LiveControllerOperations, TheErrorLineShowsTheFirstErrorInItsOrder)
{
    startApp();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::status(500));
    openLiveShow();
    ASSERT_FALSE(sync().syncError().isEmpty());
    EXPECT_EQ(controller().status().errorText, sync().syncError());

    // A bidder-tracker failure comes before the synchroniser's.
    page().crashed = true;
    auto install = m_app->bidderTracker().start(session());
    ASSERT_TRUE(eventually([&] { return m_app->bidderTracker().error().has_value(); }));
    EXPECT_EQ(controller().status().errorText, BidderTracker::kNotInstalledNotice);
    m_app->bidderTracker().reset();
    EXPECT_EQ(controller().status().errorText, sync().syncError());
}

TEST_F(LiveControllerOperations, TheQueueBannerShowsAStoppedQueueUntilFixHasRepairedIt)
{
    m_catalog->names = {kQueue};
    m_cups.stop(kQueue);
    startApp();
    auto refresh = m_app->printAdapter().refreshPrinters();
    ASSERT_TRUE(eventually([&] { return controller().status().showQueueBanner; }));
    EXPECT_EQ(controller().status().queueBannerText, QStringLiteral("Printer queue stopped"));
    EXPECT_TRUE(controller().status().canFixQueue);

    controller().repairStoppedQueues();
    EXPECT_TRUE(eventually([&] { return !controller().status().showQueueBanner; }));
}

TEST_F(LiveControllerOperations, DisconnectBringsTheSignInPromptBack)
{
    startApp();
    openLiveShow();
    controller().setShowLoginWebView(true);
    controller().disconnect();
    settle();
    EXPECT_EQ(controller().status().screenState, LiveShowController::ScreenState::signedOut);
    EXPECT_FALSE(controller().showLoginWebView()) << "the prompt, not the login panel";
}

TEST_F(LiveControllerOperations, EndShowAsksFirstThenEndsTheShowAndReturnsToTheConnectScreen)
{
    openPrintingShow();
    const QString showId = sync().activeShowId();
    ASSERT_TRUE(controller().status().showEndShowButton);

    controller().setShowEndConfirmation(true); // "End Show" asks first
    EXPECT_EQ(m_backend.show(showId)->status, QStringLiteral("live"));
    controller().endCurrentShow();
    EXPECT_FALSE(controller().showEndConfirmation());
    EXPECT_TRUE(eventually([&] { return m_backend.show(showId)->status == QStringLiteral("completed"); }));
    EXPECT_TRUE(eventually([&] { return !controller().status().showEndShowButton; }));
    EXPECT_EQ(controller().status().screenState, LiveShowController::ScreenState::connect);
    EXPECT_FALSE(controller().status().isEndingShow);
}

TEST_F(LiveControllerOperations, LeaveStreamIsOfferedOnlyWithoutAShowAndReturnsToTheConnectScreen)
{
    startApp();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::status(500));
    openLiveShow();
    ASSERT_TRUE(controller().status().showLeaveStream);
    EXPECT_FALSE(controller().status().showEndShowButton);

    controller().leaveStream();
    EXPECT_EQ(controller().status().screenState, LiveShowController::ScreenState::connect);
    EXPECT_FALSE(controller().status().showLeaveStream);
}

TEST_F(LiveControllerOperations, TheBoxGoesHomeWhenExpandedAndTheRulesRunOnEachChange)
{
    startApp();
    openLiveShow();
    page().scriptsRun.clear();
    controller().dragChanged(QSizeF(-30, -40));
    EXPECT_EQ(controller().pipOrigin(QSizeF(1000, 800)), QPointF(1000 - 200 - 12 - 30, 800 - 356 - 12 - 40));
    controller().dragEnded(QSizeF(-30, -40));
    EXPECT_EQ(controller().pipOrigin(QSizeF(1000, 800)), QPointF(1000 - 200 - 12 - 30, 800 - 356 - 12 - 40));

    controller().toggleExpanded();
    EXPECT_TRUE(controller().webViewExpanded());
    EXPECT_EQ(controller().pipOrigin(QSizeF(1000, 800)).x(), 1000 - 200 - 12) << "the box went home";
    controller().toggleExpanded();
    EXPECT_EQ(controller().pipOrigin(QSizeF(1000, 800)), QPointF(1000 - 200 - 12, 800 - 356 - 12));
    EXPECT_TRUE(eventually([&] { return page().scriptsRun.size() == 4; }));
    EXPECT_EQ(page().scriptsRun, QStringList({LivePageScripts::name(Script::removePictureInPicture),
                                              LivePageScripts::name(Script::cleanStream),
                                              LivePageScripts::name(Script::removeCleanStream),
                                              LivePageScripts::name(Script::pictureInPicture)}));

    controller().setShowVideo(true);
    controller().setShowVideo(false);
    EXPECT_TRUE(eventually([&] { return page().scriptRuns(Script::mute) == 1; }));
}

} // namespace
