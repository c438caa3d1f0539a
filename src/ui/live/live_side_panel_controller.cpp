#include "ui/live/live_side_panel_controller.h"

#include "capture/auction_poller.h"
#include "capture/bidder_tracker.h"
#include "ui/lists/bidders_list_model.h"
#include "ui/lists/buyer_group.h"
#include "ui/lists/buyers_list_model.h"
#include "ui/lists/live_list_texts.h"
#include "ui/lists/sold_list_model.h"

namespace quill {

LiveSidePanelController::LiveSidePanelController(const AuctionPoller &poller, const BidderTracker &tracker,
                                                 QObject *parent)
    : QObject(parent), m_poller(poller), m_tracker(tracker), m_sold(new SoldListModel(poller, this)),
      m_buyers(new BuyersListModel(poller, this)), m_bidders(new BiddersListModel(poller, tracker, this)),
      m_totalRevenue(quill::totalRevenue(poller.capturedAuctions()))
{
    // Connected after the models', so they have followed when the figures are read.
    connect(&poller, &AuctionPoller::capturedAuctionsChanged, this, &LiveSidePanelController::followAuctions);
    connect(&tracker, &BidderTracker::capturedBiddersChanged, this, &LiveSidePanelController::figuresChanged);
}

LiveSidePanelController::~LiveSidePanelController() = default;

void LiveSidePanelController::followAuctions()
{
    m_totalRevenue = quill::totalRevenue(m_poller.capturedAuctions());
    Q_EMIT figuresChanged();
}

int LiveSidePanelController::count(LiveTab tab) const
{
    switch (tab) {
    case LiveTab::sold:
        return int(m_poller.capturedAuctions().size());
    case LiveTab::buyers:
        return m_buyers->rowCount();
    case LiveTab::bidders:
        return int(m_tracker.capturedBidders().size());
    }
    return 0;
}

QString LiveSidePanelController::tabTitle(LiveTab tab) const
{
    return QStringLiteral("%1 (%2)").arg(liveTabTitle(tab)).arg(count(tab));
}

std::optional<QString> LiveSidePanelController::tabSubtitle(LiveTab tab) const
{
    if (tab == LiveTab::sold)
        return dollarText(m_totalRevenue);
    return std::nullopt;
}

bool LiveSidePanelController::showsEmptyState() const
{
    return m_poller.capturedAuctions().isEmpty() && m_tracker.capturedBidders().isEmpty();
}

} // namespace quill
