#include "ui/live/live_side_panel.h"

#include "app/app_state.h"
#include "ui/lists/auction_row_delegate.h"
#include "ui/lists/bidder_row_delegate.h"
#include "ui/lists/bidders_list_model.h"
#include "ui/lists/buyer_row_delegate.h"
#include "ui/lists/buyers_list_model.h"
#include "ui/lists/live_row_printer.h"
#include "ui/lists/sold_list_model.h"
#include "ui/live/live_show_controller.h"
#include "ui/live/live_side_panel_controller.h"
#include "ui/live/live_tab_button.h"
#include "ui/widgets/empty_state_view.h"
#include "ui/widgets/metrics.h"

#include <QHBoxLayout>
#include <QListView>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace quill {

namespace {

QAbstractItemModel &modelOf(LiveSidePanelController &panel, LiveTab tab)
{
    switch (tab) {
    case LiveTab::sold:
        return panel.soldModel();
    case LiveTab::buyers:
        return panel.buyersModel();
    case LiveTab::bidders:
        return panel.biddersModel();
    }
    return panel.soldModel();
}

// The one place that chooses the rows of the three lists.
QAbstractItemDelegate *rowDelegateFor(LiveTab tab, LiveRowPrinter &printer, QAbstractItemView *view)
{
    switch (tab) {
    case LiveTab::sold:
        return new AuctionRowDelegate(printer, view);
    case LiveTab::buyers:
        return new BuyerRowDelegate(printer, view);
    case LiveTab::bidders:
        return new BidderRowDelegate(view);
    }
    return new BidderRowDelegate(view);
}

} // namespace

LiveSidePanel::LiveSidePanel(LiveShowController &controller, QWidget *parent)
    : LiveSidePanel(controller.services().app, parent)
{
    setSelectedTab(controller.selectedTab());
    connect(&controller, &LiveShowController::selectedTabChanged, this, &LiveSidePanel::setSelectedTab);
    connect(this, &LiveSidePanel::selectedTabChanged, &controller, &LiveShowController::setSelectedTab);
}

LiveSidePanel::LiveSidePanel(AppState &app, QWidget *parent)
    : QWidget(parent), m_panel(new LiveSidePanelController(app.auctionPoller(), app.bidderTracker(), this)),
      m_printer(new LiveRowPrinter(app, this))
{
    setObjectName(QStringLiteral("liveSidePanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildTabBar());

    auto *content = new QWidget(this);
    m_content = new QStackedLayout(content);
    m_empty =
        new EmptyStateView(QStringLiteral("tag"), QStringLiteral("No Activity"),
                           QStringLiteral("Sold items and bidders will appear here automatically."), content);
    m_content->addWidget(m_empty);
    for (LiveTab tab : allLiveTabs) {
        m_lists[index(tab)] = buildList(tab);
        m_content->addWidget(m_lists[index(tab)]);
    }
    layout->addWidget(content, 1);

    connect(m_panel, &LiveSidePanelController::figuresChanged, this, &LiveSidePanel::showFigures);
    showFigures();
    showSelection();
}

LiveSidePanel::~LiveSidePanel() = default;

QWidget *LiveSidePanel::buildTabBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("liveTabBar"));
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(metrics::small, metrics::xxSmall, metrics::small, 0);
    layout->setSpacing(0);
    for (LiveTab tab : allLiveTabs) {
        auto *button = new LiveTabButton(bar);
        button->setObjectName(liveTabRawValue(tab) + QStringLiteral("Tab"));
        connect(button, &QAbstractButton::clicked, this, [this, tab] { setSelectedTab(tab); });
        layout->addWidget(button, 1);
        m_tabs[index(tab)] = button;
    }
    return bar;
}

QListView *LiveSidePanel::buildList(LiveTab tab)
{
    auto *list = new QListView(this);
    list->setObjectName(liveTabRawValue(tab) + QStringLiteral("List"));
    list->setModel(&modelOf(*m_panel, tab));
    list->setItemDelegate(rowDelegateFor(tab, *m_printer, list));
    // Every row is one line high: the view then lays out thousands of rows without asking each.
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->setFrameShape(QFrame::NoFrame);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->viewport()->setAutoFillBackground(false);
    return list;
}

void LiveSidePanel::setSelectedTab(LiveTab tab)
{
    if (tab == m_selected)
        return;
    m_selected = tab;
    showSelection();
    Q_EMIT selectedTabChanged(tab);
}

QWidget *LiveSidePanel::currentContent() const
{
    return m_content->currentWidget();
}

void LiveSidePanel::showFigures()
{
    for (LiveTab tab : allLiveTabs) {
        m_tabs[index(tab)]->setTitle(m_panel->tabTitle(tab));
        m_tabs[index(tab)]->setSubtitle(m_panel->tabSubtitle(tab));
    }
    showSelection();
}

void LiveSidePanel::showSelection()
{
    for (LiveTab tab : allLiveTabs)
        m_tabs[index(tab)]->setSelected(tab == m_selected);
    m_content->setCurrentWidget(m_panel->showsEmptyState() ? static_cast<QWidget *>(m_empty)
                                                           : m_lists[index(m_selected)]);
}

} // namespace quill
