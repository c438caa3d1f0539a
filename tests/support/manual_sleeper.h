#pragma once

#include "common/clock.h"

#include <QCoroSignal>
#include <QList>
#include <QObject>

namespace quill::testing {

// Sleeps until the test lets them end, so a time-out fires exactly when asked and
// a repeating loop waits for ever.
class ManualSleeper final : public QObject, public Sleeper
{
    Q_OBJECT

public:
    QCoro::Task<> sleep(std::chrono::milliseconds duration) override
    {
        m_requested.append(duration);
        co_await qCoro(this, &ManualSleeper::released);
    }
    void releaseAll() { Q_EMIT released(); }
    const QList<std::chrono::milliseconds> &requested() const { return m_requested; }

Q_SIGNALS:
    void released();

private:
    QList<std::chrono::milliseconds> m_requested;
};

} // namespace quill::testing
