// The staff cards (print mode, calibration offsets) and the appearance card: its
// font picker drawn in each font's own face, the style picker and the logo with a
// chooser the test answers for.
#include "heic_encoding.h"
#include "labels_screen_fixture.h"
#include "printing/font_resolver.h"
#include "ui/labels/appearance_card.h"
#include "ui/labels/font_picker.h"
#include "ui/labels/print_mode_card.h"
#include "ui/widgets/segmented_control.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

using namespace quill;
using namespace quill::testing;

namespace {

class StaffCardsTest : public LabelsFixture
{
};

TEST_F(StaffCardsTest, OffsetSteppersStopAtTheEndsOfTheirRanges)
{
    EXPECT_EQ(steppedOffset(-12, -1, 12), -12);
    EXPECT_EQ(steppedOffset(12, 1, 12), 12);
    EXPECT_EQ(steppedOffset(-11, -1, 12), -12);
    EXPECT_EQ(steppedOffset(30, 1, 30), 30);
    EXPECT_EQ(steppedOffset(-30, -1, 30), -30);
    EXPECT_EQ(steppedOffset(29, 1, 30), 30);

    PrinterCalibrationSection card(*m_calibration);
    OffsetStepper &vertical = *card.verticalStepper();
    OffsetStepper &feed = *card.feedStepper();
    EXPECT_EQ(vertical.text(), QStringLiteral("Vertical Offset: 0mm"));
    EXPECT_EQ(feed.text(), QStringLiteral("Feed Offset: 0mm"));

    for (int i = 0; i < 15; ++i)
        vertical.decrementButton()->click();
    EXPECT_EQ(m_calibration->verticalOffset(), -12);
    EXPECT_EQ(vertical.text(), QStringLiteral("Vertical Offset: -12mm"));
    EXPECT_FALSE(vertical.decrementButton()->isEnabled());
    EXPECT_EQ(m_settings->intValue(PrinterCalibrationStore::verticalOffsetKey()), -12);

    m_calibration->setFeedOffset(29);
    EXPECT_EQ(feed.text(), QStringLiteral("Feed Offset: 29mm"));
    feed.incrementButton()->click();
    feed.incrementButton()->click();
    EXPECT_EQ(m_calibration->feedOffset(), 30);
    EXPECT_FALSE(feed.incrementButton()->isEnabled());
}

TEST_F(StaffCardsTest, PrintModeShowsTheStoredModeAndWritesAChoiceAtOnce)
{
    PrintModeSection card(*m_appearance);
    EXPECT_EQ(card.picker()->currentIndex(), 2) << "Black & White on a fresh installation";
    EXPECT_EQ(card.description(), QStringLiteral("Pure black and white, no grays. Best for thermal printers."));
    QStringList segments;
    for (int i = 0; i < card.picker()->count(); ++i)
        segments.append(card.picker()->segment(i)->text().replace(QStringLiteral("&&"), QStringLiteral("&")));
    EXPECT_EQ(segments, (QStringList{"Color", "Grayscale", "Black & White"}));

    card.picker()->segment(1)->click();
    EXPECT_EQ(m_appearance->colorMode(), LabelColorMode::grayscale);
    EXPECT_EQ(m_settings->stringValue(LabelAppearanceStore::colorModeKey), QStringLiteral("Grayscale"));
    EXPECT_EQ(card.description(), QStringLiteral("Converts to shades of gray. Good for laser printers."));

    m_appearance->setColorMode(LabelColorMode::color);
    EXPECT_EQ(card.picker()->currentIndex(), 0);
    EXPECT_EQ(card.description(), QStringLiteral("Full color output. Best for color printers."));
}

TEST_F(StaffCardsTest, FontPickerGroupsEachFontInItsOwnFace)
{
    m_appearance->setFontChoice(LabelFontChoice::americanTypewriter);
    LabelAppearanceSection card(false, *m_appearance, [] { return std::nullopt; });
    EXPECT_EQ(card.fontButton()->text(), QStringLiteral("Am. Typewriter"));
    EXPECT_EQ(card.fontButton()->font().family(), FontResolver::family(LabelFontChoice::americanTypewriter));
    EXPECT_EQ(card.logoColumn(), nullptr) << "no logo for a seller who is not staff";

    card.show();
    card.toggleFontPicker();
    ASSERT_TRUE(card.isFontPickerShown());
    FontPickerPopover &picker = *card.fontPicker();
    EXPECT_EQ(picker.headers(), (QStringList{"System", "Sans-Serif", "Serif", "Monospace", "Slab"}));
    QStringList names;
    QList<LabelFontChoice> selected;
    for (FontPickerRow *row : picker.rows()) {
        names.append(row->text());
        if (row->isSelected())
            selected.append(row->choice());
        EXPECT_EQ(row->font().family(), FontResolver::family(row->choice())) << row->text().toStdString();
    }
    EXPECT_EQ(names, (QStringList{"Default", "Rounded", "Serif", "Monospaced", "Helvetica Neue", "Avenir Next",
                                  "Futura", "Gill Sans", "DIN Alternate", "Georgia", "Baskerville", "Palatino",
                                  "Menlo", "Courier", "Am. Typewriter"}));
    EXPECT_EQ(selected, QList<LabelFontChoice>{LabelFontChoice::americanTypewriter});

    picker.rows().at(9)->click();
    turn();
    EXPECT_FALSE(card.isFontPickerShown());
    EXPECT_EQ(m_appearance->fontChoice(), LabelFontChoice::georgia);
    EXPECT_EQ(m_settings->stringValue(LabelAppearanceStore::fontKey), QStringLiteral("Georgia"));
    EXPECT_EQ(card.fontButton()->text(), QStringLiteral("Georgia"));

    // Choosing the font already chosen closes the picker and changes nothing.
    card.toggleFontPicker();
    ASSERT_TRUE(card.isFontPickerShown());
    card.fontPicker()->rows().at(9)->click();
    turn();
    EXPECT_FALSE(card.isFontPickerShown());
    EXPECT_EQ(m_appearance->fontChoice(), LabelFontChoice::georgia);
}

TEST_F(StaffCardsTest, StylePickerWritesTheStore)
{
    LabelAppearanceSection card(false, *m_appearance, [] { return std::nullopt; });
    EXPECT_EQ(card.stylePicker()->currentIndex(), 0);
    card.stylePicker()->segment(2)->click();
    EXPECT_EQ(m_appearance->style(), LabelVariant::minimal);
    m_appearance->setStyle(LabelVariant::classic);
    EXPECT_EQ(card.stylePicker()->currentIndex(), 1);
}

class LogoTest : public LabelsFixture
{
protected:
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_home.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString writePicture(const QString &name, QSize size, QColor color)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        const QString path = m_home.filePath(name);
        EXPECT_TRUE(image.save(path));
        return path;
    }

