// The side panel's figures and its three lists over a real poller and tracker: grouping,
// order, totals, won marks, the empty-state rule, and the row updates views receive.
#include "fake_sleeper.h"
#include "side_panel_feed.h"
#include "ui/lists/bidders_list_model.h"
#include "ui/lists/buyer_group.h"
#include "ui/lists/buyers_list_model.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/sold_list_model.h"
#include "ui/live/live_side_panel_controller.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace quill::testing {
namespace {

class SidePanelLists : public ::testing::Test
{
protected:
    QStringList column(const QAbstractItemModel &model, int role)
    {
        QStringList out;
        for (int row = 0; row < model.rowCount(); ++row)
            out.append(model.index(row, 0).data(role).toString());
        return out;
    }
    QList<bool> wonMarks()
    {
        QList<bool> out;
        for (int row = 0; row < m_panel.biddersModel().rowCount(); ++row)
            out.append(m_panel.biddersModel().index(row, 0).data(LiveListRoles::hasWon).toBool());
        return out;
    }
    QStringList titles()
    {
        QStringList out;
        for (LiveTab tab : allLiveTabs)
            out.append(m_panel.tabTitle(tab));
        return out;
    }

    FakeSleeper m_sleeper;
    AuctionPoller m_poller{m_sleeper};
    BidderTracker m_tracker{m_sleeper};
    LiveSidePanelController m_panel{m_poller, m_tracker};
};

TEST_F(SidePanelLists, BuyersAreGroupedByExactNameInCodePointOrderWithExactTotals)
{
    win(m_poller, QStringLiteral("Zulu"), QStringLiteral("10"), 1);
    win(m_poller, QStringLiteral("alpha"), QStringLiteral("4"), 2);
    win(m_poller, QStringLiteral("Zulu"), QStringLiteral("2.5"), 3);
    bidders(m_tracker,
            {QStringLiteral("zulu"), QStringLiteral("Zulu"), QStringLiteral("alpha"), QStringLiteral("bo")});

    EXPECT_EQ(titles(), (QStringList{"Sold (3)", "Buyers (2)", "Bidders (4)"}));
    EXPECT_EQ(m_panel.tabSubtitle(LiveTab::sold), QStringLiteral("$16.5"));
    EXPECT_EQ(m_panel.tabSubtitle(LiveTab::buyers), std::nullopt);
    EXPECT_EQ(m_panel.tabSubtitle(LiveTab::bidders), std::nullopt);

    const QList<BuyerGroup> &groups = m_panel.buyersModel().groups();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0].buyer, "Zulu");
    EXPECT_EQ(groups[0].total, Decimal::fromString(u"12.5"));
    ASSERT_EQ(groups[0].auctions.size(), 2);
    // Within a group the wins keep the Sold list's order: newest first.
    EXPECT_EQ(groups[0].auctions[0].salePrice, Decimal::fromString(u"2.5"));
    EXPECT_EQ(groups[1].buyer, "alpha");
    EXPECT_EQ(groups[1].total, Decimal(4));
    EXPECT_EQ(column(m_panel.buyersModel(), Qt::DisplayRole),
              (QStringList{"Zulu · 2 items · $12.5", "alpha · 1 item · $4"}));
    EXPECT_EQ(
        m_panel.buyersModel().index(0, 0).data(LiveListRoles::buyerTotal).value<std::optional<Decimal>>(),
        Decimal::fromString(u"12.5"));
    EXPECT_EQ(column(m_panel.soldModel(), LiveListRoles::recordId),
              (QStringList{"Zulu-2.5-3", "alpha-4-2", "Zulu-10-1"}));

    // Only the exact name carries the won mark.
    EXPECT_EQ(wonMarks(), (QList<bool>{false, true, true, false}));
    win(m_poller, QStringLiteral("zulu"), QStringLiteral("1"), 4);
    EXPECT_EQ(wonMarks(), (QList<bool>{true, true, true, false}));
    EXPECT_EQ(column(m_panel.buyersModel(), LiveListRoles::buyer), (QStringList{"Zulu", "alpha", "zulu"}));
    EXPECT_EQ(m_panel.tabTitle(LiveTab::buyers), "Buyers (3)");
}

