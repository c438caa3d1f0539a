#include "printkit/rendering/text_drawing.h"

#include <QImage>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <limits>

namespace printkit {

namespace {

// Text is laid out on a reference device of this many units per point and drawn
// scaled down. Font metrics come in whole device pixels, so at 72 dpi line heights
// and advances would be rounded to whole points; at 16 units per point they are
// exact enough and the same on every output.
constexpr qreal kUnitsPerPoint = 16;

// Rounding in line heights must not drop a line that fits to the eye.
constexpr qreal kFitTolerance = 0.01;

const QChar kEllipsis(0x2026);

const QPaintDevice *referenceDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMeter = qRound(72.0 * kUnitsPerPoint / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

qreal naturalWidth(const QString &text, const QFont &font);

// Qt scales absolute letter spacing by a device-dependent factor of its own; measure
// it once on the reference device so the spacing comes out in points.
qreal letterSpacingUnitsPerValue()
{
    static const qreal factor = [] {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(10);
        const QString probe = QStringLiteral("IIII");
        const qreal plain = naturalWidth(probe, font);
        font.setLetterSpacing(QFont::AbsoluteSpacing, 10);
        return (naturalWidth(probe, font) - plain) / (10.0 * probe.size());
    }();
    return factor;
}

// The caller's font in reference-device units.
QFont layoutFont(const TextStyle &style)
{
    QFont font = withFallbackFamilies(style.font);
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize()); // user units are points
    const qreal factor = letterSpacingUnitsPerValue();
    if (style.letterSpacing != 0 && factor > 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, style.letterSpacing * kUnitsPerPoint / factor);
    else
        font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    return font;
}

// Lines set with design metrics keep fractional advances.
QTextOption textOption(QTextOption::WrapMode wrap)
{
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(wrap);
    return option;
}

// One unwrapped line, laid out and ready to draw.
void setSingleLine(QTextLayout &layout)
{
    layout.setTextOption(textOption(QTextOption::NoWrap));
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    line.setLineWidth(std::numeric_limits<int>::max() / 256.0);
    layout.endLayout();
}

qreal naturalWidth(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font, referenceDevice());
    setSingleLine(layout);
    return layout.lineAt(0).naturalTextWidth();
}

class LineSetter
{
public:
    explicit LineSetter(const QFont &font) : m_font(font) {}

    const QFont &font() const { return m_font; }

    // Width and height in points of the text set on one line.
    QSizeF measure(const QString &text) const
    {
        QTextLayout layout(text, m_font, referenceDevice());
        setSingleLine(layout);
        const QTextLine line = layout.lineAt(0);
        return QSizeF(line.naturalTextWidth(), line.height()) / kUnitsPerPoint;
    }

    // The longest start of the text that fits `width` together with an ellipsis.
    // Empty when not even the ellipsis fits.
    QString elide(const QString &text, qreal width) const
    {
        QList<qsizetype> cuts{0};
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
        while (finder.toNextBoundary() != -1)
            if (finder.position() < text.size())
                cuts.append(finder.position());
        auto candidate = [&](qsizetype cut) -> QString {
            QString head = text.left(cut);
            while (!head.isEmpty() && head.back().isSpace())
                head.chop(1);
            return head + kEllipsis;
        };
        if (measure(candidate(0)).width() > width + kFitTolerance)
            return {};
        qsizetype lo = 0, hi = cuts.size() - 1; // cuts[lo] always fits
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            if (measure(candidate(cuts[mid])).width() <= width + kFitTolerance)
                lo = mid;
            else
                hi = mid - 1;
        }
        return candidate(cuts[lo]);
    }

private:
    QFont m_font;
};

QString withoutTrailingSpace(QString text)
{
    while (!text.isEmpty() && (text.back().isSpace() || text.back() == QChar::LineSeparator))
        text.chop(1);
    return text;
}

qreal lineX(const QRectF &rect, qreal width, Qt::Alignment alignment)
{
    if (alignment & Qt::AlignHCenter)
        return rect.left() + (rect.width() - width) / 2.0;
    return rect.left();
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

// The text with every line break as `lineBreak` and every other control character
// (a tab would jump to a tab stop, the rest would print as boxes) as one space.
QString settable(const QString &text, QChar lineBreak)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QString(lineBreak));
    for (QChar &c : out) {
        if (isLineBreak(c))
            c = lineBreak;
        else if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return out;
}

