#pragma once

// Stand-ins for the unit tests of automatic printing: CUPS tools that answer like a
// small scheduler (queues that are idle or stopped, lp that accepts or refuses) and
// can hold the queue checks, so a test can act while a walk waits on one.

#include "common/process_runner.h"
#include "eventually.h"
#include "gate.h"

#include <QCoreApplication>
#include <QCoroSignal>
#include <QFile>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>

namespace quill::testing {

// One lp submission as the scheduler got it.
struct Submission
{
    QString queue;
    QString pageSize; // the PageSize option, e.g. "Custom.144x72"
    QByteArray file;
};

// lpstat, cupsenable, cancel and lp of a small scheduler, at fake paths.
class FakeCups final : public ProcessRunner
{
public:
    static inline const QString lp = QStringLiteral("/fake/lp");
    static inline const QString lpstat = QStringLiteral("/fake/lpstat");
    static inline const QString cancel = QStringLiteral("/fake/cancel");
    static inline const QString cupsenable = QStringLiteral("/fake/cupsenable");

    explicit FakeCups(QStringList queues) : m_queues(std::move(queues)) {}

    // A stopped queue; with `stuck` cupsenable does not bring it back.
    void stop(const QString &queue, bool stuck = false)
    {
        m_stopped.insert(queue);
        if (stuck)
            m_stuck.insert(queue);
    }
    bool isStopped(const QString &queue) const { return m_stopped.contains(queue); }
    // lp refuses every job for the queue with this output.
    void refuse(const QString &queue, QString output) { m_refusals.insert(queue, std::move(output)); }
    void accept(const QString &queue) { m_refusals.remove(queue); }

    // While held, every `lpstat -p` waits until releaseChecks().
    void holdChecks() { m_checks.holding = true; }
    void releaseChecks() { m_checks.release(); }
    int heldChecks() const { return m_checks.heldCount(); }
    // While held, every lp waits until releaseSubmissions().
    void holdSubmissions() { m_lps.holding = true; }
    void releaseSubmissions() { m_lps.release(); }
    int heldSubmissions() const { return m_lps.heldCount(); }

    const QList<Submission> &submissions() const { return m_submissions; }
    int enableCalls(const QString &queue) const { return m_enableCalls.value(queue); }
    int cancelCalls() const { return m_cancelCalls; }
    int stateChecks(const QString &queue) const { return m_stateChecks.value(queue); }
    // Every tool run so far, as "lpstat -p Winner", "lp -d Winner", "cupsenable Winner" ...
    const QStringList &calls() const { return m_calls; }
    int callCount(const QString &call) const { return int(m_calls.count(call)); }

    QCoro::Task<ProcessResult> run(ProcessRequest request) override
    {
        const QStringList &args = request.arguments;
        const QString tool = request.program.section(QLatin1Char('/'), -1);
        m_calls.append(tool == QLatin1String("lp")
                           ? QStringLiteral("lp -d ") + args.value(1)
                           : QStringList(QStringList{tool} + args).join(QLatin1Char(' ')));
        if (request.program == lpstat && args.size() == 2 && args.at(0) == QLatin1String("-p")) {
            co_await m_checks.pass();
            const QString queue = args.at(1);
            m_stateChecks[queue] += 1;
            if (m_stopped.contains(queue))
                co_return finished(
                    QStringLiteral("printer %1 disabled since Mon Dec  7 07:47:29 2026 -\n\tPaused\n")
                        .arg(queue));
            co_return finished(
                QStringLiteral("printer %1 is idle.  enabled since Mon Dec  7 07:46:34 2026\n").arg(queue));
        }
        if (request.program == lp)
            co_await m_lps.pass();
        co_return answer(request);
    }

private:
    static ProcessResult finished(QString output, int exitCode = 0)
    {
        ProcessResult result;
        result.outcome = ProcessResult::Outcome::Finished;
        result.exitCode = exitCode;
        result.output = std::move(output);
        return result;
    }

    ProcessResult answer(const ProcessRequest &request)
    {
        const QStringList &args = request.arguments;
        if (request.program == lpstat) {
            if (args == QStringList{QStringLiteral("-e")})
                return finished(m_queues.join(QLatin1Char('\n')) + QLatin1Char('\n'));
            if (args == QStringList{QStringLiteral("-d")})
                return finished(QStringLiteral("system default destination: ") + m_queues.value(0));
            if (args.size() == 2 && args.at(0) == QLatin1String("-o"))
                return finished(QString());
        }
        if (request.program == cupsenable) {
            const QString queue = args.value(0);
            m_enableCalls[queue] += 1;
            if (!m_stuck.contains(queue))
                m_stopped.remove(queue);
            return finished(QString());
        }
        if (request.program == cancel) {
            ++m_cancelCalls;
            return finished(QString());
        }
        if (request.program == lp) {
            const QString queue = args.value(1);
            if (m_refusals.contains(queue))
                return finished(m_refusals.value(queue), 1);
            Submission submission;
            submission.queue = queue;
            for (qsizetype i = 0; i + 1 < args.size(); ++i) {
                if (args.at(i) == QLatin1String("-o") &&
                    args.at(i + 1).startsWith(QLatin1String("PageSize=")))
                    submission.pageSize = args.at(i + 1).mid(9);
            }
            QFile file(args.constLast());
            if (file.open(QIODevice::ReadOnly))
                submission.file = file.readAll();
            m_submissions.append(submission);
            return finished(
                QStringLiteral("request id is %1-%2 (1 file(s))").arg(queue).arg(m_submissions.size()));
        }
        ProcessResult notFound;
        notFound.outcome = ProcessResult::Outcome::FailedToStart;
        notFound.errorString = QStringLiteral("No such file or directory");
        return notFound;
    }

    QStringList m_queues;
    QSet<QString> m_stopped;
    QSet<QString> m_stuck;
    QHash<QString, QString> m_refusals;
    // Calls of one kind that wait, while `holding`, until released.
    struct Hold
    {
        bool holding = false;
        std::deque<std::unique_ptr<Gate>> gates;

        QCoro::Task<> pass()
        {
            if (!holding)
                co_return;
            gates.push_back(std::make_unique<Gate>());
            Gate *gate = gates.back().get();
            co_await gate->wait();
        }
        void release()
        {
            holding = false;
            for (auto &gate : gates)
                gate->open();
        }
        int heldCount() const
        {
            int n = 0;
            for (const auto &gate : gates)
                n += gate->isOpen() ? 0 : 1;
            return n;
        }
    };
    Hold m_checks;
    Hold m_lps;
    QList<Submission> m_submissions;
    QHash<QString, int> m_enableCalls;
    QHash<QString, int> m_stateChecks;
    int m_cancelCalls = 0;
    QStringList m_calls;
};

} // namespace quill::testing
