#pragma once

#include "common/error.h"
#include "common/json.h"

#include <QHashFunctions>
#include <QJsonValue>
#include <QString>
#include <QStringView>

#include <compare>
#include <optional>

namespace quill {

// An exact base-10 number: every amount of money in the program (captured prices,
// backend amounts, buyer totals, label prices). Doubles never go in, so 0.1 + 0.2 is
// exactly 0.3 and 12.50 keeps its value.
//
// Range: up to 18 significant digits and up to 18 decimal places, so
// 999999999999999999, 123456.789012345678 and 0.000000000000000001 fit while
// 1234567890123456789, 0.1234567890123456789 and 0.0000000000000000001 do not. Text or arithmetic outside
// the range is refused, never rounded. 12.5 and 12.50 are the same value.
class Decimal final
{
public:
    static constexpr int kMaxDigits = 18;

    constexpr Decimal() = default; // zero
    explicit constexpr Decimal(int value) : m_units(value) {}

    // Nothing when |value| needs more than 18 digits.
    static std::optional<Decimal> fromInteger(qint64 value);

    // Locale-free: surrounding white space is ignored, then an optional "+" or "-",
    // one or more digits 0-9, and optionally "." followed by one or more digits.
    // "12.50", "-3", "+0.5", "007" parse; ".5", "5.", "1,000", "$5", "1e3", "NaN",
    // "inf", "" and "- 5" do not, nor does anything outside the range above
    // (leading zeros and trailing fraction zeros do not count towards it).
    static std::optional<Decimal> fromString(QStringView text);

    // A JSON number or a string holding decimal text (backends send both). A number
    // is taken by its shortest text that reads back as the same double, so 0.1
    // gives 0.1 and not 0.1000000000000000055...
    static std::optional<Decimal> fromJson(const QJsonValue &value);

    // Canonical text: "." as separator, no grouping, no exponent, no trailing
    // fraction zeros, no point for whole numbers: 12.50 -> "12.5", 20.00 -> "20".
    QString toString() const;
    // Exactly two decimals, no grouping, no currency sign: 12.5 -> "12.50",
    // 7 -> "7.00". Further decimals are rounded half away from zero:
    // 2.345 -> "2.35", -2.345 -> "-2.35", -0.001 -> "0.00".
    QString toMoneyString() const;
    // For drawing and layout only; never feed the result back into an amount.
    double toDouble() const;

    bool isZero() const { return m_units == 0; }

    // Nothing when the exact result is outside the range.
    std::optional<Decimal> checkedAdd(const Decimal &other) const;
    std::optional<Decimal> checkedSubtract(const Decimal &other) const;
    std::optional<Decimal> checkedMultiply(qint64 factor) const;

    // The operators throw quill::Error where the checked forms give nothing.
    Decimal operator-() const { return Decimal(-m_units, m_scale); } // the range is symmetric
    Decimal &operator+=(const Decimal &other);
    Decimal &operator-=(const Decimal &other);
    Decimal &operator*=(qint64 factor);

    friend Decimal operator+(Decimal a, const Decimal &b) { return a += b; }
    friend Decimal operator-(Decimal a, const Decimal &b) { return a -= b; }
    friend Decimal operator*(Decimal a, qint64 factor) { return a *= factor; }
    friend Decimal operator*(qint64 factor, Decimal a) { return a *= factor; }

    friend bool operator==(const Decimal &, const Decimal &) = default;
    friend std::strong_ordering operator<=>(const Decimal &a, const Decimal &b);

    friend size_t qHash(const Decimal &value, size_t seed = 0) noexcept
    {
        return qHashMulti(seed, value.m_units, value.m_scale);
    }

private:
    constexpr Decimal(qint64 units, int scale) : m_units(units), m_scale(scale) {}

    // value = m_units / 10^m_scale, with no trailing zero in m_units while m_scale > 0
    // and m_scale 0 for zero, so that equal values have equal members.
    qint64 m_units = 0;
    int m_scale = 0;
};

namespace json {

// A decimal under `key`, given as a JSON number or as decimal text. Missing or null
// fails a required key; any other type, or text that is not a decimal, fails both
// with a DecodeError naming the key.
Decimal requiredDecimal(const ObjectReader &reader, const QString &key);
std::optional<Decimal> optionalDecimal(const ObjectReader &reader, const QString &key);

} // namespace json

} // namespace quill
