// Box numbers follow the order of first wins: the backend's auctions sorted by
// creation time, ties and unreadable times keeping the backend's order.
#include "backend/first_win_order.h"

#include <gtest/gtest.h>

using namespace quill;

namespace {

ServerAuction auction(const char *id, const char *createdAt)
{
    ServerAuction a;
    a.id = QString::fromLatin1(id);
    a.createdAt = QString::fromLatin1(createdAt);
    return a;
}

QStringList ids(const QList<ServerAuction> &auctions)
{
    QStringList out;
    for (const ServerAuction &a : auctions)
        out.append(a.id);
    return out;
}

TEST(FirstWinOrder, OldestFirstWithTiesAndUnreadableTimesInTheBackendsOrder)
{
    const QList<ServerAuction> answer{
        auction("late", "2026-03-05T11:00:09Z"),      auction("bad", "yesterday"),
        auction("tie-a", "2026-03-05T11:00:02.500Z"), auction("early", "2026-03-05T10:59:59+01:00"),
        auction("tie-b", "2026-03-05T11:00:02.500Z"), auction("empty", ""),
    };
    EXPECT_EQ(ids(inFirstWinOrder(answer)), QStringList({"early", "tie-a", "tie-b", "late", "bad", "empty"}));
    EXPECT_TRUE(inFirstWinOrder({}).isEmpty());
}

} // namespace
