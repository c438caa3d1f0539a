// Clicks on a Sold row's and a Buyers row's print buttons against the private cupsd:
// PNG jobs of the fixed sizes reach the TestLabel queue, and the print log stays as it was.
#include "capture/auction_poller.h"
#include "cups_testbed.h"
#include "named_printers.h"
#include "printing/auto_print_manager.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"
#include "shell_fixture.h"
#include "ui/lists/auction_row_delegate.h"
#include "ui/lists/buyer_row_delegate.h"
#include "ui/lists/live_list_roles.h"
#include "ui/live/live_side_panel.h"

#include <QListView>
#include <QTest>

namespace quill::testing {
namespace {

namespace tb = cups;
const QString kTestLabel = QStringLiteral("TestLabel");

class CupsListPrints : public ShellFixture
{
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        tb::resetQueues();
    }
    void TearDown() override
    {
        ShellFixture::TearDown();
        tb::resetQueues();
    }

    QStringList options(const QString &job)
    {
        return QString::fromUtf8(tb::readFile(job + QStringLiteral(".options")))
            .trimmed()
            .split(QLatin1Char(' '));
    }
};

TEST_F(CupsListPrints, RowPrintButtonsPutPngLabelsIntoTheFirstQueue)
{
    auto printers = std::make_shared<NamedPrinters>();
    printers->names = {kTestLabel};
    AppSetup s = setup();
    s.printerCatalog = printers;
    s.cupsTools.ppdDirectory = tb::ppdDirectory();
    storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    AppState &app = makeAppState(std::move(s));
    startAndWait(app);
    runSync(app.printAdapter().refreshPrinters());
    app.printAdapter().cupsTransport().setDebugCopyFolder(QString());
    RawAuction raw;
    raw.winnerUsername = QStringLiteral("ann");
    raw.salePrice = QStringLiteral("12.5");
    raw.auctionNumber = 3;
    app.auctionPoller().ingest(raw);
    const QList<PrintJob> logBefore = app.autoPrintManager().printJobs();

    LiveSidePanel panel(app);
    panel.resize(350, 600);
    panel.show();

    const struct
    {
        LiveTab tab;
        const char *pageSize;
    } cases[] = {{LiveTab::sold, "PageSize=Custom.144x72"}, {LiveTab::buyers, "PageSize=Custom.432x288"}};
    for (const auto &c : cases) {
        panel.setSelectedTab(c.tab);
        QListView *list = panel.listView(c.tab);
        const QModelIndex index = list->model()->index(0, 0);
        const QRect row = list->visualRect(index);
        QRect button;
        if (auto *sold = qobject_cast<AuctionRowDelegate *>(list->itemDelegate()))
            button = sold->layout(row, index.data(LiveListRoles::auction).value<CapturedAuction>())
                         .actions.printButton;
        if (auto *buyers = qobject_cast<BuyerRowDelegate *>(list->itemDelegate()))
            button = buyers
                         ->layout(row, index.data(LiveListRoles::buyer).toString(),
                                  index.data(LiveListRoles::buyerTotal).value<std::optional<Decimal>>())
                         .actions.printButton;
        ASSERT_FALSE(button.isEmpty());

        const qsizetype before = tb::jobFiles(kTestLabel).size();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, button.center());
        const QString job = tb::nextJob(kTestLabel, before);
        ASSERT_FALSE(job.isEmpty());
        const QByteArray png = tb::readFile(job + QStringLiteral(".bin"));
        EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
        EXPECT_TRUE(options(job).contains(QLatin1String(c.pageSize))) << options(job).join(' ').toStdString();
    }
    ASSERT_TRUE(eventually([&] { return !app.printService().isPrinting(); }));
    EXPECT_FALSE(app.printService().lastError().has_value());
    EXPECT_EQ(app.autoPrintManager().printJobs(), logBefore);
}

} // namespace
} // namespace quill::testing
