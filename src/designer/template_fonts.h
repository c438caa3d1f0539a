#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace quill {

enum class FontWeightValue;

// The families the text panel offers, in its order.
const QStringList &templateFontFamilies();

// The installed face that stands in for one of those families, the same on the canvas
// and on the printed page; empty for a family the panel does not offer (a file edited
// by hand), which is then asked for by its own name.
QString installedFontFamily(const QString &family);

// The CSS weight of a font weight (300 to 900); also QFont's weight scale.
int cssFontWeight(FontWeightValue weight);

// The canvas font of a text element: the installed face first, then the stored name.
// `pointSize` becomes the size in units of the painter it will draw with (label points on
// the canvas), whatever the device's dots per inch.
QFont templateFont(const QString &family, FontWeightValue weight, double pointSize, double deviceDpi);

} // namespace quill
