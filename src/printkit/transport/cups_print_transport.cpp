#include "printkit/transport/cups_print_transport.h"

#include "common/logging.h"
#include "common/standard_output.h"
#include "printkit/rendering/label_renderer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace printkit {

namespace {

QString shortestDecimal(double value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = ec == std::errc() ? QString::fromLatin1(buffer, end - buffer) : QString::number(value);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
        !text.contains(QLatin1Char('n')))
        text += QStringLiteral(".0");
    return text;
}

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Print files hold buyer names: readable by the owner only from the moment they exist.
// Nothing is synced to disk: lp copies the file into the spool before it answers, and
// the file is removed right after.
void writeNewOwnerOnly(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly))
        throw quill::Error(
            QStringLiteral("Could not create the print file %1: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw quill::Error(
            QStringLiteral("Could not write the print file %1: %2").arg(path, file.errorString()));
    file.close();
}

// A file of a fixed name replaced whole: written beside it and renamed over it, so a
// reader never sees half of it.
void replaceOwnerOnly(const QString &path, const QByteArray &bytes)
{
    const QString part =
        path + QStringLiteral(".part-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    try {
        writeNewOwnerOnly(part, bytes);
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        QFile::remove(part);
        throw quill::Error(QStringLiteral("Could not replace %1: %2")
                               .arg(path, QString::fromLocal8Bit(std::strerror(error))));
    }
}

// One line of the transport's account of a job on standard output, where the seller's
// support reads it. It goes out whole and in order on the output's own thread: a reader
// that does not read, or went away, never holds up the job or the program.
void printLine(const QString &line)
{
    quill::StandardOutput::writeLine(
        (QStringLiteral("[CUPSPrintTransport] ") + line + QLatin1Char('\n')).toUtf8());
}

} // namespace

CUPSPrintTransportError CUPSPrintTransportError::queueNotFound(const QString &printerName,
                                                               const QString &ppdDirectory)
{
    return CUPSPrintTransportError(Kind::queueNotFound, printerName,
                                   QStringLiteral("The CUPS queue for '%1' could not be resolved from %2.")
                                       .arg(printerName, ppdDirectory));
}

CUPSPrintTransportError CUPSPrintTransportError::unsafeQueueName(const QString &name)
{
    return CUPSPrintTransportError(Kind::unsafeQueueName, name, CUPSQueueResolver::unsafeNameMessage(name));
}

CUPSPrintTransportError CUPSPrintTransportError::submissionFailed(const QString &output)
{
    return CUPSPrintTransportError(
        Kind::submissionFailed, output,
        output.isEmpty() ? QStringLiteral("The print job failed before CUPS accepted it.") : output);
}

CUPSPrintTransport::CUPSPrintTransport(const LabelRenderer *renderer, quill::ProcessRunner *runner,
                                       CUPSTools tools)
    : m_renderer(renderer), m_runner(runner), m_tools(std::move(tools)), m_resolver(m_runner, m_tools),
      m_order(std::make_unique<quill::SerialQueue>()), m_temporaryFolder(QDir::tempPath())
{
}

CUPSPrintTransport::~CUPSPrintTransport() = default;

QStringList CUPSPrintTransport::lpArguments(const QString &queue, qint64 copies, const LabelCanvas &canvas,
                                            const std::optional<CUPSPrintConfiguration> &configuration,
                                            const QString &filePath)
{
    QStringList args{QStringLiteral("-d"), queue, QStringLiteral("-n"), QString::number(copies)};
    const bool pageSize = !configuration || configuration->usesCanvasPageSize;
    if (pageSize) {
        const QString size = canvas.cupsPageSizeName();
        args << QStringLiteral("-o") << QStringLiteral("PageSize=") + size << QStringLiteral("-o")
             << QStringLiteral("PageRegion=") + size;
    }
    if (configuration) {
        for (const CUPSOption &option : configuration->options)
            args << QStringLiteral("-o") << option.id();
    }
    args << filePath;
    return args;
}

QString CUPSPrintTransport::commandLine(const QString &program, const QStringList &arguments)
{
    QStringList shown{program};
    for (const QString &arg : arguments)
        shown << (arg.contains(QLatin1Char(' ')) ? QLatin1Char('"') + arg + QLatin1Char('"') : arg);
    return shown.join(QLatin1Char(' '));
}

QCoro::Task<> CUPSPrintTransport::print(PrintJobRequest request)
{
    request.canvas.validate();
    if (!m_renderer)
        throw quill::Error(QStringLiteral("This print transport has no label renderer."));
    QByteArray pdf = m_renderer->renderPDF(request.content, request.canvas);
    QString printer = request.printerID.rawValue;
    co_await submitFile(std::move(pdf), FileKind::pdf, std::move(printer), std::move(request.canvas),
                        request.copies, std::move(request.cupsConfiguration));
}

QCoro::Task<> CUPSPrintTransport::printPDF(QByteArray pdf, QString printerName, LabelCanvas canvas,
                                           qint64 copies, std::optional<CUPSPrintConfiguration> configuration)
{
    co_await submitFile(std::move(pdf), FileKind::pdf, std::move(printerName), std::move(canvas), copies,
                        std::move(configuration));
}

