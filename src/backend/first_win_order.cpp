#include "backend/first_win_order.h"

#include "common/internet_date_time.h"

#include <QDateTime>
#include <algorithm>
#include <optional>

namespace quill {

namespace {

std::optional<qint64> createdAtMSecs(const QString &text)
{
    // The backend's own form is read by hand; Qt's reading decides everything else.
    // Three digits of fraction or none: Qt rounds longer fractions, the hand reading cuts them.
    const qsizetype fraction = text.indexOf(QLatin1Char('.'));
    if (fraction < 0 || (fraction + 4 < text.size() && !text.at(fraction + 4).isDigit())) {
        if (const auto moment = parseInternetDateTime(text))
            return moment->toMSecsSinceEpoch();
    }
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid())
        time = QDateTime::fromString(text, Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    return time.toMSecsSinceEpoch();
}

using Keyed = std::pair<std::optional<qint64>, qsizetype>;

// Positions sorted by their creation time with `before`; the sort is stable, so
// equal times keep the backend's order.
template <typename Before>
QList<qsizetype> orderByCreation(const QList<ServerAuction> &auctions, Before before)
{
    QList<Keyed> keyed;
    keyed.reserve(auctions.size());
    for (qsizetype i = 0; i < auctions.size(); ++i)
        keyed.append({createdAtMSecs(auctions.at(i).createdAt), i});
    std::stable_sort(keyed.begin(), keyed.end(), before);
    QList<qsizetype> order;
    order.reserve(keyed.size());
    for (const auto &entry : std::as_const(keyed))
        order.append(entry.second);
    return order;
}

} // namespace

QList<qsizetype> firstWinOrder(const QList<ServerAuction> &auctions)
{
    return orderByCreation(auctions, [](const Keyed &a, const Keyed &b) {
        if (!a.first || !b.first)
            return a.first.has_value() && !b.first.has_value();
        return *a.first < *b.first;
    });
}

QList<qsizetype> newestFirstOrder(const QList<ServerAuction> &auctions)
{
    return orderByCreation(auctions, [](const Keyed &a, const Keyed &b) {
        if (!a.first || !b.first)
            return !a.first.has_value() && b.first.has_value();
        return *a.first > *b.first;
    });
}

QList<ServerAuction> inFirstWinOrder(QList<ServerAuction> auctions)
{
    QList<ServerAuction> ordered;
    ordered.reserve(auctions.size());
    for (const qsizetype index : firstWinOrder(auctions))
        ordered.append(std::move(auctions[index]));
    return ordered;
}

} // namespace quill
