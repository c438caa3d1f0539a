#include "designer/template_store.h"

#include "common/error.h"
#include "common/logging.h"
#include "common/paths.h"
#include "designer/label_template_json.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

namespace quill {

namespace {

struct LoadedFile
{
    QString fileName;
    LabelTemplate labelTemplate;
};

// The whole file, refusing folders and anything over the size limit before reading it.
QByteArray readTemplateFile(const QFileInfo &entry)
{
    if (entry.isDir())
        throw Error(QStringLiteral("it is a folder"));
    if (entry.size() > TemplateStore::kMaxFileBytes)
        throw Error(QStringLiteral("it holds %1 bytes, more than the %2 a template may have")
                        .arg(entry.size())
                        .arg(TemplateStore::kMaxFileBytes));
    QFile file(entry.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        throw Error(file.errorString());
    // The file may grow between the check and the read.
    QByteArray bytes = file.read(TemplateStore::kMaxFileBytes + 1);
    if (bytes.size() > TemplateStore::kMaxFileBytes)
        throw Error(QStringLiteral("it holds more than the %1 bytes a template may have")
                        .arg(TemplateStore::kMaxFileBytes));
    if (file.error() != QFileDevice::NoError)
        throw Error(file.errorString());
    return bytes;
}

void skipFile(const QString &fileName, const QString &reason)
{
    qCWarning(lcTemplateStore).noquote()
        << QStringLiteral("Skipped template file %1: %2").arg(fileName, reason);
}

QDateTime wholeSecondsUtc(const QDateTime &moment)
{
    return QDateTime::fromSecsSinceEpoch(moment.toSecsSinceEpoch(), Qt::UTC);
}

std::optional<QString> removeFile(const QString &path)
{
    QFile file(path);
    if (file.remove() || !QFileInfo::exists(path))
        return std::nullopt;
    return file.errorString();
}

void makeFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw Error(
            QStringLiteral("The folder %1 could not be created").arg(QDir::toNativeSeparators(folder)));
}

} // namespace

TemplateStore::TemplateStore(QString directory, const Clock &clock, QObject *parent)
    : QObject(parent), m_directory(std::move(directory)), m_clock(clock), m_removeFile(&removeFile)
{
}

QString TemplateStore::templatesDirectory() const
{
    return m_directory.isEmpty() ? paths::dataFile(QStringLiteral("LabelTemplates")) : m_directory;
}

QString TemplateStore::fileNameFor(const QUuid &id) const
{
    return id.toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".json");
}

void TemplateStore::loadTemplates()
{
    QFileInfoList entries;
    try {
        const QString folder = templatesDirectory();
        makeFolder(folder);
        const QDir dir(folder);
        if (!dir.isReadable())
            throw Error(
                QStringLiteral("The folder %1 cannot be listed").arg(QDir::toNativeSeparators(folder)));
        entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                    QDir::NoSort);
    } catch (const std::exception &error) {
        qCCritical(lcTemplateStore).noquote()
            << QStringLiteral("Failed to load templates: %1").arg(errorMessage(error));
        return;
    }

    // By name, so that ties of updatedAt and the choice between two files of one id are
    // the same on every file system.
    std::sort(entries.begin(), entries.end(),
              [](const QFileInfo &a, const QFileInfo &b) { return a.fileName() < b.fileName(); });

    QList<LoadedFile> loaded;
    for (const QFileInfo &entry : std::as_const(entries)) {
        // Exactly "json", and a name before it (".json" alone has no extension).
        if (entry.suffix() != QLatin1String("json") || entry.completeBaseName().isEmpty())
            continue;
        try {
            QStringList adjustments;
            LabelTemplate labelTemplate = decodeLabelTemplate(readTemplateFile(entry), &adjustments);
            for (const QString &adjustment : std::as_const(adjustments))
                qCWarning(lcTemplateStore).noquote()
                    << QStringLiteral("Template file %1: %2").arg(entry.fileName(), adjustment);
            loaded.append(LoadedFile{entry.fileName(), std::move(labelTemplate)});
        } catch (const std::exception &error) {
            skipFile(entry.fileName(), errorMessage(error));
        }
    }

    // One entry per id: the file the id names, else the first by name. Listing both would
    // let opening and autosaving one write its content over the other's file.
    QHash<QUuid, qsizetype> chosen;
    for (qsizetype i = 0; i < loaded.size(); ++i) {
        const QUuid id = loaded.at(i).labelTemplate.id;
        const auto found = chosen.constFind(id);
        if (found == chosen.constEnd()) {
            chosen.insert(id, i);
            continue;
        }
        const bool namedByCurrent = loaded.at(i).fileName == fileNameFor(id);
        const qsizetype kept = namedByCurrent ? i : *found;
        const qsizetype dropped = namedByCurrent ? *found : i;
        chosen.insert(id, kept);
        skipFile(loaded.at(dropped).fileName,
                 QStringLiteral("it holds the template id %1 of %2")
                     .arg(id.toString(QUuid::WithoutBraces).toUpper(), loaded.at(kept).fileName));
    }

    QHash<QUuid, QSet<QString>> files;
    for (const LoadedFile &file : std::as_const(loaded))
        files[file.labelTemplate.id].insert(file.fileName);

    QList<LabelTemplate> templates;
    templates.reserve(chosen.size());
    for (qsizetype i = 0; i < loaded.size(); ++i) {
        if (chosen.value(loaded.at(i).labelTemplate.id) == i)
            templates.append(std::move(loaded[i].labelTemplate));
    }
    std::stable_sort(templates.begin(), templates.end(), [](const LabelTemplate &a, const LabelTemplate &b) {
        return a.updatedAt > b.updatedAt;
    });

    m_templates = std::move(templates);
    m_files = std::move(files);
    Q_EMIT templatesChanged();
    qCInfo(lcTemplateStore).noquote() << QStringLiteral("Loaded %1 template(s)").arg(m_templates.size());
}

