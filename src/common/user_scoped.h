#pragma once

#include "common/settings.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace quill {

// Boolean flags that belong to the signed-in seller ("has_test_printed", ...),
// stored under "<user id>_<key>" (the plain key while nobody is signed in). An id
// of anything but ASCII letters, digits, "-", "." and "_" (or an empty one) is
// stored encoded, so every id gives a valid settings key of its own. Flag keys
// are a fixed set in which none ends in "_" and another key, so "u1" and "u1_x"
// never share a stored key.
class UserScoped final
{
public:
    UserScoped() = delete;

    // Flags that older versions stored without a user id.
    static const QStringList &legacyFlagKeys();

    static std::optional<QString> currentUserId();

    // Switches to another account's flags; called on every sign-in change so an
    // account switch never reads the previous seller's flags. The first user that
    // signs in inherits the legacy flags that were set, and the legacy keys are
    // removed, so no later account inherits them as well.
    // Never throws: a legacy flag that cannot be moved is logged and left in place.
    static void setCurrentUser(const std::optional<QString> &userId, Settings &settings);
    // `settings` nullptr: switches without moving the legacy flags (no store to move them in).
    static void setCurrentUser(const std::optional<QString> &userId, Settings *settings);

    // The stored key of `key` for the current user, computed at each call.
    static QString scopedKey(const QString &key);

    static bool value(const QString &key, Settings &settings);
    static void setValue(const QString &key, bool value, Settings &settings);
};

// One per-user flag for a screen: seeded from the stored value when created; a
// write updates the screen first, then stores under the key of the user current
// at that moment.
class UserScopedFlag final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UserScopedFlag)
    Q_PROPERTY(bool value READ value WRITE setValue NOTIFY valueChanged)

public:
    UserScopedFlag(QString key, Settings &settings, QObject *parent = nullptr);

    const QString &key() const { return m_key; }
    bool value() const { return m_value; }
    void setValue(bool value);

Q_SIGNALS:
    void valueChanged(bool value);

private:
    QString m_key;
    Settings &m_settings;
    bool m_value;
};

// The maker's staff: an exact address of the built-in list, or an address ending in
// "@" and the staff domain. Both comparisons are exact (no trimming, no case folding).
const QStringList &adminEmails();
QString staffEmailDomain();
bool isStaffEmail(const QString &email);

} // namespace quill
