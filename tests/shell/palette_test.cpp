#include "ui/widgets/palette.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(Palette, ColoursAreCreatedOnceAndOpaque)
{
    EXPECT_EQ(&appBackgroundColor(), &appBackgroundColor());
    for (const QColor *color : {&appBackgroundColor(), &sidebarBackgroundColor(), &cardBackgroundColor(),
                                &cardHighlightColor(), &brandGreenColor()})
        EXPECT_EQ(color->alphaF(), 1.0);
    // The cards must stand out from the window behind them.
    EXPECT_GT(cardBackgroundColor().lightnessF(), appBackgroundColor().lightnessF());
}

} // namespace
} // namespace quill
