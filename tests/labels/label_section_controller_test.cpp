#include "labels_fixture.h"
#include "ui/labels/label_samples.h"
#include "ui/labels/label_section_controller.h"

namespace quill::testing {
namespace {

class SectionControllerTest : public LabelCardsTest
{
protected:
    LabelSectionController &section(bool withGenerator = true)
    {
        LabelSectionActions actions;
        if (withGenerator) {
            actions.viewGenerator = [this](LabelVariant style, LabelMedia media, Orientation orientation,
                                           double scale) {
                ++m_generated;
                return slip().pages(style, media, orientation, m_appearance.appearance(), scale);
            };
        }
        actions.printer = &m_prints;
        actions.calibrates = true;
        actions.onPreview = [this](PageBuilder builder, LabelMedia media, Orientation orientation,
                                   LabelTestPrintReader print) {
            m_previewPages = builder(1.0);
            m_previewMedia = media;
            m_previewOrientation = orientation;
            m_previewPrint = std::move(print);
            ++m_previews;
        };
        m_section = std::make_unique<LabelSectionController>(
            m_model, LabelKind::packingSlip,
            QList<LabelMedia>{LabelMedia::letter(), LabelMedia::shipping4x6()}, actions, m_media,
            m_appearance);
        return *m_section;
    }

    static LabelContent slip()
    {
        QList<GroupedItem> items;
        for (int i = 0; i < 60; ++i)
            items.append({i + 1, QStringLiteral("Item"), QStringLiteral("1.00")});
        return LabelContent::grouped(QStringLiteral("b"), items, Decimal(60), QStringLiteral("Test Show"));
    }

