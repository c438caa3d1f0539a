#include "common/settings.h"

#include "common/error.h"

#include <QLocale>
#include <QLoggingCategory>

#include <atomic>
#include <limits>

Q_LOGGING_CATEGORY(lcSettings, "app.quillmark.Quillmark.Settings")

namespace quill {

namespace {

std::atomic<Settings *> g_shared{nullptr};

void checkKey(const QString &key)
{
    if (key.isEmpty() || key.startsWith(QLatin1Char('/')) || key.endsWith(QLatin1Char('/')) ||
        key.contains(QLatin1String("//")))
        throw Error(QStringLiteral("\"%1\" cannot be used as a settings key").arg(key));
}

// Scalars are stored as text so that a value reads the same before and after the
// file has been written and read again (the INI file keeps no types).
QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

Settings::Settings()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quillmark"),
                 QStringLiteral("Quillmark"))
{
}

Settings::Settings(const QString &iniFilePath) : m_settings(iniFilePath, QSettings::IniFormat)
{
    if (m_settings.status() == QSettings::FormatError)
        qCWarning(lcSettings) << "Settings file" << iniFilePath << "could not be read completely";
}

Settings::~Settings()
{
    Settings *self = this;
    g_shared.compare_exchange_strong(self, nullptr);
}

Settings &Settings::shared()
{
    Settings *settings = g_shared.load();
    if (!settings)
        throw Error(QStringLiteral("No settings store has been installed"));
    return *settings;
}

Settings *Settings::installed()
{
    return g_shared.load();
}

Settings *Settings::setShared(Settings *settings)
{
    return g_shared.exchange(settings);
}

Settings &Settings::handedIn(Settings *settings, const char *owner)
{
    if (!settings)
        throw Error(QStringLiteral("%1 was handed no settings store").arg(QLatin1String(owner)));
    return *settings;
}

QString Settings::fileName() const
{
    return m_settings.fileName();
}

bool Settings::contains(const QString &key) const
{
    checkKey(key);
    return m_settings.contains(key);
}

void Settings::remove(const QString &key)
{
    checkKey(key);
    // QSettings::remove takes every "key/..." entry along; put those back.
    QList<std::pair<QString, QVariant>> below;
    m_settings.beginGroup(key);
    const QStringList subKeys = m_settings.allKeys();
    for (const QString &subKey : subKeys)
        below.append({key + QLatin1Char('/') + subKey, m_settings.value(subKey)});
    m_settings.endGroup();

    m_settings.remove(key);
    for (const auto &[fullKey, value] : below)
        m_settings.setValue(fullKey, value);
}

void Settings::sync()
{
    m_settings.sync();
    if (m_settings.status() == QSettings::AccessError)
        throw Error(QStringLiteral("The settings could not be saved to %1").arg(m_settings.fileName()));
}

std::optional<QString> Settings::commit()
{
    try {
        sync();
        return std::nullopt;
    } catch (const Error &error) {
        qCCritical(lcSettings, "%s", error.what());
        return error.message();
    }
}

void Settings::warnMalformed(const QString &key, const QVariant &value, const char *expected) const
{
    qCWarning(lcSettings).nospace() << "Setting " << key << " holds " << value << ", not " << expected
                                    << "; it is treated as not set";
}

std::optional<QString> Settings::text(const QString &key, const char *expected) const
{
    checkKey(key);
    if (!m_settings.contains(key))
        return std::nullopt;
    const QVariant value = m_settings.value(key);
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    // Typed values can appear when other code in this process wrote the same file.
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toString();
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    default:
        warnMalformed(key, value, expected);
        return std::nullopt;
    }
}

std::optional<QString> Settings::optionalString(const QString &key) const
{
    return text(key, "a string");
}

QString Settings::stringValue(const QString &key, const QString &fallback) const
{
    return optionalString(key).value_or(fallback);
}

std::optional<bool> Settings::optionalBool(const QString &key) const
{
    const auto raw = text(key, "a boolean");
    if (!raw)
        return std::nullopt;
    if (*raw == QLatin1String("true"))
        return true;
    if (*raw == QLatin1String("false"))
        return false;
    warnMalformed(key, *raw, "a boolean");
    return std::nullopt;
}

