#pragma once

#include <QCoroSignal>
#include <QCoroTask>
#include <QObject>

namespace quill::testing {

// Holds whoever waits on it until it is opened; lets a test hold an operation
// mid-way and look at what overlaps it.
class Gate final : public QObject
{
    Q_OBJECT

public:
    QCoro::Task<> wait()
    {
        if (m_open)
            co_return;
        ++m_waiting;
        co_await qCoro(this, &Gate::opened);
        --m_waiting;
    }
    void open()
    {
        if (m_open)
            return;
        m_open = true;
        Q_EMIT opened();
    }
    bool isOpen() const { return m_open; }
    int waiting() const { return m_waiting; }

Q_SIGNALS:
    void opened();

private:
    bool m_open = false;
    int m_waiting = 0;
};

} // namespace quill::testing
