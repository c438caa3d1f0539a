#pragma once

// Member-wise equality and hashing for the print records, written once so that == and
// qHash can never disagree. Texts compare as Unicode: canonically equivalent spellings
// (a precomposed "é" and "e" with a combining accent) are one text. Numbers compare by
// value: 0 and -0 are one number, and NaN equals NaN so that a record always equals its
// own copy and is found again in a QSet or QHash. The records keep every text exactly as
// given; only comparing and hashing look at the canonical form.
//
// Private to the domain's sources, which define each record's == and qHash with
// PRINTKIT_RECORD_COMPARISON.

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <cmath>
#include <cstddef>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

namespace printkit::records {

inline size_t combine(size_t seed, size_t hash)
{
    return seed ^ (hash + 0x9e3779b9 + (seed << 6) + (seed >> 2));
}

inline QString canonicalText(const QString &text)
{
    // An already composed text (all ASCII, most others) comes back shared, without a copy.
    return text.normalized(QString::NormalizationForm_C);
}

inline bool sameField(const QString &a, const QString &b)
{
    return a == b || canonicalText(a) == canonicalText(b);
}

inline size_t hashField(const QString &text)
{
    return ::qHash(canonicalText(text));
}

inline bool sameField(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

inline size_t hashField(double value)
{
    if (std::isnan(value))
        return ::qHash(quint64(0x7ff8000000000000));
    return ::qHash(value + 0.0); // -0 + 0 is +0
}

template <typename T> bool sameField(const std::optional<T> &a, const std::optional<T> &b);
template <typename T> size_t hashField(const std::optional<T> &value);
template <typename T> bool sameField(const QList<T> &a, const QList<T> &b);
template <typename T> size_t hashField(const QList<T> &list);

// Integers, booleans, enumerations and nested records (which have their own == and qHash).
template <typename T> bool sameField(const T &a, const T &b)
{
    return a == b;
}

template <typename T> size_t hashField(const T &value)
{
    if constexpr (std::is_enum_v<T>)
        return ::qHash(qint64(qToUnderlying(value)));
    else if constexpr (std::is_integral_v<T>)
        return ::qHash(qint64(value));
    else
        return qHash(value, size_t(0)); // a record's own, found in its namespace
}

template <typename T> bool sameField(const std::optional<T> &a, const std::optional<T> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || sameField(*a, *b);
}

template <typename T> size_t hashField(const std::optional<T> &value)
{
    return value ? combine(1, hashField(*value)) : 0;
}

template <typename T> bool sameField(const QList<T> &a, const QList<T> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!sameField(a.at(i), b.at(i)))
            return false;
    return true;
}

template <typename T> size_t hashField(const QList<T> &list)
{
    size_t h = ::qHash(qint64(list.size()));
    for (const T &item : list)
        h = combine(h, hashField(item));
    return h;
}

template <typename... T> bool sameFields(const std::tuple<const T &...> &a, const std::tuple<const T &...> &b)
{
    return [&]<std::size_t... I>(std::index_sequence<I...>)
    {
        return (sameField(std::get<I>(a), std::get<I>(b)) && ...);
    }
    (std::index_sequence_for<T...>{});
}

template <typename... T> size_t hashFields(const std::tuple<const T &...> &fields, size_t seed)
{
    std::apply([&seed](const auto &...field) { ((seed = combine(seed, hashField(field))), ...); }, fields);
    return seed;
}

} // namespace printkit::records

// Defines Type::operator== and qHash(const Type &, size_t) in the current namespace over
// the fields listed (as members of `record`, in declaration order), so both always see the
// same fields.
#define PRINTKIT_RECORD_COMPARISON(Type, record, ...)                                                        \
    static auto fieldsOf(const Type &record)                                                                 \
    {                                                                                                        \
        return std::tie(__VA_ARGS__);                                                                        \
    }                                                                                                        \
    bool Type::operator==(const Type &other) const                                                           \
    {                                                                                                        \
        return ::printkit::records::sameFields(fieldsOf(*this), fieldsOf(other));                            \
    }                                                                                                        \
    size_t qHash(const Type &record, size_t seed) noexcept                                                   \
    {                                                                                                        \
        return ::printkit::records::hashFields(fieldsOf(record), seed);                                      \
    }
