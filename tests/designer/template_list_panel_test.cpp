#include "designer/template_store.h"
#include "designer_fixtures.h"
#include "eventually.h"
#include "fake_sleeper.h"
#include "shown_text.h"
#include "ui/designer/template_list_controller.h"
#include "ui/designer/template_list_model.h"
#include "ui/designer/template_list_panel.h"
#include "widget_find.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

class TemplateListTest : public ::testing::Test
{
protected:
    QStringList names() const
    {
        QStringList out;
        for (const LabelTemplate &t : m_store.templates())
            out << t.name;
        return out;
    }

    // Stored through the store, so they are on disk as well.
    LabelTemplate add(const QString &name, int elements = 0)
    {
        LabelTemplate t = blankTemplate(name);
        for (int i = 0; i < elements; ++i)
            t.elements.append(textElement());
        m_store.save(t);
        m_clock.advance(std::chrono::seconds(1));
        return m_store.templates().first();
    }

    QTemporaryDir m_dir;
    FakeClock m_clock{utc(2026, 4, 2, 8, 0, 0)};
    TemplateStore m_store{m_dir.path(), m_clock};
    QList<LabelTemplate> m_opened;
    TemplateListController::SelectCallback m_onSelect = [this](const LabelTemplate &t) {
        m_opened.append(t);
    };
};

class TemplateListControllerTest : public TemplateListTest
{
protected:
    TemplateListController m_controller{m_store, m_onSelect, m_clock};
};

class TemplateListPanelTest : public TemplateListTest
{
protected:
    static QRect rowRect(TemplateListPanel &panel, int row)
    {
        return panel.listView()->visualRect(panel.listView()->model()->index(row, 0));
    }

    void clickRow(TemplateListPanel &panel, int row)
    {
        QTest::mouseClick(panel.listView()->viewport(), Qt::LeftButton, {}, rowRect(panel, row).center());
    }

    // Shown 300 pixels tall, under a dozen rows.
    static bool showShort(TemplateListPanel &panel)
    {
        panel.resize(TemplateListPanel::kWidth, 300);
        panel.show();
        return QTest::qWaitForWindowExposed(&panel);
    }

    // More than a short list shows at once.
    void addThirty()
    {
        for (int i = 0; i < 30; ++i)
            add(QStringLiteral("Template %1").arg(i));
    }

    bool onDisk(const LabelTemplate &t) const
    {
        return QFile::exists(QDir(m_dir.path()).filePath(m_store.fileNameFor(t.id)));
    }
};

// A touchpad's two-finger scroll over a row, as one turn: begin, the moves, end.
void scrollTurn(QWidget *viewport, QPoint at, const QList<QPoint> &moves)
{
    const auto send = [&](QPoint delta, Qt::ScrollPhase phase) {
        QWheelEvent event(at, viewport->mapToGlobal(at), delta, delta * 4, Qt::NoButton, Qt::NoModifier,
                          phase, false);
        QApplication::sendEvent(viewport, &event);
    };
    send({}, Qt::ScrollBegin);
    for (const QPoint delta : moves)
        send(delta, Qt::ScrollUpdate);
    send({}, Qt::ScrollEnd);
}

// A press on `from`, moves with the left button held, and the release where they end.
void drag(QWidget *viewport, QPoint from, const QList<QPoint> &path)
{
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    for (const QPoint to : path) {
        QMouseEvent move(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, path.isEmpty() ? from : path.last());
}

QColor pixelAt(QWidget *widget, QPoint at)
{
    return widget->grab().toImage().pixelColor(at * widget->devicePixelRatioF());
}

bool isSwipeRed(const QColor &color)
{
    return color.red() > 180 && color.green() < 100 && color.blue() < 100;
}

// Whether any row shows its red button: a column near the list's trailing edge.
bool anyRowSwiped(QWidget *viewport)
{
    const QImage image = viewport->grab().toImage();
    const qreal dpr = viewport->devicePixelRatioF();
    for (int y = 0; y < viewport->height(); y += 4) {
        if (isSwipeRed(image.pixelColor(QPointF(viewport->width() - 10, y).toPoint() * dpr)))
            return true;
    }
    return false;
}

} // namespace

