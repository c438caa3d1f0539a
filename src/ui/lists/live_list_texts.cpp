#include "ui/lists/live_list_texts.h"

#include "ui/lists/live_list_roles.h"

#include <QAbstractItemModel>

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
    };
}

} // namespace quill
