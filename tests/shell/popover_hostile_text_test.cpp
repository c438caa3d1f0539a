// Names from outside in the tray popover are shown as written, never read as markup.
#include "application_shell_fixture.h"
#include "printing/printer_info.h"
#include "shown_text.h"
#include "ui/app/menu_bar_popover.h"
#include "ui/app/menu_bar_popover_controller.h"

#include <QLabel>

namespace quill::testing {
namespace {

class PopoverHostileText : public ApplicationShellFixture
{
};

TEST_F(PopoverHostileText, APrinterNameHoldingMarkupIsShownAsWritten)
{
    // The queue name is read back from the stored label settings.
    const QString queue = QStringLiteral("Zebra<img src=\"file:///usr/share/pixmaps/debian-logo.png\" "
                                         "width=\"900\"><a href=\"https://example.com/\">Fix</a>");
    ASSERT_NO_FATAL_FAILURE(saveLabelPrinters(queue));
    AppState &app = makeAppState();
    MenuBarPopover popover(app);
    popover.show();

    const QString displayName = printerDisplayName(queue);
    const QLabel *name = nullptr;
    for (const QLabel *label : popover.findChildren<QLabel *>())
        if (label->isVisibleTo(&popover) && label->text() == displayName)
            name = label;
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(shownText(*name), displayName);
    EXPECT_EQ(shownText(name->toolTip()), queue);
}

} // namespace
} // namespace quill::testing
