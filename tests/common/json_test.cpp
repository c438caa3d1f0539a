#include "common/decimal.h"
#include "common/json.h"

#include <gtest/gtest.h>
#include <limits>

using quill::Decimal;
using quill::json::DecodeError;
using quill::json::ObjectReader;

namespace {

QString parseError(const QByteArray &text)
{
    try {
        quill::json::parseObject(text, QStringLiteral("The answer"));
    } catch (const DecodeError &error) {
        return error.message();
    }
    return {};
}

// Numbers whose double is not the number written: reading them would round, so
// the whole text is refused and the message names the number.
TEST(JsonNumbers, ThatADoubleCannotHoldAreRefusedNotRounded)
{
    const char *const refused[] = {
        "12345678901234567.89",           // read as 12345678901234568
        "0.30000000000000001",            // read as 0.3
        "9007199254740993.0",             // 2^53 + 1 written as a fraction
        "18446744073709551616",           // beyond 64 bits: a double
        "9223372036854775808",            // 2^63
        "-9223372036854775809",           // below the 64-bit range
        "1.00000000000000000001",         // read as 1
        "123456789012345678901234567890", // 30 digits
        "1.23456789012345678e-5",         // more digits than the double keeps
        "1.152921504606847e18",           // read as the integer 1152921504606846976
    };
    for (const char *number : refused) {
        SCOPED_TRACE(number);
        const QString message = parseError(QByteArray(R"({"a": "0.1", "salePrice": )") + number + "}");
        EXPECT_TRUE(
            message.startsWith(QStringLiteral("The answer holds the number ") + QLatin1String(number)))
            << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("without rounding"))) << message.toStdString();
    }
    // Inside an array and after escaped quotes too.
    EXPECT_FALSE(parseError(R"({"s": "a\"b", "l": [1, 0.30000000000000001]})").isEmpty());
    EXPECT_THROW(quill::json::parseArray("[0.30000000000000001]", QStringLiteral("x")), DecodeError);
}

TEST(JsonNumbers, ThatReadBackExactlyAreKept)
{
    const struct
    {
        const char *text;
        const char *decimal;
    } kept[] = {
        {"12.5", "12.5"},
        {"12.50", "12.5"},
        {"0.3", "0.3"},
        {"0.1", "0.1"},
        {"1e2", "100"},
        {"1E+2", "100"},
        {"-0.5", "-0.5"},
        {"-0", "0"},
        {"0.30000000000000004", "0.30000000000000004"},
        {"12345678901234567", "12345678901234567"},
        {"999999999999999999", "999999999999999999"},
        {"1.2345678901234568e16", "12345678901234568"},
        {"0.000001", "0.000001"},
    };
    for (const auto &c : kept) {
        SCOPED_TRACE(c.text);
        QJsonObject object;
        ASSERT_NO_THROW(object = quill::json::parseObject(QByteArray(R"({"v": )") + c.text + "}",
                                                          QStringLiteral("The answer")));
        const ObjectReader reader(object);
        EXPECT_EQ(quill::json::requiredDecimal(reader, QStringLiteral("v")).toString(),
                  QLatin1String(c.decimal));
    }
    // Number-like text inside strings is no number; doubles at the ends of the range are exact.
    EXPECT_TRUE(parseError(R"({"s": "0.30000000000000001", "t": "x\\", "u": "\"1e999"})").isEmpty());
    EXPECT_TRUE(
        parseError(R"({"a": 5e-324, "b": 1.7976931348623157e308, "c": [true, false, null]})").isEmpty());
}

TEST(JsonNumbers, IntegersCoverTheWhole64BitRange)
{
    const ObjectReader reader(
        quill::json::parseObject(R"({"max": 9223372036854775807, "min": -9223372036854775808, "whole": 2.0,
                                     "exp": 1e3, "half": 2.5, "big": 1e19, "text": "7"})",
                                 QStringLiteral("test")),
        QStringLiteral("show"));
    EXPECT_EQ(reader.requiredInteger(QStringLiteral("max")), std::numeric_limits<qint64>::max());
    EXPECT_EQ(reader.requiredInteger(QStringLiteral("min")), std::numeric_limits<qint64>::min());
    EXPECT_EQ(reader.optionalInteger(QStringLiteral("max")), std::numeric_limits<qint64>::max());
    EXPECT_EQ(reader.requiredInteger(QStringLiteral("whole")), 2);
    EXPECT_EQ(reader.requiredInteger(QStringLiteral("exp")), 1000);

    const struct
    {
        const char *key;
        const char *message;
    } refused[] = {{"half", "show.half: expected an integer, found 2.5"},
                   {"big", "show.big: expected an integer, found 1e+19"},
                   {"text", "show.text: expected an integer, found a string"}};
    for (const auto &c : refused) {
        SCOPED_TRACE(c.key);
        try {
            reader.requiredInteger(QLatin1String(c.key));
            ADD_FAILURE() << "read";
        } catch (const DecodeError &error) {
            EXPECT_EQ(error.message(), QLatin1String(c.message));
        }
    }
}

} // namespace
