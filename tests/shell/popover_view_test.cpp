// The tray popover's widgets and the question asked before quitting with work pending.
#include "application_shell_fixture.h"
#include "capture/auction_poller.h"
#include "print_jobs.h"
#include "printing/auto_print_manager.h"
#include "printing/label_section_state.h"
#include "ui/app/application_shell.h"
#include "ui/app/main_window.h"
#include "ui/app/menu_bar_popover.h"
#include "ui/app/menu_bar_popover_controller.h"
#include "ui/app/tray_controller.h"
#include "ui/widgets/popover.h"
#include "ui/widgets/user_avatar_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace quill::testing {
namespace {

bool showsText(const QWidget &root, const QString &text)
{
    for (const QLabel *label : root.findChildren<QLabel *>())
        if (label->isVisibleTo(&root) && label->text() == text)
            return true;
    return false;
}

// Answers the next message box with the button whose text is `answer`, noting what it said.
void answerNextQuestion(const QString &answer, QString *asked)
{
    QTimer::singleShot(0, qApp, [answer, asked] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        *asked = box->text();
        for (QAbstractButton *button : box->buttons())
            if (button->text() == answer)
                button->click();
    });
}

class PopoverViewTest : public ApplicationShellFixture
{
};

TEST_F(PopoverViewTest, RowsFollowTheServices)
{
    AppState &app = makeAppState();
    MenuBarPopover popover(app);
    popover.show();
    EXPECT_EQ(popover.width(), MenuBarPopover::kWidth);
    EXPECT_TRUE(showsText(popover, QStringLiteral("Offline")));
    EXPECT_TRUE(showsText(popover, QStringLiteral("No printer")));
    EXPECT_TRUE(showsText(popover, QStringLiteral("Start a show from the Live Show tab")));

    for (int i = 1; i <= 6; ++i) {
        RawAuction raw;
        raw.winnerUsername = QStringLiteral("buyer%1").arg(i);
        raw.salePrice = QStringLiteral("5");
        raw.auctionNumber = i == 6 ? std::nullopt : std::optional<qint64>(i);
        app.auctionPoller().ingest(raw);
    }
    // The newest five, the newest (without a number) first.
    const auto avatars = popover.findChildren<UserAvatarView *>();
    ASSERT_EQ(avatars.size(), 5);
    EXPECT_TRUE(showsText(popover, QStringLiteral("@buyer6")));
    EXPECT_FALSE(showsText(popover, QStringLiteral("@buyer1")));
    EXPECT_FALSE(showsText(popover, QStringLiteral("#6")));
    EXPECT_TRUE(showsText(popover, QStringLiteral("#5")));

    LabelSectionState winner = LabelSectionState::load(0, *m_settings);
    winner.selectedPrinter = QStringLiteral("Desk_Zebra_7F3A9C");
    ASSERT_FALSE(winner.save(0, *m_settings).has_value());
    const QPointer<UserAvatarView> firstAvatar = avatars.first();
    app.autoPrintManager().setPrintJobs(
        {printJob(PrintJob::Status::queued()), printJob(PrintJob::Status::queued())});
    EXPECT_FALSE(firstAvatar.isNull()) << "the same wins keep their rows";
    EXPECT_TRUE(showsText(popover, QStringLiteral("Desk Zebra")));
    auto *clear = popover.findChild<QAbstractButton *>(QStringLiteral("clearPrintQueue"));
    ASSERT_NE(clear, nullptr);
    EXPECT_TRUE(clear->isVisibleTo(&popover));
    EXPECT_EQ(clear->text(), QStringLiteral("2 pending"));
}

TEST_F(PopoverViewTest, TheSwitchAndTheButtons)
{
    AppState &app = makeAppState();
    app.autoPrintManager().setIsPrinting(false);
    MenuBarPopover popover(app);
    QSignalSpy show(&popover, &MenuBarPopover::showMainWindowRequested);
    QSignalSpy quit(&popover, &MenuBarPopover::quitRequested);
    popover.show();

    auto *autoPrint = popover.findChild<QAbstractButton *>(QStringLiteral("autoPrintSwitch"));
    ASSERT_NE(autoPrint, nullptr);
    EXPECT_FALSE(autoPrint->isChecked());
    QTest::mouseClick(autoPrint, Qt::LeftButton);
    EXPECT_TRUE(app.autoPrintManager().isPrinting());
    EXPECT_TRUE(app.autoPrintManager().hasPendingDebounce());
    app.autoPrintManager().setIsPrinting(false); // from the live screen
    EXPECT_FALSE(autoPrint->isChecked());

    QTest::mouseClick(popover.findChild<QAbstractButton *>(QStringLiteral("showQuillmark")), Qt::LeftButton);
    QTest::mouseClick(popover.findChild<QAbstractButton *>(QStringLiteral("quitQuillmark")), Qt::LeftButton);
    EXPECT_EQ(show.size(), 1);
    EXPECT_EQ(quit.size(), 1);
}

TEST_F(PopoverViewTest, QuittingFromThePopoverWithALabelQueuedAsksFirst)
{
    ApplicationShell &shell = makeShell();
    QSignalSpy quit(&shell, &ApplicationShell::quitRequested);
    shell.appState().autoPrintManager().setPrintJobs({printJob(PrintJob::Status::queued())});
    shell.trayController().activate(QRect(600, 0, 22, 22));
    auto *quitRow = shell.popover().findChild<QAbstractButton *>(QStringLiteral("quitQuillmark"));
    ASSERT_NE(quitRow, nullptr);

    QString asked;
    answerNextQuestion(QStringLiteral("Cancel"), &asked);
    QTest::mouseClick(quitRow, Qt::LeftButton);
    EXPECT_TRUE(asked.contains(QStringLiteral("1 label is still queued or printing"))) << asked.toStdString();
    EXPECT_EQ(quit.size(), 0);

    shell.trayController().activate(QRect(600, 0, 22, 22));
    answerNextQuestion(QStringLiteral("Quit"), &asked);
    QTest::mouseClick(quitRow, Qt::LeftButton);
    EXPECT_EQ(quit.size(), 1);
}

TEST_F(PopoverViewTest, ClosingTheWindowWithoutATrayAsksWhileLabelsWait)
{
    ApplicationShell &shell = makeShell();
    QSignalSpy quit(&shell, &ApplicationShell::quitRequested);
    shell.mainWindow().show();
    ASSERT_TRUE(eventually([&] { return shell.appState().completedStarts() == 1; }));
    shell.appState().autoPrintManager().setPrintJobs({printJob(PrintJob::Status::queued())});

    QString asked;
    answerNextQuestion(QStringLiteral("Cancel"), &asked);
    shell.mainWindow().close();
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_TRUE(shell.mainWindow().isVisible());
    EXPECT_EQ(quit.size(), 0);

    answerNextQuestion(QStringLiteral("Quit"), &asked);
    shell.mainWindow().close();
    EXPECT_FALSE(shell.mainWindow().isVisible());
    EXPECT_EQ(quit.size(), 1);
}

} // namespace
} // namespace quill::testing
