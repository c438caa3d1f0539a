// The designer's template list: empty, with three templates, the second selected, and with
// the first swiped open on its Delete button.
#include "designer/template_store.h"
#include "fake_sleeper.h"
#include "screen_capture.h"
#include "ui/designer/template_list_panel.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace quill::testing {
namespace {

LabelTemplate stored(const QString &name, double width, double height, int elements)
{
    LabelTemplate t;
    t.id = QUuid::createUuid();
    t.name = name;
    t.labelSize = LabelSize{width, height};
    t.createdAt = QDateTime(QDate(2026, 1, 15), QTime(9, 30), Qt::UTC);
    t.updatedAt = t.createdAt;
    for (int i = 0; i < elements; ++i)
        t.elements.append(
            LabelElement{QUuid::createUuid(), QRCodeProperties{}, ElementFrame{0, 0, 60, 60}, 0, false, i});
    return t;
}

bool holdsColor(const QImage &image, const QRect &area, const QColor &color)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == color)
                return true;
    return false;
}

TEST(ScreensTemplateList, EmptyAndWithTemplates)
{
    applyAppLook(*qApp);
    QTemporaryDir dir;
    FakeClock clock;
    TemplateStore store(dir.path(), clock);

    QWidget frame;
    fillBackground(&frame, sidebarBackgroundColor());
    auto *panel = new TemplateListPanel(
        store, [](const LabelTemplate &) {}, clock, &frame);
    auto *layout = new QHBoxLayout(&frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    const QImage empty =
        test::captureScreen(frame, QSize(200, 420), QStringLiteral("designer_template_list_empty"));
    ASSERT_TRUE(panel->showsEmptyState());
    QPushButton *create = panel->findChild<QPushButton *>();
    ASSERT_TRUE(create && create->isVisible());
    const QRect button(create->mapTo(&frame, QPoint(0, 0)), create->size());
    EXPECT_NEAR(button.center().x(), 100, 2);
    EXPECT_TRUE(holdsColor(empty, button, appAccentColor()));

    store.save(stored(QStringLiteral("Price tag"), 2, 1, 1));
    store.save(stored(QStringLiteral("Shelf tag with a rather long name"), 2.25, 1.25, 3));
    store.save(stored(QStringLiteral("Round sticker"), 1.5, 1.5, 0));
    panel->controller().setSelectedTemplateId(store.templates().at(1).id);
    const QImage listed =
        test::captureScreen(frame, QSize(200, 420), QStringLiteral("designer_template_list"));
    ASSERT_FALSE(panel->showsEmptyState());
    QListView *list = panel->listView();
    const QRect selected(
        list->viewport()->mapTo(&frame, list->visualRect(list->model()->index(1, 0)).topLeft()),
        list->visualRect(list->model()->index(1, 0)).size());
    EXPECT_TRUE(holdsColor(listed, selected, appAccentColor()));
    const QRect first(list->viewport()->mapTo(&frame, list->visualRect(list->model()->index(0, 0)).topLeft()),
                      list->visualRect(list->model()->index(0, 0)).size());
    EXPECT_FALSE(holdsColor(listed, first, appAccentColor()));
    EXPECT_GE(first.height(), 30);

    // A short two-finger swipe sideways on the first row.
    QWidget *viewport = list->viewport();
    const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
    for (const Qt::ScrollPhase phase : {Qt::ScrollBegin, Qt::ScrollUpdate, Qt::ScrollEnd}) {
        const QPoint delta = phase == Qt::ScrollUpdate ? QPoint(-60, 0) : QPoint();
        QWheelEvent event(at, viewport->mapToGlobal(at), delta, delta * 4, Qt::NoButton, Qt::NoModifier,
                          phase, false);
        QApplication::sendEvent(viewport, &event);
    }
    const QImage swiped =
        test::captureScreen(frame, QSize(200, 420), QStringLiteral("designer_template_list_swiped"));
    EXPECT_TRUE(holdsColor(swiped, first, systemColor(SystemColor::red)));
    EXPECT_EQ(store.templates().size(), 3);
}

} // namespace
} // namespace quill::testing
