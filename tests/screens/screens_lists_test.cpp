// The live lists' rows in every state, both preview sheets, the print log (one job per
// status, and empty), a failed job's detail sheet and the floating win feed.
#include "../lists/lists_fixture.h"
#include "backend/show_sync_service.h"
#include "capture/bidder_tracker.h"
#include "common/clock.h"
#include "fake_sleeper.h"
#include "printing/auto_print_manager.h"
#include "printing/label_appearance_store.h"
#include "printing/print_service.h"
#include "screen_capture.h"
#include "ui/app/floating_win_feed.h"
#include "ui/app/floating_win_feed_controller.h"
#include "ui/app/sidebar_section.h"
#include "ui/lists/auction_label_preview_sheet.h"
#include "ui/lists/buyer_label_preview_sheet.h"
#include "ui/lists/live_row_labels.h"
#include "ui/lists/live_row_printer.h"
#include "ui/lists/print_job_detail_sheet.h"
#include "ui/lists/print_job_row_delegate.h"
#include "ui/lists/print_log_model.h"
#include "ui/lists/print_log_panel.h"
#include "ui/live/live_side_panel.h"
#include "ui/widgets/empty_state_view.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QListView>
#include <QSignalSpy>
#include <QVBoxLayout>

namespace quill::testing {
namespace {

const QDateTime kNow(QDate(2026, 3, 5), QTime(12, 0), Qt::UTC);

class ScreensLists : public ListsFixture
{
protected:
    void SetUp() override
    {
        ListsFixture::SetUp();
        applyAppLook(*qApp);
    }

    AppState &showWithWins()
    {
        AppState &app = startWithPrinters({QStringLiteral("Desk")});
        win(app, QStringLiteral("card_king"), QStringLiteral("27.5"), 1,
            QStringLiteral("1999 Holo Charizard PSA 9"));
        win(app, QStringLiteral("alpha"), QStringLiteral("4"), std::nullopt);
        win(app, QStringLiteral("<img src=x onerror=alert(1)>"), QStringLiteral("8.25"), 3,
            QStringLiteral("Two\nlines of title"));
        win(app, QStringLiteral("mia.collects_with_a_really_long_name_here"), QStringLiteral("120"), 4,
            QStringLiteral("Sealed booster box, first edition, shadowless"));
        win(app, QStringLiteral("card_king"), QStringLiteral("12.5"), 5);
        app.auctionPoller().markPrinted(app.auctionPoller().capturedAuctions().last().id);
        return app;
    }

    static PrintJob job(const QString &id, const QString &label, PrintJob::Status status, LabelType type,
                        qint64 secondsAgo, LabelContent content, LabelMedia media, Orientation orientation)
    {
        PrintJob j;
        j.id = id;
        j.label = label;
        j.status = std::move(status);
        j.timestamp = kNow.addSecs(-secondsAgo);
        j.content = std::move(content);
        j.labelMedia = std::move(media);
        j.orientation = orientation;
        j.labelType = type;
        return j;
    }

