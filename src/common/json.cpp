#include "common/json.h"

#include <cmath>
#include <limits>

namespace quill::json {

namespace {

QString typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

QJsonDocument parseDocument(const QByteArray &bytes, const QString &what)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodeError(QStringLiteral("%1 is not valid JSON: %2 at offset %3")
                              .arg(what, error.errorString())
                              .arg(error.offset));
    return doc;
}

} // namespace

QJsonObject parseObject(const QByteArray &bytes, const QString &what)
{
    const QJsonDocument doc = parseDocument(bytes, what);
    if (!doc.isObject())
        throw DecodeError(QStringLiteral("%1 is not a JSON object").arg(what));
    return doc.object();
}

QJsonArray parseArray(const QByteArray &bytes, const QString &what)
{
    const QJsonDocument doc = parseDocument(bytes, what);
    if (!doc.isArray())
        throw DecodeError(QStringLiteral("%1 is not a JSON array").arg(what));
    return doc.array();
}

ObjectReader::ObjectReader(QJsonObject object, QString context)
    : m_object(std::move(object)), m_context(std::move(context))
{
}

bool ObjectReader::has(const QString &key) const
{
    const QJsonValue v = m_object.value(key);
    return !v.isUndefined() && !v.isNull();
}

void ObjectReader::fail(const QString &key, const QString &why) const
{
    const QString where = m_context.isEmpty() ? key : m_context + QLatin1Char('.') + key;
    throw DecodeError(QStringLiteral("%1: %2").arg(where, why));
}

QJsonValue ObjectReader::present(const QString &key) const
{
    return m_object.value(key);
}

QJsonValue ObjectReader::required(const QString &key) const
{
    const QJsonValue v = m_object.value(key);
    if (v.isUndefined() || v.isNull())
        fail(key, QStringLiteral("required key is missing"));
    return v;
}

#define QUILL_JSON_EXPECT(cond, expected)                                                              \
    if (!(cond))                                                                                       \
    fail(key, QStringLiteral("expected %1, found %2").arg(QStringLiteral(expected), typeName(v)))

QString ObjectReader::requiredString(const QString &key) const
{
    const QJsonValue v = required(key);
    QUILL_JSON_EXPECT(v.isString(), "a string");
    return v.toString();
}

std::optional<QString> ObjectReader::optionalString(const QString &key) const
{
    if (!has(key))
        return std::nullopt;
    return requiredString(key);
}

bool ObjectReader::requiredBool(const QString &key) const
{
    const QJsonValue v = required(key);
    QUILL_JSON_EXPECT(v.isBool(), "a boolean");
    return v.toBool();
}

std::optional<bool> ObjectReader::optionalBool(const QString &key) const
{
    if (!has(key))
        return std::nullopt;
    return requiredBool(key);
}

qint64 ObjectReader::requiredInteger(const QString &key) const
{
    const QJsonValue v = required(key);
    QUILL_JSON_EXPECT(v.isDouble(), "an integer");
    const double d = v.toDouble();
    // 2^63 is the first double outside the signed 64-bit range.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(d) || std::trunc(d) != d || d >= limit || d < -limit)
        fail(key, QStringLiteral("expected an integer, found %1").arg(d));
    return v.toInteger();
}

std::optional<qint64> ObjectReader::optionalInteger(const QString &key) const
{
    if (!has(key))
        return std::nullopt;
    return requiredInteger(key);
}

double ObjectReader::requiredDouble(const QString &key) const
{
    const QJsonValue v = required(key);
    QUILL_JSON_EXPECT(v.isDouble() && std::isfinite(v.toDouble()), "a number");
    return v.toDouble();
}

std::optional<double> ObjectReader::optionalDouble(const QString &key) const
{
    if (!has(key))
        return std::nullopt;
    return requiredDouble(key);
}

QJsonObject ObjectReader::requiredObject(const QString &key) const
{
    const QJsonValue v = required(key);
    QUILL_JSON_EXPECT(v.isObject(), "an object");
    return v.toObject();
}

std::optional<QJsonObject> ObjectReader::optionalObject(const QString &key) const
{
    if (!has(key))
        return std::nullopt;
    return requiredObject(key);
}

QJsonArray ObjectReader::requiredArray(const QString &key) const
{
    const QJsonValue v = required(key);
    QUILL_JSON_EXPECT(v.isArray(), "an array");
    return v.toArray();
}

std::optional<QJsonArray> ObjectReader::optionalArray(const QString &key) const
{
    if (!has(key))
        return std::nullopt;
    return requiredArray(key);
}

#undef QUILL_JSON_EXPECT

} // namespace quill::json
