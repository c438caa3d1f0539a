#pragma once

// Stand-ins for the page and the pauses in unit tests of the capture readers.

#include "capture/page_script_host.h"
#include "common/clock.h"
#include "log_capture.h"

#include <QDateTime>
#include <QJsonValue>
#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <chrono>
#include <coroutine>
#include <functional>
#include <optional>
#include <utility>

namespace quill::testing {

// A clock that moves only when told to, and pauses that return at once after moving
// it. (Own copies: tests/support/fake_sleeper.h does not build with Qt 6.4.)
class StepClock final : public Clock
{
public:
    QDateTime now() const override { return m_now; }
    void advance(std::chrono::milliseconds by) { m_now = m_now.addMSecs(by.count()); }

private:
    QDateTime m_now = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC);
};

class InstantSleeper final : public Sleeper
{
public:
    explicit InstantSleeper(StepClock *clock = nullptr) : m_clock(clock) {}

    QCoro::Task<> sleep(std::chrono::milliseconds duration) override
    {
        m_sleeps.append(duration);
        if (m_clock)
            m_clock->advance(duration);
        co_return;
    }

    const QList<std::chrono::milliseconds> &sleeps() const { return m_sleeps; }

private:
    StepClock *m_clock;
    QList<std::chrono::milliseconds> m_sleeps;
};

// Answers each call at once through `respond` (which may throw PageScriptError).
class ScriptedHost final : public PageScriptHost
{
public:
    std::function<QJsonValue(const QString &body)> respond = [](const QString &) { return QJsonValue(); };

    QCoro::Task<QJsonValue> run(QString body) override
    {
        m_calls.append(body);
        co_return respond(body);
    }

    const QStringList &calls() const { return m_calls; }
    qsizetype callCount(const QString &body) const { return m_calls.count(body); }

private:
    QStringList m_calls;
};

// Keeps every call pending until the test answers or fails it, oldest first.
class PendingHost final : public PageScriptHost
{
    struct Pending
    {
        QString body;
        std::coroutine_handle<> handle;
        std::optional<QJsonValue> answer;
        std::optional<PageScriptError> error;
    };

    struct Awaiter
    {
        PendingHost *host;
        qsizetype index;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle) { host->m_pending[index].handle = handle; }
        void await_resume() const noexcept {}
    };

public:
    QCoro::Task<QJsonValue> run(QString body) override
    {
        const qsizetype index = m_pending.size();
        m_pending.append(Pending{std::move(body), {}, std::nullopt, std::nullopt});
        ++m_started;
        co_await Awaiter{this, index};
        Pending done = m_pending.takeAt(0);
        if (done.error)
            throw *done.error;
        co_return done.answer.value_or(QJsonValue());
    }

    qsizetype pendingCount() const { return m_pending.size(); }
    int startedCount() const { return m_started; }
    const QString &oldestBody() const { return m_pending.first().body; }

    void answerOldest(QJsonValue answer)
    {
        m_pending.first().answer = std::move(answer);
        m_pending.first().handle.resume();
    }
    void failOldest(QString message = QStringLiteral("Renderer gone"))
    {
        m_pending.first().error = PageScriptError(PageScriptError::Kind::rendererCrashed, std::move(message));
        m_pending.first().handle.resume();
    }

private:
    QList<Pending> m_pending;
    int m_started = 0;
};

// Pauses that last until the test releases them.
class HeldSleeper final : public Sleeper
{
    struct Awaiter
    {
        HeldSleeper *sleeper;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle) { sleeper->m_held.append(handle); }
        void await_resume() const noexcept {}
    };

public:
    QCoro::Task<> sleep(std::chrono::milliseconds duration) override
    {
        m_sleeps.append(duration);
        co_await Awaiter{this};
    }

    qsizetype heldCount() const { return m_held.size(); }
    const QList<std::chrono::milliseconds> &sleeps() const { return m_sleeps; }

    void releaseAll()
    {
        const auto held = std::exchange(m_held, {});
        for (const auto handle : held)
            handle.resume();
    }

private:
    QList<std::coroutine_handle<>> m_held;
    QList<std::chrono::milliseconds> m_sleeps;
};

} // namespace quill::testing
