#include "eventually.h"
#include "labels_fixture.h"
#include "motion_on.h"
#include "ui/labels/add_custom_media_sheet.h"
#include "ui/labels/consolidated_label_section.h"
#include "ui/labels/label_card_widgets.h"
#include "ui/labels/label_media_shape.h"
#include "ui/labels/label_preview_modal.h"
#include "ui/labels/label_samples.h"
#include "ui/labels/label_section_view.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/segmented_control.h"
#include "ui/widgets/spinner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsEffect>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace quill::testing {
namespace {

QList<PrinterInfo> printers(const QStringList &names)
{
    QList<PrinterInfo> list;
    for (const QString &name : names) {
        PrinterInfo printer;
        printer.name = name;
        list.append(printer);
    }
    return list;
}

class LabelCardsWidgetTest : public LabelCardsTest
{
protected:
    std::unique_ptr<LabelSectionView> packingSlipCard()
    {
        LabelSectionActions actions;
        actions.viewGenerator = [this](LabelVariant style, LabelMedia media, Orientation orientation,
                                       double scale) {
            return LabelSamples::packingSlip().pages(style, media, orientation,
                                                          m_appearance.appearance(), scale);
        };
        actions.printer = &m_prints;
        actions.calibrates = true;
        actions.onPreview = [this](PageBuilder, LabelMedia, Orientation, LabelTestPrintReader print) {
            m_previewPrints.append(bool(print));
        };
        return std::make_unique<LabelSectionView>(
            QStringLiteral("Packing Slips"), QStringLiteral("Itemized packing list per buyer"), m_model,
            LabelKind::packingSlip, QList<LabelMedia>{LabelMedia::letter(), LabelMedia::shipping4x6()},
            actions, m_media, m_appearance);
    }

    QList<bool> m_previewPrints;
};

TEST_F(LabelCardsWidgetTest, ThumbnailClickOffersAPrintOnlyWithAPrinter)
{
    auto card = packingSlipCard();
    card->resize(700, 500);
    card->show();
    LabelPageView *page = card->thumbnail()->pageView();
    ASSERT_TRUE(page->isVisible());
    QTest::mouseClick(page, Qt::LeftButton);
    card->setPrinters(printers({QStringLiteral("Laser_Jet_7F3A"), QStringLiteral("Zebra")}));
    card->printerControl()->picker()->setCurrentIndex(1);
    Q_EMIT card->printerControl()->picker()->activated(1);
    EXPECT_EQ(m_model.packingSlip().selectedPrinter, QStringLiteral("Laser_Jet_7F3A"));
    QTest::mouseClick(page, Qt::LeftButton);
    EXPECT_EQ(m_previewPrints, (QList<bool>{false, true}));

    // "None" clears the printer and disables the test print.
    Q_EMIT card->printerControl()->picker()->activated(0);
    EXPECT_EQ(m_model.packingSlip().selectedPrinter, std::nullopt);
    EXPECT_FALSE(card->testPrintButton()->isEnabled());
}

TEST_F(LabelCardsWidgetTest, PrinterControlShowsDisplayNamesAndKeepsQueueNames)
{
    PrinterControl control;
    control.setPrinters(printers({QStringLiteral("Thermal_Label_Printer_A1B2C3")}), std::nullopt);
    EXPECT_FALSE(control.picker()->isVisibleTo(&control));
    EXPECT_EQ(control.singleName()->text(), QStringLiteral("Thermal Label Printer"));
    EXPECT_EQ(control.singleName()->textFormat(), Qt::PlainText);

    control.setPrinters(printers({QStringLiteral("<b>Desk</b>"), QStringLiteral("Desk Printer 7F3A 2")}),
                        QStringLiteral("Desk Printer 7F3A 2"));
    ASSERT_EQ(control.picker()->count(), 3);
    EXPECT_EQ(control.picker()->itemText(0), QStringLiteral("None"));
    EXPECT_EQ(control.picker()->itemText(2), QStringLiteral("Desk Printer"));
    EXPECT_EQ(control.picker()->currentData().toString(), QStringLiteral("Desk Printer 7F3A 2"));
    // A printer no longer listed stays chosen with no row shown.
    control.setPrinters(printers({QStringLiteral("A"), QStringLiteral("B")}), QStringLiteral("Gone"));
    EXPECT_EQ(control.picker()->currentIndex(), -1);
}

TEST_F(LabelCardsWidgetTest, ModalTestPrintShowsTheSpinnerUntilThePrintReturns)
{
    m_prints.hold = true;
    bool dismissed = false;
    LabelPreviewModal modal(
        [](double scale) {
            return LabelSamples::winner().pages(LabelVariant::bold, LabelMedia::rect1x2(),
                                                Orientation::landscape, LabelAppearance{}, scale);
        },
        LabelMedia::rect1x2(), Orientation::landscape, [&] { dismissed = true; }, &m_prints,
        [] {
            return std::optional<LabelTestPrint>(LabelTestPrint{
                LabelKind::winner, LabelVariant::bold, QStringLiteral("P"), LabelMedia::rect1x2(),
                Orientation::landscape});
        });
    modal.show();
    ASSERT_NE(modal.printButton(), nullptr);
    EXPECT_FALSE(modal.pageCountLabel()->isVisible());
    QTest::mouseClick(modal.printButton(), Qt::LeftButton);
    EXPECT_TRUE(modal.spinner()->isVisible());
    EXPECT_FALSE(modal.printButton()->isVisible());
    settle();
    EXPECT_EQ(m_prints.running, 1);
    EXPECT_TRUE(modal.spinner()->isVisible());
    m_prints.gate.open();
    settle();
    EXPECT_FALSE(modal.spinner()->isVisible());
    EXPECT_TRUE(modal.printButton()->isVisible());

    QTest::mouseClick(modal.closeButton(), Qt::LeftButton);
    EXPECT_TRUE(dismissed);

    LabelPreviewModal bare({}, LabelMedia::rect1x2(), Orientation::landscape, {}, {}, {});
    EXPECT_EQ(bare.printButton(), nullptr);
    EXPECT_TRUE(bare.pageViews().isEmpty());
}

TEST_F(LabelCardsWidgetTest, BoxTilesHaveNoMenuAndWinnerTilesOfferCalibrationAndDeletion)
{
    m_media.add(customMedium(QStringLiteral("jar"), 3, 3, true));
    m_model.setUseSeparateBoxPrinter(true);
    InShowLabelActions actions{&m_prints, true, {}};
    ConsolidatedLabelSection card(m_model, actions, m_media, m_appearance, *m_settings);
    card.resize(760, 600);
    card.show();
    ASSERT_EQ(card.boxStrip()->tiles().size(), 4);
    for (MediaTile *tile : card.boxStrip()->tiles())
        EXPECT_EQ(tile->makeMenu(), nullptr) << qPrintable(tile->media().id);

    MediaTile *builtIn = card.winnerStrip()->tiles().first();
    std::unique_ptr<QMenu> menu = builtIn->makeMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Print Calibration"));
    EXPECT_FALSE(menu->actions()[0]->isEnabled()); // no printer yet

    MediaTile *custom = card.winnerStrip()->tiles().last();
    menu = custom->makeMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[2]->text(), QStringLiteral("Delete"));
    menu->actions()[2]->trigger();
    menu.reset();
    settle();
    EXPECT_TRUE(m_media.items().isEmpty());
    EXPECT_EQ(card.winnerStrip()->tiles().size(), 3);

