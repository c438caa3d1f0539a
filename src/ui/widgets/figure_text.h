#pragma once

#include <QFont>
#include <QLabel>
#include <QString>

class QPainter;

namespace quill {

// The face `font` draws its digits in: its own when they are all one width (most desktop
// faces draw them so), else the fixed-pitch face at the same size and weight.
QFont digitFont(const QFont &font);

// One line of text whose digits are all one width, so figures that change in place
// (prices, counts, percentages) keep their width and line up: its digits are drawn in
// `digits`, the rest in `font`, on one baseline. Where the face's own digits are of one
// width it is the plain text in that face.
struct FigureText
{
    QString text;
    QFont font;
    QFont digits;

    FigureText() = default;
    // `digits` is digitFont(font).
    FigureText(QString text, QFont font);

    // Whether the digits come from another face than the rest.
    bool mixesFaces() const { return digits != font; }
    // The width the line takes, its digits in their own face.
    int width() const;
    int ascent() const;
    int height() const;
    // The line cut with an ellipsis to `width`; itself when it fits.
    FigureText elided(int width) const;
    // Draws the line in the painter's pen inside `box`: left, right or centred as
    // `alignment` says, vertically centred unless it says top or bottom. A line wider
    // than the box is elided.
    void draw(QPainter &painter, const QRect &box, Qt::Alignment alignment) const;
};

// A one-line label that shows its text as a FigureText: the label's font, its
// palette's text colour and alignment.
class FigureLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FigureLabel)

public:
    FigureLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent = nullptr);

    FigureText figure() const { return FigureText(text(), font()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace quill
