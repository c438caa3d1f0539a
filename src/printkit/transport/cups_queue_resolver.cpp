#include "printkit/transport/cups_queue_resolver.h"

#include "common/logging.h"
#include "printkit/transport/cups_print_transport.h"

#include <QDir>
#include <QFileInfo>

namespace printkit {

std::optional<QString> CUPSQueueNameCache::find(const QString &printerName) const
{
    const auto found = m_names.constFind(printerName);
    if (found == m_names.constEnd())
        return std::nullopt;
    return found.value();
}

CUPSQueueResolver::CUPSQueueResolver(quill::ProcessRunner *runner, CUPSTools tools)
    : m_runner(runner), m_tools(std::move(tools))
{
}

bool CUPSQueueResolver::isSafeQueueName(const QString &name)
{
    return !name.startsWith(QLatin1Char('-'));
}

QString CUPSQueueResolver::unsafeNameMessage(const QString &name)
{
    return QStringLiteral(
               "'%1' is not a printer queue name CUPS can be given: a queue name cannot begin with \"-\".")
        .arg(name);
}

void CUPSQueueResolver::requireSafeQueueName(const QString &name)
{
    if (!isSafeQueueName(name)) {
        qCWarning(lcPrintKit, "Refused the queue name %s: it would be read as an option",
                  qUtf8Printable(name));
        throw CUPSPrintTransportError::unsafeQueueName(name);
    }
}

QString CUPSQueueResolver::underscored(const QString &name)
{
    QString out = name;
    out.replace(QLatin1Char(' '), QLatin1Char('_'));
    return out;
}

QString CUPSQueueResolver::fold(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue; // the accent of a decomposed letter
        const QChar lower = c.toLower();
        if ((lower >= QLatin1Char('a') && lower <= QLatin1Char('z')) ||
            (lower >= QLatin1Char('0') && lower <= QLatin1Char('9')))
            out.append(lower);
    }
    return out;
}

QCoro::Task<std::optional<QStringList>> CUPSQueueResolver::destinations() const
{
    // Built before co_await: GCC 12 miscompiles string literals in the awaited expression.
    quill::ProcessRequest request{m_tools.lpstat, {QStringLiteral("-e")}, m_tools.timeout};
    const quill::ProcessResult result = co_await m_runner->run(std::move(request));
    if (!result.succeeded()) {
        qCWarning(lcPrintKit, "lpstat -e failed: %s", qUtf8Printable(result.describe()));
        co_return std::nullopt;
    }
    QStringList names;
    const auto lines = result.output.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString name = line.trimmed();
        if (!name.isEmpty())
            names.append(name);
    }
    co_return names;
}

QCoro::Task<std::optional<QString>> CUPSQueueResolver::fromDestinations(const QString &name) const
{
    const std::optional<QStringList> known = co_await destinations();
    if (!known)
        co_return std::nullopt;
    if (known->contains(name))
        co_return name;
    const QString u = underscored(name);
    if (known->contains(u))
        co_return u;
    co_return std::nullopt;
}

std::pair<CUPSQueueResolver::Lookup, QString> CUPSQueueResolver::fromPpdFolder(const QString &name) const
{
    const QDir folder(m_tools.ppdDirectory);
    if (QFileInfo::exists(folder.filePath(name + QStringLiteral(".ppd"))))
        return {Lookup::Found, name};
    const QString u = underscored(name);
    if (QFileInfo::exists(folder.filePath(u + QStringLiteral(".ppd"))))
        return {Lookup::Found, u};

    if (!folder.exists() || !QFileInfo(m_tools.ppdDirectory).isReadable())
        return {Lookup::FolderUnreadable, {}};
    const QString key = fold(name);
    // Directory order, unsorted; only entries whose extension is exactly "ppd".
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString &entry : entries) {
        const QFileInfo info(entry);
        if (info.suffix() != QLatin1String("ppd"))
            continue;
        const QString base = entry.left(entry.size() - 4);
        if (isSafeQueueName(base) && fold(base) == key)
            return {Lookup::Found, base};
    }
    return {Lookup::NotFound, {}};
}

QCoro::Task<std::pair<CUPSQueueResolver::Lookup, QString>>
CUPSQueueResolver::lookup(QString printerName) const
{
    requireSafeQueueName(printerName);
    // Held here: the owner may drop its cache while this lookup waits for lpstat.
    const std::shared_ptr<CUPSQueueNameCache> cache = m_cache;
    if (cache) {
        if (std::optional<QString> known = cache->find(printerName))
            co_return std::make_pair(Lookup::Found, *known);
    }
    std::pair<Lookup, QString> found;
    if (auto listed = co_await fromDestinations(printerName))
        found = std::make_pair(Lookup::Found, *listed);
    else
        found = fromPpdFolder(printerName);
    if (cache && found.first == Lookup::Found)
        cache->store(printerName, found.second);
    co_return found;
}

QCoro::Task<QString> CUPSQueueResolver::resolve(QString printerName) const
{
    // No structured bindings here: GCC 12 mis-handles them inside coroutines.
    const std::pair<Lookup, QString> found = co_await lookup(printerName);
    if (found.first == Lookup::Found)
        co_return found.second;
    if (found.first == Lookup::FolderUnreadable)
        throw quill::Error(QStringLiteral("The CUPS queue for '%1' could not be resolved: the PPD folder %2 "
                                          "cannot be read, and CUPS does not list a queue of that name.")
                               .arg(printerName, m_tools.ppdDirectory));
    throw CUPSPrintTransportError::queueNotFound(printerName, m_tools.ppdDirectory);
}

QCoro::Task<QString> CUPSQueueResolver::resolveOrUnderscored(QString printerName) const
{
    const std::pair<Lookup, QString> found = co_await lookup(printerName);
    if (found.first == Lookup::Found)
        co_return found.second;
    co_return underscored(printerName);
}

} // namespace printkit
