#include "ui/history/stat_card.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

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
QList<Run> digitRuns(const QString &text, const QFont &font, const QFont &digits)
{
    if (digits == font)
        return {{text, false}};
    QList<Run> runs;
    for (const QChar c : text) {
        if (runs.isEmpty() || runs.last().digits != c.isDigit())
            runs.append({QString(), c.isDigit()});
        runs.last().text.append(c);
    }
    return runs;
}

int runsWidth(const QString &text, const QFont &font, const QFont &digits)
{
    int width = 0;
    for (const Run &run : digitRuns(text, font, digits))
        width += QFontMetrics(run.digits ? digits : font).horizontalAdvance(run.text);
    return width;
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

int FittedLine::width() const
{
    return runsWidth(text, font, digits);
}

FittedLine fitOneLine(const QString &text, const QFont &font, int width, qreal minimumScale)
{
    const QFont digits = digitFont(font);
    const int natural = runsWidth(text, font, digits);
    if (natural <= width || natural <= 0)
        return {font, text, digits};
    FittedLine line{font, text, digits};
    // Glyph advances do not scale exactly with the size: step down until it fits.
    for (qreal scale = std::max(minimumScale, qreal(width) / natural);; scale = std::max(minimumScale, scale - 0.02)) {
        line.font.setPointSizeF(font.pointSizeF() * scale);
        line.digits.setPointSizeF(digits.pointSizeF() * scale);
        if (line.width() <= width)
            return line;
        if (scale <= minimumScale)
            break;
    }
    const QString ellipsis(QChar(0x2026));
    for (qsizetype kept = text.size() - 1; kept >= 0; --kept) {
        line.text = text.left(kept) + ellipsis;
        if (line.width() <= width)
            return line;
    }
    line.text.clear();
    return line;
}

// The value: one centred line that shrinks before it is cut.
class StatCard::ValueLine final : public QWidget
{
public:
    ValueLine(QString text, QFont font, QWidget *parent) : QWidget(parent), m_text(std::move(text))
    {
        setFont(font);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }

    const QString &text() const { return m_text; }
    FittedLine fitted() const { return fitOneLine(m_text, font(), width()); }

    QSize sizeHint() const override
    {
        const FittedLine whole{font(), m_text, digitFont(font())};
        return {whole.width(), lineHeight()};
    }
    QSize minimumSizeHint() const override { return {0, lineHeight()}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const FittedLine line = fitted();
        painter.setPen(primaryTextColor());
        const QFontMetrics textMetrics(line.font);
        const QFontMetrics digitMetrics(line.digits);
        const int ascent = std::max(textMetrics.ascent(), digitMetrics.ascent());
        const int height = ascent + std::max(textMetrics.descent(), digitMetrics.descent());
        // Centred as one line, each run in its own face on a common baseline.
        QPoint at((width() - line.width()) / 2, (this->height() - height) / 2 + ascent);
        for (const Run &run : digitRuns(line.text, line.font, line.digits)) {
            painter.setFont(run.digits ? line.digits : line.font);
            painter.drawText(at, run.text);
            at.rx() += (run.digits ? digitMetrics : textMetrics).horizontalAdvance(run.text);
        }
    }

private:
    int lineHeight() const
    {
        return std::max(QFontMetrics(font()).height(), QFontMetrics(digitFont(font())).height());
    }

    QString m_text;
};

StatCard::StatCard(const QString &title, const QString &value, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("statCard"));
    setMinimumWidth(80);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics::xxSmall);
    m_value = new ValueLine(value, textFont(TextStyle::title3, QFont::Bold), this);
    m_title = styledLabel(title, textFont(TextStyle::caption), secondaryTextColor(), this);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_value);
    layout->addWidget(m_title);
}

QString StatCard::title() const
{
    return m_title->text();
}

QString StatCard::value() const
{
    return m_value->text();
}

FittedLine StatCard::shownValue() const
{
    return m_value->fitted();
}

} // namespace quill
