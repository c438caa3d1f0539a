#pragma once

#include <QColor>
#include <QFont>

#include <optional>

class QApplication;
class QLabel;
class QWidget;

namespace quill {

// The text styles of the screens, from the large title down to the small caption. Their
// sizes are in logical pixels, like every other size on the screens.
enum class TextStyle
{
    largeTitle,
    title,
    title2,
    title3,
    headline,
    body,
    callout,
    subheadline,
    footnote,
    caption,
    caption2
};

// The font of a text style; `weight` replaces the style's own weight when given.
QFont textFont(TextStyle style, std::optional<QFont::Weight> weight = std::nullopt);
// The plain screen font at `designPoints` logical pixels, for a text no style fits.
QFont systemFont(qreal designPoints, QFont::Weight weight = QFont::Normal);

// `font` in the desktop's fixed-pitch face, keeping its size and weight: figures that
// change in place (counts, money, times) keep their width.
QFont monospacedFont(QFont font);

// The accent colours of the dark look, used besides the palette for badges, dots and tints.
enum class SystemColor
{
    blue,
    purple,
    orange,
    pink,
    teal,
    indigo,
    mint,
    cyan,
    red,
    green,
    yellow
};
QColor systemColor(SystemColor color);

// Text colours of the dark look: primary, secondary and tertiary labels, and the
// faint fill of placeholders.
QColor primaryTextColor();
QColor secondaryTextColor();
QColor tertiaryTextColor();
QColor quaternaryFillColor();

// A label in `font` and `color`, showing its text as plain text (never as markup: names
// come from buyers and pages); a caller that wants rich text sets the format itself.
QLabel *styledLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent = nullptr);
// A section screen's title at the top leading corner, as every screen shows its own.
// A tooltip has no text format of its own: Qt reads one that looks like markup as
// markup. Names, titles and messages from outside go through this to be shown as
// written (an empty text stays empty: no tooltip).
QString plainToolTip(const QString &text);

QLabel *screenTitle(const QString &text, QWidget *parent = nullptr);
// The bar that holds a screen's title, inset as the screens inset their headers.
QWidget *screenTitleBar(const QString &text, QWidget *parent = nullptr);
// Fills the widget's background with `color`.
void fillBackground(QWidget *widget, const QColor &color);

// The dark Fusion look built from the palette, the body text's size (13) for the
// application font and the symbolic icon theme. Call once, before any window.
void applyAppLook(QApplication &app);

} // namespace quill
