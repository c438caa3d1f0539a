#pragma once

#include "common/clock.h"
#include "designer/label_template.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <functional>
#include <optional>

namespace quill {

// The seller's label templates, one JSON file each (named by the template's id) in the
// folder LabelTemplates of the data folder. Loaded newest first; saves are atomic.
// Nothing fails towards the caller: failures are logged, and a failed save is also
// announced so the designer can show it.
class TemplateStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplateStore)

public:
    // Files larger than this are not templates anyone made; they are refused unread, and
    // a template that would encode larger is not written.
    static constexpr qint64 kMaxFileBytes = templateLimits::maxFileBytes;

    // Removes one file; the reason when it could not (a missing file is no failure).
    using FileRemover = std::function<std::optional<QString>(const QString &path)>;

    // `directory` replaces the data folder's LabelTemplates (tests); empty for the real one.
    explicit TemplateStore(QString directory = {}, const Clock &clock = SystemClock::instance(),
                           QObject *parent = nullptr);

    const QList<LabelTemplate> &templates() const { return m_templates; }

    // The folder in use; throws quill::Error when there is no data folder.
    QString templatesDirectory() const;
    // The file of a template: "<ID in upper case>.json" in the folder.
    QString fileNameFor(const QUuid &id) const;

    void loadTemplates();
    // Stamps a copy with the current time, writes it and puts it in the list (in place,
    // else in front). The caller's template keeps its own `updatedAt`.
    void save(const LabelTemplate &labelTemplate);
    // Removes every file known to hold the template's id (the one it was loaded from, the
    // one its saves write and any other with the same id, which would bring it back at the
    // next load) and then its list entries. When a file stays, the entry stays too and
    // deleteFailed says why.
    void deleteTemplate(const LabelTemplate &labelTemplate);

    // Replaces how files are removed (tests).
    void setFileRemover(FileRemover remover) { m_removeFile = std::move(remover); }

Q_SIGNALS:
    void templatesChanged();
    void saveFailed(const QString &message);
    void deleteFailed(const QString &name, const QString &message);
    // After a delete, so an open designer drops the template instead of saving it back.
    void templateDeleted(const QUuid &id);

private:
    QString m_directory;
    const Clock &m_clock;
    QList<LabelTemplate> m_templates;
    // The files each loaded or saved id was read from or written to, duplicates included.
    QHash<QUuid, QSet<QString>> m_files;
    FileRemover m_removeFile;
};

} // namespace quill
