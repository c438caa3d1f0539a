// The live show screen's logic, without widgets: the header's and status bar's
// operations and the layout of the live content.
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

TEST_F(LiveControllerOperations, SigningInMovesToTheStreamAfterTheShortPauseUnlessCancelled)
{
    startApp();
    m_sleeper.held.insert(200);
    sync().setActiveStreamId(kStream);
    controller().signIn();
    EXPECT_TRUE(controller().showLoginWebView());

    session().setAuthenticated(true);
    EXPECT_FALSE(controller().showLoginWebView());
    ASSERT_TRUE(eventually([&] { return m_sleeper.waiting(200ms) == 1; }));
    EXPECT_TRUE(page().loads.isEmpty());
    m_sleeper.release(200ms);
    ASSERT_TRUE(eventually([&] { return page().loads.size() == 1; }));
    EXPECT_EQ(page().loads.first(), liveURL(kStream));

    // Signed out again before the pause ends: no navigation.
    session().setAuthenticated(false);
    session().setAuthenticated(true);
    session().setAuthenticated(false);
    m_sleeper.release(200ms);
    settle();
    EXPECT_EQ(page().loads.size(), 1);
}

TEST_F(LiveControllerOperations, StartAndPausePrinting)
{
    startApp();
    autoPrint().setIsPrinting(false);
    m_sleeper.held.insert(500);
    openLiveShow();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] { return autoPrint().printJobs().size() == 2; }));
    EXPECT_EQ(controller().printingButtonText(), QStringLiteral("Start Printing"));

    controller().togglePrinting();
    EXPECT_TRUE(controller().isPrinting());
    EXPECT_EQ(controller().printingButtonText(), QStringLiteral("Pause Printing"));
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
    EXPECT_EQ(controller().errorText(), sync().syncError());

    // A bidder-tracker failure comes before the synchroniser's.
    page().crashed = true;
    auto install = m_app->bidderTracker().start(session());
    ASSERT_TRUE(eventually([&] { return m_app->bidderTracker().error().has_value(); }));
    EXPECT_EQ(controller().errorText(), BidderTracker::kNotInstalledNotice);
    m_app->bidderTracker().reset();
    EXPECT_EQ(controller().errorText(), sync().syncError());
}

TEST_F(LiveControllerOperations, FixRepairsTheStoppedQueuesOneAfterTheOtherInListOrder)
{
    m_catalog->names = {QStringLiteral("Spare"), kQueue, QStringLiteral("Boxes")};
    m_cups.stop(kQueue);
    m_cups.stop(QStringLiteral("Boxes"));
    startApp();
    PrintKitAdapter &adapter = m_app->printAdapter();
    auto refresh = adapter.refreshPrinters();
    ASSERT_TRUE(eventually([&] { return controller().showQueueBanner(); }));
    QStringList listed;
    for (const PrinterInfo &printer : adapter.printers())
        listed.append(printer.name);
    m_runner.runs.clear();

    bool repaired = false;
    QObject::connect(&show(), &LiveShowSession::queueRepairFinished, [&] { repaired = true; });
    controller().repairStoppedQueues();
    ASSERT_TRUE(eventually([&] { return repaired; }));
    QStringList enabled;
    for (const QString &run : std::as_const(m_runner.runs))
        if (run.startsWith(QLatin1String("cupsenable ")))
            enabled.append(run.section(QLatin1Char(' '), 1, 1));
    QStringList stoppedInListOrder;
    for (const QString &name : std::as_const(listed))
        if (name != QLatin1String("Spare"))
            stoppedInListOrder.append(name);
    EXPECT_EQ(enabled, stoppedInListOrder);
    EXPECT_TRUE(eventually([&] { return !controller().showQueueBanner(); }));
}

