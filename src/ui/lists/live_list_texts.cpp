#include "ui/lists/live_list_texts.h"

#include "ui/lists/live_list_roles.h"

#include <QAbstractItemModel>
#include <QDateTime>

namespace quill {

QString dollarText(const std::optional<Decimal> &amount)
{
    return QLatin1Char('$') + (amount ? amount->toString() : QStringLiteral("—"));
}

QHash<int, QByteArray> liveListRoleNames()
{
    return {
        {Qt::DisplayRole, "display"},
        {LiveListRoles::recordId, "recordId"},
        {LiveListRoles::auction, "auction"},
        {LiveListRoles::buyer, "buyer"},
        {LiveListRoles::buyerAuctions, "buyerAuctions"},
        {LiveListRoles::buyerTotal, "buyerTotal"},
        {LiveListRoles::bidder, "bidder"},
        {LiveListRoles::hasWon, "hasWon"},
        {LiveListRoles::printJob, "printJob"},
    };
}

QString countText(qint64 count, const QString &noun)
{
    QString text = QString::number(count) + QLatin1Char(' ') + noun;
    if (count != 1)
        text += QLatin1Char('s');
    return text;
}

QString capturedText(qint64 count)
{
    return QStringLiteral("\u2014 %1 captured").arg(count);
}

QString auctionNumberText(qint64 number)
{
    return QLatin1Char('#') + QString::number(number);
}

QString highBidText(const Decimal &bid)
{
    return QStringLiteral("high $") + bid.toString();
}

QString ageText(qint64 seconds)
{
    if (seconds < 5)
        return QStringLiteral("just now");
    if (seconds < 60)
        return QString::number(seconds) + QStringLiteral("s ago");
    if (seconds < 3600)
        return QString::number(seconds / 60) + QStringLiteral("m ago");
    return QString::number(seconds / 3600) + QStringLiteral("h ago");
}

QString ageText(const QDateTime &then, const QDateTime &now)
{
    // Milliseconds divided toward zero, as the age is truncated.
    return ageText(then.msecsTo(now) / 1000);
}

QString oneLine(const QString &text)
{
    QString line = text;
    for (QChar &c : line)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator || c == QLatin1Char('\t') || c == QChar(0x0B) ||
            c == QChar(0x0C) || c == QChar(0x85))
            c = QLatin1Char(' ');
    return line;
}

} // namespace quill
