#include "ui/app/floating_win_feed_controller.h"

#include "app/app_state.h"
#include "backend/show_sync_service.h"
#include "capture/auction_poller.h"
#include "ui/lists/live_list_texts.h"

namespace quill {

FloatingWinFeedController::FloatingWinFeedController(AppState &app, SidebarSelection &selection,
                                                     QObject *parent)
    : QObject(parent), m_app(app), m_selection(selection)
{
    connect(&app.showSyncService(), &ShowSyncService::activeShowIdChanged, this,
            &FloatingWinFeedController::changed);
    connect(&app.auctionPoller(), &AuctionPoller::capturedAuctionsChanged, this,
            &FloatingWinFeedController::changed);
    connect(&selection, &SidebarSelection::changed, this, &FloatingWinFeedController::changed);
}

bool FloatingWinFeedController::shouldShow(bool dismissed, bool showIsActive,
                                           std::optional<SidebarSection> selection)
{
    if (dismissed || !showIsActive)
        return false;
    return selection != SidebarSection::liveShow;
}

bool FloatingWinFeedController::shouldShow() const
{
    return shouldShow(m_dismissed, !m_app.showSyncService().activeShowId().isEmpty(), m_selection.value());
}

qsizetype FloatingWinFeedController::capturedCount() const
{
    return m_app.auctionPoller().capturedAuctions().size();
}

QString FloatingWinFeedController::capturedText() const
{
    return quill::capturedText(capturedCount());
}

QList<CapturedAuction> FloatingWinFeedController::recentWins() const
{
    return m_app.auctionPoller().capturedAuctions().first(std::min(kRecentWins, capturedCount()));
}

void FloatingWinFeedController::openLiveShow()
{
    m_selection.setValue(SidebarSection::liveShow);
}

void FloatingWinFeedController::dismiss()
{
    if (m_dismissed)
        return;
    m_dismissed = true;
    Q_EMIT changed();
}

} // namespace quill
