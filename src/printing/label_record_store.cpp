#include "printing/label_record_store.h"

#include "common/detached_task.h"
#include "common/error.h"
#include "common/logging.h"
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

// The end of the file as the writer's thread sees it; read and written only there.
struct Tail
{
    // Whether the file may end in a line cut off before its line feed: at first (a
    // crash or a full disk in an earlier run) and after an append that failed.
    bool mayBeCutOff = true;
    QByteArray refused;   // lines the disk refused, in order, not on disk yet
    bool removed = false; // the show is over: nothing more is written for it
};

// Appends the refused lines, then `bytes`; throws when the disk refuses, keeping them all.
void writeLines(const QString &path, const QByteArray &bytes, Tail &tail)
{
    if (tail.removed)
        return;
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

} // namespace

// What the copies of one store share.
struct LabelRecordStore::State
{
    State(QString path, Sleeper *sleeper) : filePath(std::move(path)), retrySleeper(sleeper) {}
    ~State();
    Q_DISABLE_COPY_MOVE(State)

    // A write of the kept lines alone (none when every line is on disk).
    quint64 postRetry() const
    {
        return writer->post([path = filePath, tail = tail] { writeLines(path, {}, *tail); });
    }
    void reported(const std::weak_ptr<State> &self, const QString &error);
    // Ends once the kept lines are on disk or the record is let go of.
    static QCoro::Task<> retryKeptLines(std::weak_ptr<State> weak, Sleeper &sleeper);

    const QString filePath;
    Sleeper *const retrySleeper;
    const std::shared_ptr<DiskWriter> writer = DiskWriter::makeShared();
    // Jobs hold the tail, not the state: they may run after the last copy went.
    const std::shared_ptr<Tail> tail = std::make_shared<Tail>();
    // On the GUI thread, from the reports: the last write was refused, so lines are kept.
    bool linesKept = false;
    bool retrying = false;
};

LabelRecordStore::State::~State()
{
    // The record's end (the show let go of, the program quitting): kept lines get one
    // more try, which the writer's last owner waits for before it goes.
    writer->post([path = filePath, tail = tail] {
        const qsizetype kept = tail->refused.count('\n');
        try {
            writeLines(path, {}, *tail);
        } catch (const std::exception &error) {
            qCCritical(lcAutoPrint,
                       "%lld label record line(s) never reached the disk; their labels may print again "
                       "when the show is resumed: %s",
                       qlonglong(kept), qUtf8Printable(errorMessage(error)));
            throw;
        }
    });
}

void LabelRecordStore::State::reported(const std::weak_ptr<State> &self, const QString &error)
{
    linesKept = !error.isEmpty();
    if (!linesKept || !retrySleeper || retrying)
        return;
    retrying = true;
    startDetached(retryKeptLines(self, *retrySleeper), lcAutoPrint(), "Writing the kept label record lines");
}

QCoro::Task<> LabelRecordStore::State::retryKeptLines(std::weak_ptr<State> weak, Sleeper &sleeper)
{
    const auto finished = [](State *state) {
        if (state && state->linesKept)
            return false;
        if (state)
            state->retrying = false;
        return true;
    };
    for (;;) {
        co_await sleeper.sleep(kRetryInterval);
        std::shared_ptr<DiskWriter> writer;
        quint64 retry = 0;
        {
            const std::shared_ptr<State> state = weak.lock();
            if (finished(state.get())) // a later line took them along, or the record went
                co_return;
            writer = state->writer;
            retry = state->postRetry();
        }
        // Holds the writer only: a record let go of meanwhile is not kept alive by its retry.
        if (!co_await writer->reportOf(retry))
            co_return;
        writer.reset();
        if (finished(weak.lock().get()))
            co_return;
    }
}

LabelRecordStore::LabelRecordStore(QString filePath, Sleeper *retrySleeper)
    : m_state(std::make_shared<State>(std::move(filePath), retrySleeper))
{
    QObject::connect(m_state->writer.get(), &DiskWriter::writeReported, m_state->writer.get(),
                     [weak = std::weak_ptr<State>(m_state)](quint64, const QString &error) {
                         if (const std::shared_ptr<State> state = weak.lock())
                             state->reported(weak, error);
                     });
}

const QString &LabelRecordStore::filePath() const
{
    return m_state->filePath;
}

const DiskWriter &LabelRecordStore::writer() const
{
    return *m_state->writer;
}

LabelRecordStore LabelRecordStore::forShow(const QString &showId, Sleeper *retrySleeper)
{
    // The id comes from the backend: only its digest names the file.
    const QByteArray digest = QCryptographicHash::hash(showId.toUtf8(), QCryptographicHash::Sha256).toHex();
    return LabelRecordStore(
        paths::dataFile(QStringLiteral("label-record-%1.jsonl").arg(QString::fromLatin1(digest.left(32)))),
        retrySleeper);
}

bool LabelRecordStore::exists() const
{
    return QFile::exists(m_state->filePath);
}

LabelRecord LabelRecordStore::load() const
{
    QFile file(m_state->filePath);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("%1 could not be read: %2")
                        .arg(QDir::toNativeSeparators(m_state->filePath), file.errorString()));
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
                            .arg(QDir::toNativeSeparators(m_state->filePath)));
        }
    }
    return record;
}

void LabelRecordStore::setAside() const
{
    if (exists())
        QFile::rename(m_state->filePath, paths::setAsidePath(m_state->filePath));
}

void LabelRecordStore::remove() const
{
    m_state->writer->post([path = m_state->filePath, tail = m_state->tail] {
        // The show is over: nothing of it is resumed, and no later line makes the file again.
        tail->refused.clear();
        tail->removed = true;
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
    m_state->writer->post(
        [path = m_state->filePath, bytes, tail = m_state->tail] { writeLines(path, bytes, *tail); },
        std::move(done));
}

QCoro::Task<> LabelRecordStore::settled() const
{
    // Lines the disk refused are tried again first, so that once it has room they are on
    // disk before the label that waits for them goes out.
    return waitForReports(m_state->writer, m_state->postRetry());
}

} // namespace quill
