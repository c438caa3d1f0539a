// The automatic print queue on a virtual clock, with the real printer adapter over
// fake CUPS tools: what each win queues, box numbers per show, the debounce, the
// walk with its queue check and repair, and every way a job can end.
#include "autoprint_fakes.h"
#include "capture/auction_poller.h"
#include "common/settings.h"
#include "fake_sleeper.h"
#include "gate.h"
#include "printing/auction_printed_hook.h"
#include "printing/auto_print_manager.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"
#include "temporary_settings.h"

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

using namespace quill;
using namespace std::chrono_literals;
using quill::testing::eventually;
using quill::testing::FakeClock;
using quill::testing::FakeCups;
using quill::testing::FakeSleeper;
using quill::testing::HeldSleeper;
using quill::testing::TemporarySettings;

namespace {

const QString kWinnerQueue = QStringLiteral("Winner");
const QString kBoxQueue = QStringLiteral("Boxes");

CapturedAuction win(const QString &user, const QString &price, std::optional<qint64> number,
                    std::optional<QString> title = std::nullopt)
{
    CapturedAuction auction;
    auction.winnerUsername = user;
    auction.salePrice = *Decimal::fromString(price);
    auction.auctionNumber = number;
    auction.rawTitle = std::move(title);
    auction.id = CapturedAuction::makeId(user, auction.salePrice, number);
    return auction;
}

QStringList labels(const QList<PrintJob> &jobs)
{
    QStringList out;
    for (const PrintJob &job : jobs)
        out.append(job.label);
    return out;
}

QStringList statuses(const QList<PrintJob> &jobs)
{
    QStringList out;
    for (const PrintJob &job : jobs)
        out.append(job.label + QStringLiteral(": ") + describe(job.status));
    return out;
}

const PrintJob *jobLabelled(const QList<PrintJob> &jobs, const QString &label)
{
    for (const PrintJob &job : jobs) {
        if (job.label == label)
            return &job;
    }
    return nullptr;
}

class AutoPrintManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_calibration = std::make_unique<PrinterCalibrationStore>(*m_settings);
        m_appearance = std::make_unique<LabelAppearanceStore>(*m_settings, QString());
        QDir(m_dir.path()).mkpath(QStringLiteral("ppd"));
        QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));

        PrintKitAdapterSetup setup;
        setup.runner = &m_cups;
        setup.tools.lp = FakeCups::lp;
        setup.tools.lpstat = FakeCups::lpstat;
        setup.tools.cancel = FakeCups::cancel;
        setup.tools.cupsenable = FakeCups::cupsenable;
        setup.tools.ppdDirectory = m_dir.filePath(QStringLiteral("ppd"));
        setup.sleeper = &m_adapterSleeper;
        setup.calibration = m_calibration.get();
        m_adapter = std::make_unique<PrintKitAdapter>(std::move(setup));
        m_adapter->cupsTransport().setDebugCopyFolder(QString());
        m_adapter->cupsTransport().setTemporaryFolder(m_dir.filePath(QStringLiteral("tmp")));
        m_service = std::make_unique<PrintService>(*m_adapter, *m_appearance);

        m_settings->setString(QStringLiteral("label_individual_printer"), kWinnerQueue);
        m_settings->setString(QStringLiteral("label_box_printer"), kBoxQueue);
    }

    void TearDown() override
    {
        m_manager.reset();
        m_sleeper.releaseAll(); // a pending debounce sees the manager gone and ends
    }

    AutoPrintManager &manager()
    {
        if (!m_manager)
            m_manager = std::make_unique<AutoPrintManager>(
                AutoPrintManagerSetup{&m_sleeper, &m_clock, m_settings.get()});
        return *m_manager;
    }

    void enqueue(const QList<CapturedAuction> &auctions) { manager().enqueue(auctions, *m_service); }

    // Lets the pending debounce run out and waits for the walk it starts to end.
    void runDebouncedWalk()
    {
        m_sleeper.advance(AutoPrintManager::kDebounce);
        ASSERT_TRUE(eventually([&] { return !manager().isProcessing(); }));
    }

    QStringList submittedQueues() const
    {
        QStringList out;
        for (const auto &submission : m_cups.submissions())
            out.append(submission.queue);
        return out;
    }

    QTemporaryDir m_dir;
    TemporarySettings m_settings;
    std::unique_ptr<PrinterCalibrationStore> m_calibration;
    std::unique_ptr<LabelAppearanceStore> m_appearance;
    FakeCups m_cups{{kWinnerQueue, kBoxQueue}};
    FakeSleeper m_adapterSleeper;
    std::unique_ptr<PrintKitAdapter> m_adapter;
    std::unique_ptr<PrintService> m_service;
    FakeClock m_clock;
    HeldSleeper m_sleeper;
    std::unique_ptr<AutoPrintManager> m_manager;
};

} // namespace

