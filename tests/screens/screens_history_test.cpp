// The Shows screen as a seller sees it: the list empty, loading and with live,
// completed and draft shows; a show's card on each tab, with no match and with the
// staff delete; the batch dialog idle, part-way and without printers; both previews.
#include "../history/history_fixture.h"
#include "../history/history_views_fixture.h"
#include "screen_capture.h"
#include "ui/history/batch_print_dialog.h"
#include "ui/history/label_preview_sheet.h"
#include "ui/history/stat_card.h"
#include "printing/label_appearance_store.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/palette.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quill::testing {
namespace {

const QSize kScreenSize(900, 700);

class ScreensHistory : public HistoryViewsFixture
{
protected:
    void seedThreeShows()
    {
        // A long show: its count has three digits.
        QList<std::pair<QString, QString>> friday;
        for (int win = 0; win < 128; ++win)
            friday.append({win == 0 ? QStringLiteral("ann") : QStringLiteral("fan%1").arg(win % 40), "12.50"});
        seedShow("Ann is live - Cards - Friday night", "live", "2026-01-16T19:00:00Z", friday);
        seedShow("Ann is live - Vintage - Sunday singles", "completed", "2026-01-15T18:30:05.120Z",
                 {{"renée", "25"}, {"bo", "7.5"}, {"renée", "3"}, {"cy", "40"}, {"dee_collects", "1"}});
        seedShow("Draft for next week", "draft", "2026-01-17T09:00:00Z");
    }

