// The pending-uploads store across crashes: the writer is stopped before each of its
// disk steps in turn (and the restarted writer again), then the uploads are taken up
// by a restarted program. No auction may be lost, none stored twice, and none posted
// again except one whose acceptance a crash cut off. Files written by earlier
// builds (the pending file alone) and logs cut off mid-line are read as well.
#include "backend/pending_upload_store.h"
#include "backend/show_sync_service.h"
#include "common/paths.h"
#include "fake_sleeper.h"
#include "full_disk.h"
#include "run_sync.h"
#include "shows_fixture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <optional>

using namespace quill;
using quill::testing::FakeSleeper;
using quill::testing::eventually;
using quill::testing::runSync;
using quill::standin::Fault;

namespace {

struct WriterKilled final : std::exception
{
    const char *what() const noexcept override { return "the writer was killed"; }
};

// Lets `killAt` disk steps through, then kills the writer (every later step fails too,
// as nothing runs after a crash). Notes each step it let through.
struct Killer
{
    int killAt = -1; // -1: never
    bool killed = false;
    QString killedStep;
    QStringList trace;
    std::function<QString()> lastPosted;
    std::function<void()> onKill;
    QString lastPostedAtKill; // the auction the backend accepted just before the crash, if any

    static QString describe(PendingUploadStore::Step step, const QByteArray &bytes)
    {
        switch (step) {
        case PendingUploadStore::Step::writeFile:
            return QStringLiteral("write file");
        case PendingUploadStore::Step::removeLog:
            return QStringLiteral("remove log");
        case PendingUploadStore::Step::appendLog:
            break;
        }
        QStringList records;
        for (const QByteArray &line : bytes.split('\n')) {
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            for (const QString &kind : {QStringLiteral("queued"), QStringLiteral("accepted")}) {
                if (record.contains(kind))
                    records.append(kind + QLatin1Char(' ') +
                                   record.value(kind).toObject().value(QStringLiteral("id")).toString());
            }
        }
        return QStringLiteral("append ") + records.join(QStringLiteral(", "));
    }

    void operator()(PendingUploadStore::Step step, const QByteArray &bytes)
    {
        const QString what = describe(step, bytes);
        if (killed || trace.size() == killAt) {
            if (!killed) {
                killedStep = what;
                lastPostedAtKill = lastPosted();
                onKill();
            }
            killed = true;
            throw WriterKilled();
        }
        trace.append(what);
    }
};

AuctionUpload storedAuctionOf(int number)
{
    AuctionUpload auction;
    auction.id = QStringLiteral("cap-%1").arg(number);
    auction.winnerUsername = QStringLiteral("buyer%1").arg(number);
    auction.salePrice = *Decimal::fromString(QStringLiteral("%1.25").arg(number));
    auction.auctionNumber = number;
    auction.rawTitle = QStringLiteral("Lot \"%1\"\nsecond line").arg(number);
    return auction;
}

QList<AuctionUpload> auctions(std::initializer_list<int> numbers)
{
    QList<AuctionUpload> out;
    for (int n : numbers)
        out.append(storedAuctionOf(n));
    return out;
}

class PendingUploadStoreTest : public quill::testing::ShowsFixture
{
protected:
    struct Writer
    {
        std::unique_ptr<ShowSyncService> service;
        std::shared_ptr<Killer> killer;
    };

    Writer writer(int killAt)
    {
        Writer w;
        w.service = std::make_unique<ShowSyncService>(*m_settings, m_sleeper);
        w.service->setApi(m_client.get());
        w.killer = std::make_shared<Killer>();
        w.killer->killAt = killAt;
        w.killer->lastPosted = [this] { return lastPostedId(); };
        // A dead program sends nothing more: its object lives on here only until the test drops it.
        w.killer->onKill = [service = w.service.get()] { service->setApi(nullptr); };
        w.service->setPendingWriteHook(
            [killer = w.killer](PendingUploadStore::Step step, const QByteArray &bytes) {
                (*killer)(step, bytes);
            });
        return w;
    }