TEST_F(AutoPrintManagerTest, StartsFromTheSavedSwitchesAndWritesThemOnEveryAssignment)
{
    EXPECT_FALSE(manager().isPrinting());
    EXPECT_TRUE(manager().showPrintLog());
    EXPECT_EQ(manager().labelMode(), LabelMode::both);
    EXPECT_TRUE(manager().printJobs().isEmpty());

    QSignalSpy printingChanges(&manager(), &AutoPrintManager::isPrintingChanged);
    manager().setIsPrinting(true);
    EXPECT_EQ(m_settings->optionalBool(AutoPrintManager::isPrintingKey), true);
    m_settings->remove(AutoPrintManager::isPrintingKey);
    manager().setIsPrinting(true); // the same value: written again, nobody notified
    EXPECT_EQ(m_settings->optionalBool(AutoPrintManager::isPrintingKey), true);
    EXPECT_EQ(printingChanges.count(), 1);

    manager().setLabelMode(LabelMode::grouped);
    manager().setShowPrintLog(false);
    EXPECT_EQ(m_settings->stringValue(AutoPrintManager::labelModeKey), "grouped");
    EXPECT_EQ(m_settings->optionalBool(AutoPrintManager::showPrintLogKey), false);

    AutoPrintManager restored(AutoPrintManagerSetup{&m_sleeper, &m_clock, m_settings.get()});
    EXPECT_TRUE(restored.isPrinting());
    EXPECT_FALSE(restored.showPrintLog());
    EXPECT_EQ(restored.labelMode(), LabelMode::grouped);

    m_settings->setString(AutoPrintManager::labelModeKey, QStringLiteral("Grouped"));
    EXPECT_EQ(AutoPrintManager(AutoPrintManagerSetup{&m_sleeper, &m_clock, m_settings.get()}).labelMode(),
              LabelMode::both);
}

TEST_F(AutoPrintManagerTest, SettingOrClearingThePrintedAuctionHookTellsObserversButClearingNoneDoesNot)
{
    QSignalSpy changed(&manager(), &AutoPrintManager::onAuctionPrintedChanged);
    manager().setOnAuctionPrinted({});
    EXPECT_EQ(changed.count(), 0);
    manager().setOnAuctionPrinted([](const QString &) {});
    EXPECT_EQ(changed.count(), 1);
    manager().setOnAuctionPrinted([](const QString &) {}); // callbacks cannot be told equal
    EXPECT_EQ(changed.count(), 2);
    manager().setOnAuctionPrinted({});
    manager().setOnAuctionPrinted({});
    EXPECT_EQ(changed.count(), 3);
    EXPECT_FALSE(manager().onAuctionPrinted());
}

