#include "common/settings.h"

#include "common/error.h"
#include "common/paths.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSettings, "app.quillmark.Quillmark.Settings")

namespace quill {

namespace {

std::atomic<Settings *> g_shared{nullptr};
std::atomic<int> g_scratchCount{0};

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

// A name beside `path` that no QSettings of this process has seen: Qt keeps each file it
// parsed cached by its name and reads it again only when its size or time changed.
QString scratchBeside(const QString &path, const char *what)
{
    return QStringLiteral("%1.%2-%3.%4")
        .arg(path)
        .arg(QCoreApplication::applicationPid())
        .arg(++g_scratchCount)
        .arg(QLatin1String(what));
}

// Scratch files of a save or a read whose process ended without removing them (killed
// midway) are removed at the next start: only this store's own names, and only those of a
// process that is gone.
void removeDeadScratch(const QString &path)
{
    const QFileInfo info(path);
    const QRegularExpression own(QStringLiteral("^%1\\.(\\d+)-\\d+\\.(saving|check|reading)$")
                                     .arg(QRegularExpression::escape(info.fileName())));
    const QStringList names =
        QDir(info.absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = own.match(name);
        if (!match.hasMatch())
            continue;
        bool isNumber = false;
        const qint64 pid = match.captured(1).toLongLong(&isNumber);
        if (!isNumber || pid <= 0 || pid > std::numeric_limits<pid_t>::max() ||
            pid == QCoreApplication::applicationPid())
            continue;
        // Signal 0 only asks whether the process is there; EPERM means it is, under another user.
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        const QString scratch = info.absolutePath() + QLatin1Char('/') + name;
        if (QFile::remove(scratch))
            qCInfo(lcSettings, "Removed %s, left by a save that never finished", qUtf8Printable(scratch));
        else
            qCWarning(lcSettings, "%s, left by a save that never finished, could not be removed",
                      qUtf8Printable(scratch));
    }
}

// Qt's INI reader takes a U+FEFF that begins a run of plain text in a value for a byte order
// mark and drops it. Written as the escape "\xfeff" instead it reads back whole; Qt reads an
// escape's hex digits for as long as they go, so hex digits right after it are escaped too.
QByteArray escapeByteOrderMarks(const QByteArray &text)
{
    static constexpr char kMark[] = "\xEF\xBB\xBF";
    if (!text.contains(kMark))
        return text;
    QByteArray escaped;
    escaped.reserve(text.size() + 16);
    qsizetype i = 0;
    while (i < text.size()) {
        if (!QByteArrayView(text).sliced(i).startsWith(kMark)) {
            escaped.append(text.at(i++));
            continue;
        }
        escaped.append("\\xfeff");
        for (i += 3; i < text.size() && std::isxdigit(uchar(text.at(i))); ++i)
            escaped.append("\\x").append(QByteArray::number(uchar(text.at(i)), 16));
    }
    return escaped;
}

// Qt writes a list entry that holds a NUL character in a typed form, and the list then
// reads back as a list of variants; a list of texts it is.
QVariant asStringList(QVariant value)
{
    if (value.typeId() != QMetaType::QVariantList)
        return value;
    const QVariantList entries = value.toList();
    QStringList texts;
    for (const QVariant &entry : entries) {
        if (entry.typeId() != QMetaType::QString)
            return value;
        texts.append(entry.toString());
    }
    return entries.isEmpty() ? value : QVariant(texts);
}

QMap<QString, QVariant> parseIni(const QString &path, bool *formatError = nullptr)
{
    QSettings ini(path, QSettings::IniFormat);
    if (formatError)
        *formatError = ini.status() == QSettings::FormatError;
    QMap<QString, QVariant> values;
    const QStringList keys = ini.allKeys();
    for (const QString &key : keys)
        values.insert(key, asStringList(ini.value(key)));
    return values;
}

// The file as it is on disk now, read under a fresh name (a second link to it), since this
// store replaces it behind Qt's back and Qt might still hold an earlier parse of it.
QMap<QString, QVariant> readIni(const QString &path, bool *formatError)
{
    const QString alias = scratchBeside(path, "reading");
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(alias).constData()) == 0) {
        const auto unlink = qScopeGuard([&alias] { QFile::remove(alias); });
        return parseIni(alias, formatError);
    }
    if (errno == ENOENT)
        return {};
    return parseIni(path, formatError);
}

// Qt writes the INI text in UTF-8 and leaves out a half of a surrogate pair that has no
// other half.
QString asWritten(const QString &text)
{
    QString written;
    written.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            written.append(c).append(text.at(++i));
        } else if (!c.isSurrogate()) {
            written.append(c);
        }
    }
    return written;
}

// What the INI text gives back for a value: text as written, and no list of one entry or of
// none: they read back as that entry, or as no value.
QVariant asReadBack(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return asWritten(value.toString());
    if (value.typeId() == QMetaType::QStringList) {
        QStringList list = value.toStringList();
        for (QString &entry : list)
            entry = asWritten(entry);
        if (list.isEmpty())
            return {};
        if (list.size() == 1)
            return list.constFirst();
        return list;
    }
    return value;
}