    static QList<PrintJob> jobsOfEveryStatus()
    {
        const LabelContent winner =
            LabelContent::individual(QStringLiteral("card_king"), QStringLiteral("12.5"), 5, std::nullopt,
                                     QStringLiteral("Holo card"), QStringLiteral("Live Show"));
        return {
            job(QStringLiteral("4"), QStringLiteral("@card_king $12.5"), PrintJob::Status::queued(),
                LabelType::individual, 2, winner, LabelMedia::rect1x2(), Orientation::landscape),
            job(QStringLiteral("3"), QStringLiteral("Box #2 @alpha"), PrintJob::Status::printing(),
                LabelType::box, 42,
                LabelContent::box(QStringLiteral("alpha"), 2, QStringLiteral("Live Show")),
                LabelMedia::circle2(), Orientation::landscape),
            job(QStringLiteral("2"), QStringLiteral("@alpha $4"), PrintJob::Status::done(),
                LabelType::individual, 200, winner, LabelMedia::shipping4x6(), Orientation::portrait),
            job(QStringLiteral("1"), QStringLiteral("@<img src=x onerror=alert(1)> $8.25"),
                PrintJob::Status::error(QStringLiteral("lp: Destination \"Desk\" is not accepting jobs.")),
                LabelType::individual, 5400, winner, LabelMedia::rect1x2(), Orientation::landscape)};
    }
};

TEST_F(ScreensLists, TheThreeListsWithRowsInEveryState)
{
    AppState &app = showWithWins();
    // A failed one-click print marks its row.
    LiveSidePanel panel(app);
    m_failingRuns = {1};
    QSignalSpy finished(&panel.rowPrinter(), &LiveRowPrinter::printFinished);
    panel.rowPrinter().printWinnerLabel(app.auctionPoller().capturedAuctions().at(1));
    ASSERT_TRUE(eventually([&] { return !finished.isEmpty(); }));
    app.bidderTracker().processBidderJSON(QStringLiteral(
        R"({"count":4,"bidders":[{"username":"card_king","bidCount":7,"highestBid":"27.5","avatarURL":null,"lastSeenAt":1},)"
        R"({"username":"watcher9","bidCount":1,"highestBid":null,"avatarURL":null,"lastSeenAt":1},)"
        R"({"username":"alpha","bidCount":0,"highestBid":"4","avatarURL":null,"lastSeenAt":1},)"
        R"({"username":"a_bidder_with_a_name_far_too_long_for_the_column","bidCount":3,"highestBid":"2.5","avatarURL":null,"lastSeenAt":1}]})"));

    QWidget column;
    fillBackground(&column, appBackgroundColor());
    auto *layout = new QVBoxLayout(&column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&panel);
    for (const auto &[tab, name] :
         {std::pair{LiveTab::sold, "lists-sold"}, std::pair{LiveTab::buyers, "lists-buyers"},
          std::pair{LiveTab::bidders, "lists-bidders"}}) {
        panel.setSelectedTab(tab);
        const QImage image = test::captureScreen(column, QSize(350, 420), QString::fromLatin1(name));
        ASSERT_EQ(image.size(), QSize(350, 420));
        QListView *list = panel.listView(tab);
        ASSERT_GT(list->model()->rowCount(), 2);
        // Rows sit under one another and the first starts at the list's top.
        EXPECT_EQ(list->visualRect(list->model()->index(0, 0)).top(), 0);
    }
    layout->removeWidget(&panel);
    panel.setParent(nullptr);
}

TEST_F(ScreensLists, PreviewSheets)
{
    AppState &app = showWithWins();
    m_settings->setString(QStringLiteral("label_individual_paperSize"), QStringLiteral("2circle"));
    AuctionLabelPreviewSheet auction(app, app.auctionPoller().capturedAuctions().first());
    const QImage circle = test::captureScreen(auction, auction.sizeHint().expandedTo(QSize(420, 450)),
                                              QStringLiteral("lists-auction-preview-circle"));
    ASSERT_TRUE(auction.pageView());
    EXPECT_EQ(auction.pageView()->frame().shape, LabelPageFrame::Shape::circle);
    // Outside the circle, in the page's corner, the sheet shows through.
    const QPoint corner = auction.pageView()->mapTo(&auction, QPoint(2, 2));
    EXPECT_NE(circle.pixelColor(corner).rgb(), QColor(Qt::white).rgb());

    m_settings->setString(QStringLiteral("label_grouped_paperSize"), QStringLiteral("4x6"));
    QList<CapturedAuction> many;
    for (int i = 1; i <= 60; ++i) {
        CapturedAuction a;
        a.winnerUsername = QStringLiteral("bo");
        a.salePrice = Decimal(i);
        a.auctionNumber = i;
        if (i % 3 != 0)
            a.rawTitle = QStringLiteral("Card %1").arg(i);
        many.append(a);
    }
    BuyerLabelPreviewSheet buyer(app, QStringLiteral("bo"),
                                 packingSlipContent(QStringLiteral("bo"), many, Decimal(1830)));
    test::captureScreen(buyer, QSize(480, 720), QStringLiteral("lists-buyer-preview-three-pages"));
    EXPECT_EQ(buyer.pageViews().size(), 3);
}

TEST_F(ScreensLists, PrintLogAndAFailedJobsDetail)
{
    AppState &app = startWithPrinters({});
    FakeClock clock(kNow);
    PrintLogPanel empty(app, &clock);
    const QImage none = test::captureScreen(empty, QSize(280, 420), QStringLiteral("lists-print-log-empty"));
    EXPECT_TRUE(empty.emptyState()->isVisible());

    app.autoPrintManager().setPrintJobs(jobsOfEveryStatus());
    PrintLogPanel panel(app, &clock);
    fillBackground(&panel, cardBackgroundColor());
    const QImage log = test::captureScreen(panel, QSize(280, 420), QStringLiteral("lists-print-log"));
    EXPECT_EQ(panel.model().rowCount(), 4);
    EXPECT_EQ(panel.rowDelegate().cachedThumbnails(), 4);

    PrintJobDetailSheet detail(app.autoPrintManager().printJobs().last(),
                               app.printService().appearanceStore().appearance());
    test::captureScreen(detail, detail.sizeHint().expandedTo(QSize(560, 300)),
                        QStringLiteral("lists-print-job-error"));
    ASSERT_TRUE(detail.pageView());
    EXPECT_GE(detail.width(), 560);
}

TEST_F(ScreensLists, TheFloatingWinFeedWithNoWinsAndFive)
{
    AppState &app = startWithPrinters({});
    SidebarSelection selection;
    selection.setValue(SidebarSection::dashboard);
    QWidget host;
    fillBackground(&host, appBackgroundColor());
    host.resize(420, 320);
    auto *feed = new FloatingWinFeed(app, selection, &host);
    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started = app.showSyncService().startShow(QStringLiteral("Friday"), QStringLiteral("realtime"));
    ASSERT_TRUE(eventually([&] { return feed->controller().shouldShow(); }));
    const auto place = [&] {
        feed->adjustSize();
        feed->move(host.width() - feed->width(), host.height() - feed->height());
    };
    place();
    test::captureScreen(host, QSize(420, 320), QStringLiteral("lists-feed-waiting"));
    EXPECT_TRUE(feed->isVisible());
    EXPECT_EQ(feed->cardRect().width(), FloatingWinFeed::kCardWidth);

    for (int i = 1; i <= 5; ++i)
        win(app, QStringLiteral("winner_%1").arg(i), QStringLiteral("%1.5").arg(i * 3), i);
    place();
    const QImage five = test::captureScreen(host, QSize(420, 320), QStringLiteral("lists-feed-five"));
    EXPECT_EQ(feed->shownWins().size(), 5);
}

} // namespace
} // namespace quill::testing
