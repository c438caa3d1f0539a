// The live show the application runs: the capture task, the seller's actions on the
// show, the road of every win to the labels and the backend, resuming a show, and the
// reactions to the page and the marketplace sign-in.
#include "capture/bidder_tracker.h"
#include "live_show_fixture.h"
#include "printing/label_record_store.h"
#include "run_sync.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace quill;
using namespace std::chrono_literals;
using quill::testing::eventually;
using quill::testing::LiveShowFixture;
using quill::testing::runSync;
using quill::testing::settle;
using standin::Fault;

namespace {

using Script = LivePageScripts::Script;

class LiveShowCapture : public LiveShowFixture
{
protected:
    // What the connect screen leaves: the stream chosen, the page still on the home
    // page, whose heading is not the stream's title. The capture task waits for the page.
    void openWhileOnTheHomePage()
    {
        startApp();
        page().address = QUrl(QStringLiteral("https://market.example/"));
        page().titleAnswer = QStringLiteral("{\"title\":\"Live now\"}");
        m_sleeper.held.insert(LiveShowSession::kLivePageCheckInterval.count());
        session().setAuthenticated(true);
        sync().setActiveStreamId(kStream);
        show().screenShown();
        show().liveContentShown();
        ASSERT_TRUE(
            eventually([&] { return m_sleeper.waiting(LiveShowSession::kLivePageCheckInterval) == 1; }));
    }
};

TEST_F(LiveShowCapture, StartsTheShowTitledFromThePageThenPollsTracksAndSettles)
{
    startApp();
    openLiveShow();

    const QList<standin::StandinShow> shows = m_backend.shows(kSeller);
    ASSERT_EQ(shows.size(), 1);
    EXPECT_EQ(shows.first().title, QStringLiteral("Friday cards"));
    EXPECT_EQ(shows.first().labelMode.value_or(QString()), QStringLiteral("both"));
    EXPECT_EQ(sync().activeShowId(), shows.first().id);
    EXPECT_TRUE(poller().isPolling());
    EXPECT_TRUE(m_app->bidderTracker().isTracking());
    // The title first, then, a second later, picture-in-picture for the floating box.
    EXPECT_EQ(page().scriptsRun, QStringList({LivePageScripts::name(Script::streamTitle),
                                              LivePageScripts::name(Script::pictureInPicture)}));
    EXPECT_GE(m_sleeper.requested(LiveShowSession::kScriptDelay), 1);
    EXPECT_TRUE(show().onStream());
}

TEST_F(LiveShowCapture, APageWithoutATitleGivesTheDatedTitle)
{
    startApp();
    page().titleAnswer = QStringLiteral("{\"title\":null}");
    openLiveShow();
    ASSERT_EQ(m_backend.shows(kSeller).size(), 1);
    EXPECT_EQ(m_backend.shows(kSeller).first().title, QStringLiteral("Whatnot Live - Mar 5, 2026"));
}

TEST_F(LiveShowCapture, TheTitleIsReadOnceThePageHasLoadedTheStreamsLivePage)
{
    ASSERT_NO_FATAL_FAILURE(openWhileOnTheHomePage());

    // The stream's page is on its way: the address names it before its content is there.
    page().loading = true;
    page().arrive(liveURL(kStream));
    m_sleeper.release(LiveShowSession::kLivePageCheckInterval);
    ASSERT_TRUE(
        eventually([&] { return m_sleeper.waiting(LiveShowSession::kLivePageCheckInterval) == 1; }));
    EXPECT_EQ(page().scriptRuns(Script::streamTitle), 0);
    EXPECT_TRUE(m_backend.shows(kSeller).isEmpty());

    page().loading = false;
    page().titleAnswer = QStringLiteral("{\"title\":\"Friday cards\"}");
    m_sleeper.held.remove(LiveShowSession::kLivePageCheckInterval.count());
    m_sleeper.release(LiveShowSession::kLivePageCheckInterval);
    ASSERT_TRUE(eventually([&] { return m_captureTasksDone == 1; }));
    ASSERT_EQ(m_backend.shows(kSeller).size(), 1);
    EXPECT_EQ(m_backend.shows(kSeller).first().title, QStringLiteral("Friday cards"));
    EXPECT_EQ(page().scriptRuns(Script::streamTitle), 1);
    EXPECT_TRUE(poller().isPolling());
}

TEST_F(LiveShowCapture, APageThatNeverReachesTheStreamGivesTheDatedTitleInBoundedTime)
{
    startApp();
    page().address = QUrl(QStringLiteral("https://market.example/"));
    page().titleAnswer = QStringLiteral("{\"title\":\"Live now\"}");
    openLiveShow();
    ASSERT_EQ(m_backend.shows(kSeller).size(), 1);
    EXPECT_EQ(m_backend.shows(kSeller).first().title, QStringLiteral("Whatnot Live - Mar 5, 2026"));
    EXPECT_EQ(page().scriptRuns(Script::streamTitle), 0); // the home page's heading is never read
    EXPECT_EQ(m_sleeper.requested(LiveShowSession::kLivePageCheckInterval),
              int(LiveShowSession::kLivePageWaitLimit / LiveShowSession::kLivePageCheckInterval));
}

TEST_F(LiveShowCapture, LeavingTheStreamWhileWaitingForTheLivePageStartsNoShow)
{
    ASSERT_NO_FATAL_FAILURE(openWhileOnTheHomePage());
    show().leaveStream();
    page().arrive(liveURL(kStream));
    m_sleeper.release(LiveShowSession::kLivePageCheckInterval);
    ASSERT_TRUE(eventually([&] { return m_captureTasksDone == 1; }));
    settle();
    EXPECT_TRUE(m_backend.shows(kSeller).isEmpty());
    EXPECT_EQ(page().scriptRuns(Script::streamTitle), 0);
}

TEST_F(LiveShowCapture, TheStreamIdIsThePathComponentAfterLive)
{
    const struct
    {
        const char *url;
        std::optional<QString> id;
    } rows[] = {
        {"https://market.example/live/abc-1", QStringLiteral("abc-1")},
        {"https://market.example/en/live/abc-1/chat", QStringLiteral("abc-1")},
        {"https://market.example/live", std::nullopt},
        {"https://market.example/live/", std::nullopt},
        {"https://market.example/shop/abc-1", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(LiveShowSession::streamIdFromURL(QUrl(QString::fromLatin1(row.url))), row.id) << row.url;
}

TEST_F(LiveShowCapture, APageAddressSetsTheStreamOnlyWhenItNamesOne)
{
    startApp();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::status(500));
    openLiveShow(); // no show: the stream may change with the page
    const int settled = page().scriptRuns(Script::pictureInPicture);

    page().arrive(liveURL(QStringLiteral("other-7")));
    EXPECT_TRUE(eventually([&] { return sync().activeStreamId() == QStringLiteral("other-7"); }));
    EXPECT_TRUE(eventually([&] { return page().scriptRuns(Script::pictureInPicture) == settled + 1; }));

    // "live" without an id: the stream stays, the scripts are still applied.
    page().arrive(QUrl(QStringLiteral("https://market.example/live")));
    EXPECT_TRUE(eventually([&] { return page().scriptRuns(Script::pictureInPicture) == settled + 2; }));
    EXPECT_EQ(sync().activeStreamId(), QStringLiteral("other-7"));

    // No "live" component: no reaction at all.
    page().arrive(QUrl(QStringLiteral("https://market.example/shop/x")));
    settle();
    EXPECT_EQ(page().scriptRuns(Script::pictureInPicture), settled + 2);
}

TEST_F(LiveShowCapture, AnUnusableStoredStreamIdIsForgottenAndTheConnectScreenReturns)
{
    startApp();
    session().setAuthenticated(true);
    sync().setActiveStreamId(QStringLiteral("../auth/me"));
    EXPECT_TRUE(show().onStream());
    show().screenShown();
    EXPECT_TRUE(eventually([&] { return !show().onStream(); }));
    EXPECT_TRUE(sync().activeStreamId().isEmpty());
    EXPECT_TRUE(page().loads.isEmpty());
}

TEST_F(LiveShowCapture, OpeningTheScreenWithAStoredStreamGoesThereAtOnce)
{
    startApp();
    session().setAuthenticated(true);
    sync().setActiveStreamId(kStream);
    page().loads.clear();
    show().screenShown();
    settle();
    ASSERT_EQ(page().loads.size(), 1);
    EXPECT_EQ(page().loads.first(), liveURL(kStream));

    // Followed from now on: the page's address reaches the session.
    page().arrive(liveURL(kStream));
    EXPECT_TRUE(eventually([&] { return session().currentURL() == liveURL(kStream); }));
}

TEST_F(LiveShowCapture, WithoutAStreamOrALiveShowTheConnectScreenStays)
{
    startApp();
    session().setAuthenticated(true);
    bool finished = false;
    QObject::connect(&show(), &LiveShowSession::sessionTaskFinished, [&] { finished = true; });
    show().screenShown();
    ASSERT_TRUE(eventually([&] { return finished; }));
    EXPECT_FALSE(show().onStream());
    EXPECT_TRUE(page().loads.isEmpty());
    page().arrive(QUrl(QStringLiteral("https://market.example/browse")));
    EXPECT_TRUE(eventually([&] { return session().currentURL().path() == QLatin1String("/browse"); }));
}

TEST_F(LiveShowCapture, NavigationStopsWithTheScreenWhenNothingIsCapturedAndResumesWithIt)
{
    startApp();
    session().setAuthenticated(true);
    show().screenShown();
    show().screenHidden(); // nothing is captured: the loop ends
    page().arrive(QUrl(QStringLiteral("https://market.example/a")));
    settle();
    EXPECT_NE(session().currentURL().path(), QLatin1String("/a"));

    show().screenShown();
    settle();
    show().screenHidden(); // and back before the old loop has wound down
    show().screenShown();
    page().arrive(QUrl(QStringLiteral("https://market.example/b")));
    EXPECT_TRUE(eventually([&] { return session().currentURL().path() == QLatin1String("/b"); }));
}

class LiveShowActions : public LiveShowFixture
{
};

TEST_F(LiveShowActions, SigningInMovesToTheStreamAfterTheShortPauseUnlessSignedOutMeanwhile)
{
    startApp();
    m_sleeper.held.insert(200);
    sync().setActiveStreamId(kStream);
    session().setAuthenticated(true);
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

TEST_F(LiveShowActions, UploadsTurnedAwayWhileSignedOutGoUpAsSoonAsTheSameSellerSignsInAgain)
{
    openPrintingShow();
    const QString showId = sync().activeShowId();
    AuthManager &auth = m_app->authManager();
    const ZavUser seller = *auth.state().user();
    // The backend fails ann's upload; while it backs off, the seller signs out.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), Fault::status(503));
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] { return submissions() == 2 && m_sleeper.waiting(2000ms) == 1; }));
    runSync(auth.signOut());
    m_backend.clearFaults();
    m_sleeper.release(2000ms);
    ASSERT_TRUE(eventually([&] { return !sync().isUploading(); }));
    ASSERT_EQ(sync().pendingUploadCount(), 1) << "turned away for want of a token, it waits";
    const qsizetype requests = m_backend.requests().size();

