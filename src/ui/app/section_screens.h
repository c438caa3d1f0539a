#pragma once

#include "ui/app/sidebar_section.h"

#include <QWidget>

#include <array>
#include <memory>

namespace quill {

class AppState;

// Builds the screen of one sidebar section. Screens that move the selection keep
// the reference; it outlives them.
using SectionScreenFactory = std::unique_ptr<QWidget> (*)(AppState &appState, SidebarSelection &selection);

struct SectionScreen
{
    SidebarSection section;
    SectionScreenFactory make;
};

// The one table from section to screen, in section order. A screen is built anew
// each time its section is selected.
const std::array<SectionScreen, allSidebarSections.size()> &sectionScreens();
std::unique_ptr<QWidget> makeSectionScreen(SidebarSection section, AppState &appState, SidebarSelection &selection);

// What floats over the bottom-trailing corner of every section's screen; may be null.
std::unique_ptr<QWidget> makeDetailOverlay(AppState &appState, SidebarSelection &selection);

} // namespace quill