    // A writer that is never killed, with a show started on `stream`.
    Writer writerOfAStartedShow(const QString &stream)
    {
        Writer w = writer(-1);
        w.service->setActiveStreamId(stream);
        runSync(w.service->startShow(QStringLiteral("Show of %1").arg(stream), QStringLiteral("realtime")));
        return w;
    }

    // Until the uploads are done, or the writer was killed (its upload loop then stops).
    bool settledOrKilled(const Writer &w) const
    {
        return eventually([&] {
            return w.killer->killed || (w.service->pendingUploadCount() == 0 && !w.service->isUploading());
        });
    }

    static QString pendingPath()
    {
        return paths::dataFile(QString::fromLatin1(ShowSyncService::kPendingFileName));
    }
    static QString logPath() { return pendingPath() + QStringLiteral(".log"); }

    // What the backend holds of the show, by capture id (the buyer names carry the number).
    QStringList storedIds(const QString &showId) const
    {
        QStringList ids;
        for (const auto &auction : m_backend.auctions(showId))
            ids.append(QStringLiteral("cap-") + auction.winnerUsername.mid(5));
        return ids;
    }

    // The auctions posted since the requests were last cleared, in order.
    QStringList postedIds() const
    {
        QStringList ids;
        static const QRegularExpression buyer(QStringLiteral("\"winnerUsername\":\"buyer(\\d+)\""));
        for (const auto &request : m_backend.requests()) {
            if (request.method != QLatin1String("POST") || !request.path.endsWith(QLatin1String("/auctions")))
                continue;
            const auto match = buyer.match(QString::fromUtf8(request.body));
            if (match.hasMatch())
                ids.append(QStringLiteral("cap-") + match.captured(1));
        }
        return ids;
    }
    QString lastPostedId() const
    {
        const QStringList ids = postedIds();
        return ids.isEmpty() ? QString() : ids.constLast();
    }

    // A restarted program: takes up what is pending, marks what the backend already
    // holds as sent (as the live screen does with a resumed show), and hands over
    // every auction of the page again. Gives the step its writer was killed at, if it was.
    struct Restart
    {
        bool killed = false;
        QString lastPostedAtKill;
    };
    Restart restart(const QString &stream, const QString &showId, int killAt)
    {
        Writer w = writer(killAt);
        try {
            w.service->setActiveStreamId(stream);
            EXPECT_TRUE(runSync(w.service->resumeActiveShow()));
            EXPECT_TRUE(settledOrKilled(w));
            if (w.killer->killed)
                return Restart{true, w.killer->lastPostedAtKill};
            w.service->addSyncedAuctionKeys(storedIds(showId));
            w.service->syncAuctions(auctions({1, 2, 3, 4, 5}));
            EXPECT_TRUE(settledOrKilled(w));
        } catch (const WriterKilled &) {
        }
        return Restart{w.killer->killed, w.killer->lastPostedAtKill};
    }

