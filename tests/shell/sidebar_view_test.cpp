// The sidebar's wiring: list highlight, Settings button and the detail area.
#include "designer/template_store.h"
#include "shell_fixture.h"
#include "ui/app/section_screens.h"
#include "ui/app/sidebar_view.h"
#include "ui/designer/label_designer_view.h"
#include "ui/designer/template_list_panel.h"

#include <QLabel>
#include <QListWidget>
#include <QToolButton>

namespace quill::testing {
namespace {

class SidebarViewTest : public ShellFixture
{
protected:
    static bool isPrimary(const QToolButton &button)
    {
        return button.palette().color(QPalette::ButtonText).alphaF() == 1.0f;
    }
    static QString highlighted(const QListWidget &list)
    {
        const QList<QListWidgetItem *> items = list.selectedItems();
        return items.isEmpty() ? QString() : items.first()->text();
    }
    static void clickRow(QListWidget &list, const QString &title)
    {
        QListWidgetItem *item = list.findItems(title, Qt::MatchExactly).value(0);
        ASSERT_NE(item, nullptr) << title.toStdString();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(item).center());
    }
};

TEST_F(SidebarViewTest, SettingsButtonAndListHighlightTakeTurns)
{
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    SidebarView view(app);
    view.resize(1100, 800);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    EXPECT_EQ(view.selection().value(), SidebarSection::liveShow);
    EXPECT_EQ(highlighted(*view.sectionList()), QStringLiteral("Live Show"));
    EXPECT_FALSE(isPrimary(*view.settingsButton()));

    QTest::mouseClick(view.settingsButton(), Qt::LeftButton);
    EXPECT_EQ(view.selection().value(), SidebarSection::settings);
    EXPECT_EQ(highlighted(*view.sectionList()), QString()) << "no row stands for Settings";
    EXPECT_TRUE(isPrimary(*view.settingsButton()));
    ASSERT_NE(view.detailArea()->screen(), nullptr);

    clickRow(*view.sectionList(), QStringLiteral("Labels"));
    EXPECT_EQ(view.selection().value(), SidebarSection::printers);
    EXPECT_EQ(highlighted(*view.sectionList()), QStringLiteral("Labels"));
    EXPECT_FALSE(isPrimary(*view.settingsButton()));
}

TEST_F(SidebarViewTest, NothingSelectedAsksForASection)
{
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    SidebarView view(app);
    view.show();
    ASSERT_NE(view.detailArea()->screen(), nullptr);

    view.selection().setValue(std::nullopt);

    EXPECT_EQ(view.detailArea()->screen(), nullptr);
    const QList<QLabel *> labels = view.detailArea()->findChildren<QLabel *>();
    const auto prompt = std::find_if(labels.begin(), labels.end(), [](QLabel *label) {
        return label->text() == QLatin1String("Select a section") && label->isVisible();
    });
    EXPECT_NE(prompt, labels.end());
}

TEST_F(SidebarViewTest, TheLabelDesignerIsBuiltAfreshEachTimeItIsShown)
{
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    SidebarView view(app);
    view.show();
    view.selection().setValue(SidebarSection::labelDesigner);
    auto *first = qobject_cast<LabelDesignerView *>(view.detailArea()->screen());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(&first->controller().store(), &app.templateStore());
    first->templateList()->controller().createNewTemplate();
    ASSERT_NE(first->controller().designerState(), nullptr);

    view.selection().setValue(SidebarSection::settings);
    view.selection().setValue(SidebarSection::labelDesigner);
    auto *second = qobject_cast<LabelDesignerView *>(view.detailArea()->screen());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->controller().designerState(), nullptr) << "a fresh screen opens nothing";
    const QList<LabelTemplate> templates = app.templateStore().templates();
    ASSERT_FALSE(templates.isEmpty());
    for (const LabelTemplate &t : templates)
        app.templateStore().deleteTemplate(t);
}

TEST(SectionScreens, EverySectionHasItsScreenInOrder)
{
    const auto &table = sectionScreens();
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].section, allSidebarSections[i]);
        EXPECT_NE(table[i].make, nullptr);
    }
}

} // namespace
} // namespace quill::testing
