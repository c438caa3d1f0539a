#include "common/clock.h"

#include <QCoroTimer>

namespace quill {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

SystemClock &SystemClock::instance()
{
    static SystemClock clock;
    return clock;
}

QCoro::Task<> TimerSleeper::sleep(std::chrono::milliseconds duration)
{
    co_await QCoro::sleepFor(duration);
}

TimerSleeper &TimerSleeper::instance()
{
    static TimerSleeper sleeper;
    return sleeper;
}

} // namespace quill
