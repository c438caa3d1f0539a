#include "common/process_runner.h"

#include "common/logging.h"

#include <QCoroProcess>
#include <QProcess>
#include <QProcessEnvironment>

namespace quill {

QString ProcessResult::describe() const
{
    const QString trimmed = output.trimmed();
    switch (outcome) {
    case Outcome::Finished:
        if (!trimmed.isEmpty())
            return trimmed;
        return QStringLiteral("exit status %1").arg(exitCode);
    case Outcome::FailedToStart:
        return QStringLiteral("could not be started: %1").arg(errorString);
    case Outcome::TimedOut:
        return trimmed.isEmpty() ? QStringLiteral("timed out: %1").arg(errorString)
                                 : QStringLiteral("timed out: %1 (output: %2)").arg(errorString, trimmed);
    case Outcome::Crashed:
        return trimmed.isEmpty() ? QStringLiteral("crashed: %1").arg(errorString)
                                 : QStringLiteral("crashed: %1 (output: %2)").arg(errorString, trimmed);
    }
    return trimmed;
}

QCoro::Task<ProcessResult> QProcessRunner::run(ProcessRequest request)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProgram(request.program);
    process.setArguments(request.arguments);

    ProcessResult result;
    auto coro = qCoro(process);
    const bool started = co_await coro.start(QIODevice::ReadOnly, request.timeout);
    if (!started) {
        result.outcome = ProcessResult::Outcome::FailedToStart;
        result.errorString = process.errorString();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            co_await coro.waitForFinished(std::chrono::seconds(5));
        }
        qCWarning(lcProcess, "%s could not be started: %s", qUtf8Printable(request.program),
                  qUtf8Printable(result.errorString));
        co_return result;
    }

    const bool finished = co_await coro.waitForFinished(request.timeout);
    if (!finished) {
        result.outcome = ProcessResult::Outcome::TimedOut;
        result.errorString = QStringLiteral("%1 did not finish within %2 ms")
                                 .arg(request.program)
                                 .arg(request.timeout.count());
        process.kill();
        co_await coro.waitForFinished(std::chrono::seconds(5));
        result.output = QString::fromUtf8(process.readAll());
        qCWarning(lcProcess, "%s", qUtf8Printable(result.errorString));
        co_return result;
    }

    result.output = QString::fromUtf8(process.readAll());
    result.exitCode = process.exitCode();
    if (process.exitStatus() == QProcess::CrashExit) {
        result.outcome = ProcessResult::Outcome::Crashed;
        result.errorString = process.errorString();
    } else {
        result.outcome = ProcessResult::Outcome::Finished;
    }
    co_return result;
}

QProcessRunner &QProcessRunner::instance()
{
    static QProcessRunner runner;
    return runner;
}

} // namespace quill
