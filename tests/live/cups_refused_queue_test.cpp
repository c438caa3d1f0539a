// A queue that refuses jobs, met through the private cupsd: lp's reason in the live
// header's printer banner (without Fix, which cannot help) and in the tray
// popover's printer dot, until a label reaches the queue again.
#include "cups_testbed.h"
#include "live_view_fixture.h"
#include "printing/auto_print_manager.h"
#include "printing/print_kit_adapter.h"
#include "shown_text.h"
#include "ui/app/menu_bar_popover.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/status_dot.h"

#include <QCoroTask>
#include <QLabel>
#include <QPushButton>

namespace quill::testing {
namespace {

namespace tb = quill::testing::cups;
using namespace std::chrono_literals;

class CupsRefusedQueue : public LiveViewFixture
{
protected:
    void SetUp() override
    {
        LiveViewFixture::SetUp();
        tb::resetQueues();
        ASSERT_NO_FATAL_FAILURE(saveLabelPrinters(tb::kTestLabel));
    }

    void TearDown() override
    {
        if (m_appState)
            m_appState->autoPrintManager().setIsPrinting(false);
        m_popover.reset();
        LiveViewFixture::TearDown();
        tb::resetQueues();
    }

    // The screen over services that print through the CUPS tools to the private cupsd.
    LiveShowView &openOnCups()
    {
        storeSession(QStringLiteral("u1"), QStringLiteral("seller@example.com"));
        AppSetup options = setup();
        options.printerCatalog = nullptr;
        options.cupsTools.ppdDirectory = tb::ppdDirectory();
        AppState &app = makeAppState(std::move(options));
        startAndWait(app);
        m_controller = std::make_unique<LiveShowController>(LiveServices::of(app));
        m_view = std::make_unique<LiveShowView>(*m_controller);
        m_view->resize(kDetailSize);
        m_view->show();
        m_popover = std::make_unique<MenuBarPopover>(app);
        m_popover->show();
        return *m_view;
    }

    void refreshPrinters() { QCoro::waitFor(m_appState->printAdapter().refreshPrinters()); }

    // One win's labels through a debounced walk; waits until none is queued or printing.
    void printWin(const QString &buyer, qint64 number)
    {
        CapturedAuction auction;
        auction.winnerUsername = buyer;
        auction.salePrice = *Decimal::fromString(QStringLiteral("5"));
        auction.auctionNumber = number;
        auction.id = CapturedAuction::makeId(buyer, auction.salePrice, number);
        AutoPrintManager &manager = m_appState->autoPrintManager();
        manager.enqueue({auction}, m_appState->printService());
        m_sleeper.advance(AutoPrintManager::kDebounce);
        ASSERT_TRUE(tb::eventually([&] {
            const QList<PrintJob> &jobs = manager.printJobs();
            return !manager.isProcessing() && std::none_of(jobs.begin(), jobs.end(), [](const PrintJob &job) {
                return job.status.isQueued() || job.status.kind == PrintJob::Status::Kind::printing;
            });
        }));
    }

    StatusDot *printerDot() const { return m_popover->findChild<StatusDot *>(QStringLiteral("printerStatusDot")); }

    std::unique_ptr<MenuBarPopover> m_popover;
};

TEST_F(CupsRefusedQueue, TheBannerAndTheTrayDotGiveLpsReasonAndFixIsOfferedOnlyForAStoppedQueue)
{
    LiveShowView &screen = openOnCups();
    goLive();
    m_appState->autoPrintManager().setIsPrinting(true);
    refreshPrinters();
    LiveHeaderBar *header = screen.headerBar();
    EXPECT_FALSE(header->printerQueueBanner()->isVisible());
    ASSERT_NE(printerDot(), nullptr);
    EXPECT_EQ(printerDot()->color(), brandGreenColor());

    // The queue stays enabled but takes no job: each label fails with lp's words.
    tb::tool(QStringLiteral("/usr/sbin/cupsreject"), {tb::kTestLabel});
    ASSERT_NO_FATAL_FAILURE(printWin(QStringLiteral("ann"), 1));
    const QList<PrintJob> &jobs = m_appState->autoPrintManager().printJobs();
    ASSERT_FALSE(jobs.isEmpty());
    const QString reason = jobs.first().status.message;
    ASSERT_TRUE(reason.contains(QStringLiteral("not accepting jobs"))) << reason.toStdString();

    ASSERT_TRUE(header->printerQueueBanner()->isVisible());
    EXPECT_EQ(header->printerQueueText()->text(), reason);
    EXPECT_FALSE(header->fixButton()->isVisible()) << "Fix re-enables queues; it cannot make one accept jobs";
    EXPECT_EQ(printerDot()->color(), systemColor(SystemColor::red));
    EXPECT_EQ(shownText(printerDot()->toolTip()), reason);

    // The list's regular refresh cannot see the refusal, and keeps it.
    refreshPrinters();
    EXPECT_TRUE(header->printerQueueBanner()->isVisible());
    EXPECT_EQ(printerDot()->color(), systemColor(SystemColor::red));

    // Accepting again: the next label goes through and the warnings go.
    tb::tool(QStringLiteral("/usr/sbin/cupsaccept"), {tb::kTestLabel});
    ASSERT_NO_FATAL_FAILURE(printWin(QStringLiteral("bob"), 2));
    EXPECT_EQ(m_appState->autoPrintManager().printJobs().first().status.kind, PrintJob::Status::Kind::done);
    EXPECT_FALSE(header->printerQueueBanner()->isVisible());
    EXPECT_EQ(printerDot()->color(), brandGreenColor());
    EXPECT_TRUE(printerDot()->toolTip().isEmpty());

    // A stopped queue is what Fix repairs.
    m_appState->autoPrintManager().setIsPrinting(false);
    tb::tool(QStringLiteral("/usr/sbin/cupsdisable"), {tb::kTestLabel});
    refreshPrinters();
    ASSERT_TRUE(header->printerQueueBanner()->isVisible());
    EXPECT_EQ(header->printerQueueText()->text(), QStringLiteral("Printer queue stopped"));
    EXPECT_TRUE(header->fixButton()->isVisible());
}

} // namespace
} // namespace quill::testing