    // Another seller's sign-in does not send it.
    const QString otherToken =
        m_backend.addUser(QStringLiteral("seller-2"), QStringLiteral("two@example.com"));
    ZavUser other = seller;
    other.id = QStringLiteral("seller-2");
    other.email = QStringLiteral("two@example.com");
    ASSERT_TRUE(runSync(auth.completeSignIn(otherToken, other)));
    settle();
    EXPECT_EQ(sync().pendingUploadCount(), 1);
    EXPECT_TRUE(m_backend.auctions(showId).isEmpty());
    runSync(auth.signOut());

    // The seller is back: it goes up at once, with no other win to carry it.
    ASSERT_TRUE(runSync(auth.completeSignIn(m_token, seller)));
    EXPECT_TRUE(eventually([&] { return m_backend.auctions(showId).size() == 1; }))
        << m_backend.requests().size() - requests << " requests since";
    EXPECT_TRUE(eventually([&] { return sync().pendingUploadCount() == 0 && !sync().isUploading(); }));
    EXPECT_EQ(submissions(), 2);
}

TEST_F(LiveShowActions, FixRepairsTheStoppedQueuesOneAfterTheOtherInListOrder)
{
    m_catalog->names = {QStringLiteral("Spare"), kQueue, QStringLiteral("Boxes")};
    m_cups.stop(kQueue);
    m_cups.stop(QStringLiteral("Boxes"));
    startApp();
    PrintKitAdapter &adapter = m_app->printAdapter();
    auto refresh = adapter.refreshPrinters();
    ASSERT_TRUE(eventually([&] {
        const QList<PrinterInfo> &printers = adapter.printers();
        return std::count_if(printers.begin(), printers.end(), [](const PrinterInfo &printer) {
                   return printer.queueState == printkit::CUPSQueueState::stopped;
               }) == 2;
    }));
    QStringList listed;
    for (const PrinterInfo &printer : adapter.printers())
        listed.append(printer.name);
    m_runner.runs.clear();

    bool repaired = false;
    QObject::connect(&show(), &LiveShowSession::queueRepairFinished, [&] { repaired = true; });
    show().repairStoppedQueues();
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
}