TEST_F(LiveControllerOperations, DisconnectLeavesTheShowLocallyWithoutABackendRequestOrAPrintingChange)
{
    startApp();
    openLiveShow();
    controller().togglePrinting();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(
        eventually([&] { return submissions() == 2 && printedAll() && backendAuctions().size() == 1; }));
    const QString showId = sync().activeShowId();
    m_backend.clearRequests();

    controller().disconnect();
    settle();
    for (const auto &request : m_backend.requests()) {
        // The shell re-reads the show list whenever the active show changes; nothing else may go out.
        if (request.method == QLatin1String("GET") && request.path == QLatin1String("/api/shows"))
            continue;
        ADD_FAILURE() << "unexpected " << request.method.toStdString() << " " << request.path.toStdString();
    }
    EXPECT_TRUE(controller().isPrinting());
    EXPECT_FALSE(poller().isPolling());
    EXPECT_TRUE(poller().capturedAuctions().isEmpty());
    EXPECT_TRUE(sync().activeStreamId().isEmpty());
    EXPECT_FALSE(session().isAuthenticated());
    EXPECT_EQ(controller().screenState(), LiveShowController::ScreenState::signedOut);
    EXPECT_TRUE(autoPrint().boxNumbers().isEmpty()) << "the next show numbers its boxes from 1";
    EXPECT_EQ(m_backend.show(showId)->status, QStringLiteral("live"));
}

TEST_F(LiveControllerOperations, EndShowResetsFirstStillPrintsQueuedLabelsThenPausesPrinting)
{
    startApp();
    openLiveShow();
    controller().togglePrinting();
    m_sleeper.held.insert(500);
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(
        eventually([&] { return autoPrint().printJobs().size() == 2 && backendAuctions().size() == 1; }));
    const QString showId = sync().activeShowId();

    controller().requestEndShow();
    EXPECT_TRUE(controller().showEndConfirmation());
    controller().endCurrentShow();
    EXPECT_FALSE(controller().showEndConfirmation());
    EXPECT_FALSE(poller().isPolling());
    EXPECT_TRUE(poller().capturedAuctions().isEmpty());
    EXPECT_EQ(submissions(), 0);

    m_sleeper.release(500ms);
    EXPECT_TRUE(eventually([&] { return submissions() == 2 && printedAll(); })) << "no label is stranded";
    EXPECT_TRUE(eventually([&] { return !autoPrint().isPrinting(); }))
        << autoPrint().isProcessing() << autoPrint().hasPendingDebounce() << autoPrint().printJobs().size();
    EXPECT_TRUE(eventually([&] { return sync().activeShowId().isEmpty(); }));
    EXPECT_EQ(m_backend.show(showId)->status, QStringLiteral("completed"));
    EXPECT_FALSE(m_settings->boolValue(AutoPrintManager::isPrintingKey, true));
    EXPECT_EQ(controller().screenState(), LiveShowController::ScreenState::connect);
}

TEST_F(LiveControllerOperations, LeaveStreamForgetsTheStreamLocallyWithoutLoggingOut)
{
    startApp();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::status(500));
    openLiveShow();
    ASSERT_TRUE(controller().showLeaveStream());
    m_backend.clearRequests();

    controller().leaveStream();
    settle();
    EXPECT_TRUE(m_backend.requests().isEmpty());
    EXPECT_TRUE(sync().activeStreamId().isEmpty());
    EXPECT_FALSE(poller().isPolling());
    EXPECT_TRUE(session().isAuthenticated());
    EXPECT_EQ(controller().screenState(), LiveShowController::ScreenState::connect);
    EXPECT_FALSE(controller().showLeaveStream());
    // The start retry of the stream that was left does nothing.
    m_sleeper.release(2500ms);
    settle();
    EXPECT_TRUE(m_backend.requests().isEmpty());
}

TEST_F(LiveControllerOperations, TheBoxGoesHomeWhenExpandedAndTheRulesRunOnEachChange)
{
    startApp();
    openLiveShow();
    page().scriptsRun.clear();
    controller().dragChanged(QSizeF(-30, -40));
    EXPECT_EQ(controller().pipOrigin(QSizeF(1000, 800)), QPointF(1000 - 200 - 12 - 30, 800 - 356 - 12 - 40));
    controller().dragEnded(QSizeF(-30, -40));
    EXPECT_EQ(controller().pipOffset(), QSizeF(-30, -40));
    EXPECT_EQ(controller().currentDrag(), QSizeF(0, 0));

    controller().toggleExpanded();
    EXPECT_TRUE(controller().webViewExpanded());
    EXPECT_EQ(controller().pipOffset(), QSizeF(0, 0));
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
