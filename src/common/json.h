#pragma once

#include "common/error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <optional>

namespace quill::json {

// A record that cannot be decoded: a required key is missing, a value has the
// wrong type, or an enumeration text is unknown. The whole record fails.
class DecodeError : public Error
{
public:
    using Error::Error;
};

// Parses text into an object or array; anything else (including trailing garbage)
// is a DecodeError naming `what` was being read.
QJsonObject parseObject(const QByteArray &bytes, const QString &what);
QJsonArray parseArray(const QByteArray &bytes, const QString &what);

// Strict reader over one JSON object. Required keys must be present and of the
// right type (null counts as missing); optional keys may be missing or null but,
// when present, must still have the right type.
class ObjectReader
{
public:
    explicit ObjectReader(QJsonObject object, QString context = {});

    const QJsonObject &object() const { return m_object; }
    bool has(const QString &key) const;

    QString requiredString(const QString &key) const;
    std::optional<QString> optionalString(const QString &key) const;

    bool requiredBool(const QString &key) const;
    std::optional<bool> optionalBool(const QString &key) const;

    // Integers must be whole numbers within the 64-bit range; 2.5 fails.
    qint64 requiredInteger(const QString &key) const;
    std::optional<qint64> optionalInteger(const QString &key) const;

    // Finite numbers only.
    double requiredDouble(const QString &key) const;
    std::optional<double> optionalDouble(const QString &key) const;

    QJsonObject requiredObject(const QString &key) const;
    std::optional<QJsonObject> optionalObject(const QString &key) const;
    QJsonArray requiredArray(const QString &key) const;
    std::optional<QJsonArray> optionalArray(const QString &key) const;

    // Enumerations coded as their raw text; `fromRaw` yields nothing for unknown text.
    template <typename E>
    E requiredEnum(const QString &key, const std::function<std::optional<E>(const QString &)> &fromRaw) const
    {
        const QString raw = requiredString(key);
        if (auto value = fromRaw(raw))
            return *value;
        fail(key, QStringLiteral("unknown value \"%1\"").arg(raw));
    }

    template <typename E>
    std::optional<E> optionalEnum(const QString &key,
                                  const std::function<std::optional<E>(const QString &)> &fromRaw) const
    {
        const auto raw = optionalString(key);
        if (!raw)
            return std::nullopt;
        if (auto value = fromRaw(*raw))
            return value;
        fail(key, QStringLiteral("unknown value \"%1\"").arg(*raw));
    }

    [[noreturn]] void fail(const QString &key, const QString &why) const;

private:
    QJsonValue present(const QString &key) const; // null/undefined when absent
    QJsonValue required(const QString &key) const;

    QJsonObject m_object;
    QString m_context;
};

// Decodes every element of an array with `decode`; any failing element fails the whole list.
template <typename T>
QList<T> decodeList(const QJsonArray &array, const std::function<T(const QJsonObject &)> &decode,
                    const QString &context)
{
    QList<T> out;
    out.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (!array.at(i).isObject())
            throw DecodeError(QStringLiteral("%1[%2]: expected an object").arg(context).arg(i));
        out.append(decode(array.at(i).toObject()));
    }
    return out;
}

} // namespace quill::json
