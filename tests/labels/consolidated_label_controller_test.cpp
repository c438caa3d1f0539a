#include "labels_fixture.h"
#include "ui/labels/consolidated_label_controller.h"

namespace quill::testing {
namespace {

class ConsolidatedControllerTest : public LabelCardsTest
{
protected:
    ConsolidatedControllerTest()
    {
        m_model.update(LabelKind::winner,
                       [](LabelSectionState &s) { s.selectedPrinter = QStringLiteral("Zebra_A1B2"); });
        m_model.update(LabelKind::box, [](LabelSectionState &s) {
            s.selectedPrinter = QStringLiteral("Zebra_A1B2");
            s.selectedStyle = LabelVariant::classic;
        });
    }

    ConsolidatedLabelController &controller()
    {
        if (!m_controller) {
            InShowLabelActions actions{
                &m_prints, true,
                [this](PageBuilder builder, LabelMedia media, Orientation orientation,
                       LabelTestPrintReader print) {
                    m_previews.append({std::move(builder), std::move(media), orientation, std::move(print)});
                }};
            m_controller = std::make_unique<ConsolidatedLabelController>(m_model, actions, m_media,
                                                                         m_appearance, *m_settings);
        }
        return *m_controller;
    }

    struct Preview
    {
        PageBuilder builder;
        LabelMedia media;
        Orientation orientation;
        LabelTestPrintReader print;
    };

    // The box labels; the winner labels and calibrations are the rest.
    QList<PrintCall> boxCalls() const { return m_prints.callsOf(LabelKind::box); }
    QList<PrintCall> winnerCalls() const { return m_prints.callsBut(LabelKind::box); }

