#pragma once

#include <QColor>

namespace quill {

// The screens' shared colours, created once. Every screen takes them from here.
const QColor &appAccentColor();
const QColor &appBackgroundColor();
const QColor &sidebarBackgroundColor();
const QColor &cardBackgroundColor();
const QColor &cardHighlightColor();
const QColor &brandGreenColor();

} // namespace quill