    std::optional<QString> m_answer;
    int m_asked = 0;
    LogoChooser chooser()
    {
        return [this] {
            ++m_asked;
            return m_answer;
        };
    }
};

TEST_F(LogoTest, ChooserOutcomesFollowTheStore)
{
    LabelAppearanceSection card(true, *m_appearance, chooser());
    ASSERT_NE(card.logoColumn(), nullptr);
    card.show();
    EXPECT_TRUE(card.addLogoButton()->isVisible());
    EXPECT_FALSE(card.changeLogoButton()->isVisible());

    // Cancelled: nothing changes.
    card.addLogoButton()->click();
    EXPECT_EQ(m_asked, 1);
    EXPECT_FALSE(m_appearance->logoImage().has_value());

    // A PNG wider than the thumbnail row: stored shrunk, shown at most 32 high.
    m_answer = writePicture(QStringLiteral("wide.png"), QSize(1200, 300), Qt::red);
    card.addLogoButton()->click();
    ASSERT_TRUE(m_appearance->logoImage().has_value());
    EXPECT_EQ(m_appearance->logoImage()->size(), QSize(256, 64));
    EXPECT_TRUE(card.changeLogoButton()->isVisible());
    EXPECT_TRUE(card.removeLogoButton()->isVisible());
    EXPECT_FALSE(card.addLogoButton()->isVisible());
    const QPixmap thumbnail = card.logoThumbnail()->pixmap();
    EXPECT_LE(thumbnail.deviceIndependentSize().height(), 32.0);
    EXPECT_NEAR(thumbnail.deviceIndependentSize().width() / thumbnail.deviceIndependentSize().height(), 4.0, 0.1);

    // A HEIC photo replaces it.
    QImage green(40, 20, QImage::Format_RGB32);
    green.fill(QColor(20, 200, 20));
    const QByteArray heic = encodedAsHeic(green);
    ASSERT_FALSE(heic.isEmpty());
    m_answer = writeFile(QStringLiteral("photo.heic"), heic);
    card.changeLogoButton()->click();
    ASSERT_TRUE(m_appearance->logoImage().has_value());
    EXPECT_EQ(m_appearance->logoImage()->size(), QSize(40, 20));
    EXPECT_GT(qGreen(m_appearance->logoImage()->pixel(10, 10)), 150);
    EXPECT_TRUE(card.logoErrorLabel()->isHidden());

    // A file that is no picture: the store's message under the row, the old logo stays.
    m_answer = writeFile(QStringLiteral("notes.png"), QByteArray("not a picture at all"));
    card.changeLogoButton()->click();
    EXPECT_FALSE(card.logoErrorLabel()->isHidden());
    EXPECT_FALSE(card.logoErrorLabel()->text().isEmpty());
    EXPECT_EQ(card.controller().logoError(), card.logoErrorLabel()->text());
    ASSERT_TRUE(m_appearance->logoImage().has_value());
    EXPECT_EQ(m_appearance->logoImage()->size(), QSize(40, 20));

    // Cancelling after "Change" keeps the logo; removing it brings back "Add Logo".
    m_answer.reset();
    card.changeLogoButton()->click();
    EXPECT_TRUE(m_appearance->logoImage().has_value());
    card.removeLogoButton()->click();
    EXPECT_FALSE(m_appearance->logoImage().has_value());
    EXPECT_TRUE(card.addLogoButton()->isVisible());
    EXPECT_TRUE(card.logoErrorLabel()->isHidden());
}

} // namespace
