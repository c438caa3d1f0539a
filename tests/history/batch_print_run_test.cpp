// Batch printing of a show with a recording printer: order, progress, settings read
// once, empty lists, missing box numbers and titles, failures, and a run that goes
// on after its dialog is closed.
#include "history_fixture.h"
#include "printing/label_section_state.h"
#include "ui/history/batch_print_dialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>

using namespace quill;
using namespace quill::testing;

namespace {

class BatchPrint : public HistoryFixture
{
protected:
    BatchPrintJobs jobs(BatchPrintType type)
    {
        BatchPrintJobs j;
        j.type = type;
        j.printer = QStringLiteral("Labels");
        j.auctions = {auction("a1", "ann", "25", 1, QStringLiteral("Mug")), auction("a2", "bo", "5.5", 2),
                      auction("a3", "cy", "7", std::nullopt)};
        j.buyerGroups = showBuyerGroups(j.auctions);
        j.boxNumbers = {{"ann", 1}, {"bo", 2}};
        j.showTitle = QStringLiteral("Friday");
        return j;
    }

    // Runs to its end; returns the progress reported on the way.
    QList<QPair<int, int>> runToEnd(BatchPrintRun *run, bool *finished = nullptr)
    {
        QList<QPair<int, int>> progress;
        QPointer<BatchPrintRun> guard(run);
        bool done = false;
        QObject::connect(run, &BatchPrintRun::progressChanged, run,
                         [&](int p, int t) { progress.append({p, t}); });
        QObject::connect(run, &BatchPrintRun::finished, run, [&] { done = true; });
        run->start();
        EXPECT_TRUE(eventually([&] { return done; }));
        EXPECT_TRUE(eventually([&] { return guard.isNull(); })) << "a finished run goes away";
        if (finished)
            *finished = done;
        return progress;
    }
};

} // namespace

TEST_F(BatchPrint, SummariesAndTypes)
{
    EXPECT_EQ(batchSummaryText(BatchPrintType::individualLabels, 1), "Print 1 individual label");
    EXPECT_EQ(batchSummaryText(BatchPrintType::individualLabels, 0), "Print 0 individual labels");
    EXPECT_EQ(batchSummaryText(BatchPrintType::packingSlips, 3), "Print 3 packing slips (one per buyer)");
    EXPECT_EQ(batchSummaryText(BatchPrintType::packingSlips, 1), "Print 1 packing slip (one per buyer)");
    EXPECT_EQ(batchPrintTypeFromText("Packing Slips"), BatchPrintType::packingSlips);
    EXPECT_EQ(batchPrintTypeFromText("Individual Labels"), BatchPrintType::individualLabels);
    EXPECT_EQ(batchPrintTypeFromText("packing slips"), std::nullopt);
}

