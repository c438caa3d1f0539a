// The designer window over a store in a temporary folder: opening and saving, the
// timer, hiding, quitting, deletion of the open template and a failed save; pinch zoom;
// and the canvas's wiring offscreen: taps, drags, guides, locks, Delete and sizes.
#include "designer/label_designer_state.h"
#include "designer/template_store.h"
#include "designer_fixtures.h"
#include "eventually.h"
#include "fake_sleeper.h"
#include "print_services_fixture.h"
#include "ui/designer/canvas_container.h"
#include "ui/designer/design_canvas.h"
#include "ui/designer/label_designer_view.h"
#include "ui/designer/pinch_zoom.h"
#include "ui/designer/properties_panel.h"
#include "ui/designer/template_list_panel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

class DesignerWindow : public ::testing::Test, protected PrintServicesFixture
{
protected:
    QString fileOf(const LabelTemplate &t) const
    {
        return m_dir.path() + QLatin1Char('/') + m_store.fileNameFor(t.id);
    }

    QTemporaryDir m_dir;
    FakeClock m_clock{utc(2026, 3, 1, 10, 0, 0)};
    TemplateStore m_store{m_dir.path(), m_clock};
};

LabelTemplate twoElementTemplate()
{
    LabelTemplate t = blankTemplate(QStringLiteral("A"));
    t.elements = {textElement(10, 10, 0), textElement(60, 40, 1)};
    return t;
}

} // namespace

TEST_F(DesignerWindow, OpeningAnotherSavesTheFirstAndStartsFresh)
{
    LabelDesignerController controller(m_store);
    LabelTemplate a = twoElementTemplate();
    const LabelTemplate b = blankTemplate(QStringLiteral("B"));
    controller.openTemplate(a);
    LabelDesignerState *state = controller.designerState();
    ASSERT_NE(state, nullptr);
    state->setSelectedElementId(a.elements.first().id);
    state->saveUndoState();
    state->setSnapToGrid(false);
    state->setSnapToGuides(false);
    state->moveElement(a.elements.first().id, 33, 44);
    state->setZoomScale(2);

    controller.openTemplate(b);
    ASSERT_TRUE(QFile::exists(fileOf(a)));
    ASSERT_EQ(m_store.templates().size(), 1);
    EXPECT_EQ(m_store.templates().first().elements.first().frame.x, 33);
    state = controller.designerState();
    EXPECT_EQ(state->labelTemplate().id, b.id);
    EXPECT_EQ(state->zoomScale(), 1.0);
    EXPECT_FALSE(state->selectedElementId());
    EXPECT_TRUE(state->undoStack().isEmpty());
}

TEST_F(DesignerWindow, SavesOnTheTimerOnHideOnQuitAndWhenItGoes)
{
    const LabelTemplate t = blankTemplate(QStringLiteral("Timer"));
    {
        LabelDesignerController controller(m_store, 5);
        controller.openTemplate(t);
        EXPECT_FALSE(controller.saveTimer().isActive());
        controller.appear();
        EXPECT_TRUE(controller.saveTimer().isActive());
        ASSERT_TRUE(eventually([&] { return QFile::exists(fileOf(t)); }));

        // Unchanged, it is saved all the same, with a new time.
        const QDateTime first = m_store.templates().first().updatedAt;
        m_clock.advance(std::chrono::seconds(5));
        ASSERT_TRUE(eventually([&] { return m_store.templates().first().updatedAt > first; }));

        controller.disappear();
        EXPECT_FALSE(controller.saveTimer().isActive());
        controller.designerState()->setLabelTemplate([&] {
            LabelTemplate renamed = t;
            renamed.name = QStringLiteral("Quit");
            return renamed;
        }());
        QMetaObject::invokeMethod(qApp, "aboutToQuit");
        EXPECT_EQ(m_store.templates().first().name, QStringLiteral("Quit"));

        controller.designerState()->setLabelTemplate([&] {
            LabelTemplate renamed = t;
            renamed.name = QStringLiteral("Gone");
            return renamed;
        }());
    }
    EXPECT_EQ(m_store.templates().first().name, QStringLiteral("Gone"));
}

