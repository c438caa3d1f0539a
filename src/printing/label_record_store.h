#pragma once

#include "common/clock.h"
#include "common/disk_writer.h"
#include "printing/print_job.h"

#include <QCoroTask>
#include <QHash>
#include <QString>
#include <chrono>
#include <memory>

namespace quill {

// What became of one show's labels: which winner labels (by auction) and box labels
// (by buyer) settled, printed or failed with a reason, and each buyer's box number.
struct LabelRecord
{
    struct Settled
    {
        bool printed = false;
        QString reason; // why it failed; empty when printed
        // Cleared from the print log before it printed (or after it failed): it is
        // neither printed again nor listed again.
        bool dropped = false;
    };
    QHash<QString, Settled> winnerLabels; // by auction id
    QHash<QString, Settled> boxLabels;    // by buyer
    QHash<QString, int> boxNumbers;       // by buyer
};

// A show's label record on disk, so that a run started after a crash prints what was
// still queued, reprints nothing and keeps every buyer's box number.
//
// The file is a log of JSON lines, each appended and synced to disk on the record's
// own writer thread, in the order they were recorded; settled() completes once every
// line recorded before is on disk, which the print queue awaits before it sends a
// label: a box number is on disk before its first label is printed, and a settled
// label before the next one goes out. A crash or a full disk can only cut off the last
// line, which never counted; the next line recorded starts where the last whole line
// ended, so the record stays readable across any number of restarts. Copies share the
// writer; the last one to go waits for what it still has.
//
// A line the disk refuses is reported failed and kept: it goes to the disk with the next
// write, ahead of the lines recorded after it (settled() tries it again too). So each
// write's report (writer().writeReported) says whether every line recorded so far is on
// disk. A record given a sleeper also tries the kept lines again by itself every
// kRetryInterval until they are written, so they need no later label to reach the disk;
// and when the last copy goes they are tried once more, before its writer is waited for.
// Lines still refused then are lost: their labels print again.
class LabelRecordStore final
{
public:
    static constexpr std::chrono::seconds kRetryInterval{5};

    // Without a `retrySleeper`, kept lines wait for the next write or the record's end.
    explicit LabelRecordStore(QString filePath, Sleeper *retrySleeper = nullptr);
    // The record of `showId` in the application's data folder. Throws quill::Error
    // when there is no data folder.
    static LabelRecordStore forShow(const QString &showId, Sleeper *retrySleeper = nullptr);

    const QString &filePath() const;
    bool exists() const;

    // Throws quill::Error when the file cannot be read or holds a line that is not a record.
    LabelRecord load() const;
    // Moves an unreadable record out of the way (kept beside it for a look later).
    void setAside() const;
    // Queued behind the lines still being written; lines recorded later are written nowhere.
    void remove() const;

    // Each queues one line; `done` is told whether it reached the disk (a refused one is kept).
    void recordBoxNumber(const QString &buyer, int number, DiskWriter::Done done = {}) const;
    void recordSettled(const PrintJob &job, DiskWriter::Done done = {}) const;
    // The label was cleared from the print log without printing (queued or failed).
    void recordDropped(const PrintJob &job, DiskWriter::Done done = {}) const;
    // Completes once every line recorded before the call was reported (on disk or failed).
    QCoro::Task<> settled() const;
    // Reports every write: an empty error once each line recorded so far is on disk.
    const DiskWriter &writer() const;

private:
    struct State;
    void append(const QByteArray &line, DiskWriter::Done done) const;

    std::shared_ptr<State> m_state;
};

} // namespace quill
