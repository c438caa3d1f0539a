#pragma once

#include "common/error.h"

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <optional>

namespace printkit {

enum class LabelShape
{
    rectangle,
    roundedRectangle,
    circle
};

QString rawValue(LabelShape shape);
std::optional<LabelShape> labelShapeFromRaw(const QString &raw);
const QList<LabelShape> &allLabelShapes();

// A canvas whose size cannot be printed (not finite, zero, negative or over the
// largest label any printer takes). Thrown before any size becomes an integer.
class InvalidCanvasError : public quill::Error
{
public:
    using Error::Error;
};

// The printable surface of one label, in inches.
struct LabelCanvas
{
    // No label printer takes media larger than this; anything bigger is a bad value.
    static constexpr double kMaxInches = 48.0;
    // The shortest label a thermal printer's gap sensor feeds is a quarter inch (6.35 mm),
    // 50 dots at 203 dpi; anything smaller would be printed as nothing at all.
    static constexpr double kMinInches = 0.25;

    QString name;
    double widthInches = 0;
    double heightInches = 0;
    LabelShape shape = LabelShape::rectangle;
    std::optional<qint64> printerDPI;

    static LabelCanvas custom(double widthInches, double heightInches, LabelShape shape,
                              std::optional<qint64> printerDPI = std::nullopt);
    static const LabelCanvas &standard();

    double widthPoints() const { return widthInches * 72.0; }
    double heightPoints() const { return heightInches * 72.0; }
    double aspectRatio() const;

    // Empty when the size is printable; otherwise why it is not.
    std::optional<QString> invalidReason() const;
    // Throws InvalidCanvasError when invalidReason() is set.
    void validate() const;

    // "Custom.<W>x<H>" in whole points, halves away from zero. Throws InvalidCanvasError.
    QString cupsPageSizeName() const;
    QString sizeDescription() const; // "2 × 1 in"
    QString summary() const;         // "<name> • 2 × 1 in"

    static QString formatInches(double inches);

    // Every print record compares member-wise: texts as Unicode (canonically equivalent
    // spellings are equal, though each is kept as given), numbers by value (0 equals -0).
    bool operator==(const LabelCanvas &other) const;
};

size_t qHash(const LabelCanvas &canvas, size_t seed = 0) noexcept;

} // namespace printkit
