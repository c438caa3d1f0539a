#include "backend/first_win_order.h"

#include <QDateTime>
#include <algorithm>
#include <optional>

namespace quill {

namespace {

std::optional<qint64> createdAtMSecs(const QString &text)
{
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid())
        time = QDateTime::fromString(text, Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    return time.toMSecsSinceEpoch();
}

} // namespace

QList<ServerAuction> inFirstWinOrder(QList<ServerAuction> auctions)
{
    QList<std::pair<std::optional<qint64>, ServerAuction>> keyed;
    keyed.reserve(auctions.size());
    for (ServerAuction &auction : auctions) {
        std::optional<qint64> at = createdAtMSecs(auction.createdAt);
        keyed.append({at, std::move(auction)});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
        if (!a.first || !b.first)
            return a.first.has_value() && !b.first.has_value();
        return *a.first < *b.first;
    });
    QList<ServerAuction> ordered;
    ordered.reserve(keyed.size());
    for (auto &entry : keyed)
        ordered.append(std::move(entry.second));
    return ordered;
}

} // namespace quill
