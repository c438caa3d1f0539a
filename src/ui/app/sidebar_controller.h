#pragma once

#include "ui/app/sidebar_section.h"

#include <QList>
#include <QObject>

namespace quill {

class AuthManager;
class ShowHistoryStore;

// What the sidebar lists and which section it selects. Touches no widget.
class SidebarController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidebarController)

public:
    // Which sections are listed, in their order. Settings has its own button and the
    // label designer is not reachable from the sidebar.
    static QList<SidebarSection> visibleSections(bool isStaff, bool hasShows);
    // The section chosen when the sidebar appears with nothing selected.
    static SidebarSection firstSelection(bool isStaff);

    SidebarController(AuthManager &auth, ShowHistoryStore &history, SidebarSelection &selection,
                      QObject *parent = nullptr);

    QList<SidebarSection> visibleSections() const;
    SidebarSelection &selection() const { return m_selection; }
    bool isStaff() const;

    // The sidebar came on screen: a selection already made is kept.
    void appear();
    // The Settings button.
    void chooseSettings();

Q_SIGNALS:
    void visibleSectionsChanged();

private:
    void authStateChanged();

    AuthManager &m_auth;
    ShowHistoryStore &m_history;
    SidebarSelection &m_selection;
    QList<SidebarSection> m_visible;
};

} // namespace quill
