#include "fake_process_runner.h"

namespace quill::testing {

void FakeProcessRunner::expect(const QString &program, ProcessResult result)
{
    m_script.append({program, std::move(result)});
}

QCoro::Task<ProcessResult> FakeProcessRunner::run(ProcessRequest request)
{
    m_requests.append(request);
    for (qsizetype i = 0; i < m_script.size(); ++i) {
        if (m_script.at(i).first == request.program) {
            ProcessResult result = m_script.takeAt(i).second;
            co_return result;
        }
    }
    if (m_responder)
        co_return m_responder(request);
    co_return failedToStart(QStringLiteral("no recorded answer for %1").arg(request.program));
}

QList<QStringList> FakeProcessRunner::argumentsFor(const QString &program) const
{
    QList<QStringList> out;
    for (const ProcessRequest &r : m_requests)
        if (r.program == program)
            out.append(r.arguments);
    return out;
}

ProcessResult FakeProcessRunner::finished(QString output, int exitCode)
{
    ProcessResult r;
    r.outcome = ProcessResult::Outcome::Finished;
    r.exitCode = exitCode;
    r.output = std::move(output);
    return r;
}

ProcessResult FakeProcessRunner::failedToStart(QString error)
{
    ProcessResult r;
    r.outcome = ProcessResult::Outcome::FailedToStart;
    r.errorString = std::move(error);
    return r;
}

ProcessResult FakeProcessRunner::timedOut()
{
    ProcessResult r;
    r.outcome = ProcessResult::Outcome::TimedOut;
    r.errorString = QStringLiteral("timed out");
    return r;
}

} // namespace quill::testing
