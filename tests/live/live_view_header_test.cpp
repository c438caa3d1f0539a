// The live header, the staff panel and the status bar handing the seller's taps to the controller.
#include "backend/show_sync_service.h"
#include "live_view_fixture.h"
#include "printing/auto_print_manager.h"
#include "ui/live/live_controls.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

namespace quill::testing {
namespace {

class LiveViewHeader : public LiveViewFixture
{
};

TEST_F(LiveViewHeader, StaffSeeTheWrenchThatOpensTheStaffPanel)
{
    LiveShowView &screen = open(QStringLiteral("staff@quillmark.app"));
    goLive();
    LiveHeaderBar *header = screen.headerBar();
    ASSERT_TRUE(header->adminButton()->isVisible());
    EXPECT_FALSE(header->adminToolsPanel()->isVisible());

    QTest::mouseClick(header->adminButton(), Qt::LeftButton);
    EXPECT_TRUE(controller().showAdmin());
    ASSERT_TRUE(header->adminToolsPanel()->isVisible());
    EXPECT_FALSE(header->cleanSwitch()->isEnabled());

    // Video on: the page box comes and Clean can be switched.
    QTest::mouseClick(header->videoSwitch(), Qt::LeftButton);
    EXPECT_TRUE(controller().showVideo());
    EXPECT_TRUE(header->cleanSwitch()->isEnabled());
    EXPECT_TRUE(screen.pageBox()->isVisible());
    QTest::mouseClick(header->cleanSwitch(), Qt::LeftButton);
    EXPECT_FALSE(controller().streamClean());

    QTest::mouseClick(header->adminButton(), Qt::LeftButton);
    EXPECT_FALSE(controller().showAdmin());
    EXPECT_FALSE(header->adminToolsPanel()->isVisible());
}

TEST_F(LiveViewHeader, SellersSeeNoWrench)
{
    LiveShowView &screen = open();
    goLive();
    EXPECT_FALSE(screen.headerBar()->adminButton()->isVisible());
    EXPECT_FALSE(screen.headerBar()->adminToolsPanel()->isVisible());
}

TEST_F(LiveViewHeader, PrintingButtonModePickerAndErrorLine)
{
    LiveShowView &screen = open();
    goLive();
    LiveHeaderBar *header = screen.headerBar();
    AutoPrintManager &autoPrint = m_appState->autoPrintManager();
    autoPrint.setIsPrinting(false);
    EXPECT_EQ(header->printingButton()->text(), QStringLiteral("Start Printing"));
    QTest::mouseClick(header->printingButton(), Qt::LeftButton);
    EXPECT_TRUE(autoPrint.isPrinting());
    EXPECT_EQ(header->printingButton()->text(), QStringLiteral("Pause Printing"));

    QComboBox *mode = header->modePicker();
    ASSERT_EQ(mode->count(), 3);
    EXPECT_EQ(mode->itemText(0), QStringLiteral("Winner"));
    EXPECT_EQ(mode->itemText(2), QStringLiteral("Winner + Box"));
    mode->activated(1);
    EXPECT_EQ(autoPrint.labelMode(), LabelMode::grouped);
    autoPrint.setLabelMode(LabelMode::both);
    EXPECT_EQ(mode->currentText(), QStringLiteral("Winner + Box"));

    // No error: the line takes no room.
    EXPECT_FALSE(header->errorLine()->isVisible());
    EXPECT_FALSE(header->printerQueueBanner()->isVisible());
}

TEST_F(LiveViewHeader, EndShowAsksFirstAndOnlyTheConfirmationEndsTheShow)
{
    LiveShowView &screen = open();
    goLive();
    waitForShow();
    QPushButton *endShow = screen.statusBar()->endShowButton();
    ASSERT_TRUE(endShow->isVisible());
    EXPECT_FALSE(screen.statusBar()->leaveStreamButton()->isVisible());

    // Dismissed: nothing changes.
    QTest::mouseClick(endShow, Qt::LeftButton);
    ASSERT_NE(screen.endConfirmation(), nullptr);
    EXPECT_EQ(screen.endConfirmation()->text(), QStringLiteral("End this show?"));
    EXPECT_EQ(screen.endConfirmation()->informativeText(),
              QStringLiteral("This will stop capturing auctions and end the current show."));
    screen.endConfirmation()->reject();
    EXPECT_FALSE(controller().showEndConfirmation());
    EXPECT_FALSE(m_appState->showSyncService().activeShowId().isEmpty());

    QTest::mouseClick(endShow, Qt::LeftButton);
    ASSERT_NE(screen.endConfirmation(), nullptr);
    auto *confirm = screen.endConfirmation()->findChild<QPushButton *>(QStringLiteral("confirmEndShow"));
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(confirm->text(), QStringLiteral("End Show"));
    QTest::mouseClick(confirm, Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return m_appState->showSyncService().activeShowId().isEmpty(); }));
    EXPECT_EQ(screen.endConfirmation(), nullptr);
    // The show is gone, and with it the stream: the connect screen returns.
    EXPECT_FALSE(m_appState->autoPrintManager().isPrinting());
    EXPECT_EQ(screen.page(), LiveShowView::Page::connect);
}

TEST_F(LiveViewHeader, LeaveStreamWithoutAShowReturnsToTheConnectScreen)
{
    LiveShowView &screen = open();
    goLive();
    QPushButton *leave = screen.statusBar()->leaveStreamButton();
    ASSERT_TRUE(leave->isVisible());
    EXPECT_FALSE(screen.statusBar()->endShowButton()->isVisible());
    EXPECT_EQ(screen.statusBar()->capturedLabel()->text(), QStringLiteral("0 captured"));

    QTest::mouseClick(leave, Qt::LeftButton);
    EXPECT_TRUE(m_appState->showSyncService().activeStreamId().isEmpty());
    EXPECT_EQ(screen.page(), LiveShowView::Page::connect);
}

} // namespace
} // namespace quill::testing
