#include "common/internet_date_time.h"

#include <QTimeZone>

namespace quill {

namespace {

// The `count` ASCII digits at `at` as a number; false when one is not a digit.
bool readDigits(QStringView text, qsizetype at, qsizetype count, int &out)
{
    out = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        out = out * 10 + int(c - u'0');
    }
    return true;
}

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

} // namespace

// Read by hand rather than by a regular expression: lists read thousands of these.
std::optional<QDateTime> parseInternetDateTime(QStringView text, FractionalSeconds fraction)
{
    // yyyy-MM-ddTHH:mm:ss, then ".digits" or not, then "Z" or "+HH:mm" / "-HH:mm".
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (text.size() < 20 || !readDigits(text, 0, 4, year) || text[4] != u'-' || !readDigits(text, 5, 2, month) ||
        text[7] != u'-' || !readDigits(text, 8, 2, day) || text[10] != u'T' || !readDigits(text, 11, 2, hour) ||
        text[13] != u':' || !readDigits(text, 14, 2, minute) || text[16] != u':' ||
        !readDigits(text, 17, 2, second))
        return std::nullopt;
    qsizetype at = 19;
    const bool hasFraction = text[at] == u'.';
    if (hasFraction != (fraction == FractionalSeconds::required))
        return std::nullopt;
    int milliseconds = 0;
    if (hasFraction) {
        const qsizetype first = ++at;
        while (at < text.size() && isDigit(text[at]))
            ++at;
        if (at == first)
            return std::nullopt;
        // Milliseconds: the first three digits, the ones after them cut off.
        for (qsizetype i = first; i < first + 3; ++i)
            milliseconds = milliseconds * 10 + (i < at ? int(text[i].unicode() - u'0') : 0);
    }

    int offsetSeconds = 0;
    if (at < text.size() && text[at] == u'Z') {
        ++at;
    } else if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        int hours = 0, minutes = 0;
        if (at + 6 > text.size() || !readDigits(text, at + 1, 2, hours) || text[at + 3] != u':' ||
            !readDigits(text, at + 4, 2, minutes))
            return std::nullopt;
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 60 + minutes) * 60;
        if (text[at] == u'-')
            offsetSeconds = -offsetSeconds;
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;

    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    // Leap seconds are not representable; they are refused like any other impossible time.
    const QTime time(hour, minute, second, milliseconds);
    if (!time.isValid())
        return std::nullopt;
    const QDateTime moment = QDateTime(date, time, Qt::UTC).addSecs(-offsetSeconds);
    if (!moment.isValid())
        return std::nullopt;
    return moment;
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
