// The texts and figures the rows, sheets and print log show: counts, numbers, bids,
// ages, preview scales, the detail sheet's rows and the labels the rows print.
#include "printing/print_job.h"
#include "ui/lists/auction_label_preview_sheet.h"
#include "ui/lists/buyer_label_preview_sheet.h"
#include "ui/lists/live_list_texts.h"
#include "ui/lists/live_row_labels.h"
#include "ui/lists/print_job_detail_sheet.h"
#include "ui/lists/print_job_row_delegate.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace quill {
namespace {

Decimal amount(const char *text)
{
    return *Decimal::fromString(QString::fromLatin1(text));
}

LabelMedia custom(double width, double height, bool circular = false)
{
    return LabelMedia{QStringLiteral("custom"), width, height, circular, std::nullopt};
}

TEST(ListTexts, CountsNumbersAndBids)
{
    EXPECT_EQ(countText(0, QStringLiteral("item")), QStringLiteral("0 items"));
    EXPECT_EQ(countText(1, QStringLiteral("item")), QStringLiteral("1 item"));
    EXPECT_EQ(countText(3, QStringLiteral("item")), QStringLiteral("3 items"));
    EXPECT_EQ(countText(1, QStringLiteral("bid")), QStringLiteral("1 bid"));
    EXPECT_EQ(countText(7, QStringLiteral("bid")), QStringLiteral("7 bids"));
    EXPECT_EQ(auctionNumberText(42), QStringLiteral("#42"));
    EXPECT_EQ(highBidText(amount("12.5")), QStringLiteral("high $12.5"));
    EXPECT_EQ(dollarText(amount("12.50")), QStringLiteral("$12.5"));
    EXPECT_EQ(dollarText(std::nullopt), QStringLiteral("$—"));
}

TEST(ListTexts, AgesTruncateToTheirUnitAndTheFutureIsJustNow)
{
    const QDateTime now(QDate(2026, 3, 5), QTime(12, 0), Qt::UTC);
    const struct
    {
        qint64 ms;
        const char *text;
    } cases[] = {{4900, "just now"},     {5000, "5s ago"},     {59000, "59s ago"},  {60000, "1m ago"},
                 {119000, "1m ago"},     {3599000, "59m ago"}, {3600000, "1h ago"}, {90000000, "25h ago"},
                 {172800000, "48h ago"}, {-30000, "just now"}};
    for (const auto &c : cases)
        EXPECT_EQ(ageText(now.addMSecs(-c.ms), now), QLatin1String(c.text)) << c.ms;
}

TEST(ListTexts, PreviewScalesFitTheirBoxesUnderTheirCaps)
{
    const auto sheet = [](LabelMedia media, Orientation orientation) {
        LabelSectionState state;
        state.selectedMedia = std::move(media);
        state.selectedOrientation = orientation;
        return AuctionLabelPreviewSheet::previewScale(state);
    };
    EXPECT_DOUBLE_EQ(sheet(LabelMedia::rect1x2(), Orientation::landscape), 2.9166666666666665);
    EXPECT_DOUBLE_EQ(sheet(LabelMedia::rect225x125(), Orientation::landscape), 2.5925925925925926);
    EXPECT_DOUBLE_EQ(sheet(LabelMedia::circle2(), Orientation::portrait), 2.9166666666666665);
    EXPECT_DOUBLE_EQ(sheet(LabelMedia::shipping4x6(), Orientation::portrait), 1.25);
    EXPECT_NEAR(sheet(LabelMedia::letter(), Orientation::portrait), 0.6818181818181818, 1e-12);
    EXPECT_DOUBLE_EQ(sheet(LabelMedia::rect1x2(), Orientation::portrait), 3.75);
    EXPECT_DOUBLE_EQ(sheet(custom(1, 1), Orientation::landscape), 3.75);

    // The packing-slip sheet shares the rule.
    LabelSectionState slip;
    slip.selectedMedia = LabelMedia::letter();
    slip.selectedOrientation = Orientation::portrait;
    EXPECT_NEAR(BuyerLabelPreviewSheet::previewScale(slip), 540.0 / 792.0, 1e-12);

    EXPECT_NEAR(PrintJobDetailSheet::previewScale(LabelMedia::rect1x2(), Orientation::landscape),
                280.0 / 144.0, 1e-12);
    EXPECT_NEAR(PrintJobDetailSheet::previewScale(LabelMedia::shipping4x6(), Orientation::portrait),
                360.0 / 432.0, 1e-12);
    EXPECT_DOUBLE_EQ(PrintJobDetailSheet::previewScale(custom(1, 1), Orientation::landscape), 2.5);

    PrintJob job;
    job.labelMedia = LabelMedia::circle2();
    EXPECT_NEAR(PrintJobRowDelegate::thumbnailScale(job), 50.0 / 144.0, 1e-12);
    job.labelMedia = LabelMedia::shipping4x6();
    job.orientation = Orientation::portrait;
    EXPECT_NEAR(PrintJobRowDelegate::thumbnailScale(job), 50.0 / 288.0, 1e-12);
    job.labelMedia = custom(1, 0.5);
    job.orientation = Orientation::landscape;
    EXPECT_DOUBLE_EQ(PrintJobRowDelegate::thumbnailScale(job), 0.4);
}

using Rows = PrintJobDetailSheet::Rows;
using Row = QPair<QString, QString>;

TEST(ListTexts, DetailRowsFollowTheJobAndItsContent)
{
    PrintJob job;
    job.label = QStringLiteral("@ann $12.5");
    job.labelMedia = LabelMedia::rect1x2();
    job.status = PrintJob::Status::error(QStringLiteral("Queue stopped"));
    EXPECT_EQ(PrintJobDetailSheet::jobRows(job),
              (Rows{Row{"Label", "@ann $12.5"}, Row{"Type", "Winner"}, Row{"Style", "Bold"},
                    Row{"Media", "1×2 Rectangle"}, Row{"Orientation", "Landscape"}, Row{"Status", "Error"},
                    Row{"Error", "Queue stopped"}}));
    job.status = PrintJob::Status::done();
    job.labelType = LabelType::box;
    EXPECT_EQ(PrintJobDetailSheet::jobRows(job).size(), 6);
    EXPECT_EQ(PrintJobDetailSheet::jobRows(job).at(1).second, QStringLiteral("Box"));

    EXPECT_EQ(PrintJobDetailSheet::contentRows(
                  LabelContent::individual(QStringLiteral("ann"), QStringLiteral("12.5"), std::nullopt,
                                           std::nullopt, std::nullopt, QStringLiteral("Live Show"))),
              (Rows{Row{"Buyer", "@ann"}, Row{"Price", "12.5"}, Row{"Show", "Live Show"}}));
    EXPECT_EQ(PrintJobDetailSheet::contentRows(
                  LabelContent::individual(QStringLiteral("ann"), QStringLiteral("$3"), 9, 2,
                                           QStringLiteral("Card"), QStringLiteral("Fri"))),
              (Rows{Row{"Buyer", "@ann"}, Row{"Price", "$3"}, Row{"Auction #", "9"}, Row{"Item", "Card"},
                    Row{"Show", "Fri"}}));
    EXPECT_EQ(PrintJobDetailSheet::contentRows(LabelContent::box(QStringLiteral("bo"), 4, std::nullopt)),
              (Rows{Row{"Buyer", "@bo"}, Row{"Box #", "4"}}));
    EXPECT_EQ(
        PrintJobDetailSheet::contentRows(LabelContent::box(QStringLiteral("bo"), 4, QStringLiteral("Fri")))
            .size(),
        3);
    const QList<GroupedItem> items{{1, QStringLiteral("a"), QStringLiteral("5")},
                                   {2, QStringLiteral("b"), QStringLiteral("7.5")}};
    EXPECT_EQ(
        PrintJobDetailSheet::contentRows(
            LabelContent::grouped(QStringLiteral("cy"), items, amount("12.5"), QStringLiteral("Live Show"))),
        (Rows{Row{"Buyer", "@cy"}, Row{"Items", "2"}, Row{"Total", "$12.50"}, Row{"Show", "Live Show"}}));
}

TEST(ListTexts, RowLabelsKeepPlainAmountsAndNameMissingTitles)
{
    CapturedAuction auction;
    auction.winnerUsername = QStringLiteral("ann");
    auction.salePrice = amount("12.5");
    auction.auctionNumber = 7;
    const LabelContent previewContent = winnerPreviewContent(auction);
    const auto *preview = previewContent.as<LabelContent::Individual>();
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->price, QStringLiteral("$12.5"));
    EXPECT_EQ(preview->auctionNumber, 7);
    EXPECT_EQ(preview->itemTitle, std::nullopt);
    EXPECT_EQ(preview->showTitle, QStringLiteral("Live Show"));
    const LabelContent printContent = winnerPrintContent(auction);
    EXPECT_EQ(printContent.as<LabelContent::Individual>()->price, QStringLiteral("12.5"));