QList<TextLine> layoutSingleLine(const QString &text, const QRectF &rect, const TextStyle &style,
                                 const LineSetter &setter)
{
    QString flat = settable(text, QLatin1Char(' '));

    // A line a little taller than its rect is still drawn: dropping it would leave a
    // label without its headline (the 2.5 in circle's headline rect is one such case).
    QSizeF size = setter.measure(flat);
    bool truncated = false;
    if (size.width() > rect.width() + kFitTolerance) {
        flat = setter.elide(flat, rect.width());
        if (flat.isEmpty())
            return {};
        size.setWidth(setter.measure(flat).width());
        truncated = true;
    }
    return {TextLine{flat, QRectF(lineX(rect, size.width(), style.alignment), rect.top(), size.width(), size.height()),
                     truncated}};
}

QList<TextLine> layoutWrapped(const QString &text, const QRectF &rect, const TextStyle &style,
                              const LineSetter &setter)
{
    const QString prepared = settable(text, QChar::LineSeparator);

    QTextLayout layout(prepared, setter.font(), referenceDevice());
    layout.setTextOption(textOption(QTextOption::WrapAtWordBoundaryOrAnywhere));

    struct Span
    {
        qsizetype start;
        qsizetype length;
        qreal height;
    };
    QList<Span> spans;
    bool textLeft = false;
    qreal y = 0;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        line.setLineWidth(rect.width() * kUnitsPerPoint);
        const qreal height = line.height() / kUnitsPerPoint;
        if (!spans.isEmpty() && y + height > rect.height() + kFitTolerance) {
            textLeft = !withoutTrailingSpace(prepared.mid(line.textStart())).isEmpty();
            break;
        }
        line.setPosition(QPointF(0, y * kUnitsPerPoint));
        y += height;
        spans.append({line.textStart(), line.textLength(), height});
    }
    layout.endLayout();

    QList<TextLine> lines;
    y = rect.top();
    for (qsizetype i = 0; i < spans.size(); ++i) {
        const Span &span = spans.at(i);
        QString lineText = withoutTrailingSpace(prepared.mid(span.start, span.length));
        bool truncated = false;
        if (textLeft && i == spans.size() - 1) {
            // The last line that fits shows as much of the rest as it can; a hard
            // break ends the line there, so only its own text is cut.
            const QString rest = withoutTrailingSpace(prepared.mid(span.start));
            const bool restHasBreak = rest.contains(QChar::LineSeparator);
            lineText = setter.elide(restHasBreak ? QString(lineText + QLatin1Char(' ')) : rest, rect.width());
            truncated = true;
        }
        if (!lineText.isEmpty()) {
            const qreal width = setter.measure(lineText).width();
            lines.append(TextLine{lineText, QRectF(lineX(rect, width, style.alignment), y, width, span.height),
                                  truncated});
        }
        y += span.height;
    }
    return lines;
}

// Room beside a line's box that its glyphs may still use (overhanging letters), as a
// share of the line's height.
constexpr qreal kSideBearingRoom = 0.25;

} // namespace

QStringList fallbackFamilies()
{
    return {QStringLiteral("Noto Color Emoji")};
}

QFont withFallbackFamilies(QFont font)
{
    QStringList families = font.families();
    if (families.isEmpty())
        families.append(font.family());
    for (const QString &family : fallbackFamilies())
        if (!families.contains(family, Qt::CaseInsensitive))
            families.append(family);
    font.setFamilies(families);
    return font;
}

QList<TextLine> layoutText(const QString &text, const QRectF &rect, const TextStyle &style)
{
    if (text.isEmpty() || !(rect.width() > 0) || !(rect.height() > 0))
        return {};
    const LineSetter setter(layoutFont(style));
    return style.wrap == TextWrap::singleLine ? layoutSingleLine(text, rect, style, setter)
                                              : layoutWrapped(text, rect, style, setter);
}

QList<TextLine> drawText(QPainter &painter, const QString &text, const QRectF &rect, const TextStyle &style)
{
    const QList<TextLine> lines = layoutText(text, rect, style);
    if (lines.isEmpty())
        return lines;
    const QFont font = layoutFont(style);
    painter.save();
    painter.setPen(style.color);
    for (const TextLine &line : lines) {
        QTextLayout layout(line.text, font, referenceDevice());
        setSingleLine(layout);
        painter.save();
        const qreal side = line.rect.height() * kSideBearingRoom;
        painter.setClipRect(line.rect.adjusted(-side, 0, side, 0), Qt::IntersectClip);
        painter.translate(line.rect.topLeft());
        painter.scale(1 / kUnitsPerPoint, 1 / kUnitsPerPoint);
        layout.draw(&painter, QPointF(0, 0));
        painter.restore();
    }
    painter.restore();
    return lines;
}

} // namespace printkit
