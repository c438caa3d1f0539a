#pragma once

#include "common/process_runner.h"
#include "printkit/transport/cups_tools.h"

#include <QCoroTask>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace printkit {

// Queue names found so far, by printer name. The transport and the monitor of one
// printer adapter share it, so a label's queue check and its submission do not each
// run lpstat to find the same name; the adapter empties it when it refreshes its
// printer list, and a failed submission forgets its printer.
class CUPSQueueNameCache final
{
public:
    std::optional<QString> find(const QString &printerName) const;
    void store(const QString &printerName, const QString &queue) { m_names.insert(printerName, queue); }
    void forget(const QString &printerName) { m_names.remove(printerName); }
    void clear() { m_names.clear(); }

private:
    QHash<QString, QString> m_names;
};

// Turns a printer name as the user sees it into the CUPS queue to submit to.
// In order: a destination that `lpstat -e` lists under that name (driverless and
// IPP queues have no PPD file), the name with spaces as underscores likewise, then
// the PPD folder: "<name>.ppd", "<name with _>.ppd", and finally a PPD whose base
// name folds (case, accents, punctuation) to the same key.
class CUPSQueueResolver final
{
public:
    explicit CUPSQueueResolver(quill::ProcessRunner *runner, CUPSTools tools);

    // Names found are kept in `cache` and taken from it; null: every call looks afresh.
    void setCache(std::shared_ptr<CUPSQueueNameCache> cache) { m_cache = std::move(cache); }
    const std::shared_ptr<CUPSQueueNameCache> &cache() const { return m_cache; }

    // Throws CUPSPrintTransportError::queueNotFound, or quill::Error when the PPD
    // folder had to be listed and could not be. A name that is not safe to hand to a
    // tool is refused with CUPSPrintTransportError::unsafeQueueName before any tool runs.
    QCoro::Task<QString> resolve(QString printerName) const;

    // Falls back to the name with spaces as underscores; fails only for an unsafe name,
    // as resolve() does.
    QCoro::Task<QString> resolveOrUnderscored(QString printerName) const;

    // Whether a name can go to lp, lpstat, cancel or cupsenable as a queue: one that
    // begins with "-" would be read as an option ("cancel -a -x" purges every queue).
    static bool isSafeQueueName(const QString &name);
    static QString unsafeNameMessage(const QString &name);
    // Throws CUPSPrintTransportError::unsafeQueueName for an unsafe name.
    static void requireSafeQueueName(const QString &name);

    // Destinations CUPS knows, or nothing when lpstat cannot tell.
    QCoro::Task<std::optional<QStringList>> destinations() const;

    // Lower case, accents dropped, every run of characters outside [a-z0-9] removed.
    static QString fold(const QString &name);
    static QString underscored(const QString &name);

private:
    enum class Lookup
    {
        Found,
        NotFound,
        FolderUnreadable
    };
    QCoro::Task<std::optional<QString>> fromDestinations(const QString &name) const;
    std::pair<Lookup, QString> fromPpdFolder(const QString &name) const;
    QCoro::Task<std::pair<Lookup, QString>> lookup(QString printerName) const;

    quill::ProcessRunner *m_runner;
    CUPSTools m_tools;
    std::shared_ptr<CUPSQueueNameCache> m_cache;
};

} // namespace printkit
