#include "common/json.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

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

// A decimal value as significant digits (no leading or trailing zeros) and the
// position of the decimal point relative to them: 0.d1d2... x 10^point. Zero is
// no digits. The sign is left out: a number and its double always share it.
struct Significand
{
    std::string digits;
    long long point = 0;
    friend bool operator==(const Significand &, const Significand &) = default;
};

// `text` is a valid JSON number or the shortest text of a double ("1e+20" included).
Significand significandOf(std::string_view text)
{
    Significand out;
    long long point = 0;
    bool inFraction = false;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-')
        ++i;
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
        if (text[i] == '.') {
            inFraction = true;
            continue;
        }
        if (out.digits.empty() && text[i] == '0') {
            if (inFraction)
                --point; // a leading zero after the point moves it
            continue;
        }
        out.digits.push_back(text[i]);
        if (!inFraction)
            ++point;
    }
    if (i < text.size()) {
        ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negative = text[i++] == '-';
        long long exponent = 0;
        // Far beyond any double's exponent; a longer one only has to stay different.
        for (; i < text.size(); ++i)
            exponent = std::min(exponent * 10 + (text[i] - '0'), 100000LL);
        point += negative ? -exponent : exponent;
    }
    while (!out.digits.empty() && out.digits.back() == '0')
        out.digits.pop_back();
    out.point = out.digits.empty() ? 0 : point;
    return out;
}

// True when `token` (a JSON number) is read without changing its value. Integers
// within 64 bits stay integers. Other whole numbers below 2^63 are read as the
// integer their double holds, so that integer must be the number written;
// any other number is read by the shortest text of its double, so that text must
// be the number written: 0.1 and 12.50 pass, 0.30000000000000001 (read as 0.3)
// and 12345678901234567.89 (read as 12345678901234568) do not.
bool readsExactly(std::string_view token)
{
    if (token.find_first_of(".eE") == std::string_view::npos) {
        std::int64_t whole = 0;
        const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), whole);
        if (error == std::errc{} && end == token.data() + token.size())
            return true;
    }
    double number = 0.0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), number);
    if (error != std::errc{} || end != token.data() + token.size() || !std::isfinite(number))
        return false;
    constexpr double kInt64Limit = 9223372036854775808.0; // 2^63
    char read[64];
    const auto written = std::trunc(number) == number && std::abs(number) < kInt64Limit
                             ? std::to_chars(read, read + sizeof read, static_cast<std::int64_t>(number))
                             : std::to_chars(read, read + sizeof read, number, std::chars_format::scientific);
    if (written.ec != std::errc{})
        return false;
    return significandOf(token) == significandOf(std::string_view(read, written.ptr - read));
}

// Every number of a document that parsed; strings are skipped, escapes included.
void refuseInexactNumbers(const QByteArray &bytes, const QString &what)
{
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '"') {
            // To the closing quote: the first one after an even run of backslashes.
            const std::size_t open = i;
            for (++i;; ++i) {
                i = text.find('"', i);
                if (i == std::string_view::npos)
                    break;
                std::size_t slashes = 0;
                while (i - slashes - 1 > open && text[i - slashes - 1] == '\\')
                    ++slashes;
                if (slashes % 2 == 0)
                    break;
            }
            i = i == std::string_view::npos ? text.size() : i + 1;
            continue;
        }
        if (c != '-' && (c < '0' || c > '9')) {
            ++i;
            continue;
        }
        const std::size_t end = text.find_first_not_of("0123456789+-.eE", i);
        const std::string_view token =
            text.substr(i, end == std::string_view::npos ? text.size() - i : end - i);
        if (!readsExactly(token)) {
            constexpr std::size_t kShown = 40;
            const QString shown =
                token.size() > kShown
                    ? QString::fromLatin1(token.data(), kShown) + QStringLiteral("...")
                    : QString::fromLatin1(token.data(), static_cast<qsizetype>(token.size()));
            throw DecodeError(QStringLiteral("%1 holds the number %2, which cannot be read without rounding")
                                  .arg(what, shown));
        }
        i += token.size();
    }
}

QJsonDocument parseDocument(const QByteArray &bytes, const QString &what)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodeError(QStringLiteral("%1 is not valid JSON: %2 at offset %3")
                              .arg(what, error.errorString())
                              .arg(error.offset));
    // The parser turns every number into a double and keeps no text: a number the
    // double cannot hold (money above all) is refused here rather than rounded.
    refuseInexactNumbers(bytes, what);
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
    // The parser keeps integers within 64 bits exactly, 2^63 - 1 included; a whole
    // double in range converts exactly. Anything else gives the fallback, so two
    // different fallbacks tell a real integer from a number that is not one.
    const qint64 value = v.toInteger(0);
    if (value != v.toInteger(1))
        fail(key, QStringLiteral("expected an integer, found %1")
                      .arg(QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest)));
    return value;
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
