#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace printkit {

enum class TextWrap {
    // One line; text that is too wide ends in an ellipsis.
    singleLine,
    // Word wrapping; the last line that fits ends in an ellipsis when text remains.
    wordWrap,
};

// How a text is set into a rect. Sizes are in the painter's user units (points on a
// label): a font of point size 10 is 10 units tall whatever the device's resolution.
struct TextStyle
{
    QFont font;
    QColor color = Qt::black;
    qreal letterSpacing = 0; // added after every character, in user units
    Qt::Alignment alignment = Qt::AlignLeft; // AlignLeft or AlignHCenter
    TextWrap wrap = TextWrap::singleLine;
};

// One line as it is drawn: its final text (with the ellipsis when it was cut) and its
// box, from the rect's left edge or centred, `height` being the font's line height.
struct TextLine
{
    QString text;
    QRectF rect;
    bool truncated = false;
};

// The families every text falls back to, in order, for characters its own face does not
// have (emoji in a buyer's name), ahead of whatever the system would pick.
QStringList fallbackFamilies();
// The font with fallbackFamilies() after its own families.
QFont withFallbackFamilies(QFont font);

// Lays the text out into `rect` from its top edge. Tabs and other control characters
// are set as one space each; line breaks end a line when the text wraps. Lines that do not fit the rect's
// height entirely are dropped; a rect without width or height takes no text. The
// result is the same for every paint device and output scale.
QList<TextLine> layoutText(const QString &text, const QRectF &rect, const TextStyle &style);

// Lays the text out as above and draws it; returns the lines that were drawn. Each line
// paints only within its own row, so stacked combining marks never reach a neighbour.
QList<TextLine> drawText(QPainter &painter, const QString &text, const QRectF &rect, const TextStyle &style);

} // namespace printkit