    EXPECT_EQ(card.titleLabel()->textFormat(), Qt::PlainText);

    // Medium names are shown as typed, cut to two lines in the tile.
    MediaTile named({QStringLiteral("n"), 2, 1, false,
                     QStringLiteral("<b>Jar</b> lid label for the extra large mason jars of the fall show")},
                    Orientation::landscape);
    const QStringList lines = named.caption().split(QLatin1Char('\n'));
    EXPECT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("<b>")));
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026)));
}

TEST_F(LabelCardsWidgetTest, ConsolidatedCardFollowsTheToggle)
{
    m_model.update(LabelKind::winner, [](LabelSectionState &s) { s.selectedPrinter = QStringLiteral("A"); });
    m_model.update(LabelKind::box, [](LabelSectionState &s) { s.selectedPrinter = QStringLiteral("A"); });
    ConsolidatedLabelSection card(m_model, {}, m_media, m_appearance, *m_settings);
    card.setPrinters(printers({QStringLiteral("A")}));
    card.resize(760, 600);
    card.show();
    EXPECT_EQ(card.titleLabel()->text(), QStringLiteral("In-Show Labels"));
    EXPECT_FALSE(card.boxBlock()->isVisible());
    EXPECT_TRUE(card.testBoxButton()->isVisible());
    EXPECT_TRUE(card.sharedBoxThumbnail()->isVisible());

    card.separateToggle()->click();
    EXPECT_TRUE(m_model.useSeparateBoxPrinter());
    EXPECT_TRUE(m_settings->boolValue(ConsolidatedLabelController::separateKey()));
    EXPECT_EQ(card.titleLabel()->text(), QStringLiteral("Winner Labels"));
    EXPECT_TRUE(card.boxBlock()->isVisible());
    EXPECT_FALSE(card.testBoxButton()->isVisible());
    EXPECT_FALSE(card.sharedBoxThumbnail()->isVisible());

    // A circle hides that block's orientation button.
    card.controller().selectWinnerMedium(LabelMedia::circle2());
    EXPECT_FALSE(card.winnerOrientation()->isVisible());
    EXPECT_TRUE(card.boxOrientation()->isVisible());
}