// Equal, or the same bytes (a NaN read from a hand-edited file equals nothing, not even itself).
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a == b)
        return true;
    if (a.metaType() != b.metaType())
        return false;
    auto bytesOf = [](const QVariant &value) {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << value;
        return bytes;
    };
    return bytesOf(a) == bytesOf(b);
}

// The keys whose values `readBack` does not hold as written.
QStringList keysNotHeld(const QMap<QString, QVariant> &readBack, const QMap<QString, QVariant> &values)
{
    QStringList missing;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const auto found = readBack.constFind(it.key());
        if (found == readBack.cend() || !sameValue(*found, asReadBack(it.value())))
            missing.append(it.key());
    }
    return missing;
}

// Has Qt write `values` as INI text at `written` and gives the text as it must be stored, or
// why it could not be written whole. `check` is the name it is read back under.
struct IniText
{
    QByteArray text;
    QMap<QString, QVariant> readBack;
    std::optional<QString> failure;
    // Qt ends every line, and escapes line breaks inside values: text cut short by the disk
    // ends without one (unless it holds no value at all).
    bool endsWhole = false;
};

IniText writeIni(const QMap<QString, QVariant> &values, const QString &written, const QString &check)
{
    IniText ini;
    {
        QSettings writer(written, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            writer.setValue(it.key(), it.value());
        writer.sync();
        if (writer.status() != QSettings::NoError) {
            ini.failure = QStringLiteral(
                "they could not be written beside it (the disk may be full, or the folder not writable)");
            return ini;
        }
    }
    // Qt commits its text even when the disk took only part of it: read back under a
    // name Qt has not parsed, it must hold every value.
    if (std::rename(QFile::encodeName(written).constData(), QFile::encodeName(check).constData()) != 0) {
        ini.failure = QString::fromLocal8Bit(std::strerror(errno));
        return ini;
    }
    QFile file(check);
    if (!file.open(QIODevice::ReadOnly)) {
        ini.failure = file.errorString();
        return ini;
    }
    const QByteArray qtText = file.readAll();
    file.close();
    ini.endsWhole = qtText.endsWith('\n');
    ini.text = escapeByteOrderMarks(qtText);
    if (ini.text != qtText) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) ||
            file.write(ini.text) != ini.text.size()) {
            ini.failure = QStringLiteral("they could not be written beside it (the disk may be full)");
            return ini;
        }
        file.close();
    }
    ini.readBack = parseIni(check);
    return ini;
}

// A value that does not read back from a file of its own that the disk took: no save
// would store it as it is.
bool isUnstorable(const QString &key, const QVariant &value, const QString &scratchBase)
{
    const QString written = scratchBeside(scratchBase, "saving");
    const QString check = scratchBeside(scratchBase, "check");
    const auto removeScratch = qScopeGuard([&] {
        QFile::remove(written);
        QFile::remove(check);
    });
    const IniText alone = writeIni({{key, value}}, written, check);
    return !alone.failure && alone.endsWhole && !alone.readBack.isEmpty() &&
           !keysNotHeld(alone.readBack, {{key, value}}).isEmpty();
}

QString userFileName()
{
    const QSettings user(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quillmark"),
                         QStringLiteral("Quillmark"));
    return user.fileName();
}

} // namespace

Settings::Settings() : Settings(userFileName()) {}

Settings::Settings(const QString &iniFilePath) : m_fileName(QFileInfo(iniFilePath).absoluteFilePath())
{
    removeDeadScratch(m_fileName);
    bool formatError = false;
    m_values = readIni(m_fileName, &formatError);
    if (formatError)
        qCWarning(lcSettings) << "Settings file" << iniFilePath << "could not be read completely";
}

Settings::~Settings()
{
    Settings *self = this;
    g_shared.compare_exchange_strong(self, nullptr);
    if (const auto failure = savePending())
        qCCritical(lcSettings, "%s", qUtf8Printable(*failure));
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
    return m_fileName;
}

bool Settings::contains(const QString &key) const
{
    checkKey(key);
    return m_values.contains(key);
}

void Settings::remove(const QString &key)
{
    checkKey(key);
    if (m_values.remove(key) > 0)
        changed();
}

void Settings::set(const QString &key, const QVariant &value)
{
    checkKey(key);
    const auto found = m_values.constFind(key);
    if (found != m_values.cend() && found->typeId() == value.typeId() && *found == value)
        return; // already in the file, or pending
    m_values.insert(key, value);
    changed();
}

void Settings::changed()
{
    m_pending = true;
    if (m_saveQueued)
        return;
    m_saveQueued = true;
    QMetaObject::invokeMethod(
        &m_saveContext,
        [this] {
            m_saveQueued = false;
            if (const auto failure = savePending())
                qCCritical(lcSettings, "%s", qUtf8Printable(*failure));
        },
        Qt::QueuedConnection);
}

