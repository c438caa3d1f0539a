#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <chrono>
#include <coroutine>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace quill {

// Runs disk writes one after the other, in the order they were posted, on a thread of
// its own, so that a write waiting for the disk (fdatasync) never holds up the thread
// that posted it. Each write's outcome is reported back on the writer's own thread,
// in order; a write counts as done only once its report has arrived there, never
// when it was posted.
//
// Destroying the writer waits for the writes still queued (at most kFlushBound), so
// what was posted before a quit reaches the disk.
class DiskWriter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DiskWriter)

public:
    // One write; throws (quill::Error) when the disk refuses it.
    using Job = std::function<void()>;
    // Its outcome: empty when the write is done, else why it failed.
    using Done = std::function<void(const QString &error)>;
    static constexpr std::chrono::seconds kFlushBound{10};

    explicit DiskWriter(QObject *parent = nullptr);
    ~DiskWriter() override;
    // A writer shared by copies of one store. The last owner may let go of it while a
    // report is under way (in a slot of writeReported() or a wait resumed by it): it is
    // then deleted once that report is over.
    static std::shared_ptr<DiskWriter> makeShared();

    // Queues `job` behind every write posted before it. `done` is called here with its
    // outcome. Returns the write's number: 1, 2, ... in posting order.
    quint64 post(Job job, Done done = {});
    // The number of the last write posted, and of the last whose outcome was reported here.
    quint64 posted() const { return m_posted; }
    quint64 reported() const { return m_reported; }
    // Awaits the report of write `number`: at once when it has arrived, else right after its
    // done was called and writeReported() emitted. The writer must outlive the wait. (A
    // signal awaited in a loop could be delivered to a wait that has already ended.)
    // Answers true once the report arrived; false when the writer was destroyed first
    // (the wait then ends on a later turn of the event loop, so its coroutine can end).
    struct ReportAwaiter
    {
        DiskWriter *writer;
        quint64 number;
        std::shared_ptr<const bool> gone;
        bool await_ready() const noexcept { return writer->m_reported >= number; }
        void await_suspend(std::coroutine_handle<> waiting) { writer->m_waiters.push_back({number, waiting}); }
        bool await_resume() const noexcept { return !*gone; }
    };
    ReportAwaiter reportOf(quint64 number) { return ReportAwaiter{this, number, m_gone}; }
    // Blocks until every write posted so far has run (not yet reported), at most `bound`.
    // False when the bound ran out first.
    bool waitForWrites(std::chrono::milliseconds bound);

Q_SIGNALS:
    // After the `done` of write `number` was called.
    void writeReported(quint64 number, const QString &error);

private:
    struct Shared;
    void report(quint64 number, const QString &error);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    quint64 m_posted = 0;
    quint64 m_reported = 0;
    bool m_reporting = false;
    QHash<quint64, Done> m_done;
    std::vector<std::pair<quint64, std::coroutine_handle<>>> m_waiters;
    std::shared_ptr<bool> m_gone = std::make_shared<bool>(false);
};

} // namespace quill