TEST_F(LabelCardsWidgetTest, AFlipTurnsTheShapesRollsTheCaptionAndResizesTheThumbnail)
{
    const MotionOn motion;
    ConsolidatedLabelSection card(m_model, {}, m_media, m_appearance, *m_settings);
    card.resize(760, 600);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    Motion::finishAll(&card);
    ASSERT_FALSE(card.winnerStrip()->tiles().isEmpty());
    auto *shape = card.winnerStrip()->tiles().first()->findChild<LabelMediaShape *>();
    ASSERT_TRUE(shape);
    const qreal before = shape->angle();

    LabelPageView *page = card.winnerThumbnail()->pageView();
    const QSize lying = page->size();
    card.winnerOrientation()->click();
    EXPECT_EQ(m_model.winner().selectedOrientation, Orientation::portrait); // at once
    EXPECT_EQ(card.winnerOrientation()->text(), QStringLiteral("Portrait"));
    EXPECT_TRUE(Motion::isRunning(shape, Motion::kRotate));
    EXPECT_TRUE(Motion::isRunning(card.winnerOrientation(), Motion::kRotate));
    EXPECT_FALSE(card.winnerThumbnail()->findChildren<QWidget *>(QStringLiteral("quill.motion.ghost")).isEmpty());
    // The caption rolls from the old name to the new.
    EXPECT_TRUE(Motion::isRunning(card.winnerOrientation(), OrientationButton::kCaptionRoll));
    EXPECT_EQ(card.winnerOrientation()->outgoingCaption(), QStringLiteral("Landscape"));
    // The thumbnail's frame starts at its old size and grows to its new one.
    const QSize standing = page->sizeHint();
    ASSERT_NE(standing, lying);
    EXPECT_TRUE(Motion::isRunning(page, LabelThumbnail::kResize));
    EXPECT_EQ(page->size(), lying);
    EXPECT_TRUE(eventually([&] { return page->height() != lying.height(); }));
    Motion::finishAll(&card);
    EXPECT_EQ(shape->angle(), 90.0 - before);
    EXPECT_EQ(card.winnerOrientation()->symbolAngle(), 90.0);
    EXPECT_TRUE(card.winnerOrientation()->outgoingCaption().isEmpty());
    EXPECT_EQ(page->size(), standing);
    EXPECT_TRUE(page->frameSize().isEmpty());

    // A new medium changes the size the same way.
    card.controller().selectWinnerMedium(LabelMedia::shipping4x6());
    EXPECT_TRUE(Motion::isRunning(page, LabelThumbnail::kResize));
    EXPECT_EQ(page->size(), standing);
    Motion::finishAll(&card);
    EXPECT_EQ(page->size(), page->sizeHint());

    // The box block comes in on the toggle; the setting is stored before it has landed.
    card.separateToggle()->click();
    EXPECT_TRUE(m_model.useSeparateBoxPrinter());
    EXPECT_TRUE(card.boxBlock()->isVisible());
    EXPECT_TRUE(Motion::isMoving(card.boxBlock()));
    EXPECT_TRUE(Motion::isLeaving(card.sharedBoxThumbnail()));
    // The block comes down from the top while its thumbnail comes up from the bottom edge.
    LabelThumbnail *boxThumbnail = card.separateBoxThumbnail();
    EXPECT_TRUE(Motion::isMoving(boxThumbnail));
    ASSERT_TRUE(boxThumbnail->graphicsEffect());
    const QRectF drawn = boxThumbnail->graphicsEffect()->boundingRect();
    EXPECT_GT(drawn.bottom(), boxThumbnail->height());
    EXPECT_GE(drawn.top(), 0);
    Motion::finishAll(&card);
    EXPECT_TRUE(boxThumbnail->isVisible());
    EXPECT_EQ(boxThumbnail->graphicsEffect(), nullptr);
    EXPECT_FALSE(card.sharedBoxThumbnail()->isVisible());
    EXPECT_EQ(card.boxBlock()->graphicsEffect(), nullptr);
}

} // namespace
} // namespace quill::testing