TEST_F(AutoPrintManagerTest, EachNewWinQueuesAWinnerLabelAndEachNewBuyerOneBoxLabelOnce)
{
    m_settings->setString(QStringLiteral("label_individual_paperSize"), QStringLiteral("4x6"));
    m_settings->setString(QStringLiteral("label_individual_style"), QStringLiteral("Minimal"));
    m_settings->setString(QStringLiteral("label_box_orientation"), QStringLiteral("Portrait"));
    const QList<CapturedAuction> first{win("ann", "12.50", 7, "Holo card")};
    enqueue(first);

    const QList<PrintJob> &jobs = manager().printJobs();
    ASSERT_EQ(labels(jobs), QStringList({"Box #1 @ann", "@ann $12.5"}));
    const PrintJob &box = jobs.at(0);
    const PrintJob &winner = jobs.at(1);

    const auto *content = winner.content.as<LabelContent::Individual>();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->username, "ann");
    EXPECT_EQ(content->price, "$12.5");
    EXPECT_EQ(content->auctionNumber, 7);
    EXPECT_EQ(content->boxNumber, 1);
    EXPECT_EQ(content->itemTitle, "Holo card");
    EXPECT_EQ(content->showTitle, "Live Show");
    EXPECT_EQ(winner.auctionId, "ann-12.5-7");
    EXPECT_EQ(winner.labelType, LabelType::individual);
    EXPECT_EQ(winner.labelMedia, LabelMedia::shipping4x6());
    EXPECT_EQ(winner.style, LabelVariant::minimal);
    EXPECT_EQ(winner.status, PrintJob::Status::queued());
    EXPECT_EQ(winner.timestamp, m_clock.now());
    EXPECT_EQ(winner.id.size(), 36);
    EXPECT_EQ(winner.id, winner.id.toUpper());
    EXPECT_NE(winner.id, box.id);

    const auto *boxContent = box.content.as<LabelContent::Box>();
    ASSERT_TRUE(boxContent);
    EXPECT_EQ(boxContent->buyer, "ann");
    EXPECT_EQ(boxContent->boxNumber, 1);
    EXPECT_FALSE(box.auctionId);
    EXPECT_EQ(box.labelType, LabelType::box);
    EXPECT_EQ(box.labelMedia, LabelMedia::rect1x2());
    EXPECT_EQ(box.orientation, Orientation::portrait);

    // The whole capture list comes back after each change; only new auctions count.
    QSignalSpy changes(&manager(), &AutoPrintManager::printJobsChanged);
    enqueue(first);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(manager().printJobs().size(), 2);

    // Two wins of a new buyer in one call share one box number and one box label; a
    // buyer's second win gets none. The first buyer keeps box 1 whatever their win count.
    enqueue({win("bob", "3", 9), win("bob", "4", 8), win("ann", "5", std::nullopt), first.at(0)});
    EXPECT_EQ(labels(manager().printJobs()),
              QStringList({"@ann $5", "@bob $4", "Box #2 @bob", "@bob $3", "Box #1 @ann", "@ann $12.5"}));
    EXPECT_EQ(manager().boxNumbers(), (QHash<QString, int>{{"ann", 1}, {"bob", 2}}));
    EXPECT_EQ(
        jobLabelled(manager().printJobs(), "@bob $4")->content.as<LabelContent::Individual>()->boxNumber, 2);
    EXPECT_EQ(
        jobLabelled(manager().printJobs(), "@ann $5")->content.as<LabelContent::Individual>()->auctionNumber,
        std::nullopt);
    // Printing is off: nothing is scheduled.
    EXPECT_FALSE(manager().hasPendingDebounce());
}

TEST_F(AutoPrintManagerTest, GroupedModeQueuesOnlyBoxLabelsAndBothQueuesWhatRealtimeQueues)
{
    const QList<CapturedAuction> wins{win("ann", "1", 1), win("bob", "2", 2), win("ann", "3", 3)};
    manager().setLabelMode(LabelMode::grouped);
    enqueue(wins);
    EXPECT_EQ(labels(manager().printJobs()), QStringList({"Box #1 @ann", "Box #2 @bob"}));

    QStringList byMode[2];
    int i = 0;
    for (LabelMode mode : {LabelMode::realtime, LabelMode::both}) {
        AutoPrintManager other(AutoPrintManagerSetup{&m_sleeper, &m_clock, m_settings.get()});
        other.setLabelMode(mode);
        other.enqueue(wins, *m_service);
        byMode[i++] = labels(other.printJobs());
    }
    EXPECT_EQ(byMode[0], QStringList({"@ann $3", "Box #2 @bob", "@bob $2", "Box #1 @ann", "@ann $1"}));
    EXPECT_EQ(byMode[1], byMode[0]);
}

TEST_F(AutoPrintManagerTest, BoxNumbersStartAgainForEachShow)
{
    enqueue({win("ann", "1", 1), win("bob", "2", 2)});
    EXPECT_EQ(manager().boxNumbers(), (QHash<QString, int>{{"ann", 1}, {"bob", 2}}));

    manager().endShow();
    EXPECT_TRUE(manager().boxNumbers().isEmpty());
    EXPECT_TRUE(manager().boxPrintedBuyers().isEmpty());
    EXPECT_TRUE(manager().seenAuctionIds().isEmpty());

    // The next show's auction #1 by ann at $1 has the id of the last show's one: it is still a new win.
    enqueue({win("cy", "7", 2), win("ann", "1", 1)});
    EXPECT_EQ(manager().boxNumbers(), (QHash<QString, int>{{"cy", 1}, {"ann", 2}}));
    const QStringList queued = labels(manager().printJobs()).mid(0, 4);
    EXPECT_EQ(queued, QStringList({"Box #2 @ann", "@ann $1", "Box #1 @cy", "@cy $7"}));
}

