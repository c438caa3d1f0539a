// The per-label-type print settings over a private user-defaults file.
#include "common/settings.h"
#include "printing/custom_media_store.h"
#include "printing/label_section_state.h"
#include "temporary_settings.h"


#include <gtest/gtest.h>

using namespace quill;
using quill::testing::TemporarySettings;

namespace {

class LabelSectionStateTest : public ::testing::Test
{
protected:
    void SetUp() override { m_media = std::make_unique<CustomMediaStore>(*m_settings); }

    TemporarySettings m_settings;
    std::unique_ptr<CustomMediaStore> m_media;
};

} // namespace

TEST_F(LabelSectionStateTest, DefaultsPerKind)
{
    for (int type : {0, 1}) {
        const LabelSectionState state = LabelSectionState::load(type, *m_settings);
        EXPECT_EQ(state.selectedStyle, LabelVariant::bold);
        EXPECT_EQ(state.selectedPrinter, std::nullopt);
        EXPECT_FALSE(state.isPrinting);
        EXPECT_EQ(state.selectedMedia, LabelMedia::rect1x2());
        EXPECT_EQ(state.selectedOrientation, Orientation::landscape);
    }
    const LabelSectionState slip = LabelSectionState::load(2, *m_settings);
    EXPECT_EQ(slip.selectedMedia, LabelMedia::letter());
    EXPECT_EQ(slip.selectedOrientation, Orientation::portrait);
    EXPECT_EQ(LabelSectionState::load(5, *m_settings), slip);
}

TEST_F(LabelSectionStateTest, SaveThenLoadGivesTheSameStateWithoutTheBusyFlag)
{
    m_media->add({QStringLiteral("jar"), 3, 3, true, QStringLiteral("Jar lid")});
    LabelSectionState state;
    state.selectedStyle = LabelVariant::minimal;
    state.selectedPrinter = QStringLiteral("Zebra_GK420d");
    state.isPrinting = true;
    state.selectedMedia = *LabelMedia::find(QStringLiteral("jar"), m_media->items());
    state.selectedOrientation = Orientation::portrait;
    state.save(0, *m_settings);

    EXPECT_EQ(m_settings->stringValue(QStringLiteral("label_individual_style")), QStringLiteral("Minimal"));
    EXPECT_EQ(m_settings->stringValue(QStringLiteral("label_individual_paperSize")), QStringLiteral("jar"));
    EXPECT_EQ(m_settings->stringValue(QStringLiteral("label_individual_orientation")), QStringLiteral("Portrait"));
    EXPECT_EQ(m_settings->stringValue(QStringLiteral("label_individual_printer")), QStringLiteral("Zebra_GK420d"));

    LabelSectionState expected = state;
    expected.isPrinting = false;
    EXPECT_EQ(LabelSectionState::load(0, *m_settings), expected);
    // The other kinds keep their own settings.
    EXPECT_EQ(LabelSectionState::load(1, *m_settings), LabelSectionState::defaults(1));
}

TEST_F(LabelSectionStateTest, SavingWithoutPrinterRemovesTheKey)
{
    LabelSectionState state = LabelSectionState::defaults(1);
    state.selectedPrinter = QStringLiteral("TestLabel");
    state.save(1, *m_settings);
    state.selectedPrinter.reset();
    state.save(1, *m_settings);
    EXPECT_FALSE(m_settings->contains(QStringLiteral("label_box_printer")));
    EXPECT_EQ(LabelSectionState::load(1, *m_settings).selectedPrinter, std::nullopt);
}

TEST_F(LabelSectionStateTest, UnknownStoredValuesKeepTheirDefaultOnly)
{
    m_settings->setString(QStringLiteral("label_grouped_style"), QStringLiteral("minimal"));
    m_settings->setString(QStringLiteral("label_grouped_paperSize"), QStringLiteral("deleted-medium"));
    m_settings->setString(QStringLiteral("label_grouped_orientation"), QStringLiteral("Landscape"));
    m_settings->setString(QStringLiteral("label_grouped_printer"), QStringLiteral("Office"));

    const LabelSectionState state = LabelSectionState::load(7, *m_settings);
    EXPECT_EQ(state.selectedStyle, LabelVariant::bold);
    EXPECT_EQ(state.selectedMedia, LabelMedia::letter());
    EXPECT_EQ(state.selectedOrientation, Orientation::landscape);
    EXPECT_EQ(state.selectedPrinter, QStringLiteral("Office"));

    m_settings->setString(QStringLiteral("label_grouped_style"), QStringLiteral("Classic"));
    m_settings->setString(QStringLiteral("label_grouped_orientation"), QStringLiteral("sideways"));
    m_settings->setString(QStringLiteral("label_grouped_printer"), QString());
    const LabelSectionState second = LabelSectionState::load(2, *m_settings);
    EXPECT_EQ(second.selectedStyle, LabelVariant::classic);
    EXPECT_EQ(second.selectedOrientation, Orientation::portrait);
    EXPECT_EQ(second.selectedPrinter, std::nullopt);
}

TEST_F(LabelSectionStateTest, ADeletedCustomMediumFallsBackToTheDefault)
{
    m_media->add({QStringLiteral("bag"), 4, 3, false, std::nullopt});
    LabelSectionState state = LabelSectionState::defaults(0);
    state.selectedMedia = m_media->items().first();
    state.save(0, *m_settings);
    EXPECT_EQ(LabelSectionState::load(0, *m_settings).selectedMedia.id, QStringLiteral("bag"));

    m_media->remove(QStringLiteral("bag"));
    EXPECT_EQ(LabelSectionState::load(0, *m_settings).selectedMedia, LabelMedia::rect1x2());
    EXPECT_EQ(m_settings->stringValue(QStringLiteral("label_individual_paperSize")), QStringLiteral("bag"));
}
