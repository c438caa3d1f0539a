#include "designer/label_designer_state.h"
#include "designer_fixtures.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <limits>

using namespace quill;
using namespace quill::testing;

namespace {

LabelTemplate canvas(double width, double height, LabelShape shape = LabelShape::rectangle)
{
    LabelTemplate t = blankTemplate();
    t.labelSize = LabelSize{width, height};
    t.labelShape = shape;
    return t;
}

// A state on a 2.25 x 1.25 in label (162 x 90 points) holding one element of `width`.
struct Board
{
    explicit Board(double width = 20, double height = 20) : state(canvas(2.25, 1.25))
    {
        LabelElement element = textElement(0, 0);
        element.frame.width = width;
        element.frame.height = height;
        state.addElement(element);
        id = element.id;
    }
    const ElementFrame &frame() const { return state.labelTemplate().elements.first().frame; }

    LabelDesignerState state;
    QUuid id;
};

} // namespace

TEST(LabelDesignerState, UndoKeepsFiftySnapshots)
{
    LabelDesignerState state(canvas(2.25, 1.25));
    for (int i = 0; i < 51; ++i)
        state.addTextElement();
    EXPECT_EQ(state.undoStack().size(), 50);
    state.undo();
    EXPECT_EQ(state.labelTemplate().elements.size(), 50);
    int undone = 1;
    while (!state.undoStack().isEmpty()) {
        state.undo();
        ++undone;
    }
    EXPECT_EQ(undone, 50);
    // The oldest snapshot (no elements) was dropped: one element is left.
    EXPECT_EQ(state.labelTemplate().elements.size(), 1);
    state.undo();
    EXPECT_EQ(state.labelTemplate().elements.size(), 1);
    EXPECT_EQ(state.redoStack().size(), 50);
}

TEST(LabelDesignerState, RedoAndSelectionAcrossUndo)
{
    LabelDesignerState state(canvas(2.25, 1.25));
    state.addTextElement();
    const QUuid first = *state.selectedElementId();
    state.addQRCodeElement();
    const QUuid second = *state.selectedElementId();

    // Undoing an addition while it is selected clears the selection; redo brings the element, not the
    // selection.
    QSignalSpy selection(&state, &LabelDesignerState::selectedElementIdChanged);
    state.undo();
    EXPECT_EQ(state.labelTemplate().elements.size(), 1);
    EXPECT_FALSE(state.selectedElementId());
    EXPECT_EQ(selection.size(), 1);
    state.redo();
    EXPECT_EQ(state.labelTemplate().elements.size(), 2);
    EXPECT_EQ(state.labelTemplate().elements.at(1).id, second);
    EXPECT_FALSE(state.selectedElementId());

    // A recorded edit after an undo empties the redo stack.
    state.undo();
    ASSERT_EQ(state.redoStack().size(), 1);
    state.setSelectedElementId(first);
    state.deleteElement(first);
    EXPECT_TRUE(state.redoStack().isEmpty());
    EXPECT_FALSE(state.selectedElementId());
    state.redo();
    EXPECT_TRUE(state.labelTemplate().elements.isEmpty());
    // Undo of the delete restores the element but not the selection.
    state.undo();
    EXPECT_EQ(state.labelTemplate().elements.size(), 1);
    EXPECT_FALSE(state.selectedElementId());
}

TEST(LabelDesignerState, NewElementsAreCentredAQuarterInWithTheNextZIndex)
{
    LabelDesignerState rectangle(canvas(2.25, 1.25));
    rectangle.addTextElement();
    const LabelElement &text = rectangle.labelTemplate().elements.first();
    EXPECT_EQ(text.frame, (ElementFrame{40.5, 22.5, 100, 24}));
    EXPECT_EQ(text.zIndex, 0);
    EXPECT_EQ(std::get<TextProperties>(text.kind),
              (TextProperties{"Text", "Arial", 14, FontWeightValue::regular, "#000000",
                              TextAlignmentValue::leading, false}));
    EXPECT_EQ(rectangle.selectedElementId(), text.id);

    LabelDesignerState circle(canvas(2, 3, LabelShape::circle));
    circle.addImageElement();
    circle.addQRCodeElement();
    EXPECT_EQ(circle.labelTemplate().elements.at(0).frame, (ElementFrame{36, 36, 60, 60}));
    const auto &qr = std::get<QRCodeProperties>(circle.labelTemplate().elements.at(1).kind);
    EXPECT_EQ(qr.content, QStringLiteral("https://example.com"));
    EXPECT_EQ(qr.correctionLevel, QRCorrectionLevel::medium);

    LabelTemplate stacked = canvas(2, 1);
    stacked.elements = {textElement(0, 0, 7), textElement(0, 0, -3), textElement(0, 0, 2)};
    LabelDesignerState state(stacked);
    state.addTextElement();
    EXPECT_EQ(state.labelTemplate().elements.last().zIndex, 8);
}