TEST_F(LiveShowActions, DisconnectLeavesTheShowLocallyWithoutABackendRequestOrAPrintingChange)
{
    openPrintingShow();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(
        eventually([&] { return submissions() == 2 && printedAll() && backendAuctions().size() == 1; }));
    const QString showId = sync().activeShowId();
    m_backend.clearRequests();

    show().disconnect();
    settle();
    for (const auto &request : m_backend.requests()) {
        // The shell re-reads the show list whenever the active show changes; nothing else may go out.
        if (request.method == QLatin1String("GET") && request.path == QLatin1String("/api/shows"))
            continue;
        ADD_FAILURE() << "unexpected " << request.method.toStdString() << " " << request.path.toStdString();
    }
    EXPECT_TRUE(autoPrint().isPrinting());
    EXPECT_FALSE(poller().isPolling());
    EXPECT_TRUE(poller().capturedAuctions().isEmpty());
    EXPECT_TRUE(sync().activeStreamId().isEmpty());
    EXPECT_FALSE(session().isAuthenticated());
    EXPECT_TRUE(autoPrint().boxNumbers().isEmpty()) << "the next show numbers its boxes from 1";
    EXPECT_EQ(m_backend.show(showId)->status, QStringLiteral("live"));
}

TEST_F(LiveShowActions, EndShowResetsFirstStillPrintsQueuedLabelsThenPausesPrinting)
{
    openPrintingShow();
    m_sleeper.held.insert(500);
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(
        eventually([&] { return autoPrint().printJobs().size() == 2 && backendAuctions().size() == 1; }));
    const QString showId = sync().activeShowId();

    show().endCurrentShow();
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
    EXPECT_TRUE(sync().activeStreamId().isEmpty());
}

