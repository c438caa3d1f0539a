#pragma once

// Stand-ins for the page and the pauses in unit tests of the capture readers.

#include "capture/page_script_host.h"
#include "fake_sleeper.h"
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

} // namespace quill::testing
