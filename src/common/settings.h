#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace quill {

// The user defaults: one INI store, keys exactly as the callers name them.
//
// The file is Qt's INI format, but Qt never writes it in place: its own save trusts a
// buffered write that a full disk cuts short, and then empties the file. Each save has Qt
// write the text beside the file, reads it back, and only a text that holds every value
// replaces the file, through the same durable write as the app's other files. A change
// nobody commits is saved at the next turn of the event loop (and when the store goes);
// a save that fails keeps the file as it was, is logged, and is tried again whole with the
// next save.
//
// Each value reads back exactly as it was stored. A stored value that does not
// have the asked-for type (a hand-edited file, a key reused with another type) is
// logged and treated as not set, so the getters fall back to their default.
// A "/" in a key is allowed (it becomes an INI section); a key that is empty,
// starts or ends with "/", or holds "//" is refused with quill::Error because
// QSettings would silently merge it with another key.
class Settings final
{
    Q_DISABLE_COPY_MOVE(Settings)

public:
    // The application's own store: Quillmark/Quillmark.ini in the user's configuration folder.
    Settings();
    // A store in the given INI file, created on the first sync when missing.
    explicit Settings(const QString &iniFilePath);
    ~Settings();

    // The store installed at start-up; throws quill::Error when none is installed.
    static Settings &shared();
    // The installed store, or none.
    static Settings *installed();
    // Installs `settings` (not owned; nullptr uninstalls) and returns the one it replaces,
    // so a test can put it back. A store uninstalls itself when destroyed.
    static Settings *setShared(Settings *settings);

    // The store a service was handed; throws quill::Error naming `owner` when it was handed none.
    static Settings &handedIn(Settings *settings, const char *owner);

    QString fileName() const;

    bool contains(const QString &key) const;
    // Removes this key only; keys below it ("key/sub") stay.
    void remove(const QString &key);
    // Writes pending changes; throws quill::Error when the file cannot be written whole.
    void sync();
    // Writes pending changes and checks they reached the file: the reason when they
    // did not (also logged), nothing when they did or nothing was pending.
    std::optional<QString> commit();

    QString stringValue(const QString &key, const QString &fallback = {}) const;
    std::optional<QString> optionalString(const QString &key) const;
    bool boolValue(const QString &key, bool fallback = false) const;
    std::optional<bool> optionalBool(const QString &key) const;
    int intValue(const QString &key, int fallback = 0) const;
    std::optional<int> optionalInt(const QString &key) const;
    qint64 int64Value(const QString &key, qint64 fallback = 0) const;
    std::optional<qint64> optionalInt64(const QString &key) const;
    double doubleValue(const QString &key, double fallback = 0.0) const;
    std::optional<double> optionalDouble(const QString &key) const;
    QByteArray bytesValue(const QString &key, const QByteArray &fallback = {}) const;
    std::optional<QByteArray> optionalBytes(const QString &key) const;
    // Bytes, or the UTF-8 of a value stored as text (also text the INI file split at
    // its commas), for values that other writers may have stored either way.
    std::optional<QByteArray> optionalData(const QString &key) const;
    QStringList stringListValue(const QString &key, const QStringList &fallback = {}) const;
    std::optional<QStringList> optionalStringList(const QString &key) const;

    // One setter per type, so a string literal cannot end up stored as a bool.
    void setString(const QString &key, const QString &value);
    void setBool(const QString &key, bool value);
    void setInt(const QString &key, int value);
    void setInt64(const QString &key, qint64 value);
    void setDouble(const QString &key, double value);
    void setBytes(const QString &key, const QByteArray &value);
    void setStringList(const QString &key, const QStringList &value);

private:
    std::optional<QString> text(const QString &key, const char *expected) const;
    void warnMalformed(const QString &key, const QVariant &value, const char *expected) const;
    void set(const QString &key, const QVariant &value);
    // Queues a save of the change for the next turn of the event loop.
    void changed();
    // Saves the pending changes, if any; the reason when the file was not replaced.
    std::optional<QString> savePending();
    std::optional<QString> save() const;

    QString m_fileName;
    QMap<QString, QVariant> m_values;
    bool m_pending = false;
    bool m_saveQueued = false;
    QObject m_saveContext; // queued saves die with the store
};

} // namespace quill
