#include "common/decimal.h"

#include <QLocale>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <ostream>
#include <stdexcept>

namespace quill {
// Readable failure output.
static void PrintTo(const Decimal &value, std::ostream *os)
{
    *os << value.toString().toStdString();
}
} // namespace quill

using quill::Decimal;

namespace {

Decimal dec(const char *text)
{
    const auto value = Decimal::fromString(QString::fromUtf8(text));
    if (!value)
        throw std::runtime_error(std::string("test value does not parse: ") + text);
    return *value;
}

std::string canonical(const std::optional<Decimal> &value)
{
    return value ? value->toString().toStdString() : std::string("<none>");
}

} // namespace

TEST(Decimal, ParsesPlainDecimalTextToItsCanonicalForm)
{
    const struct
    {
        const char *input;
        const char *canonical;
    } cases[] = {{"12.50", "12.5"},
                 {"12.5", "12.5"},
                 {"20.00", "20"},
                 {"020", "20"},
                 {"0.5", "0.5"},
                 {"0.10", "0.1"},
                 {"-3", "-3"},
                 {"+0.5", "0.5"},
                 {"-0", "0"},
                 {"-0.000", "0"},
                 {"  7.25\t\n", "7.25"},
                 {"-12.340", "-12.34"},
                 {"999999999999999999", "999999999999999999"},
                 {"-999999999999999999", "-999999999999999999"},
                 {"0.000000000000000001", "0.000000000000000001"},
                 {"123456.789012345678", "123456.789012345678"},
                 // Zeros that carry no value do not count towards the 18 digits.
                 {"000000000000000000000042", "42"},
                 {"1.500000000000000000000000", "1.5"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(canonical(Decimal::fromString(QString::fromUtf8(c.input))), c.canonical);
    }
}

TEST(Decimal, RefusesAnythingButPlainDecimalText)
{
    const char *const cases[] = {"", "   ", "-", "+", ".", ".5", "5.", "-.5", "1,000", "1,5", "1 000", "$5",
                                 "5$", "1e3", "1E3", "0x10", "NaN", "nan", "inf", "-inf", "Infinity", "- 5",
                                 "+-5", "--5", "1.2.3", "12.5abc", "1_000",
                                 "\xd9\xa1\xd9\xa2",         // Arabic-Indic digits
                                 "\xef\xbc\x91\xef\xbc\x92", // full-width digits
                                 // More than 18 significant digits or decimal places: refused, not rounded.
                                 "1000000000000000000", "-1000000000000000000", "9223372036854775807",
                                 "0.1234567890123456789", "0.0000000000000000001", "99999999999999999.99",
                                 "18446744073709551617", "123456789012345678901234567890"};
    for (const char *input : cases) {
        SCOPED_TRACE(input);
        EXPECT_EQ(canonical(Decimal::fromString(QString::fromUtf8(input))), "<none>");
    }
}

TEST(Decimal, MoneyTextHasTwoDecimalsRoundedHalfAwayFromZero)
{
    const struct
    {
        const char *value;
        const char *money;
    } cases[] = {{"12.5", "12.50"},
                 {"7", "7.00"},
                 {"1234.5", "1234.50"},
                 {"0", "0.00"},
                 {"0.1", "0.10"},
                 {"-0.5", "-0.50"},
                 {"-42", "-42.00"},
                 {"2.345", "2.35"},
                 {"-2.345", "-2.35"},
                 {"2.344999", "2.34"},
                 {"2.335", "2.34"},
                 {"0.005", "0.01"},
                 {"0.995", "1.00"},
                 {"-0.004", "0.00"},
                 {"0.000000000000000001", "0.00"},
                 {"999999999999999.995", "1000000000000000.00"},
                 {"999999999999999999", "999999999999999999.00"},
                 {"-99999999999999999.9", "-99999999999999999.90"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(dec(c.value).toMoneyString().toStdString(), c.money);
    }
}

TEST(Decimal, TextDoesNotFollowTheUserLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto parsed = Decimal::fromString(u"1234.5");
    const auto comma = Decimal::fromString(u"1234,5");
    const QString text = parsed ? parsed->toString() : QString();
    const QString money = parsed ? parsed->toMoneyString() : QString();
    QLocale::setDefault(previous);

    ASSERT_TRUE(parsed.has_value());
    EXPECT_FALSE(comma.has_value());
    EXPECT_EQ(text, QStringLiteral("1234.5"));
    EXPECT_EQ(money, QStringLiteral("1234.50"));
}

TEST(Decimal, EqualValuesCompareAndHashAlikeWhateverTheirText)
{
    EXPECT_EQ(dec("12.5"), dec("12.50"));
    EXPECT_EQ(dec("0"), dec("-0.00"));
    EXPECT_EQ(dec("20"), Decimal(20));
    EXPECT_NE(dec("1"), dec("1.00000000000000001"));
    EXPECT_EQ(qHash(dec("12.5")), qHash(dec("12.500")));
    EXPECT_EQ(qHash(dec("7"), 42), qHash(Decimal(7), 42));

    const QSet<Decimal> set{dec("12.5"), dec("12.50"), dec("012.5"), dec("12.05")};
    EXPECT_EQ(set.size(), 2);
    EXPECT_TRUE(Decimal().isZero());
    EXPECT_TRUE(dec("-0.0").isZero());
    EXPECT_FALSE(dec("0.000000000000000001").isZero());
}

TEST(Decimal, OrdersByValueAcrossDifferentNumbersOfDecimals)
{
    QList<Decimal> values{dec("10"),
                          dec("9.99"),
                          dec("-0.5"),
                          dec("0.000000000000000001"),
                          dec("0"),
                          dec("-999999999999999999"),
                          dec("999999999999999999"),
                          dec("9.9"),
                          dec("-0.49")};
    std::sort(values.begin(), values.end());
    QStringList texts;
    for (const Decimal &value : values)
        texts.append(value.toString());
    EXPECT_EQ(texts.join(QLatin1Char(' ')),
              QStringLiteral("-999999999999999999 -0.5 -0.49 0 0.000000000000000001 9.9 9.99 10 "
                             "999999999999999999"));
    EXPECT_TRUE(dec("12.5") <= dec("12.50"));
    EXPECT_TRUE(dec("12.5") >= dec("12.50"));
    EXPECT_LT(dec("99999999999999999.9"), dec("999999999999999999"));
}

TEST(Decimal, SumsAndProductsAreExact)
{
    EXPECT_EQ((dec("0.1") + dec("0.2")).toString(), QStringLiteral("0.3"));
    EXPECT_EQ((dec("10") + dec("2.5")).toString(), QStringLiteral("12.5"));
    EXPECT_EQ((dec("1.10") + dec("2.90")).toString(), QStringLiteral("4"));
    EXPECT_EQ((dec("12.5") - dec("12.50")).toString(), QStringLiteral("0"));
    EXPECT_EQ((dec("5") - dec("7.25")).toString(), QStringLiteral("-2.25"));
    EXPECT_EQ((dec("0.5") * 3).toString(), QStringLiteral("1.5"));
    EXPECT_EQ((4 * dec("0.25")).toString(), QStringLiteral("1"));
    EXPECT_EQ((Decimal(3) * -2).toString(), QStringLiteral("-6"));
    EXPECT_EQ((-dec("-1.5")).toString(), QStringLiteral("1.5"));
    EXPECT_EQ((dec("0.000000000000001") + dec("123")).toString(), QStringLiteral("123.000000000000001"));

    // A buyer total built the way the lists build it: start at zero, add each price.
    Decimal total;
    for (int i = 0; i < 1000; ++i)
        total += dec("0.01");
    EXPECT_EQ(total, Decimal(10));
}

TEST(Decimal, ResultsOutsideTheRangeAreRefusedNotWrappedOrRounded)
{
    const Decimal max = dec("999999999999999999");
    const Decimal tiny = dec("0.000000000000000001");
    constexpr qint64 int64Max = std::numeric_limits<qint64>::max();
    constexpr qint64 int64Min = std::numeric_limits<qint64>::min();

    EXPECT_FALSE(max.checkedAdd(Decimal(1)));
    EXPECT_FALSE((-max).checkedSubtract(Decimal(1)));
    EXPECT_FALSE(max.checkedAdd(dec("0.5"))); // would need a 19th digit
    EXPECT_FALSE(Decimal(1).checkedAdd(tiny));
    EXPECT_FALSE(max.checkedMultiply(2));
    EXPECT_FALSE(dec("0.5").checkedMultiply(int64Max));
    EXPECT_FALSE(Decimal(1).checkedMultiply(int64Min));
    EXPECT_FALSE(Decimal(-1).checkedMultiply(int64Min));

    EXPECT_EQ(canonical(max.checkedAdd(-max)), "0");
    EXPECT_EQ(canonical(max.checkedMultiply(-1)), "-999999999999999999");
    EXPECT_EQ(canonical(dec("0.000000000000000002").checkedMultiply(500000000000000000)), "1");
    EXPECT_EQ(canonical(Decimal().checkedMultiply(int64Min)), "0");

    Decimal value = max;
    EXPECT_THROW(value += tiny, quill::Error);
    EXPECT_THROW(value -= -max, quill::Error);
    EXPECT_THROW(value *= 10, quill::Error);
    EXPECT_EQ(value, max); // a failed operation leaves the operand as it was
    EXPECT_THROW((void)(max + max), quill::Error);

    EXPECT_EQ(canonical(Decimal::fromInteger(999999999999999999)), "999999999999999999");
    EXPECT_EQ(canonical(Decimal::fromInteger(-999999999999999999)), "-999999999999999999");
    EXPECT_EQ(canonical(Decimal::fromInteger(1000000000000000000)), "<none>");
    EXPECT_EQ(canonical(Decimal::fromInteger(int64Min)), "<none>");
}

TEST(Decimal, ReadsJsonNumbersByTheirShortestTextAndNumericStrings)
{
    const QJsonObject object = quill::json::parseObject(
        R"({"a": 12.5, "b": 0.1, "c": 12.50, "d": 7, "e": -3.25, "f": 1e2, "g": 1.5e-3,
            "h": 12345678901234567, "i": 0.30000000000000004, "j": 1e20, "k": 1e-20,
            "s1": "12.50", "s2": " -0.5 ", "s3": "1,5", "s4": "", "t": true, "n": null,
            "o": {}, "l": [1]})",
        QStringLiteral("test"));
    const struct
    {
        const char *key;
        const char *canonical;
    } cases[] = {{"a", "12.5"},
                 {"b", "0.1"},
                 {"c", "12.5"},
                 {"d", "7"},
                 {"e", "-3.25"},
                 {"f", "100"},
                 {"g", "0.0015"},
                 {"h", "12345678901234567"}, // beyond 2^53: kept exactly
                 {"i", "0.30000000000000004"},
                 {"j", "<none>"},
                 {"k", "<none>"},
                 {"s1", "12.5"},
                 {"s2", "-0.5"},
                 {"s3", "<none>"},
                 {"s4", "<none>"},
                 {"t", "<none>"},
                 {"n", "<none>"},
                 {"o", "<none>"},
                 {"l", "<none>"},
                 {"missing", "<none>"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(canonical(Decimal::fromJson(object.value(QLatin1String(c.key)))), c.canonical);
    }
}

TEST(Decimal, ObjectReaderHelpersNameTheKeyOnFailure)
{
    using quill::json::DecodeError;
    using quill::json::ObjectReader;
    const ObjectReader reader(quill::json::parseObject(
                                  R"({"price": "12.50", "amount": 3.5, "none": null, "flag": false,
                                      "bad": "12,50", "huge": 1e25})",
                                  QStringLiteral("test")),
                              QStringLiteral("auction"));

    EXPECT_EQ(quill::json::requiredDecimal(reader, QStringLiteral("price")), dec("12.5"));
    EXPECT_EQ(quill::json::requiredDecimal(reader, QStringLiteral("amount")), dec("3.5"));
    EXPECT_EQ(quill::json::optionalDecimal(reader, QStringLiteral("price")), dec("12.5"));
    EXPECT_FALSE(quill::json::optionalDecimal(reader, QStringLiteral("none")));
    EXPECT_FALSE(quill::json::optionalDecimal(reader, QStringLiteral("absent")));

    auto messageOf = [&](auto &&call) -> QString {
        try {
            call();
        } catch (const DecodeError &error) {
            return error.message();
        }
        return QStringLiteral("<no error>");
    };
    const struct
    {
        const char *key;
        bool required;
        const char *mentions;
    } failures[] = {{"absent", true, "auction.absent: required key is missing"},
                    {"none", true, "auction.none: required key is missing"},
                    {"flag", true, "auction.flag: expected a decimal"},
                    {"flag", false, "auction.flag: expected a decimal"},
                    {"bad", true, "auction.bad: \"12,50\" is not a decimal number"},
                    {"bad", false, "auction.bad: \"12,50\" is not a decimal number"},
                    {"huge", true, "auction.huge: 1e+25 cannot be held exactly"}};
    for (const auto &f : failures) {
        SCOPED_TRACE(std::string(f.key) + (f.required ? " (required)" : " (optional)"));
        const QString key = QLatin1String(f.key);
        const QString message = f.required
                                    ? messageOf([&] { (void)quill::json::requiredDecimal(reader, key); })
                                    : messageOf([&] { (void)quill::json::optionalDecimal(reader, key); });
        EXPECT_TRUE(message.startsWith(QString::fromUtf8(f.mentions))) << message.toStdString();
    }
}
