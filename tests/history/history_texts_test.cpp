// The Shows screen's rules without widgets: list order, row texts, dates, amounts,
// durations, search folding, preview scales and the printer names.
#include "printing/printer_info.h"
#include "ui/history/history_texts.h"
#include "ui/history/show_history_controller.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <gtest/gtest.h>

using namespace quill;

namespace {

ShowSummary show(const QString &id, const QString &status, const QString &createdAt)
{
    ShowSummary s;
    s.id = id;
    s.status = status;
    s.createdAt = createdAt;
    s.title = id;
    return s;
}

QStringList ids(const QList<ShowSummary> &shows)
{
    QStringList out;
    for (const ShowSummary &s : shows)
        out.append(s.id);
    return out;
}

const QTimeZone kUtc = QTimeZone::utc();

} // namespace

TEST(HistoryOrder, LiveFirstThenNewestWithEqualTimesInStoreOrder)
{
    struct Case
    {
        const char *name;
        QList<ShowSummary> shows;
        QStringList expected;
    };
    const QList<Case> cases{
        {"two live, three completed",
         {show("c1", "completed", "2026-01-01T10:00:00Z"), show("l1", "live", "2026-01-02T10:00:00Z"),
          show("c2", "completed", "2026-01-05T10:00:00Z"), show("l2", "live", "2026-01-03T10:00:00Z"),
          show("c3", "completed", "2026-01-03T10:00:00Z")},
         {"l2", "l1", "c2", "c3", "c1"}},
        {"equal times keep the store's order",
         {show("a", "completed", "2026-01-01T10:00:00Z"), show("b", "draft", "2026-01-01T10:00:00Z"),
          show("c", "completed", "2026-01-01T10:00:00Z")},
         {"a", "b", "c"}},
        {"Live with a capital is not live",
         {show("old", "completed", "2026-01-01T10:00:00Z"), show("cap", "Live", "2025-01-01T10:00:00Z"),
          show("live", "live", "2024-01-01T10:00:00Z")},
         {"live", "old", "cap"}},
        // Moments, not texts: a later moment written with an earlier-sorting zone comes first.
        {"moments across zones and fractions",
         {show("utc", "completed", "2026-01-01T10:00:00Z"), show("plus", "completed", "2026-01-01T09:30:00-01:00"),
          show("frac", "completed", "2026-01-01T10:00:00.500Z")},
         {"plus", "frac", "utc"}},
        {"unparsable times order by text",
         {show("x", "completed", "yesterday"), show("y", "completed", "zzz")},
         {"y", "x"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ids(orderedShows(c.shows)), c.expected) << c.name;
}

TEST(HistoryRowTexts, TitlePartsCountAndDate)
{
    ShowSummary s = show("1", "completed", "2026-01-15T18:30:05Z");
    s.title = QStringLiteral("Ann is live - Cards - Friday night - Whatnot: stuff");
    s.auctionCount = 0;
    ShowRowTexts texts = showRowTexts(s, QLocale(QLocale::English, QLocale::UnitedStates), kUtc);
    EXPECT_EQ(texts.title, "Friday night");
    EXPECT_EQ(texts.middle, QStringLiteral("Cards"));
    EXPECT_EQ(texts.count, QStringLiteral("0"));
    EXPECT_EQ(texts.date, "Jan 15, 2026, 6:30 PM") << qPrintable(texts.date);
    EXPECT_EQ(texts.status, "Completed");

    s.title = QStringLiteral("Ann is live - Cards");
    s.auctionCount.reset();
    texts = showRowTexts(s, QLocale::c(), kUtc);
    EXPECT_EQ(texts.title, "Cards");
    EXPECT_EQ(texts.middle, QStringLiteral("Cards"));
    EXPECT_FALSE(texts.count.has_value());

    s.title = QStringLiteral("Plain title");
    EXPECT_EQ(showRowTexts(s, QLocale::c(), kUtc).middle, std::nullopt);
    EXPECT_EQ(showRowTexts(s, QLocale::c(), kUtc).title, "Plain title");
}

TEST(HistoryRowTexts, DatesParseWithOrWithoutFractionsElseShowAsStored)
{
    const QLocale c = QLocale::c();
    EXPECT_EQ(showRowDateText("2026-01-15T18:30:05.123Z", c, kUtc), showRowDateText("2026-01-15T18:30:05Z", c, kUtc));
    EXPECT_NE(showRowDateText("2026-01-15T18:30:05Z", c, kUtc), "2026-01-15T18:30:05Z");
    for (const char *raw : {"2026-01-15", "2026-01-15T18:30:05", "soon", ""})
        EXPECT_EQ(showRowDateText(raw, c, kUtc), QString::fromLatin1(raw)) << raw;
    // The user's zone: 23:30 UTC is the next day in Tokyo.
    const QTimeZone tokyo("Asia/Tokyo");
    EXPECT_EQ(showHeaderDateText("2026-01-15T23:30:00Z", QLocale(QLocale::English, QLocale::UnitedStates), tokyo),
              QStringLiteral("January 16, 2026"));
    EXPECT_EQ(showHeaderDateText("2026-01-15", c, kUtc), std::nullopt);
}

TEST(HistoryDetailTexts, Durations)
{
    const std::optional<QString> start = QStringLiteral("2026-01-15T10:00:00Z");
    struct Case
    {
        std::optional<QString> end;
        std::optional<QString> expected;
    };
    const QList<Case> cases{
        {QStringLiteral("2026-01-15T10:45:30Z"), QStringLiteral("45m")},
        {QStringLiteral("2026-01-15T12:05:00.250Z"), QStringLiteral("2h 5m")},
        {QStringLiteral("2026-01-15T10:00:30Z"), QStringLiteral("0m")},
        {QStringLiteral("2026-01-15T09:00:00Z"), std::nullopt},
        {QStringLiteral("2026-01-15T10:00:00Z"), std::nullopt},
        {std::nullopt, std::nullopt},
        {QStringLiteral("2026-01-15"), std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(showDurationText(start, c.end), c.expected) << qPrintable(c.end.value_or("none"));
    EXPECT_EQ(showDurationText(std::nullopt, QStringLiteral("2026-01-15T10:45:30Z")), std::nullopt);
}

TEST(HistoryDetailTexts, OnlyPlainFiniteAmountsCount)
{
    for (const char *text : {"12.50", "7", "0", "-3.5"})
        EXPECT_TRUE(plainAmount(text).has_value()) << text;
    for (const char *text : {"nan", "inf", "1e999", "1e3", "$12", " 12", "12 ", "1,000", "", "abc"})
        EXPECT_FALSE(plainAmount(text).has_value()) << text;
    EXPECT_EQ(formatRevenue("100"), "$100.00");
    EXPECT_EQ(formatRevenue("$100"), "$$100");
    EXPECT_EQ(formatRevenue("nan"), "$nan");
    EXPECT_EQ(averageSaleText("100", 3), QStringLiteral("$33.33"));
    EXPECT_EQ(averageSaleText("100", 0), std::nullopt);
    EXPECT_EQ(averageSaleText("$100", 3), std::nullopt);
    EXPECT_EQ(averageSaleText("inf", 3), std::nullopt);
}

TEST(HistoryDetailTexts, SubtitlesAndCounts)
{
    ServerAuction a;
    a.auctionNumber = 12;
    a.rawTitle = QStringLiteral("Mug");
    EXPECT_EQ(auctionSubtitle(a), "Auction #12 \u00B7 Mug");
    EXPECT_EQ(auctionSubtitle(a, "#"), "#12 \u00B7 Mug");
    a.rawTitle.reset();
    EXPECT_EQ(auctionSubtitle(a), "Auction #12");
    a.auctionNumber.reset();
    EXPECT_EQ(auctionSubtitle(a), "");
    EXPECT_EQ(itemCountText(1), "1 item");
    EXPECT_EQ(itemCountText(2), "2 items");
    EXPECT_EQ(packingSlipsCountText(1, 1), "1 buyer \u00B7 1 auction to pack");
    EXPECT_EQ(packingSlipsCountText(2, 5), "2 buyers \u00B7 5 auctions to pack");
}

TEST(HistoryDetailTexts, StatusColoursAndCapitals)
{
    EXPECT_EQ(statusColor("live"), brandGreenColor());
    EXPECT_EQ(statusColor("completed"), systemColor(SystemColor::blue));
    EXPECT_EQ(statusColor("draft"), systemColor(SystemColor::orange));
    EXPECT_EQ(statusColor("Live"), secondaryTextColor());
    EXPECT_EQ(statusColor("archived"), secondaryTextColor());
    EXPECT_EQ(capitalizedWords("live"), "Live");
    EXPECT_EQ(capitalizedWords("IN review"), "In Review");
}

TEST(HistoryDetailTexts, SearchFoldsCaseAndDiacritics)
{
    EXPECT_EQ(foldedForSearch("Café"), foldedForSearch("CAFE"));
    EXPECT_TRUE(foldedForSearch("crème brûlée mug").contains(foldedForSearch("BRULEE")));
    EXPECT_EQ(foldedForSearch("ÉCOLE"), foldedForSearch("ecole"));
    EXPECT_NE(foldedForSearch("cafe"), foldedForSearch("cafes"));
    // A mark written apart from its letter, ligatures and width forms fold like their plain letters.
    EXPECT_EQ(foldedForSearch(QStringLiteral("E\u0301COLE card")), QStringLiteral("ecole card"));
    EXPECT_EQ(foldedForSearch(QStringLiteral("\uFB01RE Ｃard")), QStringLiteral("fire card"));
}

TEST(HistoryPreviewScale, LabelAndPackingSlipScales)
{
    EXPECT_NEAR(labelPreviewScale(LabelMedia::rect1x2(), Orientation::landscape), 280.0 / 144.0, 1e-9);
    EXPECT_NEAR(labelPreviewScale(LabelMedia::rect1x2(), Orientation::landscape), 1.944, 1e-3);
    LabelMedia square{QStringLiteral("1x1"), 1, 1, false, std::nullopt};
    EXPECT_DOUBLE_EQ(labelPreviewScale(square, Orientation::landscape), 2.5);
    EXPECT_DOUBLE_EQ(packingSlipPreviewScale(LabelMedia::shipping4x6(), Orientation::portrait), 1.25);
    LabelMedia tiny{QStringLiteral("t"), 0.5, 0.5, false, std::nullopt};
    EXPECT_DOUBLE_EQ(packingSlipPreviewScale(tiny, Orientation::portrait), 3.75);
    LabelMedia broken{QStringLiteral("b"), 0, 0, false, std::nullopt};
    EXPECT_DOUBLE_EQ(labelPreviewScale(broken, Orientation::portrait), 1.0);
}

TEST(HistoryPrinterNames, DisplayNames)
{
    const QList<std::pair<QString, QString>> cases{
        {"Zebra_ZD421_ABC123 2", "Zebra ZD421"},
        {"Rollo_Printer_A1B2C3", "Rollo Printer"},
        {"Label_Writer_abc123", "Label Writer abc123"},
        {"Label_Writer_ABC", "Label Writer ABC"},
        {"Plain", "Plain"},
    };
    for (const auto &[queue, shown] : cases)
        EXPECT_EQ(printerDisplayName(queue), shown) << qPrintable(queue);
}
