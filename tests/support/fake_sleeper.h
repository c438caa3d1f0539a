#pragma once

// The test side of the Clock/Sleeper seam: a clock that moves only when told to,
// pauses that end at once, and pauses that last until the test ends them.

#include "common/clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <chrono>
#include <coroutine>
#include <exception>
#include <utility>

namespace quill::testing {

class FakeClock final : public Clock
{
public:
    FakeClock() = default;
    explicit FakeClock(QDateTime start) : m_now(std::move(start)) {}

    QDateTime now() const override { return m_now; }
    void advance(std::chrono::milliseconds by) { m_now = m_now.addMSecs(by.count()); }

private:
    QDateTime m_now = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC);
};

// Every pause returns at once, after moving `clock` (if any) on by its duration.
class FakeSleeper final : public Sleeper
{
public:
    explicit FakeSleeper(FakeClock *clock = nullptr) : m_clock(clock) {}

    QCoro::Task<> sleep(std::chrono::milliseconds duration) override
    {
        m_sleeps.append(duration);
        if (m_failure)
            std::rethrow_exception(std::exchange(m_failure, nullptr));
        if (m_clock)
            m_clock->advance(duration);
        co_return;
    }

    const QList<std::chrono::milliseconds> &sleeps() const { return m_sleeps; }
    // The next pause throws `error` instead, as a failure deep inside it would.
    void failNext(std::exception_ptr error) { m_failure = std::move(error); }

private:
    FakeClock *m_clock;
    QList<std::chrono::milliseconds> m_sleeps;
    std::exception_ptr m_failure;
};

// Every pause lasts until the test ends it: all at once, the oldest, or those whose
// deadline a virtual clock passes. A test that leaves pauses held must end them (after
// stopping what loops) before the awaiting objects go, or their coroutines never finish.
class HeldSleeper final : public Sleeper
{
    struct Held
    {
        quint64 id;
        std::chrono::milliseconds deadline;
        std::coroutine_handle<> handle;
    };

    // Lives in the sleeping coroutine's frame: a frame destroyed while held leaves the list.
    class Awaiter
    {
    public:
        Awaiter(HeldSleeper &sleeper, std::chrono::milliseconds deadline)
            : m_sleeper(sleeper), m_deadline(deadline)
        {
        }
        ~Awaiter() { m_sleeper.forget(m_id); }

        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle)
        {
            m_id = ++m_sleeper.m_lastId;
            m_sleeper.m_held.append(Held{m_id, m_deadline, handle});
        }
        void await_resume() const noexcept {}

    private:
        HeldSleeper &m_sleeper;
        std::chrono::milliseconds m_deadline;
        quint64 m_id = 0;
    };

public:
    QCoro::Task<> sleep(std::chrono::milliseconds duration) override
    {
        m_sleeps.append(duration);
        co_await Awaiter(*this, m_now + duration);
    }

    // Every duration asked for, held or ended.
    const QList<std::chrono::milliseconds> &sleeps() const { return m_sleeps; }
    qsizetype heldCount() const { return m_held.size(); }

    // Ends every pause held now (not those the woken coroutines start).
    void releaseAll()
    {
        const auto held = std::exchange(m_held, {});
        for (const Held &pause : held)
            pause.handle.resume();
    }

    // Ends the oldest held pause; false when none is held.
    bool releaseOldest()
    {
        if (m_held.isEmpty())
            return false;
        m_held.takeFirst().handle.resume();
        return true;
    }

    // Moves the virtual clock on and ends, in deadline order, each pause that falls due,
    // letting the events each one causes run before the next.
    void advance(std::chrono::milliseconds by)
    {
        m_now += by;
        for (;;) {
            qsizetype next = -1;
            for (qsizetype i = 0; i < m_held.size(); ++i) {
                if (m_held[i].deadline <= m_now && (next < 0 || m_held[i].deadline < m_held[next].deadline))
                    next = i;
            }
            if (next < 0)
                break;
            m_held.takeAt(next).handle.resume();
            for (int i = 0; i < 20; ++i)
                QCoreApplication::processEvents();
        }
    }
    std::chrono::milliseconds now() const { return m_now; }

private:
    void forget(quint64 id)
    {
        m_held.removeIf([id](const Held &pause) { return pause.id == id; });
    }

    QList<Held> m_held;
    QList<std::chrono::milliseconds> m_sleeps;
    std::chrono::milliseconds m_now{0};
    quint64 m_lastId = 0;
};

} // namespace quill::testing