    FakeSleeper m_sleeper;
};

TEST_F(PendingUploadStoreTest, AWriterKilledBetweenAnyTwoStepsLosesNoAuctionAndStoresNoneTwice)
{
    // The run that is not killed: accepted uploads cost one append each; the file is
    // written whole only when the backlog has drained.
    const QStringList fullRun{QStringLiteral("append queued cap-1, queued cap-2, queued cap-3"),
                              QStringLiteral("append accepted cap-1"),
                              QStringLiteral("append accepted cap-2"),
                              QStringLiteral("write file"),
                              QStringLiteral("remove log"),
                              QStringLiteral("append queued cap-4, queued cap-5"),
                              QStringLiteral("append accepted cap-4"),
                              QStringLiteral("write file"),
                              QStringLiteral("remove log")};
    int round = 0;
    for (int killAt = 0; killAt <= fullRun.size(); ++killAt) {
        // The restarted writer is killed too, at each of its first steps, before a
        // third run finishes the work.
        for (int restartKillAt : {0, 1, 2, -1}) {
            ++round;
            SCOPED_TRACE(QStringLiteral("killed at step %1, restart killed at %2")
                             .arg(killAt)
                             .arg(restartKillAt)
                             .toStdString());
            QFile::remove(pendingPath());
            QFile::remove(logPath());
            m_backend.clearRequests();
            const QString stream = QStringLiteral("stream-%1").arg(round);

            Writer first = writer(killAt);
            QString showId;
            try {
                first.service->setActiveStreamId(stream);
                runSync(first.service->startShow(QStringLiteral("Crash show"), QStringLiteral("realtime")));
                showId = first.service->activeShowId();
                ASSERT_FALSE(showId.isEmpty());
                first.service->syncAuctions(auctions({1, 2, 3}));
                ASSERT_TRUE(settledOrKilled(first));
                if (!first.killer->killed) {
                    first.service->syncAuctions(auctions({4, 5}));
                    ASSERT_TRUE(settledOrKilled(first));
                }
            } catch (const WriterKilled &) {
            }
            if (killAt == fullRun.size()) {
                EXPECT_FALSE(first.killer->killed);
                EXPECT_EQ(first.killer->trace, fullRun);
            } else {
                ASSERT_TRUE(first.killer->killed);
                EXPECT_EQ(first.killer->killedStep, fullRun.at(killAt));
            }
            first.service.reset();

            const Restart second = restart(stream, showId, restartKillAt);
            if (second.killed) {
                EXPECT_FALSE(restart(stream, showId, -1).killed);
            }

            QStringList stored = storedIds(showId);
            stored.sort();
            EXPECT_EQ(stored, QStringList({"cap-1", "cap-2", "cap-3", "cap-4", "cap-5"}));
            // Posted again only when a crash came right after the backend accepted it, before
            // the acceptance was on disk (the backend recognises the repeat).
            const QStringList posted = postedIds();
            SCOPED_TRACE(QStringLiteral("posted %1; crash after %2 and %3")
                             .arg(posted.join(QLatin1Char(' ')), first.killer->lastPostedAtKill,
                                  second.lastPostedAtKill)
                             .toStdString());
            for (const QString id : {"cap-1", "cap-2", "cap-3", "cap-4", "cap-5"}) {
                const int cutOffs =
                    int(first.killer->lastPostedAtKill == id) + int(second.lastPostedAtKill == id);
                EXPECT_GE(posted.count(id), 1) << id.toStdString();
                EXPECT_LE(posted.count(id), 1 + cutOffs) << id.toStdString();
            }
            // Drained: the file lists nothing and no log is left.
            EXPECT_FALSE(QFile::exists(logPath()));
            QFile file(pendingPath());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(
                QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("uploads")).toArray(),
                QJsonArray());
            if (HasFatalFailure())
                return;
        }
    }
}

