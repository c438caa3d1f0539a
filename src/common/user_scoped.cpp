#include "common/user_scoped.h"

#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcUserScoped, "app.quillmark.Quillmark.UserScoped")

namespace quill {

namespace {
std::optional<QString> &currentId()
{
    static std::optional<QString> id;
    return id;
}

bool isPlainId(const QString &userId)
{
    if (userId.isEmpty())
        return false;
    return std::all_of(userId.cbegin(), userId.cend(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
               c == u'-' || c == u'.' || c == u'_';
    });
}

// Other ids become "~" and four hex digits per UTF-16 unit: a valid key for any id,
// one id per spelling, and never the spelling of a plain id, which has no "~".
QString keyPrefix(const QString &userId)
{
    if (isPlainId(userId))
        return userId;
    QString encoded(QLatin1Char('~'));
    encoded.reserve(1 + 4 * userId.size());
    for (const QChar c : userId)
        encoded.append(QStringLiteral("%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0')));
    return encoded;
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
    return id ? keyPrefix(*id) + QLatin1Char('_') + key : key;
}

void UserScoped::setCurrentUser(const std::optional<QString> &userId, Settings &settings)
{
    setCurrentUser(userId, &settings);
}

void UserScoped::setCurrentUser(const std::optional<QString> &userId, Settings *settings)
{
    currentId() = userId;
    if (!userId || !settings)
        return;
    try {
        for (const QString &key : legacyFlagKeys()) {
            if (!settings->contains(key))
                continue;
            if (settings->boolValue(key)) {
                const QString scoped = scopedKey(key);
                if (!settings->boolValue(scoped))
                    settings->setBool(scoped, true);
            }
            settings->remove(key);
        }
    } catch (const std::exception &e) {
        qCCritical(lcUserScoped, "Could not move the legacy flags to the signed-in user: %s", e.what());
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

UserScopedFlag::UserScopedFlag(QString key, Settings &settings, QObject *parent)
    : QObject(parent), m_key(std::move(key)), m_settings(settings),
      m_value(UserScoped::value(m_key, m_settings))
{
}

void UserScopedFlag::setValue(bool value)
{
    const bool changed = value != m_value;
    m_value = value;
    if (changed)
        Q_EMIT valueChanged(value);
    UserScoped::setValue(m_key, value, m_settings);
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
