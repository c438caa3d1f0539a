#pragma once

#include "common/process_runner.h"
#include "printkit/domain/cups_queue_status.h"
#include "printkit/transport/cups_queue_resolver.h"
#include "printkit/transport/cups_tools.h"

#include <QCoroTask>

namespace printkit {

// Outcome of a queue repair command (cupsenable, cancel -a).
struct QueueCommandResult
{
    bool ok = false;
    QString message; // the tool's output, or why it could not run
};

// Reads and repairs a printer's CUPS queue with lpstat, cupsenable and cancel.
// Reading never throws: a tool that cannot run reads as an unknown state whose
// message says why. Repairs report failure to the caller instead of hiding it.
class CUPSQueueMonitor final
{
public:
    explicit CUPSQueueMonitor(quill::ProcessRunner *runner = &quill::QProcessRunner::instance(),
                              CUPSTools tools = {});

    // The state line and the waiting jobs: two lpstat runs.
    QCoro::Task<CUPSQueueStatus> queueStatus(QString printerName) const;
    // The state alone, for a check before each label: one lpstat run (none more
    // once the name is in the cache).
    QCoro::Task<CUPSQueueState> queueState(QString printerName) const;
    QCoro::Task<QueueCommandResult> enableQueue(QString printerName) const;
    QCoro::Task<QueueCommandResult> cancelAllJobs(QString printerName) const;

    // Resolved queue names are kept in `cache`, shared with the print transport.
    void setQueueNameCache(std::shared_ptr<CUPSQueueNameCache> cache)
    {
        m_resolver.setCache(std::move(cache));
    }

    // Readers of `lpstat -p <queue>` and `lpstat -o <queue>` output (LC_ALL=C).
    static CUPSQueueState parseState(const QString &output, const QString &queue);
    static QString parseStateMessage(const QString &output);
    static qint64 countPendingJobs(const QString &output);

private:
    struct StateReading
    {
        CUPSQueueState state = CUPSQueueState::unknown;
        QString message;
    };
    static QueueCommandResult refusedName(const QString &tool, const QString &name);
    QCoro::Task<StateReading> readState(QString queue) const;
    QCoro::Task<QueueCommandResult> runRepair(const QString &tool, QStringList arguments, QString what) const;

    quill::ProcessRunner *m_runner;
    CUPSTools m_tools;
    CUPSQueueResolver m_resolver;
};

} // namespace printkit