QCoro::Task<> CUPSPrintTransport::printImage(QByteArray png, QString printerName, LabelCanvas canvas,
                                             qint64 copies,
                                             std::optional<CUPSPrintConfiguration> configuration)
{
    co_await submitFile(std::move(png), FileKind::png, std::move(printerName), std::move(canvas), copies,
                        std::move(configuration));
}

QCoro::Task<> CUPSPrintTransport::submitFile(QByteArray bytes, FileKind kind, QString printerName,
                                             LabelCanvas canvas, qint64 copies,
                                             std::optional<CUPSPrintConfiguration> configuration)
{
    // Take a turn before anything can suspend, so jobs reach CUPS in call order.
    auto turn = co_await m_order->acquire();

    // Checked before any size becomes an integer or any file is written.
    canvas.validate();
    if (bytes.isEmpty())
        throw CUPSPrintTransportError::submissionFailed(
            QStringLiteral("Nothing was sent to '%1': the print file is empty.").arg(printerName));

    QString queue;
    if (configuration && configuration->queueName && !configuration->queueName->isEmpty())
        queue = *configuration->queueName;
    else
        queue = co_await m_resolver.resolve(printerName);
    // A configured queue is used verbatim, so it is checked here as well.
    CUPSQueueResolver::requireSafeQueueName(queue);

    const QString suffix = kind == FileKind::png ? QStringLiteral(".png") : QStringLiteral(".pdf");
    const QString path = QDir(m_temporaryFolder)
                             .filePath(QStringLiteral("print-job-") +
                                       QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + suffix);
    try {
        writeNewOwnerOnly(path, bytes);
    } catch (...) {
        QFile::remove(path);
        throw;
    }

    if (kind == FileKind::png) {
        writeDebugCopy(bytes);
        printLine(QStringLiteral("Image: %1 bytes, canvas: %2x%3in (%4)")
                      .arg(QString::number(bytes.size()), shortestDecimal(canvas.widthInches),
                           shortestDecimal(canvas.heightInches), canvas.cupsPageSizeName()));
    }

    // The file goes whatever lp answered; a failure to remove it is harmless.
    QStringList arguments = lpArguments(queue, copies, canvas, configuration, path);
    std::exception_ptr failure;
    try {
        co_await runLp(std::move(arguments));
    } catch (...) {
        failure = std::current_exception();
    }
    QFile::remove(path);
    if (failure) {
        // The queue may have been renamed or removed since its name was found.
        if (const auto &cache = m_resolver.cache())
            cache->forget(printerName);
        std::rethrow_exception(failure);
    }
}

QCoro::Task<> CUPSPrintTransport::runLp(QStringList arguments)
{
    printLine(commandLine(m_tools.lp, arguments));
    // Named, not braced in the co_await: GCC 12 destroys such temporaries twice.
    quill::ProcessRequest request{m_tools.lp, arguments, m_tools.timeout};
    const quill::ProcessResult result = co_await m_runner->run(std::move(request));
    const QString output = result.output.trimmed();

    switch (result.outcome) {
    case quill::ProcessResult::Outcome::Finished:
        printLine(QStringLiteral("lp output: %1 (exit %2)").arg(output, QString::number(result.exitCode)));
        if (result.exitCode != 0)
            throw CUPSPrintTransportError::submissionFailed(output);
        co_return;
    case quill::ProcessResult::Outcome::FailedToStart:
        qCWarning(lcPrintKit, "lp could not be started: %s", qUtf8Printable(result.errorString));
        throw CUPSPrintTransportError::submissionFailed(
            QStringLiteral("The print command %1 could not be started: %2")
                .arg(m_tools.lp, result.errorString));
    case quill::ProcessResult::Outcome::TimedOut:
        qCWarning(lcPrintKit, "lp timed out: %s", qUtf8Printable(result.describe()));
        throw CUPSPrintTransportError::submissionFailed(
            QStringLiteral("CUPS did not answer within %1 seconds, so the label may not have been queued. "
                           "Check the printer queue before printing it again.")
                .arg(m_tools.timeout.count() / 1000.0));
    case quill::ProcessResult::Outcome::Crashed:
        qCWarning(lcPrintKit, "lp crashed: %s", qUtf8Printable(result.describe()));
        throw CUPSPrintTransportError::submissionFailed(
            QStringLiteral("The print command %1 crashed: %2").arg(m_tools.lp, result.describe()));
    }
}

void CUPSPrintTransport::writeDebugCopy(const QByteArray &png) const
{
    QString folder;
    if (m_debugCopyFolder) {
        folder = *m_debugCopyFolder;
    } else {
        folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (folder == QDir::homePath())
            return; // no desktop folder: Qt falls back to the home folder, which is not ours to litter
    }
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    try {
        replaceOwnerOnly(QDir(folder).filePath(QStringLiteral("quillmark-debug-cups-input.png")), png);
    } catch (const quill::Error &error) {
        qCDebug(lcPrintKit, "debug copy not written: %s", error.what());
    }
}

} // namespace printkit
