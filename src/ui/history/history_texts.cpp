#include "ui/history/history_texts.h"

#include "backend/first_win_order.h"
#include "common/internet_date_time.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace quill {

QColor statusColor(const QString &status)
{
    if (status == QLatin1String("live"))
        return brandGreenColor();
    if (status == QLatin1String("completed"))
        return systemColor(SystemColor::blue);
    if (status == QLatin1String("draft"))
        return systemColor(SystemColor::orange);
    return secondaryTextColor();
}

QString capitalizedWords(const QString &text)
{
    QString out = text.toLower();
    bool wordStart = true;
    for (QChar &ch : out) {
        if (ch.isSpace()) {
            wordStart = true;
        } else if (wordStart) {
            ch = ch.toUpper();
            wordStart = false;
        }
    }
    return out;
}

QList<ShowSummary> orderedShows(QList<ShowSummary> shows)
{
    struct Keyed
    {
        const ShowSummary *show;
        bool live;
        std::optional<qint64> moment;
    };
    QList<Keyed> keyed;
    keyed.reserve(shows.size());
    for (const ShowSummary &show : std::as_const(shows)) {
        std::optional<qint64> moment;
        if (const auto parsed = parseInternetDateTime(show.createdAt))
            moment = parsed->toMSecsSinceEpoch();
        keyed.append({&show, show.status == QLatin1String("live"), moment});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (a.live != b.live)
            return a.live;
        if (a.moment && b.moment)
            return *a.moment > *b.moment;
        return a.show->createdAt > b.show->createdAt;
    });
    QList<ShowSummary> out;
    out.reserve(keyed.size());
    for (const Keyed &entry : std::as_const(keyed))
        out.append(*entry.show);
    return out;
}

namespace {

// The locale's medium date: its long date with abbreviated month names and no weekday
// ("Jan 15, 2026" in en_US, "15 Jan 2026" in en_GB).
QString mediumDateFormat(const QLocale &locale)
{
    // A list formats a thousand dates in one locale: work the format out once.
    thread_local QLocale cachedLocale(QLocale::C);
    thread_local QString cachedFormat;
    if (!cachedFormat.isEmpty() && cachedLocale == locale)
        return cachedFormat;
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("d{4}[,.]?\\s*"));
    format.remove(weekday);
    format.replace(QLatin1String("MMMM"), QLatin1String("MMM"));
    cachedLocale = locale;
    cachedFormat = format.trimmed();
    return cachedFormat;
}

QString shortTimeFormat(const QLocale &locale)
{
    thread_local QLocale cachedLocale(QLocale::C);
    thread_local QString cachedFormat;
    if (cachedFormat.isEmpty() || cachedLocale != locale) {
        cachedLocale = locale;
        cachedFormat = locale.timeFormat(QLocale::ShortFormat);
    }
    return cachedFormat;
}

std::optional<qint64> secondsBetween(const std::optional<QString> &start, const std::optional<QString> &end)
{
    if (!start || !end)
        return std::nullopt;
    const auto from = parseInternetDateTime(*start);
    const auto to = parseInternetDateTime(*end);
    if (!from || !to)
        return std::nullopt;
    const qint64 ms = from->msecsTo(*to);
    if (ms <= 0)
        return std::nullopt;
    return ms / 1000;
}

} // namespace

QString showRowDateText(const QString &createdAt, const QLocale &locale, const QTimeZone &zone)
{
    const auto moment = parseInternetDateTime(createdAt);
    if (!moment)
        return createdAt;
    const QDateTime local = moment->toTimeZone(zone);
    QString text = locale.toString(local.date(), mediumDateFormat(locale));
    text += QStringLiteral(", ");
    text += locale.toString(local.time(), shortTimeFormat(locale));
    return text;
}

std::optional<QString> showHeaderDateText(const QString &createdAt, const QLocale &locale, const QTimeZone &zone)
{
    const auto moment = parseInternetDateTime(createdAt);
    if (!moment)
        return std::nullopt;
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("d{4}[,.]?\\s*"));
    format.remove(weekday);
    return locale.toString(moment->toTimeZone(zone).date(), format.trimmed());
}

