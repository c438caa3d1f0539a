// The tray's symbol follows the backend show, with or without a window.
#include "shell_fixture.h"

#include "backend/show_sync_service.h"
#include "run_sync.h"
#include "ui/app/tray_controller.h"
#include "ui/app/tray_icon.h"

#include <QSignalSpy>

namespace quill::testing {
namespace {

class TrayControllerTest : public ShellFixture
{
};

TEST_F(TrayControllerTest, TheIconFollowsTheActiveShow)
{
    AppState &app = startSignedIn(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    TrayController tray(app.showSyncService()); // no main window anywhere
    QSignalSpy symbols(&tray, &TrayController::symbolChanged);
    EXPECT_EQ(tray.symbol(), QStringLiteral("tag"));

    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started = app.showSyncService().startShow(QStringLiteral("Friday"), QStringLiteral("realtime"));
    ASSERT_TRUE(eventually([&] { return tray.symbol() == QLatin1String("tag.fill"); }));

    runSync(app.showSyncService().endShow());
    EXPECT_EQ(tray.symbol(), QStringLiteral("tag"));
    ASSERT_EQ(symbols.size(), 2);
    EXPECT_EQ(symbols.at(0).first().toString(), QStringLiteral("tag.fill"));
    EXPECT_EQ(symbols.at(1).first().toString(), QStringLiteral("tag"));
}

TEST_F(TrayControllerTest, ActivatingAsksForThePopoverAtTheIcon)
{
    AppState &app = makeAppState();
    TrayController tray(app.showSyncService());
    QSignalSpy popover(&tray, &TrayController::popoverRequested);
    QSignalSpy window(&tray, &TrayController::mainWindowRequested);
    QSignalSpy quit(&tray, &TrayController::quitRequested);

    tray.activate(QRect(1257, 1, 22, 30));
    tray.openMainWindow();
    tray.quit();

    ASSERT_EQ(popover.size(), 1);
    EXPECT_EQ(popover.first().first().toRect(), QRect(1257, 1, 22, 30));
    EXPECT_EQ(window.size(), 1);
    EXPECT_EQ(quit.size(), 1);
}

TEST(TrayTagIcon, FilledAndOutlinedDiffer)
{
    const QImage outlined = trayTagIcon(QStringLiteral("tag")).pixmap(32, 32).toImage();
    const QImage filled = trayTagIcon(QStringLiteral("tag.fill")).pixmap(32, 32).toImage();
    // The middle of the tag is inked only when filled.
    EXPECT_EQ(qAlpha(outlined.pixel(20, 16)), 0);
    EXPECT_GT(qAlpha(filled.pixel(20, 16)), 200);
}

TEST(TrayTagIcon, TakesItsColourFromTheDesktopPanel)
{
    // Dark on a light panel, light on a dark one.
    const QImage onLight = trayTagIcon(QStringLiteral("tag.fill"), QColor(Qt::black)).pixmap(32, 32).toImage();
    const QImage onDark = trayTagIcon(QStringLiteral("tag.fill"), QColor(Qt::white)).pixmap(32, 32).toImage();
    EXPECT_LT(qGray(onLight.pixel(20, 16)), 40);
    EXPECT_GT(qGray(onDark.pixel(20, 16)), 215);
    // Unasked, it follows the desktop's own palette, which the test platform keeps light.
    ASSERT_LT(desktopTextColor().lightness(), 128);
    EXPECT_LT(qGray(trayTagIcon(QStringLiteral("tag.fill")).pixmap(32, 32).toImage().pixel(20, 16)), 40);
}

} // namespace
} // namespace quill::testing