TEST_F(LiveShowActions, LeaveStreamForgetsTheStreamLocallyWithoutLoggingOut)
{
    startApp();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::status(500));
    openLiveShow();
    ASSERT_TRUE(sync().activeShowId().isEmpty());
    m_backend.clearRequests();

    show().leaveStream();
    settle();
    EXPECT_TRUE(m_backend.requests().isEmpty());
    EXPECT_TRUE(sync().activeStreamId().isEmpty());
    EXPECT_FALSE(poller().isPolling());
    EXPECT_TRUE(session().isAuthenticated());
    // The start retry of the stream that was left does nothing.
    m_sleeper.release(2500ms);
    settle();
    EXPECT_TRUE(m_backend.requests().isEmpty());
}

class LiveShowRoad : public LiveShowFixture
{
};

TEST_F(LiveShowRoad, EveryWinIsPrintedOnceUploadedOnceAndMarkedPrinted)
{
    startApp();
    openLiveShow();
    show().togglePrinting();
    showWin(QStringLiteral("ann"), QStringLiteral("12.50"), 1);
    showWin(QStringLiteral("bob"), QStringLiteral("3"), 2);
    showWin(QStringLiteral("ann"), QStringLiteral("7"), 3);

    // Three winner labels and two box labels; the page keeps showing the wins.
    ASSERT_TRUE(eventually([&] { return submissions() == 5 && printedAll(); }));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 3; }));
    EXPECT_TRUE(eventually([&] {
        const QList<CapturedAuction> &captures = poller().capturedAuctions();
        return std::all_of(captures.begin(), captures.end(),
                           [](const CapturedAuction &a) { return a.isPrinted; });
    }));
    const int scans = page().winScans;
    ASSERT_TRUE(eventually([&] { return page().winScans > scans + 5; }));
    settle();
    EXPECT_EQ(submissions(), 5);
    EXPECT_EQ(backendAuctions().size(), 3);
    EXPECT_EQ(poller().capturedAuctions().size(), 3);
}

TEST_F(LiveShowRoad, BuyersOfOneScanAreNumberedPrintedAndUploadedInTheOrderTheyWon)
{
    openPrintingShow();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    showWin(QStringLiteral("bob"), QStringLiteral("2"), 2);
    showWin(QStringLiteral("cat"), QStringLiteral("3"), 3);
    ASSERT_TRUE(eventually([&] { return submissions() == 6 && printedAll() && backendAuctions().size() == 3; }));

    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("ann")), 1);
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("bob")), 2);
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("cat")), 3);
    QStringList printed;
    for (const PrintJob &job : autoPrint().printJobs())
        printed.prepend(job.label);
    EXPECT_EQ(printed, QStringList({"@ann $1", "Box #1 @ann", "@bob $2", "Box #2 @bob", "@cat $3", "Box #3 @cat"}));
    QStringList uploaded;
    for (const standin::StandinAuction &auction : backendAuctions())
        uploaded.append(auction.winnerUsername);
    EXPECT_EQ(uploaded, QStringList({"ann", "bob", "cat"})) << "the backend's first-win order matches the boxes";
}

TEST_F(LiveShowRoad, AFreshInstallPrintsToTheDefaultQueueWithoutAVisitToTheLabelSettings)
{
    for (const char *kind : {"individual", "box"})
        m_settings->remove(QStringLiteral("label_%1_printer").arg(QLatin1String(kind)));
    m_catalog->names = {kQueue, QStringLiteral("Spare")};
    startApp();
    openLiveShow();
    auto refresh = m_app->printAdapter().refreshPrinters(); // the list arrives
    ASSERT_TRUE(eventually([&] { return !m_app->printAdapter().printers().isEmpty(); }));
    const QString first = m_app->printAdapter().printers().first().name;
    show().togglePrinting();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] { return submissions() == 2 && printedAll(); }))
        << qPrintable(describe(autoPrint().printJobs().first().status));
    for (const auto &submission : m_cups.submissions())
        EXPECT_EQ(submission.queue, first);
    EXPECT_FALSE(show().hasNoPrinter());
    EXPECT_TRUE(show().notice().isEmpty());
}