TEST_F(PendingUploadStoreTest, APendingFileOfAnEarlierBuildIsReadAndDrainedInOrder)
{
    const QString showId = liveShow(QStringLiteral("Earlier show"));
    // Byte for byte what the pending file looked like before the log existed.
    const QByteArray earlier =
        QStringLiteral(
            R"({"uploads":[)"
            R"({"auctionNumber":7,"id":"cap-7","rawTitle":"Lot 7","salePrice":"7.25","showId":"%1","winnerUsername":"buyer7"},)"
            R"({"id":"cap-8","salePrice":"8","showId":"%1","winnerUsername":"buyer8"},)"
            R"({"auctionNumber":9,"id":"cap-9","salePrice":"9.5","showId":"%1","winnerUsername":"buyer9"}]})")
            .arg(showId)
            .toUtf8();
    QFile file(pendingPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(earlier);
    file.close();

    Writer w = writer(-1);
    EXPECT_EQ(w.service->pendingUploads(showId).size(), 3);
    EXPECT_FALSE(runSync(w.service->resumeActiveShow())); // no show of this program's own to adopt
    ASSERT_TRUE(settledOrKilled(w));
    const auto stored = m_backend.auctions(showId);
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(stored.at(0).winnerUsername, QStringLiteral("buyer7"));
    EXPECT_EQ(stored.at(0).rawTitle, QStringLiteral("Lot 7"));
    EXPECT_FALSE(stored.at(1).auctionNumber.has_value());
    EXPECT_EQ(stored.at(2).salePrice, QStringLiteral("9.5"));
    // Two acceptances appended, then the drained backlog written whole.
    EXPECT_EQ(w.killer->trace,
              QStringList({"append accepted cap-7", "append accepted cap-8", "write file", "remove log"}));
    EXPECT_FALSE(QFile::exists(logPath()));
}

TEST_F(PendingUploadStoreTest, ALogLineCutOffMidWriteIsLeftOutAndALogIsFoldedIntoTheFileAtStart)
{
    const QString showId = liveShow(QStringLiteral("Cut show"));
    {
        PendingUploadStore store(pendingPath());
        store.writeFile(QStringLiteral(R"({"uploads":[{"id":"cap-1","salePrice":"1","showId":"%1",)"
                                       R"("winnerUsername":"buyer1"}]})")
                            .arg(showId)
                            .toUtf8());
        store.appendQueued({QJsonObject{{QStringLiteral("showId"), showId},
                                        {QStringLiteral("id"), QStringLiteral("cap-2")},
                                        {QStringLiteral("winnerUsername"), QStringLiteral("buyer2")},
                                        {QStringLiteral("salePrice"), QStringLiteral("2")}}});
        store.appendAccepted(showId, QStringLiteral("cap-1"));
    }
    QFile log(logPath());
    ASSERT_TRUE(log.open(QIODevice::Append));
    log.write(R"({"queued":{"id":"cap-3","salePrice":"3","showId":")"); // the crash came here
    log.close();

    Writer w = writer(-1);
    const QList<AuctionUpload> pending = w.service->pendingUploads(showId);
    ASSERT_EQ(pending.size(), 1);
    EXPECT_EQ(pending.at(0).id, QStringLiteral("cap-2"));
    // Folded at once: the file holds what is pending and the log is gone.
    EXPECT_EQ(w.killer->trace, QStringList({"write file", "remove log"}));
    DiskWriter *disk = w.service->pendingWriter();
    ASSERT_NE(disk, nullptr);
    ASSERT_TRUE(eventually([&] { return disk->reported() == disk->posted(); }));
    EXPECT_FALSE(QFile::exists(logPath()));
    EXPECT_TRUE(w.service->syncError().isEmpty()) << w.service->syncError().toStdString();

    runSync(w.service->resumeActiveShow());
    ASSERT_TRUE(settledOrKilled(w));
    EXPECT_EQ(storedIds(showId), QStringList({"cap-2"}));
}

} // namespace

