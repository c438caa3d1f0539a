#include "common/settings.h"
#include "label_test_support.h"
#include "printing/font_resolver.h"
#include "printing/label_appearance_store.h"
#include "printing/layouts/individual_label_view.h"
#include "printing/layouts/label_elements.h"
#include "temporary_settings.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quill;

namespace {

class LabelAppearanceStoreTest : public ::testing::Test
{
protected:
    QString logoPath() const { return m_dir.filePath(QStringLiteral("data/logo.png")); }

    QString writeImage(const QString &name, int width, int height)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(quill::testing::sampleLogo(width, height).save(path));
        return path;
    }

    QTemporaryDir m_dir;
    Settings m_settings{m_dir.filePath(QStringLiteral("settings.ini"))};
};

} // namespace

TEST(LabelAppearance, CasesKeepTheirRawValuesAndPickerOrder)
{
    EXPECT_EQ(rawValue(LabelVariant::classic), QStringLiteral("Classic"));
    EXPECT_EQ(rawValue(LabelColorMode::blackAndWhite), QStringLiteral("Black & White"));
    EXPECT_EQ(rawValue(FontCategory::sansSerif), QStringLiteral("Sans-Serif"));
    EXPECT_EQ(rawValue(LabelFontChoice::system), QStringLiteral("Default"));
    EXPECT_EQ(shortName(LabelFontChoice::americanTypewriter), QStringLiteral("Am. Typewriter"));
    EXPECT_EQ(rawValue(LabelFontChoice::americanTypewriter), QStringLiteral("American Typewriter"));

    // Matching is exact and case-sensitive.
    EXPECT_EQ(labelColorModeFromRawValue(QStringLiteral("Black & White")), LabelColorMode::blackAndWhite);
    EXPECT_FALSE(labelColorModeFromRawValue(QStringLiteral("Black and White")));
    EXPECT_FALSE(labelVariantFromRawValue(QStringLiteral("bold")));
    EXPECT_EQ(labelFontChoiceFromRawValue(QStringLiteral("Gill Sans")), LabelFontChoice::gillSans);

    const auto groups = groupedFontChoices();
    ASSERT_EQ(groups.size(), 5);
    const QList<std::pair<FontCategory, qsizetype>> expected{{FontCategory::system, 4},
                                                             {FontCategory::sansSerif, 5},
                                                             {FontCategory::serif, 3},
                                                             {FontCategory::monospace, 2},
                                                             {FontCategory::slab, 1}};
    for (qsizetype i = 0; i < groups.size(); ++i) {
        EXPECT_EQ(groups[i].first, expected[i].first);
        EXPECT_EQ(groups[i].second.size(), expected[i].second);
    }
    EXPECT_EQ(groups[1].second.first(), LabelFontChoice::helveticaNeue);
}

TEST(FontResolver, EveryFamilyItHandsOutIsInstalled)
{
    EXPECT_TRUE(FontResolver::missingFamilies().isEmpty())
        << FontResolver::missingFamilies().join(u", ").toStdString();
    // And Qt really resolves each to that family, not a fallback.
    for (const LabelFontChoice choice : kAllLabelFontChoices) {
        const QFont f = font(choice, 12, QFont::Normal);
        // Families installed by two foundries come back as "Name [foundry]".
        const QString resolved = QFontInfo(f).family().section(QStringLiteral(" ["), 0, 0);
        EXPECT_EQ(resolved, FontResolver::family(choice)) << rawValue(choice).toStdString();
    }
}

TEST(FontResolver, NamedFacesIgnoreTheWeightAndSystemDesignsApplyIt)
{
    const QFont futura = font(LabelFontChoice::futura, 14, QFont::Bold);
    EXPECT_EQ(futura.family(), FontResolver::family(LabelFontChoice::futura));
    EXPECT_DOUBLE_EQ(futura.pointSizeF(), 14);
    EXPECT_EQ(futura.weight(), QFont::Normal);

    const QFont rounded = font(LabelFontChoice::rounded, 14, QFont::Bold);
    EXPECT_EQ(rounded.family(), FontResolver::systemFamily(SystemFontDesign::rounded));
    EXPECT_EQ(rounded.weight(), QFont::Bold);

    // The layouts put a stated weight back on a named face, and only a non-regular one.
    LabelAppearance look;
    look.fontChoice = LabelFontChoice::futura;
    EXPECT_EQ(labelparts::appearanceFont(look, 14, QFont::Black).weight(), QFont::Black);
    EXPECT_EQ(labelparts::appearanceFont(look, 14, QFont::Normal).weight(), QFont::Normal);
}