TEST_F(AutoPrintManagerTest, AResumedShowNeverReprintsItsAuctionsAndContinuesItsBoxNumbers)
{
    // The backend lists the show's auctions in this order; reprints of the show number
    // its boxes by first appearance: bob 1, ann 2.
    QList<ServerAuction> server;
    for (const auto &[user, price, number] :
         {std::tuple{"bob", "10", 1}, std::tuple{"ann", "20", 2}, std::tuple{"bob", "30", 3}}) {
        ServerAuction auction;
        auction.id = QStringLiteral("srv-%1").arg(number);
        auction.winnerUsername = QString::fromLatin1(user);
        auction.salePrice = QString::fromLatin1(price);
        auction.auctionNumber = number;
        server.append(auction);
    }
    AuctionPoller poller(m_sleeper, m_clock);
    poller.ingest(server);
    manager().resumeShow(poller.capturedAuctions());
    manager().setIsPrinting(true);
    enqueue(poller.capturedAuctions());
    EXPECT_TRUE(manager().printJobs().isEmpty());
    EXPECT_EQ(manager().boxNumbers(), (QHash<QString, int>{{"bob", 1}, {"ann", 2}}));

    // New wins on the page: ann already has her box; cy is the show's third buyer.
    RawAuction cy{QStringLiteral("cy"), QStringLiteral("5"), 4, std::nullopt, std::nullopt};
    RawAuction ann{QStringLiteral("ann"), QStringLiteral("6"), 5, std::nullopt, std::nullopt};
    poller.ingest(cy);
    poller.ingest(ann);
    enqueue(poller.capturedAuctions());
    EXPECT_EQ(labels(manager().printJobs()), QStringList({"Box #3 @cy", "@cy $5", "@ann $6"}));
    EXPECT_EQ(
        jobLabelled(manager().printJobs(), "@ann $6")->content.as<LabelContent::Individual>()->boxNumber, 2);

    runDebouncedWalk();
    EXPECT_EQ(submittedQueues(), QStringList({kWinnerQueue, kWinnerQueue, kBoxQueue}));
}

TEST_F(AutoPrintManagerTest, WinsAFifthOfASecondApartGiveOneWalkHalfASecondAfterTheLast)
{
    manager().setIsPrinting(true);
    QSignalSpy walks(&manager(), &AutoPrintManager::isProcessingChanged);
    enqueue({win("ann", "1", 1)});
    m_sleeper.advance(200ms);
    enqueue({win("bob", "2", 2)});
    m_sleeper.advance(200ms);
    enqueue({win("cy", "3", 3)});
    m_sleeper.advance(499ms);
    EXPECT_TRUE(walks.isEmpty());
    EXPECT_TRUE(m_cups.submissions().isEmpty());
    EXPECT_TRUE(manager().hasPendingDebounce());

    m_sleeper.advance(1ms);
    ASSERT_TRUE(eventually([&] { return !manager().isProcessing(); }));
    ASSERT_EQ(walks.count(), 2); // one walk: on, then off
    EXPECT_EQ(walks.at(0).at(0).toBool(), true);
    EXPECT_EQ(m_cups.submissions().size(), 6);
    EXPECT_EQ(m_sleeper.sleeps(), (QList<std::chrono::milliseconds>{500ms, 500ms, 500ms}));
    for (const PrintJob &job : manager().printJobs())
        EXPECT_EQ(job.status, PrintJob::Status::done()) << job.label.toStdString();

    // A cancelled debounce starts nothing.
    enqueue({win("dee", "4", 4)});
    manager().cancelDebounce();
    EXPECT_FALSE(manager().hasPendingDebounce());
    m_sleeper.advance(1s);
    quill::testing::settle();
    EXPECT_EQ(walks.count(), 2);
    EXPECT_EQ(m_cups.submissions().size(), 6);
}