TEST_F(LiveShowRoad, AWinStillPrintsAndACrashedPageIsReloadedWhileTheScreenIsHidden)
{
    startApp();
    openLiveShow();
    show().togglePrinting();
    show().screenHidden(); // another section, or the window closed to the tray

    showWin(QStringLiteral("ann"), QStringLiteral("5"), 1);
    EXPECT_TRUE(eventually([&] { return submissions() == 2 && printedAll(); }));
    EXPECT_TRUE(eventually([&] { return backendAuctions().size() == 1; }));

    // The page's navigation is still followed: a dead renderer is reloaded.
    const qsizetype loads = page().loads.size();
    m_sleeper.held.remove(1000);
    page().report(NavigationEvent::Kind::webContentProcessTerminated, QStringLiteral("killed"));
    EXPECT_TRUE(eventually([&] { return page().loads.size() > loads; }));
    page().arrive(liveURL(kStream));
    showWin(QStringLiteral("bob"), QStringLiteral("6"), 2);
    EXPECT_TRUE(eventually([&] { return submissions() == 4 && printedAll(); }));
}

class LiveShowResume : public LiveShowFixture
{
};

TEST_F(LiveShowResume, ARestartMidShowReprintsNothingUploadsEachPendingAuctionOnceAndKeepsBoxNumbers)
{
    startApp();
    openLiveShow();
    show().togglePrinting();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    showWin(QStringLiteral("bob"), QStringLiteral("2"), 2);
    ASSERT_TRUE(
        eventually([&] { return submissions() == 4 && printedAll() && backendAuctions().size() == 2; }));

    // The backend stops taking uploads; the next win prints but stays pending.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), Fault::status(503));
    showWin(QStringLiteral("cat"), QStringLiteral("3"), 3);
    ASSERT_TRUE(
        eventually([&] { return submissions() == 6 && printedAll() && sync().pendingUploadCount() == 1; }));
    const QString showId = sync().activeShowId();
    const QList<QJsonObject> wins = page().wins;

    // A new run over the same data, settings and keychain; the page still shows every win.
    destroyApp();
    startApp();
    page().wins = wins;
    openLiveShow();
    EXPECT_EQ(sync().activeShowId(), showId);
    EXPECT_EQ(m_backend.shows(kSeller).size(), 1);
    const int scans = page().winScans;
    ASSERT_TRUE(eventually([&] { return page().winScans > scans + 5; }));
    settle();
    EXPECT_EQ(submissions(), 6) << "nothing is printed again";
    EXPECT_EQ(poller().capturedAuctions().size(), 3);

    m_backend.clearFaults();
    showWin(QStringLiteral("dan"), QStringLiteral("4"), 4);
    ASSERT_TRUE(eventually([&] { return submissions() == 8 && printedAll(); }));
    ASSERT_TRUE(eventually([&] {
        m_sleeper.release(2000ms); // the upload loop's back-off
        return backendAuctions().size() == 4 && sync().pendingUploadCount() == 0;
    }));
    QStringList winners;
    const QList<standin::StandinAuction> stored = backendAuctions();
    for (const auto &auction : stored)
        winners.append(auction.winnerUsername);
    winners.sort();
    EXPECT_EQ(winners, QStringList({"ann", "bob", "cat", "dan"})) << "each pending upload arrives once";
    const QHash<QString, int> boxes = autoPrint().boxNumbers();
    EXPECT_EQ(boxes.value(QStringLiteral("ann")), 1);
    EXPECT_EQ(boxes.value(QStringLiteral("bob")), 2);
    EXPECT_EQ(boxes.value(QStringLiteral("cat")), 3);
    EXPECT_EQ(boxes.value(QStringLiteral("dan")), 4);
}

TEST_F(LiveShowResume, AfterARestartTheShowIsResumedWhenTheLoginBecomesKnownAfterTheScreenCame)
{
    startApp();
    openLiveShow();
    const QString showId = sync().activeShowId();
    ASSERT_FALSE(showId.isEmpty());

    // The next run shows the screen before the seller's marketplace login flag is read.
    destroyApp();
    startApp();
    session().setAuthenticated(false);
    page().address = QUrl(QStringLiteral("https://market.example/"));
    page().loads.clear();
    show().screenShown();
    settle();
    EXPECT_FALSE(show().onStream());
    session().setAuthenticated(true);
    ASSERT_TRUE(eventually([&] { return page().loads.contains(liveURL(kStream)); }))
        << "the stored stream is loaded without a click";
    EXPECT_TRUE(show().onStream());
    EXPECT_EQ(sync().activeShowId(), showId);
}

