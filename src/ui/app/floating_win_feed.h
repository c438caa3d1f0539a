#pragma once

#include "capture/captured_auction.h"

#include <QList>
#include <QWidget>

class QLabel;
class QToolButton;

namespace quill {

class AppState;
class FloatingWinFeedController;
class RowAvatarCache;
class SidebarSelection;

// The newest wins of the running show, floating over every screen but the live show
// itself: a pulsing "Live" mark with the count of captures, and up to five wins. A
// click anywhere on it returns to the live show; its close button hides it.
class FloatingWinFeed final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FloatingWinFeed)

public:
    static constexpr int kCardWidth = 260;
    static constexpr int kOuterPadding = 12;
    static constexpr int kCornerRadius = 8;

    FloatingWinFeed(AppState &app, SidebarSelection &selection, QWidget *parent = nullptr);
    ~FloatingWinFeed() override;

    FloatingWinFeedController &controller() const { return *m_controller; }
    QToolButton *closeButton() const { return m_close; }
    QLabel *countLabel() const { return m_count; }
    QLabel *waitingLabel() const { return m_waiting; }
    // The wins drawn, newest first.
    const QList<CapturedAuction> &shownWins() const { return m_wins; }
    // The card inside the outer padding.
    QRect cardRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    class WinRows;
    void follow();

    FloatingWinFeedController *m_controller;
    QLabel *m_count = nullptr;
    QLabel *m_waiting = nullptr;
    QToolButton *m_close = nullptr;
    WinRows *m_rows = nullptr;
    QList<CapturedAuction> m_wins;
    bool m_following = false;
};

} // namespace quill
