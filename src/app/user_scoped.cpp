#include "app/user_scoped.h"

#include <QSet>

namespace quill {

namespace {
std::optional<QString> &currentId()
{
    static std::optional<QString> id;
    return id;
}
} // namespace

const QStringList &UserScoped::legacyFlagKeys()
{
    static const QStringList keys{QStringLiteral("whatnot_authenticated"), QStringLiteral("has_test_printed"),
                                  QStringLiteral("has_started_live_show"), QStringLiteral("onboarding_dismissed")};
    return keys;
}

std::optional<QString> UserScoped::currentUserId()
{
    return currentId();
}

QString UserScoped::scopedKey(const QString &key)
{
    const std::optional<QString> &id = currentId();
    return id ? *id + QLatin1Char('_') + key : key;
}

void UserScoped::setCurrentUser(const std::optional<QString> &userId, Settings &settings)
{
    currentId() = userId;
    if (!userId)
        return;
    for (const QString &key : legacyFlagKeys()) {
        if (!settings.contains(key))
            continue;
        if (settings.boolValue(key)) {
            const QString scoped = scopedKey(key);
            if (!settings.boolValue(scoped))
                settings.setBool(scoped, true);
        }
        settings.remove(key);
    }
}

bool UserScoped::value(const QString &key, Settings &settings)
{
    return settings.boolValue(scopedKey(key));
}

void UserScoped::setValue(const QString &key, bool value, Settings &settings)
{
    settings.setBool(scopedKey(key), value);
}

UserScopedFlag::UserScopedFlag(QString key, QObject *parent, Settings *settings)
    : QObject(parent), m_key(std::move(key)), m_settings(settings), m_value(UserScoped::value(m_key, this->settings()))
{
}

Settings &UserScopedFlag::settings() const
{
    return m_settings ? *m_settings : Settings::shared();
}

void UserScopedFlag::setValue(bool value)
{
    const bool changed = value != m_value;
    m_value = value;
    if (changed)
        Q_EMIT valueChanged(value);
    UserScoped::setValue(m_key, value, settings());
}

const QStringList &adminEmails()
{
    static const QStringList emails{
        QStringLiteral("founders@quillmark.app"), QStringLiteral("support@quillmark.app"),
        QStringLiteral("ops@quillmark.app"),      QStringLiteral("qa.quillmark@gmail.com"),
        QStringLiteral("staff.tester@gmail.com"), QStringLiteral("demo.seller@quillmark.dev")};
    return emails;
}

QString staffEmailDomain()
{
    return QStringLiteral("quillmark.app");
}

bool isStaffEmail(const QString &email)
{
    if (adminEmails().contains(email))
        return true;
    return email.endsWith(QLatin1Char('@') + staffEmailDomain());
}

} // namespace quill
