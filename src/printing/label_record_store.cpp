#include "printing/label_record_store.h"

#include "common/error.h"
#include "common/paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <optional>

namespace quill {

namespace {

const QString kWinner = QStringLiteral("winner");
const QString kBox = QStringLiteral("box");
const QString kBoxNumber = QStringLiteral("boxNumber");
const QString kPrinted = QStringLiteral("printed");
const QString kReason = QStringLiteral("reason");
const QString kDropped = QStringLiteral("dropped");

QByteArray line(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// The label a job prints, as a record line names it; none for other labels.
std::optional<QJsonObject> labelEntry(const PrintJob &job)
{
    if (job.labelType == LabelType::individual && job.auctionId)
        return QJsonObject{{kWinner, *job.auctionId}};
    if (const auto *box = job.content.as<LabelContent::Box>())
        return QJsonObject{{kBox, box->buyer}};
    return std::nullopt;
}

// Cuts the file back to its last line feed, dropping a line that a crash or a full disk
// cut off, so that the next line does not run on from it. A file that is not there is
// left so.
void dropCutOffLine(const QString &path)
{
    QFile file(path);
    auto failure = [&] {
        return Error(QStringLiteral("%1 could not be written: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString()));
    };
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        if (!file.exists())
            return;
        throw failure();
    }
    if (file.isSequential())
        return; // not a file of lines (a device)
    const qint64 size = file.size();
    qint64 keep = 0;
    constexpr qint64 kChunk = 4096;
    for (qint64 end = size; end > 0;) {
        const qint64 start = std::max<qint64>(0, end - kChunk);
        if (!file.seek(start))
            throw failure();
        const QByteArray chunk = file.read(end - start);
        if (chunk.size() != end - start)
            throw failure();
        const qsizetype feed = chunk.lastIndexOf('\n');
        if (feed >= 0) {
            keep = start + feed + 1;
            break;
        }
        end = start;
    }
    if (keep != size && !file.resize(keep))
        throw failure();
}

// Keeps the writer, so the wait ends even if every store lets go of it meanwhile.
QCoro::Task<> waitForReports(std::shared_ptr<DiskWriter> writer, quint64 last)
{
    co_await writer->reportOf(last);
}

} // namespace

LabelRecordStore::LabelRecordStore(QString filePath)
    : m_filePath(std::move(filePath)), m_writer(DiskWriter::makeShared())
{
}

LabelRecordStore LabelRecordStore::forShow(const QString &showId)
{
    // The id comes from the backend: only its digest names the file.
    const QByteArray digest = QCryptographicHash::hash(showId.toUtf8(), QCryptographicHash::Sha256).toHex();
    return LabelRecordStore(paths::dataFile(QStringLiteral("label-record-%1.jsonl").arg(QString::fromLatin1(digest.left(32)))));
}

bool LabelRecordStore::exists() const
{
    return QFile::exists(m_filePath);
}

LabelRecord LabelRecordStore::load() const
{
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("%1 could not be read: %2")
                        .arg(QDir::toNativeSeparators(m_filePath), file.errorString()));
    const QByteArray bytes = file.readAll();
    LabelRecord record;
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // after the last line feed: empty, or a line a crash cut off
    for (const QByteArray &text : std::as_const(lines)) {
        const QJsonObject entry = QJsonDocument::fromJson(text).object();
        const bool settled = entry.value(kPrinted).isBool();
        const LabelRecord::Settled outcome{entry.value(kPrinted).toBool(), entry.value(kReason).toString(),
                                           entry.value(kDropped).toBool()};
        if (entry.value(kWinner).isString() && settled) {
            record.winnerLabels.insert(entry.value(kWinner).toString(), outcome);
        } else if (entry.value(kBox).isString() && settled) {
            record.boxLabels.insert(entry.value(kBox).toString(), outcome);
        } else if (entry.value(kBox).isString() && entry.value(kBoxNumber).toInt() > 0) {
            record.boxNumbers.insert(entry.value(kBox).toString(), entry.value(kBoxNumber).toInt());
        } else {
            throw Error(QStringLiteral("%1 holds a line that is not a label record")
                            .arg(QDir::toNativeSeparators(m_filePath)));
        }
    }
    return record;
}

void LabelRecordStore::setAside() const
{
    if (exists())
        QFile::rename(m_filePath, paths::setAsidePath(m_filePath));
}

void LabelRecordStore::remove() const
{
    m_writer->post([path = m_filePath, tail = m_tail] {
        tail->refused.clear(); // the show is over: nothing of it is resumed
        QFile::remove(path);
    });
}

void LabelRecordStore::recordBoxNumber(const QString &buyer, int number, DiskWriter::Done done) const
{
    append(line(QJsonObject{{kBox, buyer}, {kBoxNumber, number}}), std::move(done));
}

void LabelRecordStore::recordSettled(const PrintJob &job, DiskWriter::Done done) const
{
    std::optional<QJsonObject> entry = labelEntry(job);
    if (!entry)
        return;
    entry->insert(kPrinted, job.status.kind == PrintJob::Status::Kind::done);
    if (job.status.isError())
        entry->insert(kReason, job.status.message);
    append(line(*entry), std::move(done));
}

void LabelRecordStore::recordDropped(const PrintJob &job, DiskWriter::Done done) const
{
    std::optional<QJsonObject> entry = labelEntry(job);
    if (!entry)
        return;
    // "printed" as a failed label has it, so the line reads as a settled label either way.
    entry->insert(kPrinted, false);
    entry->insert(kDropped, true);
    append(line(*entry), std::move(done));
}

void LabelRecordStore::append(const QByteArray &bytes, DiskWriter::Done done) const
{
    m_writer->post([path = m_filePath, bytes, tail = m_tail] { writeLines(path, bytes, *tail); }, std::move(done));
}

void LabelRecordStore::writeLines(const QString &path, const QByteArray &bytes, Tail &tail)
{
    // Lines the disk refused before go first, in one write with this one: nothing recorded
    // later reaches the disk ahead of them.
    const QByteArray lines = tail.refused + bytes;
    if (lines.isEmpty())
        return;
    try {
        if (tail.mayBeCutOff) {
            dropCutOffLine(path);
            tail.mayBeCutOff = false;
        }
        paths::appendToFile(path, lines, true);
    } catch (...) {
        tail.mayBeCutOff = true; // part of the lines may have reached the disk
        tail.refused = lines;
        throw;
    }
    tail.refused.clear();
}

QCoro::Task<> LabelRecordStore::settled() const
{
    // Lines the disk refused are tried again first, so that once it has room they are on
    // disk before the label that waits for them goes out.
    return waitForReports(m_writer, m_writer->post([path = m_filePath, tail = m_tail] {
        writeLines(path, {}, *tail);
    }));
}

} // namespace quill
