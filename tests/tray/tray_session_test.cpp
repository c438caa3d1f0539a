// The tray as a seller meets it: the icon in a real tray host (trayer on a private Xvfb,
// started by scripts/tray-session.sh), clicked with real pointer events, and the popover
// and quit check that click opens. The pictures are read back from the X server.
#include "../live/side_panel_feed.h"
#include "../screens/screen_capture.h"
#include "application_shell_fixture.h"
#include "print_jobs.h"
#include "printing/auto_print_manager.h"
#include "ui/app/main_window.h"
#include "ui/app/tray_controller.h"
#include "ui/app/tray_icon.h"
#include "ui/widgets/popover.h"
#include "ui/widgets/style.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTimer>
#include <optional>

namespace quill::testing {
namespace {

// Runs an X tool on the test's display; its standard output, or none (with the failure recorded).
std::optional<QString> runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(QLatin1Char(' ')).toStdString()
                      << " failed: " << process.errorString().toStdString() << " "
                      << process.readAllStandardError().toStdString();
        return std::nullopt;
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Where the X server has trayer's panel.
QRect trayPanelGeometry()
{
    const std::optional<QString> info =
        runTool(QStringLiteral("xwininfo"), {QStringLiteral("-name"), QStringLiteral("panel")});
    if (!info)
        return {};
    auto field = [&](const char *name) {
        const QRegularExpression pattern(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(name)));
        return pattern.match(*info).captured(1).toInt();
    };
    return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                 field("Height"));
}

// A real press and release of the left button at a point of the screen.
void clickOnScreen(const QPoint &global)
{
    runTool(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
             QStringLiteral("click"), QStringLiteral("1")});
}

void clickOnScreen(const QWidget &widget)
{
    clickOnScreen(widget.mapToGlobal(widget.rect().center()));
}

// What the X server shows in `area` of the screen, tray and popups included.
QImage screenPixels(const QRect &area)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
}

int distinctColours(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

// The tray icon carries the tag drawn for `symbol`.
bool showsSymbol(const QSystemTrayIcon &icon, const QString &symbol)
{
    return icon.icon().pixmap(22, 22).toImage() == trayTagIcon(symbol).pixmap(22, 22).toImage();
}

class TraySession : public ApplicationShellFixture
{
protected:
    void SetUp() override
    {
        ApplicationShellFixture::SetUp();
        const QByteArray unavailable = qgetenv("QUILLMARK_TRAY_UNAVAILABLE");
        if (!unavailable.isEmpty())
            GTEST_SKIP() << "No tray host on this machine: " << unavailable.toStdString();
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"))
            << "The tray tests need an X display with a tray host: run them through scripts/tray-session.sh";
        ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable())
            << "no tray host on " << qgetenv("DISPLAY").data();
        applyAppLook(*qApp);
        m_panel = trayPanelGeometry();
        ASSERT_FALSE(m_panel.isEmpty());
    }

    // The shell with its icon embedded in trayer's panel.
    ApplicationShell &makeTrayShell()
    {
        ApplicationShell &shell = makeShell(setup(), ApplicationShell::Tray::automatic);
        EXPECT_NE(shell.trayIcon(), nullptr);
        if (!shell.trayIcon())
            return shell;
        QSystemTrayIcon &icon = shell.trayIcon()->systemTrayIcon();
        EXPECT_TRUE(eventually([&] {
            return !icon.geometry().isEmpty() && m_panel.contains(icon.geometry());
        })) << "icon at "
            << icon.geometry().x() << "," << icon.geometry().y() << ", panel at " << m_panel.x() << ","
            << m_panel.y();
        return shell;
    }

    // A signed-in seller whose show has started on the backend.
    void startShow(ApplicationShell &shell)
    {
        AppState &app = shell.appState();
        app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
        m_showStart.emplace(
            app.showSyncService().startShow(QStringLiteral("Friday"), QStringLiteral("realtime")));
        ASSERT_TRUE(eventually([&] { return !app.showSyncService().activeShowId().isEmpty(); }))
            << app.showSyncService().syncError().toStdString();
    }

    // Clicks the icon and waits for the popover to be drawn on screen.
    Popover *openPopoverByClick(ApplicationShell &shell)
    {
        clickOnScreen(shell.trayIcon()->systemTrayIcon().geometry().center());
        if (!eventually([&] { return shell.popover().isVisible(); })) {
            ADD_FAILURE() << "the click on the icon opened no popover";
            return nullptr;
        }
        Popover &popover = shell.popover();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&popover));
        // Drawn: the card's pixels, not the screen's plain background.
        EXPECT_TRUE(eventually([&] { return distinctColours(screenPixels(popover.frameGeometry())) > 8; }));
        return &popover;
    }

    QRect m_panel;
    std::optional<QCoro::Task<>> m_showStart;
};

TEST_F(TraySession, TheIconSitsInTheTrayAndFillsWhenAShowStarts)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    ApplicationShell &shell = makeTrayShell();
    ASSERT_NE(shell.trayIcon(), nullptr);
    startAndWait(shell.appState());
    QSystemTrayIcon &icon = shell.trayIcon()->systemTrayIcon();
    EXPECT_TRUE(icon.isVisible());
    const QRect place = icon.geometry();

    // Outlined tag, drawn by the tray host: more than its plain background.
    EXPECT_TRUE(showsSymbol(icon, QStringLiteral("tag")));
    QImage outlined;
    ASSERT_TRUE(eventually([&] {
        outlined = screenPixels(place);
        return distinctColours(outlined) > 2;
    }));

    startShow(shell);
    EXPECT_EQ(shell.trayController().symbol(), QStringLiteral("tag.fill"));
    EXPECT_TRUE(showsSymbol(icon, QStringLiteral("tag.fill")));
    // The tray shows the new icon in the same place.
    EXPECT_TRUE(eventually([&] { return screenPixels(place) != outlined; }));
    EXPECT_EQ(icon.geometry(), place);
}

