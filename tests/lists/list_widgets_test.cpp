// The wiring of the rows, the print log and the floating win feed, offscreen: clicks on
// the rows' buttons, the log's rows, Clear and close, and the feed's visibility and click.
#include "backend/show_sync_service.h"
#include "capture/bidder_tracker.h"
#include "common/settings.h"
#include "figure_faces.h"
#include "lists_fixture.h"
#include "motion_on.h"
#include "printing/auto_print_manager.h"
#include "ui/app/floating_win_feed.h"
#include "ui/app/floating_win_feed_controller.h"
#include "ui/app/menu_bar_popover.h"
#include "ui/app/sidebar_section.h"
#include "ui/app/sidebar_view.h"
#include "ui/lists/auction_label_preview_sheet.h"
#include "ui/lists/auction_row_delegate.h"
#include "ui/lists/buyer_label_preview_sheet.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/live_row_printer.h"
#include "ui/lists/print_job_detail_sheet.h"
#include "ui/lists/print_job_row_delegate.h"
#include "ui/lists/print_log_model.h"
#include "ui/lists/print_log_panel.h"
#include "ui/live/live_side_panel.h"
#include "ui/live/live_tab_button.h"
#include "ui/widgets/empty_state_view.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/label_preview_view.h"
#include "ui/widgets/motion.h"

#include <QHelpEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

namespace quill::testing {
namespace {

class ListWidgets : public ListsFixture
{
protected:
    // Clicks the row's part of `list` at `at`, in row coordinates of `row`.
    static void clickRow(QListView *list, int row, const std::function<QRect(const QRect &)> &part)
    {
        const QRect rowRect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, part(rowRect).center());
    }

    static void settleEvents()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }

    PrintJob job(const QString &id, PrintJob::Status status) const
    {
        PrintJob j;
        j.id = id;
        j.label = QStringLiteral("<img src=x onerror=alert(1)>\nsecond line");
        j.status = std::move(status);
        j.timestamp = QDateTime::currentDateTimeUtc();
        j.content = LabelContent::box(QStringLiteral("bo"), 3, QStringLiteral("Live Show"));
        j.labelMedia = LabelMedia::rect1x2();
        j.labelType = LabelType::box;
        return j;
    }
};

TEST_F(ListWidgets, TheSoldPrintButtonPrintsOnlyWithAPrinterAndAnUnprintedAuction)
{
    AppState &app = startWithPrinters({});
    win(app, QStringLiteral("ann"), QStringLiteral("4"), 1, QStringLiteral("Holo"));
    win(app, QStringLiteral("bo"), QStringLiteral("5"), 2);
    LiveSidePanel panel(app);
    panel.resize(350, 600);
    panel.show();
    QListView *sold = panel.listView(LiveTab::sold);
    auto *rows = qobject_cast<AuctionRowDelegate *>(sold->itemDelegate());
    ASSERT_TRUE(rows);
    const auto printButton = [&](int row) -> std::function<QRect(const QRect &)> {
        return [&, row](const QRect &rect) -> QRect {
            return rows
                ->layout(rect,
                         sold->model()->index(row, 0).data(LiveListRoles::auction).value<CapturedAuction>())
                .actions.printButton;
        };
    };

    // No printer: the click does nothing.
    clickRow(sold, 0, printButton(0));
    settleEvents();
    EXPECT_TRUE(m_submissions.isEmpty());

    m_printers->names = {QStringLiteral("Desk")};
    runSync(app.printAdapter().refreshPrinters());
    // A printed auction keeps its button disabled.
    ASSERT_TRUE(app.auctionPoller().markPrinted(app.auctionPoller().capturedAuctions().first().id));
    EXPECT_FALSE(rows->canPrint(app.auctionPoller().capturedAuctions().first()));
    clickRow(sold, 0, printButton(0));
    settleEvents();
    EXPECT_TRUE(m_submissions.isEmpty());

    // The other one prints on the click.
    clickRow(sold, 1, printButton(1));
    ASSERT_TRUE(eventually([&] { return m_submissions.size() == 1; }));
    EXPECT_EQ(m_submissions[0].queue, QStringLiteral("Desk"));
}

