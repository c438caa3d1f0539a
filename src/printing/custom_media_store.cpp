#include "printing/custom_media_store.h"

#include "common/json.h"
#include "common/logging.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

namespace quill {

namespace {

bool isWritable(const LabelMedia &media)
{
    return std::isfinite(media.widthInches) && std::isfinite(media.heightInches);
}

// The first set-aside key not yet taken.
QString freeUnreadableKey(const Settings &settings)
{
    QString candidate = CustomMediaStore::unreadableKey();
    for (int n = 2; settings.contains(candidate); ++n)
        candidate = CustomMediaStore::unreadableKey() + QStringLiteral("_%1").arg(n);
    return candidate;
}

struct StoredList
{
    QList<LabelMedia> items;
    QList<QJsonValue> unreadable;
};

// The stored list's media and the entries that cannot be read. Throws json::DecodeError
// when the value is not a JSON array at all.
StoredList readStoredList(const QByteArray &data, bool logSkipped)
{
    const QJsonArray array = json::parseArray(data, CustomMediaStore::key());
    StoredList list;
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonValue value = array.at(i);
        try {
            if (!value.isObject())
                throw json::DecodeError(QStringLiteral("not an object"));
            LabelMedia media = LabelMedia::fromJson(value.toObject());
            if (const auto reason = media.invalidReason())
                throw json::DecodeError(*reason);
            list.items.append(std::move(media));
        } catch (const json::DecodeError &error) {
            if (logSkipped)
                qCWarning(lcPrintKit, "Custom label size %lld skipped and kept as stored: %s",
                          static_cast<long long>(i), error.what());
            list.unreadable.append(value);
        }
    }
    return list;
}

} // namespace

QList<LabelMedia> CustomMediaStore::storedItems(const Settings &settings)
{
    const std::optional<QByteArray> data = settings.optionalData(key());
    if (!data)
        return {};
    try {
        return readStoredList(*data, false).items;
    } catch (const json::DecodeError &) {
        return {};
    }
}

CustomMediaStore::CustomMediaStore(Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings)
{
    load();
}

CustomMediaStore::~CustomMediaStore() = default;

void CustomMediaStore::setItems(QList<LabelMedia> items)
{
    if (items == m_items)
        return;
    m_items = std::move(items);
    Q_EMIT itemsChanged();
}

void CustomMediaStore::load()
{
    const std::optional<QByteArray> data = m_settings.optionalData(key());
    if (!data)
        return;

    StoredList list;
    try {
        list = readStoredList(*data, true);
    } catch (const json::DecodeError &error) {
        qCWarning(lcPrintKit, "Custom label sizes unreadable, kept as stored: %s", error.what());
        m_unreadableBlob = *data;
        return;
    }
    m_unreadable = std::move(list.unreadable);
    m_unreadableBlob.reset();
    setItems(std::move(list.items));
}

std::optional<QString> CustomMediaStore::save()
{
    QJsonArray array;
    for (const LabelMedia &media : std::as_const(m_items)) {
        if (!isWritable(media)) {
            qCWarning(lcPrintKit, "Custom label sizes not saved: %s has a size that cannot be stored",
                      qUtf8Printable(media.id));
            return finishSave(QStringLiteral("%1 has a size that cannot be stored").arg(media.id));
        }
        array.append(media.toJson());
    }
    for (const QJsonValue &value : std::as_const(m_unreadable))
        array.append(value);

    Settings &store = m_settings;
    if (m_unreadableBlob) {
        const QString aside = freeUnreadableKey(store);
        store.setBytes(aside, *m_unreadableBlob);
        // The list replaces the unreadable value only once its copy is safely stored.
        if (const auto failure = store.commit())
            return finishSave(failure);
        qCWarning(lcPrintKit, "Unreadable custom label sizes moved to %s", qUtf8Printable(aside));
        m_unreadableBlob.reset();
    }
    store.setBytes(key(), QJsonDocument(array).toJson(QJsonDocument::Compact));
    return finishSave(store.commit());
}

std::optional<QString> CustomMediaStore::finishSave(std::optional<QString> failure)
{
    if (failure)
        qCCritical(lcPrintKit, "Custom label sizes could not be saved: %s", qUtf8Printable(*failure));
    const QString error = failure.value_or(QString());
    if (error != m_saveError) {
        m_saveError = error;
        Q_EMIT saveErrorChanged();
    }
    Q_EMIT saveFinished(failure);
    return failure;
}

std::optional<QString> CustomMediaStore::add(LabelMedia media)
{
    if (const auto reason = media.unprintableReason())
        throw InvalidLabelMediaError(*reason);
    if (media.name && media.name->trimmed().isEmpty())
        media.name.reset();
    m_items.append(std::move(media));
    Q_EMIT itemsChanged();
    return save();
}

std::optional<QString> CustomMediaStore::remove(const QString &id)
{
    const qsizetype removed = m_items.removeIf([&](const LabelMedia &media) { return media.id == id; });
    if (removed > 0)
        Q_EMIT itemsChanged();
    return save();
}

} // namespace quill
