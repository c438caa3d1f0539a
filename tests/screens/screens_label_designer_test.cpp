// The label designer: the empty state, a 2.25 × 1.25 in template with text, image and QR
// code on the grid with one selected, a circle label during a drag with its guides, and
// the properties panel for each kind and for the template.
#include "designer/label_designer_state.h"
#include "designer/template_store.h"
#include "designer_fixtures.h"
#include "print_services_fixture.h"
#include "screen_capture.h"
#include "ui/designer/canvas_container.h"
#include "ui/designer/design_canvas.h"
#include "ui/designer/label_designer_view.h"
#include "ui/designer/properties_panel.h"
#include "ui/designer/template_list_panel.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace quill::testing {
namespace {

QByteArray samplePicture()
{
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(QColor(0x2E, 0x86, 0xC1));
    QPainter painter(&picture);
    painter.fillRect(QRect(10, 10, 50, 60), QColor(0xF5, 0xB0, 0x41));
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

LabelTemplate shelfTag()
{
    LabelTemplate t = blankTemplate(QStringLiteral("Shelf tag"));
    LabelElement text = textElement(8, 8, 0);
    auto &properties = std::get<TextProperties>(text.kind);
    properties.content = QStringLiteral("{{username}} · {{price}}");
    properties.isVariable = true;
    properties.fontWeight = FontWeightValue::bold;
    text.frame = ElementFrame{8, 8, 96, 22};
    const LabelElement image{QUuid::createUuid(),
                             ImageProperties{samplePicture(), ObjectFitValue::contain},
                             ElementFrame{8, 36, 60, 48},
                             0,
                             false,
                             1};
    const LabelElement qr{QUuid::createUuid(),
                          QRCodeProperties{QStringLiteral("https://example.com/{{auctionNumber}}"),
                                           QRCorrectionLevel::medium, true},
                          ElementFrame{110, 14, 48, 48},
                          0,
                          false,
                          2};
    t.elements = {text, image, qr};
    return t;
}

// The seller scrolls the label into the middle of the viewport.
void centreLabel(CanvasContainer &container)
{
    QScrollArea *area = container.scrollArea();
    const QRect label = container.canvas()->geometry();
    area->horizontalScrollBar()->setValue(label.center().x() - area->viewport()->width() / 2);
    area->verticalScrollBar()->setValue(label.center().y() - area->viewport()->height() / 2);
}

TEST(ScreensLabelDesigner, EmptyStateTemplateDragAndPropertyPanels)
{
    applyAppLook(*qApp);
    PrintServicesFixture services;
    services.listPrinters({QStringLiteral("Label_Printer_00A1B2")});
    QTemporaryDir dir;
    TemplateStore store(dir.path());
    const LabelTemplate tag = shelfTag();
    store.save(tag);

    LabelDesignerView view(store, *services.adapter, *services.service, {60'000, {}});
    const QSize size(1200, 720);
    QImage empty = test::captureScreen(view, size, QStringLiteral("label_designer_empty"));
    EXPECT_TRUE(view.emptyState()->isVisible());
    EXPECT_EQ(empty.size(), size);

    view.controller().openTemplate(store.templates().first());
    LabelDesignerState &state = *view.controller().designerState();
    state.setZoomScale(2);
    state.setSelectedElementId(tag.elements.at(2).id);
    view.resize(size);
    QApplication::processEvents();
    centreLabel(*view.canvasContainer());
    const QImage withTemplate = test::captureScreen(view, size, QStringLiteral("label_designer_template"));
    // The label is white somewhere inside the canvas column.
    DesignCanvas *canvas = view.canvasContainer()->canvas();
    EXPECT_EQ(canvas->size(), QSize(324, 180));
    const QPoint inside = canvas->mapTo(&view, QPoint(300, 170));
    EXPECT_EQ(withTemplate.pixelColor(inside * withTemplate.devicePixelRatio()), QColor(Qt::white));

    const QList<std::pair<int, QString>> panels{{0, QStringLiteral("label_designer_properties_text")},
                                                {1, QStringLiteral("label_designer_properties_image")},
                                                {2, QStringLiteral("label_designer_properties_qr")}};
    for (const auto &[index, name] : panels) {
        state.setSelectedElementId(tag.elements.at(index).id);
        QApplication::processEvents();
        test::saveScreen(view.propertiesPanel()->grab().toImage(), name);
    }
    state.setSelectedElementId(std::nullopt);
    QApplication::processEvents();
    test::saveScreen(view.propertiesPanel()->grab().toImage(),
                     QStringLiteral("label_designer_properties_template"));

    // A circle label mid-drag: the QR code's left edge on the text's.
    LabelTemplate circle = tag;
    circle.id = QUuid::createUuid();
    circle.name = QStringLiteral("Round sticker");
    circle.labelShape = LabelShape::circle;
    circle.labelSize = LabelSize{2.5, 2.5};
    circle.elements[0].frame = ElementFrame{40, 60, 100, 22};
    circle.elements[1].frame = ElementFrame{60, 100, 60, 48};
    circle.elements[2].frame = ElementFrame{110, 20, 48, 48};
    view.controller().openTemplate(circle);
    LabelDesignerState &circleState = *view.controller().designerState();
    circleState.setZoomScale(1.5);
    QApplication::processEvents();
    centreLabel(*view.canvasContainer());
    DesignCanvas *circleCanvas = view.canvasContainer()->canvas();
    const auto at = [&](double x, double y) { return QPoint(qRound(x * 1.5), qRound(y * 1.5)); };
    QTest::mousePress(circleCanvas, Qt::LeftButton, {}, at(130, 40));
    QTest::mouseMove(circleCanvas, at(100, 60));
    QTest::mouseMove(circleCanvas, at(61, 60));
    EXPECT_FALSE(circleState.activeGuides().isEmpty());
    test::captureScreen(view, size, QStringLiteral("label_designer_circle_drag"));
    QTest::mouseRelease(circleCanvas, Qt::LeftButton, {}, at(61, 60));
    EXPECT_TRUE(circleState.activeGuides().isEmpty());
}

} // namespace
} // namespace quill::testing
