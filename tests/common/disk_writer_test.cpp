// The writer that takes durable appends off the GUI thread: writes land in the order
// they were posted, none is reported before it ran, a failed one says why, and what is
// still queued when the writer goes reaches the disk first.
#include "common/disk_writer.h"

#include "common/paths.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <future>
#include <memory>

using quill::DiskWriter;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Turns the event loop until the writer has reported write `number`, at most 15 s.
bool reportedUpTo(const DiskWriter &writer, quint64 number)
{
    const QDeadlineTimer deadline(15000);
    while (writer.reported() < number) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// Holds the writer thread inside a job until released.
struct Hold
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    void post(DiskWriter &writer)
    {
        writer.post([released = released] { released.wait(); });
    }
};

QByteArray numberedLines(int from, int to)
{
    QByteArray lines;
    for (int i = from; i < to; ++i)
        lines += QByteArray::number(i) + '\n';
    return lines;
}

} // namespace

TEST(DiskWriter, ManyQuickAppendsLandAndAreReportedInTheOrderTheyWerePosted)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.jsonl"));
    DiskWriter writer;
    QList<quint64> reports;
    quint64 last = 0;
    for (int i = 0; i < 400; ++i) {
        last = writer.post([path, i] { quill::paths::appendToFile(path, QByteArray::number(i) + '\n', true); },
                           [&reports, &writer](const QString &error) {
                               EXPECT_TRUE(error.isEmpty()) << error.toStdString();
                               reports.append(writer.reported());
                           });
    }
    EXPECT_EQ(last, 400u);
    ASSERT_TRUE(reportedUpTo(writer, last));
    EXPECT_EQ(readAll(path), numberedLines(0, 400));
    ASSERT_EQ(reports.size(), 400);
    for (qsizetype i = 0; i < reports.size(); ++i)
        EXPECT_EQ(reports.at(i), quint64(i + 1));
}

TEST(DiskWriter, NothingIsReportedBeforeItsWriteRanAndHeldWritesWaitTheirTurn)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.jsonl"));
    DiskWriter writer;
    Hold hold;
    hold.post(writer);
    bool done = false;
    const quint64 number = writer.post([path] { quill::paths::appendToFile(path, "held\n", true); },
                                       [&done](const QString &) { done = true; });
    // However often the loop turns, the held append is neither reported nor on disk.
    for (int turn = 0; turn < 20; ++turn)
        QCoreApplication::processEvents();
    EXPECT_FALSE(done);
    EXPECT_LT(writer.reported(), number);
    EXPECT_FALSE(QFile::exists(path));

    hold.release.set_value();
    ASSERT_TRUE(reportedUpTo(writer, number));
    EXPECT_TRUE(done);
    EXPECT_EQ(readAll(path), QByteArray("held\n"));
}

TEST(DiskWriter, AWriteThatFailsIsReportedWithItsReasonAndTheNextOnesStillRun)
{
    QTemporaryDir folder;
    const QString good = folder.filePath(QStringLiteral("log.jsonl"));
    // A full disk: every write to it fails with "No space left on device".
    const QString full = folder.filePath(QStringLiteral("full.jsonl"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
    DiskWriter writer;
    QStringList outcomes;
    auto note = [&outcomes](const QString &error) { outcomes.append(error); };
    writer.post([good] { quill::paths::appendToFile(good, "1\n", true); }, note);
    writer.post([full] { quill::paths::appendToFile(full, "2\n", true); }, note);
    const quint64 last = writer.post([good] { quill::paths::appendToFile(good, "3\n", true); }, note);
    ASSERT_TRUE(reportedUpTo(writer, last));
    ASSERT_EQ(outcomes.size(), 3);
    EXPECT_TRUE(outcomes.at(0).isEmpty());
    EXPECT_TRUE(outcomes.at(1).contains(QStringLiteral("full.jsonl"))) << outcomes.at(1).toStdString();
    EXPECT_TRUE(outcomes.at(2).isEmpty());
    EXPECT_EQ(readAll(good), QByteArray("1\n3\n"));
}

TEST(DiskWriter, WritesStillQueuedWhenTheWriterGoesReachTheDiskButAreNeverReported)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.jsonl"));
    bool reported = false;
    {
        DiskWriter writer;
        Hold hold;
        hold.post(writer);
        for (int i = 0; i < 300; ++i)
            writer.post([path, i] { quill::paths::appendToFile(path, QByteArray::number(i) + '\n', true); },
                        [&reported](const QString &) { reported = true; });
        hold.release.set_value();
    }
    EXPECT_EQ(readAll(path), numberedLines(0, 300));
    QCoreApplication::processEvents();
    EXPECT_FALSE(reported);
}