    // New rows, cards and texts are laid out by the event loop before they are drawn.
    QImage capture(const QString &name)
    {
        m_view->resize(kScreenSize);
        for (int turn = 0; turn < 5; ++turn)
            QCoreApplication::processEvents();
        return test::captureScreen(*m_view, kScreenSize, name);
    }
};

TEST_F(ScreensHistory, ListEmptyLoadingAndFilled)
{
    // Loading: the server has not answered and nothing is cached.
    standin::Fault hold;
    hold.kind = standin::Fault::Kind::Hold;
    hold.statusCode = 0;
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows*"), hold);
    applyAppLook(*qApp);
    AppState &app = startSignedIn(kSeller, QStringLiteral("ava@example.com"));
    m_view = std::make_unique<ShowHistoryView>(showHistoryServices(app));
    m_view->show();
    ASSERT_TRUE(eventually([&] { return app.showHistoryStore().isLoading(); }));
    QImage image = test::captureScreen(*m_view, kScreenSize, QStringLiteral("shows-loading"));
    EXPECT_EQ(image.size(), kScreenSize);
    EXPECT_TRUE(m_view->findChild<QWidget *>(QStringLiteral("noShows"))->isHidden());
    EXPECT_FALSE(m_view->findChild<QWidget *>(QStringLiteral("historySpinner"))->isHidden());
    m_backend.clearFaults();
    m_backend.releaseHeld();
    ASSERT_TRUE(eventually([&] { return !app.showHistoryStore().isLoading(); }));

    image = test::captureScreen(*m_view, kScreenSize, QStringLiteral("shows-empty"));
    EXPECT_FALSE(m_view->findChild<QWidget *>(QStringLiteral("noShows"))->isHidden());

    seedThreeShows();
    m_view->controller().refresh();
    ASSERT_TRUE(eventually([&] { return m_view->list()->model()->rowCount() == 3; }));
    image = capture(QStringLiteral("shows-list"));
    // The live show's green badge sits at the end of the first row.
    const QRect row = m_view->list()->visualRect(m_view->list()->model()->index(0, 0));
    const QRect badge = ShowRowDelegate::badgeRect(row, QStringLiteral("live"))
                            .translated(m_view->list()->viewport()->mapTo(m_view.get(), QPoint(0, 0)));
    bool green = false;
    for (int x = badge.left(); x <= badge.right() && !green; ++x) {
        const QColor c = image.pixelColor(x, badge.center().y());
        green = c.green() > 120 && c.green() > c.red() + 40 && c.green() > c.blue() + 30;
    }
    EXPECT_TRUE(green) << "the live badge is drawn in the brand green";
}

TEST_F(ScreensHistory, CardOnBothTabs)
{
    seedThreeShows();
    openScreen();
    ShowDetailView &detail = openCard(2); // the completed show, after live and the newer draft
    detail.model().toggleExpanded(QStringLiteral("renée"));
    // The list lays its rows out again and the column takes its new height.
    for (int turn = 0; turn < 3; ++turn)
        QCoreApplication::processEvents();
    const QImage image = capture(QStringLiteral("show-card-buyers"));
    const QRect card = m_view->card()->geometry();
    EXPECT_EQ(card.size(), ShowHistoryView::kCardSize);
    // The list beside the card lies under the dim layer; the card is lighter than it.
    EXPECT_LT(image.pixelColor(5, kScreenSize.height() / 2).lightness(), image.pixelColor(card.center()).lightness());
    EXPECT_FALSE(detail.findChild<QWidget *>(QStringLiteral("packingSlipsCTA"))->isHidden());
    EXPECT_EQ(detail.findChildren<StatCard *>().size(), 5); // no end time: no duration

    detail.model().setSelectedTab(DetailTab::auctions);
    capture(QStringLiteral("show-card-auctions"));
    EXPECT_TRUE(detail.auctionsList()->isVisible());

    detail.findChild<QLineEdit *>(QStringLiteral("detailSearch"))->setText(QStringLiteral("nobody here"));
    capture(QStringLiteral("show-card-no-match"));
    EXPECT_EQ(detail.findChild<QLabel *>(QStringLiteral("emptyListText"))->text(), "No matching auctions.");
}

TEST_F(ScreensHistory, CardWithStaffDelete)
{
    seedThreeShows();
    openScreen(QStringLiteral("ops@quillmark.app"));
    ShowDetailView &detail = openCard(2);
    capture(QStringLiteral("show-card-staff"));
    EXPECT_TRUE(detail.deleteButton()->isVisible());
}

TEST_F(ScreensHistory, BatchDialogAndPreviews)
{
    FakeProcessRunner runner;
    runner.setResponder([](const ProcessRequest &) { return FakeProcessRunner::finished(QString()); });
    auto catalog = std::make_shared<NamedCatalog>();
    catalog->names = {QStringLiteral("Zebra_ZD421_A1B2C3"), QStringLiteral("Rollo_Wireless")};
    PrintKitAdapterSetup adapterSetup;
    adapterSetup.runner = &runner;
    adapterSetup.catalog = catalog;
    PrintKitAdapter adapter(std::move(adapterSetup));
    runSync(adapter.refreshPrinters());
    TemporarySettings settings;

    QList<ServerAuction> auctions;
    for (int i = 1; i <= 10; ++i)
        auctions.append(auction(QString::number(i), QStringLiteral("buyer%1").arg(i % 4), QStringLiteral("5"), i,
                                QStringLiteral("Card %1").arg(i)));
    const auto makeSetup = [&](PrintKitAdapter *printers) {
        BatchPrintDialogSetup setup;
        setup.auctions = auctions;
        setup.buyerGroups = showBuyerGroups(auctions);
        setup.printAdapter = printers;
        setup.printer = std::make_shared<RecordingShowPrinter>();
        setup.settings = settings.get();
        return setup;
    };
    {
        BatchPrintDialog dialog(makeSetup(&adapter));
        const QImage image = test::captureScreen(dialog, QSize(380, 340), QStringLiteral("batch-idle"));
        EXPECT_EQ(image.size(), QSize(380, 340));
        EXPECT_EQ(dialog.summaryText(), "Print 10 individual labels");
        dialog.showProgress(3, 10);
        test::captureScreen(dialog, QSize(380, 340), QStringLiteral("batch-progress"));
        EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("batchProgressText"))->text(), "3/10");
    }
    {
        FakeProcessRunner none;
        PrintKitAdapterSetup emptySetup;
        emptySetup.runner = &none;
        emptySetup.catalog = std::make_shared<NamedCatalog>();
        PrintKitAdapter empty(std::move(emptySetup));
        BatchPrintDialog dialog(makeSetup(&empty));
        test::captureScreen(dialog, QSize(380, 340), QStringLiteral("batch-no-printers"));
        EXPECT_FALSE(dialog.findChild<QWidget *>(QStringLiteral("noPrinters"))->isHidden());
    }

    LabelSectionState winner = LabelSectionState::defaults(0);
    LabelAppearanceStore appearance(*settings, QString());
    LabelPreviewSheet label(winnerLabelContent(auctions.first(), 1, QStringLiteral("Friday night")), winner,
                            appearance.appearance());
    const QImage labelImage = test::captureScreen(label, label.sizeHint().expandedTo(QSize(360, 300)),
                                                  QStringLiteral("preview-label"));
    ASSERT_NE(label.pageView(), nullptr);
    EXPECT_EQ(label.pageView()->size(), QSize(280, 140)) << "a 2x1 label at 280 / 144";

    LabelSectionState slip = LabelSectionState::defaults(2);
    slip.selectedMedia = LabelMedia::shipping4x6();
    slip.selectedOrientation = Orientation::portrait;
    const LabelContent content = LabelContent::grouped(QStringLiteral("buyer1"), packingSlipItems(auctions),
                                                       Decimal(50), QStringLiteral("Friday night"));
    PackingSlipPreviewSheet sheet(QStringLiteral("buyer1"), content, slip, appearance.appearance());
    test::captureScreen(sheet, QSize(420, 600), QStringLiteral("preview-packing-slip"));
    ASSERT_FALSE(sheet.pageViews().isEmpty());
    EXPECT_EQ(sheet.pageViews().first()->size(), QSize(360, 540)) << "4x6 portrait at 1.25";
}

} // namespace
} // namespace quill::testing
