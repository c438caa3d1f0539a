#include "designer/label_template.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <utility>

namespace quill {

namespace {

template <typename E> struct RawValues;

template <> struct RawValues<LabelShape>
{
    static constexpr std::pair<LabelShape, const char *> cases[] = {
        {LabelShape::rectangle, "rectangle"}, {LabelShape::roundedRectangle, "roundedRectangle"},
        {LabelShape::circle, "circle"},       {LabelShape::oval, "oval"},
        {LabelShape::square, "square"},
    };
};
template <> struct RawValues<FontWeightValue>
{
    static constexpr std::pair<FontWeightValue, const char *> cases[] = {
        {FontWeightValue::light, "light"},   {FontWeightValue::regular, "regular"},
        {FontWeightValue::medium, "medium"}, {FontWeightValue::semibold, "semibold"},
        {FontWeightValue::bold, "bold"},     {FontWeightValue::heavy, "heavy"},
        {FontWeightValue::black, "black"},
    };
};
template <> struct RawValues<TextAlignmentValue>
{
    static constexpr std::pair<TextAlignmentValue, const char *> cases[] = {
        {TextAlignmentValue::leading, "leading"},
        {TextAlignmentValue::center, "center"},
        {TextAlignmentValue::trailing, "trailing"},
    };
};
template <> struct RawValues<ObjectFitValue>
{
    static constexpr std::pair<ObjectFitValue, const char *> cases[] = {
        {ObjectFitValue::contain, "contain"},
        {ObjectFitValue::cover, "cover"},
        {ObjectFitValue::fill, "fill"},
    };
};
template <> struct RawValues<QRCorrectionLevel>
{
    static constexpr std::pair<QRCorrectionLevel, const char *> cases[] = {
        {QRCorrectionLevel::low, "L"},
        {QRCorrectionLevel::medium, "M"},
        {QRCorrectionLevel::quartile, "Q"},
        {QRCorrectionLevel::high, "H"},
    };
};

template <typename E> QString rawOf(E value)
{
    for (const auto &[candidate, raw] : RawValues<E>::cases) {
        if (candidate == value)
            return QString::fromLatin1(raw);
    }
    return {};
}

template <typename E> std::optional<E> fromRaw(const QString &text)
{
    for (const auto &[candidate, raw] : RawValues<E>::cases) {
        if (text == QLatin1String(raw))
            return candidate;
    }
    return std::nullopt;
}

template <typename E> const QList<E> &casesOf()
{
    static const QList<E> all = [] {
        QList<E> out;
        for (const auto &entry : RawValues<E>::cases)
            out.append(entry.first);
        return out;
    }();
    return all;
}

// The shortest text that reads back to the same double; whole numbers without a point.
QString inchText(double value)
{
    if (value - std::trunc(value) == 0.0)
        return QString::asprintf("%.0f", value);
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// 0 and -0 are equal, so they must hash alike.
size_t hashNumber(double value, size_t seed) noexcept
{
    return ::qHash(value == 0.0 ? 0.0 : value, seed);
}

} // namespace

QString rawValue(LabelShape value)
{
    return rawOf(value);
}
QString rawValue(FontWeightValue value)
{
    return rawOf(value);
}
QString rawValue(TextAlignmentValue value)
{
    return rawOf(value);
}
QString rawValue(ObjectFitValue value)
{
    return rawOf(value);
}
QString rawValue(QRCorrectionLevel value)
{
    return rawOf(value);
}
std::optional<LabelShape> labelShapeFromRaw(const QString &raw)
{
    return fromRaw<LabelShape>(raw);
}
std::optional<FontWeightValue> fontWeightFromRaw(const QString &raw)
{
    return fromRaw<FontWeightValue>(raw);
}
std::optional<TextAlignmentValue> textAlignmentFromRaw(const QString &raw)
{
    return fromRaw<TextAlignmentValue>(raw);
}
std::optional<ObjectFitValue> objectFitFromRaw(const QString &raw)
{
    return fromRaw<ObjectFitValue>(raw);
}
std::optional<QRCorrectionLevel> correctionLevelFromRaw(const QString &raw)
{
    return fromRaw<QRCorrectionLevel>(raw);
}
const QList<LabelShape> &allLabelShapes()
{
    return casesOf<LabelShape>();
}
const QList<FontWeightValue> &allFontWeights()
{
    return casesOf<FontWeightValue>();
}
const QList<TextAlignmentValue> &allTextAlignments()
{
    return casesOf<TextAlignmentValue>();
}
const QList<ObjectFitValue> &allObjectFits()
{
    return casesOf<ObjectFitValue>();
}
const QList<QRCorrectionLevel> &allCorrectionLevels()
{
    return casesOf<QRCorrectionLevel>();
}

QString LabelSize::displayText() const
{
    return inchText(widthInches) + QStringLiteral("\" x ") + inchText(heightInches) + QLatin1Char('"');
}

QSizeF LabelTemplate::canvasSize() const
{
    const double width = labelSize.widthInches * 72.0;
    const double height = labelSize.heightInches * 72.0;
    if (labelShape == LabelShape::circle || labelShape == LabelShape::square) {
        const double side = std::min(width, height);
        return {side, side};
    }
    return {width, height};
}

size_t qHash(const LabelSize &value, size_t seed) noexcept
{
    return hashNumber(value.heightInches, hashNumber(value.widthInches, seed));
}

size_t qHash(const ElementFrame &value, size_t seed) noexcept
{
    seed = hashNumber(value.x, seed);
    seed = hashNumber(value.y, seed);
    seed = hashNumber(value.width, seed);
    return hashNumber(value.height, seed);
}

size_t qHash(const TextProperties &value, size_t seed) noexcept
{
    seed = qHashMulti(seed, value.content, value.fontFamily);
    seed = hashNumber(value.fontSize, seed);
    return qHashMulti(seed, qToUnderlying(value.fontWeight), value.color, qToUnderlying(value.alignment),
                      value.isVariable);
}

size_t qHash(const ImageProperties &value, size_t seed) noexcept
{
    seed = qHashMulti(seed, value.imageData.has_value(), qToUnderlying(value.objectFit));
    return value.imageData ? ::qHash(*value.imageData, seed) : seed;
}

size_t qHash(const QRCodeProperties &value, size_t seed) noexcept
{
    return qHashMulti(seed, value.content, qToUnderlying(value.correctionLevel), value.isVariable);
}

size_t qHash(const ElementKind &value, size_t seed) noexcept
{
    seed = ::qHash(value.index(), seed);
    return std::visit([seed](const auto &properties) { return qHash(properties, seed); }, value);
}

size_t qHash(const LabelElement &value, size_t seed) noexcept
{
    seed = ::qHash(value.id, seed);
    seed = qHash(value.kind, seed);
    seed = qHash(value.frame, seed);
    seed = hashNumber(value.rotation, seed);
    return qHashMulti(seed, value.isLocked, value.zIndex);
}

} // namespace quill
