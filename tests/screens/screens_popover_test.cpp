// The tray popover as a seller sees it: during a show, and with no show running.
#include "capture/auction_poller.h"
#include "fake_process_runner.h"
#include "printing/auto_print_manager.h"
#include "printing/label_section_state.h"
#include "run_sync.h"
#include "screen_capture.h"
#include "shell_fixture.h"
#include "ui/app/menu_bar_popover.h"
#include "ui/app/menu_bar_popover_controller.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/popover.h"

namespace quill::testing {
namespace {

const QString kQueue = QStringLiteral("Desk_Zebra_7F3A9C");

// One label printer, its queue idle.
class OnePrinterCatalog final : public printkit::PrinterQuerying
{
public:
    QCoro::Task<QList<printkit::PrinterDescriptor>> availablePrinters() override
    {
        co_return QList<printkit::PrinterDescriptor>{{kQueue, kQueue, true}};
    }
    QCoro::Task<std::optional<printkit::PrinterDescriptor>> defaultPrinter() override
    {
        co_return std::nullopt;
    }
    QCoro::Task<std::optional<printkit::PrinterDescriptor>> preferredPrinter(QStringList) override
    {
        co_return std::nullopt;
    }
};

class ScreensPopover : public ShellFixture
{
protected:
    // The popover in its card, as the tray opens it.
    static QImage capture(AppState &app, const QString &name)
    {
        Popover popover;
        popover.setContent(new MenuBarPopover(app));
        popover.adjustSize();
        return test::captureScreen(popover, popover.sizeHint(), name);
    }

    FakeProcessRunner m_runner;
};

TEST_F(ScreensPopover, Live)
{
    m_runner.setResponder([](const ProcessRequest &) {
        return FakeProcessRunner::finished(
            QStringLiteral("printer ") + kQueue +
            QStringLiteral(" is idle.  enabled since Mon Dec  7 07:46:34 2026\n"));
    });
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    AppSetup appSetup = setup();
    appSetup.processRunner = &m_runner;
    appSetup.printerCatalog = std::make_shared<OnePrinterCatalog>();
    AppState &app = makeAppState(std::move(appSetup));
    startAndWait(app);
    runSync(app.printAdapter().refreshPrinters());
    ASSERT_EQ(app.printAdapter().printers().size(), 1);

    LabelSectionState winner = LabelSectionState::load(0, *m_settings);
    winner.selectedPrinter = kQueue;
    ASSERT_FALSE(winner.save(0, *m_settings).has_value());
    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started = app.showSyncService().startShow(QStringLiteral("Friday"), QStringLiteral("both"));
    ASSERT_TRUE(eventually([&] { return !app.showSyncService().activeShowId().isEmpty(); }));
    app.autoPrintManager().setIsPrinting(true);
    app.autoPrintManager().setLabelMode(LabelMode::both);
    const struct
    {
        const char *winner;
        const char *price;
        qint64 number;
    } wins[] = {{"maple_cards", "12.5", 14}, {"Bidder1", "7.5", 15}, {"maple_cards", "40", 16}};
    for (const auto &win : wins) {
        RawAuction raw;
        raw.winnerUsername = QString::fromUtf8(win.winner);
        raw.salePrice = QString::fromUtf8(win.price);
        raw.auctionNumber = win.number;
        app.auctionPoller().ingest(raw);
    }
    PrintJob waiting;
    waiting.id = PrintJob::makeId();
    waiting.label = QStringLiteral("@maple_cards $40");
    app.autoPrintManager().setPrintJobs({waiting});

    const QImage image = capture(app, QStringLiteral("popover-live"));

    EXPECT_GE(image.width(), MenuBarPopover::kWidth);
    // Taller than the offline popover: the figures row and three wins.
    EXPECT_GT(image.height(), 300);
    // The printer's dot on the right of its row is green somewhere.
    bool green = false;
    for (int y = 0; y < image.height() && !green; ++y)
        for (int x = image.width() - 40; x < image.width(); ++x)
            green = green || image.pixelColor(x, y).rgb() == brandGreenColor().rgb();
    EXPECT_TRUE(green);
    runSync(app.showSyncService().endShow());
}

TEST_F(ScreensPopover, Offline)
{
    AppState &app = makeAppState();
    app.autoPrintManager().setIsPrinting(false);
    app.autoPrintManager().setLabelMode(LabelMode::realtime);

    const QImage image = capture(app, QStringLiteral("popover-offline"));

    EXPECT_GE(image.width(), MenuBarPopover::kWidth);
    EXPECT_LT(image.height(), 300);
    MenuBarPopoverController controller(app);
    EXPECT_FALSE(controller.showsStatistics());
    EXPECT_EQ(controller.currentPrinter(), std::nullopt);
}

} // namespace
} // namespace quill::testing
