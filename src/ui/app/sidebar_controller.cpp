#include "ui/app/sidebar_controller.h"

#include "app/app_state.h"
#include "backend/auth_manager.h"
#include "backend/show_history_store.h"

namespace quill {

QList<SidebarSection> SidebarController::visibleSections(bool isStaff, bool hasShows)
{
    QList<SidebarSection> sections;
    for (SidebarSection section : allSidebarSections) {
        bool listed = false;
        switch (section) {
        case SidebarSection::dashboard: listed = isStaff; break;
        case SidebarSection::liveShow: listed = true; break;
        case SidebarSection::shows: listed = hasShows; break;
        case SidebarSection::labelDesigner: listed = false; break;
        case SidebarSection::printers: listed = true; break;
        case SidebarSection::settings: listed = false; break;
        }
        if (listed)
            sections.append(section);
    }
    return sections;
}

SidebarSection SidebarController::firstSelection(bool isStaff)
{
    return isStaff ? SidebarSection::dashboard : SidebarSection::liveShow;
}

SidebarController::SidebarController(AuthManager &auth, ShowHistoryStore &history, SidebarSelection &selection,
                                     QObject *parent)
    : QObject(parent), m_auth(auth), m_history(history), m_selection(selection), m_visible(visibleSections())
{
    const auto update = [this] {
        QList<SidebarSection> visible = visibleSections();
        if (visible == m_visible)
            return;
        m_visible = std::move(visible);
        Q_EMIT visibleSectionsChanged();
    };
    connect(&m_history, &ShowHistoryStore::showsChanged, this, update);
    connect(&m_auth, &AuthManager::stateChanged, this, update);
    // stateChanged fires only for a different case or another user id, so an
    // e-mail change of the same user moves nothing.
    connect(&m_auth, &AuthManager::stateChanged, this, &SidebarController::authStateChanged);
}

bool SidebarController::isStaff() const
{
    return isAdmin(m_auth.state());
}

QList<SidebarSection> SidebarController::visibleSections() const
{
    return visibleSections(isStaff(), !m_history.shows().isEmpty());
}

void SidebarController::appear()
{
    if (!m_selection.value())
        m_selection.setValue(firstSelection(isStaff()));
}

void SidebarController::chooseSettings()
{
    m_selection.setValue(SidebarSection::settings);
}

void SidebarController::authStateChanged()
{
    if (!m_auth.state().isSignedIn()) {
        // Signing out takes the whole sidebar away; the next sign-in starts afresh.
        m_selection.setValue(std::nullopt);
        return;
    }
    if (m_selection.value() == SidebarSection::liveShow && isStaff())
        m_selection.setValue(SidebarSection::dashboard);
}

} // namespace quill