TEST_F(SidePanelLists, BuyerOrderIsByCodePointOfTheComposedName)
{
    struct Case
    {
        QString before, after;
    };
    const QList<Case> cases{
        {QStringLiteral("Zulu"), QStringLiteral("alpha")},
        {QStringLiteral("al"), QStringLiteral("alpha")},
        // e + combining acute composes to U+00E9, after "f".
        {QStringLiteral("f"), QStringLiteral("e\u0301")},
        // U+1F600 lies above U+FFFD although its UTF-16 units sort below.
        {QString(QChar(0xFFFD)), QString::fromUcs4(U"\U0001F600")},
        // Equal once composed: a fixed order by the names themselves.
        {QStringLiteral("e\u0301"), QStringLiteral("\u00e9")},
    };
    for (const Case &c : cases) {
        EXPECT_TRUE(buyerOrderLess(c.before, c.after))
            << c.before.toStdString() << " < " << c.after.toStdString();
        EXPECT_FALSE(buyerOrderLess(c.after, c.before)) << c.after.toStdString();
    }
    EXPECT_FALSE(buyerOrderLess(QStringLiteral("a"), QStringLiteral("a")));
}

TEST_F(SidePanelLists, EmptyStateOnlyWhileNothingAtAllWasCaptured)
{
    EXPECT_TRUE(m_panel.showsEmptyState());
    EXPECT_EQ(titles(), (QStringList{"Sold (0)", "Buyers (0)", "Bidders (0)"}));
    EXPECT_EQ(m_panel.tabSubtitle(LiveTab::sold), QStringLiteral("$0"));

    QSignalSpy figures(&m_panel, &LiveSidePanelController::figuresChanged);
    bidders(m_tracker, {QStringLiteral("ann")});
    EXPECT_FALSE(m_panel.showsEmptyState());
    EXPECT_EQ(titles(), (QStringList{"Sold (0)", "Buyers (0)", "Bidders (1)"}));
    EXPECT_EQ(wonMarks(), QList<bool>{false});
    EXPECT_EQ(figures.count(), 1);

    m_tracker.reset();
    EXPECT_TRUE(m_panel.showsEmptyState());
    win(m_poller, QStringLiteral("ann"), QStringLiteral("3"), 1);
    EXPECT_FALSE(m_panel.showsEmptyState());
    EXPECT_EQ(titles(), (QStringList{"Sold (1)", "Buyers (1)", "Bidders (0)"}));

    m_poller.reset();
    EXPECT_TRUE(m_panel.showsEmptyState());
    EXPECT_EQ(m_panel.soldModel().rowCount(), 0);
    EXPECT_EQ(m_panel.buyersModel().rowCount(), 0);
    EXPECT_EQ(m_panel.tabSubtitle(LiveTab::sold), QStringLiteral("$0"));
}

TEST_F(SidePanelLists, RestoredAuctionsFollowThePageCapturesAndCount)
{
    win(m_poller, QStringLiteral("ann"), QStringLiteral("5"), 9);
    ServerAuction restored;
    restored.winnerUsername = QStringLiteral("ann");
    restored.salePrice = QStringLiteral("0.1");
    restored.auctionNumber = 2;
    ServerAuction other = restored;
    other.winnerUsername = QStringLiteral("bea");
    other.salePrice = QStringLiteral("0.2");
    other.auctionNumber = 1;
    QSignalSpy inserted(&m_panel.soldModel(), &QAbstractItemModel::rowsInserted);
    m_poller.ingest(QList<ServerAuction>{restored, other});

    EXPECT_EQ(column(m_panel.soldModel(), LiveListRoles::recordId),
              (QStringList{"ann-5-9", "ann-0.1-2", "bea-0.2-1"}));
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(m_panel.tabSubtitle(LiveTab::sold), QStringLiteral("$5.3"));
    EXPECT_EQ(column(m_panel.buyersModel(), Qt::DisplayRole),
              (QStringList{"ann · 2 items · $5.1", "bea · 1 item · $0.2"}));
}

