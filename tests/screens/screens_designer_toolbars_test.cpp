// The designer's canvas toolbar above its element toolbar: nothing selected, one
// element selected, and a Test Print running, then failed.
#include "designer/label_designer_state.h"
#include "eventually.h"
#include "held_runner.h"
#include "named_printers.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "run_sync.h"
#include "screen_capture.h"
#include "temporary_settings.h"
#include "ui/designer/canvas_toolbar.h"
#include "ui/designer/element_toolbar.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace quill::testing {
namespace {

TEST(ScreensDesignerToolbars, NothingSelectedOneSelectedAndPrinting)
{
    applyAppLook(*qApp);
    TemporarySettings settings;
    HeldRunner runner;
    auto catalog = std::make_shared<NamedPrinters>();
    catalog->names = {QStringLiteral("Label_Printer_00A1B2"), QStringLiteral("Office_Laser")};
    PrinterCalibrationStore calibration(*settings);
    LabelAppearanceStore appearance(*settings, QString());
    PrintKitAdapterSetup setup;
    setup.runner = &runner;
    setup.catalog = catalog;
    setup.calibration = &calibration;
    PrintKitAdapter adapter(std::move(setup));
    runSync(adapter.refreshPrinters());
    PrintService service(adapter, appearance);

    LabelTemplate t;
    t.id = QUuid::createUuid();
    t.name = QStringLiteral("Shelf tag");
    t.labelSize = LabelSize{2.25, 1.25};
    LabelDesignerState state(t);

    QWidget frame;
    fillBackground(&frame, appBackgroundColor());
    auto *column = new QVBoxLayout(&frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);
    auto *canvasBar = new CanvasToolbar(state, adapter, service, &frame);
    auto *elementBar = new ElementToolbar(state, &frame);
    column->addWidget(canvasBar);
    column->addWidget(elementBar);
    column->addStretch(1);

    const QSize size(1000, 90);
    test::captureScreen(frame, size, QStringLiteral("designer_toolbars_nothing_selected"));
    EXPECT_FALSE(elementBar->duplicateButton()->isVisible());
    EXPECT_EQ(canvasBar->controller().selectedPrinter(), QStringLiteral("Label_Printer_00A1B2"));
    EXPECT_FALSE(canvasBar->testPrintButton()->isEnabled());

    state.addQRCodeElement();
    test::captureScreen(frame, size, QStringLiteral("designer_toolbars_one_selected"));
    EXPECT_TRUE(elementBar->deleteButton()->isVisible());
    EXPECT_TRUE(canvasBar->testPrintButton()->isEnabled());
    EXPECT_EQ(canvasBar->zoomLabel()->text(), QStringLiteral("100%"));

    runner.hold = true;
    QTest::mouseClick(canvasBar->calibrateButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return runner.held > 0; }));
    test::captureScreen(frame, size, QStringLiteral("designer_toolbars_printing"));
    EXPECT_FALSE(canvasBar->calibrateButton()->isEnabled());

    runner.gate->open();
    ASSERT_TRUE(eventually([&] { return !canvasBar->controller().isPrinting(); }));
    const QSize wide(1300, 90);
    frame.resize(wide);
    QCoreApplication::processEvents(); // the message is fitted to the room the row leaves it
    test::captureScreen(frame, wide, QStringLiteral("designer_toolbars_print_failed"));
    EXPECT_FALSE(canvasBar->failureLabel()->text().isEmpty());
    EXPECT_EQ(frame.width(), wide.width()) << "a long message does not widen the bar";
}

} // namespace
} // namespace quill::testing
