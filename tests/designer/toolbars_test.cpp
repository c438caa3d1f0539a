// The element and canvas toolbars wired to a designer state, a print adapter on a fake
// printer list and a print service: zoom text and limits, the Ctrl+D action, the
// preselected printer, enabled states, tooltips and a failed print's message.
#include "designer/label_designer_state.h"
#include "designer_fixtures.h"
#include "eventually.h"
#include "figure_faces.h"
#include "print_services_fixture.h"
#include "printing/print_service.h"
#include "shown_text.h"
#include "ui/designer/canvas_toolbar.h"
#include "ui/designer/element_toolbar.h"
#include "ui/widgets/sideways_scroll_area.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

class Toolbars : public ::testing::Test, protected PrintServicesFixture
{
protected:
    void SetUp() override { m_state = std::make_unique<LabelDesignerState>(blankTemplate()); }

    std::unique_ptr<LabelDesignerState> m_state;
};

} // namespace

TEST_F(Toolbars, ZoomStepsShowTruncatedPercentagesAndKeepTheLimits)
{
    CanvasToolbar bar(*m_state, *adapter, *service);
    const struct
    {
        double start;
        QToolButton *button;
        double expected;
        const char *text;
    } cases[] = {
        {1.1, bar.zoomInButton(), 1.35, "135%"}, {0.29, nullptr, 0.29, "28%"},
        {4.0, bar.zoomInButton(), 4.0, "400%"},  {0.25, bar.zoomOutButton(), 0.25, "25%"},
        {3.9, bar.zoomInButton(), 4.0, "400%"},  {2.3, bar.resetZoomButton(), 1.0, "100%"},
        {0.4, bar.zoomOutButton(), 0.25, "25%"},
    };
    for (const auto &c : cases) {
        m_state->setZoomScale(c.start);
        if (c.button)
            QTest::mouseClick(c.button, Qt::LeftButton);
        EXPECT_DOUBLE_EQ(m_state->zoomScale(), c.expected) << c.text;
        EXPECT_EQ(bar.zoomLabel()->text(), QLatin1String(c.text));
    }
}

TEST_F(Toolbars, TheZoomPercentageKeepsDigitsOfOneWidthInAFaceWhoseDigitsDiffer)
{
    const ProportionalFiguresFont inter;
    ASSERT_TRUE(ProportionalFiguresFont::inUse());
    CanvasToolbar bar(*m_state, *adapter, *service);
    bar.show();
    m_state->setZoomScale(1.11);
    ASSERT_EQ(bar.zoomLabel()->text(), QStringLiteral("111%"));
    EXPECT_TRUE(figureDigitsOneWidth(drawnTexts(*bar.zoomLabel()), QStringLiteral("111%")));
}

