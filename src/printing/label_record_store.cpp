#include "printing/label_record_store.h"

#include "common/error.h"
#include "common/paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace quill {

namespace {

const QString kWinner = QStringLiteral("winner");
const QString kBox = QStringLiteral("box");
const QString kBoxNumber = QStringLiteral("boxNumber");
const QString kPrinted = QStringLiteral("printed");
const QString kReason = QStringLiteral("reason");

QByteArray line(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
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
        const LabelRecord::Settled outcome{entry.value(kPrinted).toBool(), entry.value(kReason).toString()};
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
    m_writer->post([path = m_filePath] { QFile::remove(path); });
}

void LabelRecordStore::recordBoxNumber(const QString &buyer, int number, DiskWriter::Done done) const
{
    append(line(QJsonObject{{kBox, buyer}, {kBoxNumber, number}}), std::move(done));
}

void LabelRecordStore::recordSettled(const PrintJob &job, DiskWriter::Done done) const
{
    QJsonObject entry;
    if (job.labelType == LabelType::individual && job.auctionId)
        entry.insert(kWinner, *job.auctionId);
    else if (const auto *box = job.content.as<LabelContent::Box>())
        entry.insert(kBox, box->buyer);
    else
        return;
    entry.insert(kPrinted, job.status.kind == PrintJob::Status::Kind::done);
    if (job.status.isError())
        entry.insert(kReason, job.status.message);
    append(line(entry), std::move(done));
}

void LabelRecordStore::append(const QByteArray &bytes, DiskWriter::Done done) const
{
    m_writer->post([path = m_filePath, bytes] { paths::appendToFile(path, bytes, true); }, std::move(done));
}

QCoro::Task<> LabelRecordStore::settled() const
{
    return waitForReports(m_writer, m_writer->posted());
}

} // namespace quill
