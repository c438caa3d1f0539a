#include "common/decimal.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace quill {

namespace {

// Wide enough for two aligned operands (< 10^18 each, scaled by up to 10^18) and for
// any operand times a 64-bit factor, so intermediate results never wrap.
__extension__ typedef __int128 Wide;

constexpr qint64 kMaxUnits = 999'999'999'999'999'999; // 18 nines

constexpr qint64 pow10(int exponent)
{
    qint64 result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= 10;
    return result;
}

// Brings an exact intermediate result into canonical form, or nothing when it does not fit.
std::optional<std::pair<qint64, int>> normalize(Wide units, int scale)
{
    while (scale > 0 && units % 10 == 0) {
        units /= 10;
        --scale;
    }
    if (units == 0)
        return std::pair<qint64, int>{0, 0};
    if (units > kMaxUnits || units < -kMaxUnits)
        return std::nullopt;
    return std::pair<qint64, int>{static_cast<qint64>(units), scale};
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The digits of `units` with a point before the last `scale` of them; the sign of
// `units` in front. Does not strip zeros.
QString withPoint(qint64 units, int scale)
{
    QString digits = QString::number(units < 0 ? -units : units);
    if (scale > 0) {
        if (digits.size() <= scale)
            digits.prepend(QString(scale + 1 - digits.size(), QLatin1Char('0')));
        digits.insert(digits.size() - scale, QLatin1Char('.'));
    }
    if (units < 0)
        digits.prepend(QLatin1Char('-'));
    return digits;
}

QString describeJsonType(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    default:
        return QStringLiteral("a value of another type");
    }
}

} // namespace

std::optional<Decimal> Decimal::fromInteger(qint64 value)
{
    if (value > kMaxUnits || value < -kMaxUnits)
        return std::nullopt;
    return Decimal(value, 0);
}

std::optional<Decimal> Decimal::fromString(QStringView text)
{
    text = text.trimmed();
    const qsizetype n = text.size();
    qsizetype i = 0;

    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }

    const qsizetype integerStart = i;
    while (i < n && isAsciiDigit(text[i]))
        ++i;
    const qsizetype integerEnd = i;
    if (integerEnd == integerStart)
        return std::nullopt;

    qsizetype fractionStart = i;
    qsizetype fractionEnd = i;
    if (i < n && text[i] == QLatin1Char('.')) {
        fractionStart = ++i;
        while (i < n && isAsciiDigit(text[i]))
            ++i;
        fractionEnd = i;
        if (fractionEnd == fractionStart)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;

    // Trailing fraction zeros carry no value; dropping them keeps 1.50000000000000000000 in range.
    while (fractionEnd > fractionStart && text[fractionEnd - 1] == QLatin1Char('0'))
        --fractionEnd;
    const int scale = int(fractionEnd - fractionStart);
    if (scale > kMaxDigits)
        return std::nullopt;

    // Leading zeros add nothing to the value, so they cannot overflow it either.
    quint64 units = 0;
    auto take = [&units](qsizetype from, qsizetype to, QStringView digits) {
        for (qsizetype k = from; k < to; ++k) {
            units = units * 10 + quint64(digits[k].unicode() - u'0');
            if (units > quint64(kMaxUnits))
                return false;
        }
        return true;
    };
    if (!take(integerStart, integerEnd, text) || !take(fractionStart, fractionEnd, text))
        return std::nullopt;

    const qint64 signedUnits = negative ? -qint64(units) : qint64(units);
    return Decimal(signedUnits, units == 0 ? 0 : scale);
}

std::optional<Decimal> Decimal::fromJson(const QJsonValue &value)
{
    if (value.isString())
        return fromString(value.toString());
    if (!value.isDouble())
        return std::nullopt;

    const double number = value.toDouble();
    if (!std::isfinite(number))
        return std::nullopt;
    // Whole numbers come from the integer the parser kept, which is exact beyond 2^53.
    constexpr double kInt64Limit = 9223372036854775808.0;
    if (std::trunc(number) == number && number < kInt64Limit && number >= -kInt64Limit)
        return fromInteger(value.toInteger());

    // Shortest round-trip text in plain notation; the longest (a tiny subnormal) is
    // about 330 characters.
    std::array<char, 400> buffer{};
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), number, std::chars_format::fixed);
    if (error != std::errc{})
        return std::nullopt;
    return fromString(QString::fromLatin1(buffer.data(), end - buffer.data()));
}

