#pragma once

#include "common/process_runner.h"

#include <QList>

#include <functional>

namespace quill::testing {

// Answers tool invocations from a script of recorded outputs and keeps every
// request it was given, so tests can check argv and call order.
class FakeProcessRunner final : public ProcessRunner
{
public:
    using Responder = std::function<ProcessResult(const ProcessRequest &)>;

    // The next answer for `program` (matched on the full path); answers are used in order.
    void expect(const QString &program, ProcessResult result);
    // Fallback for anything without a queued answer.
    void setResponder(Responder responder) { m_responder = std::move(responder); }

    QCoro::Task<ProcessResult> run(ProcessRequest request) override;

    const QList<ProcessRequest> &requests() const { return m_requests; }
    QList<QStringList> argumentsFor(const QString &program) const;

    static ProcessResult finished(QString output, int exitCode = 0);
    static ProcessResult failedToStart(QString error = QStringLiteral("No such file or directory"));
    static ProcessResult timedOut();

private:
    QList<QPair<QString, ProcessResult>> m_script;
    QList<ProcessRequest> m_requests;
    Responder m_responder;
};

} // namespace quill::testing