bool Settings::boolValue(const QString &key, bool fallback) const
{
    return optionalBool(key).value_or(fallback);
}

std::optional<qint64> Settings::optionalInt64(const QString &key) const
{
    const auto raw = text(key, "an integer");
    if (!raw)
        return std::nullopt;
    bool ok = false;
    const qint64 value = raw->toLongLong(&ok);
    if (!ok) {
        warnMalformed(key, *raw, "an integer");
        return std::nullopt;
    }
    return value;
}

qint64 Settings::int64Value(const QString &key, qint64 fallback) const
{
    return optionalInt64(key).value_or(fallback);
}

std::optional<int> Settings::optionalInt(const QString &key) const
{
    const auto value = optionalInt64(key);
    if (!value)
        return std::nullopt;
    if (*value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max()) {
        warnMalformed(key, *value, "a 32-bit integer");
        return std::nullopt;
    }
    return int(*value);
}

int Settings::intValue(const QString &key, int fallback) const
{
    return optionalInt(key).value_or(fallback);
}

std::optional<double> Settings::optionalDouble(const QString &key) const
{
    const auto raw = text(key, "a number");
    if (!raw)
        return std::nullopt;
    bool ok = false;
    const double value = raw->toDouble(&ok);
    if (!ok) {
        warnMalformed(key, *raw, "a number");
        return std::nullopt;
    }
    return value;
}

double Settings::doubleValue(const QString &key, double fallback) const
{
    return optionalDouble(key).value_or(fallback);
}

std::optional<QByteArray> Settings::optionalBytes(const QString &key) const
{
    checkKey(key);
    if (!m_settings.contains(key))
        return std::nullopt;
    const QVariant value = m_settings.value(key);
    if (value.typeId() != QMetaType::QByteArray) {
        warnMalformed(key, value, "bytes");
        return std::nullopt;
    }
    return value.toByteArray();
}

std::optional<QByteArray> Settings::optionalData(const QString &key) const
{
    checkKey(key);
    if (!m_settings.contains(key))
        return std::nullopt;
    const QVariant value = m_settings.value(key);
    switch (value.typeId()) {
    case QMetaType::QByteArray:
        return value.toByteArray();
    case QMetaType::QStringList:
        return value.toStringList().join(QLatin1Char(',')).toUtf8();
    default:
        if (const auto asText = text(key, "bytes or text"))
            return asText->toUtf8();
        return std::nullopt;
    }
}

QByteArray Settings::bytesValue(const QString &key, const QByteArray &fallback) const
{
    return optionalBytes(key).value_or(fallback);
}

std::optional<QStringList> Settings::optionalStringList(const QString &key) const
{
    checkKey(key);
    if (!m_settings.contains(key))
        return std::nullopt;
    // The INI file writes an empty list as an invalid value and a one-entry list as
    // that entry alone.
    const QVariant value = m_settings.value(key);
    switch (value.typeId()) {
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QString:
        return QStringList{value.toString()};
    case QMetaType::UnknownType:
        return QStringList{};
    default:
        warnMalformed(key, value, "a list of strings");
        return std::nullopt;
    }
}

QStringList Settings::stringListValue(const QString &key, const QStringList &fallback) const
{
    return optionalStringList(key).value_or(fallback);
}

void Settings::setString(const QString &key, const QString &value)
{
    checkKey(key);
    m_settings.setValue(key, value);
}

void Settings::setBool(const QString &key, bool value)
{
    checkKey(key);
    m_settings.setValue(key, boolText(value));
}

void Settings::setInt(const QString &key, int value)
{
    setInt64(key, value);
}

void Settings::setInt64(const QString &key, qint64 value)
{
    checkKey(key);
    m_settings.setValue(key, QString::number(value));
}

void Settings::setDouble(const QString &key, double value)
{
    checkKey(key);
    m_settings.setValue(key, QString::number(value, 'g', QLocale::FloatingPointShortest));
}

void Settings::setBytes(const QString &key, const QByteArray &value)
{
    checkKey(key);
    m_settings.setValue(key, value);
}

void Settings::setStringList(const QString &key, const QStringList &value)
{
    checkKey(key);
    m_settings.setValue(key, value);
}

} // namespace quill
