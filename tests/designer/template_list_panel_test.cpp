#include "designer/template_store.h"
#include "designer_fixtures.h"
#include "fake_sleeper.h"
#include "shown_text.h"
#include "ui/designer/template_list_controller.h"
#include "ui/designer/template_list_model.h"
#include "ui/designer/template_list_panel.h"
#include "widget_find.h"

#include <QListView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
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
    void clickRow(TemplateListPanel &panel, int row)
    {
        QListView *list = panel.listView();
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

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
    for (int i = 0; i < 30; ++i)
        add(QStringLiteral("Template %1").arg(i));
    TemplateListPanel panel(m_store, m_onSelect, m_clock);
    panel.resize(TemplateListPanel::kWidth, 300);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
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