    CapturedAuction second = auction;
    second.auctionNumber.reset();
    second.rawTitle = QStringLiteral("Holo");
    const auto slip = packingSlipContent(QStringLiteral("ann"), {auction, second}, amount("25"));
    ASSERT_TRUE(slip);
    const auto *grouped = slip->as<LabelContent::Grouped>();
    ASSERT_EQ(grouped->items.size(), 2);
    EXPECT_EQ(grouped->items[0].title, QStringLiteral("Auction"));
    EXPECT_EQ(grouped->items[0].price, QStringLiteral("12.5"));
    EXPECT_EQ(grouped->items[1].auctionNumber, std::nullopt);
    EXPECT_EQ(grouped->items[1].title, QStringLiteral("Holo"));
    EXPECT_FALSE(packingSlipContent(QStringLiteral("ann"), {auction}, std::nullopt).has_value());

    EXPECT_EQ(oneLine(QStringLiteral("a\nb\r\nc\u2028d")), QStringLiteral("a b  c d"));
}

TEST(ListTexts, AMediumThatCannotBeLaidOutShowsNoPage)
{
    PrintJob job;
    job.id = QStringLiteral("J");
    job.content = LabelContent::box(QStringLiteral("bo"), 1, std::nullopt);
    job.labelMedia = custom(0, 1);
    EXPECT_TRUE(previewPages(job.content, LabelVariant::bold, job.labelMedia, Orientation::landscape, {}, 1.0)
                    .isEmpty());
    PrintJobDetailSheet sheet(job, LabelAppearance{});
    EXPECT_EQ(sheet.pageView(), nullptr);
    job.labelMedia = LabelMedia::rect1x2();
    PrintJobDetailSheet shown(job, LabelAppearance{});
    EXPECT_NE(shown.pageView(), nullptr);
}

} // namespace
} // namespace quill
