// A long show through the real screen, offscreen, with the faults a long show meets:
// a few thousand wins in bursts with bids between, the printer queue stopped and
// repaired, the page's renderer killed again and again within a minute, a backend
// that fails every third request and drops connections after handling a request, and
// the program torn down and started again over the same folders while the show goes
// on. At the end every auction is on the backend once, every win has one winner label,
// every buyer one box label and one box number, and nothing waits to be uploaded.
//
// Labels are told apart by what they show: each printed file is compared with the
// label drawn for a win or a buyer by the same drawing code, so a label printed twice
// or with another box number is found, not only a wrong count.
#include "../live/live_road_fixture.h"
#include "backend/pending_upload_store.h"
#include "backend/show_sync_service.h"
#include "common/json.h"
#include "common/paths.h"
#include "printing/label_appearance_store.h"
#include "printing/label_bitmap_pipeline.h"
#include "printing/label_content.h"
#include "printing/print_job.h"
#include "printing/print_service.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QRandomGenerator>
#include <iostream>

namespace quill::testing {
namespace {

// The size of the show; QUILLMARK_SOAK_WINS sets another for a quick run by hand.
int soakWins()
{
    bool ok = false;
    const int wins = qEnvironmentVariableIntValue("QUILLMARK_SOAK_WINS", &ok);
    return ok && wins > 0 ? wins : 2000;
}
constexpr int kBuyers = 300;
constexpr auto kLongestPause = std::chrono::milliseconds(150);
constexpr auto kShortenedUpTo = std::chrono::milliseconds(5000);

// The program's pauses of up to kShortenedUpTo last at most kLongestPause of real time:
// the 0.3 s poll keeps about its pace, while back-offs and retries of 1-2-4 s and 5 s
// are not slept out. Longer waits are time-outs (a sign-in's, say) and stay as they are.
class ShortSleeper final : public Sleeper
{
public:
    QCoro::Task<> sleep(std::chrono::milliseconds duration) override
    {
        if (duration <= kShortenedUpTo)
            duration = std::min(duration, std::chrono::milliseconds(kLongestPause));
        co_await TimerSleeper::instance().sleep(duration);
    }
};

struct SoakWin
{
    QString buyer;
    qint64 number = 0;
    QString price;
};

QByteArray digest(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

class SoakShow : public LiveRoadFixture
{
protected:
    void SetUp() override
    {
        LiveRoadFixture::SetUp();
        // Both label types on the small label: the show's thousands of labels draw fast.
        LabelSectionState winner =
            LabelSectionState::load(labelSectionIndex(LabelType::individual), *m_settings);
        winner.selectedMedia = LabelMedia::rect1x2();
        ASSERT_FALSE(winner.save(labelSectionIndex(LabelType::individual), *m_settings).has_value());
        const QStringList files = tb::jobFiles(kQueue);
        m_filesBefore = QSet<QString>(files.begin(), files.end());
    }

    // One burst of wins on the live page, with a few bids after it.
    void showBurst(int size)
    {
        for (int i = 0; i < size && m_wins.size() < m_total; ++i) {
            SoakWin win;
            win.buyer = QStringLiteral("buyer%1").arg(m_random.bounded(kBuyers), 3, 10, QLatin1Char('0'));
            win.number = m_wins.size() + 1;
            win.price = QString::number(1 + m_random.bounded(200));
            if (m_random.bounded(4) == 0)
                win.price += QStringLiteral(".50");
            addWin(win.buyer, win.number, win.price);
            m_wins.append(win);
        }
        for (int bid = 0; bid < 3; ++bid) {
            const QString bidder =
                QStringLiteral("buyer%1").arg(m_random.bounded(kBuyers), 3, 10, QLatin1Char('0'));
            m_marketplace.addBid(kStream,
                                 {bidder, QStringLiteral("bid $%1").arg(1 + m_random.bounded(200)), {}});
        }
    }

    qsizetype captured() { return m_shell ? app().auctionPoller().capturedAuctions().size() : 0; }
    bool capturedAll() { return captured() == m_wins.size(); }

    // The program is torn down mid-show, a burst comes while it is gone, and it starts
    // again over the same folders, settings and keychain.
    void restart()
    {
        m_shell.reset();
        showBurst(20);
        startProgram(&m_sleeperForProgram);
        ASSERT_TRUE(tb::eventually([&] { return liveView() != nullptr; }, std::chrono::milliseconds(30000)));
        ASSERT_TRUE(tb::eventually([&] { return liveView()->page() == LiveShowView::Page::live; }, std::chrono::milliseconds(30000)))
            << "the show was not taken up after the restart";
        ASSERT_TRUE(tb::eventually([&] { return app().auctionPoller().isPolling(); }, std::chrono::milliseconds(30000)));
        if (!app().autoPrintManager().isPrinting())
            QTest::mouseClick(liveView()->headerBar()->printingButton(), Qt::LeftButton);
        ASSERT_TRUE(app().autoPrintManager().isPrinting());
        ++m_restarts;
    }

    void killRenderer()
    {
        QWebEnginePage *page = app().whatnotSession().webPage();
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(tb::eventually([&] { return page->renderProcessPid() > 0; }, std::chrono::milliseconds(30000)));
        ASSERT_TRUE(testing::killRenderer(*page));
        ++m_kills;
    }

    void stopQueue()
    {
        tb::tool(QStringLiteral("/usr/sbin/cupsdisable"),
                 {QStringLiteral("-r"), QStringLiteral("Paper out"), kQueue});
        ++m_queueStops;
    }

    bool queueIdle()
    {
        const QString state = tb::tool(QStringLiteral("/usr/bin/lpstat"), {QStringLiteral("-p"), kQueue});
        return state.contains(QStringLiteral("is idle")) &&
               tb::tool(QStringLiteral("/usr/bin/lpstat"), {QStringLiteral("-o"), kQueue})
                   .trimmed()
                   .isEmpty();
    }

    // Every upload queued and not accepted, as the pending file and its log keep them.
    int pendingOnDisk()
    {
        PendingUploadStore store(paths::dataFile(QString::fromLatin1(ShowSyncService::kPendingFileName)));
        int pending = 0;
        QFile file(store.filePath());
        if (file.open(QIODevice::ReadOnly))
            pending += int(json::parseObject(file.readAll(), QStringLiteral("pending"))
                               .value(QStringLiteral("uploads"))
                               .toArray()
                               .size());
        if (store.hasLog()) {
            QSet<QString> queued;
            for (const PendingUploadStore::LogRecord &record : store.readLog().records) {
                const QString key = record.entry.value(QStringLiteral("showId")).toString() +
                                    QLatin1Char('/') + record.entry.value(QStringLiteral("id")).toString();
                if (record.kind == PendingUploadStore::LogRecord::Kind::queued)
                    queued.insert(key);
                else
                    queued.remove(key);
            }
            pending += int(queued.size());
        }
        return pending;
    }

    ShortSleeper m_sleeperForProgram;
    QRandomGenerator m_random{20261207};
    QList<SoakWin> m_wins;
    int m_total = soakWins();
    int m_restarts = 0;
    int m_kills = 0;
    int m_queueStops = 0;
    QSet<QString> m_filesBefore;
};

TEST_F(SoakShow, AThousandsOfWinsShowWithEveryFaultLosesAndDoublesNothing)
{
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_NO_FATAL_FAILURE(runToLiveShow(&m_sleeperForProgram));

    // The backend drops the connection after taking every fifth new auction, and
    // refuses every third request of the rest.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"),
                       standin::Fault::dropAfterHandling().every(5));
    m_backend.setFault(QStringLiteral("*"), QStringLiteral("/api/*"), standin::Fault::status(503).every(3));

    const int restartAt[] = {m_total / 3, 2 * m_total / 3};
    const int killFrom = m_total / 6;
    const int burstsBetweenKills = 2;
    QElapsedTimer sinceKill;
    int burst = 0;
    int restartsDone = 0;
    while (m_wins.size() < m_total) {
        ++burst;
        SCOPED_TRACE(QStringLiteral("burst %1, %2 wins shown").arg(burst).arg(m_wins.size()).toStdString());
        showBurst(10 + m_random.bounded(41));
        QTest::qWait(700);

        if (burst % 12 == 4)
            stopQueue(); // the program finds it stopped at its next label and repairs it

        // Five kills, each within a minute of the last, with wins captured in between.
        if (m_kills < 5 && m_wins.size() >= killFrom && burst % burstsBetweenKills == 0) {
            ASSERT_TRUE(tb::eventually([&] { return capturedAll(); }, std::chrono::milliseconds(60000)))
                << captured() << " of " << m_wins.size() << " captured; "
                << qPrintable(app().whatnotSession().errorText());
            if (m_kills > 0) {
                EXPECT_LT(sinceKill.elapsed(), 60000) << "kills must come within a minute of each other";
            }
            // The reloaded page has finished loading before its renderer dies again.
            ASSERT_TRUE(tb::eventually([&] { return !app().whatnotSession().isRecovering(); }, std::chrono::milliseconds(60000)));
            ASSERT_NO_FATAL_FAILURE(killRenderer());
            sinceKill.start();
        }

        if (restartsDone < 2 && m_wins.size() >= restartAt[restartsDone]) {
            ASSERT_NO_FATAL_FAILURE(restart());
            ++restartsDone;
        }
    }

    // Every win is captured; then the backend recovers and the uploads drain.
    ASSERT_TRUE(tb::eventually([&] { return capturedAll(); }, std::chrono::milliseconds(120000)))
        << captured() << " of " << m_wins.size() << " captured; "
        << qPrintable(app().whatnotSession().errorText());
    m_backend.clearFaults();
    const QList<standin::StandinShow> shows = m_backend.shows(QStringLiteral("u1"));
    ASSERT_EQ(shows.size(), 1) << "the show was made anew";
    const QString showId = shows.first().id;
    EXPECT_TRUE(tb::eventually(
        [&] {
            return m_backend.auctions(showId).size() >= m_wins.size() &&
                   app().showSyncService().pendingUploadCount() == 0;
        }, std::chrono::milliseconds(180000)))
        << m_backend.auctions(showId).size() << " auctions uploaded, "
        << app().showSyncService().pendingUploadCount() << " pending";
    EXPECT_TRUE(tb::eventually(
        [&] {
            return !app().autoPrintManager().isProcessing() &&
                   !app().autoPrintManager().hasPendingDebounce() && queueIdle();
        }, std::chrono::milliseconds(180000)));
    // The scheduler's backend moves a job's file in place just after the job ends: wait
    // for a file per label (one per win and one per buyer). A lost label leaves the wait
    // at its bound, and the count below names it.
    QSet<QString> buyersShown;
    for (const SoakWin &win : std::as_const(m_wins))
        buyersShown.insert(win.buyer);
    const qsizetype labelsDue = m_wins.size() + buyersShown.size();
    tb::eventually(
        [&] {
            qsizetype arrived = 0;
            for (const QString &file : tb::jobFiles(kQueue))
                arrived += m_filesBefore.contains(file) ? 0 : 1;
            return arrived >= labelsDue;
        },
        std::chrono::milliseconds(60000));
    const double seconds = double(elapsed.elapsed()) / 1000.0;

    // --- the backend: every auction once -----------------------------------------------
    QHash<QString, int> uploads;
    QHash<QString, std::optional<QString>> titles;
    for (const standin::StandinAuction &auction : m_backend.auctions(showId)) {
        const QString key = auction.winnerUsername + QLatin1Char('-') +
                            Decimal::fromString(auction.salePrice).value_or(Decimal()).toString() +
                            QLatin1Char('-') + QString::number(auction.auctionNumber.value_or(-1));
        ++uploads[key];
        titles.insert(key, auction.rawTitle);
    }
    int uploadDuplicates = 0;
    int uploadLosses = 0;
    for (const SoakWin &win : std::as_const(m_wins)) {
        const QString key = win.buyer + QLatin1Char('-') + Decimal::fromString(win.price)->toString() +
                            QLatin1Char('-') + QString::number(win.number);
        const int count = uploads.value(key);
        uploadLosses += count == 0 ? 1 : 0;
        uploadDuplicates += std::max(0, count - 1);
    }
    EXPECT_EQ(m_backend.auctions(showId).size(), m_wins.size());
    EXPECT_EQ(uploadLosses, 0);
    EXPECT_EQ(uploadDuplicates, 0);
    EXPECT_EQ(pendingOnDisk(), 0) << "the pending-upload file still holds uploads";

    // --- box numbers: one per buyer, each its own ------------------------------------------
    QSet<QString> buyers;
    for (const SoakWin &win : std::as_const(m_wins))
        buyers.insert(win.buyer);
    const QHash<QString, int> boxNumbers = app().autoPrintManager().boxNumbers();
    QSet<int> numbersUsed;
    for (const QString &buyer : std::as_const(buyers)) {
        EXPECT_TRUE(boxNumbers.contains(buyer)) << qPrintable(buyer) << " has no box number";
        numbersUsed.insert(boxNumbers.value(buyer));
    }
    EXPECT_EQ(numbersUsed.size(), buyers.size()) << "two buyers share a box number";

    // --- labels, by what they show -------------------------------------------------------------
    Settings &settings = *m_settings;
    const LabelSectionState winnerSettings =
        LabelSectionState::load(labelSectionIndex(LabelType::individual), settings);
    const LabelSectionState boxSettings =
        LabelSectionState::load(labelSectionIndex(LabelType::box), settings);
    const LabelAppearanceStore &appearance = app().printService().appearanceStore();
    const auto draw = [&](const LabelContent &content, const LabelSectionState &section) {
        const QList<AnyLabelView> pages =
            content.pages(section.selectedStyle, section.selectedMedia, section.selectedOrientation,
                          appearance.appearance(), 1.0);
        QList<QByteArray> digests;
        for (const AnyLabelView &page : pages)
            digests.append(digest(renderLabelPNG(page, section.selectedMedia, section.selectedOrientation,
                                                 appearance.colorMode())));
        return digests;
    };
    QHash<QByteArray, QString> expected; // digest -> what the label is for
    for (const SoakWin &win : std::as_const(m_wins)) {
        const Decimal price = *Decimal::fromString(win.price);
        const QString key =
            win.buyer + QLatin1Char('-') + price.toString() + QLatin1Char('-') + QString::number(win.number);
        const LabelContent content = LabelContent::individual(win.buyer, QLatin1Char('$') + price.toString(),
                                                              int(win.number), boxNumbers.value(win.buyer),
                                                              titles.value(key), AutoPrintManager::showTitle);
        for (const QByteArray &d : draw(content, winnerSettings))
            expected.insert(d, QStringLiteral("winner label of #%1 @%2").arg(win.number).arg(win.buyer));
    }
    const int winnerExpected = int(expected.size());
    for (const QString &buyer : std::as_const(buyers)) {
        const LabelContent content =
            LabelContent::box(buyer, boxNumbers.value(buyer), AutoPrintManager::showTitle);
        for (const QByteArray &d : draw(content, boxSettings))
            expected.insert(d, QStringLiteral("box label of @%1").arg(buyer));
    }

    QHash<QByteArray, int> printed;
    int unknown = 0;
    for (const QString &file : tb::jobFiles(kQueue)) {
        if (m_filesBefore.contains(file))
            continue;
        const QByteArray d = digest(tb::readFile(tb::outDir(kQueue) + QLatin1Char('/') + file));
        if (!expected.contains(d)) {
            ++unknown;
            continue;
        }
        ++printed[d];
    }
    int winnerLabels = 0;
    int boxLabels = 0;
    int duplicates = 0;
    int losses = 0;
    QStringList lostLabels;
    QStringList doubledLabels;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const int count = printed.value(it.key());
        (it.value().startsWith(QLatin1String("winner")) ? winnerLabels : boxLabels) += count;
        if (count == 0) {
            ++losses;
            if (lostLabels.size() < 10)
                lostLabels.append(it.value());
        }
        if (count > 1) {
            duplicates += count - 1;
            if (doubledLabels.size() < 10)
                doubledLabels.append(it.value());
        }
    }
    int failedJobs = 0;
    for (const PrintJob &job : app().autoPrintManager().printJobs())
        failedJobs += job.status.isError() ? 1 : 0;

