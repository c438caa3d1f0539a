// The printer name a seller reads, and which printer the tray popover names.
#include "common/settings.h"
#include "printing/label_section_state.h"
#include "printing/printer_info.h"
#include "temporary_settings.h"
#include "ui/app/menu_bar_popover_controller.h"

#include <gtest/gtest.h>

namespace quill::testing {
namespace {

TEST(PrinterDisplayName, ShortensQueueNames)
{
    const struct
    {
        const char *queue;
        const char *shown;
    } cases[] = {
        {"Label_Printer_7F3A9C", "Label Printer"},
        {"Label Printer 7F3A9C 2", "Label Printer"},
        {"Office Printer 2024", "Office Printer"},          // decimal digits are hexadecimal too
        {"Office_Printer_7f3a9c", "Office Printer 7f3a9c"}, // lower case is no serial
        {"Desk ABC", "Desk ABC"},                           // fewer than four characters
        {"Zebra\tABCD", "Zebra"},
        {"_Zebra_", "Zebra"},
        {"ZPL", "ZPL"},
        {"Label_Printer_7F3A9C_X", "Label Printer 7F3A9C X"}, // the serial must end the name
        // Names the rule would leave empty are shown as the queue.
        {"_ABCD", "_ABCD"},
        {"___", "___"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(printerDisplayName(QString::fromUtf8(c.queue)), QString::fromUtf8(c.shown)) << c.queue;
}

class PopoverPrinterChoice : public ::testing::Test
{
protected:
    void savePrinter(LabelType type, const QString &queue)
    {
        LabelSectionState state = LabelSectionState::load(labelSectionIndex(type), *m_settings);
        state.selectedPrinter = queue;
        ASSERT_FALSE(state.save(labelSectionIndex(type), *m_settings).has_value());
    }
    static PrinterInfo printer(const QString &name, bool online)
    {
        PrinterInfo info;
        info.name = name;
        info.isOnline = online;
        return info;
    }

    TemporarySettings m_settings;
};

TEST_F(PopoverPrinterChoice, TheLabelsPrinterOfTheMode)
{
    const QList<PrinterInfo> printers{printer(QStringLiteral("Office_Laser"), true),
                                      printer(QStringLiteral("Winner_Zebra_7F3A"), true),
                                      printer(QStringLiteral("Box_Zebra"), false)};
    // Nothing saved: no printer, whatever the list holds.
    EXPECT_EQ(MenuBarPopoverController::labelPrinter(printers, LabelMode::both, *m_settings), std::nullopt);

    savePrinter(LabelType::individual, QStringLiteral("Winner_Zebra_7F3A"));
    savePrinter(LabelType::box, QStringLiteral("Box_Zebra"));
    const PopoverPrinter winner{QStringLiteral("Winner_Zebra_7F3A"), QStringLiteral("Winner Zebra"), true, {}};
    const PopoverPrinter box{QStringLiteral("Box_Zebra"), QStringLiteral("Box Zebra"), false, {}};
    EXPECT_EQ(MenuBarPopoverController::labelPrinter(printers, LabelMode::realtime, *m_settings), winner);
    EXPECT_EQ(MenuBarPopoverController::labelPrinter(printers, LabelMode::both, *m_settings), winner);
    // Only box labels print: their printer is the one that matters.
    EXPECT_EQ(MenuBarPopoverController::labelPrinter(printers, LabelMode::grouped, *m_settings), box);
}

TEST_F(PopoverPrinterChoice, ASavedPrinterMissingFromTheListIsOffline)
{
    savePrinter(LabelType::individual, QStringLiteral("Gone_Printer"));
    const auto shown = MenuBarPopoverController::labelPrinter({printer(QStringLiteral("Other"), true)},
                                                              LabelMode::realtime, *m_settings);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->queue, QStringLiteral("Gone_Printer"));
    EXPECT_FALSE(shown->isOnline);
    EXPECT_EQ(MenuBarPopoverController::labelPrinter({}, LabelMode::realtime, *m_settings)->isOnline, false);
}

} // namespace
} // namespace quill::testing