namespace quill::testing {
namespace {

// Puts the process's default locale back when it goes.
class DefaultLocale final
{
public:
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

TEST_F(LabelCardsTest, SheetFieldsReadTheSellersLocaleAndSaveOnlyValidSizes)
{
    const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    QList<LabelMedia> saved;
    AddCustomMediaSheet sheet(
        std::nullopt, {}, [&](const LabelMedia &m) { saved.append(m); }, m_appearance);
    EXPECT_EQ(sheet.widthField()->text(), QStringLiteral("3"));
    sheet.widthField()->setText(QStringLiteral("2,25"));
    Q_EMIT sheet.widthField()->textEdited(sheet.widthField()->text());
    EXPECT_DOUBLE_EQ(sheet.controller().width(), 2.25);
    EXPECT_EQ(sheet.nameField()->placeholderText(), QStringLiteral("2.25\"x2\""));

    // A German group separator is no decimal point, and a size no printer feeds says why.
    sheet.widthField()->setText(QStringLiteral("0.004"));
    Q_EMIT sheet.widthField()->textEdited(sheet.widthField()->text());
    EXPECT_TRUE(std::isnan(sheet.controller().width()));
    EXPECT_FALSE(sheet.addButton()->isEnabled());
    sheet.widthField()->setText(QStringLiteral("0,004"));
    Q_EMIT sheet.widthField()->textEdited(sheet.widthField()->text());
    EXPECT_FALSE(sheet.addButton()->isEnabled());
    EXPECT_TRUE(sheet.displayNameLabel()->isVisibleTo(&sheet));
    EXPECT_EQ(sheet.displayNameLabel()->text(), QStringLiteral("Each side must be at least 0.25 in."));
    sheet.widthField()->setText(QStringLiteral("2,25"));
    Q_EMIT sheet.widthField()->textEdited(sheet.widthField()->text());
    EXPECT_TRUE(sheet.addButton()->isEnabled());

    sheet.unitPicker()->setCurrentIndex(1);
    EXPECT_EQ(sheet.widthField()->text(), QStringLiteral("57"));
    EXPECT_EQ(sheet.nameField()->placeholderText(), QStringLiteral("57x51mm"));

    sheet.heightField()->setText(QStringLiteral("zwei"));
    Q_EMIT sheet.heightField()->textEdited(sheet.heightField()->text());
    EXPECT_FALSE(sheet.addButton()->isEnabled());
    EXPECT_TRUE(sheet.placeholder()->isVisibleTo(&sheet));
    sheet.addButton()->click();
    EXPECT_TRUE(saved.isEmpty());

    sheet.heightField()->setText(QStringLiteral("25,4"));
    Q_EMIT sheet.heightField()->textEdited(sheet.heightField()->text());
    sheet.addButton()->click();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_DOUBLE_EQ(saved[0].widthInches, 57 / 25.4);
    EXPECT_DOUBLE_EQ(saved[0].heightInches, 1.0);
}

TEST_F(LabelCardsTest, SheetPrintsItsOwnSizeInTheStyleOfItsCardWhenThePrintStarts)
{
    m_model.update(LabelKind::winner, [](LabelSectionState &s) { s.selectedStyle = LabelVariant::classic; });
    AddCustomMediaSheet sheet(QStringLiteral("Zebra"), sheetPrints(), {}, m_appearance);
    ASSERT_NE(sheet.testPrintButton(), nullptr);
    ASSERT_NE(sheet.calibrateButton(), nullptr);
    const LabelMedia size = sheet.controller().previewMedia();

    sheet.testPrintButton()->click();
    // The style is read when the print starts, after the click.
    m_model.update(LabelKind::winner, [](LabelSectionState &s) { s.selectedStyle = LabelVariant::minimal; });
    settle();
    ASSERT_EQ(m_prints.calls.size(), 1);
    EXPECT_EQ(m_prints.calls[0].kind, LabelKind::winner);
    EXPECT_EQ(m_prints.calls[0].style, LabelVariant::minimal);
    EXPECT_EQ(m_prints.calls[0].printer, QStringLiteral("Zebra"));
    EXPECT_EQ(m_prints.calls[0].media, size);
    EXPECT_EQ(m_prints.calls[0].orientation, sheet.controller().effectiveOrientation());

    sheet.calibrateButton()->click();
    settle();
    ASSERT_EQ(m_prints.calls.size(), 2);
    EXPECT_EQ(m_prints.calls[1].kind, std::nullopt);
    EXPECT_EQ(m_prints.calls[1].media, size);

    // A card without calibration offers only the test print; without a printer, neither.
    CustomMediaSheetPrints testOnly = sheetPrints();
    testOnly.calibrates = false;
    AddCustomMediaSheet plain(QStringLiteral("Zebra"), testOnly, {}, m_appearance);
    EXPECT_EQ(plain.calibrateButton(), nullptr);
    EXPECT_NE(plain.testPrintButton(), nullptr);
    AddCustomMediaSheet none(QStringLiteral("Zebra"), {}, {}, m_appearance);
    EXPECT_EQ(none.calibrateButton(), nullptr);
    EXPECT_EQ(none.testPrintButton(), nullptr);
}

} // namespace
} // namespace quill::testing