    std::unique_ptr<LabelSectionController> m_section;
    int m_generated = 0;
    int m_previews = 0;
    QList<AnyLabelView> m_previewPages;
    LabelMedia m_previewMedia;
    Orientation m_previewOrientation = Orientation::landscape;
    LabelTestPrintReader m_previewPrint;
};

TEST_F(SectionControllerTest, TestAndCalibrationPrintsReadTheSettingsAsTheParts)
{
    LabelSectionController &card = section();
    card.testPrint(); // no printer: nothing
    settle();
    EXPECT_TRUE(m_prints.calls.isEmpty());
    EXPECT_FALSE(card.state().isPrinting);

    card.setPrinter(QStringLiteral("Laser"));
    m_prints.hold = true;
    card.testPrint();
    EXPECT_TRUE(card.state().isPrinting);
    card.setPrinter(QStringLiteral("Other"));
    card.selectMedium(LabelMedia::shipping4x6());
    card.toggleOrientation(); // packing slips start in portrait
    settle();
    ASSERT_EQ(m_prints.calls.size(), 1);
    EXPECT_EQ(m_prints.calls[0].printer, QStringLiteral("Laser"));
    EXPECT_EQ(m_prints.calls[0].media, LabelMedia::shipping4x6());
    EXPECT_EQ(m_prints.calls[0].orientation, Orientation::landscape);
    EXPECT_TRUE(card.state().isPrinting);
    m_prints.gate.open();
    settle();
    EXPECT_FALSE(card.state().isPrinting);

    card.calibrate(LabelMedia::letter());
    settle();
    ASSERT_EQ(m_prints.calls.size(), 2);
    EXPECT_EQ(m_prints.calls[1].style, std::nullopt);
    EXPECT_EQ(m_prints.calls[1].printer, QStringLiteral("Other"));
    EXPECT_EQ(m_prints.calls[1].media, LabelMedia::letter());
}

TEST_F(SectionControllerTest, DeletingFallsBackToTheFirstOfferedMediumForEveryLabelType)
{
    const LabelMedia tall = customMedium(QStringLiteral("tall"), 4, 12);
    const LabelMedia other = customMedium(QStringLiteral("other"), 2, 2);
    LabelSectionController &card = section();
    EXPECT_EQ(card.addCustomMedium(tall), std::nullopt);
    EXPECT_EQ(card.addCustomMedium(other), std::nullopt);
    EXPECT_EQ(card.state().selectedMedia, other);
    card.selectMedium(tall);
    m_model.update(LabelKind::winner, [&](LabelSectionState &s) { s.selectedMedia = tall; });

    EXPECT_EQ(card.deleteCustomMedium(other), std::nullopt);
    EXPECT_EQ(card.state().selectedMedia, tall);
    EXPECT_EQ(card.deleteCustomMedium(tall), std::nullopt);
    EXPECT_EQ(card.state().selectedMedia, LabelMedia::letter());
    EXPECT_EQ(m_model.winner().selectedMedia, LabelMedia::rect1x2());
    EXPECT_TRUE(m_media.items().isEmpty());

    // A card offering nothing falls back to "1x2".
    LabelSectionController bare(m_model, LabelKind::box, {}, {}, m_media, m_appearance);
    m_media.add(tall);
    bare.selectMedium(tall);
    bare.deleteCustomMedium(tall);
    EXPECT_EQ(m_model.box().selectedMedia, LabelMedia::rect1x2());
}

TEST_F(SectionControllerTest, ThumbnailAndPreviewCall)
{
    LabelSectionController &card = section();
    m_appearance.setStyle(LabelVariant::classic);
    card.selectMedium(LabelMedia::shipping4x6());
    ASSERT_EQ(card.state().selectedOrientation, Orientation::portrait);
    const QList<AnyLabelView> pages = card.thumbnailPages();
    ASSERT_GE(pages.size(), 2);
    EXPECT_NEAR(pages.first().size().width(), 300.0, 1e-9);
    EXPECT_EQ(pages.first().as<GroupedLabelView>()->style, LabelVariant::classic);

    card.openPreview();
    EXPECT_EQ(m_previews, 1);
    EXPECT_EQ(m_previewMedia, LabelMedia::shipping4x6());
    EXPECT_EQ(m_previewOrientation, Orientation::portrait);
    EXPECT_EQ(m_previewPages.first().size(), QSizeF(288, 432));
    EXPECT_FALSE(bool(m_previewPrint)); // no printer chosen

    card.setPrinter(QStringLiteral("Laser"));
    card.openPreview();
    ASSERT_TRUE(bool(m_previewPrint));
    runCardPrint(nullptr, &m_prints, m_previewPrint, {});
    settle();
    ASSERT_EQ(m_prints.calls.size(), 1);
    EXPECT_EQ(m_prints.calls[0].style, LabelVariant::classic);
    EXPECT_EQ(m_prints.calls[0].kind, LabelKind::packingSlip);
    EXPECT_FALSE(card.state().isPrinting);

    // A tall custom label keeps the thumbnail at most 450 points high.
    const LabelMedia tall = customMedium(QStringLiteral("tall"), 1, 40);
    card.selectMedium(tall);
    for (const AnyLabelView &page : card.thumbnailPages())
        EXPECT_LE(page.size().height(), 450.0 + 1e-9);
}

TEST_F(SectionControllerTest, AGeneratorThatThrowsGivesNoThumbnail)
{
    LabelSectionActions actions;
    actions.viewGenerator = [](LabelVariant, LabelMedia, Orientation, double) -> QList<AnyLabelView> {
        throw InvalidLabelMediaError(QStringLiteral("cannot lay out"));
    };
    LabelSectionController card(m_model, LabelKind::packingSlip, {LabelMedia::letter()}, actions, m_media,
                                m_appearance);
    EXPECT_TRUE(card.thumbnailPages().isEmpty());
    LabelSectionController none(m_model, LabelKind::packingSlip, {LabelMedia::letter()}, {}, m_media,
                                m_appearance);
    EXPECT_TRUE(none.thumbnailPages().isEmpty());
    EXPECT_FALSE(none.hasThumbnail());
}

} // namespace
} // namespace quill::testing