TEST(LabelDesignerState, DuplicateCopiesTheSelectionBesideIt)
{
    LabelTemplate t = canvas(2, 1);
    LabelElement locked = textElement(10, 10, 4);
    locked.isLocked = true;
    locked.rotation = 15;
    t.elements = {locked};
    LabelDesignerState state(t);

    state.duplicateSelected();
    EXPECT_TRUE(state.undoStack().isEmpty());
    EXPECT_EQ(state.labelTemplate().elements.size(), 1);

    state.setSelectedElementId(locked.id);
    state.duplicateSelected();
    ASSERT_EQ(state.labelTemplate().elements.size(), 2);
    const LabelElement &copy = state.labelTemplate().elements.at(1);
    EXPECT_NE(copy.id, locked.id);
    EXPECT_EQ(copy.frame, (ElementFrame{20, 20, 100, 24}));
    EXPECT_TRUE(copy.isLocked);
    EXPECT_EQ(copy.rotation, 15);
    EXPECT_EQ(copy.kind, locked.kind);
    EXPECT_EQ(copy.zIndex, 5);
    EXPECT_EQ(state.selectedElementId(), copy.id);
    EXPECT_EQ(state.undoStack().size(), 1);
}

TEST(LabelDesignerState, LargestZIndexIsNotRaisedPastTheTop)
{
    LabelTemplate t = canvas(2, 1);
    t.elements = {textElement(0, 0, std::numeric_limits<qint64>::max())};
    LabelDesignerState state(t);
    state.addTextElement();
    state.duplicateSelected();
    for (const LabelElement &element : state.labelTemplate().elements)
        EXPECT_EQ(element.zIndex, std::numeric_limits<qint64>::max());
}

TEST(LabelDesignerState, MoveSnapsToGridAndGuides)
{
    const struct
    {
        const char *what;
        bool grid;
        bool guides;
        double width;
        double x, y;
        double expectedX, expectedY;
        int verticalGuides;
    } rows[] = {
        {"grid halves away from zero", true, false, 20, 13, 12, 16, 16, 0},
        {"grid down", true, false, 20, 11.9, 3.9, 8, 0, 0},
        {"guide just inside", false, true, 20, 3.99, 50, 0, 50, 1},
        {"guide at the threshold", false, true, 20, 4.0, 50, 4.0, 50, 0},
        {"nearest anchor wins", false, true, 10, 78, 50, 76, 50, 1},
        {"tie goes to the earlier anchor", false, true, 8, 79, 50, 81, 50, 1},
        {"no snapping, outside the label", false, false, 20, -30.25, 500.5, -30.25, 500.5, 0},
    };
    for (const auto &row : rows) {
        Board board(row.width, 20);
        board.state.setSnapToGrid(row.grid);
        board.state.setSnapToGuides(row.guides);
        board.state.moveElement(board.id, row.x, row.y);
        EXPECT_EQ(board.frame().x, row.expectedX) << row.what;
        EXPECT_EQ(board.frame().y, row.expectedY) << row.what;
        int vertical = 0;
        for (const AlignmentGuide &guide : board.state.activeGuides())
            vertical += guide.axis == GuideAxis::vertical;
        EXPECT_EQ(vertical, row.verticalGuides) << row.what;
    }
}

TEST(LabelDesignerState, MoveIsOneTemplateChangeAndOnlyARealOne)
{
    Board board;
    board.state.setSnapToGuides(false);
    QSignalSpy changed(&board.state, &LabelDesignerState::templateChanged);
    board.state.moveElement(board.id, 30, 40);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(board.frame(), (ElementFrame{32, 40, 20, 20}));
    board.state.moveElement(board.id, 31, 39); // snaps to where it stands
    EXPECT_EQ(changed.size(), 1);
    board.state.moveElement(board.id, 41, 40);
    EXPECT_EQ(changed.size(), 2);
    board.state.moveElement(QUuid::createUuid(), 1, 1);
    EXPECT_EQ(changed.size(), 2);
    EXPECT_TRUE(board.state.undoStack().size() == 1); // the addition only
}

