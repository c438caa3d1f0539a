#pragma once

#include <QColor>
#include <QString>
#include <optional>

namespace quill {

// A stored "#RRGGBB" colour: blanks at the ends and one leading "#" are ignored, six
// characters must remain, and the hexadecimal digits are read from their start up to
// the first that is not one ("12ZZZZ" is 0x12). None when nothing reads.
std::optional<QColor> colorFromHex(const QString &text);

// The colour a text is drawn in, on the canvas and on the page: black when the stored
// text gives none.
QColor textColorOrBlack(const QString &text);

} // namespace quill
