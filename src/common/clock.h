#pragma once

#include <QCoroTask>
#include <QDateTime>

#include <chrono>

namespace quill {

// Every periodic wait of the program (poll intervals, back-off, debounce, refresh)
// goes through these two seams so tests can run them instantly and deterministically.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class Sleeper
{
public:
    virtual ~Sleeper() = default;
    virtual QCoro::Task<> sleep(std::chrono::milliseconds duration) = 0;
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override;
    static SystemClock &instance();
};

// Sleeps on the event loop (never blocks the thread).
class TimerSleeper final : public Sleeper
{
public:
    QCoro::Task<> sleep(std::chrono::milliseconds duration) override;
    static TimerSleeper &instance();
};

} // namespace quill
