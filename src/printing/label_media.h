#pragma once

#include "common/error.h"
#include "printing/orientation.h"

#include <QHashFunctions>
#include <QJsonObject>
#include <QList>
#include <QSizeF>
#include <QString>

#include <optional>

namespace quill {

// A medium that cannot be printed on: a size that is not finite, not positive or
// larger than any label printer takes, or a medium without an identifier.
class InvalidLabelMediaError : public Error
{
public:
    using Error::Error;
};

// One kind of label stock: five built in, the rest made by the seller.
struct LabelMedia
{
    // No label printer takes stock larger than this on either side.
    static constexpr double kMaxInches = 48.0;
    // Nor feeds stock shorter than this (a quarter inch). Stored media below it stay
    // listed; they are refused when printed.
    static constexpr double kMinInches = 0.25;

    QString id;
    double widthInches = 0;
    double heightInches = 0;
    bool isCircular = false; // the diameter is widthInches
    std::optional<QString> name;

    static LabelMedia rect225x125();
    static LabelMedia rect1x2(); // 2 in wide, 1 in high
    static LabelMedia circle2();
    static LabelMedia shipping4x6();
    static LabelMedia letter();
    // The five built-in media in picker order.
    static const QList<LabelMedia> &builtIn();

    // The name when it holds more than blanks; otherwise the size with two
    // significant digits ("2.2×1.2", "2\" Circle").
    QString displayName() const;
    bool isCustom() const;

    // Why this medium is no medium at all (no id, a side not above 0 or over the
    // maximum); empty when it is one.
    std::optional<QString> invalidReason() const;
    // Why this medium cannot be printed on or added: invalidReason(), or a side below
    // kMinInches; empty when it can.
    std::optional<QString> unprintableReason() const;

    // The first built-in medium with this id, else the first of `customMedia` (the seller's own sizes).
    static std::optional<LabelMedia> find(const QString &id, const QList<LabelMedia> &customMedia);

    // JSON form: "id", "widthInches", "heightInches", "isCircular" and "name" (left out
    // when absent). Decoding throws json::DecodeError for a missing or mistyped key.
    QJsonObject toJson() const;
    static LabelMedia fromJson(const QJsonObject &object);

    bool operator==(const LabelMedia &) const = default;
};

size_t qHash(const LabelMedia &media, size_t seed = 0) noexcept;

// The label's size in inches on this medium: a circle is its diameter both ways;
// otherwise landscape puts the longer side across, portrait the shorter one.
QSizeF labelSizeInches(const LabelMedia &media, Orientation orientation);

// A size as C's "%.2g" writes it, whatever the process locale: 2.25 gives "2.2",
// 100 gives "1e+02".
QString formatTwoSignificantDigits(double value);

// A print request's options; LabelMedia is known by this record's name as well.
struct PrintOptions
{
    using LabelMedia = quill::LabelMedia;

    int copies = 1;
    LabelMedia labelMedia;
    Orientation orientation = Orientation::landscape;
    std::optional<double> customWidth;
    std::optional<double> customHeight;

    bool operator==(const PrintOptions &) const = default;
};

} // namespace quill
