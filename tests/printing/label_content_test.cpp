// Label content becomes pages of the right layout at the label's size: sizes per
// medium, orientation and shape, packing slips cut into pages with the total on
// the last one, and show titles taken apart for display.
#include "printing/label_content.h"

#include <gtest/gtest.h>
#include <limits>

using namespace quill;

namespace {

QList<GroupedItem> groupedItems(int count)
{
    QList<GroupedItem> list;
    for (int i = 0; i < count; ++i)
        list.append(GroupedItem{i + 1, QStringLiteral("Item %1").arg(i + 1), QStringLiteral("$5")});
    return list;
}

LabelContent sampleWinner()
{
    return LabelContent::individual(QStringLiteral("ann"), QStringLiteral("$12.5"), 7, 3,
                                    QStringLiteral("Pin"), QStringLiteral("Live Show"));
}

QSizeF pageSize(const LabelContent &content, const LabelMedia &media, Orientation orientation,
                double scale = 1.0)
{
    const QList<AnyLabelView> pages =
        content.pages(LabelVariant::bold, media, orientation, LabelAppearance(), scale);
    EXPECT_EQ(pages.size(), 1);
    return pages.isEmpty() ? QSizeF() : pages.first().size();
}

LabelMedia custom(double width, double height, bool circular = false)
{
    return {QStringLiteral("custom"), width, height, circular, std::nullopt};
}

} // namespace

TEST(LabelContentPages, SizeFollowsMediumOrientationAndShape)
{
    const LabelContent content = sampleWinner();
    // Landscape puts the longer side across, portrait the shorter one, however the medium is stored.
    EXPECT_EQ(pageSize(content, LabelMedia::rect1x2(), Orientation::landscape), QSizeF(144, 72));
    EXPECT_EQ(pageSize(content, LabelMedia::rect1x2(), Orientation::portrait), QSizeF(72, 144));
    EXPECT_EQ(pageSize(content, custom(1, 2), Orientation::landscape), QSizeF(144, 72));
    EXPECT_EQ(pageSize(content, custom(1, 2), Orientation::portrait), QSizeF(72, 144));
    EXPECT_EQ(pageSize(content, LabelMedia::shipping4x6(), Orientation::portrait), QSizeF(288, 432));
    EXPECT_EQ(pageSize(content, LabelMedia::rect225x125(), Orientation::landscape), QSizeF(162, 90));
    // A round label is its diameter both ways, whatever its stored height.
    EXPECT_EQ(pageSize(content, LabelMedia::circle2(), Orientation::landscape), QSizeF(144, 144));
    EXPECT_EQ(pageSize(content, LabelMedia::circle2(), Orientation::portrait), QSizeF(144, 144));
    EXPECT_EQ(pageSize(content, custom(2, 3, true), Orientation::portrait), QSizeF(144, 144));
    EXPECT_EQ(pageSize(content, LabelMedia::rect1x2(), Orientation::landscape, 2.0), QSizeF(288, 144));
}

TEST(LabelContentPages, EachFormGetsItsLayoutWithTheContentsFields)
{
    LabelAppearance look;
    look.fontChoice = LabelFontChoice::georgia;

    const QList<AnyLabelView> winnerPages =
        sampleWinner().pages(LabelVariant::classic, LabelMedia::circle2(), Orientation::landscape, look);
    ASSERT_EQ(winnerPages.size(), 1);
    const auto *individual = winnerPages.first().as<IndividualLabelView>();
    ASSERT_NE(individual, nullptr);
    EXPECT_EQ(individual->username, QStringLiteral("ann"));
    EXPECT_EQ(individual->price, QStringLiteral("$12.5"));
    EXPECT_EQ(individual->auctionNumber, 7);
    EXPECT_EQ(individual->boxNumber, 3);
    EXPECT_EQ(individual->itemTitle, QStringLiteral("Pin"));
    EXPECT_EQ(individual->showTitle, QStringLiteral("Live Show"));
    EXPECT_EQ(individual->style, LabelVariant::classic);
    EXPECT_TRUE(individual->isCircular);
    EXPECT_EQ(individual->appearance.fontChoice, LabelFontChoice::georgia);
    EXPECT_DOUBLE_EQ(individual->px, 0.75);

    const QList<AnyLabelView> boxPages =
        LabelContent::box(QStringLiteral("bob"), 4, std::nullopt)
            .pages(LabelVariant::minimal, LabelMedia::rect1x2(), Orientation::portrait, look);
    ASSERT_EQ(boxPages.size(), 1);
    const auto *box = boxPages.first().as<BoxLabelView>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->buyer, QStringLiteral("bob"));
    EXPECT_EQ(box->boxNumber, 4);
    EXPECT_FALSE(box->showTitle.has_value());
    EXPECT_EQ(box->size(), QSizeF(72, 144));
    EXPECT_FALSE(box->isCircular);
    EXPECT_DOUBLE_EQ(box->px, 0.75);
}