TEST_F(Toolbars, ElementToolbarShowsSelectionButtonsAndCtrlDOnlyWithASelection)
{
    QWidget window;
    auto *bar = new ElementToolbar(*m_state, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_FALSE(bar->duplicateButton()->isVisible());
    EXPECT_FALSE(bar->deleteButton()->isVisible());
    EXPECT_FALSE(bar->duplicateAction()->isEnabled());
    QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(m_state->labelTemplate().elements.isEmpty());
    EXPECT_TRUE(m_state->undoStack().isEmpty()) << "Ctrl+D with nothing selected does nothing";

    QTest::mouseClick(bar->textButton(), Qt::LeftButton);
    ASSERT_EQ(m_state->labelTemplate().elements.size(), 1);
    EXPECT_TRUE(bar->duplicateButton()->isVisible());
    EXPECT_EQ(bar->duplicateButton()->toolTip(), QStringLiteral("Duplicate"));
    EXPECT_EQ(bar->deleteButton()->toolTip(), QStringLiteral("Delete"));
    QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(m_state->labelTemplate().elements.size(), 2);
    EXPECT_EQ(m_state->selectedElementId(), m_state->labelTemplate().elements.last().id)
        << "the copy is selected";

    QTest::mouseClick(bar->deleteButton(), Qt::LeftButton);
    EXPECT_EQ(m_state->labelTemplate().elements.size(), 1);
    EXPECT_FALSE(bar->duplicateButton()->isVisible());
    EXPECT_FALSE(bar->duplicateAction()->isEnabled());

    QTest::mouseClick(bar->qrCodeButton(), Qt::LeftButton);
    QTest::mouseClick(bar->imageButton(), Qt::LeftButton);
    EXPECT_TRUE(std::holds_alternative<ImageProperties>(m_state->labelTemplate().elements.last().kind));
    // Undo removing the selected element hides the buttons again.
    m_state->undo();
    EXPECT_FALSE(bar->deleteButton()->isVisible());
}

TEST_F(Toolbars, FirstPrinterIsChosenOnFirstShowOnly)
{
    listPrinters({QStringLiteral("Label_Printer_00A1B2"), QStringLiteral("Office Printer 3F9A 2")});
    CanvasToolbar bar(*m_state, *adapter, *service);
    EXPECT_FALSE(bar.controller().selectedPrinter());
    bar.show();
    EXPECT_EQ(bar.controller().selectedPrinter(), QStringLiteral("Label_Printer_00A1B2"));
    EXPECT_EQ(bar.printerPicker()->currentText(), QStringLiteral("Label Printer"));
    EXPECT_EQ(bar.printerPicker()->itemText(0), QStringLiteral("Select Printer"));
    EXPECT_EQ(bar.printerPicker()->itemText(2), QStringLiteral("Office Printer"));

    bar.printerPicker()->activated(0);
    bar.printerPicker()->setCurrentIndex(0);
    EXPECT_FALSE(bar.controller().selectedPrinter());
    bar.hide();
    bar.show();
    EXPECT_FALSE(bar.controller().selectedPrinter()) << "a second show chooses nothing";
    bar.printerPicker()->activated(2);
    EXPECT_EQ(bar.controller().selectedPrinter(), QStringLiteral("Office Printer 3F9A 2"));

    // A printer that leaves the list stays chosen.
    listPrinters({QStringLiteral("Label_Printer_00A1B2")});
    EXPECT_EQ(bar.controller().selectedPrinter(), QStringLiteral("Office Printer 3F9A 2"));
}

TEST_F(Toolbars, PrintButtonsStatesAndTooltips)
{
    CanvasToolbar bar(*m_state, *adapter, *service);
    bar.show();
    EXPECT_FALSE(bar.printerPicker()->isVisible()) << "no printers, no picker";
    EXPECT_FALSE(bar.testPrintButton()->isEnabled());
    EXPECT_FALSE(bar.calibrateButton()->isEnabled());
    EXPECT_EQ(bar.testPrintButton()->toolTip(), QStringLiteral("Select a printer first"));
    EXPECT_FALSE(bar.undoButton()->isEnabled());
    EXPECT_FALSE(bar.undoAction()->isEnabled());
    EXPECT_FALSE(bar.redoAction()->isEnabled());

    listPrinters({QStringLiteral("TestLabel")});
    bar.controller().setSelectedPrinter(QStringLiteral("TestLabel"));
    EXPECT_TRUE(bar.printerPicker()->isVisible());
    EXPECT_EQ(bar.testPrintButton()->toolTip(), QStringLiteral("Print with test data"));
    EXPECT_FALSE(bar.testPrintButton()->isEnabled()) << "a template without elements";
    EXPECT_TRUE(bar.calibrateButton()->isEnabled());

    m_state->addTextElement();
    EXPECT_TRUE(bar.testPrintButton()->isEnabled());
    EXPECT_TRUE(bar.undoAction()->isEnabled());
    bar.undoAction()->trigger();
    EXPECT_TRUE(m_state->labelTemplate().elements.isEmpty());
    EXPECT_TRUE(bar.redoButton()->isEnabled());
    QTest::mouseClick(bar.redoButton(), Qt::LeftButton);
    EXPECT_EQ(m_state->labelTemplate().elements.size(), 1);

    QTest::mouseClick(bar.gridButton(), Qt::LeftButton);
    EXPECT_FALSE(m_state->showGrid());
    m_state->setSnapToGuides(false);
    EXPECT_FALSE(bar.guidesButton()->isChecked());
}

TEST_F(Toolbars, AFailedCalibrationShowsItsOwnMessageUntilTheNextPrint)
{
    listPrinters({QStringLiteral("TestLabel")});
    CanvasToolbar bar(*m_state, *adapter, *service);
    bar.show();
    runner.hold = true;
    QTest::mouseClick(bar.calibrateButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return runner.held > 0; }));
    EXPECT_TRUE(bar.controller().isPrinting());
    EXPECT_FALSE(bar.calibrateButton()->isEnabled());
    EXPECT_FALSE(bar.testPrintButton()->isEnabled());
    runner.gate->open();
    ASSERT_TRUE(eventually([&] { return !bar.controller().isPrinting(); }));
    EXPECT_EQ(bar.controller().lastFailure(), *service->lastError());
    EXPECT_EQ(shownText(bar.failureLabel()->toolTip()), *service->lastError());
    EXPECT_TRUE(bar.calibrateButton()->isEnabled());

    runner.gate = std::make_unique<Gate>();
    QTest::mouseClick(bar.calibrateButton(), Qt::LeftButton);
    EXPECT_TRUE(bar.controller().isPrinting());
    EXPECT_TRUE(bar.failureLabel()->toolTip().isEmpty()) << "cleared when the next print starts";
    runner.gate->open();
    ASSERT_TRUE(eventually([&] { return !bar.controller().isPrinting(); }));
}

