#pragma once

#include <QMargins>

namespace quill::metrics {

// The spacing scale every screen lays its parts out on, in logical pixels: the gaps
// between rows and columns and the insets of cards, sheets and bars. A screen names a
// step of this scale instead of writing the number, so that two screens that mean the
// same gap stay the same.
inline constexpr int hairline = 1;
inline constexpr int xxxSmall = 2;
inline constexpr int xxSmall = 4;
inline constexpr int xSmall = 6;
inline constexpr int small = 8;
inline constexpr int compact = 10;
inline constexpr int regular = 12;
inline constexpr int roomy = 14;
inline constexpr int large = 16;
inline constexpr int xLarge = 20;
inline constexpr int xxLarge = 24;
inline constexpr int huge = 40;

// The inset above and below one recent win in the tray's popover: its rows sit closer
// than the scale's smallest step but one.
inline constexpr int trayWinRowInset = 3;

// Insets on every side alike.
constexpr QMargins insets(int all)
{
    return QMargins(all, all, all, all);
}

// Insets of `horizontal` on the left and right and `vertical` on the top and bottom.
constexpr QMargins insets(int horizontal, int vertical)
{
    return QMargins(horizontal, vertical, horizontal, vertical);
}

} // namespace quill::metrics