TEST_F(ListWidgets, AFailedPrintMarksItsRowWithTheReasonAsLiteralText)
{
    AppState &app = startWithPrinters({QStringLiteral("Desk")});
    win(app, QStringLiteral("ann"), QStringLiteral("4"), 1);
    LiveSidePanel panel(app);
    panel.resize(350, 600);
    panel.show();
    QListView *sold = panel.listView(LiveTab::sold);
    auto *rows = qobject_cast<AuctionRowDelegate *>(sold->itemDelegate());
    const CapturedAuction auction = app.auctionPoller().capturedAuctions().first();
    const QRect row = sold->visualRect(sold->model()->index(0, 0));
    EXPECT_TRUE(rows->layout(row, auction).actions.failureMark.isEmpty());

    m_failingRuns = {1};
    QTest::mouseClick(sold->viewport(), Qt::LeftButton, {},
                      rows->layout(row, auction).actions.printButton.center());
    ASSERT_TRUE(eventually(
        [&] { return panel.rowPrinter().failure(LiveRowPrinter::auctionKey(auction.id)).has_value(); }));
    const QRect mark = rows->layout(row, auction).actions.failureMark;
    ASSERT_FALSE(mark.isEmpty());
    QHelpEvent help(QEvent::ToolTip, mark.center(), sold->viewport()->mapToGlobal(mark.center()));
    QCoreApplication::sendEvent(sold->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("<p>lp: The printer is out of labels.</p>"));
    EXPECT_EQ(LiveRowDelegate::plainToolTip(QStringLiteral("<img src=x onerror=alert(1)>")),
              QStringLiteral("<p>&lt;img src=x onerror=alert(1)&gt;</p>"));
}

TEST_F(ListWidgets, TheEyeButtonsOpenThePreviewSheets)
{
    AppState &app = startWithPrinters({QStringLiteral("Desk")});
    m_settings->setString(QStringLiteral("label_individual_paperSize"), QStringLiteral("2circle"));
    win(app, QStringLiteral("ann"), QStringLiteral("4"), 1);
    LiveSidePanel panel(app);
    panel.resize(350, 600);
    panel.show();
    QListView *sold = panel.listView(LiveTab::sold);
    auto *rows = qobject_cast<AuctionRowDelegate *>(sold->itemDelegate());
    clickRow(sold, 0, [&](const QRect &rect) {
        return rows->layout(rect, app.auctionPoller().capturedAuctions().first()).actions.previewButton;
    });
    auto *sheet = sold->findChild<AuctionLabelPreviewSheet *>();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->pageView());
    EXPECT_EQ(sheet->pageView()->frame().shape, LabelPageFrame::Shape::circle);
    EXPECT_EQ(sheet->pageView()->sizeHint(), QSize(420, 420));
    QPointer<AuctionLabelPreviewSheet> closing(sheet);
    QTest::mouseClick(sheet->closeButton(), Qt::LeftButton);
    settleEvents();
    EXPECT_TRUE(closing.isNull());
    EXPECT_TRUE(m_submissions.isEmpty());
}