TEST_F(TemplateListControllerTest, CreateMakesAnUntitledTemplateFirstSelectedAndOpenedOnce)
{
    add(QStringLiteral("Older"));
    m_controller.createNewTemplate();
    ASSERT_EQ(names(), (QStringList{"Untitled", "Older"}));
    const LabelTemplate &created = m_store.templates().first();
    EXPECT_EQ(created.labelSize, (LabelSize{2.25, 1.25}));
    EXPECT_EQ(created.labelShape, LabelShape::rectangle);
    EXPECT_EQ(created.gridSpacing, 8);
    EXPECT_TRUE(created.elements.isEmpty());
    EXPECT_EQ(created.createdAt, m_clock.now());
    EXPECT_EQ(m_controller.selectedTemplateId(), created.id);
    ASSERT_EQ(m_opened.size(), 1);
    EXPECT_EQ(m_opened.first().id, created.id);
}

TEST_F(TemplateListControllerTest, DuplicateAppendsCopyToTheNameAndKeepsElementIds)
{
    LabelTemplate shelf = add(QStringLiteral("Shelf tag"), 2);
    shelf.labelShape = LabelShape::oval;
    shelf.gridSpacing = 4;
    m_store.save(shelf);
    m_controller.duplicateTemplate(shelf);
    const LabelTemplate copy = m_store.templates().first();
    EXPECT_EQ(copy.name, QStringLiteral("Shelf tag Copy"));
    EXPECT_NE(copy.id, shelf.id);
    EXPECT_EQ(copy.elements, shelf.elements);
    EXPECT_EQ(copy.labelShape, LabelShape::oval);
    EXPECT_EQ(copy.gridSpacing, 4);
    EXPECT_EQ(m_controller.selectedTemplateId(), copy.id);
    m_controller.duplicateTemplate(copy);
    EXPECT_EQ(names(), (QStringList{"Shelf tag Copy Copy", "Shelf tag Copy", "Shelf tag"}));
    EXPECT_EQ(m_opened.size(), 2);
}

TEST_F(TemplateListControllerTest, DeletingTheSelectedTemplateOpensNothing)
{
    const LabelTemplate a = add(QStringLiteral("A"));
    const LabelTemplate b = add(QStringLiteral("B"));
    m_controller.setSelectedTemplateId(a.id);
    ASSERT_EQ(m_opened.size(), 1);

    m_controller.deleteTemplate(b); // not selected: selection stays
    EXPECT_EQ(m_controller.selectedTemplateId(), a.id);
    m_controller.deleteSelectedTemplate();
    EXPECT_FALSE(m_controller.selectedTemplateId());
    EXPECT_TRUE(m_store.templates().isEmpty());
    EXPECT_EQ(m_opened.size(), 1);

    // With nothing selected, or an id no template has, Delete does nothing.
    const LabelTemplate c = add(QStringLiteral("C"));
    m_controller.deleteSelectedTemplate();
    m_controller.setSelectedTemplateId(QUuid::createUuid());
    m_controller.deleteSelectedTemplate();
    EXPECT_EQ(names(), QStringList{QStringLiteral("C")});
    EXPECT_EQ(m_opened.size(), 1);
}

TEST_F(TemplateListControllerTest, DeleteByPositionsTakesTheRowsAsTheyStood)
{
    add(QStringLiteral("D"));
    add(QStringLiteral("C"));
    add(QStringLiteral("B"));
    add(QStringLiteral("A"));
    ASSERT_EQ(names(), (QStringList{"A", "B", "C", "D"}));
    m_controller.deleteTemplates({2, 0, 2, 9});
    EXPECT_EQ(names(), (QStringList{"B", "D"}));
}