TEST_F(LiveShowResume, AResumeWhoseFirstAuctionFetchFailsHoldsWinsUntilTheRestoreAndReprintsNothing)
{
    openPrintingShow();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    showWin(QStringLiteral("bob"), QStringLiteral("2"), 2);
    ASSERT_TRUE(
        eventually([&] { return submissions() == 4 && printedAll() && backendAuctions().size() == 2; }));
    const QString auctionsPath = QStringLiteral("/api/shows/%1/auctions").arg(sync().activeShowId());

    restartOverTheSamePage();
    m_backend.setFault(QStringLiteral("GET"), auctionsPath, Fault::status(503).times(1));
    openLiveShow();
    // The page's wins are read, but held: nothing printed, numbered or uploaded.
    const int scans = page().winScans;
    ASSERT_TRUE(eventually([&] { return page().winScans > scans + 3; }));
    settle();
    EXPECT_EQ(poller().capturedAuctions().size(), 2);
    EXPECT_EQ(submissions(), 4);
    EXPECT_TRUE(autoPrint().boxNumbers().isEmpty());
    EXPECT_EQ(show().notice(), LiveShowSession::kWaitingForBackendNotice);

    m_sleeper.release(2500ms); // the restore's back-off
    ASSERT_TRUE(eventually([&] { return show().notice().isEmpty(); }));
    showWin(QStringLiteral("cat"), QStringLiteral("3"), 3);
    ASSERT_TRUE(eventually([&] { return submissions() == 6 && printedAll(); }));
    settle();
    EXPECT_EQ(submissions(), 6) << "ann's and bob's labels are not printed again";
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("ann")), 1);
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("bob")), 2);
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("cat")), 3);
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 3; }));
}

TEST_F(LiveShowResume, AnUploadThatGoesThroughWhileTheAuctionsAreFetchedIsNotPrintedAgain)
{
    openPrintingShow();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), Fault::status(503));
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(
        eventually([&] { return submissions() == 2 && printedAll() && sync().pendingUploadCount() == 1; }));
    const QString auctionsPath = QStringLiteral("/api/shows/%1/auctions").arg(sync().activeShowId());

    // After the restart the show's auctions are read before ann's upload goes
    // through, and answered after it: ann is in neither list when the answer comes.
    restartOverTheSamePage();
    m_backend.clearFaults();
    m_backend.setFault(QStringLiteral("GET"), auctionsPath, Fault::held().times(1));
    session().setAuthenticated(true);
    sync().setActiveStreamId(kStream);
    show().screenShown();
    show().liveContentShown();
    ASSERT_TRUE(eventually([&] { return m_backend.heldCount() == 1; }));
    ASSERT_TRUE(eventually([&] {
        m_sleeper.release(2000ms); // the upload loop's back-off
        return backendAuctions().size() == 1 && sync().pendingUploadCount() == 0;
    }));
    m_backend.releaseHeld();
    const int scans = page().winScans;
    ASSERT_TRUE(eventually([&] { return page().winScans > scans + 5; }));
    settle();
    EXPECT_EQ(poller().capturedAuctions().size(), 1);
    EXPECT_EQ(submissions(), 2) << "ann's labels are not printed again";
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("ann")), 1);
}

TEST_F(LiveShowResume, ARestartPrintsWhatWasStillQueuedReprintsNothingAndKeepsBoxNumbers)
{
    openPrintingShow();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] { return submissions() == 2 && printedAll() && backendAuctions().size() == 1; }));
    // Printed, but its upload waits: it comes back from the pending file, not the backend.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), Fault::status(503));
    showWin(QStringLiteral("bob"), QStringLiteral("2.50"), 2);
    ASSERT_TRUE(eventually([&] { return submissions() == 4 && printedAll() && sync().pendingUploadCount() == 1; }));
    // The queue stops: cat's and ann's second win are queued, not printed, when the program ends.
    show().togglePrinting();
    showWin(QStringLiteral("cat"), QStringLiteral("3"), 3);
    showWin(QStringLiteral("ann"), QStringLiteral("4"), 4);
    ASSERT_TRUE(eventually([&] { return autoPrint().printJobs().size() == 7; }));
    m_backend.clearFaults();
    ASSERT_TRUE(eventually([&] {
        m_sleeper.release(2000ms);
        return backendAuctions().size() == 4 && sync().pendingUploadCount() == 0;
    }));
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), Fault::status(503));
    showWin(QStringLiteral("dan"), QStringLiteral("5"), 5);
    ASSERT_TRUE(eventually([&] { return sync().pendingUploadCount() == 1; }));
    const QHash<QString, int> boxes = autoPrint().boxNumbers();
    const int printedBefore = submissions();

    restartOverTheSamePage();
    openLiveShow();
    settle();
    EXPECT_EQ(autoPrint().boxNumbers(), boxes);
    QStringList queued;
    for (const PrintJob &job : autoPrint().printJobs())
        queued.prepend(job.label);
    EXPECT_EQ(queued, QStringList({"@cat $3", "Box #3 @cat", "@ann $4", "@dan $5", "Box #4 @dan"}))
        << "what was queued, in first-win order, and nothing that printed";
    for (const CapturedAuction &auction : poller().capturedAuctions())
        EXPECT_EQ(auction.isPrinted, auction.auctionNumber <= 2) << auction.id.toStdString();
    EXPECT_TRUE(show().notice().isEmpty());

    show().togglePrinting();
    ASSERT_TRUE(eventually([&] { return printedAll() && submissions() == printedBefore + 5; }));
    settle();
    EXPECT_EQ(submissions(), printedBefore + 5);
}