TEST_F(ListWidgets, APrintLogRowOpensACopyOfItsJobAndClearAndCloseWriteTheQueue)
{
    AppState &app = startWithPrinters({});
    AutoPrintManager &queue = app.autoPrintManager();
    PrintLogPanel panel(app);
    panel.resize(280, 600);
    EXPECT_FALSE(panel.clearButton()->isVisibleTo(&panel));
    EXPECT_EQ(panel.emptyState()->isVisibleTo(&panel), true);

    queue.setPrintJobs({job(QStringLiteral("A"), PrintJob::Status::queued()),
                        job(QStringLiteral("B"), PrintJob::Status::error(QStringLiteral("Queue stopped")))});
    panel.show();
    EXPECT_TRUE(panel.clearButton()->isVisible());
    EXPECT_TRUE(panel.refreshesAges());
    QListView *list = panel.listView();
    ASSERT_TRUE(list->isVisible());

    // A click anywhere in the row, empty space included.
    const QRect row = list->visualRect(panel.model().index(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.right() - 3, row.center().y()));
    ASSERT_TRUE(panel.detailSheet());
    EXPECT_EQ(panel.detailSheet()->job().id, QStringLiteral("B"));
    // The sheet keeps the job as it was.
    QList<PrintJob> jobs = queue.printJobs();
    jobs[1].status = PrintJob::Status::done();
    queue.setPrintJobs(jobs);
    EXPECT_TRUE(panel.detailSheet()->job().status.isError());
    panel.detailSheet()->close();

    QTest::mouseClick(panel.clearButton(), Qt::LeftButton);
    EXPECT_TRUE(queue.printJobs().isEmpty());
    EXPECT_FALSE(panel.clearButton()->isVisible());
    EXPECT_TRUE(panel.emptyState()->isVisible());

    queue.setShowPrintLog(true);
    QTest::mouseClick(panel.closeButton(), Qt::LeftButton);
    EXPECT_FALSE(queue.showPrintLog());
    EXPECT_EQ(m_settings->optionalBool(AutoPrintManager::showPrintLogKey), false);

    panel.hide();
    EXPECT_FALSE(panel.refreshesAges());
}