QString Decimal::toString() const
{
    return withPoint(m_units, m_scale);
}

QString Decimal::toMoneyString() const
{
    if (m_scale <= 2) {
        QString text = withPoint(m_units, m_scale);
        if (m_scale == 0)
            text += QLatin1Char('.');
        text += QString(2 - m_scale, QLatin1Char('0'));
        return text;
    }
    // Half away from zero: the dropped part is compared by magnitude and the cent
    // moves away from zero on a tie, for both signs.
    const qint64 divisor = pow10(m_scale - 2);
    qint64 cents = m_units / divisor;
    const qint64 rest = m_units % divisor;
    if ((rest < 0 ? -rest : rest) * 2 >= divisor)
        cents += m_units < 0 ? -1 : 1;
    return withPoint(cents, 2); // a value rounded to zero carries no sign
}

double Decimal::toDouble() const
{
    const QByteArray text = toString().toLatin1();
    double result = 0.0;
    std::from_chars(text.constData(), text.constData() + text.size(), result);
    return result;
}

std::optional<Decimal> Decimal::checkedAdd(const Decimal &other) const
{
    const int scale = std::max(m_scale, other.m_scale);
    const Wide sum =
        Wide(m_units) * pow10(scale - m_scale) + Wide(other.m_units) * pow10(scale - other.m_scale);
    const auto normal = normalize(sum, scale);
    if (!normal)
        return std::nullopt;
    return Decimal(normal->first, normal->second);
}

std::optional<Decimal> Decimal::checkedSubtract(const Decimal &other) const
{
    return checkedAdd(-other);
}

std::optional<Decimal> Decimal::checkedMultiply(qint64 factor) const
{
    const auto normal = normalize(Wide(m_units) * factor, m_scale);
    if (!normal)
        return std::nullopt;
    return Decimal(normal->first, normal->second);
}

Decimal &Decimal::operator+=(const Decimal &other)
{
    const auto result = checkedAdd(other);
    if (!result)
        throw Error(QStringLiteral("%1 + %2 needs more than 18 digits").arg(toString(), other.toString()));
    return *this = *result;
}

Decimal &Decimal::operator-=(const Decimal &other)
{
    const auto result = checkedSubtract(other);
    if (!result)
        throw Error(QStringLiteral("%1 - %2 needs more than 18 digits").arg(toString(), other.toString()));
    return *this = *result;
}

Decimal &Decimal::operator*=(qint64 factor)
{
    const auto result = checkedMultiply(factor);
    if (!result)
        throw Error(QStringLiteral("%1 * %2 needs more than 18 digits").arg(toString()).arg(factor));
    return *this = *result;
}

std::strong_ordering operator<=>(const Decimal &a, const Decimal &b)
{
    const int scale = std::max(a.m_scale, b.m_scale);
    const Wide left = Wide(a.m_units) * pow10(scale - a.m_scale);
    const Wide right = Wide(b.m_units) * pow10(scale - b.m_scale);
    return left <=> right;
}

namespace json {

namespace {

Decimal decodeDecimal(const ObjectReader &reader, const QString &key)
{
    const QJsonValue value = reader.object().value(key);
    if (!value.isString() && !value.isDouble())
        reader.fail(key, QStringLiteral("expected a decimal number or decimal text, found %1")
                             .arg(describeJsonType(value)));
    if (const auto decimal = Decimal::fromJson(value))
        return *decimal;
    if (value.isString())
        reader.fail(key, QStringLiteral("\"%1\" is not a decimal number").arg(value.toString()));
    reader.fail(key, QStringLiteral("%1 cannot be held exactly as a decimal")
                         .arg(QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest)));
}

} // namespace

Decimal requiredDecimal(const ObjectReader &reader, const QString &key)
{
    if (!reader.has(key))
        reader.fail(key, QStringLiteral("required key is missing"));
    return decodeDecimal(reader, key);
}

std::optional<Decimal> optionalDecimal(const ObjectReader &reader, const QString &key)
{
    if (!reader.has(key))
        return std::nullopt;
    return decodeDecimal(reader, key);
}

} // namespace json

} // namespace quill
