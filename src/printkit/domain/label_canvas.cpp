#include "printkit/domain/label_canvas.h"

#include "printkit/domain/record_comparison.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdio>

namespace printkit {

QString rawValue(LabelShape shape)
{
    switch (shape) {
    case LabelShape::rectangle:
        return QStringLiteral("rectangle");
    case LabelShape::roundedRectangle:
        return QStringLiteral("roundedRectangle");
    case LabelShape::circle:
        return QStringLiteral("circle");
    }
    return {};
}

std::optional<LabelShape> labelShapeFromRaw(const QString &raw)
{
    for (LabelShape s : allLabelShapes())
        if (rawValue(s) == raw)
            return s;
    return std::nullopt;
}

const QList<LabelShape> &allLabelShapes()
{
    static const QList<LabelShape> all{LabelShape::rectangle, LabelShape::roundedRectangle,
                                       LabelShape::circle};
    return all;
}

LabelCanvas LabelCanvas::custom(double widthInches, double heightInches, LabelShape shape,
                                std::optional<qint64> printerDPI)
{
    return LabelCanvas{QStringLiteral("Custom"), widthInches, heightInches, shape, printerDPI};
}

const LabelCanvas &LabelCanvas::standard()
{
    static const LabelCanvas canvas{QStringLiteral("2 inch circle label"), 2.0, 2.0, LabelShape::circle, 203};
    return canvas;
}

double LabelCanvas::aspectRatio() const
{
    if (heightInches == 0)
        return 1.0;
    return widthInches / heightInches;
}

std::optional<QString> LabelCanvas::invalidReason() const
{
    auto check = [](double v, const char *what) -> std::optional<QString> {
        if (!std::isfinite(v))
            return QStringLiteral("the label %1 is not a number").arg(QLatin1String(what));
        if (v <= 0)
            return QStringLiteral("the label %1 must be greater than zero").arg(QLatin1String(what));
        if (v < kMinInches)
            return QStringLiteral("the label %1 of %2 in is smaller than %3 in")
                .arg(QLatin1String(what))
                .arg(v)
                .arg(kMinInches);
        if (v > kMaxInches)
            return QStringLiteral("the label %1 of %2 in is larger than %3 in")
                .arg(QLatin1String(what))
                .arg(v)
                .arg(kMaxInches);
        return std::nullopt;
    };
    if (auto w = check(widthInches, "width"))
        return w;
    return check(heightInches, "height");
}

void LabelCanvas::validate() const
{
    if (auto reason = invalidReason())
        throw InvalidCanvasError(QStringLiteral("The label size cannot be printed: %1.").arg(*reason));
}

QString LabelCanvas::cupsPageSizeName() const
{
    validate();
    // std::llround rounds halves away from zero, as CUPS page names expect.
    const qint64 w = std::llround(widthInches * 72.0);
    const qint64 h = std::llround(heightInches * 72.0);
    return QStringLiteral("Custom.%1x%2").arg(w).arg(h);
}

QString LabelCanvas::formatInches(double inches)
{
    if (!std::isfinite(inches))
        return QStringLiteral("?");
    // Beyond this a double has no fractional digits worth showing and llround could overflow.
    if (std::fabs(inches) < 1e15) {
        const double rounded = std::round(inches);
        if (std::fabs(inches - rounded) < 0.0001)
            return QString::number(static_cast<qint64>(rounded));
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", inches);
    QString text = QString::fromLatin1(buffer);
    static const QRegularExpression trailingZeros(QStringLiteral("\\.?0+$"));
    const QRegularExpressionMatch m = trailingZeros.match(text);
    if (m.hasMatch())
        text.remove(m.capturedStart(), m.capturedLength());
    return text;
}

QString LabelCanvas::sizeDescription() const
{
    return formatInches(widthInches) + QStringLiteral(" \u00D7 ") + formatInches(heightInches) +
           QStringLiteral(" in");
}

QString LabelCanvas::summary() const
{
    return name + QStringLiteral(" \u2022 ") + sizeDescription();
}

PRINTKIT_RECORD_COMPARISON(LabelCanvas, canvas, canvas.name, canvas.widthInches, canvas.heightInches,
                           canvas.shape, canvas.printerDPI)

} // namespace printkit
