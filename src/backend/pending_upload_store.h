#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

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
class PendingUploadStore final
{
public:
    enum class Step
    {
        appendLog,
        writeFile,
        removeLog
    };
    // Called before each change on disk with what is about to be written; a seam for
    // tests, which throw from it to stop the writer between two steps.
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

    bool hasLog() const;
    // The complete lines of the log. A last line without its line feed was cut off
    // by a crash mid-append and never counted: it is left out.
    LogReading readLog() const;

    // Each throws Error when the disk refuses; what was on disk before stays readable.
    void appendQueued(const QList<QJsonObject> &entries);
    void appendAccepted(const QString &showId, const QString &auctionId);
    // The pending file, written atomically, then the log removed.
    void writeFile(const QByteArray &contents);

private:
    void append(const QByteArray &lines, bool durable);
    void removeLog();
    void step(Step step, const QByteArray &bytes) const;

    QString m_filePath;
    QString m_logPath;
    WriteHook m_hook;
};

} // namespace quill