    QList<Preview> m_previews;
    std::unique_ptr<ConsolidatedLabelController> m_controller;
};

TEST_F(ConsolidatedControllerTest, WinnerChangesAreMirroredOnlyWhileShared)
{
    ConsolidatedLabelController &card = controller();
    card.selectWinnerMedium(LabelMedia::shipping4x6());
    card.toggleWinnerOrientation();
    card.setWinnerPrinter(QStringLiteral("Desk"));
    EXPECT_EQ(m_model.box().selectedMedia, LabelMedia::shipping4x6());
    EXPECT_EQ(m_model.box().selectedOrientation, Orientation::portrait);
    EXPECT_EQ(m_model.box().selectedPrinter, QStringLiteral("Desk"));
    EXPECT_EQ(m_model.box().selectedStyle, LabelVariant::classic);

    card.setUseSeparateBoxPrinter(true);
    EXPECT_TRUE(m_settings->boolValue(ConsolidatedLabelController::separateKey()));
    card.selectWinnerMedium(LabelMedia::circle2());
    card.toggleWinnerOrientation();
    card.setWinnerPrinter(QStringLiteral("Zebra_A1B2"));
    EXPECT_EQ(m_model.box().selectedMedia, LabelMedia::shipping4x6());
    EXPECT_EQ(m_model.box().selectedOrientation, Orientation::portrait);
    EXPECT_EQ(m_model.box().selectedPrinter, QStringLiteral("Desk"));

    // Box-only changes never reach the winner.
    card.selectBoxMedium(LabelMedia::rect1x2());
    card.toggleBoxOrientation();
    card.setBoxPrinter(std::nullopt);
    EXPECT_EQ(m_model.winner().selectedMedia, LabelMedia::circle2());
    EXPECT_EQ(m_model.winner().selectedPrinter, QStringLiteral("Zebra_A1B2"));
    EXPECT_EQ(m_model.box().selectedOrientation, Orientation::landscape);
}

TEST_F(ConsolidatedControllerTest, TogglingOffCopiesTheWinnerSettingsButNotTheStyle)
{
    ConsolidatedLabelController &card = controller();
    card.setUseSeparateBoxPrinter(true);
    card.selectBoxMedium(LabelMedia::circle2());
    card.setBoxPrinter(QStringLiteral("Other"));
    card.selectWinnerMedium(LabelMedia::shipping4x6());
    card.setWinnerOrientation(Orientation::portrait);

    card.setUseSeparateBoxPrinter(false);
    EXPECT_FALSE(m_settings->boolValue(ConsolidatedLabelController::separateKey(), true));
    EXPECT_EQ(m_model.box().selectedMedia, LabelMedia::shipping4x6());
    EXPECT_EQ(m_model.box().selectedOrientation, Orientation::portrait);
    EXPECT_EQ(m_model.box().selectedPrinter, QStringLiteral("Zebra_A1B2"));
    EXPECT_EQ(m_model.box().selectedStyle, LabelVariant::classic);
}

TEST_F(ConsolidatedControllerTest, OnShowRuleBothWays)
{
    // Two different printers: separate settings, stored at once, box stock kept.
    m_model.update(LabelKind::box, [](LabelSectionState &s) {
        s.selectedPrinter = QStringLiteral("Other");
        s.selectedMedia = LabelMedia::circle2();
    });
    controller().cardShown();
    EXPECT_TRUE(m_model.useSeparateBoxPrinter());
    EXPECT_TRUE(m_settings->boolValue(ConsolidatedLabelController::separateKey()));
    EXPECT_EQ(m_model.box().selectedMedia, LabelMedia::circle2());

    // Shared, and not two different printers: the box takes the winner stock, keeps its printer.
    m_model.setUseSeparateBoxPrinter(false);
    m_model.update(LabelKind::box, [](LabelSectionState &s) {
        s.selectedPrinter = std::nullopt;
        s.selectedMedia = LabelMedia::circle2();
        s.selectedOrientation = Orientation::portrait;
    });
    m_model.update(LabelKind::winner,
                   [](LabelSectionState &s) { s.selectedMedia = LabelMedia::shipping4x6(); });
    controller().cardShown();
    EXPECT_FALSE(m_model.useSeparateBoxPrinter());
    EXPECT_EQ(m_model.box().selectedMedia, LabelMedia::shipping4x6());
    EXPECT_EQ(m_model.box().selectedOrientation, Orientation::landscape);
    EXPECT_EQ(m_model.box().selectedPrinter, std::nullopt);
}

TEST_F(ConsolidatedControllerTest, NoneClearsBothPrintersAndNoPrintStarts)
{
    ConsolidatedLabelController &card = controller();
    card.setWinnerPrinter(std::nullopt);
    EXPECT_EQ(m_model.winner().selectedPrinter, std::nullopt);
    EXPECT_EQ(m_model.box().selectedPrinter, std::nullopt);
    card.testWinner();
    card.testBox();
    card.calibrate(LabelMedia::rect1x2());
    settle();
    EXPECT_FALSE(card.isPrinting());
    EXPECT_TRUE(winnerCalls().isEmpty());
    EXPECT_TRUE(boxCalls().isEmpty());
}

TEST_F(ConsolidatedControllerTest, DeletingAMediumResetsEveryLabelTypeThatUsesIt)
{
    const LabelMedia jar = customMedium(QStringLiteral("jar"), 3, 3, true);
    const LabelMedia tag = customMedium(QStringLiteral("tag"), 1, 3);
    m_media.add(jar);
    m_media.add(tag);
    ConsolidatedLabelController &card = controller();
    EXPECT_EQ(card.media().size(), 5);
    card.setUseSeparateBoxPrinter(true);
    card.selectWinnerMedium(jar);
    card.selectBoxMedium(jar);
    m_model.update(LabelKind::packingSlip, [&](LabelSectionState &s) { s.selectedMedia = jar; });

    // Another medium's deletion leaves them alone.
    EXPECT_EQ(card.deleteCustomMedium(tag), std::nullopt);
    EXPECT_EQ(m_model.winner().selectedMedia, jar);

    EXPECT_EQ(card.deleteCustomMedium(jar), std::nullopt);
    EXPECT_TRUE(m_media.items().isEmpty());
    EXPECT_EQ(CustomMediaStore(*m_settings).items().size(), 0);
    EXPECT_EQ(m_model.winner().selectedMedia, LabelMedia::rect1x2());
    EXPECT_EQ(m_model.box().selectedMedia, LabelMedia::rect1x2());
    EXPECT_EQ(m_model.packingSlip().selectedMedia, LabelMedia::letter());
}

TEST_F(ConsolidatedControllerTest, AddedMediumIsSelectedAsStored)
{
    ConsolidatedLabelController &card = controller();
    LabelMedia blank = customMedium(QStringLiteral("b"), 2, 3);
    blank.name = QStringLiteral("   ");
    EXPECT_EQ(card.addCustomMedium(blank), std::nullopt);
    EXPECT_EQ(m_model.winner().selectedMedia.id, QStringLiteral("b"));
    EXPECT_EQ(m_model.winner().selectedMedia, m_media.items().last());
    EXPECT_EQ(m_model.box().selectedMedia, m_model.winner().selectedMedia);

    // A size no printer takes is refused with a reason, and nothing changes.
    const LabelMedia huge{QStringLiteral("h"), 100, 2, false, std::nullopt};
    EXPECT_TRUE(card.addCustomMedium(huge).has_value());
    EXPECT_EQ(m_media.items().size(), 1);
    EXPECT_EQ(m_model.winner().selectedMedia.id, QStringLiteral("b"));
}

TEST_F(ConsolidatedControllerTest, PrintsTakeThePrinterAtTheClickAndTheRestWhenTheyRun)
{
    ConsolidatedLabelController &card = controller();
    m_prints.hold = true;
    card.testWinner();
    EXPECT_TRUE(card.isPrinting());
    // Changed after the click, before the print starts.
    card.setWinnerPrinter(QStringLiteral("Later"));
    card.selectWinnerMedium(LabelMedia::shipping4x6());
    card.setWinnerOrientation(Orientation::portrait);
    settle();
    ASSERT_EQ(winnerCalls().size(), 1);
    EXPECT_EQ(winnerCalls()[0].printer, QStringLiteral("Zebra_A1B2"));
    EXPECT_EQ(winnerCalls()[0].media, LabelMedia::shipping4x6());
    EXPECT_EQ(winnerCalls()[0].orientation, Orientation::portrait);
    EXPECT_EQ(winnerCalls()[0].style, LabelVariant::bold);
    EXPECT_TRUE(card.isPrinting());
    m_prints.gate.open();
    settle();
    EXPECT_FALSE(card.isPrinting());

    // The shared "Test Box": the box style on the winner's printer and stock.
    card.testBox();
    settle();
    ASSERT_EQ(boxCalls().size(), 1);
    EXPECT_EQ(boxCalls()[0].style, LabelVariant::classic);
    EXPECT_EQ(boxCalls()[0].printer, QStringLiteral("Later"));
    EXPECT_EQ(boxCalls()[0].media, LabelMedia::shipping4x6());

    // Calibration: the tile's medium, the winner orientation at run time.
    card.calibrate(LabelMedia::circle2());
    card.setWinnerOrientation(Orientation::landscape);
    settle();
    ASSERT_EQ(winnerCalls().size(), 2);
    EXPECT_EQ(winnerCalls()[1].style, std::nullopt);
    EXPECT_EQ(winnerCalls()[1].media, LabelMedia::circle2());
    EXPECT_EQ(winnerCalls()[1].orientation, Orientation::landscape);

    // The separate box block prints on the box settings.
    card.setUseSeparateBoxPrinter(true);
    card.setBoxPrinter(QStringLiteral("BoxOnly"));
    card.selectBoxMedium(LabelMedia::rect1x2());
    card.testSeparateBox();
    settle();
    ASSERT_EQ(boxCalls().size(), 2);
    EXPECT_EQ(boxCalls()[1].printer, QStringLiteral("BoxOnly"));
    EXPECT_EQ(boxCalls()[1].media, LabelMedia::rect1x2());
}

TEST_F(ConsolidatedControllerTest, APrintOutlivesItsCard)
{
    m_prints.hold = true;
    controller().testWinner();
    settle();
    ASSERT_EQ(m_prints.running, 1);
    m_controller.reset();
    m_prints.gate.open();
    settle();
    EXPECT_EQ(m_prints.running, 0);
}

TEST_F(ConsolidatedControllerTest, PreviewsOfferAPrintOnlyWithAPrinter)
{
    ConsolidatedLabelController &card = controller();
    m_appearance.setStyle(LabelVariant::minimal);
    card.openPreview(ConsolidatedLabelController::Thumbnail::sharedBox);
    ASSERT_EQ(m_previews.size(), 1);
    const QList<AnyLabelView> pages = m_previews[0].builder(2.0);
    ASSERT_EQ(pages.size(), 1);
    ASSERT_NE(pages[0].as<BoxLabelView>(), nullptr);
    EXPECT_EQ(pages[0].size(), QSizeF(288, 144));
    EXPECT_EQ(pages[0].as<BoxLabelView>()->style, LabelVariant::minimal);
    ASSERT_TRUE(bool(m_previews[0].print));
    runCardPrint(nullptr, &m_prints, m_previews[0].print, {});
    settle();
    ASSERT_EQ(boxCalls().size(), 1);
    EXPECT_EQ(boxCalls()[0].style, LabelVariant::classic);

    card.setWinnerPrinter(std::nullopt);
    card.openPreview(ConsolidatedLabelController::Thumbnail::winner);
    ASSERT_EQ(m_previews.size(), 2);
    EXPECT_FALSE(bool(m_previews[1].print));
}

} // namespace
} // namespace quill::testing
