#include "ui/lists/buyer_group.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace quill {

namespace {

// UTF-16 order differs from code point order above the surrogates, so compare code points.
int compareCodePoints(QStringView a, QStringView b)
{
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() && j != b.end()) {
        char32_t x = i->unicode();
        char32_t y = j->unicode();
        if (QChar::isHighSurrogate(x) && i + 1 != a.end() && QChar::isLowSurrogate((i + 1)->unicode()))
            x = QChar::surrogateToUcs4(*i, *(i + 1)), ++i;
        if (QChar::isHighSurrogate(y) && j + 1 != b.end() && QChar::isLowSurrogate((j + 1)->unicode()))
            y = QChar::surrogateToUcs4(*j, *(j + 1)), ++j;
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i == a.end())
        return j == b.end() ? 0 : -1;
    return 1;
}

std::optional<Decimal> sumOf(const QList<CapturedAuction> &auctions)
{
    std::optional<Decimal> sum = Decimal();
    for (const CapturedAuction &auction : auctions) {
        sum = sum->checkedAdd(auction.salePrice);
        if (!sum)
            return std::nullopt;
    }
    return sum;
}

bool orderLess(const QString &composedA, const QString &a, const QString &composedB, const QString &b)
{
    const int composed = compareCodePoints(composedA, composedB);
    return composed != 0 ? composed < 0 : compareCodePoints(a, b) < 0;
}

} // namespace

bool buyerOrderLess(const QString &a, const QString &b)
{
    return orderLess(a.normalized(QString::NormalizationForm_C), a,
                     b.normalized(QString::NormalizationForm_C), b);
}

QList<BuyerGroup> buyerGroups(const QList<CapturedAuction> &auctions)
{
    QList<BuyerGroup> groups;
    QHash<QString, qsizetype> indexOf;
    for (const CapturedAuction &auction : auctions) {
        auto found = indexOf.constFind(auction.winnerUsername);
        if (found == indexOf.constEnd()) {
            found = indexOf.insert(auction.winnerUsername, groups.size());
            groups.append(BuyerGroup{auction.winnerUsername, {}, {}});
        }
        groups[*found].auctions.append(auction);
    }
    // Each name is composed once, not at every comparison.
    struct Keyed
    {
        QString composed;
        BuyerGroup *group;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(groups.size()));
    for (BuyerGroup &group : groups) {
        group.total = sumOf(group.auctions);
        keyed.push_back({group.buyer.normalized(QString::NormalizationForm_C), &group});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        return orderLess(a.composed, a.group->buyer, b.composed, b.group->buyer);
    });
    QList<BuyerGroup> ordered;
    ordered.reserve(groups.size());
    for (Keyed &entry : keyed)
        ordered.append(std::move(*entry.group));
    return ordered;
}

std::optional<Decimal> totalRevenue(const QList<CapturedAuction> &auctions)
{
    return sumOf(auctions);
}

QSet<QString> wonUsernames(const QList<CapturedAuction> &auctions)
{
    QSet<QString> names;
    names.reserve(auctions.size());
    for (const CapturedAuction &auction : auctions)
        names.insert(auction.winnerUsername);
    return names;
}

} // namespace quill
