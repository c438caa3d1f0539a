#pragma once

#include "printing/print_job.h"

#include <QHash>
#include <QString>

namespace quill {

// What became of one show's labels: which winner labels (by auction) and box labels
// (by buyer) settled, printed or failed with a reason, and each buyer's box number.
struct LabelRecord
{
    struct Settled
    {
        bool printed = false;
        QString reason; // why it failed; empty when printed
    };
    QHash<QString, Settled> winnerLabels; // by auction id
    QHash<QString, Settled> boxLabels;    // by buyer
    QHash<QString, int> boxNumbers;       // by buyer
};

// A show's label record on disk, so that a run started after a crash prints what was
// still queued, reprints nothing and keeps every buyer's box number.
//
// The file is a log of JSON lines, appended and synced to disk before the call returns:
// a box number is on disk before its first label is printed, and a settled label
// before the queue moves on. A crash can only cut off the last line, which never counted.
class LabelRecordStore final
{
public:
    explicit LabelRecordStore(QString filePath);
    // The record of `showId` in the application's data folder. Throws quill::Error
    // when there is no data folder.
    static LabelRecordStore forShow(const QString &showId);

    const QString &filePath() const { return m_filePath; }
    bool exists() const;

    // Throws quill::Error when the file cannot be read or holds a line that is not a record.
    LabelRecord load() const;
    // Moves an unreadable record out of the way (kept beside it for a look later).
    void setAside() const;
    void remove() const;

    // Each throws quill::Error when the line could not be put on disk.
    void recordBoxNumber(const QString &buyer, int number) const;
    void recordSettled(const PrintJob &job) const;

private:
    QString m_filePath;
};

} // namespace quill
