#include "backend/pending_upload_store.h"

#include "common/error.h"
#include "common/paths.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <exception>

namespace quill {

namespace {

const QString kQueued = QStringLiteral("queued");
const QString kAccepted = QStringLiteral("accepted");

QByteArray line(const QJsonObject &record)
{
    return QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
}

// Whether the file at `path` ends in the middle of a line.
bool endsMidLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0 || !file.seek(file.size() - 1))
        return false;
    char last = '\n';
    return file.getChar(&last) && last != '\n';
}

} // namespace

PendingUploadStore::PendingUploadStore(QString filePath)
    : m_filePath(std::move(filePath)), m_logPath(m_filePath + QStringLiteral(".log")),
      m_logExpected(QFile::exists(m_logPath))
{
}

void PendingUploadStore::step(Step step, const QByteArray &bytes) const
{
    if (m_hook)
        m_hook(step, bytes);
}

bool PendingUploadStore::hasLog() const
{
    return QFile::exists(m_logPath);
}

PendingUploadStore::LogReading PendingUploadStore::readLog() const
{
    LogReading reading;
    QFile file(m_logPath);
    if (!file.exists())
        return reading;
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("%1 could not be read: %2")
                        .arg(QDir::toNativeSeparators(m_logPath), file.errorString()));
    const QByteArray contents = file.readAll();
    QList<QByteArray> lines = contents.split('\n');
    lines.removeLast(); // empty after the last line feed, or a line cut off mid-append
    for (const QByteArray &text : std::as_const(lines)) {
        if (text.trimmed().isEmpty())
            continue;
        const QJsonObject record = QJsonDocument::fromJson(text).object();
        const QJsonValue queued = record.value(kQueued);
        const QJsonValue accepted = record.value(kAccepted);
        if (record.size() == 1 && queued.isObject()) {
            reading.records.append(LogRecord{LogRecord::Kind::queued, queued.toObject()});
        } else if (record.size() == 1 && accepted.isObject() &&
                   accepted.toObject().value(QStringLiteral("showId")).isString() &&
                   accepted.toObject().value(QStringLiteral("id")).isString()) {
            reading.records.append(LogRecord{LogRecord::Kind::accepted, accepted.toObject()});
        } else {
            reading.unreadableLines.append(QString::fromUtf8(text));
        }
    }
    return reading;
}

quint64 PendingUploadStore::appendQueued(const QList<QJsonObject> &entries, DiskWriter::Done done)
{
    QByteArray lines;
    for (const QJsonObject &entry : entries)
        lines += line(QJsonObject{{kQueued, entry}});
    // Synced: once reported done, a captured auction survives a power cut.
    return append(lines, true, std::move(done));
}

quint64 PendingUploadStore::appendAccepted(const QString &showId, const QString &auctionId,
                                           DiskWriter::Done done)
{
    // Not synced: losing it to a power cut means one repeat post, which the backend
    // recognises as the same auction.
    return append(line(QJsonObject{{kAccepted, QJsonObject{{QStringLiteral("showId"), showId},
                                                           {QStringLiteral("id"), auctionId}}}}),
                  false, std::move(done));
}

quint64 PendingUploadStore::append(const QByteArray &lines, bool durable, DiskWriter::Done done)
{
    step(Step::appendLog, lines);
    m_logExpected = true;
    // One write of whole lines: a crash can only cut off the end of the last one. A log
    // an earlier run left with such a line (when it could not be folded in at start) gets
    // this run's records on a line of their own.
    return m_writer.post(
        [path = m_logPath, lines, durable, checked = m_logEndChecked] {
            const bool cutOff = !*checked && endsMidLine(path);
            paths::appendToFile(path, cutOff ? QByteArray('\n' + lines) : lines, durable);
            *checked = true;
        },
        std::move(done));
}

quint64 PendingUploadStore::writeFile(const QByteArray &contents, DiskWriter::Done done)
{
    step(Step::writeFile, contents);
    // A writer stopped at the log's removal has still queued the file.
    bool removeLog = m_logExpected;
    std::exception_ptr stopped;
    if (removeLog) {
        try {
            step(Step::removeLog, {});
        } catch (...) {
            stopped = std::current_exception();
            removeLog = false;
        }
    }
    const quint64 number = m_writer.post(
        [path = m_filePath, log = m_logPath, contents, removeLog] {
            paths::writeFileAtomically(path, contents);
            if (!removeLog || !QFile::exists(log))
                return;
            QFile file(log);
            if (!file.remove())
                throw Error(QStringLiteral("%1 could not be removed: %2")
                                .arg(QDir::toNativeSeparators(log), file.errorString()));
        },
        [this, done = std::move(done)](const QString &error) {
            if (!error.isEmpty())
                m_logExpected = true; // still there: the next whole write removes it
            if (done)
                done(error);
        });
    if (stopped)
        std::rethrow_exception(stopped);
    m_logExpected = false;
    return number;
}

} // namespace quill
