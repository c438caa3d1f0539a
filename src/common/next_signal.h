#pragma once

// Awaiting the next emission of a signal without arguments.
//
// QCoro's signal awaiter is resumed through a queued call that points at the awaiter
// itself. When the signal is emitted twice before the first call is delivered, the
// second call runs after the coroutine went on and its awaiter is gone, and the program
// crashes (a page event pushed twice in a row did exactly that). Here the queued calls
// share a small block with the awaiter instead: the first one resumes the coroutine,
// any later one finds nobody waiting and does nothing.
//
// The coroutine is resumed on a later turn of the event loop, never inside the emit. An
// object destroyed while a coroutine waits on it resumes nothing.

#include <QMetaObject>
#include <QObject>

#include <coroutine>
#include <memory>
#include <utility>

namespace quill {

template <typename Object, typename Signal>
class NextSignal
{
public:
    NextSignal(Object *object, Signal signal) : m_object(object), m_signal(signal) {}
    NextSignal(NextSignal &&) noexcept = default; // moved only before it waits
    NextSignal &operator=(NextSignal &&) = delete;
    ~NextSignal()
    {
        // A coroutine destroyed while it waits is not resumed by a later emission.
        if (m_state) {
            m_state->waiter = {};
            QObject::disconnect(m_state->connection);
        }
    }

    bool await_ready() const noexcept { return m_object == nullptr; }
    void await_suspend(std::coroutine_handle<> waiter)
    {
        m_state = std::make_shared<State>();
        m_state->waiter = waiter;
        m_state->connection = QObject::connect(
            m_object, m_signal, m_object,
            [state = m_state] {
                QObject::disconnect(state->connection);
                if (const std::coroutine_handle<> next = std::exchange(state->waiter, {}))
                    next.resume();
            },
            Qt::QueuedConnection);
    }
    void await_resume() const noexcept {}

private:
    struct State
    {
        std::coroutine_handle<> waiter;
        QMetaObject::Connection connection;
    };

    Object *m_object;
    Signal m_signal;
    std::shared_ptr<State> m_state;
};

// `co_await nextSignal(object, &Object::changed);`
template <typename Object, typename Signal>
NextSignal<Object, Signal> nextSignal(Object *object, Signal signal)
{
    return NextSignal<Object, Signal>(object, signal);
}

} // namespace quill
