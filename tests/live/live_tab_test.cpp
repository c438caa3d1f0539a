#include "ui/live/live_tab.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(LiveTab, RawValuesAreTheStoredTexts)
{
    QStringList values;
    for (LiveTab tab : allLiveTabs)
        values.append(liveTabRawValue(tab));
    EXPECT_EQ(values, (QStringList{QStringLiteral("sold"), QStringLiteral("buyers"), QStringLiteral("bidders")}));
}

} // namespace
} // namespace quill
