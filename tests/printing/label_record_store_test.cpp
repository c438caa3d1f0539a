// A show's label record written off the GUI thread: lines recorded in a burst land in
// order and settled() ends only once they are on disk; lines still queued when the
// record is let go of reach the disk; the end of a show's record comes after its
// last line; a line the disk refuses says why and does not hold the queue up.
#include "printing/label_record_store.h"

#include "run_sync.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace quill;
using quill::testing::runSync;

namespace {

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
