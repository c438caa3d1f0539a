#pragma once

#include "common/settings.h"
#include "printing/label_media.h"

#include <QJsonValue>
#include <QList>
#include <QObject>

namespace quill {

// The seller's own label sizes, kept as a JSON array in the user defaults.
//
// A stored entry that cannot be read (a missing key, a wrong type, an unusable size)
// is left out of `items` but written back unchanged by every save, so one damaged
// entry never costs the seller the others, nor itself.
class CustomMediaStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CustomMediaStore)
    Q_PROPERTY(QString saveError READ saveError NOTIFY saveErrorChanged)

public:
    static QString key() { return QStringLiteral("custom_label_media_configs"); }
    // Where a stored value that is not a JSON array at all is kept before the first
    // save replaces it. A later such value goes to "..._unreadable_2", "_3" and so on,
    // so no kept copy is ever replaced.
    static QString unreadableKey() { return QStringLiteral("custom_label_media_configs_unreadable"); }

    // Loads at once.
    explicit CustomMediaStore(Settings &settings, QObject *parent = nullptr);
    ~CustomMediaStore() override;

    // The readable media stored in `settings`, without a store: what a store over the same
    // settings holds after its last load or save. Nothing when the stored value is unreadable.
    static QList<LabelMedia> storedItems(const Settings &settings);

    const QList<LabelMedia> &items() const { return m_items; }
    // Notifies when the list changes; does not save.
    void setItems(QList<LabelMedia> items);

    // Stored entries that could not be read and are kept as they are.
    qsizetype unreadableCount() const { return m_unreadable.size(); }

    // Why the last save did not reach the settings file; empty after one that did.
    const QString &saveError() const { return m_saveError; }

    // Reads the stored list, kept as bytes or as text. Nothing stored, or a value that
    // is not a JSON array, leaves `items` as it is.
    void load();
    // Writes `items` (and the unreadable entries) back. A medium whose size cannot be
    // written as JSON stops the save, so the stored list stays as it was. Returns why
    // the save failed (also in saveError), or nothing when it was written.
    std::optional<QString> save();
    // Appends and saves. Throws InvalidLabelMediaError, changing nothing, for a medium
    // that cannot be printed on; a name of blanks is stored as no name.
    std::optional<QString> add(LabelMedia media);
    // Removes every medium with this id and saves (also when none matched).
    std::optional<QString> remove(const QString &id);

Q_SIGNALS:
    void itemsChanged();
    void saveErrorChanged();
    // After every save: why it failed, or nothing when it was written.
    void saveFinished(const std::optional<QString> &failure);

private:
    std::optional<QString> finishSave(std::optional<QString> failure);

    Settings &m_settings;
    QList<LabelMedia> m_items;
    QList<QJsonValue> m_unreadable;
    std::optional<QByteArray> m_unreadableBlob;
    QString m_saveError;
};

} // namespace quill