std::optional<QString> showDurationText(const std::optional<QString> &startedAt,
                                        const std::optional<QString> &endedAt)
{
    const auto seconds = secondsBetween(startedAt, endedAt);
    if (!seconds)
        return std::nullopt;
    const qint64 s = *seconds;
    const qint64 h = s / 3600;
    const qint64 m = (s % 3600) / 60;
    if (s < 3600)
        return QString::number(m) + QLatin1Char('m');
    return QString::number(h) + QStringLiteral("h ") + QString::number(m) + QLatin1Char('m');
}

std::optional<Decimal> plainAmount(const QString &text)
{
    if (text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return std::nullopt;
    return Decimal::fromString(text);
}

QString formatRevenue(const QString &revenue)
{
    if (const auto amount = plainAmount(revenue))
        return QLatin1Char('$') + amount->toMoneyString();
    return QLatin1Char('$') + revenue;
}

std::optional<QString> averageSaleText(const QString &revenue, qint64 auctionCount)
{
    const auto amount = plainAmount(revenue);
    if (auctionCount < 1 || !amount)
        return std::nullopt;
    return QLatin1Char('$') + QString::asprintf("%.2f", amount->toDouble() / double(auctionCount));
}

QString auctionSubtitle(const ServerAuction &auction, const QString &prefix)
{
    QStringList parts;
    if (auction.auctionNumber)
        parts.append(prefix + QString::number(*auction.auctionNumber));
    if (auction.rawTitle)
        parts.append(*auction.rawTitle);
    return parts.join(QStringLiteral(" \u00B7 "));
}

QString itemCountText(qsizetype count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" item") : QStringLiteral(" items"));
}

QString packingSlipsCountText(qint64 buyerCount, qint64 auctionCount)
{
    return QString::number(buyerCount) + (buyerCount == 1 ? QStringLiteral(" buyer") : QStringLiteral(" buyers")) +
           QStringLiteral(" \u00B7 ") + QString::number(auctionCount) +
           (auctionCount == 1 ? QStringLiteral(" auction") : QStringLiteral(" auctions")) +
           QStringLiteral(" to pack");
}

QHash<QString, int> boxNumberMap(const QList<ServerAuction> &auctions)
{
    QHash<QString, int> map;
    for (const qsizetype index : firstWinOrder(auctions)) {
        const QString &winner = auctions.at(index).winnerUsername;
        if (!map.contains(winner))
            map.insert(winner, int(map.size()) + 1);
    }
    return map;
}

namespace {

// Compatibility decomposition without the combining marks, then case folding.
QString foldedRun(QStringView text)
{
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar ch : decomposed) {
        const auto category = ch.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing)
            continue;
        out.append(ch);
    }
    return out.toCaseFolded();
}

} // namespace

QString foldedForSearch(const QString &text)
{
    // ASCII needs neither decomposition nor more than lower case, and the decomposition
    // never reaches across an ASCII character: only the runs between them take the long way.
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80) {
            out.append(QChar(c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c));
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < text.size() && text.at(end).unicode() >= 0x80)
            ++end;
        out.append(foldedRun(QStringView(text).mid(i, end - i)));
        i = end;
    }
    return out;
}

namespace {

double fitScale(const LabelMedia &media, Orientation orientation, double boxWidth, double boxHeight, double cap)
{
    const QSizeF inches = labelSizeInches(media, orientation);
    const double width = inches.width() * 72.0;
    const double height = inches.height() * 72.0;
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
        return 1.0;
    return std::min({boxWidth / width, boxHeight / height, cap});
}

} // namespace

double labelPreviewScale(const LabelMedia &media, Orientation orientation)
{
    return fitScale(media, orientation, 280.0, 360.0, 2.5);
}

double packingSlipPreviewScale(const LabelMedia &media, Orientation orientation)
{
    return fitScale(media, orientation, 420.0, 540.0, 3.75);
}

} // namespace quill