TEST_F(TraySession, AClickOnTheIconOpensThePopoverOnScreenNextToIt)
{
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    ApplicationShell &shell = makeTrayShell();
    ASSERT_NE(shell.trayIcon(), nullptr);
    startAndWait(shell.appState());
    ASSERT_NO_FATAL_FAILURE(startShow(shell));
    win(shell.appState().auctionPoller(), QStringLiteral("ann"), QStringLiteral("12.5"), 1);
    win(shell.appState().auctionPoller(), QStringLiteral("bob"), QStringLiteral("7.5"), 2);
    const QRect iconPlace = shell.trayIcon()->systemTrayIcon().geometry();

    Popover *popover = openPopoverByClick(shell);
    ASSERT_NE(popover, nullptr);
    const QRect placed = popover->frameGeometry();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(screen.contains(placed))
        << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
    // Just below the icon, reaching across under it.
    EXPECT_GT(placed.top(), iconPlace.bottom());
    EXPECT_LE(placed.top() - iconPlace.bottom(), 16);
    EXPECT_LE(placed.left(), iconPlace.center().x());
    EXPECT_GE(placed.right(), iconPlace.center().x());

    const QRect around = m_panel.united(placed).adjusted(-24, 0, 0, 24).intersected(screen);
    const QImage picture = screenPixels(around);
    EXPECT_TRUE(test::saveScreen(picture, QStringLiteral("tray")));
    EXPECT_GT(distinctColours(picture), 50);
    popover->hide();
}

TEST_F(TraySession, ShowQuillmarkInThePopoverBringsTheClosedWindowBack)
{
    ApplicationShell &shell = makeTrayShell();
    ASSERT_NE(shell.trayIcon(), nullptr);
    MainWindow &window = shell.mainWindow();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.close();
    ASSERT_FALSE(window.isVisible());
    EXPECT_NE(shell.trayIcon(), nullptr); // closing left the app in the tray

    Popover *popover = openPopoverByClick(shell);
    ASSERT_NE(popover, nullptr);
    auto *showWindow = popover->findChild<QAbstractButton *>(QStringLiteral("showQuillmark"));
    ASSERT_NE(showWindow, nullptr);
    EXPECT_EQ(showWindow->toolTip(), QStringLiteral("Show Quillmark"));
    clickOnScreen(*showWindow);

    ASSERT_TRUE(eventually([&] { return window.isVisible() && !popover->isVisible(); }));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
}

TEST_F(TraySession, QuitWithALabelQueuedAsksFirst)
{
    ApplicationShell &shell = makeTrayShell();
    ASSERT_NE(shell.trayIcon(), nullptr);
    QSignalSpy quit(&shell, &ApplicationShell::quitRequested);
    shell.appState().autoPrintManager().setPrintJobs({printJob(PrintJob::Status::queued())});

    // Answers the confirmation with `answer` as soon as it is on screen.
    QStringList asked;
    QString answer;
    QTimer answering;
    answering.setInterval(20);
    QObject::connect(&answering, &QTimer::timeout, &answering, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_TRUE(screen.intersects(box->frameGeometry()));
        asked.append(box->windowTitle() + QLatin1Char('|') + box->text());
        for (QAbstractButton *button : box->buttons())
            if (button->text() == answer)
                button->click();
    });
    answering.start();

    auto quitFromThePopover = [&] {
        Popover *popover = openPopoverByClick(shell);
        if (!popover)
            return;
        auto *quitButton = popover->findChild<QAbstractButton *>(QStringLiteral("quitQuillmark"));
        ASSERT_NE(quitButton, nullptr);
        clickOnScreen(*quitButton);
        ASSERT_TRUE(eventually([&] { return !popover->isVisible(); }));
    };

    answer = QStringLiteral("Cancel");
    ASSERT_NO_FATAL_FAILURE(quitFromThePopover());
    ASSERT_TRUE(eventually([&] { return !asked.isEmpty() && !QApplication::activeModalWidget(); }));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked.first().startsWith(QStringLiteral("Quit Quillmark?|")));
    EXPECT_TRUE(
        asked.first().contains(QStringLiteral("1 label is still queued or printing: it prints when the show is resumed.")))
        << asked.first().toStdString();
    EXPECT_EQ(quit.size(), 0);

    answer = QStringLiteral("Quit");
    ASSERT_NO_FATAL_FAILURE(quitFromThePopover());
    ASSERT_TRUE(eventually([&] { return quit.size() == 1; }));
    EXPECT_EQ(asked.size(), 2);

    // Nothing pending: no question.
    shell.appState().autoPrintManager().setPrintJobs({});
    ASSERT_NO_FATAL_FAILURE(quitFromThePopover());
    ASSERT_TRUE(eventually([&] { return quit.size() == 2; }));
    EXPECT_EQ(asked.size(), 2);
}

} // namespace
} // namespace quill::testing
