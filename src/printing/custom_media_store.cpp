#include "printing/custom_media_store.h"

#include "common/json.h"
#include "common/logging.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace quill {

namespace {

CustomMediaStore *g_installed = nullptr;

bool isWritable(const LabelMedia &media)
{
    return std::isfinite(media.widthInches) && std::isfinite(media.heightInches);
}

} // namespace

CustomMediaStore::CustomMediaStore(Settings *settings, QObject *parent) : QObject(parent), m_settings(settings)
{
    load();
}

CustomMediaStore::~CustomMediaStore()
{
    if (g_installed == this)
        g_installed = nullptr;
}

CustomMediaStore &CustomMediaStore::shared()
{
    if (g_installed)
        return *g_installed;
    static CustomMediaStore store;
    return store;
}

CustomMediaStore *CustomMediaStore::setShared(CustomMediaStore *store)
{
    return std::exchange(g_installed, store);
}

Settings &CustomMediaStore::settings() const
{
    return m_settings ? *m_settings : Settings::shared();
}

void CustomMediaStore::setItems(QList<LabelMedia> items)
{
    if (items == m_items)
        return;
    m_items = std::move(items);
    Q_EMIT itemsChanged();
}

void CustomMediaStore::load()
{
    const std::optional<QByteArray> data = settings().optionalBytes(key());
    if (!data)
        return;

    QJsonArray array;
    try {
        array = json::parseArray(*data, key());
    } catch (const json::DecodeError &error) {
        qCWarning(lcPrintKit, "Custom label sizes unreadable, kept as stored: %s", error.what());
        m_unreadableBlob = *data;
        return;
    }

    QList<LabelMedia> items;
    QList<QJsonValue> unreadable;
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonValue value = array.at(i);
        try {
            if (!value.isObject())
                throw json::DecodeError(QStringLiteral("not an object"));
            LabelMedia media = LabelMedia::fromJson(value.toObject());
            if (const auto reason = media.invalidReason())
                throw json::DecodeError(*reason);
            items.append(std::move(media));
        } catch (const json::DecodeError &error) {
            qCWarning(lcPrintKit, "Custom label size %lld skipped and kept as stored: %s", static_cast<long long>(i),
                      error.what());
            unreadable.append(value);
        }
    }
    m_unreadable = std::move(unreadable);
    m_unreadableBlob.reset();
    setItems(std::move(items));
}

void CustomMediaStore::save()
{
    QJsonArray array;
    for (const LabelMedia &media : std::as_const(m_items)) {
        if (!isWritable(media)) {
            qCWarning(lcPrintKit, "Custom label sizes not saved: %s has a size that cannot be stored",
                      qUtf8Printable(media.id));
            return;
        }
        array.append(media.toJson());
    }
    for (const QJsonValue &value : std::as_const(m_unreadable))
        array.append(value);

    if (m_unreadableBlob) {
        settings().setBytes(unreadableKey(), *m_unreadableBlob);
        qCWarning(lcPrintKit, "Unreadable custom label sizes moved to %s", qUtf8Printable(unreadableKey()));
        m_unreadableBlob.reset();
    }
    settings().setBytes(key(), QJsonDocument(array).toJson(QJsonDocument::Compact));
}

void CustomMediaStore::add(LabelMedia media)
{
    if (const auto reason = media.invalidReason())
        throw InvalidLabelMediaError(*reason);
    if (media.name && media.name->trimmed().isEmpty())
        media.name.reset();
    m_items.append(std::move(media));
    Q_EMIT itemsChanged();
    save();
}

void CustomMediaStore::remove(const QString &id)
{
    const qsizetype removed = m_items.removeIf([&](const LabelMedia &media) { return media.id == id; });
    if (removed > 0)
        Q_EMIT itemsChanged();
    save();
}

} // namespace quill