TEST_F(TemplateListControllerTest, FailedSaveStillOpensTheNewTemplate)
{
    // A file in the folder's place: nothing can be written.
    QTemporaryDir other;
    QFile blocker(other.filePath(QStringLiteral("LabelTemplates")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    TemplateStore blocked(blocker.fileName(), m_clock);
    QSignalSpy failed(&blocked, &TemplateStore::saveFailed);
    TemplateListController controller(blocked, m_onSelect, m_clock);
    controller.createNewTemplate();
    EXPECT_EQ(failed.size(), 1);
    EXPECT_TRUE(blocked.templates().isEmpty());
    ASSERT_EQ(m_opened.size(), 1);
    EXPECT_EQ(controller.selectedTemplateId(), m_opened.first().id);
}

TEST(TemplateListModel, SubtitleShowsSizeAndElementCount)
{
    LabelTemplate t = blankTemplate();
    EXPECT_EQ(TemplateListModel::subtitle(t), QStringLiteral("2.25\" x 1.25\" \u00B7 0 elements"));
    t.elements = {textElement()};
    EXPECT_EQ(TemplateListModel::subtitle(t), QStringLiteral("2.25\" x 1.25\" \u00B7 1 element"));
    t.elements = {textElement(), textElement(), textElement()};
    t.labelSize = LabelSize{4, 6};
    EXPECT_EQ(TemplateListModel::subtitle(t), QStringLiteral("4\" x 6\" \u00B7 3 elements"));
}

TEST_F(TemplateListPanelTest, CreateTemplateButtonOnTheEmptyStateListsAndSelectsIt)
{
    TemplateListPanel panel(m_store, m_onSelect, m_clock);
    panel.show();
    EXPECT_EQ(panel.width(), TemplateListPanel::kWidth);
    ASSERT_TRUE(panel.showsEmptyState());
    QPushButton *create = findButton(&panel, QStringLiteral("Create Template"));
    ASSERT_TRUE(create);
    QTest::mouseClick(create, Qt::LeftButton);

    EXPECT_FALSE(panel.showsEmptyState());
    ASSERT_EQ(names(), QStringList{QStringLiteral("Untitled")});
    ASSERT_EQ(m_opened.size(), 1);
    const QModelIndexList selected = panel.listView()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().row(), 0);
    EXPECT_EQ(selected.first().data(TemplateListModel::IdRole).toUuid(), m_opened.first().id);

    // The header's plus does the same, the new one first and selected.
    auto *plus = panel.findChild<QToolButton *>(QStringLiteral("newTemplateButton"));
    ASSERT_TRUE(plus);
    EXPECT_EQ(plus->toolTip(), QStringLiteral("New Template"));
    QTest::mouseClick(plus, Qt::LeftButton);
    EXPECT_EQ(m_store.templates().size(), 2);
    EXPECT_EQ(panel.listView()->selectionModel()->selectedRows().first().row(), 0);
    EXPECT_EQ(panel.controller().selectedTemplateId(), m_store.templates().first().id);
}

TEST_F(TemplateListPanelTest, ClickOpensDeleteKeyRemovesTheSelectedAndOpensNothing)
{
    const LabelTemplate older = add(QStringLiteral("Older"));
    const LabelTemplate newer = add(QStringLiteral("Newer"), 3);
    TemplateListPanel panel(m_store, m_onSelect, m_clock);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.listView()->model()->index(0, 0).data(TemplateListModel::SubtitleRole).toString(),
              QStringLiteral("2.25\" x 1.25\" \u00B7 3 elements"));

    // Delete with no selection does nothing.
    panel.listView()->setFocus();
    QTest::keyClick(panel.listView(), Qt::Key_Delete);
    EXPECT_EQ(m_store.templates().size(), 2);

    clickRow(panel, 1);
    ASSERT_EQ(m_opened.size(), 1);
    EXPECT_EQ(m_opened.first().id, older.id);
    EXPECT_EQ(panel.controller().selectedTemplateId(), older.id);

    QTest::keyClick(panel.listView(), Qt::Key_Delete);
    EXPECT_EQ(names(), QStringList{QStringLiteral("Newer")});
    EXPECT_FALSE(panel.controller().selectedTemplateId());
    EXPECT_TRUE(panel.listView()->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(m_opened.size(), 1);

    panel.controller().deleteTemplate(newer);
    EXPECT_TRUE(panel.showsEmptyState());
}

TEST_F(TemplateListPanelTest, AnAutosaveLeavesTheListWhereItWas)
{
    addThirty();
    TemplateListPanel panel(m_store, m_onSelect, m_clock);
    ASSERT_TRUE(showShort(panel));
    QScrollBar *bar = panel.listView()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    QSignalSpy resets(panel.listView()->model(), &QAbstractItemModel::modelReset);

    // The open template saved again with a new element: its row shows it, nothing moves.
    LabelTemplate edited = m_store.templates().last();
    edited.elements.append(textElement());
    m_store.save(edited);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(panel.listView()->model()->index(29, 0).data(TemplateListModel::SubtitleRole).toString(),
              QStringLiteral("2.25\" x 1.25\" \u00B7 1 element"));

    // A new template is a new row: the list is built again.
    add(QStringLiteral("Newest"));
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(names().first(), QStringLiteral("Newest"));
}

TEST_F(TemplateListPanelTest, ATemplateNameHoldingMarkupIsItsRowsTooltipAsWritten)
{
    // Names come back from the stored template files.
    const QString name =
        QStringLiteral("<img src=\"file:///usr/share/pixmaps/debian-logo.png\" width=\"900\">"
                       "<a href=\"https://example.com/\">Jars</a> & <b>lids</b>");
    add(name);
    TemplateListPanel panel(m_store, m_onSelect, m_clock);
    panel.show();
    const QModelIndex row = panel.listView()->model()->index(0, 0);
    EXPECT_EQ(row.data().toString(), name);
    EXPECT_EQ(shownText(row.data(Qt::ToolTipRole).toString()), name);
}

TEST_F(TemplateListPanelTest, ASidewaysSwipeShowsDeleteAndAFullSwipeDeletesAtOnce)
{
    const LabelTemplate c = add(QStringLiteral("C"));
    const LabelTemplate b = add(QStringLiteral("B"));
    const LabelTemplate a = add(QStringLiteral("A"));
    TemplateListPanel panel(m_store, m_onSelect, m_clock);
    ASSERT_TRUE(showShort(panel));
    QWidget *viewport = panel.listView()->viewport();
    // Near the row's trailing end, where the button comes out.
    const auto trailing = [&](int row) {
        const QRect rect = rowRect(panel, row);
        return QPoint(rect.right() - 10, rect.center().y());
    };
    ASSERT_FALSE(isSwipeRed(pixelAt(viewport, trailing(1))));

    // A short touchpad swipe only shows the red button; the template stays.
    scrollTurn(viewport, rowRect(panel, 1).center(), {{-25, 1}, {-35, 0}});
    EXPECT_TRUE(isSwipeRed(pixelAt(viewport, trailing(1))));
    EXPECT_FALSE(isSwipeRed(pixelAt(viewport, trailing(0))));
    EXPECT_FALSE(isSwipeRed(pixelAt(viewport, rowRect(panel, 1).center())));
    EXPECT_EQ(names(), (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(onDisk(b));

    // Clicking the button deletes that row's template, and opens nothing.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, trailing(1));
    EXPECT_EQ(names(), (QStringList{"A", "C"}));
    EXPECT_FALSE(onDisk(b));
    EXPECT_TRUE(m_opened.isEmpty());

    // A full swipe deletes at once, before the fingers lift; the row that takes its place
    // is not swiped on by the rest of the turn.
    scrollTurn(viewport, rowRect(panel, 0).center(), {{-60, 0}, {-60, 0}, {-60, 0}, {-60, 0}, {-60, 0}});
    EXPECT_EQ(names(), QStringList{QStringLiteral("C")});
    EXPECT_FALSE(onDisk(a));
    EXPECT_TRUE(onDisk(c));
    EXPECT_FALSE(anyRowSwiped(viewport));

    // A sideways drag does the same: short, the button shows; all the way, the row goes.
    const QRect row = rowRect(panel, 0);
    drag(viewport, row.center(), {row.center() - QPoint(10, 0), row.center() - QPoint(60, 1)});
    EXPECT_TRUE(isSwipeRed(pixelAt(viewport, trailing(0))));
    EXPECT_TRUE(onDisk(c));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(row.left() + 20, row.center().y()));
    EXPECT_FALSE(anyRowSwiped(viewport)); // a press elsewhere slides it back
    EXPECT_TRUE(onDisk(c));
    drag(viewport, QPoint(row.right() - 4, row.center().y()),
         {QPoint(row.right() - 30, row.center().y()), QPoint(row.left(), row.center().y())});
    EXPECT_TRUE(m_store.templates().isEmpty());
    EXPECT_FALSE(onDisk(c));
    EXPECT_TRUE(panel.showsEmptyState());
}

TEST_F(TemplateListPanelTest, AVerticalScrollScrollsTheListAndSwipesNoRow)
{
    addThirty();
    TemplateListPanel panel(m_store, m_onSelect, m_clock);
    ASSERT_TRUE(showShort(panel));
    QWidget *viewport = panel.listView()->viewport();
    QScrollBar *bar = panel.listView()->verticalScrollBar();
    const QPoint middle = rowRect(panel, 2).center();

    // A turn that starts downwards stays a scroll, sideways wobble and all.
    scrollTurn(viewport, middle, {{-4, -30}, {-40, -3}, {-50, 0}, {-50, 0}, {-50, 0}});
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(m_store.templates().size(), 30);
    EXPECT_FALSE(anyRowSwiped(viewport));

    // A row swiped open slides back when the list scrolls; only a sideways turn swipes.
    const int scrolled = bar->value();
    scrollTurn(viewport, middle, {{-60, 0}});
    const QModelIndex swiped = panel.listView()->indexAt(middle);
    const LabelTemplate underPointer = m_store.templates().at(swiped.row());
    const QPoint trailing(rowRect(panel, swiped.row()).right() - 10, middle.y());
    EXPECT_TRUE(isSwipeRed(pixelAt(viewport, trailing)));
    scrollTurn(viewport, middle, {{0, 30}});
    EXPECT_LT(bar->value(), scrolled);
    EXPECT_FALSE(anyRowSwiped(viewport));
    scrollTurn(viewport, rowRect(panel, swiped.row()).center(), {{-300, 0}});
    EXPECT_EQ(m_store.templates().size(), 29);
    EXPECT_FALSE(onDisk(underPointer));

    // Where the device reports no phases (X11), a pause ends the turn: a short swipe slides
    // back, and the next turn may scroll.
    const auto unphased = [&](QPoint delta) {
        QWheelEvent event(middle, viewport->mapToGlobal(middle), delta, delta * 4, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    };
    unphased({-20, 0});
    EXPECT_TRUE(anyRowSwiped(viewport));
    EXPECT_TRUE(eventually([&] { return !anyRowSwiped(viewport); }));
    const int before = bar->value();
    unphased({0, -30});
    EXPECT_GT(bar->value(), before);
    EXPECT_EQ(m_store.templates().size(), 29);
}

TEST_F(TemplateListPanelTest, BackspaceDeletesTheSelectedRowByItsPosition)
{
    const LabelTemplate c = add(QStringLiteral("C"));
    const LabelTemplate b = add(QStringLiteral("B"));
    const LabelTemplate a = add(QStringLiteral("A"));
    TemplateListPanel panel(m_store, m_onSelect, m_clock);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    panel.listView()->setFocus();
    QTest::keyClick(panel.listView(), Qt::Key_Backspace); // no row selected: nothing goes
    EXPECT_EQ(m_store.templates().size(), 3);

    clickRow(panel, 1);
    ASSERT_EQ(m_opened.size(), 1);
    QTest::keyClick(panel.listView(), Qt::Key_Backspace);
    EXPECT_EQ(names(), (QStringList{"A", "C"}));
    EXPECT_FALSE(onDisk(b));
    EXPECT_TRUE(onDisk(a) && onDisk(c));
    EXPECT_FALSE(panel.controller().selectedTemplateId());
    EXPECT_EQ(m_opened.size(), 1);
}
