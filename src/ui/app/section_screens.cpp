#include "ui/app/section_screens.h"

#include "app/app_state.h"
#include "ui/app/dashboard_view.h"
#include "ui/app/floating_win_feed.h"
#include "ui/designer/label_designer_view.h"
#include "ui/history/show_history_view.h"
#include "ui/labels/printer_status_view.h"
#include "ui/labels/settings_view.h"
#include "ui/live/live_show_view.h"

namespace quill {

namespace {

std::unique_ptr<QWidget> dashboardScreen(AppState &appState, SidebarSelection &selection)
{
    return std::make_unique<DashboardView>(appState.authManager(), appState.showSyncService(),
                                           appState.apiBaseURL(), selection);
}
std::unique_ptr<QWidget> liveShowScreen(AppState &appState, SidebarSelection &)
{
    return std::make_unique<LiveShowView>(appState);
}
std::unique_ptr<QWidget> showsScreen(AppState &appState, SidebarSelection &selection)
{
    auto screen = std::make_unique<ShowHistoryView>(showHistoryServices(appState));
    QObject::connect(
        screen.get(), &ShowHistoryView::liveShowRequested, &selection,
        [&selection] { selection.setValue(SidebarSection::liveShow); }, Qt::QueuedConnection);
    return screen;
}
// Built afresh each time the section is shown; the sidebar never lists it.
std::unique_ptr<QWidget> labelDesignerScreen(AppState &appState, SidebarSelection &)
{
    return std::make_unique<LabelDesignerView>(appState.templateStore(), appState.printAdapter(),
                                               appState.printService());
}
std::unique_ptr<QWidget> printersScreen(AppState &appState, SidebarSelection &)
{
    return std::make_unique<PrinterStatusView>(appState);
}
std::unique_ptr<QWidget> settingsScreen(AppState &appState, SidebarSelection &selection)
{
    return std::make_unique<SettingsView>(appState,
                                          [&selection] { selection.setValue(SidebarSection::liveShow); });
}

} // namespace

const std::array<SectionScreen, allSidebarSections.size()> &sectionScreens()
{
    static const std::array<SectionScreen, allSidebarSections.size()> table{{
        {SidebarSection::dashboard, &dashboardScreen},
        {SidebarSection::liveShow, &liveShowScreen},
        {SidebarSection::shows, &showsScreen},
        {SidebarSection::labelDesigner, &labelDesignerScreen},
        {SidebarSection::printers, &printersScreen},
        {SidebarSection::settings, &settingsScreen},
    }};
    return table;
}

std::unique_ptr<QWidget> makeSectionScreen(SidebarSection section, AppState &appState,
                                           SidebarSelection &selection)
{
    for (const SectionScreen &entry : sectionScreens())
        if (entry.section == section)
            return entry.make(appState, selection);
    return nullptr;
}

std::unique_ptr<QWidget> makeDetailOverlay(AppState &appState, SidebarSelection &selection)
{
    return std::make_unique<FloatingWinFeed>(appState, selection);
}

} // namespace quill
