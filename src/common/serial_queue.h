#pragma once

#include "common/next_signal.h"

#include <QCoroTask>
#include <QObject>

#include <cstdint>

namespace quill {

// Lets asynchronous operations take turns in the order they asked, e.g. print
// submissions that must reach the spooler in the order the labels were queued.
//
//     auto turn = co_await queue.acquire();
//     ... // exclusive until `turn` goes out of scope
class SerialQueue final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SerialQueue)

public:
    class Turn
    {
    public:
        Turn() = default;
        explicit Turn(SerialQueue *queue) : m_queue(queue) {}
        Turn(Turn &&other) noexcept : m_queue(std::exchange(other.m_queue, nullptr)) {}
        Turn &operator=(Turn &&other) noexcept
        {
            if (this != &other) {
                release();
                m_queue = std::exchange(other.m_queue, nullptr);
            }
            return *this;
        }
        Turn(const Turn &) = delete;
        Turn &operator=(const Turn &) = delete;
        ~Turn() { release(); }

    private:
        void release()
        {
            if (m_queue)
                m_queue->advance();
            m_queue = nullptr;
        }
        SerialQueue *m_queue = nullptr;
    };

    explicit SerialQueue(QObject *parent = nullptr) : QObject(parent) {}

    QCoro::Task<Turn> acquire()
    {
        const std::uint64_t ticket = m_nextTicket++;
        while (ticket != m_serving)
            co_await nextSignal(this, &SerialQueue::advanced);
        co_return Turn(this);
    }

    bool isBusy() const { return m_serving != m_nextTicket; }

Q_SIGNALS:
    void advanced();

private:
    void advance()
    {
        ++m_serving;
        Q_EMIT advanced();
    }

    std::uint64_t m_nextTicket = 0;
    std::uint64_t m_serving = 0;
};

} // namespace quill
