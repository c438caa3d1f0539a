#include "ui/widgets/figure_text.h"

#include "ui/widgets/style.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace quill {

namespace {

struct Run
{
    QString text;
    bool digits;
};

// The text cut into runs of digits and runs of anything else; one run when the digits
// are drawn in the text's own face, so the face's kerning holds across them.
QList<Run> runsOf(const FigureText &line)
{
    if (!line.mixesFaces())
        return {{line.text, false}};
    QList<Run> runs;
    for (const QChar c : line.text) {
        if (runs.isEmpty() || runs.last().digits != c.isDigit())
            runs.append({QString(), c.isDigit()});
        runs.last().text.append(c);
    }
    return runs;
}

} // namespace

QFont digitFont(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (!qFuzzyCompare(metrics.horizontalAdvance(QLatin1Char(digit)), zero))
            return monospacedFont(font);
    }
    return font;
}

FigureText::FigureText(QString text, QFont font)
    : text(std::move(text)), font(std::move(font)), digits(digitFont(this->font))
{
}

int FigureText::width() const
{
    int width = 0;
    for (const Run &run : runsOf(*this))
        width += QFontMetrics(run.digits ? digits : font).horizontalAdvance(run.text);
    return width;
}

int FigureText::ascent() const
{
    const int own = QFontMetrics(font).ascent();
    return mixesFaces() ? std::max(own, QFontMetrics(digits).ascent()) : own;
}

int FigureText::height() const
{
    const QFontMetrics own(font);
    if (!mixesFaces())
        return own.height();
    const QFontMetrics figures(digits);
    return ascent() + std::max(own.descent(), figures.descent());
}

FigureText FigureText::elided(int room) const
{
    if (width() <= room)
        return *this;
    FigureText line = *this;
    if (!mixesFaces()) {
        line.text = QFontMetrics(font).elidedText(text, Qt::ElideRight, room);
        return line;
    }
    const QString ellipsis(QChar(0x2026));
    for (qsizetype kept = text.size() - 1; kept >= 0; --kept) {
        line.text = text.left(kept) + ellipsis;
        if (line.width() <= room)
            return line;
    }
    line.text.clear();
    return line;
}

void FigureText::draw(QPainter &painter, const QRect &box, Qt::Alignment alignment) const
{
    const FigureText line = elided(box.width());
    if (!mixesFaces()) {
        painter.setFont(font);
        painter.drawText(box, int(alignment | Qt::TextSingleLine | Qt::TextDontClip), line.text);
        return;
    }
    // Each run in its own face, on the baseline of the line as a whole.
    const int lineWidth = line.width();
    int x = box.left();
    if (alignment & Qt::AlignRight)
        x = box.left() + box.width() - lineWidth;
    else if (alignment & Qt::AlignHCenter)
        x = box.left() + (box.width() - lineWidth) / 2;
    int baseline = box.top() + (box.height() - height()) / 2 + ascent();
    if (alignment & Qt::AlignTop)
        baseline = box.top() + ascent();
    else if (alignment & Qt::AlignBottom)
        baseline = box.top() + box.height() - height() + ascent();
    for (const Run &run : runsOf(line)) {
        const QFont &face = run.digits ? digits : font;
        painter.setFont(face);
        painter.drawText(QPoint(x, baseline), run.text);
        x += QFontMetrics(face).horizontalAdvance(run.text);
    }
}

FigureLabel::FigureLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent)
    : QLabel(parent)
{
    // Prices and numbers are shown as written, never read as markup.
    setTextFormat(Qt::PlainText);
    setText(text);
    setFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, color);
    setPalette(palette);
}

QSize FigureLabel::sizeHint() const
{
    const FigureText line = figure();
    if (!line.mixesFaces())
        return QLabel::sizeHint();
    const QMargins margins = contentsMargins();
    return {line.width() + margins.left() + margins.right() + 2 * margin(),
            line.height() + margins.top() + margins.bottom() + 2 * margin()};
}

QSize FigureLabel::minimumSizeHint() const
{
    return figure().mixesFaces() ? sizeHint() : QLabel::minimumSizeHint();
}

void FigureLabel::paintEvent(QPaintEvent *event)
{
    const FigureText line = figure();
    if (!line.mixesFaces()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    line.draw(painter, contentsRect().adjusted(margin(), margin(), -margin(), -margin()), alignment());
}

} // namespace quill
