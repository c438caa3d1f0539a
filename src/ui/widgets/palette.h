#pragma once

#include <QColor>

namespace quill {

// The screens' shared colours, created once. Every screen takes them from here.
const QColor &appAccentColor();
// The text colour of the desktop's own palette (its panels and tray), read before the
// application puts its dark palette in place.
const QColor &desktopTextColor();
const QColor &appBackgroundColor();
const QColor &sidebarBackgroundColor();
const QColor &cardBackgroundColor();
const QColor &cardHighlightColor();
const QColor &brandGreenColor();
// The orange of what wants the seller's attention: a fix to make, the staff tools.
const QColor &attentionOrangeColor();

} // namespace quill
