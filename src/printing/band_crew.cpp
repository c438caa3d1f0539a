#include "printing/band_crew.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quill {

struct BandCrew::Shared
{
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> work;
    bool stopping = false;
    std::vector<std::thread> threads;

    void loop()
    {
        while (true) {
            std::function<void()> next;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [&] { return stopping || !work.empty(); });
                if (work.empty())
                    return; // stopping
                next = std::move(work.front());
                work.pop_front();
            }
            next();
        }
    }
};

BandCrew::BandCrew(int threads) : m_shared(std::make_unique<Shared>())
{
    for (int i = 0; i < threads; ++i)
        m_shared->threads.emplace_back([shared = m_shared.get()] { shared->loop(); });
}

BandCrew::~BandCrew()
{
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
    }
    m_shared->wake.notify_all();
    for (std::thread &thread : m_shared->threads)
        thread.join();
}

int BandCrew::defaultThreads()
{
    return std::clamp(QThread::idealThreadCount() - 1, 0, 3);
}

int BandCrew::bands() const
{
    return int(m_shared->threads.size()) + 1;
}

namespace {

// One run's bands. The caller and the crew's threads take the next band until none is
// left; a thread that comes late finds none and touches nothing of the caller's.
struct Job
{
    const std::function<void(int)> *band = nullptr;
    int count = 0;
    std::atomic<int> next{0};
    std::mutex mutex;
    std::condition_variable allDone;
    int finished = 0;
    std::vector<std::exception_ptr> failures;

    void work()
    {
        for (int index = next++; index < count; index = next++) {
            std::exception_ptr failure;
            try {
                (*band)(index);
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard lock(mutex);
            failures[size_t(index)] = std::move(failure);
            if (++finished == count)
                allDone.notify_one();
        }
    }
};

} // namespace

void BandCrew::run(int count, const std::function<void(int)> &band)
{
    if (count <= 0)
        return;
    auto job = std::make_shared<Job>();
    job->band = &band;
    job->count = count;
    job->failures.resize(size_t(count));
    const int helpers = std::min(int(m_shared->threads.size()), count - 1);
    if (helpers > 0) {
        std::lock_guard lock(m_shared->mutex);
        for (int i = 0; i < helpers; ++i)
            m_shared->work.emplace_back([job] { job->work(); });
        m_shared->wake.notify_all();
    }
    job->work();
    std::unique_lock lock(job->mutex);
    job->allDone.wait(lock, [&] { return job->finished == count; });
    for (const std::exception_ptr &failure : job->failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace quill