namespace {

struct SaveOutcome
{
    std::optional<QString> failure;
    // Values no save can store as they were (a type the INI text keeps no more, from a
    // hand-edited or older file), as the file now holds them.
    QMap<QString, QVariant> storedOtherwise;
};

SaveOutcome saveValues(const QString &fileName, const QMap<QString, QVariant> &values)
{
    auto failure = [&fileName](const QString &reason) {
        return SaveOutcome{QStringLiteral("The settings could not be saved to %1: %2")
                               .arg(QDir::toNativeSeparators(fileName), reason),
                           {}};
    };
    auto cutShort = [&failure] {
        return failure(QStringLiteral("the disk took only part of them (it may be full)"));
    };
    SaveOutcome outcome;
    QByteArray text;
    if (!values.isEmpty()) {
        const QString written = scratchBeside(fileName, "saving");
        const QString check = scratchBeside(fileName, "check");
        const auto removeScratch = qScopeGuard([&] {
            QFile::remove(written);
            QFile::remove(check);
        });
        IniText ini = writeIni(values, written, check);
        if (ini.failure)
            return failure(*ini.failure);
        // Its room is needed for the file itself.
        QFile::remove(check);
        const QStringList notHeld = keysNotHeld(ini.readBack, values);
        if (!notHeld.isEmpty() && !ini.endsWhole)
            return cutShort();
        for (const QString &key : notHeld) {
            // A value that reads back changed even alone is no sign of a full disk, and must
            // not keep the others from being saved.
            if (!isUnstorable(key, values.value(key), fileName))
                return cutShort();
            outcome.storedOtherwise.insert(key, ini.readBack.value(key));
        }
        text = std::move(ini.text);
    }
    try {
        paths::writeFileAtomically(fileName, text);
    } catch (const Error &error) {
        return {QStringLiteral("The settings could not be saved: %1").arg(error.message()), {}};
    }
    for (auto it = outcome.storedOtherwise.cbegin(); it != outcome.storedOtherwise.cend(); ++it) {
        qCCritical(lcSettings).nospace()
            << "Setting " << it.key() << " cannot be stored in " << QDir::toNativeSeparators(fileName)
            << " as it was; it is kept as " << *it;
    }
    return outcome;
}

} // namespace

std::optional<QString> Settings::savePending()
{
    if (!m_pending)
        return std::nullopt;
    SaveOutcome outcome = saveValues(m_fileName, m_values);
    if (outcome.failure)
        return outcome.failure; // nothing saved: tried again whole with the next save
    // What could not be stored as it was now reads as the file holds it, so it is reported
    // once and later saves find it stored.
    for (auto it = outcome.storedOtherwise.cbegin(); it != outcome.storedOtherwise.cend(); ++it) {
        if (it->isValid())
            m_values.insert(it.key(), *it);
        else
            m_values.remove(it.key());
    }
    m_pending = false;
    return std::nullopt;
}

std::optional<QString> Settings::save() const
{
    return saveValues(m_fileName, m_values).failure;
}

void Settings::sync()
{
    if (const auto failure = savePending())
        throw Error(*failure);
}

std::optional<QString> Settings::commit()
{
    const std::optional<QString> failure = savePending();
    if (failure)
        qCCritical(lcSettings, "%s", qUtf8Printable(*failure));
    return failure;
}

void Settings::warnMalformed(const QString &key, const QVariant &value, const char *expected) const
{
    qCWarning(lcSettings).nospace() << "Setting " << key << " holds " << value << ", not " << expected
                                    << "; it is treated as not set";
}

std::optional<QString> Settings::text(const QString &key, const char *expected) const
{
    checkKey(key);
    if (!m_values.contains(key))
        return std::nullopt;
    const QVariant value = m_values.value(key);
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
    if (!m_values.contains(key))
        return std::nullopt;
    const QVariant value = m_values.value(key);
    if (value.typeId() != QMetaType::QByteArray) {
        warnMalformed(key, value, "bytes");
        return std::nullopt;
    }
    return value.toByteArray();
}

std::optional<QByteArray> Settings::optionalData(const QString &key) const
{
    checkKey(key);
    if (!m_values.contains(key))
        return std::nullopt;
    const QVariant value = m_values.value(key);
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
    if (!m_values.contains(key))
        return std::nullopt;
    // The INI file writes an empty list as an invalid value and a one-entry list as
    // that entry alone.
    const QVariant value = m_values.value(key);
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
    set(key, value);
}

void Settings::setBool(const QString &key, bool value)
{
    set(key, boolText(value));
}

void Settings::setInt(const QString &key, int value)
{
    setInt64(key, value);
}

void Settings::setInt64(const QString &key, qint64 value)
{
    set(key, QString::number(value));
}

void Settings::setDouble(const QString &key, double value)
{
    set(key, QString::number(value, 'g', QLocale::FloatingPointShortest));
}

void Settings::setBytes(const QString &key, const QByteArray &value)
{
    set(key, value);
}

void Settings::setStringList(const QString &key, const QStringList &value)
{
    set(key, value);
}

} // namespace quill