TEST_F(LiveShowResume, AfterClearARestartPrintsNothingTwiceAndListsNothingAgainAsFailed)
{
    openPrintingShow();
    // ann's labels fail: the queue refuses them.
    m_cups.refuse(kQueue, QStringLiteral("lp: The printer or class does not exist."));
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] {
        const QList<PrintJob> &jobs = autoPrint().printJobs();
        return !autoPrint().isProcessing() && jobs.size() == 2 &&
               std::all_of(jobs.begin(), jobs.end(),
                           [](const PrintJob &job) { return job.status.isError(); });
    }));
    m_cups.accept(kQueue);
    // bob's winner label is at the printer, his box label and cat's labels wait behind
    // it, when the seller clears the print log.
    m_cups.holdSubmissions();
    showWin(QStringLiteral("bob"), QStringLiteral("2"), 2);
    showWin(QStringLiteral("cat"), QStringLiteral("3"), 3);
    ASSERT_TRUE(
        eventually([&] { return m_cups.heldSubmissions() == 1 && autoPrint().printJobs().size() == 6; }));
    autoPrint().setPrintJobs({});
    m_cups.releaseSubmissions();
    ASSERT_TRUE(eventually([&] { return !autoPrint().isProcessing() && submissions() == 1; }));
    settle();
    const QHash<QString, int> boxes = autoPrint().boxNumbers();

    restartOverTheSamePage();
    openLiveShow();
    settle();
    ASSERT_TRUE(autoPrint().isPrinting());
    EXPECT_EQ(autoPrint().boxNumbers(), boxes);
    QStringList listed;
    for (const PrintJob &job : autoPrint().printJobs())
        listed.append(job.label + QStringLiteral(": ") + describe(job.status));
    EXPECT_TRUE(listed.isEmpty()) << listed.join(QStringLiteral(", ")).toStdString();
    for (const CapturedAuction &auction : poller().capturedAuctions())
        EXPECT_EQ(auction.isPrinted, auction.winnerUsername == QStringLiteral("bob"))
            << auction.id.toStdString();
    settle();
    EXPECT_EQ(submissions(), 1)
        << "bob's winner label printed once, nothing cleared printed after the restart";

    // The show goes on: the next buyer's labels print with the next box number.
    showWin(QStringLiteral("dan"), QStringLiteral("4"), 4);
    ASSERT_TRUE(eventually([&] { return submissions() == 3 && printedAll(); }));
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("dan")), 4);
}

TEST_F(LiveShowResume, AnUnreadableLabelRecordIsSetAsideAndTheSellerIsToldToCheckTheLastLabels)
{
    openPrintingShow();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] { return submissions() == 2 && printedAll() && backendAuctions().size() == 1; }));
    const QString record = LabelRecordStore::forShow(sync().activeShowId()).filePath();
    const QList<QJsonObject> wins = page().wins;

    destroyApp();
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("not a record\n");
    file.close();
    startApp();
    page().wins = wins;
    openLiveShow();
    settle();
    EXPECT_EQ(show().notice(), LiveShowSession::kLabelRecordLostNotice);
    EXPECT_EQ(submissions(), 2) << "nothing is printed again";
    EXPECT_TRUE(QFile::exists(record + QStringLiteral(".unreadable")));
}

TEST_F(LiveShowResume, RestoredAuctionsAreNeitherUploadedNorPrintedWhilePageCapturesAre)
{
    const QString showId = addLiveShow(QStringLiteral("Earlier"));
    // Out of order on the backend: box numbers follow the first win.
    m_backend.addAuction({QString(),
                          showId,
                          QStringLiteral("zed"),
                          QStringLiteral("9"),
                          2,
                          {},
                          {},
                          QStringLiteral("2026-03-05T11:00:05Z")});
    m_backend.addAuction({QString(),
                          showId,
                          QStringLiteral("amy"),
                          QStringLiteral("8"),
                          1,
                          {},
                          {},
                          QStringLiteral("2026-03-05T11:00:01Z")});
    m_settings->setString(QString::fromLatin1(ShowSyncService::kShowIdKey), showId);
    m_settings->setString(QString::fromLatin1(ShowSyncService::kShowStreamIdKey), kStream);
    startApp();
    show().togglePrinting();
    page().addWin(QStringLiteral("amy"), QStringLiteral("8"), 1); // still on the page
    openLiveShow();

    ASSERT_TRUE(eventually([&] { return poller().capturedAuctions().size() == 2; }));
    EXPECT_TRUE(
        sync().syncedAuctionKeys().contains(CapturedAuction::makeId("zed", *Decimal::fromString(u"9"), 2)));
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("amy")), 1);
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("zed")), 2);

    showWin(QStringLiteral("kim"), QStringLiteral("4"), 3);
    ASSERT_TRUE(
        eventually([&] { return submissions() == 2 && printedAll() && backendAuctions().size() == 3; }));
    EXPECT_EQ(autoPrint().boxNumbers().value(QStringLiteral("kim")), 3);
    EXPECT_EQ(requestCount(QStringLiteral("POST"),
                           QStringLiteral("/api/shows/") + showId + QStringLiteral("/auctions")),
              1);
}

