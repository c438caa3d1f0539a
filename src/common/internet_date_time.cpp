#include "common/internet_date_time.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace quill {

namespace {

const QRegularExpression &pattern()
{
    static const QRegularExpression expression(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2}):(\d{2})(\.(\d+))?(Z|([+-])(\d{2}):(\d{2}))$)"));
    return expression;
}

} // namespace

std::optional<QDateTime> parseInternetDateTime(QStringView text, FractionalSeconds fraction)
{
    const QRegularExpressionMatch match = pattern().match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const bool hasFraction = match.hasCaptured(7);
    if (hasFraction != (fraction == FractionalSeconds::required))
        return std::nullopt;
    const auto number = [&match](int group) { return match.capturedView(group).toInt(); };

    const QDate date(number(1), number(2), number(3));
    if (!date.isValid())
        return std::nullopt;
    // Leap seconds are not representable; they are refused like any other impossible time.
    int milliseconds = 0;
    if (hasFraction) {
        const QStringView digits = match.capturedView(8);
        milliseconds = digits.left(3).toInt();
        for (qsizetype i = digits.size(); i < 3; ++i)
            milliseconds *= 10;
    }
    const QTime time(number(4), number(5), number(6), milliseconds);
    if (!time.isValid())
        return std::nullopt;

    int offsetSeconds = 0;
    if (match.capturedView(9) != u"Z") {
        const int hours = number(11);
        const int minutes = number(12);
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 60 + minutes) * 60;
        if (match.capturedView(10) == u"-")
            offsetSeconds = -offsetSeconds;
    }
    const QDateTime moment(date, time, QTimeZone(offsetSeconds));
    if (!moment.isValid())
        return std::nullopt;
    return moment.toUTC();
}

std::optional<QDateTime> parseInternetDateTime(QStringView text)
{
    if (auto moment = parseInternetDateTime(text, FractionalSeconds::required))
        return moment;
    return parseInternetDateTime(text, FractionalSeconds::forbidden);
}

QString formatInternetDateTime(const QDateTime &moment)
{
    if (!moment.isValid())
        return {};
    QDateTime utc = moment.toUTC();
    utc.setTime(QTime(utc.time().hour(), utc.time().minute(), utc.time().second()));
    return utc.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + u'Z';
}

} // namespace quill
