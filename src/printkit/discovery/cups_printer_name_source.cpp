#include "printkit/discovery/cups_printer_name_source.h"

#include "common/logging.h"
#include "printkit/transport/cups_queue_resolver.h"

#include <algorithm>

namespace printkit {

namespace {
const QLatin1String kDefaultPrefix("system default destination:");
const QLatin1String kNoDefault("no system default destination");

bool hasWhiteSpace(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

// Built outside the coroutines: g++ 12 rejects a braced list holding a string
// literal inside a coroutine body ("array used as initializer").
quill::ProcessRequest lpstatRequest(const CUPSTools &tools, const char *option)
{
    return quill::ProcessRequest{tools.lpstat, {QString::fromLatin1(option)}, tools.timeout};
}

void logIgnoredLines(const QString &tool, const QStringList &lines)
{
    for (const QString &line : lines)
        qCWarning(lcPrintKit, "Ignored a line of %s -e that is not a printer name: %s", qUtf8Printable(tool),
                  qUtf8Printable(line));
}
} // namespace

CUPSPrinterNameSource::CUPSPrinterNameSource(quill::ProcessRunner *runner, CUPSTools tools)
    : m_runner(runner), m_tools(std::move(tools))
{
}

QStringList CUPSPrinterNameSource::parseDestinations(const QString &output, QStringList *ignored)
{
    QStringList names;
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString name = line.trimmed();
        if (name.isEmpty())
            continue;
        // Neither a name with white space nor one the tools would read as an option can be used as a queue.
        if (hasWhiteSpace(name) || !CUPSQueueResolver::isSafeQueueName(name)) {
            if (ignored)
                ignored->append(name);
            continue;
        }
        names.append(name);
    }
    return names;
}

std::optional<QString> CUPSPrinterNameSource::parseDefaultDestination(const QString &output)
{
    for (const QString &raw : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString line = raw.trimmed();
        if (line.startsWith(kDefaultPrefix))
            return line.mid(kDefaultPrefix.size()).trimmed();
        if (line == kNoDefault)
            return QString();
    }
    return std::nullopt;
}

QCoro::Task<QStringList> CUPSPrinterNameSource::printerNames()
{
    const quill::ProcessResult result = co_await m_runner->run(lpstatRequest(m_tools, "-e"));
    if (!result.succeeded()) {
        qCWarning(lcPrintKit, "Could not list the CUPS printers (%s -e): %s", qUtf8Printable(m_tools.lpstat),
                  qUtf8Printable(result.describe()));
        co_return QStringList();
    }
    QStringList ignored;
    const QStringList names = parseDestinations(result.output, &ignored);
    logIgnoredLines(m_tools.lpstat, ignored);
    co_return names;
}

QCoro::Task<QString> CUPSPrinterNameSource::defaultPrinterName()
{
    const quill::ProcessResult result = co_await m_runner->run(lpstatRequest(m_tools, "-d"));
    if (!result.succeeded()) {
        qCWarning(lcPrintKit, "Could not read the default CUPS printer (%s -d): %s",
                  qUtf8Printable(m_tools.lpstat), qUtf8Printable(result.describe()));
        co_return QString();
    }
    const std::optional<QString> name = parseDefaultDestination(result.output);
    if (!name) {
        qCWarning(lcPrintKit, "Unexpected answer from %s -d; no default printer assumed: %s",
                  qUtf8Printable(m_tools.lpstat), qUtf8Printable(result.output.trimmed()));
        co_return QString();
    }
    co_return *name;
}

} // namespace printkit