TEST_F(DesignerWindow, DeletingTheOpenTemplateClosesItAndNoSaveBringsItBack)
{
    const LabelTemplate t = blankTemplate(QStringLiteral("Doomed"));
    LabelDesignerView view(m_store, *adapter, *service, {60'000, {}});
    view.show();
    view.templateList()->controller().createNewTemplate();
    ASSERT_NE(view.canvasContainer(), nullptr);
    const LabelTemplate open = view.controller().designerState()->labelTemplate();
    ASSERT_TRUE(QFile::exists(fileOf(open)));

    view.templateList()->controller().deleteTemplate(open);
    EXPECT_EQ(view.controller().designerState(), nullptr);
    EXPECT_EQ(view.canvasContainer(), nullptr);
    EXPECT_FALSE(view.emptyState()->isHidden());
    view.controller().saveCurrentTemplate();
    view.hide();
    EXPECT_FALSE(QFile::exists(fileOf(open)));
    EXPECT_TRUE(m_store.templates().isEmpty());
}

TEST_F(DesignerWindow, AFailedSaveIsShownUntilASaveSucceeds)
{
    LabelDesignerView view(m_store, *adapter, *service, {60'000, {}});
    const LabelTemplate t = blankTemplate(QStringLiteral("Shelf tag"));
    // A folder where the file should go: the atomic write cannot replace it.
    ASSERT_TRUE(QDir().mkpath(fileOf(t)));
    view.controller().openTemplate(t);
    view.controller().saveCurrentTemplate();
    EXPECT_TRUE(view.controller().saveError().startsWith(QStringLiteral("Could not save Shelf tag: ")))
        << view.controller().saveError().toStdString();
    EXPECT_FALSE(view.saveErrorLabel()->isHidden());
    EXPECT_EQ(view.saveErrorLabel()->text(), view.controller().saveError());

    ASSERT_TRUE(QDir(fileOf(t)).removeRecursively());
    view.controller().saveCurrentTemplate();
    EXPECT_TRUE(view.controller().saveError().isEmpty());
    EXPECT_TRUE(view.saveErrorLabel()->isHidden());
}

TEST_F(DesignerWindow, ADeleteThatLeftAFileAndARefusedEditAreShownWhereTheSellerLooks)
{
    LabelDesignerView view(m_store, *adapter, *service, {60'000, {}});
    const LabelTemplate t = blankTemplate(QStringLiteral("Shelf tag"));
    m_store.save(t);
    m_store.setFileRemover(
        [](const QString &) { return std::optional<QString>(QStringLiteral("Read-only file system")); });
    m_store.deleteTemplate(t);
    ASSERT_EQ(m_store.templates().size(), 1);
    EXPECT_EQ(view.controller().notice(),
              QStringLiteral("Could not delete Shelf tag: %1 could not be removed: Read-only file system")
                  .arg(m_store.fileNameFor(t.id)));
    EXPECT_FALSE(view.saveErrorLabel()->isHidden());
    EXPECT_EQ(view.saveErrorLabel()->text(), view.controller().notice());

    // An edit the open template refuses replaces it; the next edit that goes through clears it.
    view.controller().openTemplate(t);
    LabelDesignerState &state = *view.controller().designerState();
    Q_EMIT state.editRefused(QStringLiteral("The picture was not duplicated."));
    EXPECT_EQ(view.saveErrorLabel()->text(), QStringLiteral("The picture was not duplicated."));
    state.addTextElement();
    EXPECT_TRUE(view.controller().notice().isEmpty());
    EXPECT_TRUE(view.saveErrorLabel()->isHidden());
}

TEST_F(DesignerWindow, WithNothingOpenOnlyTheEmptyStateShows)
{
    LabelDesignerView view(m_store, *adapter, *service, {60'000, {}});
    view.resize(1100, 700);
    view.show();
    EXPECT_TRUE(view.emptyState()->isVisible());
    EXPECT_EQ(view.canvasContainer(), nullptr);
    EXPECT_EQ(view.propertiesPanel(), nullptr);
    view.controller().openTemplate(blankTemplate());
    ASSERT_NE(view.canvasContainer(), nullptr);
    EXPECT_TRUE(view.canvasContainer()->isVisible());
    EXPECT_EQ(view.propertiesPanel()->width(), PropertiesPanel::kWidth);
    EXPECT_FALSE(view.emptyState()->isVisible());

    // Hiding the screen (its window closing) saves the open template.
    LabelTemplate renamed = view.controller().designerState()->labelTemplate();
    renamed.name = QStringLiteral("Renamed");
    view.controller().designerState()->setLabelTemplate(renamed);
    view.hide();
    ASSERT_EQ(m_store.templates().size(), 1);
    EXPECT_EQ(m_store.templates().first().name, QStringLiteral("Renamed"));
    EXPECT_FALSE(view.controller().saveTimer().isActive());
}

TEST(PinchZoomSteps, ScaleTheStartingZoomAndHoldTheLimits)
{
    PinchZoom pinch;
    pinch.begin(1.0);
    EXPECT_DOUBLE_EQ(pinch.zoomFor(1.1), 1.1);
    EXPECT_DOUBLE_EQ(pinch.zoomFor(1.2), 1.2);
    EXPECT_DOUBLE_EQ(pinch.zoomFor(1.3), 1.3);
    const struct
    {
        double start;
        double magnification;
        double expected;
    } cases[] = {
        {2.0, 3.0, 4.0}, {0.5, 0.1, 0.25}, {4.0, 1.5, 4.0}, {1.0, std::nan(""), 1.0}, {1.0, 0.0, 0.25}};
    for (const auto &c : cases) {
        pinch.begin(c.start);
        EXPECT_DOUBLE_EQ(pinch.zoomFor(c.magnification), c.expected) << c.start << " × " << c.magnification;
    }
}

namespace {

class CanvasWiring : public ::testing::Test, protected PrintServicesFixture
{
protected:
    void build(LabelTemplate t)
    {
        m_state = std::make_unique<LabelDesignerState>(std::move(t));
        m_state->setSnapToGrid(false);
        m_container = std::make_unique<CanvasContainer>(*m_state, *adapter, *service);
        m_container->resize(800, 600);
        m_container->show();
        QApplication::setActiveWindow(m_container.get());
    }
    DesignCanvas &canvas() const { return *m_container->canvas(); }
    // A label point on screen at the current zoom.
    QPoint at(double x, double y) const
    {
        return QPoint(qRound(x * m_state->zoomScale()), qRound(y * m_state->zoomScale()));
    }
    void drag(const QPoint &from, const QPoint &by)
    {
        QTest::mousePress(&canvas(), Qt::LeftButton, {}, from);
        QTest::mouseMove(&canvas(), from + by / 2);
        QTest::mouseMove(&canvas(), from + by);
        QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, from + by);
    }
    void sendNative(Qt::NativeGestureType type, double value)
    {
        QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, QPointF(10, 10),
                                  QPointF(10, 10), QPointF(10, 10), value, QPointF());
        QApplication::sendEvent(m_container->scrollArea()->viewport(), &event);
    }

    std::unique_ptr<LabelDesignerState> m_state;
    std::unique_ptr<CanvasContainer> m_container;
};

} // namespace

TEST_F(CanvasWiring, TapsSelectAndTheBackgroundOrACirclesCornerDeselect)
{
    LabelTemplate t = twoElementTemplate();
    t.labelShape = LabelShape::circle;
    t.labelSize = LabelSize{2, 2};
    build(t);
    const QUuid first = t.elements.at(0).id;
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(20, 15));
    EXPECT_EQ(m_state->selectedElementId(), first);
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(140, 140));
    EXPECT_FALSE(m_state->selectedElementId());
    m_state->setSelectedElementId(first);
    // Outside the circle, inside its rectangle.
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(2, 142));
    EXPECT_FALSE(m_state->selectedElementId());
}

TEST_F(CanvasWiring, ShortDragsMoveNothingAndALongOneIsOneUndoStepAtAnyZoom)
{
    const LabelTemplate t = twoElementTemplate();
    build(t);
    const LabelElement element = t.elements.at(0);
    drag(at(20, 15), QPoint(6, 5));
    EXPECT_EQ(m_state->labelTemplate().elements.at(0).frame, element.frame);
    EXPECT_TRUE(m_state->undoStack().isEmpty());

    m_state->setSnapToGuides(false);
    m_state->setZoomScale(2);
    drag(at(20, 15), QPoint(100, 0));
    EXPECT_DOUBLE_EQ(m_state->labelTemplate().elements.at(0).frame.x, element.frame.x + 50);
    EXPECT_DOUBLE_EQ(m_state->labelTemplate().elements.at(0).frame.y, element.frame.y);
    EXPECT_EQ(m_state->selectedElementId(), element.id);
    EXPECT_EQ(m_state->undoStack().size(), 1);
    EXPECT_FALSE(canvas().dragStartPosition());
    m_state->undo();
    EXPECT_EQ(m_state->labelTemplate().elements.at(0).frame, element.frame);
}

TEST_F(CanvasWiring, GuidesShowDuringADragAndVanishOnRelease)
{
    LabelTemplate t = twoElementTemplate();
    t.labelSize = LabelSize{4, 2};
    build(t);
    // The first element's left edge onto the second's (x 60), far from the label's centre.
    QTest::mousePress(&canvas(), Qt::LeftButton, {}, at(20, 15));
    QTest::mouseMove(&canvas(), at(20 + 25, 15 + 40));
    QTest::mouseMove(&canvas(), at(20 + 49, 15 + 40));
    EXPECT_FALSE(m_state->activeGuides().isEmpty());
    QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, at(20 + 49, 15 + 40));
    EXPECT_TRUE(m_state->activeGuides().isEmpty());
    EXPECT_EQ(m_state->labelTemplate().elements.at(0).frame.x, 60);
}

TEST_F(CanvasWiring, ALockedElementIsSelectableButNeitherDraggedNorGivenHandles)
{
    LabelTemplate t = twoElementTemplate();
    t.elements[0].isLocked = true;
    build(t);
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(20, 15));
    EXPECT_EQ(m_state->selectedElementId(), t.elements.at(0).id);
    EXPECT_FALSE(canvas().showsHandles());
    drag(at(20, 15), QPoint(40, 30));
    EXPECT_EQ(m_state->labelTemplate().elements.at(0).frame, t.elements.at(0).frame);
    EXPECT_TRUE(m_state->undoStack().isEmpty());
    m_state->setSelectedElementId(t.elements.at(1).id);
    EXPECT_TRUE(canvas().showsHandles());
}

TEST_F(CanvasWiring, DeleteRemovesTheSelectedElementOnly)
{
    const LabelTemplate t = twoElementTemplate();
    build(t);
    canvas().setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_container.get()));
    QTest::keyClick(&canvas(), Qt::Key_Delete);
    EXPECT_EQ(m_state->labelTemplate().elements.size(), 2);
    EXPECT_TRUE(m_state->undoStack().isEmpty());
    m_state->setSelectedElementId(t.elements.at(1).id);
    QTest::keyClick(&canvas(), Qt::Key_Delete);
    ASSERT_EQ(m_state->labelTemplate().elements.size(), 1);
    EXPECT_EQ(m_state->labelTemplate().elements.at(0).id, t.elements.at(0).id);
    EXPECT_FALSE(m_state->selectedElementId());
}

