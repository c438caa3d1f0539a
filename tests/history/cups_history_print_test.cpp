// Reprints and batches of a past show against the private CUPS scheduler: 500 winner
// labels from the stand-in backend reach TestLabel in order on 4x6 stock though the
// dialog was closed early; packing slips page as they should; a row reprint uses the
// row's medium.
#include "backend/show_history_store.h"
#include "backend/zav_api_client.h"
#include "cups_print_stack.h"
#include "cups_testbed.h"
#include "printing/label_appearance_store.h"
#include "printing/label_section_state.h"
#include "printing/layouts/grouped_label_view.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"
#include "standin_home_fixture.h"
#include "ui/history/batch_print_dialog.h"
#include "ui/history/show_detail_model.h"

#include <QImage>

using namespace quill;
using namespace quill::testing;
namespace tb = quill::testing::cups;

namespace {

const QString kTestLabel = QStringLiteral("TestLabel");

class CupsHistoryPrint : public StandinHomeFixture, protected tb::CupsPrintStack
{
protected:
    void SetUp() override
    {
        StandinHomeFixture::SetUp();
        startPrintStack(*m_settings, LabelColorMode::blackAndWhite);
        m_client = std::make_unique<ZavAPIClient>(m_backend.baseUrl());
        m_client->setBearerToken(m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ava@example.com")));
        m_store.setApi(m_client.get());
    }

    void TearDown() override
    {
        stopPrintStack();
        StandinHomeFixture::TearDown();
    }

    QString seedShow(int auctions, const std::function<QString(int)> &winnerOf)
    {
        standin::StandinShow show;
        show.userId = QStringLiteral("u1");
        show.title = QStringLiteral("Big Friday");
        show.status = QStringLiteral("completed");
        const QString id = m_backend.addShow(show);
        for (int i = 1; i <= auctions; ++i) {
            standin::StandinAuction auction;
            auction.showId = id;
            auction.winnerUsername = winnerOf(i);
            auction.salePrice = QString::number(i);
            auction.auctionNumber = i;
            auction.rawTitle = QStringLiteral("Card %1").arg(i);
            auction.createdAt = QDateTime(QDate(2026, 1, 15), QTime(10, 0), Qt::UTC).addSecs(i).toString(Qt::ISODate);
            m_backend.addAuction(auction);
        }
        return id;
    }

    ShowDetailServices services()
    {
        return ShowDetailServices{.store = m_store,
                                  .printAdapter = *m_adapter,
                                  .settings = *m_settings,
                                  .printer = std::make_shared<PrintServiceShowPrinter>(*m_service),
                                  .isStaff = {},
                                  .runOwner = m_service.get(),
                                  .appearance = *m_appearance};
    }

    std::unique_ptr<ShowDetailModel> loadedDetail(const QString &showId)
    {
        ShowSummary summary;
        summary.id = showId;
        summary.title = QStringLiteral("Big Friday");
        summary.status = QStringLiteral("completed");
        auto detail = std::make_unique<ShowDetailModel>(summary, services());
        detail->load();
        EXPECT_TRUE(eventually([&] { return detail->response().has_value(); }));
        return detail;
    }

    void saveSettings(int labelType, const LabelMedia &media, Orientation orientation)
    {
        LabelSectionState state = LabelSectionState::defaults(labelType);
        state.selectedMedia = media;
        state.selectedOrientation = orientation;
        state.selectedPrinter = kTestLabel;
        ASSERT_FALSE(state.save(labelType, *m_settings).has_value());
    }

    static QString options(const QString &job)
    {
        return QString::fromUtf8(tb::readFile(job + QStringLiteral(".options")));
    }

    std::unique_ptr<ZavAPIClient> m_client;
    ShowHistoryStore m_store;
};

} // namespace

TEST_F(CupsHistoryPrint, FiveHundredWinnerLabelsInOrderThoughTheDialogClosedEarly)
{
    const QString showId = seedShow(500, [](int i) { return QStringLiteral("buyer%1").arg(i % 37); });
    saveSettings(0, LabelMedia::shipping4x6(), Orientation::landscape);
    auto detail = loadedDetail(showId);
    detail->setSelectedTab(DetailTab::auctions);
    ASSERT_EQ(detail->filteredAuctions().size(), 500);

    const qsizetype before = tb::jobFiles(kTestLabel).size();
    BatchPrintDialogSetup setup;
    setup.auctions = detail->filteredAuctions();
    setup.buyerGroups = detail->filteredBuyerGroups();
    setup.boxNumbers = detail->boxNumbers();
    setup.showTitle = detail->show().title;
    setup.initialType = detail->initialBatchType();
    setup.printAdapter = m_adapter.get();
    setup.printer = std::make_shared<PrintServiceShowPrinter>(*m_service);
    setup.settings = m_settings.get();
    setup.runOwner = m_service.get();
    auto dialog = std::make_unique<BatchPrintDialog>(std::move(setup));
    dialog->setSelectedPrinter(kTestLabel);
    QPointer<BatchPrintRun> run;
    int failures = -1;
    QObject::connect(dialog.get(), &BatchPrintDialog::runStarted, m_service.get(), [&](BatchPrintRun *started) {
        run = started;
        QObject::connect(started, &BatchPrintRun::finished, m_service.get(),
                         [&, started] { failures = started->failedCount(); });
    });
    dialog->startPrinting();
    ASSERT_TRUE(tb::eventually([&] { return tb::jobFiles(kTestLabel).size() >= before + 3; }, std::chrono::seconds(60)));
    dialog.reset(); // the seller closes the dialog; the run goes on
    ASSERT_TRUE(tb::eventually([&] { return failures >= 0; }, std::chrono::seconds(240)));
    EXPECT_EQ(failures, 0);
    ASSERT_TRUE(tb::eventually([&] { return tb::jobFiles(kTestLabel).size() >= before + 500; }, std::chrono::seconds(60)));
    const QStringList files = tb::jobFiles(kTestLabel).mid(before);
    ASSERT_EQ(files.size(), 500);
    QByteArray previous;
    for (const int i : {0, 1, 250, 499}) {
        const QString stem = tb::outDir(kTestLabel) + QLatin1Char('/') + files.at(i).chopped(4);
        EXPECT_TRUE(options(stem).contains(QStringLiteral("PageSize=Custom.432x288"))) << qPrintable(options(stem));
        const QByteArray png = tb::readFile(stem + QStringLiteral(".bin"));
        EXPECT_TRUE(png.startsWith("\x89PNG"));
        EXPECT_NE(png, previous) << "each label is its own auction's";
        previous = png;
    }
}

TEST_F(CupsHistoryPrint, PackingSlipsOnePerBuyerAndALongOneOnTwoPages)
{
    saveSettings(2, LabelMedia::shipping4x6(), Orientation::portrait);
    const LabelSectionState slips = LabelSectionState::load(2, *m_settings);
    // Enough items for exactly two pages at the saved size.
    QList<GroupedItem> probe;
    int longCount = 1;
    for (;; ++longCount) {
        probe.append(GroupedItem{longCount, QStringLiteral("Card"), QStringLiteral("1")});
        if (GroupedLabelView::paginate(probe, slips.selectedStyle, 432).size() == 2)
            break;
    }
    const QString showId = seedShow(longCount + 2, [longCount](int i) {
        return i <= longCount ? QStringLiteral("ann") : QStringLiteral("bo%1").arg(i);
    });
    auto detail = loadedDetail(showId);
    ASSERT_EQ(detail->filteredBuyerGroups().size(), 3);
    const qsizetype before = tb::jobFiles(kTestLabel).size();
    auto *run = detail->makeBatchRun(BatchPrintType::packingSlips, kTestLabel);
    bool done = false;
    QObject::connect(run, &BatchPrintRun::finished, m_service.get(), [&] { done = true; });
    run->start();
    ASSERT_TRUE(tb::eventually([&] { return done; }, std::chrono::seconds(60)));
    ASSERT_TRUE(tb::eventually([&] { return tb::jobFiles(kTestLabel).size() >= before + 4; }, std::chrono::seconds(30)));
    EXPECT_EQ(tb::jobFiles(kTestLabel).size(), before + 4) << "two pages for ann, one for each other buyer";
}

TEST_F(CupsHistoryPrint, RowReprintUsesTheRowsMedium)
{
    const QString showId = seedShow(2, [](int i) { return QStringLiteral("buyer%1").arg(i); });
    saveSettings(0, LabelMedia::rect1x2(), Orientation::portrait);
    auto detail = loadedDetail(showId);
    const qsizetype before = tb::jobFiles(kTestLabel).size();
    const QString id = detail->filteredAuctions().first().id;
    detail->printWinnerLabel(id);
    ASSERT_TRUE(tb::eventually([&] { return !detail->isPrintingAuction(id); }, std::chrono::seconds(30)));
    EXPECT_EQ(detail->printFailure(), "");
    const QString job = tb::nextJob(kTestLabel, before);
    EXPECT_TRUE(options(job).contains(QStringLiteral("PageSize=Custom.144x72"))) << qPrintable(options(job));
    const QImage image = QImage::fromData(tb::readFile(job + QStringLiteral(".bin")));
    EXPECT_EQ(image.size(), QSize(600, 300)); // portrait 1x2, turned for the printer
}
