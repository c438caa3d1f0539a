#pragma once

#include "common/decimal.h"
#include "ui/live/live_tab.h"

#include <QObject>
#include <QString>
#include <optional>

namespace quill {

class AuctionPoller;
class BidderTracker;
class BiddersListModel;
class BuyersListModel;
class SoldListModel;

// The side panel's figures and lists without widgets: the three list models over the
// poller's captures and the tracker's bidders, the tab titles with their counts, the
// revenue and whether the empty state stands in for the lists.
class LiveSidePanelController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveSidePanelController)
    Q_PROPERTY(bool showsEmptyState READ showsEmptyState NOTIFY figuresChanged)

public:
    LiveSidePanelController(const AuctionPoller &poller, const BidderTracker &tracker,
                            QObject *parent = nullptr);
    ~LiveSidePanelController() override;

    SoldListModel &soldModel() const { return *m_sold; }
    BuyersListModel &buyersModel() const { return *m_buyers; }
    BiddersListModel &biddersModel() const { return *m_bidders; }

    // Sold: captured auctions; Buyers: buyer groups; Bidders: captured bidders.
    int count(LiveTab tab) const;
    // "Sold (12)".
    QString tabTitle(LiveTab tab) const;
    // The Sold tab's revenue ("$12.5"); none for the other tabs.
    std::optional<QString> tabSubtitle(LiveTab tab) const;
    // The sum of every sale price; none when it does not fit a Decimal.
    const std::optional<Decimal> &totalRevenue() const { return m_totalRevenue; }
    // No auctions and no bidders: the empty state, whatever tab is selected.
    bool showsEmptyState() const;

Q_SIGNALS:
    // Counts, revenue or the empty state may have changed.
    void figuresChanged();

private:
    void followAuctions();

    const AuctionPoller &m_poller;
    const BidderTracker &m_tracker;
    SoldListModel *m_sold;
    BuyersListModel *m_buyers;
    BiddersListModel *m_bidders;
    std::optional<Decimal> m_totalRevenue;
};

} // namespace quill
