// The label designer in the running main window, driven by its own buttons as a new seller
// meets it: the first template made from the empty list, and the list emptied and filled again.
#include "application_shell_fixture.h"
#include "designer/label_designer_state.h"
#include "designer/template_store.h"
#include "ui/designer/label_designer_view.h"
#include "ui/designer/template_list_controller.h"
#include "ui/designer/template_list_model.h"
#include "ui/designer/template_list_panel.h"
#include "widget_find.h"

#include <QListView>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

namespace quill::testing {
namespace {

class MainWindowDesigner : public ApplicationShellFixture
{
protected:
    // The designer on show in the window, or null when another section took its place.
    LabelDesignerView *shownDesigner() const
    {
        return qobject_cast<LabelDesignerView *>(m_sidebar->detailArea()->screen());
    }

    // The one row the designer's list has selected stands for `id`, and that template is open.
    static ::testing::AssertionResult showsSelected(LabelDesignerView &designer, const QUuid &id)
    {
        TemplateListPanel &list = *designer.templateList();
        if (list.showsEmptyState())
            return ::testing::AssertionFailure() << "the empty list is still shown";
        const QModelIndexList rows = list.listView()->selectionModel()->selectedRows();
        if (rows.size() != 1 || rows.first().data(TemplateListModel::IdRole).toUuid() != id)
            return ::testing::AssertionFailure() << rows.size() << " rows selected, not the new template";
        const LabelDesignerState *open = designer.controller().designerState();
        if (!open || !designer.canvasContainer() || open->labelTemplate().id != id)
            return ::testing::AssertionFailure() << "the new template is not open";
        return ::testing::AssertionSuccess();
    }

    // Clicks the empty list's own button and answers the template it made.
    std::optional<QUuid> createFromEmptyList(LabelDesignerView &designer)
    {
        if (!designer.templateList()->showsEmptyState())
            return std::nullopt;
        QPushButton *create = findButton(designer.templateList(), QStringLiteral("Create Template"));
        if (!create)
            return std::nullopt;
        QTest::mouseClick(create, Qt::LeftButton);
        return newest();
    }

    std::optional<QUuid> createWithPlus(LabelDesignerView &designer)
    {
        auto *plus = designer.templateList()->findChild<QToolButton *>(QStringLiteral("newTemplateButton"));
        if (!plus)
            return std::nullopt;
        QTest::mouseClick(plus, Qt::LeftButton);
        return newest();
    }

    std::optional<QUuid> newest() const
    {
        const QList<LabelTemplate> &templates = m_shell->appState().templateStore().templates();
        return templates.isEmpty() ? std::nullopt : std::optional(templates.first().id);
    }

    void clickSection(const QString &title)
    {
        QListWidget &sections = *m_sidebar->sectionList();
        const QList<QListWidgetItem *> items = sections.findItems(title, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << title.toStdString();
        QTest::mouseClick(sections.viewport(), Qt::LeftButton, {},
                          sections.visualItemRect(items.first()).center());
    }

    SidebarView *m_sidebar = nullptr;
};

TEST_F(MainWindowDesigner, TemplatesMadeFromAnEmptyListByItsButtonsAreShownSelected)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    ApplicationShell &shell = makeShell();
    MainWindow &window = shell.mainWindow();
    window.resize(1100, 800);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(eventually([&] { return window.mainView().page() == MainView::Page::sidebar; }));
    m_sidebar = window.mainView().sidebarView();
    ASSERT_TRUE(shell.appState().templateStore().templates().isEmpty());

    // The section is reached by its selection: the sidebar does not list it.
    m_sidebar->selection().setValue(SidebarSection::labelDesigner);
    ASSERT_TRUE(shownDesigner());
    const std::optional<QUuid> first = createFromEmptyList(*shownDesigner());
    ASSERT_TRUE(first);
    ASSERT_TRUE(shownDesigner()) << "the designer stays on show";
    EXPECT_EQ(m_sidebar->selection().value(), SidebarSection::labelDesigner);
    EXPECT_TRUE(showsSelected(*shownDesigner(), *first));

    // Left for another section and shown again: a fresh screen lists it; the list's own
    // Delete key takes the last one away, and the empty list comes back.
    clickSection(QStringLiteral("Labels"));
    ASSERT_EQ(m_sidebar->selection().value(), SidebarSection::printers);
    m_sidebar->selection().setValue(SidebarSection::labelDesigner);
    ASSERT_TRUE(shownDesigner());
    QListView &rows = *shownDesigner()->templateList()->listView();
    ASSERT_EQ(rows.model()->rowCount(), 1);
    QTest::mouseClick(rows.viewport(), Qt::LeftButton, {},
                      rows.visualRect(rows.model()->index(0, 0)).center());
    ASSERT_TRUE(showsSelected(*shownDesigner(), *first));
    QTest::keyClick(&rows, Qt::Key_Delete);
    ASSERT_TRUE(shownDesigner()) << "the designer stays on show";
    EXPECT_TRUE(shell.appState().templateStore().templates().isEmpty());
    EXPECT_TRUE(shownDesigner()->templateList()->showsEmptyState());

    // From the empty list again: the header's plus, then (emptied once more) the list's button.
    const std::optional<QUuid> second = createWithPlus(*shownDesigner());
    ASSERT_TRUE(second);
    ASSERT_TRUE(shownDesigner());
    EXPECT_TRUE(showsSelected(*shownDesigner(), *second));
    QTest::keyClick(shownDesigner()->templateList()->listView(), Qt::Key_Delete);
    ASSERT_TRUE(shownDesigner());
    ASSERT_TRUE(shownDesigner()->templateList()->showsEmptyState());
    const std::optional<QUuid> third = createFromEmptyList(*shownDesigner());
    ASSERT_TRUE(third);
    ASSERT_TRUE(shownDesigner()) << "the designer stays on show";
    EXPECT_EQ(m_sidebar->selection().value(), SidebarSection::labelDesigner);
    EXPECT_TRUE(showsSelected(*shownDesigner(), *third));
    EXPECT_EQ(shell.appState().templateStore().templates().size(), 1);
}

} // namespace
} // namespace quill::testing