TEST(LabelDesignerState, LockedElementNeitherMovesNorResizes)
{
    LabelTemplate t = canvas(2.25, 1.25);
    LabelElement locked = textElement(10, 10);
    locked.isLocked = true;
    t.elements = {locked, textElement(81, 0)};
    LabelDesignerState state(t);
    state.moveElement(t.elements.at(1).id, 3, 3); // sets guides
    const QList<AlignmentGuide> guides = state.activeGuides();
    ASSERT_FALSE(guides.isEmpty());

    QSignalSpy changed(&state, &LabelDesignerState::templateChanged);
    state.moveElement(locked.id, 50, 50);
    state.updateElementFrame(locked.id, ElementFrame{0, 0, 5, 5});
    EXPECT_EQ(state.labelTemplate().elements.at(0).frame, locked.frame);
    EXPECT_EQ(state.activeGuides().size(), guides.size());
    EXPECT_EQ(state.activeGuides().first().id, guides.first().id);
    EXPECT_EQ(changed.size(), 0);

    // Unlocked, a resize sets the frame as given.
    state.updateElementFrame(t.elements.at(1).id, ElementFrame{1, 2, 3, 4});
    EXPECT_EQ(state.labelTemplate().elements.at(1).frame, (ElementFrame{1, 2, 3, 4}));
    EXPECT_EQ(changed.size(), 1);
}

TEST(LabelDesignerState, GuidesAgainstOtherElementsOnBothAxes)
{
    LabelElement moving = textElement(0, 0);
    moving.frame = ElementFrame{0, 0, 10, 10};
    LabelElement other = textElement(0, 0);
    other.frame = ElementFrame{100, 60, 20, 10};
    // Right edge at 98.5 is 1.5 from the other's left edge 100; top at 61 is 1 from its top 60.
    const QList<AlignmentGuide> guides =
        LabelDesignerState::computeAlignmentGuides(moving, 88.5, 61, 300, 300, {moving, other});
    ASSERT_EQ(guides.size(), 2);
    EXPECT_EQ(guides.at(0).axis, GuideAxis::vertical);
    EXPECT_EQ(guides.at(0).position, 100);
    EXPECT_EQ(guides.at(0).snappedPosition, 90);
    EXPECT_EQ(guides.at(1).axis, GuideAxis::horizontal);
    EXPECT_EQ(guides.at(1).position, 60);
    EXPECT_EQ(guides.at(1).snappedPosition, 60);
    EXPECT_NE(guides.at(0).id, guides.at(1).id);
}

TEST(LabelDesignerState, SettersNotifyOnlyOnChange)
{
    LabelDesignerState state(canvas(2, 1));
    QSignalSpy zoom(&state, &LabelDesignerState::zoomScaleChanged);
    QSignalSpy grid(&state, &LabelDesignerState::showGridChanged);
    QSignalSpy selection(&state, &LabelDesignerState::selectedElementIdChanged);
    QSignalSpy changed(&state, &LabelDesignerState::templateChanged);
    state.setZoomScale(1.0);
    state.setZoomScale(2.0);
    state.setShowGrid(true);
    state.setShowGrid(false);
    state.setSelectedElementId(std::nullopt);
    const QUuid id = QUuid::createUuid();
    state.setSelectedElementId(id);
    state.setSelectedElementId(id);
    state.setLabelTemplate(state.labelTemplate());
    LabelTemplate renamed = state.labelTemplate();
    renamed.name = QStringLiteral("Renamed");
    state.setLabelTemplate(renamed);
    EXPECT_EQ(zoom.size(), 1);
    EXPECT_EQ(grid.size(), 1);
    EXPECT_EQ(selection.size(), 1);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_FALSE(state.selectedElement()); // no element has that id
    EXPECT_TRUE(state.undoStack().isEmpty());
}

TEST(LabelDesignerState, DeleteOfAnUnknownIdStillRecordsAStep)
{
    LabelDesignerState state(canvas(2, 1));
    state.addTextElement();
    state.deleteElement(QUuid::createUuid());
    EXPECT_EQ(state.undoStack().size(), 2);
    EXPECT_EQ(state.labelTemplate().elements.size(), 1);
    state.undo();
    state.undo();
    state.undo();
    EXPECT_TRUE(state.labelTemplate().elements.isEmpty());
}