TEST_F(LiveShowResume, EnteringTheLiveContentAgainStartsNoSecondShow)
{
    startApp();
    openLiveShow();
    const int done = m_captureTasksDone;
    show().liveContentShown();
    ASSERT_TRUE(eventually([&] { return m_captureTasksDone > done; }));
    EXPECT_EQ(m_backend.shows(kSeller).size(), 1);
    EXPECT_EQ(requestCount(QStringLiteral("POST"), QStringLiteral("/api/shows")), 1);
}

TEST_F(LiveShowResume, AForeignStreamIsNotReadWhileTheShowRuns)
{
    startApp();
    openLiveShow();
    show().togglePrinting();
    page().arrive(liveURL(QStringLiteral("someone-else")));
    EXPECT_EQ(sync().activeStreamId(), kStream);
    EXPECT_TRUE(eventually([&] { return !poller().isPolling(); }));
    EXPECT_EQ(show().notice(), LiveShowSession::kForeignStreamNotice) << "never a silent pause";
    settle();
    const int scans = page().winScans;
    showWin(QStringLiteral("stranger"), QStringLiteral("99"), 1);
    settle();
    EXPECT_EQ(page().winScans, scans);
    EXPECT_TRUE(poller().capturedAuctions().isEmpty());

    page().wins.clear();
    page().arrive(liveURL(kStream));
    EXPECT_TRUE(eventually([&] { return poller().isPolling(); }));
    EXPECT_TRUE(show().notice().isEmpty());
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    EXPECT_TRUE(eventually([&] { return submissions() == 2 && printedAll(); }));
}

TEST_F(LiveShowResume, ASecondShowOnAnotherStreamIsCapturedPrintedAndUploadedUnderItsOwnTitle)
{
    openPrintingShow();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] { return submissions() == 2 && printedAll() && backendAuctions().size() == 1; }));
    show().endCurrentShow();
    ASSERT_TRUE(eventually([&] { return sync().activeShowId().isEmpty() && !show().isEndingShow(); }));

    // The connect screen chooses another stream; the page is still on the first one while the next loads.
    const QString next = QStringLiteral("show-77");
    const int done = m_captureTasksDone;
    page().wins.clear();
    page().loading = true;
    m_sleeper.held.insert(LiveShowSession::kLivePageCheckInterval.count());
    show().togglePrinting(); // paused after the first show's labels
    sync().setActiveStreamId(next);
    show().liveContentShown();
    ASSERT_TRUE(eventually([&] { return m_sleeper.waiting(LiveShowSession::kLivePageCheckInterval) == 1; }));
    EXPECT_EQ(sync().activeStreamId(), next) << "the page's old address does not take the stream back";

    page().titleAnswer = QStringLiteral("{\"title\":\"Saturday cards\"}");
    page().loading = false;
    page().arrive(liveURL(next));
    m_sleeper.held.remove(LiveShowSession::kLivePageCheckInterval.count());
    m_sleeper.release(LiveShowSession::kLivePageCheckInterval);
    ASSERT_TRUE(eventually([&] { return m_captureTasksDone > done; }));
    showWin(QStringLiteral("bob"), QStringLiteral("2"), 2);

    ASSERT_TRUE(eventually([&] { return submissions() == 4 && printedAll(); }));
    const QList<standin::StandinShow> shows = m_backend.shows(kSeller);
    ASSERT_EQ(shows.size(), 2);
    EXPECT_EQ(shows.first().title, QStringLiteral("Saturday cards"));
    ASSERT_TRUE(eventually([&] { return m_backend.auctions(shows.first().id).size() == 1; }));
    EXPECT_EQ(m_backend.auctions(shows.first().id).first().winnerUsername, QStringLiteral("bob"));
    EXPECT_EQ(sync().activeStreamId(), next);
    EXPECT_TRUE(poller().isPolling());
    EXPECT_TRUE(show().notice().isEmpty());
}

TEST_F(LiveShowResume, AShowThatCouldNotStartIsTriedAgainAndEarlierCapturesGoUp)
{
    startApp();
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::status(500).times(1));
    openLiveShow();
    EXPECT_TRUE(sync().activeShowId().isEmpty());
    EXPECT_TRUE(show().onStream());
    EXPECT_TRUE(poller().isPolling()) << "captures go on while the show cannot start";
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] { return poller().capturedAuctions().size() == 1; }));
    ASSERT_TRUE(eventually([&] { return m_sleeper.waiting(2500ms) == 1; }));

    m_sleeper.release(2500ms);
    ASSERT_TRUE(eventually([&] { return !sync().activeShowId().isEmpty(); }));
    EXPECT_TRUE(eventually([&] { return backendAuctions().size() == 1; }))
        << "without waiting for another win";
    EXPECT_EQ(m_backend.shows(kSeller).size(), 1);
}

} // namespace