TEST_F(LabelAppearanceStoreTest, EmptyDefaultsGiveTheStartValues)
{
    LabelAppearanceStore store(m_settings, logoPath());
    EXPECT_EQ(store.fontChoice(), LabelFontChoice::system);
    EXPECT_EQ(store.colorMode(), LabelColorMode::blackAndWhite);
    EXPECT_EQ(store.style(), LabelVariant::bold);
    EXPECT_FALSE(store.logoImage());
    // Nothing is written for values that were never stored.
    EXPECT_FALSE(m_settings.contains(LabelAppearanceStore::fontKey));
}

TEST_F(LabelAppearanceStoreTest, StoredTextsAreReadExactlyAndUnknownOnesIgnored)
{
    m_settings.setString(QStringLiteral("label_font_choice"), QStringLiteral("Palatino"));
    m_settings.setString(QStringLiteral("label_color_mode"), QStringLiteral("Black and White"));
    m_settings.setString(QStringLiteral("label_style"), QStringLiteral("classic"));
    LabelAppearanceStore store(m_settings, logoPath());
    EXPECT_EQ(store.fontChoice(), LabelFontChoice::palatino);
    EXPECT_EQ(store.colorMode(), LabelColorMode::blackAndWhite);
    EXPECT_EQ(store.style(), LabelVariant::bold);

    m_settings.setString(QStringLiteral("label_color_mode"), QStringLiteral("Grayscale"));
    m_settings.setString(QStringLiteral("label_style"), QStringLiteral("Minimal"));
    LabelAppearanceStore again(m_settings, logoPath());
    EXPECT_EQ(again.colorMode(), LabelColorMode::grayscale);
    EXPECT_EQ(again.style(), LabelVariant::minimal);
}

TEST_F(LabelAppearanceStoreTest, EverySetWritesItsKeyButOnlyChangesNotify)
{
    LabelAppearanceStore store(m_settings, logoPath());
    QSignalSpy fontSpy(&store, &LabelAppearanceStore::fontChoiceChanged);
    QSignalSpy styleSpy(&store, &LabelAppearanceStore::styleChanged);

    store.setFontChoice(LabelFontChoice::system); // the current value
    EXPECT_EQ(m_settings.stringValue(QStringLiteral("label_font_choice")), QStringLiteral("Default"));
    EXPECT_EQ(fontSpy.count(), 0);

    store.setFontChoice(LabelFontChoice::courier);
    store.setStyle(LabelVariant::minimal);
    store.setColorMode(LabelColorMode::color);
    EXPECT_EQ(fontSpy.count(), 1);
    EXPECT_EQ(styleSpy.count(), 1);
    EXPECT_EQ(m_settings.stringValue(QStringLiteral("label_font_choice")), QStringLiteral("Courier"));
    EXPECT_EQ(m_settings.stringValue(QStringLiteral("label_style")), QStringLiteral("Minimal"));
    EXPECT_EQ(m_settings.stringValue(QStringLiteral("label_color_mode")), QStringLiteral("Color"));

    const LabelAppearance look = store.appearance();
    EXPECT_EQ(look.fontChoice, LabelFontChoice::courier);
    EXPECT_EQ(look.colorMode, LabelColorMode::color);
}

TEST_F(LabelAppearanceStoreTest, AChangeInOneStoreReachesTheNextLabelDrawnThroughAnother)
{
    LabelAppearanceStore printPath(m_settings, logoPath());
    LabelAppearanceStore settingsScreen(m_settings, logoPath());
    QSignalSpy fontSpy(&printPath, &LabelAppearanceStore::fontChoiceChanged);
    QSignalSpy logoSpy(&printPath, &LabelAppearanceStore::logoImageChanged);

    settingsScreen.setFontChoice(LabelFontChoice::georgia);
    settingsScreen.setColorMode(LabelColorMode::grayscale);
    settingsScreen.setLogo(writeImage(QStringLiteral("shop.png"), 100, 50));

    EXPECT_EQ(fontSpy.count(), 1);
    EXPECT_EQ(logoSpy.count(), 1);
    const IndividualLabelView label(QStringLiteral("buyer"), QStringLiteral("5"), 1, 1, std::nullopt,
                                    QString(), LabelVariant::bold, 162, 90, false, printPath.appearance(),
                                    0.75);
    const auto layout = label.layout();
    EXPECT_EQ(layout.element(QStringLiteral("buyer"))->font.family(),
              FontResolver::family(LabelFontChoice::georgia));
    EXPECT_TRUE(layout.contains(QStringLiteral("logo")));
    EXPECT_EQ(printPath.colorMode(), LabelColorMode::grayscale);

    settingsScreen.removeLogo();
    EXPECT_FALSE(printPath.logoImage());
}

