#include "printing/label_media.h"

#include "common/json.h"

#include <charconv>
#include <cmath>

namespace quill {

QString formatTwoSignificantDigits(double value)
{
    // printf's "%.2g" without the process locale: a label size never shows a decimal comma.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 2);
    if (result.ec != std::errc())
        return QString::number(value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

namespace {

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

} // namespace

LabelMedia LabelMedia::rect225x125()
{
    return {QStringLiteral("2.25x1.25"), 2.25, 1.25, false, QStringLiteral("2.25\u00D71.25 Rectangle")};
}

LabelMedia LabelMedia::rect1x2()
{
    return {QStringLiteral("1x2"), 2.0, 1.0, false, QStringLiteral("1\u00D72 Rectangle")};
}

LabelMedia LabelMedia::circle2()
{
    return {QStringLiteral("2circle"), 2.0, 2.0, true, QStringLiteral("2\" Circle")};
}

LabelMedia LabelMedia::shipping4x6()
{
    return {QStringLiteral("4x6"), 4.0, 6.0, false, QStringLiteral("4\u00D76 Shipping")};
}

LabelMedia LabelMedia::letter()
{
    return {QStringLiteral("letter"), 8.5, 11.0, false, QStringLiteral("Letter (8.5\u00D711)")};
}

const QList<LabelMedia> &LabelMedia::builtIn()
{
    static const QList<LabelMedia> media{rect225x125(), rect1x2(), circle2(), shipping4x6(), letter()};
    return media;
}

QString LabelMedia::displayName() const
{
    // A blank name would leave an empty row in the media pickers.
    if (name && !isBlank(*name))
        return *name;
    if (isCircular)
        return formatTwoSignificantDigits(widthInches) + QStringLiteral("\" Circle");
    return formatTwoSignificantDigits(widthInches) + QChar(0x00D7) + formatTwoSignificantDigits(heightInches);
}

bool LabelMedia::isCustom() const
{
    for (const LabelMedia &media : builtIn()) {
        if (media.id == id)
            return false;
    }
    return true;
}

std::optional<QString> LabelMedia::invalidReason() const
{
    if (isBlank(id))
        return QStringLiteral("The label size has no identifier.");
    const auto bad = [](double side) { return !std::isfinite(side) || side <= 0 || side > kMaxInches; };
    if (bad(widthInches) || bad(heightInches))
        return QStringLiteral("A label must be more than 0 and at most %1 inches on each side (got %2 × %3 in).")
            .arg(kMaxInches)
            .arg(widthInches)
            .arg(heightInches);
    return std::nullopt;
}

std::optional<QString> LabelMedia::unprintableReason() const
{
    if (auto reason = invalidReason())
        return reason;
    if (widthInches < kMinInches || heightInches < kMinInches)
        return QStringLiteral("A label must be at least %1 inches on each side (got %2 × %3 in).")
            .arg(kMinInches)
            .arg(widthInches)
            .arg(heightInches);
    return std::nullopt;
}

std::optional<LabelMedia> LabelMedia::find(const QString &id, const QList<LabelMedia> &customMedia)
{
    for (const LabelMedia &media : builtIn()) {
        if (media.id == id)
            return media;
    }
    for (const LabelMedia &media : customMedia) {
        if (media.id == id)
            return media;
    }
    return std::nullopt;
}

QJsonObject LabelMedia::toJson() const
{
    QJsonObject object{{QStringLiteral("id"), id},
                       {QStringLiteral("widthInches"), widthInches},
                       {QStringLiteral("heightInches"), heightInches},
                       {QStringLiteral("isCircular"), isCircular}};
    if (name)
        object.insert(QStringLiteral("name"), *name);
    return object;
}

LabelMedia LabelMedia::fromJson(const QJsonObject &object)
{
    const json::ObjectReader reader(object, QStringLiteral("label media"));
    LabelMedia media;
    media.id = reader.requiredString(QStringLiteral("id"));
    media.widthInches = reader.requiredDouble(QStringLiteral("widthInches"));
    media.heightInches = reader.requiredDouble(QStringLiteral("heightInches"));
    media.isCircular = reader.requiredBool(QStringLiteral("isCircular"));
    media.name = reader.optionalString(QStringLiteral("name"));
    return media;
}

size_t qHash(const LabelMedia &media, size_t seed) noexcept
{
    return qHashMulti(seed, media.id, media.widthInches, media.heightInches, media.isCircular,
                      media.name.value_or(QString()), media.name.has_value());
}

QSizeF labelSizeInches(const LabelMedia &media, Orientation orientation)
{
    if (media.isCircular)
        return {media.widthInches, media.widthInches};
    const double longer = std::max(media.widthInches, media.heightInches);
    const double shorter = std::min(media.widthInches, media.heightInches);
    return orientation == Orientation::landscape ? QSizeF(longer, shorter) : QSizeF(shorter, longer);
}

} // namespace quill