TEST_F(BatchPrint, WinnerLabelsInListOrderWithBoxNumbersAndProgress)
{
    auto *run = new BatchPrintRun(jobs(BatchPrintType::individualLabels), m_printer, *m_settings, &m_runOwner);
    const auto progress = runToEnd(run);
    EXPECT_EQ(progress, (QList<QPair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    ASSERT_EQ(m_printer->jobs.size(), 3);
    QStringList order;
    for (const auto &job : m_printer->jobs) {
        const auto *label = job.winner->as<LabelContent::Individual>();
        order.append(label->username);
        EXPECT_EQ(job.printer, "Labels");
        EXPECT_EQ(label->showTitle, "Friday");
    }
    EXPECT_EQ(order, (QStringList{"ann", "bo", "cy"}));
    const auto *first = m_printer->jobs.at(0).winner->as<LabelContent::Individual>();
    EXPECT_EQ(first->price, "$25");
    EXPECT_EQ(first->boxNumber, 1);
    EXPECT_EQ(first->itemTitle, QStringLiteral("Mug"));
    const auto *third = m_printer->jobs.at(2).winner->as<LabelContent::Individual>();
    EXPECT_EQ(third->boxNumber, std::nullopt); // cy has no box number
    EXPECT_EQ(third->itemTitle, std::nullopt);
    EXPECT_EQ(third->auctionNumber, std::nullopt);
}

TEST_F(BatchPrint, PackingSlipsOnePerBuyerWithAuctionForUntitledItems)
{
    BatchPrintJobs j = jobs(BatchPrintType::packingSlips);
    j.buyerGroups = showBuyerGroups({auction("1", "ann", "25", 1, QStringLiteral("Mug")), auction("2", "ann", "x", 2),
                                     auction("3", "bo", "40"), auction("4", "cy", "1")});
    const auto progress = runToEnd(new BatchPrintRun(std::move(j), m_printer, *m_settings, &m_runOwner));
    EXPECT_EQ(progress.last(), (QPair<int, int>{3, 3}));
    ASSERT_EQ(m_printer->jobs.size(), 3);
    EXPECT_EQ(m_printer->jobs.at(0).buyer, "bo");
    EXPECT_EQ(m_printer->jobs.at(1).buyer, "ann");
    EXPECT_EQ(m_printer->jobs.at(1).total, Decimal(25));
    ASSERT_EQ(m_printer->jobs.at(1).items.size(), 2);
    EXPECT_EQ(m_printer->jobs.at(1).items.at(1).title, "Auction");
    EXPECT_EQ(m_printer->jobs.at(1).items.at(1).price, "x");
    EXPECT_EQ(m_printer->jobs.at(1).media, LabelMedia::letter());
}

TEST_F(BatchPrint, SettingsAreReadOnceWhenTheRunStarts)
{
    LabelSectionState saved = LabelSectionState::defaults(0);
    saved.selectedMedia = LabelMedia::shipping4x6();
    saved.selectedOrientation = Orientation::portrait;
    ASSERT_FALSE(saved.save(0, *m_settings).has_value());
    // Halfway through the seller saves other settings: the run keeps its own.
    m_printer->onJob = [this](int index) {
        if (index == 0) {
            LabelSectionState other = LabelSectionState::defaults(0);
            other.selectedMedia = LabelMedia::circle2();
            ASSERT_FALSE(other.save(0, *m_settings).has_value());
        }
    };
    runToEnd(new BatchPrintRun(jobs(BatchPrintType::individualLabels), m_printer, *m_settings, &m_runOwner));
    ASSERT_EQ(m_printer->jobs.size(), 3);
    for (const auto &job : m_printer->jobs) {
        EXPECT_EQ(job.media, LabelMedia::shipping4x6());
        EXPECT_EQ(job.orientation, Orientation::portrait);
    }
}

TEST_F(BatchPrint, EmptyListFinishesAtOnceWithoutPrinting)
{
    BatchPrintJobs j = jobs(BatchPrintType::individualLabels);
    j.auctions.clear();
    const auto progress = runToEnd(new BatchPrintRun(std::move(j), m_printer, *m_settings, &m_runOwner));
    EXPECT_EQ(progress, (QList<QPair<int, int>>{{0, 0}}));
    EXPECT_TRUE(m_printer->jobs.isEmpty());
}

TEST_F(BatchPrint, FailuresAreCountedAndTheRunGoesOn)
{
    m_printer->failures.insert(0, QStringLiteral("Printer stopped"));
    m_printer->failures.insert(2, QStringLiteral("Paper out"));
    auto *run = new BatchPrintRun(jobs(BatchPrintType::individualLabels), m_printer, *m_settings, &m_runOwner);
    QString failure;
    QObject::connect(run, &BatchPrintRun::finished, run, [&] { failure = run->failureText(); });
    runToEnd(run);
    EXPECT_EQ(m_printer->jobs.size(), 3);
    EXPECT_EQ(failure, "2 of 3 failed: Printer stopped");
}

// While a winner label goes to the printer the next one is already under way, and the
// results are still counted in list order; packing slips, which may run to several
// pages, go one at a time.
TEST_F(BatchPrint, TheNextWinnerLabelIsUnderWayWhileOneIsSentButPackingSlipsGoOneAtATime)
{
    for (const BatchPrintType type : {BatchPrintType::individualLabels, BatchPrintType::packingSlips}) {
        SCOPED_TRACE(int(type));
        m_printer->jobs.clear();
        m_printer->failures = {{1, QStringLiteral("Paper out")}};
        Gate gate;
        m_printer->gate = &gate;
        auto *run = new BatchPrintRun(jobs(type), m_printer, *m_settings, &m_runOwner);
        QPointer<BatchPrintRun> guard(run);
        QList<QPair<int, int>> progress;
        QString failure;
        QObject::connect(run, &BatchPrintRun::progressChanged, run, [&](int p, int t) { progress.append({p, t}); });
        QObject::connect(run, &BatchPrintRun::finished, run, [&] { failure = run->failureText(); });
        run->start();
        const int total = 3;
        EXPECT_EQ(m_printer->jobs.size(), type == BatchPrintType::packingSlips ? 1 : 2);
        EXPECT_EQ(progress, (QList<QPair<int, int>>{{0, total}}));
        gate.open();
        ASSERT_TRUE(eventually([&] { return guard.isNull(); }));
        m_printer->gate = nullptr;
        EXPECT_EQ(progress, (QList<QPair<int, int>>{{0, total}, {1, total}, {2, total}, {3, total}}));
        EXPECT_EQ(failure, QStringLiteral("1 of 3 failed: Paper out"));
        if (type == BatchPrintType::individualLabels) {
            QStringList order;
            for (const auto &job : m_printer->jobs)
                order.append(job.winner->as<LabelContent::Individual>()->username);
            EXPECT_EQ(order, (QStringList{"ann", "bo", "cy"}));
        }
    }
}

TEST_F(BatchPrint, ClosingTheDialogLeavesTheRunPrinting)
{
    setPrinters({"Labels"});
    Gate gate;
    m_printer->gate = &gate;
    BatchPrintDialogSetup setup;
    setup.auctions = jobs(BatchPrintType::individualLabels).auctions;
    setup.printAdapter = m_adapter.get();
    setup.printer = m_printer;
    setup.settings = m_settings.get();
    setup.runOwner = &m_runOwner;
    auto dialog = std::make_unique<BatchPrintDialog>(std::move(setup));
    EXPECT_EQ(dialog->selectedPrinter(), "Labels");
    QPointer<BatchPrintRun> run;
    QObject::connect(dialog.get(), &BatchPrintDialog::runStarted, &m_runOwner, [&](BatchPrintRun *r) { run = r; });
    dialog->startPrinting();
    ASSERT_FALSE(run.isNull());
    EXPECT_TRUE(dialog->isPrinting());
    dialog->startPrinting(); // a running batch cannot start twice
    EXPECT_EQ(m_printer->jobs.size(), 2); // the first label and the one drawn meanwhile
    dialog.reset();
    gate.open();
    ASSERT_TRUE(eventually([&] { return run.isNull(); }));
    EXPECT_EQ(m_printer->jobs.size(), 3);
}

TEST_F(BatchPrint, DialogWithFailuresStaysOpenAndSaysSo)
{
    setPrinters({"Labels", "Other_Queue_ABCDEF 1"});
    m_printer->failures.insert(1, QStringLiteral("Printer stopped"));
    BatchPrintDialogSetup setup;
    setup.auctions = jobs(BatchPrintType::individualLabels).auctions;
    setup.buyerGroups = jobs(BatchPrintType::individualLabels).buyerGroups;
    setup.initialType = BatchPrintType::packingSlips;
    setup.printAdapter = m_adapter.get();
    setup.printer = m_printer;
    setup.settings = m_settings.get();
    setup.runOwner = &m_runOwner;
    BatchPrintDialog dialog(std::move(setup));
    EXPECT_EQ(dialog.printType(), BatchPrintType::packingSlips);
    EXPECT_EQ(dialog.summaryText(), "Print 3 packing slips (one per buyer)");
    dialog.setPrintType(BatchPrintType::individualLabels);
    EXPECT_EQ(dialog.summaryText(), "Print 3 individual labels");
    auto *picker = dialog.findChild<QComboBox *>(QStringLiteral("printerPicker"));
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->itemText(0), "None");
    EXPECT_EQ(picker->itemText(2), "Other Queue");
    EXPECT_EQ(picker->itemData(2).toString(), "Other_Queue_ABCDEF 1");

    dialog.show();
    dialog.startPrinting();
    ASSERT_TRUE(eventually([&] { return !dialog.isPrinting(); }));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.failureText(), "1 of 3 failed: Printer stopped");
}

TEST_F(BatchPrint, NoPrinterNoPrint)
{
    BatchPrintDialogSetup setup;
    setup.auctions = jobs(BatchPrintType::individualLabels).auctions;
    setup.printAdapter = m_adapter.get();
    setup.printer = m_printer;
    setup.settings = m_settings.get();
    BatchPrintDialog dialog(std::move(setup));
    EXPECT_EQ(dialog.selectedPrinter(), "");
    EXPECT_FALSE(dialog.findChild<QPushButton *>(QStringLiteral("printButton"))->isEnabled());
    EXPECT_FALSE(dialog.findChild<QWidget *>(QStringLiteral("noPrinters"))->isHidden());
    // A printer listed later shows, but nothing is chosen for the seller.
    setPrinters({"Late"});
    EXPECT_EQ(dialog.selectedPrinter(), "");
    EXPECT_FALSE(dialog.findChild<QWidget *>(QStringLiteral("singlePrinter"))->isHidden());
    dialog.startPrinting();
    EXPECT_TRUE(m_printer->jobs.isEmpty());
}
