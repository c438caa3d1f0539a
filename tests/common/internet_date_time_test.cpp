#include "common/internet_date_time.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(InternetDateTimeTest, ReadsBothFormsAndRefusesEverythingElse)
{
    const QDateTime base(QDate(2026, 1, 15), QTime(18, 30, 5), QTimeZone::utc());
    struct Case
    {
        const char *text;
        std::optional<QDateTime> withFraction;
        std::optional<QDateTime> withoutFraction;
    };
    const Case cases[] = {
        {"2026-01-15T18:30:05Z", std::nullopt, base},
        {"2026-01-15T18:30:05.123Z", base.addMSecs(123), std::nullopt},
        {"2026-01-15T18:30:05.5Z", base.addMSecs(500), std::nullopt},
        {"2026-01-15T18:30:05.123456789Z", base.addMSecs(123), std::nullopt},
        {"2026-01-15T19:30:05+01:00", std::nullopt, base},
        {"2026-01-15T13:00:05-05:30", std::nullopt, base},
        {"2026-01-15", std::nullopt, std::nullopt},
        {"2026-01-15T18:30:05", std::nullopt, std::nullopt},
        {"2026-01-15t18:30:05z", std::nullopt, std::nullopt},
        {"2026-01-15 18:30:05Z", std::nullopt, std::nullopt},
        {" 2026-01-15T18:30:05Z", std::nullopt, std::nullopt},
        {"2026-02-30T18:30:05Z", std::nullopt, std::nullopt},
        {"2026-01-15T24:00:00Z", std::nullopt, std::nullopt},
        {"2026-01-15T18:30:60Z", std::nullopt, std::nullopt},
        {"2026-01-15T18:30:05+24:00", std::nullopt, std::nullopt},
        {"2026-01-15T18:30:05.Z", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"٢٠٢٦-01-15T18:30:05Z", std::nullopt, std::nullopt},
        {"2026-01-15T18:30:05Z\n", std::nullopt, std::nullopt},
        {"2026-01-15T18:30:05.123Z\n", std::nullopt, std::nullopt},
        {"2026-01-15T18:30:05+01:0", std::nullopt, std::nullopt},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(parseInternetDateTime(text, FractionalSeconds::required), c.withFraction) << c.text;
        EXPECT_EQ(parseInternetDateTime(text, FractionalSeconds::forbidden), c.withoutFraction) << c.text;
        EXPECT_EQ(parseInternetDateTime(text), c.withFraction ? c.withFraction : c.withoutFraction) << c.text;
    }
}

TEST(InternetDateTimeTest, WritesUtcWholeSecondsThatReadBack)
{
    const QDateTime moment(QDate(2026, 7, 4), QTime(23, 59, 58, 999), QTimeZone(2 * 3600));
    const QString text = formatInternetDateTime(moment);
    EXPECT_EQ(text, QStringLiteral("2026-07-04T21:59:58Z"));
    EXPECT_EQ(parseInternetDateTime(text), moment.addMSecs(-999));
    EXPECT_EQ(formatInternetDateTime(QDateTime()), QString());
}

} // namespace
} // namespace quill
