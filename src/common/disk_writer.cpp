#include "common/disk_writer.h"

#include "common/error.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <condition_variable>
#include <deque>
#include <mutex>

Q_LOGGING_CATEGORY(lcDiskWriter, "app.quillmark.Quillmark.DiskWriter")

namespace quill {

// What the writer thread and its owner share. The thread keeps it alive on its own,
// so a thread left behind by a hung disk never touches a destroyed owner.
struct DiskWriter::Shared
{
    std::mutex mutex;
    std::condition_variable wake; // a job was queued, or the owner is going
    std::condition_variable idle; // a job ran
    std::deque<std::pair<quint64, Job>> queue;
    quint64 ran = 0;
    bool stopping = false;
    DiskWriter *owner = nullptr; // null once the owner is going: nothing more is reported

    void run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || !queue.empty(); });
            if (queue.empty())
                return;
            auto [number, job] = std::move(queue.front());
            queue.pop_front();
            lock.unlock();
            QString error;
            try {
                job();
            } catch (const std::exception &e) {
                error = errorMessage(e);
            } catch (...) {
                error = QStringLiteral("an unknown error");
            }
            job = {};
            lock.lock();
            ran = number;
            if (owner) {
                // Removed unread if the owner is destroyed before its thread gets to it.
                QMetaObject::invokeMethod(
                    owner, [owner = owner, number, error] { owner->report(number, error); },
                    Qt::QueuedConnection);
            }
            idle.notify_all();
        }
    }
};

DiskWriter::DiskWriter(QObject *parent) : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
    m_thread = std::thread([shared = m_shared] { shared->run(); });
}

DiskWriter::~DiskWriter()
{
    const bool flushed = waitForWrites(kFlushBound);
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->owner = nullptr;
        m_shared->stopping = true;
    }
    m_shared->wake.notify_all();
    if (flushed) {
        m_thread.join();
    } else {
        qCCritical(lcDiskWriter, "%lld write(s) did not reach the disk within %lld s",
                   qlonglong(m_posted - m_shared->ran), qlonglong(kFlushBound.count()));
        m_thread.detach();
    }
    // Waits still open get no report now. They go on, told so, on a later turn of the
    // event loop, once whoever destroys this writer is done, so their coroutines end
    // instead of waiting for ever.
    *m_gone = true;
    if (!m_waiters.empty() && QCoreApplication::instance()) {
        std::vector<std::coroutine_handle<>> orphans;
        for (const auto &waiter : m_waiters)
            orphans.push_back(waiter.second);
        m_waiters.clear();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [orphans = std::move(orphans)] {
                for (const std::coroutine_handle<> waiting : orphans)
                    waiting.resume();
            },
            Qt::QueuedConnection);
    }
}

std::shared_ptr<DiskWriter> DiskWriter::makeShared()
{
    return std::shared_ptr<DiskWriter>(new DiskWriter, [](DiskWriter *writer) {
        if (writer->m_reporting)
            writer->deleteLater();
        else
            delete writer;
    });
}

quint64 DiskWriter::post(Job job, Done done)
{
    const quint64 number = ++m_posted;
    if (done)
        m_done.insert(number, std::move(done));
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->queue.emplace_back(number, std::move(job));
    }
    m_shared->wake.notify_one();
    return number;
}

bool DiskWriter::waitForWrites(std::chrono::milliseconds bound)
{
    std::unique_lock lock(m_shared->mutex);
    const quint64 last = m_posted;
    return m_shared->idle.wait_for(lock, bound, [&] { return m_shared->ran >= last; });
}

void DiskWriter::report(quint64 number, const QString &error)
{
    m_reported = number;
    m_reporting = true;
    if (const Done done = m_done.take(number))
        done(error);
    Q_EMIT writeReported(number, error);
    std::vector<std::coroutine_handle<>> due;
    for (auto it = m_waiters.begin(); it != m_waiters.end();) {
        if (it->first <= number) {
            due.push_back(it->second);
            it = m_waiters.erase(it);
        } else {
            ++it;
        }
    }
    for (const std::coroutine_handle<> waiting : due)
        waiting.resume();
    m_reporting = false;
}

} // namespace quill