void TemplateStore::save(const LabelTemplate &labelTemplate)
{
    LabelTemplate stamped = labelTemplate;
    // The file keeps whole seconds; the list holds what a load would read back.
    stamped.updatedAt = wholeSecondsUtc(m_clock.now());
    try {
        const QString folder = templatesDirectory();
        makeFolder(folder);
        const QByteArray bytes = encodeLabelTemplate(stamped);
        // A file the next load would skip is no save at all.
        if (bytes.size() > kMaxFileBytes)
            throw Error(templateFileTooLarge(bytes.size()));
        paths::writeFileAtomically(folder + QLatin1Char('/') + fileNameFor(stamped.id), bytes);
    } catch (const std::exception &error) {
        const QString message = errorMessage(error);
        qCCritical(lcTemplateStore).noquote() << QStringLiteral("Failed to save template: %1").arg(message);
        Q_EMIT saveFailed(message);
        return;
    }

    const auto existing =
        std::find_if(m_templates.begin(), m_templates.end(),
                     [&stamped](const LabelTemplate &entry) { return entry.id == stamped.id; });
    const QString name = stamped.name;
    m_files[stamped.id].insert(fileNameFor(stamped.id));
    if (existing != m_templates.end())
        *existing = std::move(stamped);
    else
        m_templates.prepend(std::move(stamped));
    Q_EMIT templatesChanged();
    qCInfo(lcTemplateStore).noquote() << QStringLiteral("Saved template: %1").arg(name);
}

void TemplateStore::deleteTemplate(const LabelTemplate &labelTemplate)
{
    // Copies: the caller's reference may point into the list this changes.
    const QUuid id = labelTemplate.id;
    const QString name = labelTemplate.name;

    QStringList failures;
    try {
        const QString folder = templatesDirectory();
        QSet<QString> files = m_files.value(id);
        files.insert(fileNameFor(id));
        QStringList sorted(files.cbegin(), files.cend());
        sorted.sort();
        for (const QString &fileName : std::as_const(sorted)) {
            const QString path = folder + QLatin1Char('/') + fileName;
            const bool existed = QFileInfo::exists(path);
            if (const std::optional<QString> failure = m_removeFile(path)) {
                failures.append(QStringLiteral("%1 could not be removed: %2").arg(fileName, *failure));
                continue;
            }
            m_files[id].remove(fileName);
            if (existed)
                qCInfo(lcTemplateStore).noquote() << QStringLiteral("Removed template file %1").arg(fileName);
        }
    } catch (const std::exception &error) {
        failures.append(errorMessage(error));
    }
    if (!failures.isEmpty()) {
        // A file that stays would list the template again at the next start.
        const QString message = failures.join(QStringLiteral("; "));
        qCCritical(lcTemplateStore).noquote()
            << QStringLiteral("Failed to delete template %1: %2").arg(name, message);
        Q_EMIT deleteFailed(name, message);
        return;
    }

    m_files.remove(id);
    const qsizetype removed =
        m_templates.removeIf([&id](const LabelTemplate &entry) { return entry.id == id; });
    if (removed > 0)
        Q_EMIT templatesChanged();
    Q_EMIT templateDeleted(id);
    qCInfo(lcTemplateStore).noquote() << QStringLiteral("Deleted template: %1").arg(name);
}

} // namespace quill