TEST_F(AutoPrintManagerTest, JobsAreWalkedOldestFirstAndWinnerLabelsMarkTheirAuctionPrinted)
{
    AuctionPoller poller(m_sleeper, m_clock);
    poller.ingest(RawAuction{QStringLiteral("ann"), QStringLiteral("12.50"), 7, std::nullopt, std::nullopt});
    poller.ingest(RawAuction{QStringLiteral("bob"), QStringLiteral("3"), 8, std::nullopt, std::nullopt});
    QStringList printed;
    const AutoPrintManager::AuctionPrintedCallback mark = markAuctionPrintedIn(poller);
    manager().setOnAuctionPrinted([&](const QString &id) {
        printed.append(id);
        mark(id);
    });
    manager().setIsPrinting(true);
    enqueue(poller.capturedAuctions());
    runDebouncedWalk();

    // The capture list is newest first, so bob is taken in first. A box label goes to
    // its own printer right after its buyer's first winner label.
    EXPECT_EQ(labels(manager().printJobs()),
              QStringList({"Box #2 @ann", "@ann $12.5", "Box #1 @bob", "@bob $3"}));
    EXPECT_EQ(submittedQueues(), QStringList({kWinnerQueue, kBoxQueue, kWinnerQueue, kBoxQueue}));
    EXPECT_EQ(printed, QStringList({"bob-3-8", "ann-12.5-7"}));
    for (const CapturedAuction &auction : poller.capturedAuctions())
        EXPECT_TRUE(auction.isPrinted) << auction.id.toStdString();

    // A 2×1 landscape label: 600 × 300 dots, on its own custom page size.
    const auto &winnerJob = m_cups.submissions().at(0);
    EXPECT_EQ(winnerJob.pageSize, "Custom.144x72");
    const QImage image = QImage::fromData(winnerJob.file, "PNG");
    EXPECT_EQ(image.size(), QSize(600, 300));
}

TEST_F(AutoPrintManagerTest, NoLabelIsSentBeforeTheSendGateOpens)
{
    // The live show's gate: its label record's lines are on disk.
    quill::testing::Gate gate;
    int asked = 0;
    manager().setSendGate([&](const PrintJob &) -> QCoro::Task<> {
        ++asked;
        return gate.wait();
    });
    manager().setIsPrinting(true);
    enqueue({win("ann", "12.50", 7, "Holo card")});
    m_sleeper.advance(AutoPrintManager::kDebounce);
    ASSERT_TRUE(eventually([&] { return gate.waiting() == 1; }));
    EXPECT_TRUE(m_cups.submissions().isEmpty());

    gate.open();
    ASSERT_TRUE(eventually([&] { return !manager().isProcessing(); }));
    EXPECT_EQ(submittedQueues(), QStringList({kWinnerQueue, kBoxQueue}));
    EXPECT_EQ(asked, 2); // once before each label
}

TEST_F(AutoPrintManagerTest, SwitchingPrintingOffMidWalkLeavesTheUnreachedJobsQueued)
{
    manager().setIsPrinting(true);
    enqueue({win("ann", "1", 1), win("bob", "2", 2)});
    m_cups.holdChecks();
    m_sleeper.advance(AutoPrintManager::kDebounce);
    ASSERT_TRUE(eventually([&] { return m_cups.heldChecks() == 1; }));
    EXPECT_EQ(statuses(manager().printJobs()), QStringList({"Box #2 @bob: queued", "@bob $2: queued",
                                                            "Box #1 @ann: queued", "@ann $1: printing"}));

    manager().setIsPrinting(false);
    m_cups.releaseChecks();
    ASSERT_TRUE(eventually([&] { return !manager().isProcessing(); }));
    // The job in hand finishes; the walk ends before the next one.
    EXPECT_EQ(statuses(manager().printJobs()), QStringList({"Box #2 @bob: queued", "@bob $2: queued",
                                                            "Box #1 @ann: queued", "@ann $1: done"}));
    EXPECT_EQ(m_cups.submissions().size(), 1);

    manager().setIsPrinting(true);
    manager().scheduleProcessing(*m_service);
    runDebouncedWalk();
    EXPECT_EQ(m_cups.submissions().size(), 4);
    for (const PrintJob &job : manager().printJobs())
        EXPECT_EQ(job.status, PrintJob::Status::done()) << job.label.toStdString();
}

TEST_F(AutoPrintManagerTest, ALabelWhoseLpOutlivesThePrintQueueIsStillRecordedWhenLpEnds)
{
    // The program closes while lp sends a label: lp runs on and the label prints, so
    // its end must still reach the show's record, or a restart prints it a second time.
    QList<PrintJob> settled;
    manager().setOnLabelSettled([&settled](const PrintJob &job) { settled.append(job); });
    manager().setIsPrinting(true);
    enqueue({win("ann", "1", 1)});
    m_cups.holdSubmissions();
    m_sleeper.advance(AutoPrintManager::kDebounce);
    ASSERT_TRUE(eventually([&] { return m_cups.heldSubmissions() == 1; }));
    EXPECT_TRUE(settled.isEmpty());

    m_manager.reset();
    m_cups.releaseSubmissions();
    ASSERT_TRUE(eventually([&] { return !settled.isEmpty(); }));
    ASSERT_EQ(settled.size(), 1);
    EXPECT_EQ(settled.first().label, QStringLiteral("@ann $1"));
    EXPECT_EQ(settled.first().status, PrintJob::Status::done());
    EXPECT_EQ(m_cups.submissions().size(), 1);
}