    std::cout << "soak: " << m_wins.size() << " wins from " << buyers.size() << " buyers; " << winnerLabels
              << " winner labels (" << winnerExpected << " expected), " << boxLabels << " box labels, "
              << numbersUsed.size() << " box numbers; " << m_backend.auctions(showId).size()
              << " auctions uploaded, " << pendingOnDisk() << " pending; duplicates " << duplicates
              << ", losses " << losses << ", unknown labels " << unknown << ", failed jobs " << failedJobs
              << "; " << m_kills << " renderer kills, " << m_queueStops << " queue stops, " << m_restarts
              << " restarts; " << seconds << " s" << std::endl;
    EXPECT_EQ(losses, 0) << qPrintable(lostLabels.join(QStringLiteral(", ")));
    EXPECT_EQ(duplicates, 0) << qPrintable(doubledLabels.join(QStringLiteral(", ")));
    EXPECT_EQ(unknown, 0) << "labels printed that belong to no win or buyer (a wrong box number?)";
    EXPECT_EQ(winnerLabels, m_wins.size());
    EXPECT_EQ(boxLabels, buyers.size());
    EXPECT_GE(m_kills, 4);
    EXPECT_EQ(m_restarts, 2);
    EXPECT_FALSE(app().whatnotSession().error().has_value())
        << qPrintable(app().whatnotSession().errorText());
}

} // namespace
} // namespace quill::testing
