#include "ui/app/sidebar_section.h"

namespace quill {

QString sidebarSectionTitle(SidebarSection section)
{
    switch (section) {
    case SidebarSection::dashboard: return QStringLiteral("Dashboard");
    case SidebarSection::liveShow: return QStringLiteral("Live Show");
    case SidebarSection::shows: return QStringLiteral("Shows");
    case SidebarSection::labelDesigner: return QStringLiteral("Label Designer");
    case SidebarSection::printers: return QStringLiteral("Labels");
    case SidebarSection::settings: return QStringLiteral("Settings");
    }
    return {};
}

QString sidebarSectionSymbol(SidebarSection section)
{
    switch (section) {
    case SidebarSection::dashboard: return QStringLiteral("gauge");
    case SidebarSection::liveShow: return QStringLiteral("video.fill");
    case SidebarSection::shows: return QStringLiteral("film.stack");
    case SidebarSection::labelDesigner: return QStringLiteral("paintbrush.pointed");
    case SidebarSection::printers: return QStringLiteral("tag.fill");
    case SidebarSection::settings: return QStringLiteral("gear");
    }
    return {};
}

std::optional<SidebarSection> sidebarSectionFromTitle(const QString &title)
{
    for (SidebarSection section : allSidebarSections)
        if (sidebarSectionTitle(section) == title)
            return section;
    return std::nullopt;
}

} // namespace quill
