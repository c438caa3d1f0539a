// A show's label record written off the GUI thread: lines recorded in a burst land in
// order and settled() ends only once they are on disk; lines still queued when the
// record is let go of reach the disk; the end of a show's record comes after its
// last line; a line the disk refuses says why and does not hold the queue up; a line
// cut off on disk never spoils the record for a later run; cleared labels read back as
// such beside the lines earlier runs wrote.
#include "printing/label_record_store.h"

#include "run_sync.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace quill;
using quill::testing::runSync;

namespace {

PrintJob winnerLabel(const QString &auctionId, PrintJob::Status status)
{
    PrintJob job;
    job.labelType = LabelType::individual;
    job.auctionId = auctionId;
    job.status = std::move(status);
    return job;
}

PrintJob boxLabel(const QString &buyer, PrintJob::Status status)
{
    PrintJob job;
    job.labelType = LabelType::box;
    job.content = LabelContent::box(buyer, 1, QStringLiteral("Live Show"));
    job.status = std::move(status);
    return job;
}

void appendRaw(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

qsizetype lineCount(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : -1;
}

} // namespace

TEST(LabelRecordStore, ABurstOfBoxNumbersIsOnDiskInOrderOnceSettled)
{
    QTemporaryDir folder;
    const LabelRecordStore store(folder.filePath(QStringLiteral("label-record-1.jsonl")));
    int reportedDone = 0;
    // Fifty buyers, each numbered ten times over: the last number recorded is the one read back.
    for (int i = 0; i < 500; ++i)
        store.recordBoxNumber(QStringLiteral("buyer%1").arg(i % 50), i + 1, [&](const QString &error) {
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
            ++reportedDone;
        });
    runSync(store.settled());
    EXPECT_EQ(reportedDone, 500);
    EXPECT_EQ(lineCount(store.filePath()), 500);
    const LabelRecord record = store.load();
    ASSERT_EQ(record.boxNumbers.size(), 50);
    for (int buyer = 0; buyer < 50; ++buyer)
        EXPECT_EQ(record.boxNumbers.value(QStringLiteral("buyer%1").arg(buyer)), 451 + buyer);
}

TEST(LabelRecordStore, LinesStillQueuedWhenTheLastCopyGoesReachTheDisk)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("label-record-2.jsonl"));
    {
        const LabelRecordStore store(path);
        std::optional<LabelRecordStore> copy = store;
        for (int i = 0; i < 200; ++i)
            copy->recordBoxNumber(QStringLiteral("buyer%1").arg(i), i + 1);
        copy.reset();
    }
    EXPECT_EQ(LabelRecordStore(path).load().boxNumbers.size(), 200);
}

TEST(LabelRecordStore, AShowsRecordIsRemovedAfterItsLastLine)
{
    QTemporaryDir folder;
    const LabelRecordStore store(folder.filePath(QStringLiteral("label-record-3.jsonl")));
    for (int i = 0; i < 50; ++i)
        store.recordBoxNumber(QStringLiteral("buyer%1").arg(i), i + 1);
    store.remove();
    runSync(store.settled());
    EXPECT_FALSE(store.exists());
}

TEST(LabelRecordStore, ALineTheDiskRefusesSaysWhyAndTheQueueMovesOn)
{
    QTemporaryDir folder;
    // A full disk: every append fails with "No space left on device".
    const QString path = folder.filePath(QStringLiteral("label-record-4.jsonl"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), path));
    const LabelRecordStore store(path);
    QString failure;
    store.recordBoxNumber(QStringLiteral("ann"), 1, [&](const QString &error) { failure = error; });
    runSync(store.settled());
    EXPECT_TRUE(failure.contains(QStringLiteral("label-record-4.jsonl"))) << failure.toStdString();
}

TEST(LabelRecordStore, ALineCutOffOnDiskIsDroppedSoTheRecordHoldsAcrossManyRestarts)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("label-record-5.jsonl"));
    constexpr int kRuns = 6;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE(::testing::Message() << "run " << run);
        // Each run is a new start of the program over the same file.
        const LabelRecordStore store(path);
        if (run > 0) {
            const LabelRecord before = store.load();
            EXPECT_EQ(before.boxNumbers.size(), run);
            EXPECT_EQ(before.winnerLabels.size(), run);
        }
        const QString buyer = QStringLiteral("buyer%1").arg(run);
        store.recordBoxNumber(buyer, run + 1);
        store.recordSettled(winnerLabel(QStringLiteral("auction%1").arg(run), PrintJob::Status::done()));
        runSync(store.settled());
        // The run ends (power cut, full disk) partway through its next line.
        appendRaw(path, run % 2 ? QByteArray("{\"box\":\"cut") : QByteArray("{"));
    }
    const LabelRecord record = LabelRecordStore(path).load();
    EXPECT_EQ(record.boxNumbers.size(), kRuns);
    EXPECT_EQ(record.boxNumbers.value(QStringLiteral("buyer5")), 6);
    EXPECT_EQ(record.winnerLabels.size(), kRuns);
    EXPECT_TRUE(record.winnerLabels.value(QStringLiteral("auction5")).printed);
}

TEST(LabelRecordStore, ClearedLabelsReadBackAsClearedBesideTheLinesOfEarlierRuns)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("label-record-6.jsonl"));
    // As runs before labels could be cleared wrote them.
    appendRaw(path, "{\"box\":\"ann\",\"boxNumber\":1}\n"
                    "{\"printed\":true,\"winner\":\"ann-1-1\"}\n"
                    "{\"printed\":false,\"reason\":\"Printer stopped\",\"winner\":\"ann-2-2\"}\n"
                    "{\"box\":\"ann\",\"printed\":true}\n");
    const LabelRecordStore store(path);
    store.recordDropped(winnerLabel(QStringLiteral("ann-2-2"), PrintJob::Status::error(QStringLiteral("x"))));
    store.recordDropped(winnerLabel(QStringLiteral("bob-3-3"), PrintJob::Status::queued()));
    store.recordDropped(boxLabel(QStringLiteral("bob"), PrintJob::Status::queued()));
    runSync(store.settled());

    const LabelRecord record = store.load();
    EXPECT_EQ(record.boxNumbers.value(QStringLiteral("ann")), 1);
    const LabelRecord::Settled printed = record.winnerLabels.value(QStringLiteral("ann-1-1"));
    EXPECT_TRUE(printed.printed && !printed.dropped);
    EXPECT_TRUE(record.boxLabels.value(QStringLiteral("ann")).printed);
    for (const LabelRecord::Settled &cleared : {record.winnerLabels.value(QStringLiteral("ann-2-2")),
                                                record.winnerLabels.value(QStringLiteral("bob-3-3")),
                                                record.boxLabels.value(QStringLiteral("bob"))}) {
        EXPECT_FALSE(cleared.printed);
        EXPECT_TRUE(cleared.dropped);
    }
}
