#pragma once

#include <QCoroTask>
#include <QString>
#include <QStringList>

#include <chrono>

namespace quill {

struct ProcessRequest
{
    QString program;
    QStringList arguments;
    std::chrono::milliseconds timeout{std::chrono::seconds(30)};
};

struct ProcessResult
{
    enum class Outcome { Finished, FailedToStart, TimedOut, Crashed };

    Outcome outcome = Outcome::FailedToStart;
    int exitCode = -1;
    // Standard output and standard error, as one stream in the order written,
    // decoded as UTF-8 with invalid sequences replaced.
    QString output;
    // Why it did not finish normally (empty for Finished).
    QString errorString;

    bool finished() const { return outcome == Outcome::Finished; }
    bool succeeded() const { return outcome == Outcome::Finished && exitCode == 0; }
    // One line for logs and error messages: the output, else what went wrong.
    QString describe() const;
};

// Runs command-line tools without blocking the calling thread's event loop.
class ProcessRunner
{
public:
    virtual ~ProcessRunner() = default;
    virtual QCoro::Task<ProcessResult> run(ProcessRequest request) = 0;
};

// The real runner: QProcess with LC_ALL=C/LANG=C so tool output is not localised,
// stdout and stderr merged into one pipe that Qt drains as data arrives, and a kill
// once the time-out has passed.
class QProcessRunner final : public ProcessRunner
{
public:
    QCoro::Task<ProcessResult> run(ProcessRequest request) override;
    static QProcessRunner &instance();
};

} // namespace quill