TEST_F(CanvasWiring, TheLabelTakesItsSizeTimesTheZoomWithMarginsAround)
{
    LabelTemplate t = blankTemplate();
    t.labelSize = LabelSize{2, 1};
    build(t);
    EXPECT_EQ(canvas().size(), QSize(144, 72));
    const QSize viewport = m_container->scrollArea()->viewport()->size();
    m_state->setZoomScale(2);
    EXPECT_EQ(canvas().size(), QSize(288, 144));
    const int marginX = std::max(qRound(viewport.width() / 2.0), 40);
    const int marginY = std::max(qRound(viewport.height() / 2.0), 40);
    EXPECT_EQ(m_container->canvasContent()->size(), QSize(288 + 2 * marginX, 144 + 2 * marginY));
    EXPECT_EQ(canvas().pos(), QPoint(marginX, marginY));

    t.labelShape = LabelShape::square;
    m_state->setLabelTemplate(t);
    m_state->setZoomScale(1);
    EXPECT_EQ(canvas().size(), QSize(72, 72));
}

TEST_F(CanvasWiring, APinchScalesTheZoomItStartedAtWithinTheLimits)
{
    build(blankTemplate());
    sendNative(Qt::BeginNativeGesture, 0);
    sendNative(Qt::ZoomNativeGesture, 0.5);
    EXPECT_DOUBLE_EQ(m_state->zoomScale(), 1.5);
    sendNative(Qt::ZoomNativeGesture, 1.0);
    EXPECT_DOUBLE_EQ(m_state->zoomScale(), 3.0);
    sendNative(Qt::ZoomNativeGesture, 1.0);
    EXPECT_DOUBLE_EQ(m_state->zoomScale(), 4.0);
    sendNative(Qt::EndNativeGesture, 0);
    sendNative(Qt::BeginNativeGesture, 0);
    sendNative(Qt::ZoomNativeGesture, -0.99);
    EXPECT_DOUBLE_EQ(m_state->zoomScale(), 0.25);
}