// A print that throws instead of answering (an allocation deep in the drawing, say) ends
// the printing state and leaves a failure to read, so the buttons work again.
TEST_F(Toolbars, APrintThatThrowsEndsThePrintingStateWithAFailure)
{
    listPrinters({QStringLiteral("TestLabel")});
    Gate gate;
    CanvasToolbarController::Prints prints;
    prints.testPrint = [&gate](QString, LabelTemplate, TemplateVariables) -> QCoro::Task<PrintResult> {
        co_await gate.wait();
        throw std::bad_alloc();
    };
    prints.calibration = [](QString, LabelMedia, Orientation) -> QCoro::Task<PrintResult> {
        throw Error(QStringLiteral("The label could not be drawn."));
        co_return PrintResult::succeeded();
    };
    CanvasToolbarController controller(*m_state, *adapter, prints);
    controller.setSelectedPrinter(QStringLiteral("TestLabel"));
    m_state->addTextElement();
    QSignalSpy changed(&controller, &CanvasToolbarController::printingChanged);

    controller.testPrint();
    EXPECT_TRUE(controller.isPrinting());
    gate.open();
    ASSERT_TRUE(eventually([&] { return !controller.isPrinting(); }));
    EXPECT_EQ(controller.lastFailure(), QStringLiteral("The print failed."));
    EXPECT_TRUE(controller.canTestPrint());
    EXPECT_EQ(changed.size(), 2) << "once as it starts, once as it ends";

    controller.calibrate();
    EXPECT_FALSE(controller.isPrinting());
    EXPECT_EQ(controller.lastFailure(), QStringLiteral("The label could not be drawn."));
    EXPECT_TRUE(controller.canCalibrate());
}

TEST_F(Toolbars, ANarrowCanvasBarDropsTheWordsInsteadOfSqueezingTheButtons)
{
    // A bar inside a window, as the canvas column holds it, sized by its parent.
    QWidget window;
    window.resize(1500, 60);
    CanvasToolbar bar(*m_state, *adapter, *service, &window);
    bar.resize(1400, 40);
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.gridButton()->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    EXPECT_EQ(bar.calibrateButton()->text(), QStringLiteral("Calibrate"));
    // What the row needs with its words; the bar itself scrolls what does not fit.
    const QWidget &row = *bar.scrollArea()->widget();
    const int fullWidth = row.minimumSizeHint().width();

    bar.resize(fullWidth - 100, 40);
    QCoreApplication::processEvents();
    for (QToolButton *button : {bar.gridButton(), bar.snapButton(), bar.guidesButton(), bar.undoButton()})
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_TRUE(bar.calibrateButton()->text().isEmpty());
    EXPECT_FALSE(bar.calibrateButton()->toolTip().isEmpty());
    EXPECT_LE(row.minimumSizeHint().width(), fullWidth - 100);

    bar.resize(fullWidth, 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.gridButton()->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
}

TEST(CanvasToolbarController, CalibrationMediumPerShape)
{
    const struct
    {
        LabelShape shape;
        double width, height;
        bool circular;
    } cases[] = {
        {LabelShape::circle, 1.5, 1.5, true},
        {LabelShape::square, 1.5, 1.5, false},
        {LabelShape::oval, 2, 1.5, false},
        {LabelShape::rectangle, 2, 1.5, false},
        {LabelShape::roundedRectangle, 2, 1.5, false},
    };
    for (const auto &c : cases) {
        LabelTemplate t = blankTemplate();
        t.labelSize = LabelSize{2, 1.5};
        t.labelShape = c.shape;
        const LabelMedia media = CanvasToolbarController::calibrationMedium(t);
        EXPECT_EQ(media.id, QStringLiteral("calibration"));
        EXPECT_DOUBLE_EQ(media.widthInches, c.width) << rawValue(c.shape).toStdString();
        EXPECT_DOUBLE_EQ(media.heightInches, c.height);
        EXPECT_EQ(media.isCircular, c.circular);
        EXPECT_FALSE(media.name.has_value());
    }
    const TemplateVariables v = CanvasToolbarController::testPrintVariables();
    EXPECT_EQ(v.price, QStringLiteral("$7.99"));
    EXPECT_EQ(v.auctionNumber, QStringLiteral("#86"));
    EXPECT_EQ(v.boxNumber, QStringLiteral("2"));
    EXPECT_TRUE(v.date.isEmpty());
}

TEST_F(Toolbars, APrinterFailureHoldingMarkupIsShownAsWritten)
{
    // The failure names the queue, whose name is the printer's own.
    const QString queue =
        QStringLiteral("Zebra<img src=\"file:///usr/share/pixmaps/debian-logo.png\" width=\"900\">"
                       "<a href=\"https://example.com/\">fix</a>");
    listPrinters({queue});
    CanvasToolbar bar(*m_state, *adapter, *service);
    bar.resize(1400, bar.sizeHint().height());
    bar.show();
    runner.hold = true;
    QTest::mouseClick(bar.calibrateButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return runner.held > 0; }));
    runner.gate->open();
    ASSERT_TRUE(eventually([&] { return !bar.controller().isPrinting(); }));
    const QString failure = bar.controller().lastFailure();
    ASSERT_TRUE(failure.contains(queue)) << failure.toStdString();
    const QString shown = shownText(*bar.failureLabel());
    EXPECT_TRUE(failure.startsWith(shown.endsWith(QChar(0x2026)) ? shown.chopped(1) : shown))
        << "the row shows the words, shortened, not a picture and a link: " << shown.toStdString();
    EXPECT_EQ(shownText(bar.failureLabel()->toolTip()), failure);
}
