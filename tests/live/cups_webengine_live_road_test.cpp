// The main road through the real screen, offscreen: Google sign-in on the stand-in
// backend, the marketplace login in the login panel, a stand-in stream connected,
// Start Printing, wins on the stand-in live page in Qt WebEngine, labels in the
// private cupsd's TestLabel queue, auctions on the stand-in backend, End Show.
#include "live_road_fixture.h"

namespace quill::testing {
namespace {

class CupsWebEngineLiveRoad : public LiveRoadFixture
{
};

TEST_F(CupsWebEngineLiveRoad, AShowFromSignInToEndShow)
{
    ASSERT_NO_FATAL_FAILURE(runToLiveShow());
    LiveShowView *screen = liveView();

    const qsizetype before = tb::jobFiles(kQueue).size();
    addWin(QStringLiteral("alice"), 1, QStringLiteral("12"));
    addWin(QStringLiteral("bob"), 2, QStringLiteral("30.50"));
    addWin(QStringLiteral("alice"), 3, QStringLiteral("8"));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 3; }));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 3; }));
    // Winner labels for the three wins, and a box label for each of the two buyers.
    const qsizetype jobs = app().autoPrintManager().printJobs().size();
    EXPECT_GE(jobs, 3);
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));
    EXPECT_EQ(screen->statusBar()->capturedLabel()->text(), QStringLiteral("3 captured"));

    // End Show, confirmed.
    QTest::mouseClick(screen->statusBar()->endShowButton(), Qt::LeftButton);
    ASSERT_NE(screen->endConfirmation(), nullptr);
    QTest::mouseClick(screen->endConfirmation()->findChild<QPushButton *>(QStringLiteral("confirmEndShow")),
                      Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return app().showSyncService().activeShowId().isEmpty(); }));
    EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).first().status, QStringLiteral("completed"));
    EXPECT_FALSE(app().autoPrintManager().isPrinting());
    EXPECT_EQ(screen->page(), LiveShowView::Page::connect);
    EXPECT_EQ(tb::jobFiles(kQueue).size(), before + jobs);
}

TEST_F(CupsWebEngineLiveRoad, CaptureKeepsGoingWhileTheLiveScreenIsNotShown)
{
    ASSERT_NO_FATAL_FAILURE(runToLiveShow());
    const qsizetype before = tb::jobFiles(kQueue).size();
    addWin(QStringLiteral("alice"), 1, QStringLiteral("12"));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 1; }));
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));

    // Another section on screen: the page is off screen, capture goes on.
    mainView().sidebarView()->selection().setValue(SidebarSection::printers);
    ASSERT_TRUE(eventually([&] { return liveView() == nullptr; }));
    addWin(QStringLiteral("bob"), 2, QStringLiteral("30"));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 2; }));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 2; }));
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));

    // The window closed to the tray.
    MainWindow &window = m_shell->mainWindow();
    window.setKeepsRunningWhenClosed(true);
    window.close();
    ASSERT_FALSE(window.isVisible());
    addWin(QStringLiteral("carol"), 3, QStringLiteral("9.50"));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 3; }));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 3; }));
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));
    QStringList labels;
    for (const PrintJob &job : app().autoPrintManager().printJobs())
        labels.append(job.label);
    for (const QString &user : {QStringLiteral("@alice"), QStringLiteral("@bob"), QStringLiteral("@carol")})
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const QString &l) {
            return l.contains(user);
        })) << user.toStdString();
    // The engine runs the page as in the foreground.
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const QByteArray &flag : kBackgroundPageFlags)
        EXPECT_TRUE(flags.split(' ').contains(flag)) << flag.constData();
}

TEST_F(CupsWebEngineLiveRoad,
       ARendererKilledFourTimesWithinAMinuteWhileAnotherSectionIsShownIsReloadedEachTime)
{
    ASSERT_NO_FATAL_FAILURE(runToLiveShow());
    const qsizetype before = tb::jobFiles(kQueue).size();
    addWin(QStringLiteral("alice"), 1, QStringLiteral("12"));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 1; }));
    mainView().sidebarView()->selection().setValue(SidebarSection::printers);
    ASSERT_TRUE(eventually([&] { return liveView() == nullptr; }));

    // The page's renderer dies four times within a minute, a win shown after each
    // death: the page comes back every time and every win is captured and printed.
    QWebEnginePage *page = app().whatnotSession().webPage();
    ASSERT_NE(page, nullptr);
    for (int kill = 1; kill <= 4; ++kill) {
        SCOPED_TRACE(kill);
        ASSERT_TRUE(tb::eventually([&] { return page->renderProcessPid() > 0; }, std::chrono::milliseconds(20000)));
        ASSERT_TRUE(killRenderer(*page));
        addWin(QStringLiteral("buyer%1").arg(kill), kill + 1, QStringLiteral("5"));
        ASSERT_TRUE(tb::eventually(
            [&] { return app().auctionPoller().capturedAuctions().size() == kill + 1; }, std::chrono::milliseconds(30000)))
            << qPrintable(app().whatnotSession().errorText());
        EXPECT_TRUE(app().auctionPoller().isPolling());
    }
    EXPECT_FALSE(app().whatnotSession().error().has_value());
    EXPECT_FALSE(app().auctionPoller().error().has_value());
    ASSERT_TRUE(tb::eventually([&] { return backendAuctions().size() == 5; }, std::chrono::milliseconds(30000)));
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));
}

