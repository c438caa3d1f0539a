#pragma once

#include "capture/captured_auction.h"
#include "ui/app/sidebar_section.h"

#include <QList>
#include <QObject>
#include <optional>

namespace quill {

class AppState;

// The floating win feed without its widgets: whether the card shows, the count of
// captures and the five newest wins, returning to the live show, and the close that
// hides the card for as long as the sidebar keeps it.
class FloatingWinFeedController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FloatingWinFeedController)

public:
    static constexpr qsizetype kRecentWins = 5;

    FloatingWinFeedController(AppState &app, SidebarSelection &selection, QObject *parent = nullptr);

    // Closed → hidden; no backend show running → hidden; nothing selected → shown;
    // the live show selected → hidden (its own screen lists the wins); else shown.
    static bool shouldShow(bool dismissed, bool showIsActive, std::optional<SidebarSection> selection);
    bool shouldShow() const;
    bool dismissed() const { return m_dismissed; }
    // All captured auctions, not only the recent ones.
    qsizetype capturedCount() const;
    // "— 7 captured".
    QString capturedText() const;
    // The newest five captures, newest first.
    QList<CapturedAuction> recentWins() const;

    void openLiveShow();
    void dismiss();

Q_SIGNALS:
    // Visibility, count or recent wins may have changed.
    void changed();

private:
    AppState &m_app;
    SidebarSelection &m_selection;
    bool m_dismissed = false;
};

} // namespace quill
