// The sidebar's wiring: list highlight, Settings button and the detail area.
#include "backend/show_sync_service.h"
#include "capture/whatnot_session.h"
#include "designer/template_store.h"
#include "log_capture.h"
#include "motion_on.h"
#include "printing/auto_print_manager.h"
#include "shell_fixture.h"
#include "ui/app/section_screens.h"
#include "ui/app/sidebar_view.h"
#include "ui/designer/label_designer_view.h"
#include "ui/designer/template_list_panel.h"

#include <QGraphicsEffect>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QToolButton>
#include <QVariantAnimation>

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

// The share of pixels in which two pictures of one size differ, outside `skipped`.
double differing(const QImage &a, const QImage &b, const QRect &skipped = {})
{
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    qint64 count = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto *l = reinterpret_cast<const QRgb *>(left.constScanLine(y));
        const auto *r = reinterpret_cast<const QRgb *>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            const int spread =
                std::max({std::abs(qRed(l[x]) - qRed(r[x])), std::abs(qGreen(l[x]) - qGreen(r[x])),
                          std::abs(qBlue(l[x]) - qBlue(r[x]))});
            count += spread > 24 && !skipped.contains(x, y) ? 1 : 0;
        }
    }
    return double(count) / (double(left.width()) * left.height());
}

TEST_F(SidebarViewTest, ASectionChangeCrossFadesTheWholeScreenWithoutPainterWarnings)
{
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    // A show under way, with the print log open: the floating feed comes and goes with
    // the live screen.
    app.whatnotSession().setAuthenticated(true);
    app.whatnotSession().navigateToStream(QStringLiteral("show-42"));
    app.showSyncService().setActiveStreamId(QStringLiteral("show-42"));
    app.autoPrintManager().setShowPrintLog(true);
    SidebarView view(app);
    view.resize(1100, 800);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    SectionDetailArea *area = view.detailArea();
    ASSERT_TRUE(eventually([&] { return !app.showSyncService().activeShowId().isEmpty(); }));
    // What the window shows of the detail area, as painted now.
    const auto onScreen = [&] {
        QCoreApplication::processEvents();
        view.repaint();
        const QRect region(area->mapTo(&view, QPoint()), area->size());
        return view.screen()->grabWindow(view.winId()).toImage().copy(region);
    };
    const auto fading = [&] {
        const QList<QVariantAnimation *> fades =
            area->findChildren<QVariantAnimation *>(QStringLiteral("quill.motion.crossfade"));
        return fades.isEmpty() ? nullptr : fades.first();
    };

    LogCapture log;
    MotionOn motion;
    for (SidebarSection next : {SidebarSection::printers, SidebarSection::settings, SidebarSection::liveShow,
                                SidebarSection::shows, SidebarSection::liveShow}) {
        SCOPED_TRACE(sidebarSectionTitle(next).toStdString());
        const QImage before = onScreen();
        view.selection().setValue(next);
        // At the change the screen left behind still shows whole, body and title; then
        // it fades, ease-in-out over 0.25 s, into the one chosen. (Held at its start to
        // be looked at; the floating feed in its corner moves by itself.)
        QVariantAnimation *fade = fading();
        ASSERT_NE(fade, nullptr);
        fade->pause();
        EXPECT_EQ(fade->duration(), SectionDetailArea::kSectionChangeMs);
        EXPECT_EQ(fade->easingCurve().type(), QEasingCurve::InOutQuad);
        const QRect feed(area->overlay()->x(), area->overlay()->y(), area->width(), area->height());
        EXPECT_LT(differing(onScreen(), before, feed), 0.001);
        fade->resume();
        ASSERT_TRUE(eventually([&] { return fading() == nullptr; }));
        EXPECT_GT(differing(onScreen(), before, feed), 0.005);
    }
    QStringList painterWarnings;
    for (const LogCapture::Entry &entry : log.entries()) {
        if (entry.message.contains(QLatin1String("Painter")) ||
            entry.message.contains(QLatin1String("painter")))
            painterWarnings.append(entry.message);
    }
    EXPECT_TRUE(painterWarnings.isEmpty()) << painterWarnings.join(u'\n').toStdString();
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
