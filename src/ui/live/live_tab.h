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

} // namespace quill
