// The Sold and Buyers rows' one-click prints through the real print service and printer
// adapter over scripted CUPS tools: what reaches lp, in what form, and what a failure
// leaves on the row.
#include "lists_fixture.h"
#include "log_capture.h"
#include "printing/auto_print_manager.h"
#include "printing/label_appearance_store.h"
#include "printing/label_bitmap_pipeline.h"
#include "printing/print_service.h"
#include "ui/lists/buyer_group.h"
#include "ui/lists/live_row_labels.h"
#include "ui/lists/live_row_printer.h"

#include <QSignalSpy>

namespace quill::testing {
namespace {

class OneClickPrint : public ListsFixture
{
protected:
    // Waits for the next print of `printer` to end and gives its outcome.
    static PrintResult printed(LiveRowPrinter &printer, const std::function<void()> &start)
    {
        QSignalSpy finished(&printer, &LiveRowPrinter::printFinished);
        start();
        EXPECT_TRUE(eventually([&] { return !finished.isEmpty(); }));
        return finished.isEmpty() ? PrintResult{} : finished.first().at(1).value<PrintResult>();
    }

    static QList<CapturedAuction> auctionsOf(AppState &app, const QString &buyer)
    {
        for (const BuyerGroup &group : buyerGroups(app.auctionPoller().capturedAuctions()))
            if (group.buyer == buyer)
                return group.auctions;
        return {};
    }
};

TEST_F(OneClickPrint, AWinnerLabelIsABlackAndWhite2x1LabelTurnedHalfWayOnTheFirstPrinter)
{
    AppState &app = startWithPrinters({QStringLiteral("Desk"), QStringLiteral("Shelf")});
    // The process-wide appearance store, never written here: labels print in black and white.
    ASSERT_EQ(app.printService().appearanceStore().colorMode(), LabelColorMode::blackAndWhite);
    win(app, QStringLiteral("ann"), QStringLiteral("12.5"), 7, QStringLiteral("Holo card"));
    const CapturedAuction auction = app.auctionPoller().capturedAuctions().first();
    LiveRowPrinter printer(app);

    const PrintResult result = printed(printer, [&] { printer.printWinnerLabel(auction); });

    ASSERT_TRUE(result.ok) << result.message.toStdString();
    ASSERT_EQ(m_submissions.size(), 1);
    EXPECT_EQ(m_submissions[0].queue, QStringLiteral("Desk"));
    EXPECT_TRUE(m_submissions[0].arguments.join(' ').contains(QStringLiteral("PageSize=Custom.144x72")))
        << m_submissions[0].arguments.join(' ').toStdString();
    const QImage sent = decode(m_submissions[0]);
    ASSERT_EQ(sent.size(), QSize(600, 300));
    // The label as drawn, in black and white, turned 180 degrees: pixel for pixel.
    const LabelAppearance appearance = app.printService().appearanceStore().appearance();
    const AnyLabelView page =
        winnerPrintContent(auction)
            .pages(LabelVariant::bold, LabelMedia::rect1x2(), Orientation::landscape, appearance)
            .first();
    const QImage upright = blackAndWhiteImage(renderLabelImage(page, QSizeF(2, 1)));
    const QImage expected = upright.mirrored(true, true).convertToFormat(QImage::Format_Grayscale8);
    EXPECT_EQ(sent.convertToFormat(QImage::Format_Grayscale8), expected);
    // Only black and white.
    const QImage grey = sent.convertToFormat(QImage::Format_Grayscale8);
    bool pure = true;
    for (int y = 0; y < grey.height() && pure; ++y)
        for (int x = 0; x < grey.width() && pure; ++x)
            pure = grey.pixelColor(x, y).value() == 0 || grey.pixelColor(x, y).value() == 255;
    EXPECT_TRUE(pure);
    // The row's print records nothing.
    EXPECT_TRUE(app.autoPrintManager().printJobs().isEmpty());
    EXPECT_FALSE(app.auctionPoller().capturedAuctions().first().isPrinted);
}

TEST_F(OneClickPrint, APackingSlipOf25ItemsPrintsTwo4x6PagesInOrderWithTheirLogLines)
{
    AppState &app = startWithPrinters({QStringLiteral("Desk")});
    for (int i = 1; i <= 25; ++i)
        win(app, QStringLiteral("bo"), QStringLiteral("1"), i);
    LiveRowPrinter printer(app);
    LogCapture log("app.quillmark.Quillmark.PrintService");

    const QList<CapturedAuction> auctions = auctionsOf(app, QStringLiteral("bo"));
    const PrintResult result = printed(printer, [&] {
        printer.printPackingSlip(QStringLiteral("bo"), auctions, Decimal::fromString(u"25"));
    });

    ASSERT_TRUE(result.ok) << result.message.toStdString();
    ASSERT_EQ(m_submissions.size(), 2);
    for (const Submission &page : std::as_const(m_submissions)) {
        EXPECT_EQ(decode(page).size(), QSize(1800, 1200));
        EXPECT_TRUE(page.arguments.join(' ').contains(QStringLiteral("PageSize=Custom.432x288")));
    }
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Printing grouped page 1 of 2")))
        << log.messages().join('|').toStdString();
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Printing grouped page 2 of 2")));
}

TEST_F(OneClickPrint, AFailureStopsTheSlipAndMarksTheRowUntilItPrintsAgain)
{
    AppState &app = startWithPrinters({QStringLiteral("Desk")});
    for (int i = 1; i <= 60; ++i)
        win(app, QStringLiteral("cy"), QStringLiteral("2"), i);
    LiveRowPrinter printer(app);
    QSignalSpy marks(&printer, &LiveRowPrinter::failuresChanged);
    const QString key = LiveRowPrinter::buyerKey(QStringLiteral("cy"));
    const QList<CapturedAuction> auctions = auctionsOf(app, QStringLiteral("cy"));
    m_failingRuns = {1};

    const PrintResult failed = printed(printer, [&] {
        printer.printPackingSlip(QStringLiteral("cy"), auctions, Decimal::fromString(u"120"));
    });

    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(m_submissions.size(), 1); // page 1 of 3 failed: pages 2 and 3 never reach lp
    ASSERT_TRUE(printer.failure(key).has_value());
    EXPECT_TRUE(printer.failure(key)->contains(QStringLiteral("out of labels")))
        << printer.failure(key)->toStdString();
    EXPECT_EQ(marks.size(), 1);

    m_failingRuns.clear();
    const PrintResult again = printed(printer, [&] {
        printer.printPackingSlip(QStringLiteral("cy"), auctions, Decimal::fromString(u"120"));
    });
    EXPECT_TRUE(again.ok);
    EXPECT_EQ(m_submissions.size(), 4);
    EXPECT_FALSE(printer.failure(key).has_value());
}

TEST_F(OneClickPrint, NothingReachesLpWithoutPrintersOrWithoutATotal)
{
    AppState &app = startWithPrinters({});
    win(app, QStringLiteral("ann"), QStringLiteral("3"), 1);
    LiveRowPrinter printer(app);
    EXPECT_FALSE(printer.canPrint());
    printer.printWinnerLabel(app.auctionPoller().capturedAuctions().first());
    printer.printPackingSlip(QStringLiteral("ann"), app.auctionPoller().capturedAuctions(),
                             Decimal::fromString(u"3"));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(m_submissions.isEmpty());
    EXPECT_FALSE(printer.failure(LiveRowPrinter::buyerKey(QStringLiteral("ann"))).has_value());

    // A total too large to hold would print a wrong figure: the row says so instead.
    m_printers->names = {QStringLiteral("Desk")};
    runSync(app.printAdapter().refreshPrinters());
    printer.printPackingSlip(QStringLiteral("ann"), app.auctionPoller().capturedAuctions(), std::nullopt);
    EXPECT_TRUE(m_submissions.isEmpty());
    EXPECT_TRUE(printer.failure(LiveRowPrinter::buyerKey(QStringLiteral("ann"))).has_value());
}

} // namespace
} // namespace quill::testing