TEST_F(AutoPrintManagerTest, WinsQueuedDuringAWalkArePrintedBeforeItEnds)
{
    manager().setIsPrinting(true);
    enqueue({win("ann", "1", 1)});
    m_cups.holdChecks();
    m_sleeper.advance(AutoPrintManager::kDebounce);
    ASSERT_TRUE(eventually([&] { return m_cups.heldChecks() == 1; }));

    // The last win of the show arrives while the walk waits on the printer; no
    // further win (and no further debounce) will come to pick it up.
    enqueue({win("bob", "2", 2)});
    m_cups.releaseChecks();
    ASSERT_TRUE(eventually([&] { return !manager().isProcessing(); }));
    EXPECT_EQ(m_sleeper.heldCount(), 1); // bob's debounce has not run out
    EXPECT_EQ(statuses(manager().printJobs()),
              QStringList({"Box #2 @bob: done", "@bob $2: done", "Box #1 @ann: done", "@ann $1: done"}));
    EXPECT_EQ(m_cups.submissions().size(), 4);

    // When it runs out it finds nothing left to do.
    m_sleeper.advance(AutoPrintManager::kDebounce);
    quill::testing::settle();
    EXPECT_EQ(m_cups.submissions().size(), 4);
}

TEST_F(AutoPrintManagerTest, AnUnexpectedErrorMidJobEndsThatJobAndTheWalkGoesOn)
{
    manager().setIsPrinting(true);
    enqueue({win("ann", "1", 1), win("bob", "2", 2)});
    // Something deep inside fails once, as the first job starts printing.
    bool thrown = false;
    QObject::connect(&manager(), &AutoPrintManager::printJobsChanged, &manager(), [&] {
        for (const PrintJob &job : manager().printJobs()) {
            if (job.status == PrintJob::Status::printing() && !std::exchange(thrown, true))
                throw std::bad_alloc();
        }
    });
    runDebouncedWalk();

    EXPECT_EQ(statuses(manager().printJobs()),
              QStringList({"Box #2 @bob: done", "@bob $2: done", "Box #1 @ann: done",
                           "@ann $1: error: std::bad_alloc"}));
    EXPECT_EQ(m_cups.submissions().size(), 3);
}

TEST_F(AutoPrintManagerTest, JobsAreFollowedByIdWhileTheLogChangesAndARemovedJobIsSkipped)
{
    manager().setIsPrinting(true);
    enqueue({win("ann", "1", 1), win("bob", "2", 2)});
    m_cups.holdChecks();
    m_sleeper.advance(AutoPrintManager::kDebounce);
    ASSERT_TRUE(eventually([&] { return m_cups.heldChecks() == 1; })); // on "@ann $1"

    // The log drops the job in hand and bob's box label, and shows the rest in
    // another order; a new win inserts at the front meanwhile.
    QList<PrintJob> kept;
    for (const PrintJob &job : manager().printJobs()) {
        if (job.label != "@ann $1" && job.label != "Box #2 @bob")
            kept.prepend(job);
    }
    manager().setPrintJobs(kept);
    enqueue({win("cy", "3", 3)});
    m_cups.releaseChecks();
    ASSERT_TRUE(eventually([&] { return !manager().isProcessing(); }));

    EXPECT_EQ(statuses(manager().printJobs()),
              QStringList({"Box #3 @cy: done", "@cy $3: done", "Box #1 @ann: done", "@bob $2: done"}));
    EXPECT_EQ(submittedQueues(), QStringList({kBoxQueue, kWinnerQueue, kWinnerQueue, kBoxQueue}));
}

// Clearing the log while a label is on its way: the labels still queued are told as
// dropped at once; the one in hand is told as dropped when it had not reached lp yet,
// else as what lp made of it once lp ends.
class ClearedLog : public AutoPrintManagerTest
{
protected:
    QStringList clearWhileAnnsLabelIs(bool atThePrinter)
    {
        manager().setOnLabelSettled([this](const PrintJob &job) {
            m_told.append(job.label + QStringLiteral(": ") + describe(job.status));
        });
        manager().setOnLabelDropped(
            [this](const PrintJob &job) { m_told.append(job.label + QStringLiteral(": dropped")); });
        manager().setIsPrinting(true);
        enqueue({win("ann", "1", 1), win("bob", "2", 2)});
        if (atThePrinter)
            m_cups.holdSubmissions();
        else
            m_cups.holdChecks();
        m_sleeper.advance(AutoPrintManager::kDebounce);
        EXPECT_TRUE(
            eventually([&] { return (atThePrinter ? m_cups.heldSubmissions() : m_cups.heldChecks()) == 1; }));
        manager().setPrintJobs({});
        EXPECT_EQ(m_told, QStringList({"Box #2 @bob: dropped", "@bob $2: dropped", "Box #1 @ann: dropped"}));
        m_cups.releaseSubmissions();
        m_cups.releaseChecks();
        EXPECT_TRUE(eventually([&] { return !manager().isProcessing(); }));
        quill::testing::settle();
        EXPECT_TRUE(manager().printJobs().isEmpty());
        return m_told.mid(3);
    }

