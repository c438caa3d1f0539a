#include "printkit/transport/cups_queue_monitor.h"

#include "common/logging.h"

namespace printkit {

CUPSQueueMonitor::CUPSQueueMonitor(quill::ProcessRunner *runner, CUPSTools tools)
    : m_runner(runner), m_tools(std::move(tools)), m_resolver(m_runner, m_tools)
{
}

CUPSQueueState CUPSQueueMonitor::parseState(const QString &output, const QString &queue)
{
    // Only the state line's own words count: the queue name, the job ids and the
    // message lines can contain "idle", "printing" or "stopped" themselves.
    const QString prefix = QStringLiteral("printer ") + queue + QLatin1Char(' ');
    const auto lines = output.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!line.startsWith(prefix))
            continue;
        const QString state = line.mid(prefix.size()).trimmed().toLower();
        if (state.startsWith(QLatin1String("disabled")))
            return CUPSQueueState::stopped;
        if (state.startsWith(QLatin1String("now printing")) || state.startsWith(QLatin1String("is printing")))
            return CUPSQueueState::processing;
        if (state.startsWith(QLatin1String("is idle")))
            return CUPSQueueState::idle;
        for (const auto &[word, value] :
             {std::pair{"disabled", CUPSQueueState::stopped}, std::pair{"stopped", CUPSQueueState::stopped},
              std::pair{"printing", CUPSQueueState::processing},
              std::pair{"processing", CUPSQueueState::processing}, std::pair{"idle", CUPSQueueState::idle}}) {
            if (state.contains(QLatin1String(word)))
                return value;
        }
        return CUPSQueueState::unknown;
    }
    return CUPSQueueState::unknown;
}

QString CUPSQueueMonitor::parseStateMessage(const QString &output)
{
    const QStringList parts = output.split(QLatin1Char('\n'));
    if (parts.size() < 2)
        return output.trimmed();
    QString joined = parts.mid(1).join(QLatin1Char(' '));
    auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype start = 0;
    qsizetype end = joined.size();
    while (start < end && isBlank(joined.at(start)))
        ++start;
    while (end > start && isBlank(joined.at(end - 1)))
        --end;
    return joined.mid(start, end - start);
}

qint64 CUPSQueueMonitor::countPendingJobs(const QString &output)
{
    if (output.trimmed().isEmpty())
        return 0;
    qint64 count = 0;
    const auto lines = output.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        bool blank = true;
        for (QChar c : line) {
            if (c != QLatin1Char(' ') && c != QLatin1Char('\t')) {
                blank = false;
                break;
            }
        }
        if (!blank)
            ++count;
    }
    return count;
}

QCoro::Task<CUPSQueueMonitor::StateReading> CUPSQueueMonitor::readState(QString queue) const
{
    // Built before co_await: GCC 12 miscompiles string literals in the awaited expression.
    quill::ProcessRequest request{m_tools.lpstat, {QStringLiteral("-p"), queue}, m_tools.timeout};
    const quill::ProcessResult result = co_await m_runner->run(std::move(request));
    StateReading reading;
    if (result.succeeded()) {
        reading.state = parseState(result.output, queue);
        reading.message = parseStateMessage(result.output);
    } else if (result.finished()) {
        // lpstat's own complaint ("Invalid destination name ...") is the message.
        reading.message = result.describe();
        qCWarning(lcPrintKit, "lpstat -p %s failed: %s", qUtf8Printable(queue),
                  qUtf8Printable(reading.message));
    } else {
        reading.message = QStringLiteral("lpstat %1").arg(result.describe());
        qCWarning(lcPrintKit, "queue state of %s unreadable: %s", qUtf8Printable(queue),
                  qUtf8Printable(reading.message));
    }
    co_return reading;
}

QCoro::Task<CUPSQueueState> CUPSQueueMonitor::queueState(QString printerName) const
{
    if (!CUPSQueueResolver::isSafeQueueName(printerName)) {
        qCWarning(lcPrintKit, "No state read for %s: it would be read as an option",
                  qUtf8Printable(printerName));
        co_return CUPSQueueState::unknown;
    }
    QString queue = co_await m_resolver.resolveOrUnderscored(printerName);
    const StateReading reading = co_await readState(std::move(queue));
    co_return reading.state;
}

