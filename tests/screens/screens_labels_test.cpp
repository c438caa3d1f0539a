// The Labels screen's cards as a seller sees them: the packing-slip card, the in-show
// card shared and separate, the custom size sheet and the preview sheet.
#include "labels_fixture.h"
#include "screen_capture.h"
#include "ui/labels/add_custom_media_sheet.h"
#include "ui/labels/consolidated_label_section.h"
#include "ui/labels/label_card_widgets.h"
#include "ui/labels/label_preview_modal.h"
#include "ui/labels/label_section_view.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QLineEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace quill::testing {
namespace {

LabelContent slip(int count)
{
    static const QStringList titles{QStringLiteral("Sealed Booster Pack"),
                                    QStringLiteral("Graded Rookie Card"), QStringLiteral("Enamel Pin Set"),
                                    QStringLiteral("Vintage Comic #12"), QStringLiteral("Holo Rare Lot")};
    QList<GroupedItem> items;
    for (int i = 0; i < count; ++i)
        items.append({2 * i + 1, titles.at(i % titles.size()), QStringLiteral("%1.50").arg(5 + i)});
    return LabelContent::grouped(QStringLiteral("cardshark_22"), items, Decimal(188),
                                 QStringLiteral("Test Show"));
}

QList<PrinterInfo> twoPrinters()
{
    PrinterInfo zebra;
    zebra.name = QStringLiteral("Thermal_Label_Printer_A1B2C3");
    PrinterInfo laser;
    laser.name = QStringLiteral("Office_Laser");
    return {zebra, laser};
}

// A card on the screen's background, as the Labels screen lays it out.
QImage captureCard(QWidget &host, QWidget *card, int width, const QString &name)
{
    fillBackground(&host, appBackgroundColor());
    auto *layout = new QVBoxLayout(&host);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(card);
    layout->addStretch(1);
    host.resize(width, 100);
    host.show();
    host.adjustSize();
    return test::captureScreen(host, QSize(width, host.sizeHint().height()), name);
}

class ScreensLabels : public LabelCardsTest
{
};

TEST_F(ScreensLabels, PackingSlipCard)
{
    m_model.update(LabelKind::packingSlip, [](LabelSectionState &s) {
        s.selectedPrinter = QStringLiteral("Thermal_Label_Printer_A1B2C3");
    });
    LabelSectionActions actions;
    actions.viewGenerator = [this](LabelVariant style, LabelMedia media, Orientation orientation,
                                   double scale) {
        return slip(13).pages(style, media, orientation, m_appearance.appearance(), scale);
    };
    actions.printer = &m_prints;
    actions.calibrates = true;
    auto *card = new LabelSectionView(
        QStringLiteral("Packing Slips"), QStringLiteral("Itemized packing list per buyer"), m_model,
        LabelKind::packingSlip, {LabelMedia::letter(), LabelMedia::shipping4x6()}, actions, m_media,
        m_appearance);
    card->setPrinters(twoPrinters());
    QWidget host;
    const QImage image = captureCard(host, card, 760, QStringLiteral("labels-packing-slip-card"));
    // The letter thumbnail is 300 points wide and fits the card.
    EXPECT_EQ(card->thumbnail()->pageView()->width(), 300);
    EXPECT_LE(card->height(), 520);
    EXPECT_FALSE(image.isNull());
}

TEST_F(ScreensLabels, InShowCardSharedAndSeparateOnACircle)
{
    m_media.add({QStringLiteral("jar"), 3, 1.5, false, QStringLiteral("Jar Lid Label With A Long Name")});
    for (const LabelKind kind : {LabelKind::winner, LabelKind::box}) {
        m_model.update(kind, [](LabelSectionState &s) {
            s.selectedMedia = LabelMedia::circle2();
            s.selectedPrinter = QStringLiteral("Thermal_Label_Printer_A1B2C3");
        });
    }
    InShowLabelActions actions{&m_prints, true, {}};
    {
        auto *card = new ConsolidatedLabelSection(m_model, actions, m_media, m_appearance, *m_settings);
        card->setPrinters(twoPrinters());
        QWidget host;
        captureCard(host, card, 760, QStringLiteral("labels-in-show-shared"));
        EXPECT_FALSE(card->winnerOrientation()->isVisible());
        EXPECT_EQ(card->winnerThumbnail()->pageView()->size(), QSize(200, 200));
    }
    m_model.setUseSeparateBoxPrinter(true);
    m_model.update(LabelKind::box, [](LabelSectionState &s) {
        s.selectedMedia = LabelMedia::rect1x2();
        s.selectedPrinter = QStringLiteral("Office_Laser");
    });
    auto *card = new ConsolidatedLabelSection(m_model, actions, m_media, m_appearance, *m_settings);
    card->setPrinters(twoPrinters());
    QWidget host;
    captureCard(host, card, 760, QStringLiteral("labels-in-show-separate"));
    EXPECT_TRUE(card->boxBlock()->isVisible());
}

TEST_F(ScreensLabels, CustomSizeSheet)
{
    {
        AddCustomMediaSheet sheet(QStringLiteral("Zebra"), sheetPrints(), {}, m_appearance);
        const QImage image =
            test::captureScreen(sheet, QSize(680, 460), QStringLiteral("labels-custom-size-rectangle"));
        EXPECT_TRUE(sheet.previewPage()->isVisible());
        EXPECT_TRUE(sheet.addButton()->isEnabled());
    }
    {
        AddCustomMediaSheet sheet(QStringLiteral("Zebra"), sheetPrints(), {}, m_appearance);
        sheet.controller().setCircular(true);
        sheet.controller().setPreviewType(AddCustomMediaController::PreviewType::box);
        test::captureScreen(sheet, QSize(680, 460), QStringLiteral("labels-custom-size-circle"));
        EXPECT_EQ(sheet.nameField()->placeholderText(), QStringLiteral("2.5\" Circle"));
    }
    {
        AddCustomMediaSheet sheet(QStringLiteral("Zebra"), sheetPrints(), {}, m_appearance);
        sheet.controller().setPreviewType(AddCustomMediaController::PreviewType::packingSlip);
        test::captureScreen(sheet, QSize(680, 460), QStringLiteral("labels-custom-size-packing-slip"));
        EXPECT_TRUE(sheet.previewPage()->isVisible());
    }
    {
        AddCustomMediaSheet sheet(std::nullopt, sheetPrints(), {}, m_appearance);
        sheet.widthField()->setText(QStringLiteral("0"));
        Q_EMIT sheet.widthField()->textEdited(QStringLiteral("0"));
        test::captureScreen(sheet, QSize(680, 460), QStringLiteral("labels-custom-size-invalid"));
        EXPECT_TRUE(sheet.placeholder()->isVisible());
        EXPECT_FALSE(sheet.addButton()->isEnabled());
        EXPECT_EQ(sheet.calibrateButton(), nullptr);
    }
}

TEST_F(ScreensLabels, PreviewSheetWithAThreePageSlip)
{
    const LabelMedia medium = LabelMedia::shipping4x6();
    const LabelContent content = slip(60);
    LabelPreviewModal modal(
        [&](double scale) {
            return content.pages(LabelVariant::bold, medium, Orientation::portrait, m_appearance.appearance(),
                                 scale);
        },
        medium, Orientation::portrait, {}, &m_prints,
        [] { return std::optional<LabelTestPrint>(LabelTestPrint::calibration({}, {}, {})); });
    test::captureScreen(modal, QSize(560, 720), QStringLiteral("labels-preview-three-pages"));
    EXPECT_EQ(modal.pageViews().size(), 3);
}

} // namespace
} // namespace quill::testing