    QStringList m_told;
};

TEST_F(ClearedLog, TheLabelAtThePrinterIsToldPrintedWhenLpEnds)
{
    EXPECT_EQ(clearWhileAnnsLabelIs(true), QStringList({"@ann $1: done"}));
    EXPECT_EQ(m_cups.submissions().size(), 1);
}

TEST_F(ClearedLog, TheLabelNotYetAtThePrinterIsToldDroppedAndNothingPrints)
{
    EXPECT_EQ(clearWhileAnnsLabelIs(false), QStringList({"@ann $1: dropped"}));
    EXPECT_TRUE(m_cups.submissions().isEmpty());
}

// The next label is drawn while one goes to lp; a job taken out of the log in that
// time prints nothing, and the labels around it still go out in order.
TEST_F(AutoPrintManagerTest, AJobTakenOutOfTheLogWhileItsLabelIsDrawnAheadPrintsNothing)
{
    manager().setIsPrinting(true);
    enqueue({win("ann", "1", 1), win("bob", "2", 2)});
    m_cups.holdSubmissions();
    m_sleeper.advance(AutoPrintManager::kDebounce);
    ASSERT_TRUE(eventually([&] { return m_cups.heldSubmissions() == 1; })); // "@ann $1" in lp

    QList<PrintJob> kept = manager().printJobs();
    kept.removeIf([](const PrintJob &job) { return job.label == "Box #1 @ann"; });
    manager().setPrintJobs(kept);
    m_cups.releaseSubmissions();
    ASSERT_TRUE(eventually([&] { return !manager().isProcessing(); }));

    EXPECT_EQ(statuses(manager().printJobs()),
              QStringList({"Box #2 @bob: done", "@bob $2: done", "@ann $1: done"}));
    EXPECT_EQ(submittedQueues(), QStringList({kWinnerQueue, kWinnerQueue, kBoxQueue}));
}

TEST_F(AutoPrintManagerTest, ALabelThatCannotBeDrawnEndsInErrorAndSendsNothing)
{
    enqueue({win("ann", "1", 1)});
    QList<PrintJob> jobs = manager().printJobs();
    PrintJob broken = jobs.at(1);
    broken.id = PrintJob::makeId();
    broken.label = QStringLiteral("@broken $1");
    broken.labelMedia = LabelMedia{QStringLiteral("odd"), 0.0, 1.0, false, std::nullopt};
    jobs.append(broken); // the oldest: walked first
    manager().setPrintJobs(jobs);
    manager().setIsPrinting(true);
    manager().scheduleProcessing(*m_service);
    runDebouncedWalk();

    const PrintJob *failed = jobLabelled(manager().printJobs(), "@broken $1");
    ASSERT_TRUE(failed->status.isError());
    // The drawing's own reason, not a complaint about an empty image further on.
    EXPECT_TRUE(failed->status.message.contains("inches")) << failed->status.message.toStdString();
    EXPECT_EQ(describe(jobLabelled(manager().printJobs(), "@ann $1")->status), "done");
    EXPECT_EQ(submittedQueues(), QStringList({kWinnerQueue, kBoxQueue}));
}

TEST_F(AutoPrintManagerTest, AStoppedQueueIsReEnabledOnceWithoutCancellingAndTheLabelPrints)
{
    m_cups.stop(kWinnerQueue);
    manager().setIsPrinting(true);
    enqueue({win("ann", "1", 1)});
    runDebouncedWalk();

    EXPECT_EQ(m_cups.enableCalls(kWinnerQueue), 1);
    EXPECT_EQ(m_cups.enableCalls(kBoxQueue), 0);
    EXPECT_EQ(m_cups.cancelCalls(), 0);
    EXPECT_FALSE(m_cups.isStopped(kWinnerQueue));
    EXPECT_EQ(statuses(manager().printJobs()), QStringList({"Box #1 @ann: done", "@ann $1: done"}));
    EXPECT_EQ(submittedQueues(), QStringList({kWinnerQueue, kBoxQueue}));
}

