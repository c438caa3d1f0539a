#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace quill {

// Icons by symbol name ("tag.fill", "gear", "chevron.right", ...), one name per meaning:
// the desktop's symbolic icon theme with Adwaita as the fallback, and a few
// drawings of our own where the theme has nothing that fits. Symbols are drawn
// in one colour, like text.

// Makes Adwaita the fallback icon theme. Called by applyAppLook; harmless twice.
void installSymbolTheme();

// Every symbol name the screens use.
const QStringList &designSymbolNames();

// The icon of a symbol in `color`; a null icon for a name that is not in the table.
QIcon symbolIcon(const QString &symbol, const QColor &color);
QIcon symbolIcon(const QString &symbol);
// The symbol drawn `size` logical pixels square (device pixel ratio `dpr`).
QPixmap symbolPixmap(const QString &symbol, int size, const QColor &color, qreal dpr = 1.0);

} // namespace quill