TEST_F(SidePanelLists, ViewsAreToldOnlyWhatChanged)
{
    for (int i = 0; i < 6; ++i)
        win(m_poller, QStringLiteral("b%1").arg(i * 2), QStringLiteral("1"), i + 1);
    bidders(m_tracker, {QStringLiteral("b3"), QStringLiteral("b2"), QStringLiteral("x")});

    std::vector<std::unique_ptr<QSignalSpy>> resets;
    for (QAbstractItemModel *model : std::initializer_list<QAbstractItemModel *>{
             &m_panel.soldModel(), &m_panel.buyersModel(), &m_panel.biddersModel()})
        resets.push_back(std::make_unique<QSignalSpy>(model, &QAbstractItemModel::modelReset));
    QSignalSpy soldInserted(&m_panel.soldModel(), &QAbstractItemModel::rowsInserted);
    QSignalSpy buyersInserted(&m_panel.buyersModel(), &QAbstractItemModel::rowsInserted);
    QSignalSpy buyersChanged(&m_panel.buyersModel(), &QAbstractItemModel::dataChanged);
    QSignalSpy biddersChanged(&m_panel.biddersModel(), &QAbstractItemModel::dataChanged);
    QSignalSpy soldChanged(&m_panel.soldModel(), &QAbstractItemModel::dataChanged);

    // A new buyer: one row on top of Sold, one in its place among the buyers, one won mark.
    win(m_poller, QStringLiteral("b3"), QStringLiteral("2"), 7);
    ASSERT_EQ(soldInserted.count(), 1);
    EXPECT_EQ(soldInserted[0][1].toInt(), 0);
    EXPECT_EQ(soldInserted[0][2].toInt(), 0);
    ASSERT_EQ(buyersInserted.count(), 1);
    EXPECT_EQ(buyersInserted[0][1].toInt(), 3); // b0 b10 b2 | b3
    EXPECT_EQ(buyersChanged.count(), 0);
    ASSERT_EQ(biddersChanged.count(), 1);
    EXPECT_EQ(biddersChanged[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(biddersChanged[0][1].toModelIndex().row(), 0);
    EXPECT_EQ(soldChanged.count(), 0);

    // Another win of a known buyer changes that buyer's row only.
    win(m_poller, QStringLiteral("b2"), QStringLiteral("3"), 8);
    ASSERT_EQ(buyersChanged.count(), 1);
    EXPECT_EQ(buyersChanged[0][0].toModelIndex().row(), 2);
    EXPECT_EQ(buyersInserted.count(), 1);
    EXPECT_EQ(biddersChanged.count(), 1);

    // A printed mark is a change of that one auction.
    ASSERT_TRUE(m_poller.markPrinted(QStringLiteral("b3-2-7")));
    ASSERT_EQ(soldChanged.count(), 1);
    EXPECT_EQ(soldChanged[0][0].toModelIndex().row(), 1);
    EXPECT_TRUE(
        m_panel.soldModel().index(1, 0).data(LiveListRoles::auction).value<CapturedAuction>().isPrinted);

    for (const auto &spy : resets)
        EXPECT_EQ(spy->count(), 0);
}

TEST_F(SidePanelLists, ResortedBiddersKeepTheModelInStepWithTheTracker)
{
    bidders(m_tracker, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    bidders(m_tracker, {QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("e"), QStringLiteral("d")});
    EXPECT_EQ(column(m_panel.biddersModel(), LiveListRoles::recordId), (QStringList{"c", "a", "e", "d"}));
    EXPECT_EQ(column(m_panel.biddersModel(), Qt::DisplayRole),
              (QStringList{"c · 4 bids", "a · 3 bids", "e · 2 bids", "d · 1 bid"}));
    bidders(m_tracker, {});
    EXPECT_EQ(m_panel.biddersModel().rowCount(), 0);
}

TEST_F(SidePanelLists, RevenueTooLargeForADecimalIsShownAsUnknownNotThrown)
{
    win(m_poller, QStringLiteral("ann"), QStringLiteral("999999999999999999"), 1);
    win(m_poller, QStringLiteral("ann"), QStringLiteral("999999999999999999"), 2);
    EXPECT_EQ(m_panel.totalRevenue(), std::nullopt);
    EXPECT_EQ(m_panel.tabSubtitle(LiveTab::sold), QStringLiteral("$—"));
    EXPECT_EQ(column(m_panel.buyersModel(), Qt::DisplayRole), QStringList{"ann · 2 items · $—"});
}

TEST(LiveTabTitles, AreTheShownTexts)
{
    QStringList titles;
    for (LiveTab tab : allLiveTabs)
        titles.append(liveTabTitle(tab));
    EXPECT_EQ(titles, (QStringList{"Sold", "Buyers", "Bidders"}));
}

} // namespace
} // namespace quill::testing