// Where `inner` stands in `picture` within `area`, pixel for pixel; none when nowhere.
std::optional<QPoint> findPicture(const QImage &picture, const QRect &area, const QImage &inner)
{
    for (int y = area.top(); y + inner.height() <= area.bottom() + 1; ++y) {
        for (int x = area.left(); x + inner.width() <= area.right() + 1; ++x) {
            bool same = true;
            for (int v = 0; same && v < inner.height(); ++v)
                for (int u = 0; same && u < inner.width(); ++u)
                    same = picture.pixel(x + u, y + v) == inner.pixel(u, v);
            if (same)
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

// A print log row's picture is the label preview view at the thumbnail's scale, framed
// by the row: inside its rounded corners and outline, the same pixels.
TEST_F(ListWidgets, APrintLogRowsPictureIsTheLabelPreviewAtTheThumbnailsScale)
{
    AppState &app = startWithPrinters({});
    PrintJob slip = job(QStringLiteral("A"), PrintJob::Status::done());
    slip.content = LabelContent::individual(QStringLiteral("ann"), QStringLiteral("$12.50"), 7, std::nullopt,
                                            QStringLiteral("Holo"), QStringLiteral("Live Show"));
    slip.labelType = LabelType::individual;
    slip.labelMedia = LabelMedia::shipping4x6();
    slip.orientation = Orientation::portrait;
    slip.style = LabelVariant::bold;
    PrintJob box = job(QStringLiteral("B"), PrintJob::Status::queued());
    box.style = LabelVariant::classic;
    const QList<PrintJob> jobs{slip, box};
    app.autoPrintManager().setPrintJobs(jobs);
    PrintLogPanel panel(app);
    panel.resize(280, 600);
    panel.show();
    QListView *list = panel.listView();
    const QImage shown = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);

    for (int row = 0; row < jobs.size(); ++row) {
        const PrintJob &j = jobs.at(row);
        SCOPED_TRACE(j.id.toStdString());
        LabelPreviewView preview(j.content, j.style, j.labelMedia, j.orientation,
                                 PrintJobRowDelegate::thumbnailScale(j), app.labelAppearanceStore());
        ASSERT_EQ(preview.sizeHint().width(), PrintJobRowDelegate::kThumbnailWidth);
        QImage drawn(preview.sizeHint(), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        preview.render(&drawn, {}, {}, QWidget::DrawChildren);
        drawn = drawn.convertToFormat(QImage::Format_RGB32);
        // Inside the row's frame: two pixels in from the edge clear the corners and the outline.
        const QImage inner = drawn.copy(drawn.rect().adjusted(2, 2, -2, -2));
        const std::optional<QPoint> at = findPicture(shown, list->visualRect(panel.model().index(row)), inner);
        EXPECT_TRUE(at.has_value()) << "the row does not show the preview's picture";
    }
}

TEST_F(ListWidgets, ThePrintingMarkTurnsOnlyWhileAPrintingRowIsOnScreen)
{
    const MotionOn motion;
    AppState &app = startWithPrinters({});
    AutoPrintManager &queue = app.autoPrintManager();
    PrintLogPanel panel(app);
    panel.resize(280, 300);
    queue.setPrintJobs({job(QStringLiteral("A"), PrintJob::Status::printing())});
    EXPECT_FALSE(panel.isTurning()); // not on screen
    panel.show();
    EXPECT_TRUE(panel.isTurning());
    const int step = panel.rowDelegate().progressStep();
    ASSERT_TRUE(eventually([&] { return panel.rowDelegate().progressStep() != step; }));

    // Done: nothing turns. Printing again, scrolled out of sight below newer rows: nothing turns.
    queue.setPrintJobs({job(QStringLiteral("A"), PrintJob::Status::done())});
    EXPECT_FALSE(panel.isTurning());
    QList<PrintJob> jobs;
    for (int i = 0; i < 30; ++i)
        jobs.append(job(QStringLiteral("n%1").arg(i), PrintJob::Status::done()));
    jobs.append(job(QStringLiteral("A"), PrintJob::Status::printing()));
    queue.setPrintJobs(jobs);
    EXPECT_FALSE(panel.isTurning());
    panel.listView()->scrollToBottom();
    EXPECT_TRUE(panel.isTurning());
    panel.hide();
    EXPECT_FALSE(panel.isTurning());
}

TEST(FloatingWinFeedRules, ShowsOnlyWhileAShowRunsAwayFromTheLiveShow)
{
    using C = FloatingWinFeedController;
    EXPECT_FALSE(C::shouldShow(true, true, std::nullopt));
    EXPECT_FALSE(C::shouldShow(false, false, std::nullopt));
    EXPECT_FALSE(C::shouldShow(false, false, SidebarSection::dashboard));
    EXPECT_TRUE(C::shouldShow(false, true, std::nullopt));
    EXPECT_FALSE(C::shouldShow(false, true, SidebarSection::liveShow));
    for (SidebarSection section :
         {SidebarSection::dashboard, SidebarSection::shows, SidebarSection::labelDesigner,
          SidebarSection::printers, SidebarSection::settings})
        EXPECT_TRUE(C::shouldShow(false, true, section));
    EXPECT_FALSE(C::shouldShow(true, true, SidebarSection::shows));
}

// In a face whose digits differ in width (Inter: 1 is far narrower than 8), every price,
// number and total of the live lists, the side panel's revenue, the floating feed and
// the tray popover is drawn with digits of one width, and the rest in the face itself.
TEST_F(ListWidgets, FiguresKeepDigitsOfOneWidthInAFaceWhoseDigitsDiffer)
{
    const ProportionalFiguresFont inter;
    ASSERT_TRUE(ProportionalFiguresFont::inUse());
    AppState &app = startWithPrinters({});
    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started = app.showSyncService().startShow(QStringLiteral("Friday"), QStringLiteral("realtime"));
    ASSERT_TRUE(eventually([&] { return !app.showSyncService().activeShowId().isEmpty(); }));
    win(app, QStringLiteral("ann"), QStringLiteral("1118.8"), 4711);
    app.bidderTracker().processBidderJSON(
        QStringLiteral(R"({"count":1,"bidders":[{"username":"bo","bidCount":3,"highestBid":"2221.5",)"
                       R"("avatarURL":null,"lastSeenAt":1000}]})"));

    // The side panel: the revenue under Sold, and the Sold, Buyers and Bidders rows.
    LiveSidePanel panel(app);
    panel.resize(350, 600);
    panel.show();
    EXPECT_TRUE(figureDigitsOneWidth(drawnTexts(*panel.tabButton(LiveTab::sold)), QStringLiteral("$1118.8")));
    QListView *sold = panel.listView(LiveTab::sold);
    const QList<DrawnText> soldRow = drawnTexts(*sold, sold->model()->index(0, 0));
    EXPECT_TRUE(figureDigitsOneWidth(soldRow, QStringLiteral("$1118.8")));
    EXPECT_TRUE(figureDigitsOneWidth(soldRow, QStringLiteral("#4711")));
    const auto name =
        std::find_if(soldRow.begin(), soldRow.end(), [](const DrawnText &t) { return t.text == "@ann"; });
    ASSERT_NE(name, soldRow.end());
    EXPECT_EQ(QFontInfo(name->font).family(), QStringLiteral("Inter")); // names keep the face
    QListView *buyers = panel.listView(LiveTab::buyers);
    EXPECT_TRUE(figureDigitsOneWidth(drawnTexts(*buyers, buyers->model()->index(0, 0)), QStringLiteral("$1118.8")));
    QListView *bidders = panel.listView(LiveTab::bidders);
    EXPECT_TRUE(
        figureDigitsOneWidth(drawnTexts(*bidders, bidders->model()->index(0, 0)), QStringLiteral("high $2221.5")));

    // The floating feed's price and number, over the Dashboard.
    SidebarSelection dashboard;
    dashboard.setValue(SidebarSection::dashboard);
    FloatingWinFeed feed(app, dashboard);
    feed.show();
    ASSERT_TRUE(eventually([&] { return feed.isVisible() && feed.shownWins().size() == 1; }));
    const QList<DrawnText> feedTexts = drawnTexts(feed);
    EXPECT_TRUE(figureDigitsOneWidth(feedTexts, QStringLiteral("$1118.8")));
    EXPECT_TRUE(figureDigitsOneWidth(feedTexts, QStringLiteral("#4711")));

    // The popover's statistics and its recent win.
    MenuBarPopover popover(app);
    popover.show();
    const QList<DrawnText> popoverTexts = drawnTexts(popover);
    EXPECT_TRUE(figureDigitsOneWidth(popoverTexts, QStringLiteral("$1118.8")));
    EXPECT_TRUE(figureDigitsOneWidth(popoverTexts, QStringLiteral("#4711")));
}

TEST_F(ListWidgets, TheFeedListsTheFiveNewestWinsAndAClickReturnsToTheLiveShow)
{
    AppState &app = startWithPrinters({});
    SidebarSelection selection;
    selection.setValue(SidebarSection::shows);
    QWidget host;
    host.resize(800, 600);
    auto *feed = new FloatingWinFeed(app, selection, &host);
    host.show();
    EXPECT_FALSE(feed->isVisible()); // no show running

    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started = app.showSyncService().startShow(QStringLiteral("Friday"), QStringLiteral("realtime"));
    ASSERT_TRUE(eventually([&] { return feed->isVisible(); }));
    EXPECT_EQ(feed->countLabel()->text(), QStringLiteral("— 0 captured"));
    EXPECT_TRUE(feed->waitingLabel()->isVisible());

    for (int i = 1; i <= 7; ++i)
        win(app, QStringLiteral("user%1").arg(i), QStringLiteral("%1").arg(i), i);
    EXPECT_EQ(feed->countLabel()->text(), QStringLiteral("— 7 captured"));
    ASSERT_EQ(feed->shownWins().size(), 5);
    EXPECT_EQ(feed->shownWins().first().winnerUsername, QStringLiteral("user7"));
    EXPECT_EQ(feed->shownWins().last().winnerUsername, QStringLiteral("user3"));
    EXPECT_FALSE(feed->waitingLabel()->isVisible());

    QTest::mouseClick(feed, Qt::LeftButton, {}, QPoint(4, 4)); // the padding is part of the target
    EXPECT_EQ(selection.value(), SidebarSection::liveShow);
    EXPECT_FALSE(feed->isVisible());
    selection.setValue(SidebarSection::dashboard);
    EXPECT_TRUE(feed->isVisible());

    // Closed, it stays closed.
    QTest::mouseClick(feed->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(feed->isVisible());
    EXPECT_EQ(selection.value(), SidebarSection::dashboard);
    win(app, QStringLiteral("late"), QStringLiteral("1"), 99);
    selection.setValue(SidebarSection::shows);
    EXPECT_FALSE(feed->isVisible());
}

} // namespace
} // namespace quill::testing

namespace quill::testing {
namespace {

TEST_F(ListWidgets, TheFeedFloatsInTheDetailAreasCornerAndMovesOnlyItsPictureWhileItsStateChangesAtOnce)
{
    const MotionOn motion;
    AppState &app = startWithPrinters({});
    SidebarSelection selection;
    selection.setValue(SidebarSection::shows);
    SectionDetailArea area(app, selection);
    area.resize(900, 600);
    area.show();
    auto *feed = qobject_cast<FloatingWinFeed *>(area.overlay());
    ASSERT_TRUE(feed);
    EXPECT_FALSE(feed->isVisible());

    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started = app.showSyncService().startShow(QStringLiteral("Friday"), QStringLiteral("realtime"));
    ASSERT_TRUE(eventually([&] { return feed->isVisible(); }));
    EXPECT_TRUE(Motion::isMoving(feed)); // comes in from the trailing edge
    Motion::finishAll(&area);
    win(app, QStringLiteral("ann"), QStringLiteral("4"), 1);
    ASSERT_TRUE(eventually([&] {
        return feed->geometry().bottomRight() == area.rect().bottomRight() &&
               feed->height() == feed->sizeHint().height();
    }));
    EXPECT_EQ(feed->width(), FloatingWinFeed::kCardWidth + 2 * FloatingWinFeed::kOuterPadding);

    // The count counts up to the new number while the rows move; the end state is exact.
    Motion::finishAll(&area);
    win(app, QStringLiteral("bo"), QStringLiteral("5"), 2);
    EXPECT_NE(feed->countLabel()->text(), QStringLiteral("— 2 captured"));
    EXPECT_EQ(feed->shownWins().size(), 2);
    Motion::finishAll(&area);
    EXPECT_EQ(feed->countLabel()->text(), QStringLiteral("— 2 captured"));

    // A new section is there at once; the old screen's picture fades out under the feed.
    QWidget *before = area.screen();
    selection.setValue(SidebarSection::dashboard);
    EXPECT_NE(area.screen(), before);
    const auto ghosts = area.findChildren<QWidget *>(QStringLiteral("quill.motion.ghost"));
    ASSERT_EQ(ghosts.size(), 1);
    const QObjectList &layers = area.children();
    EXPECT_GT(layers.indexOf(feed), layers.indexOf(ghosts.first())) << "the feed stays on top";

    // Closing takes effect at once: the card takes no more clicks while it slides away.
    QTest::mouseClick(feed->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(feed->controller().shouldShow());
    EXPECT_TRUE(Motion::isLeaving(feed));
    EXPECT_TRUE(feed->testAttribute(Qt::WA_TransparentForMouseEvents));
    Motion::finishAll(&area);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(feed->isVisible());
    EXPECT_TRUE(area.findChildren<QWidget *>(QStringLiteral("quill.motion.ghost")).isEmpty());
}

} // namespace
} // namespace quill::testing
