#pragma once

#include "common/error.h"
#include "common/process_runner.h"
#include "common/serial_queue.h"
#include "printkit/domain/print_job_request.h"
#include "printkit/transport/cups_queue_resolver.h"
#include "printkit/transport/cups_tools.h"

#include <QByteArray>
#include <QCoroTask>
#include <memory>
#include <optional>

namespace printkit {

class LabelRenderer;

class CUPSPrintTransportError : public quill::Error
{
public:
    enum class Kind
    {
        queueNotFound,
        submissionFailed,
        unsafeQueueName
    };

    static CUPSPrintTransportError queueNotFound(const QString &printerName, const QString &ppdDirectory);
    // A queue name that a CUPS tool would read as one of its options.
    static CUPSPrintTransportError unsafeQueueName(const QString &name);
    // `output` is what lp said, trimmed; an empty one gets a generic explanation.
    static CUPSPrintTransportError submissionFailed(const QString &output);

    Kind kind() const { return m_kind; }
    const QString &payload() const { return m_payload; }

private:
    CUPSPrintTransportError(Kind kind, QString payload, QString message)
        : Error(std::move(message)), m_kind(kind), m_payload(std::move(payload))
    {
    }
    Kind m_kind;
    QString m_payload;
};

// Hands finished labels to a CUPS queue with `lp`: one temporary file per job,
// the label's custom page size and the caller's options. Submissions run one at
// a time in the order they were made, off the GUI thread's critical path (the
// tool runs as a child process that the event loop waits for), and end with the
// time-out of CUPSTools at the latest. Success means CUPS accepted the job.
class CUPSPrintTransport final
{
    Q_DISABLE_COPY_MOVE(CUPSPrintTransport)

public:
    explicit CUPSPrintTransport(const LabelRenderer *renderer,
                                quill::ProcessRunner *runner = &quill::QProcessRunner::instance(),
                                CUPSTools tools = {});
    ~CUPSPrintTransport();

    // Renders the request's content as PDF and submits it.
    QCoro::Task<> print(PrintJobRequest request);
    QCoro::Task<> printPDF(QByteArray pdf, QString printerName, LabelCanvas canvas, qint64 copies,
                           std::optional<CUPSPrintConfiguration> configuration = std::nullopt);
    QCoro::Task<> printImage(QByteArray png, QString printerName, LabelCanvas canvas, qint64 copies,
                             std::optional<CUPSPrintConfiguration> configuration = std::nullopt);

    // Where the copy of the last PNG job goes; default the user's desktop folder when it
    // exists. An empty text switches the copy off.
    void setDebugCopyFolder(QString folder) { m_debugCopyFolder = std::move(folder); }
    void setTemporaryFolder(QString folder) { m_temporaryFolder = std::move(folder); }

    const CUPSTools &tools() const { return m_tools; }

    // Resolved queue names are kept in `cache` (shared with a queue monitor); a failed
    // submission forgets its printer's name, so the next one looks it up again.
    void setQueueNameCache(std::shared_ptr<CUPSQueueNameCache> cache)
    {
        m_resolver.setCache(std::move(cache));
    }

    // The lp argument vector, exposed for tests of its order.
    static QStringList lpArguments(const QString &queue, qint64 copies, const LabelCanvas &canvas,
                                   const std::optional<CUPSPrintConfiguration> &configuration,
                                   const QString &filePath);
    // The command as logged: arguments with a space are shown in double quotes.
    static QString commandLine(const QString &program, const QStringList &arguments);

private:
    enum class FileKind
    {
        pdf,
        png
    };
    QCoro::Task<> submitFile(QByteArray bytes, FileKind kind, QString printerName, LabelCanvas canvas,
                             qint64 copies, std::optional<CUPSPrintConfiguration> configuration);
    QCoro::Task<> runLp(QStringList arguments);
    void writeDebugCopy(const QByteArray &png) const;

    const LabelRenderer *m_renderer;
    quill::ProcessRunner *m_runner;
    CUPSTools m_tools;
    CUPSQueueResolver m_resolver;
    std::unique_ptr<quill::SerialQueue> m_order;
    std::optional<QString> m_debugCopyFolder;
    QString m_temporaryFolder;
};


} // namespace printkit
