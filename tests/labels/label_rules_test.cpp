#include "labels_fixture.h"
#include "ui/labels/add_custom_media_controller.h"
#include "ui/labels/label_samples.h"
#include "ui/labels/label_media_shape.h"
#include "ui/labels/label_preview_modal.h"
#include "ui/labels/label_preview_scales.h"

#include <limits>

namespace quill::testing {
namespace {

const LabelMedia custom46{QStringLiteral("c"), 4, 6, false, std::nullopt};
const LabelMedia tallCustom{QStringLiteral("tall"), 1, 40, false, std::nullopt};

TEST(LabelMediaShapeTest, BoxesAndTurns)
{
    struct Row
    {
        LabelMedia media;
        Orientation orientation;
        QSizeF box;
        bool turned;
    };
    const QList<Row> rows{
        {LabelMedia::rect1x2(), Orientation::landscape, {40, 20}, false},
        {LabelMedia::rect1x2(), Orientation::portrait, {40, 20}, true},
        {LabelMedia::shipping4x6(), Orientation::landscape, {40.0 * 4 / 6, 40}, true},
        {LabelMedia::shipping4x6(), Orientation::portrait, {40.0 * 4 / 6, 40}, false},
        {LabelMedia::circle2(), Orientation::portrait, {40, 40}, false},
        {LabelMedia::circle2(), Orientation::landscape, {40, 40}, false},
        // A square turns in portrait, with no visible change.
        {{QStringLiteral("sq"), 2, 2, false, std::nullopt}, Orientation::portrait, {40, 40}, true},
        {{QStringLiteral("sq"), 2, 2, false, std::nullopt}, Orientation::landscape, {40, 40}, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << qPrintable(row.media.id) << " " << qPrintable(rawValue(row.orientation)));
        const QSizeF box = LabelMediaShape::boxSize(row.media, 40);
        EXPECT_NEAR(box.width(), row.box.width(), 1e-9);
        EXPECT_NEAR(box.height(), row.box.height(), 1e-9);
        EXPECT_EQ(LabelMediaShape::isTurned(row.media, row.orientation), row.turned);
    }
}

TEST(LabelScaleRulesTest, CardsSheetAndModal)
{
    struct Row
    {
        const char *rule;
        double actual;
        double expected;
    };
    AddCustomMediaController sheet;
    const double defaultsSheet = sheet.previewScale();
    sheet.setCircular(true);
    const double circleSheet = sheet.previewScale();
    sheet.setDiameter(0);
    const double emptySheet = sheet.previewScale();
    sheet.setDiameter(0.5);
    const double smallSheet = sheet.previewScale();

    const auto section = [](const LabelMedia &m, Orientation o) { return sectionThumbnailScale(m, o); };
    const auto land = Orientation::landscape;
    const auto port = Orientation::portrait;
    const QList<Row> rows{
        {"in-show 1x2 landscape", inShowThumbnailScale(LabelMedia::rect1x2(), land), 200.0 / 144},
        {"in-show 4x6 portrait", inShowThumbnailScale(LabelMedia::shipping4x6(), port), 260.0 / 432},
        {"in-show circle", inShowThumbnailScale(LabelMedia::circle2(), port), 200.0 / 144},
        {"section 4x6 landscape", section(LabelMedia::shipping4x6(), land), 300.0 / 432},
        {"section 4x6 portrait", section(LabelMedia::shipping4x6(), port), 300.0 / 288},
        {"section letter portrait", section(LabelMedia::letter(), port), 300.0 / 612},
        {"section letter landscape", section(LabelMedia::letter(), land), 300.0 / 792},
        {"section circle", section(LabelMedia::circle2(), land), 300.0 / 144},
        // A tall custom label is held to 450 points high.
        {"section tall custom", section(tallCustom, port), 450.0 / (40 * 72)},
        {"sheet defaults", defaultsSheet, 180.0 / 216},
        {"sheet 2.5 circle", circleSheet, 1.0},
        {"sheet no size", emptySheet, 0.5},
        {"sheet capped", smallSheet, 2.0},
        {"modal 2 in wide", previewModalScale(LabelMedia::rect1x2(), land), 400.0 / 144},
        {"modal 1 in wide", previewModalScale(LabelMedia::rect1x2(), port), 3.0},
        {"modal 4 in wide", previewModalScale(custom46, port), 400.0 / 288},
        {"modal circle either way", previewModalScale(LabelMedia::circle2(), port), 400.0 / 144},
        {"modal letter portrait", previewModalScale(LabelMedia::letter(), port), 400.0 / 612},
    };
    for (const Row &row : rows)
        EXPECT_NEAR(row.actual, row.expected, 1e-9) << row.rule;

    // The tall label's thumbnail stays a sensible size.
    EXPECT_LE(labelSizePoints(tallCustom, port).height() * section(tallCustom, port), 450.0 + 1e-9);
}

TEST(AddCustomMediaControllerTest, AutoNameAndUnitSwitch)
{
    AddCustomMediaController sheet;
    EXPECT_EQ(sheet.autoName(), QStringLiteral("3\"x2\""));
    EXPECT_EQ(sheet.previewMedia().displayName(), QStringLiteral("3\u00D72"));
    sheet.setWidth(2.25);
    sheet.setHeight(4);
    EXPECT_EQ(sheet.autoName(), QStringLiteral("2.25\"x4\""));
    sheet.setWidth(0.125);
    EXPECT_EQ(sheet.autoName(), QStringLiteral("0.125\"x4\""));
    sheet.setWidth(3);
    sheet.setHeight(2);

    sheet.setUseMetric(true);
    EXPECT_EQ(sheet.width(), 76);
    EXPECT_EQ(sheet.height(), 51);
    EXPECT_EQ(sheet.diameter(), 64);
    EXPECT_EQ(sheet.autoName(), QStringLiteral("76x51mm"));
    sheet.setCircular(true);
    EXPECT_EQ(sheet.autoName(), QStringLiteral("64mm Circle"));
    sheet.setUseMetric(true); // no change, no conversion
    EXPECT_EQ(sheet.diameter(), 64);

    sheet.setUseMetric(false);
    EXPECT_DOUBLE_EQ(sheet.width(), 2.99);
    EXPECT_DOUBLE_EQ(sheet.height(), 2.01);
    EXPECT_DOUBLE_EQ(sheet.diameter(), 2.52);
    EXPECT_EQ(sheet.autoName(), QStringLiteral("2.52\" Circle"));
    EXPECT_EQ(sheet.effectiveOrientation(), Orientation::landscape);
}

TEST(AddCustomMediaControllerTest, ValidityHasBoundsOnEverySide)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Row
    {
        bool circular;
        bool metric;
        double a; // width or diameter
        double b; // height
        bool valid;
    };
    const QList<Row> rows{
        {false, false, 3, 2, true},
        {false, false, 0, 2, false},
        {false, false, 3, -1, false},
        {false, false, 48, 48, true},
        {false, false, 48.01, 2, false},
        {false, false, 3, 1e12, false},
        {false, false, nan, 2, false},
        {false, false, 3, inf, false},
        {true, false, 2.5, 0, true},
        {true, false, 0, 2, false},
        {true, false, 49, 2, false},
        {true, false, nan, 2, false},
        {false, true, 1219, 50, true},
        {false, true, 1220, 50, false},
        {true, true, 1220, 0, false},
        // Nothing a label printer cannot feed: a quarter inch (6.35 mm) at least.
        {false, false, 0.001, 2, false},
        {false, false, 3, 1e-300, false},
        {false, false, 0.25, 0.25, true},
        {true, false, 0.2, 0, false},
        {false, true, 6, 50, false},
        {false, true, 7, 50, true},
    };
    for (const Row &row : rows) {
        AddCustomMediaController sheet;
        sheet.setUseMetric(row.metric);
        sheet.setCircular(row.circular);
        if (row.circular) {
            sheet.setDiameter(row.a);
        } else {
            sheet.setWidth(row.a);
            sheet.setHeight(row.b);
        }
        EXPECT_EQ(sheet.isValid(), row.valid) << row.circular << row.metric << " " << row.a << " " << row.b;
        // A typed number that makes no size says why.
        if (std::isfinite(row.a) && std::isfinite(row.b) && row.a > 0 && (row.circular || row.b > 0)) {
            EXPECT_EQ(sheet.sizeProblem().has_value(), !row.valid) << row.a << " " << row.b;
        }
        // Nothing is drawn for an invalid size.
        EXPECT_EQ(sheet.previewPage(LabelAppearance{}).has_value(), row.valid);
    }
}

TEST(AddCustomMediaControllerTest, SaveMakesANewMediumEachTime)
{
    AddCustomMediaController sheet;
    const LabelMedia first = sheet.save();
    const LabelMedia second = sheet.save();
    EXPECT_NE(first.id, second.id);
    EXPECT_FALSE(QUuid::fromString(first.id).isNull());
    EXPECT_EQ(first.name, QStringLiteral("3\"x2\""));
    EXPECT_EQ(first.widthInches, 3);
    EXPECT_EQ(first.heightInches, 2);
    EXPECT_FALSE(first.isCircular);
    EXPECT_TRUE(first.isCustom());

    sheet.setName(QStringLiteral("  Jar lid "));
    EXPECT_EQ(sheet.save().name, QStringLiteral("  Jar lid "));

    sheet.setName(QString());
    sheet.setUseMetric(true);
    const LabelMedia metric = sheet.save();
    EXPECT_DOUBLE_EQ(metric.widthInches, 76 / 25.4);
    EXPECT_DOUBLE_EQ(metric.heightInches, 51 / 25.4);
    EXPECT_EQ(metric.name, QStringLiteral("76x51mm"));

    sheet.setCircular(true);
    const LabelMedia circle = sheet.save();
    EXPECT_TRUE(circle.isCircular);
    EXPECT_DOUBLE_EQ(circle.widthInches, 64 / 25.4);
    EXPECT_DOUBLE_EQ(circle.heightInches, 64 / 25.4);
}

TEST(AddCustomMediaControllerTest, SampleContentFollowsThePreviewType)
{
    AddCustomMediaController sheet;
    EXPECT_NE(sheet.sampleContent().as<LabelContent::Individual>(), nullptr);
    sheet.setPreviewType(AddCustomMediaController::PreviewType::box);
    EXPECT_EQ(sheet.sampleContent().as<LabelContent::Box>()->boxNumber, 3);
    sheet.setPreviewType(AddCustomMediaController::PreviewType::packingSlip);
    const LabelContent content = sheet.sampleContent();
    const auto *slip = content.as<LabelContent::Grouped>();
    ASSERT_NE(slip, nullptr);
    // The sheet's own short slip, not the Labels screen's thirteen items.
    EXPECT_EQ(slip->buyer, LabelSamples::kBoxBuyer);
    ASSERT_EQ(slip->items.size(), 3);
    const QList<std::pair<int, QString>> lines{
        {1, QStringLiteral("22.50")}, {3, QStringLiteral("15.00")}, {7, QStringLiteral("8.50")}};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(slip->items[i].auctionNumber, lines[i].first);
        EXPECT_EQ(slip->items[i].price, lines[i].second);
        EXPECT_FALSE(slip->items[i].title.isEmpty());
    }
    EXPECT_EQ(slip->total.toMoneyString(), QStringLiteral("46.00"));
    EXPECT_EQ(slip->showTitle, QStringLiteral("Test Show"));
}

} // namespace
} // namespace quill::testing
