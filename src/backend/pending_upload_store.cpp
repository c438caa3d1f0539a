#include "backend/pending_upload_store.h"

#include "common/error.h"
#include "common/paths.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

namespace quill {

namespace {

const QString kQueued = QStringLiteral("queued");
const QString kAccepted = QStringLiteral("accepted");

QByteArray line(const QJsonObject &record)
{
    return QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

PendingUploadStore::PendingUploadStore(QString filePath)
    : m_filePath(std::move(filePath)), m_logPath(m_filePath + QStringLiteral(".log"))
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

void PendingUploadStore::appendQueued(const QList<QJsonObject> &entries)
{
    QByteArray lines;
    for (const QJsonObject &entry : entries)
        lines += line(QJsonObject{{kQueued, entry}});
    // Synced: once this returns, a captured auction survives a power cut.
    append(lines, true);
}

void PendingUploadStore::appendAccepted(const QString &showId, const QString &auctionId)
{
    // Not synced: losing it to a power cut means one repeat post, which the backend
    // recognises as the same auction.
    append(line(QJsonObject{{kAccepted, QJsonObject{{QStringLiteral("showId"), showId},
                                                    {QStringLiteral("id"), auctionId}}}}),
           false);
}

void PendingUploadStore::append(const QByteArray &lines, bool durable)
{
    if (lines.isEmpty())
        return;
    step(Step::appendLog, lines);
    // One write of whole lines: a crash can only cut off the end of the last one.
    paths::appendToFile(m_logPath, lines, durable);
}

void PendingUploadStore::writeFile(const QByteArray &contents)
{
    step(Step::writeFile, contents);
    paths::writeFileAtomically(m_filePath, contents);
    removeLog();
}

void PendingUploadStore::removeLog()
{
    if (!QFile::exists(m_logPath))
        return;
    step(Step::removeLog, {});
    QFile file(m_logPath);
    if (!file.remove())
        throw Error(QStringLiteral("%1 could not be removed: %2")
                        .arg(QDir::toNativeSeparators(m_logPath), file.errorString()));
}

} // namespace quill
