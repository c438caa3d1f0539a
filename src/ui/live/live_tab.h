#pragma once

#include <QString>

#include <array>

namespace quill {

// The live side panel's tabs, in order.
enum class LiveTab { sold, buyers, bidders };

inline constexpr std::array<LiveTab, 3> allLiveTabs{LiveTab::sold, LiveTab::buyers, LiveTab::bidders};

inline QString liveTabRawValue(LiveTab tab)
{
    switch (tab) {
    case LiveTab::sold: return QStringLiteral("sold");
    case LiveTab::buyers: return QStringLiteral("buyers");
    case LiveTab::bidders: return QStringLiteral("bidders");
    }
    return {};
}

// The title the tab bar shows.
inline QString liveTabTitle(LiveTab tab)
{
    switch (tab) {
    case LiveTab::sold: return QStringLiteral("Sold");
    case LiveTab::buyers: return QStringLiteral("Buyers");
    case LiveTab::bidders: return QStringLiteral("Bidders");
    }
    return {};
}

} // namespace quill