TEST_F(AutoPrintManagerTest, EachLabelRunsOneStateCheckAndOneLpOnceItsQueueNameIsKnown)
{
    manager().setIsPrinting(true);
    enqueue({win("ann", "1", 1), win("bob", "2", 2)});
    runDebouncedWalk();
    // The name is looked up on a queue's first label only; the waiting jobs are never read.
    EXPECT_EQ(m_cups.calls(), QStringList({"lpstat -e", "lpstat -p Winner", "lp -d Winner", "lpstat -e",
                                           "lpstat -p Boxes", "lp -d Boxes", "lpstat -p Winner",
                                           "lp -d Winner", "lpstat -p Boxes", "lp -d Boxes"}));

    // A refused job forgets the name: the next label of that queue looks it up again.
    m_cups.refuse(kWinnerQueue, QStringLiteral("lp: Destination \"Winner\" is not accepting jobs."));
    const qsizetype before = m_cups.calls().size();
    enqueue({win("cat", "3", 3)});
    runDebouncedWalk();
    m_cups.accept(kWinnerQueue);
    enqueue({win("dan", "4", 4)});
    runDebouncedWalk();
    EXPECT_EQ(m_cups.calls().mid(before),
              QStringList({"lpstat -p Winner", "lp -d Winner", "lpstat -p Boxes", "lp -d Boxes", "lpstat -e",
                           "lpstat -p Winner", "lp -d Winner", "lpstat -p Boxes", "lp -d Boxes"}));

    // A refresh of the printer list finds every name afresh, and labels after it look up none.
    QCoro::waitFor(m_adapter->refreshPrinters());
    const qsizetype afterRefresh = m_cups.calls().size();
    enqueue({win("eve", "5", 5)});
    runDebouncedWalk();
    EXPECT_EQ(m_cups.calls().mid(afterRefresh),
              QStringList({"lpstat -p Winner", "lp -d Winner", "lpstat -p Boxes", "lp -d Boxes"}));
    EXPECT_EQ(statuses(manager().printJobs()).filter(QStringLiteral(": done")).size(), 9);
}

TEST_F(AutoPrintManagerTest, AQueueThatStaysStoppedFailsEachOfItsJobsAndTheWalkGoesOn)
{
    m_cups.stop(kWinnerQueue, true);
    QStringList printed;
    manager().setOnAuctionPrinted([&](const QString &id) { printed.append(id); });
    manager().setIsPrinting(true);
    enqueue({win("ann", "1", 1), win("bob", "2", 2)});
    runDebouncedWalk();

    const QString stopped = QStringLiteral("error: Printer stopped \u2014 tap Fix in settings");
    EXPECT_EQ(statuses(manager().printJobs()), QStringList({"Box #2 @bob: done", "@bob $2: " + stopped,
                                                            "Box #1 @ann: done", "@ann $1: " + stopped}));
    EXPECT_EQ(m_cups.enableCalls(kWinnerQueue), 2); // one repair per job
    EXPECT_EQ(m_cups.cancelCalls(), 0);
    EXPECT_EQ(submittedQueues(), QStringList({kBoxQueue, kBoxQueue}));
    EXPECT_TRUE(printed.isEmpty());
}

TEST_F(AutoPrintManagerTest, MissingPrintersAndRefusedJobsEndInErrorsAndTheWalkGoesOn)
{
    m_settings->remove(QStringLiteral("label_box_printer"));
    m_cups.refuse(kWinnerQueue, QStringLiteral("lp: Destination \"Winner\" is not accepting jobs."));
    QStringList printed;
    manager().setOnAuctionPrinted([&](const QString &id) { printed.append(id); });
    manager().setIsPrinting(true);
    enqueue({win("ann", "1", 1), win("bob", "2", 2)});
    runDebouncedWalk();

    for (const PrintJob &job : manager().printJobs()) {
        ASSERT_TRUE(job.status.isError()) << job.label.toStdString();
        if (job.labelType == LabelType::box)
            EXPECT_EQ(job.status.message, "No printer configured");
        else
            EXPECT_TRUE(job.status.message.contains("not accepting jobs"))
                << job.status.message.toStdString();
    }
    EXPECT_EQ(m_cups.stateChecks(kWinnerQueue), 2); // both winner labels were tried
    EXPECT_TRUE(m_cups.submissions().isEmpty());
    EXPECT_TRUE(printed.isEmpty());
}