TEST_F(PendingUploadStoreTest, ALogLeftCutOffByAnEarlierRunGetsTheNextRecordsOnALineOfTheirOwn)
{
    const auto entry = [](const QString &id) {
        return QJsonObject{{QStringLiteral("showId"), QStringLiteral("show-1")}, {QStringLiteral("id"), id}};
    };
    {
        PendingUploadStore store(pendingPath());
        store.appendQueued({entry(QStringLiteral("cap-1"))});
    }
    QFile log(logPath());
    ASSERT_TRUE(log.open(QIODevice::Append));
    log.write(R"({"queued":{"id":"cap-)"); // a crash, and a start that could not fold the log in
    log.close();
    {
        PendingUploadStore store(pendingPath());
        store.appendQueued({entry(QStringLiteral("cap-2"))});
        store.appendQueued({entry(QStringLiteral("cap-3"))});
    }

    const PendingUploadStore::LogReading reading = PendingUploadStore(pendingPath()).readLog();
    QStringList queued;
    for (const PendingUploadStore::LogRecord &record : reading.records)
        queued.append(record.entry.value(QStringLiteral("id")).toString());
    EXPECT_EQ(queued, QStringList({"cap-1", "cap-2", "cap-3"}));
    EXPECT_EQ(reading.unreadableLines, QStringList{QStringLiteral(R"({"queued":{"id":"cap-)")});
}

TEST_F(PendingUploadStoreTest, AnAuctionIsSentOnlyOnceItsRecordIsOnDisk)
{
    const Writer w = writerOfAStartedShow(QStringLiteral("stream-held"));
    const QString showId = w.service->activeShowId();
    ASSERT_FALSE(showId.isEmpty());
    DiskWriter *disk = w.service->pendingWriter();
    ASSERT_NE(disk, nullptr);

    // The disk is slow: the writer thread is held before the auction's record.
    std::promise<void> release;
    disk->post([released = release.get_future().share()] { released.wait(); });
    m_backend.clearRequests();
    w.service->syncAuctions(auctions({1}));
    EXPECT_EQ(w.service->pendingUploadCount(), 1);
    // A request sent after it comes back first: the auction was not posted meanwhile.
    runSync(m_client->fetchShows(QStringLiteral("live"), 10));
    EXPECT_TRUE(postedIds().isEmpty()) << postedIds().join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(QFile::exists(logPath()));

    release.set_value();
    ASSERT_TRUE(settledOrKilled(w));
    EXPECT_EQ(postedIds(), QStringList({"cap-1"}));
    EXPECT_EQ(storedIds(showId), QStringList({"cap-1"}));
}

TEST_F(PendingUploadStoreTest, AnAuctionQueuedWhileTheLoopWaitsForItsLastWriteIsStillSent)
{
    const Writer w = writerOfAStartedShow(QStringLiteral("stream-late"));
    const QString showId = w.service->activeShowId();
    ASSERT_FALSE(showId.isEmpty());
    DiskWriter *disk = w.service->pendingWriter();
    ASSERT_NE(disk, nullptr);

    // The first auction's upload is answered once the disk has become slow, so the loop
    // ends waiting for the write of that acceptance.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/%1/auctions").arg(showId),
                       Fault::held().times(1));
    w.service->syncAuctions(auctions({1}));
    ASSERT_TRUE(eventually([&] { return m_backend.heldCount() == 1; }));
    std::promise<void> release;
    disk->post([released = release.get_future().share()] { released.wait(); });
    m_backend.releaseHeld();
    ASSERT_TRUE(eventually([&] { return w.service->pendingUploadCount() == 0; }));

    // A win comes in meanwhile; it finds the loop still running.
    w.service->syncAuctions(auctions({2}));
    release.set_value();
    ASSERT_TRUE(eventually([&] { return storedIds(showId).size() == 2; }))
        << storedIds(showId).join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(storedIds(showId), QStringList({"cap-1", "cap-2"}));
    EXPECT_TRUE(settledOrKilled(w)); // the answer is in too, before the service goes
}

TEST_F(PendingUploadStoreTest, ARecordTheDiskRefusesIsReportedAndTheAuctionIsStillSent)
{
    const Writer w = writerOfAStartedShow(QStringLiteral("stream-full"));
    const QString showId = w.service->activeShowId();
    ASSERT_FALSE(showId.isEmpty());
    // Neither the log (a full disk) nor the whole file (a folder in its place) can be written.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), logPath()));
    QFile::remove(pendingPath());
    ASSERT_TRUE(QDir().mkpath(pendingPath()));

    w.service->syncAuctions(auctions({1}));
    ASSERT_TRUE(settledOrKilled(w));
    EXPECT_TRUE(w.service->syncError().startsWith(QStringLiteral("Failed to save pending auctions: ")))
        << w.service->syncError().toStdString();
    // Only the backend can keep it now: it is sent all the same.
    EXPECT_EQ(storedIds(showId), QStringList({"cap-1"}));
    QFile::remove(logPath());
    QDir(pendingPath()).removeRecursively();
}

namespace {

// The data folder's disk runs full during a show and after it: on a real tmpfs where the
// machine allows the mount, and through a file-size cap everywhere.
class PendingUploadsOnAFullDisk : public PendingUploadStoreTest, public quill::testing::FullDiskTest
{
protected:
    // Until every write posted so far has been reported (the service may post more
    // meanwhile: while the disk refuses, it tries the file again by itself).
    static bool written(const Writer &w)
    {
        DiskWriter *disk = w.service->pendingWriter();
        const quint64 posted = disk ? disk->posted() : 0;
        return disk && eventually([&] { return disk->reported() >= posted; });
    }
};

INSTANTIATE_TEST_SUITE_P(Disks, PendingUploadsOnAFullDisk, quill::testing::kEveryFullDisk,
                         quill::testing::fullDiskName);

} // namespace

TEST_P(PendingUploadsOnAFullDisk,
       WinsTheDiskRefusedAreWrittenAtTheNextChangeAndARestartUploadsAllThatReachedIt)
{
    if (!diskOver(paths::dataFolder()))
        GTEST_SKIP() << whyNot();
    QString showId;
    int lastOnDisk = 0;
    {
        Writer w = writerOfAStartedShow(QStringLiteral("stream-full-disk"));
        showId = w.service->activeShowId();
        ASSERT_FALSE(showId.isEmpty());
        // The backend is away: every win waits on disk.
        m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), Fault::status(503));
        QList<AuctionUpload> wins = auctions({1, 2});
        w.service->syncAuctions(wins);
        ASSERT_TRUE(written(w));

        // The disk runs full: wins come until one cannot be written, and the seller is told.
        disk().fill();
        while (w.service->syncError().isEmpty() && wins.size() < 60) {
            wins.append(storedAuctionOf(int(wins.size()) + 1));
            w.service->syncAuctions(wins);
            ASSERT_TRUE(written(w));
        }
        const QString error = w.service->syncError();
        EXPECT_TRUE(error.startsWith(QStringLiteral("Failed to save pending auctions: ")) &&
                    error.contains(QStringLiteral("free up disk space")))
            << error.toStdString();
        wins.append(storedAuctionOf(int(wins.size()) + 1)); // one more while it is full
        w.service->syncAuctions(wins);
        ASSERT_TRUE(written(w));
        EXPECT_EQ(w.service->syncError(), error);

        // With room again, the next change (or the service's own next try, which may be
        // on its way) writes every win kept in memory, and the error goes.
        disk().makeRoom();
        wins.append(storedAuctionOf(int(wins.size()) + 1));
        w.service->syncAuctions(wins);
        ASSERT_TRUE(written(w));
        EXPECT_TRUE(eventually([&] { return w.service->syncError().isEmpty(); }))
            << w.service->syncError().toStdString();
        lastOnDisk = int(wins.size());

        // Full again, and the program ends: what never reached the disk may be gone.
        disk().fill();
        wins.append(storedAuctionOf(int(wins.size()) + 1));
        w.service->syncAuctions(wins);
        ASSERT_TRUE(written(w));
        w.service->setApi(nullptr);
    }
    ASSERT_TRUE(eventually([&] { return m_client->requestsInFlight() == 0; }));
    m_backend.clearFaults();

    // The next start, the disk still full, uploads every win that reached it, once.
    {
        Writer w = writer(-1);
        w.service->setActiveStreamId(QStringLiteral("stream-full-disk"));
        EXPECT_TRUE(runSync(w.service->resumeActiveShow()));
        EXPECT_TRUE(settledOrKilled(w));
    }
    const QStringList stored = storedIds(showId);
    for (int n = 1; n <= lastOnDisk; ++n)
        EXPECT_TRUE(stored.contains(QStringLiteral("cap-%1").arg(n))) << n;
    EXPECT_EQ(QSet<QString>(stored.cbegin(), stored.cend()).size(), stored.size()) << "none twice";
    disk().makeRoom();
}
