#pragma once

#include "ui/live/live_tab.h"

#include <QWidget>
#include <array>

class QListView;
class QStackedLayout;

namespace quill {

class AppState;
class EmptyStateView;
class LiveRowPrinter;
class LiveShowController;
class LiveSidePanelController;
class LiveTabButton;

// The side panel's content between the header and the status bar: the tab bar with
// counts and revenue, then the selected tab's list, or the empty state while nothing
// was captured. On the live screen the selected tab is the live show controller's.
class LiveSidePanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveSidePanel)

public:
    // Follows and sets the controller's selected tab.
    explicit LiveSidePanel(LiveShowController &controller, QWidget *parent = nullptr);
    explicit LiveSidePanel(AppState &app, QWidget *parent = nullptr);
    ~LiveSidePanel() override;

    LiveTab selectedTab() const { return m_selected; }
    void setSelectedTab(LiveTab tab);

    LiveSidePanelController &panelController() const { return *m_panel; }
    // The one-click prints of the Sold and Buyers rows.
    LiveRowPrinter &rowPrinter() const { return *m_printer; }
    LiveTabButton *tabButton(LiveTab tab) const { return m_tabs[index(tab)]; }
    QListView *listView(LiveTab tab) const { return m_lists[index(tab)]; }
    EmptyStateView *emptyState() const { return m_empty; }
    // The list of the selected tab or the empty state.
    QWidget *currentContent() const;

Q_SIGNALS:
    void selectedTabChanged(quill::LiveTab tab);

private:
    static size_t index(LiveTab tab) { return size_t(tab); }
    QWidget *buildTabBar();
    QListView *buildList(LiveTab tab);
    void showFigures();
    void showSelection();

    LiveSidePanelController *m_panel;
    LiveRowPrinter *m_printer;
    LiveTab m_selected = LiveTab::sold;
    std::array<LiveTabButton *, 3> m_tabs{};
    std::array<QListView *, 3> m_lists{};
    EmptyStateView *m_empty = nullptr;
    QStackedLayout *m_content = nullptr;
};

} // namespace quill