TEST_F(CupsWebEngineLiveRoad, ARestartMidShowReprintsNothingAndUploadsEachPendingWinOnce)
{
    ASSERT_NO_FATAL_FAILURE(runToLiveShow());
    const qsizetype before = tb::jobFiles(kQueue).size();
    addWin(QStringLiteral("alice"), 1, QStringLiteral("12"));
    addWin(QStringLiteral("bob"), 2, QStringLiteral("30"));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 2; }));
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));

    // The backend stops taking auctions and printing is paused: one more win is
    // captured, its labels queued and its upload pending when the program ends.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*/auctions"),
                       standin::Fault::status(503));
    QTest::mouseClick(liveView()->headerBar()->printingButton(), Qt::LeftButton);
    ASSERT_FALSE(app().autoPrintManager().isPrinting());
    addWin(QStringLiteral("carol"), 3, QStringLiteral("9.50"));
    ASSERT_TRUE(eventually([&] { return app().autoPrintManager().printJobs().size() == 6; }));
    ASSERT_TRUE(eventually([&] { return app().showSyncService().pendingUploadCount() > 0; }));
    const qsizetype printedBeforeRestart = tb::jobFiles(kQueue).size();
    EXPECT_EQ(printedBeforeRestart, before + 4);
    const int carolBox = app().autoPrintManager().boxNumbers().value(QStringLiteral("carol"));
    EXPECT_EQ(carolBox, 3);

    // The program ends mid-show and starts again over the same data folder, settings
    // and keychain; the page still shows every earlier win, uploads still fail.
    m_shell.reset();
    startProgram();
    ASSERT_TRUE(eventually([&] { return liveView() != nullptr; }));
    LiveShowView *screen = liveView();
    ASSERT_TRUE(eventually([&] { return screen->page() == LiveShowView::Page::live; }))
        << "the stored stream was not taken up";
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 3; }));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().isPolling(); }));
    EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 1); // the show is resumed, not made anew

    // Uploads work again and printing goes on: carol's queued labels and a new win's
    // print, nothing printed before the restart prints again, box numbers continue,
    // and the pending win arrives once.
    m_backend.clearFaults();
    if (!app().autoPrintManager().isPrinting())
        QTest::mouseClick(screen->headerBar()->printingButton(), Qt::LeftButton);
    addWin(QStringLiteral("dave"), 4, QStringLiteral("20"));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 4; }));
    ASSERT_TRUE(tb::eventually([&] { return backendAuctions().size() == 4; }, std::chrono::seconds(30)));
    ASSERT_TRUE(
        tb::eventually([&] { return allPrinted(app().autoPrintManager().printJobs().size()); }, std::chrono::seconds(30)));
    QStringList labels;
    for (const PrintJob &job : app().autoPrintManager().printJobs())
        labels.prepend(job.label);
    EXPECT_EQ(labels, QStringList({"@carol $9.5", "Box #3 @carol", "@dave $20", "Box #4 @dave"}));
    // The scheduler writes a job's file a little after lp has returned.
    EXPECT_TRUE(tb::eventually(
        [&] { return tb::jobFiles(kQueue).size() == printedBeforeRestart + labels.size(); }, std::chrono::seconds(30)))
        << tb::jobFiles(kQueue).size() << " files for " << printedBeforeRestart + labels.size() << " labels";
    EXPECT_EQ(app().autoPrintManager().boxNumbers().value(QStringLiteral("dave")), 4);
    QList<qint64> numbers;
    for (const standin::StandinAuction &auction : backendAuctions())
        numbers.append(auction.auctionNumber.value_or(-1));
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (QList<qint64>{1, 2, 3, 4}));
    EXPECT_EQ(app().showSyncService().pendingUploadCount(), 0);
}

} // namespace
} // namespace quill::testing
