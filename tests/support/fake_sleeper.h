#pragma once

#include "common/clock.h"

#include <QList>

namespace quill::testing {

// A clock that only moves when told to, and a sleeper that returns at once after
// moving that clock forward by the requested duration.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC))
        : m_now(std::move(start))
    {
    }
    QDateTime now() const override { return m_now; }
    void advance(std::chrono::milliseconds by) { m_now = m_now.addMSecs(by.count()); }

private:
    QDateTime m_now;
};

class FakeSleeper final : public Sleeper
{
public:
    explicit FakeSleeper(FakeClock *clock = nullptr) : m_clock(clock) {}

    QCoro::Task<> sleep(std::chrono::milliseconds duration) override
    {
        m_sleeps.append(duration);
        if (m_clock)
            m_clock->advance(duration);
        co_return;
    }

    const QList<std::chrono::milliseconds> &sleeps() const { return m_sleeps; }

private:
    FakeClock *m_clock;
    QList<std::chrono::milliseconds> m_sleeps;
};

// Sleeps that end at once, with nothing to record.
using InstantSleeper = FakeSleeper;

} // namespace quill::testing