TEST_F(LabelAppearanceStoreTest, SharedStoreIsOneInstanceThatSettingsScreensKeepCurrent)
{
    quill::testing::TemporarySettings installed;
    LabelAppearanceStore &shared = LabelAppearanceStore::shared();
    EXPECT_EQ(&shared, &LabelAppearanceStore::shared());
    {
        LabelAppearanceStore screen;
        const LabelVariant other =
            shared.style() == LabelVariant::classic ? LabelVariant::minimal : LabelVariant::classic;
        screen.setStyle(other);
        EXPECT_EQ(shared.style(), other);
    }
}

TEST_F(LabelAppearanceStoreTest, SharedStoreWritesToTheSettingsOfTheMomentNotToOnesThatWent)
{
    {
        quill::testing::TemporarySettings first(QStringLiteral("first.ini"));
        LabelAppearanceStore::shared().setColorMode(LabelColorMode::grayscale);
        EXPECT_EQ(first->stringValue(LabelAppearanceStore::colorModeKey), QStringLiteral("Grayscale"));
    }
    // The first settings store is gone; writes go to the one installed now.
    quill::testing::TemporarySettings second(QStringLiteral("second.ini"));
    LabelAppearanceStore::shared().setColorMode(LabelColorMode::color);
    EXPECT_EQ(second->stringValue(LabelAppearanceStore::colorModeKey), QStringLiteral("Color"));
}

TEST_F(LabelAppearanceStoreTest, LogoIsShrunkToAtMost256AndNeverEnlarged)
{
    LabelAppearanceStore store(m_settings, logoPath());
    store.setLogo(writeImage(QStringLiteral("big.png"), 1024, 512));
    ASSERT_TRUE(store.logoImage());
    EXPECT_EQ(store.logoImage()->size(), QSize(256, 128));
    EXPECT_EQ(QImage(logoPath()).size(), QSize(256, 128));

    store.setLogo(writeImage(QStringLiteral("small.png"), 100, 50));
    EXPECT_EQ(store.logoImage()->size(), QSize(100, 50));

    // A store made later finds the logo in its file.
    LabelAppearanceStore later(m_settings, logoPath());
    ASSERT_TRUE(later.logoImage());
    EXPECT_EQ(later.logoImage()->size(), QSize(100, 50));
}

TEST_F(LabelAppearanceStoreTest, ALogoThatCannotBeReadOrSavedLeavesThePreviousOne)
{
    LabelAppearanceStore store(m_settings, logoPath());
    store.setLogo(writeImage(QStringLiteral("first.png"), 100, 50));
    const QByteArray before = [&] {
        QFile file(logoPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }();

    const QString notAnImage = m_dir.filePath(QStringLiteral("notes.png"));
    QFile garbage(notAnImage);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a picture");
    garbage.close();
    EXPECT_THROW(store.setLogo(notAnImage), LabelAppearanceError);
    EXPECT_THROW(store.setLogo(m_dir.filePath(QStringLiteral("missing.png"))), LabelAppearanceError);
    EXPECT_EQ(store.logoImage()->size(), QSize(100, 50));

    // A logo file whose folder cannot exist (its parent is a plain file).
    const QString blocked = m_dir.filePath(QStringLiteral("plain-file"));
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LabelAppearanceStore unwritable(m_settings, blocked + QStringLiteral("/logo.png"));
    try {
        unwritable.setLogo(writeImage(QStringLiteral("second.png"), 60, 60));
        ADD_FAILURE() << "saving the logo should have failed";
    } catch (const LabelAppearanceError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("could not be saved"))) << error.what();
    }
    EXPECT_FALSE(unwritable.logoImage());

    QFile after(logoPath());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

TEST_F(LabelAppearanceStoreTest, RemovingTheLogoClearsItAndFailsLoudlyWhenTheFileStays)
{
    LabelAppearanceStore store(m_settings, logoPath());
    store.removeLogo(); // no file: fine
    EXPECT_FALSE(store.logoImage());

    store.setLogo(writeImage(QStringLiteral("shop.png"), 80, 40));
    store.removeLogo();
    EXPECT_FALSE(store.logoImage());
    EXPECT_FALSE(QFile::exists(logoPath()));

    // A "logo file" that cannot be deleted (here a folder with something in it).
    const QString stubborn = m_dir.filePath(QStringLiteral("stubborn/logo.png"));
    ASSERT_TRUE(QDir().mkpath(stubborn + QStringLiteral("/inside")));
    LabelAppearanceStore other(m_settings, stubborn);
    EXPECT_THROW(other.removeLogo(), LabelAppearanceError);
}