TEST(LabelContentPages, PackingSlipIsCutIntoNumberedPagesWithTheTotalOnTheLast)
{
    const Decimal total = *Decimal::fromString(u"150.25");
    const LabelContent slip =
        LabelContent::grouped(QStringLiteral("cara"), groupedItems(30), total, QStringLiteral("Show"));
    const QList<AnyLabelView> pages =
        slip.pages(LabelVariant::bold, LabelMedia::shipping4x6(), Orientation::portrait, LabelAppearance());
    ASSERT_EQ(pages.size(), 2);
    const auto *first = pages.at(0).as<GroupedLabelView>();
    const auto *second = pages.at(1).as<GroupedLabelView>();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->items.size(), 24);
    EXPECT_EQ(second->items.size(), 6);
    EXPECT_EQ(first->items.first().title, QStringLiteral("Item 1"));
    EXPECT_EQ(second->items.first().title, QStringLiteral("Item 25"));
    EXPECT_EQ(first->page, 1);
    EXPECT_EQ(second->page, 2);
    EXPECT_EQ(first->totalPages, 2);
    EXPECT_EQ(second->totalPages, 2);
    EXPECT_TRUE(first->total.isZero());
    EXPECT_EQ(second->total, total);
    EXPECT_EQ(second->size(), QSizeF(288, 432));

    // A preview at twice the size shows the same pages, twice as large.
    const QList<AnyLabelView> preview = slip.pages(LabelVariant::bold, LabelMedia::shipping4x6(),
                                                   Orientation::portrait, LabelAppearance(), 2.0);
    ASSERT_EQ(preview.size(), 2);
    EXPECT_EQ(preview.at(1).size(), QSizeF(576, 864));
    EXPECT_EQ(preview.at(1).as<GroupedLabelView>()->items.size(), 6);

    // Three pages: only the third carries the total.
    const QList<AnyLabelView> three =
        LabelContent::grouped(QStringLiteral("cara"), groupedItems(60), total, QString())
            .pages(LabelVariant::bold, LabelMedia::shipping4x6(), Orientation::portrait, LabelAppearance());
    ASSERT_EQ(three.size(), 3);
    EXPECT_TRUE(three.at(1).as<GroupedLabelView>()->total.isZero());
    EXPECT_EQ(three.at(2).as<GroupedLabelView>()->total, total);
    EXPECT_EQ(three.at(2).as<GroupedLabelView>()->page, 3);
}

TEST(LabelContentPages, ASlipThatFitsOnePageHasNoPageNumbers)
{
    const Decimal total(20);
    for (int count : {0, 3}) {
        const QList<AnyLabelView> pages =
            LabelContent::grouped(QStringLiteral("dan"), groupedItems(count), total, QString())
                .pages(LabelVariant::classic, LabelMedia::letter(), Orientation::portrait, LabelAppearance());
        ASSERT_EQ(pages.size(), 1) << count << " items";
        const auto *page = pages.first().as<GroupedLabelView>();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->items.size(), count);
        EXPECT_FALSE(page->page.has_value());
        EXPECT_FALSE(page->totalPages.has_value());
        EXPECT_EQ(page->total, total);
    }
}

TEST(LabelContentPages, AnUnprintableMediumOrScaleIsAClearError)
{
    const LabelContent content = sampleWinner();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const LabelMedia &media : {custom(nan, 1), custom(2, inf), custom(0, 1), custom(2, -1),
                                    custom(49, 2), custom(1e300, 1e300, true)}) {
        try {
            content.pages(LabelVariant::bold, media, Orientation::landscape, LabelAppearance());
            ADD_FAILURE() << "accepted " << media.widthInches << " x " << media.heightInches;
        } catch (const InvalidLabelMediaError &error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("at most 48 inches"))) << error.message();
        }
    }
    for (double scale : {nan, inf, 0.0, -1.0})
        EXPECT_THROW(content.pages(LabelVariant::bold, LabelMedia::rect1x2(), Orientation::landscape,
                                   LabelAppearance(), scale),
                     Error)
            << scale;
}

TEST(CleanShowTitle, TakesApartLivePageTitles)
{
    EXPECT_EQ(cleanShowTitle(QStringLiteral("Friday cards")),
              (ShowTitleParts{std::nullopt, std::nullopt, QStringLiteral("Friday cards")}));
    EXPECT_EQ(cleanShowTitle(QStringLiteral("X is live - Y - Z - W")),
              (ShowTitleParts{QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z - W")}));
    EXPECT_EQ(cleanShowTitle(QStringLiteral("X is live - Y")),
              (ShowTitleParts{QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Y")}));
    // The marketplace's tail goes, compared without regard to case.
    EXPECT_EQ(cleanShowTitle(QStringLiteral(" Ann  IS LIVE -  Pins  - Big night - whatnot: Live")),
              (ShowTitleParts{QStringLiteral("Ann"), QStringLiteral("Pins"), QStringLiteral("Big night")}));
    // A first part that does not end with "is live" keeps the title whole, cut only at the tail.
    EXPECT_EQ(cleanShowTitle(QStringLiteral(" Pins - Big night - Whatnot: Live")),
              (ShowTitleParts{std::nullopt, std::nullopt, QStringLiteral(" Pins - Big night")}));
    // Shorter than " is live": nothing is left of the seller.
    EXPECT_EQ(cleanShowTitle(QStringLiteral("is live - A")),
              (ShowTitleParts{QString(), QStringLiteral("A"), QStringLiteral("A")}));
}