QCoro::Task<CUPSQueueStatus> CUPSQueueMonitor::queueStatus(QString printerName) const
{
    if (!CUPSQueueResolver::isSafeQueueName(printerName)) {
        qCWarning(lcPrintKit, "No state read for %s: it would be read as an option",
                  qUtf8Printable(printerName));
        co_return CUPSQueueStatus(printerName, CUPSQueueState::unknown,
                                  CUPSQueueResolver::unsafeNameMessage(printerName), 0);
    }
    const QString queue = co_await m_resolver.resolveOrUnderscored(printerName);
    QString stateOf = queue;
    const StateReading reading = co_await readState(std::move(stateOf));

    quill::ProcessRequest jobsRequest{m_tools.lpstat, {QStringLiteral("-o"), queue}, m_tools.timeout};
    const quill::ProcessResult jobs = co_await m_runner->run(std::move(jobsRequest));
    // An error from lpstat -o is not a list of jobs.
    qint64 pending = 0;
    if (jobs.succeeded())
        pending = countPendingJobs(jobs.output);
    else
        qCWarning(lcPrintKit, "pending jobs of %s unreadable: %s", qUtf8Printable(queue),
                  qUtf8Printable(jobs.describe()));

    co_return CUPSQueueStatus(queue, reading.state, reading.message, pending);
}

QCoro::Task<QueueCommandResult> CUPSQueueMonitor::runRepair(const QString &tool, QStringList arguments,
                                                            QString what) const
{
    quill::ProcessRequest request{tool, arguments, m_tools.timeout};
    const quill::ProcessResult result = co_await m_runner->run(std::move(request));
    QueueCommandResult outcome;
    outcome.message = result.output.trimmed();
    // Some CUPS tools report a refused request on their output; take it at its word.
    const bool refused = outcome.message.contains(QLatin1String("forbidden"), Qt::CaseInsensitive) ||
                         outcome.message.contains(QLatin1String("not authorized"), Qt::CaseInsensitive);
    outcome.ok = result.succeeded() && !refused;
    if (!outcome.ok) {
        if (!result.finished() || outcome.message.isEmpty())
            outcome.message = QStringLiteral("%1 %2").arg(tool, result.describe());
        qCWarning(lcPrintKit, "%s failed: %s %s: %s", qUtf8Printable(what), qUtf8Printable(tool),
                  qUtf8Printable(arguments.join(QLatin1Char(' '))), qUtf8Printable(outcome.message));
    } else {
        qCInfo(lcPrintKit, "%s: %s %s", qUtf8Printable(what), qUtf8Printable(tool),
               qUtf8Printable(arguments.join(QLatin1Char(' '))));
    }
    co_return outcome;
}

QueueCommandResult CUPSQueueMonitor::refusedName(const QString &tool, const QString &name)
{
    qCWarning(lcPrintKit, "%s not run for %s: it would be read as an option", qUtf8Printable(tool),
              qUtf8Printable(name));
    return QueueCommandResult{false, CUPSQueueResolver::unsafeNameMessage(name)};
}

QCoro::Task<QueueCommandResult> CUPSQueueMonitor::enableQueue(QString printerName) const
{
    if (!CUPSQueueResolver::isSafeQueueName(printerName))
        co_return refusedName(m_tools.cupsenable, printerName);
    const QString queue = co_await m_resolver.resolveOrUnderscored(printerName);
    QStringList arguments{queue};
    QString what = QStringLiteral("Enable queue %1").arg(queue);
    co_return co_await runRepair(m_tools.cupsenable, std::move(arguments), std::move(what));
}

QCoro::Task<QueueCommandResult> CUPSQueueMonitor::cancelAllJobs(QString printerName) const
{
    if (!CUPSQueueResolver::isSafeQueueName(printerName))
        co_return refusedName(m_tools.cancel, printerName);
    const QString queue = co_await m_resolver.resolveOrUnderscored(printerName);
    QStringList arguments{QStringLiteral("-a"), queue};
    QString what = QStringLiteral("Cancel all jobs of %1").arg(queue);
    co_return co_await runRepair(m_tools.cancel, std::move(arguments), std::move(what));
}

} // namespace printkit
