// What the tray popover shows of a show, its Auto-Print switch and the check before quitting.
#include "capture/auction_poller.h"
#include "print_jobs.h"
#include "printing/auto_print_manager.h"
#include "printing/label_section_state.h"
#include "run_sync.h"
#include "shell_fixture.h"
#include "ui/app/menu_bar_popover_controller.h"
#include "ui/app/pending_work.h"

#include <QSignalSpy>

namespace quill::testing {
namespace {

CapturedAuction auction(const QString &winner, const char *price, std::optional<qint64> number = std::nullopt)
{
    CapturedAuction a;
    a.winnerUsername = winner;
    a.salePrice = *Decimal::fromString(QString::fromLatin1(price));
    a.auctionNumber = number;
    a.id = CapturedAuction::makeId(a.winnerUsername, a.salePrice, number);
    return a;
}

RawAuction raw(const QString &winner, const char *price, qint64 number)
{
    RawAuction r;
    r.winnerUsername = winner;
    r.salePrice = QString::fromLatin1(price);
    r.auctionNumber = number;
    return r;
}

TEST(PopoverFigures, RecentWinsAreTheFirstFive)
{
    QList<CapturedAuction> five;
    for (int i = 1; i <= 5; ++i)
        five.append(auction(QStringLiteral("ann"), "1", i));
    EXPECT_EQ(MenuBarPopoverController::recentWinsOf(five), five);

    QList<CapturedAuction> six = five;
    six.append(auction(QStringLiteral("ann"), "1", 6));
    EXPECT_EQ(MenuBarPopoverController::recentWinsOf(six), five);
    EXPECT_TRUE(MenuBarPopoverController::recentWinsOf({}).isEmpty());
}

TEST(PopoverFigures, BuyersByExactNameAndExactRevenue)
{
    const QList<CapturedAuction> wins{auction(QStringLiteral("bidder1"), "12.5", 1),
                                      auction(QStringLiteral("Bidder1"), "7.5", 2)};
    EXPECT_EQ(MenuBarPopoverController::buyerCountOf(wins), 2);
    EXPECT_EQ(MenuBarPopoverController::revenueOf(wins).toString(), QStringLiteral("20"));
    EXPECT_EQ(MenuBarPopoverController::buyerCountOf(
                  {auction(QStringLiteral("ann"), "1", 1), auction(QStringLiteral("ann"), "2", 2)}),
              1);
    // 0.1 + 0.2 stays exact.
    EXPECT_EQ(MenuBarPopoverController::revenueOf(
                  {auction(QStringLiteral("a"), "0.1", 1), auction(QStringLiteral("b"), "0.2", 2)})
                  .toString(),
              QStringLiteral("0.3"));
    EXPECT_EQ(MenuBarPopoverController::revenueOf({}).toString(), QStringLiteral("0"));
}

TEST(PopoverFigures, OnlyQueuedJobsArePending)
{
    const QList<PrintJob> jobs{printJob(PrintJob::Status::queued()), printJob(PrintJob::Status::printing()),
                               printJob(PrintJob::Status::done()),
                               printJob(PrintJob::Status::error(QStringLiteral("x"))),
                               printJob(PrintJob::Status::queued())};
    EXPECT_EQ(MenuBarPopoverController::queuedJobCountOf(jobs), 2);
    EXPECT_EQ(MenuBarPopoverController::queuedJobCountOf({}), 0);
    // Quitting loses the printing one too.
    EXPECT_EQ(PendingWork::unfinishedLabels(jobs), 3);
}

TEST(PopoverQuitCheck, SaysWhichWorkIsPending)
{
    EXPECT_TRUE(PendingWork{}.isEmpty());
    EXPECT_TRUE(PendingWork{}.message().isEmpty());

    const QString oneLabel = PendingWork{1, 0}.message();
    EXPECT_TRUE(oneLabel.contains(QStringLiteral("1 label is still queued or printing")))
        << oneLabel.toStdString();
    EXPECT_FALSE(oneLabel.contains(QStringLiteral("win")));

    const QString uploads = PendingWork{0, 3}.message();
    EXPECT_TRUE(uploads.contains(QStringLiteral("3 wins are not yet saved"))) << uploads.toStdString();
    EXPECT_TRUE(uploads.contains(QStringLiteral("next start")));
    EXPECT_FALSE(uploads.contains(QStringLiteral("label")));

    const QString both = PendingWork{2, 1}.message();
    EXPECT_TRUE(both.contains(QStringLiteral("2 labels are")));
    EXPECT_TRUE(both.contains(QStringLiteral("1 win is")));
}

class PopoverControllerTest : public ShellFixture
{
};

TEST_F(PopoverControllerTest, OfflineWithNothingCaptured)
{
    AppState &app = makeAppState();
    MenuBarPopoverController popover(app);
    EXPECT_FALSE(popover.isLive());
    EXPECT_FALSE(popover.showsStatistics());
    EXPECT_TRUE(popover.recentWins().isEmpty());
    EXPECT_EQ(popover.noWinsText(), QStringLiteral("Start a show from the Live Show tab"));
    EXPECT_EQ(popover.currentPrinter(), std::nullopt);

    // Offline with captures left: the rows stay, the figures do not.
    app.auctionPoller().ingest(raw(QStringLiteral("ann"), "5", 1));
    EXPECT_FALSE(popover.showsStatistics());
    EXPECT_EQ(popover.recentWins().size(), 1);
}

TEST_F(PopoverControllerTest, FiguresOfALiveShow)
{
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    MenuBarPopoverController popover(app);
    QSignalSpy changed(&popover, &MenuBarPopoverController::changed);
    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started = app.showSyncService().startShow(QStringLiteral("Friday"), QStringLiteral("realtime"));
    ASSERT_TRUE(eventually([&] { return popover.isLive(); }));
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_EQ(popover.capturedText(), QStringLiteral("\u2014 0 captured"));
    EXPECT_FALSE(popover.showsStatistics());
    EXPECT_EQ(popover.noWinsText(), QStringLiteral("Waiting for wins..."));

    changed.clear();
    app.auctionPoller().ingest(raw(QStringLiteral("bidder1"), "12.5", 1));
    EXPECT_EQ(changed.size(), 1);
    EXPECT_TRUE(popover.showsStatistics());
    EXPECT_EQ(popover.itemsLabel(), QStringLiteral("item"));
    EXPECT_EQ(popover.buyersLabel(), QStringLiteral("buyer"));

    app.auctionPoller().ingest(raw(QStringLiteral("Bidder1"), "7.5", 2));
    EXPECT_EQ(popover.revenueText(), QStringLiteral("$20"));
    EXPECT_EQ(popover.capturedText(), QStringLiteral("\u2014 2 captured"));
    EXPECT_EQ(popover.itemsLabel(), QStringLiteral("items"));
    EXPECT_EQ(popover.buyerCount(), 2);
    EXPECT_EQ(popover.buyersLabel(), QStringLiteral("buyers"));
    // Newest first.
    EXPECT_EQ(popover.recentWins().first().winnerUsername, QStringLiteral("Bidder1"));

    runSync(app.showSyncService().endShow());
}

TEST_F(PopoverControllerTest, PendingCountAndModeFollowTheManager)
{
    AppState &app = makeAppState();
    MenuBarPopoverController popover(app);
    QSignalSpy changed(&popover, &MenuBarPopoverController::changed);
    app.autoPrintManager().setPrintJobs(
        {printJob(PrintJob::Status::queued()), printJob(PrintJob::Status::printing())});
    EXPECT_EQ(popover.queuedJobCount(), 1);
    EXPECT_EQ(PendingWork::of(app), (PendingWork{2, 0}));

    app.autoPrintManager().setLabelMode(LabelMode::grouped);
    EXPECT_EQ(popover.labelModeTitle(), QStringLiteral("Box"));
    app.autoPrintManager().setLabelMode(LabelMode::both);
    EXPECT_EQ(popover.labelModeTitle(), QStringLiteral("Winner + Box"));
    EXPECT_GE(changed.size(), 3);
}

TEST_F(PopoverControllerTest, SwitchingAutoPrintOffDropsThePendingStart)
{
    AppState &app = makeAppState();
    AutoPrintManager &manager = app.autoPrintManager();
    MenuBarPopoverController popover(app);
    const PrintJob queued = printJob(PrintJob::Status::queued());
    manager.setPrintJobs({queued});
    manager.setIsPrinting(true);
    manager.scheduleProcessing(app.printService());
    ASSERT_TRUE(manager.hasPendingDebounce());

    popover.setAutoPrinting(false);
    EXPECT_FALSE(manager.isPrinting());
    EXPECT_FALSE(manager.hasPendingDebounce());
    m_sleeper.releaseAll();
    QCoreApplication::processEvents();
    // The walk never ran: the job is still queued.
    EXPECT_TRUE(manager.printJobs().first().status.isQueued());
    EXPECT_FALSE(manager.isProcessing());
}

TEST_F(PopoverControllerTest, SwitchingAutoPrintOnWalksTheQueueWithoutANewWin)
{
    AppState &app = makeAppState();
    AutoPrintManager &manager = app.autoPrintManager();
    manager.setIsPrinting(false);
    manager.setPrintJobs({printJob(PrintJob::Status::queued())});
    MenuBarPopoverController popover(app);

    popover.setAutoPrinting(true);
    EXPECT_TRUE(manager.isPrinting());
    EXPECT_TRUE(popover.isAutoPrinting());
    ASSERT_TRUE(manager.hasPendingDebounce());
    m_sleeper.releaseAll();
    // No printer is saved: the walk reached the job and says so.
    ASSERT_TRUE(eventually([&] { return manager.printJobs().first().status.isError(); }));
    EXPECT_EQ(manager.printJobs().first().status.message, AutoPrintManager::noPrinterMessage);
}

TEST_F(PopoverControllerTest, ThePrinterFollowsTheModeAndTheList)
{
    AppState &app = makeAppState();
    MenuBarPopoverController popover(app);
    LabelSectionState box = LabelSectionState::load(1, *m_settings);
    box.selectedPrinter = QStringLiteral("Box_Zebra_ABCD12");
    ASSERT_FALSE(box.save(1, *m_settings).has_value());

    app.autoPrintManager().setLabelMode(LabelMode::realtime);
    EXPECT_EQ(popover.currentPrinter(), std::nullopt); // no winner-label printer saved
    app.autoPrintManager().setLabelMode(LabelMode::grouped);
    ASSERT_TRUE(popover.currentPrinter().has_value());
    EXPECT_EQ(popover.currentPrinter()->displayName, QStringLiteral("Box Zebra"));
    EXPECT_FALSE(popover.currentPrinter()->isOnline); // the adapter lists no printers
}

} // namespace
} // namespace quill::testing
