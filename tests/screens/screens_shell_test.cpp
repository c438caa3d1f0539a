// The shell's screens as a seller sees them: loading, a seller's sidebar, and the label
// designer beside the sidebar in the smallest and the default window.
#include "application_shell_fixture.h"
#include "designer/template_store.h"
#include "named_printers.h"
#include "printing/print_kit_adapter.h"
#include "screen_capture.h"
#include "ui/app/application_shell.h"
#include "ui/app/main_view.h"
#include "ui/app/main_window.h"
#include "ui/app/sidebar_view.h"
#include "ui/designer/canvas_container.h"
#include "ui/designer/canvas_toolbar.h"
#include "ui/designer/label_designer_view.h"
#include "ui/designer/template_list_controller.h"
#include "ui/designer/template_list_panel.h"
#include "ui/widgets/palette.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QScrollBar>

namespace quill::testing {
namespace {

const QSize kWindowSize(1100, 800);

class ScreensShell : public ApplicationShellFixture
{
};

TEST_F(ScreensShell, Loading)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    Gate restoreHeld;
    ApplicationShell &shell = makeShell();
    m_keychain->loadGate = &restoreHeld;

    const QImage image = test::captureScreen(shell.mainWindow(), kWindowSize, QStringLiteral("loading"));

    ASSERT_EQ(image.size(), kWindowSize);
    EXPECT_EQ(shell.mainWindow().mainView().page(), MainView::Page::loading);
    // The window's background fills the corners; the indicator sits in the middle.
    EXPECT_EQ(image.pixelColor(5, 5).rgb(), appBackgroundColor().rgb());
    EXPECT_EQ(image.pixelColor(1095, 795).rgb(), appBackgroundColor().rgb());
    // The held restore resumes from the event loop: let it end while its gate lives.
    restoreHeld.open();
    settle(shell.appState());
}

TEST_F(ScreensShell, SidebarSeller)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    standin::StandinShow show;
    show.userId = QStringLiteral("u1");
    show.title = QStringLiteral("Sunday singles");
    m_backend.addShow(show);
    ApplicationShell &shell = makeShell();
    MainView &view = shell.mainWindow().mainView();
    shell.mainWindow().resize(kWindowSize);
    shell.mainWindow().show();
    ASSERT_TRUE(eventually([&] {
        return view.page() == MainView::Page::sidebar &&
               !shell.appState().showHistoryStore().shows().isEmpty();
    }));

    const QImage image =
        test::captureScreen(shell.mainWindow(), kWindowSize, QStringLiteral("sidebar-seller"));

    ASSERT_EQ(image.size(), kWindowSize);
    const QListWidget &list = *view.sidebarView()->sectionList();
    ASSERT_EQ(list.count(), 3) << "Live Show, Shows, Labels";
    EXPECT_EQ(list.item(0)->text(), QStringLiteral("Live Show"));
    EXPECT_EQ(list.item(1)->text(), QStringLiteral("Shows"));
    // The sidebar column is darker-blue than nothing else: its own colour on the left edge.
    EXPECT_EQ(image.pixelColor(4, 400).rgb(), sidebarBackgroundColor().rgb());
    EXPECT_EQ(image.pixelColor(1000, 700).rgb(), appBackgroundColor().rgb());
}

TEST_F(ScreensShell, DesignerCanvasToolbarDrawsNoControlOverAnotherInTheSmallestAndTheDefaultWindow)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    auto printers = std::make_shared<NamedPrinters>();
    printers->names = {QStringLiteral("Label_Printer_00A1B2"), QStringLiteral("Office_Laser")};
    AppSetup appSetup = setup();
    appSetup.printerCatalog = printers;
    ApplicationShell &shell = makeShell(std::move(appSetup));
    MainWindow &window = shell.mainWindow();
    MainView &view = window.mainView();
    window.resize(kWindowSize);
    window.show();
    ASSERT_TRUE(eventually([&] {
        return view.page() == MainView::Page::sidebar &&
               !shell.appState().printAdapter().printers().isEmpty();
    }));
    SidebarView &sidebar = *view.sidebarView();
    sidebar.selection().setValue(SidebarSection::labelDesigner);
    auto *designer = qobject_cast<LabelDesignerView *>(sidebar.detailArea()->screen());
    ASSERT_NE(designer, nullptr);
    designer->templateList()->controller().createNewTemplate();
    ASSERT_NE(designer->canvasContainer(), nullptr);
    CanvasToolbar *bar = designer->canvasContainer()->canvasToolbar();

    // What the seller sees of the bar: the shown widgets that hold nothing shown.
    const auto visibleControls = [bar] {
        QList<QWidget *> controls;
        for (QWidget *widget : bar->findChildren<QWidget *>()) {
            if (!widget->isVisible() || qobject_cast<QScrollBar *>(widget))
                continue;
            const QList<QWidget *> inside = widget->findChildren<QWidget *>();
            if (std::none_of(inside.begin(), inside.end(), [](QWidget *w) { return w->isVisible(); }))
                controls.append(widget);
        }
        return controls;
    };
    const auto describe = [](QWidget *widget) {
        QString text;
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            text = button->text().isEmpty() ? button->toolTip() : button->text();
        else if (auto *label = qobject_cast<QLabel *>(widget))
            text = label->text();
        return std::string(widget->metaObject()->className()) + ' ' + text.toStdString();
    };

    const QList<std::pair<QSize, QString>> windows{
        {QSize(900, 700), QStringLiteral("designer-window-smallest")},
        {kWindowSize, QStringLiteral("designer-window-default")}};
    for (const auto &[size, name] : windows) {
        SCOPED_TRACE(name.toStdString());
        window.resize(size);
        QCoreApplication::processEvents(); // the layouts settle in the new room, as between frames
        test::captureScreen(window, size, name);
        ASSERT_EQ(window.size(), size) << "the window's minimum stays 900 x 700";
        EXPECT_GE(designer->width(), designer->minimumSizeHint().width())
            << "the designer scrolls sideways as a whole rather than squeezing its columns";
        EXPECT_TRUE(bar->printerPicker()->isVisible());
        const QList<QWidget *> controls = visibleControls();
        EXPECT_GE(controls.size(), 12);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const QRect first(controls[i]->mapTo(&window, QPoint()), controls[i]->size());
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                const QRect second(controls[j]->mapTo(&window, QPoint()), controls[j]->size());
                EXPECT_FALSE(first.intersects(second))
                    << describe(controls[i]) << " overlaps " << describe(controls[j]);
            }
        }
    }
    for (const LabelTemplate &t : shell.appState().templateStore().templates())
        shell.appState().templateStore().deleteTemplate(t);
}

} // namespace
} // namespace quill::testing
