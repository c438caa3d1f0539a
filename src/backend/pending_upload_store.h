#pragma once

#include "common/disk_writer.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace quill {

// The files that keep the auctions waiting for the backend: the pending file, written
// whole, and beside it an append-only log of what changed since (auctions queued,
// auctions the backend accepted), one JSON object per line. An accepted upload thus
// costs one short append instead of a rewrite of every pending auction; the owner
// writes the pending file again and drops the log when the backlog has drained or
// when it reads a log at start-up.
//
// Replaying the log onto the pending file is idempotent (an auction is queued or
// not, and the last record about it decides), so a crash between writing the
// pending file and removing the log reads back the same auctions.
//
// Changes go to the disk on the store's own writer thread, in the order they were
// made; each reports back on the owner's thread once it is on disk (or failed). What
// is still queued when the store is destroyed is written first.
class PendingUploadStore final
{
    Q_DISABLE_COPY_MOVE(PendingUploadStore)

public:
    enum class Step
    {
        appendLog,
        writeFile,
        removeLog
    };
    // Called when each change on disk is queued, with what is to be written; a seam for
    // tests, which throw from it to stop the writer between two steps (what was queued
    // before still reaches the disk, as it would have before a crash).
    using WriteHook = std::function<void(Step step, const QByteArray &bytes)>;

    struct LogRecord
    {
        enum class Kind
        {
            queued,
            accepted
        };
        Kind kind = Kind::queued;
        // queued: the whole pending entry; accepted: its "showId" and "id".
        QJsonObject entry;
    };
    struct LogReading
    {
        QList<LogRecord> records;
        // Whole lines that are not records, kept so they can be set aside.
        QStringList unreadableLines;
    };

    // `filePath`: the pending file; the log is the same path with ".log" appended.
    explicit PendingUploadStore(QString filePath);

    const QString &filePath() const { return m_filePath; }
    const QString &logPath() const { return m_logPath; }
    void setWriteHook(WriteHook hook) { m_hook = std::move(hook); }
    DiskWriter &writer() { return m_writer; }

    bool hasLog() const;
    // The complete lines of the log. A last line without its line feed was cut off
    // by a crash mid-append and never counted: it is left out.
    LogReading readLog() const;

    // Each queues its change and returns the writer's number for it; `done` is told
    // whether it reached the disk. A failed change leaves what was on disk before readable.
    // A queued auction is synced: once reported done, it survives a power cut.
    quint64 appendQueued(const QList<QJsonObject> &entries, DiskWriter::Done done = {});
    quint64 appendAccepted(const QString &showId, const QString &auctionId, DiskWriter::Done done = {});
    // The pending file, written atomically, then the log removed (kept when the file
    // could not be written).
    quint64 writeFile(const QByteArray &contents, DiskWriter::Done done = {});

private:
    quint64 append(const QByteArray &lines, bool durable, DiskWriter::Done done);
    void step(Step step, const QByteArray &bytes) const;

    QString m_filePath;
    QString m_logPath;
    WriteHook m_hook;
    bool m_logExpected = false; // the log is on disk once what is queued has run
    // Whether the log's end was looked at for a line cut off by an earlier run; read and
    // written by the writer's jobs only.
    std::shared_ptr<bool> m_logEndChecked = std::make_shared<bool>(false);
    DiskWriter m_writer;
};

} // namespace quill
