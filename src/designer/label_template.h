#pragma once

#include "printkit/domain/label_canvas.h"

#include <QByteArray>
#include <QDateTime>
#include <QHashFunctions>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QUuid>
#include <optional>
#include <variant>

namespace quill {

// The outline of a designed label. Not the print toolkit's shape: that one has three cases.
enum class LabelShape
{
    rectangle,
    roundedRectangle,
    circle,
    oval,
    square
};
enum class FontWeightValue
{
    light,
    regular,
    medium,
    semibold,
    bold,
    heavy,
    black
};
enum class TextAlignmentValue
{
    leading,
    center,
    trailing
};
enum class ObjectFitValue
{
    contain,
    cover,
    fill
};
enum class QRCorrectionLevel
{
    low,
    medium,
    quartile,
    high
};

// Raw values as stored in template files, and every case in picker order.
QString rawValue(LabelShape value);
QString rawValue(FontWeightValue value);
QString rawValue(TextAlignmentValue value);
QString rawValue(ObjectFitValue value);
QString rawValue(QRCorrectionLevel value);
std::optional<LabelShape> labelShapeFromRaw(const QString &raw);
std::optional<FontWeightValue> fontWeightFromRaw(const QString &raw);
std::optional<TextAlignmentValue> textAlignmentFromRaw(const QString &raw);
std::optional<ObjectFitValue> objectFitFromRaw(const QString &raw);
std::optional<QRCorrectionLevel> correctionLevelFromRaw(const QString &raw);
const QList<LabelShape> &allLabelShapes();
const QList<FontWeightValue> &allFontWeights();
const QList<TextAlignmentValue> &allTextAlignments();
const QList<ObjectFitValue> &allObjectFits();
const QList<QRCorrectionLevel> &allCorrectionLevels();

// The bounds every template value keeps, whether read from a file or typed into a
// field, so the app never writes a file it would refuse to read.
namespace templateLimits {
inline constexpr double maxLabelSideInches = printkit::LabelCanvas::kMaxInches; // what printing takes
// What printing feeds; the designer refuses a smaller side, a stored one is refused at print.
inline constexpr double minLabelSideInches = printkit::LabelCanvas::kMinInches;
inline constexpr double maxFontSize = 1000.0;
// A finer grid is useless and a spacing near 0 makes snapping divide by almost nothing.
inline constexpr double minGridSpacing = 1.0;
// The largest template file the store writes and reads.
inline constexpr qint64 maxFileBytes = 32LL * 1024 * 1024;
// The largest print page the print engine takes: it travels as a data: address.
inline constexpr qint64 maxPageBytes = 2LL * 1024 * 1024;
} // namespace templateLimits

struct LabelSize
{
    double widthInches = 0;
    double heightInches = 0;

    // 2.25" x 1.25"
    QString displayText() const;

    friend bool operator==(const LabelSize &, const LabelSize &) = default;
};

struct ElementFrame
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const ElementFrame &, const ElementFrame &) = default;
};

struct TextProperties
{
    QString content;
    QString fontFamily;
    double fontSize = 14;
    FontWeightValue fontWeight = FontWeightValue::regular;
    QString color;
    TextAlignmentValue alignment = TextAlignmentValue::leading;
    bool isVariable = false;

    friend bool operator==(const TextProperties &, const TextProperties &) = default;
};

struct ImageProperties
{
    std::optional<QByteArray> imageData; // the chosen file's bytes, in its own format
    ObjectFitValue objectFit = ObjectFitValue::contain;

    friend bool operator==(const ImageProperties &, const ImageProperties &) = default;
};

struct QRCodeProperties
{
    QString content;
    QRCorrectionLevel correctionLevel = QRCorrectionLevel::medium;
    bool isVariable = false;

    friend bool operator==(const QRCodeProperties &, const QRCodeProperties &) = default;
};

using ElementKind = std::variant<TextProperties, ImageProperties, QRCodeProperties>;

struct LabelElement
{
    QUuid id;
    ElementKind kind;
    ElementFrame frame;
    double rotation = 0; // degrees, clockwise, about the centre
    bool isLocked = false;
    qint64 zIndex = 0;

    friend bool operator==(const LabelElement &, const LabelElement &) = default;
};

// Templates are identified by id and never compared as wholes.
struct LabelTemplate
{
    QUuid id;
    QString name;
    LabelSize labelSize;
    LabelShape labelShape = LabelShape::rectangle;
    QList<LabelElement> elements;
    double gridSpacing = 8;
    QDateTime createdAt;
    QDateTime updatedAt;

    // The label in points; circles and squares take the shorter side both ways.
    QSizeF canvasSize() const;
};

// Hashes agree with equality: doubles as numbers, so 0 and -0 hash alike.
size_t qHash(const LabelSize &value, size_t seed = 0) noexcept;
size_t qHash(const ElementFrame &value, size_t seed = 0) noexcept;
size_t qHash(const TextProperties &value, size_t seed = 0) noexcept;
size_t qHash(const ImageProperties &value, size_t seed = 0) noexcept;
size_t qHash(const QRCodeProperties &value, size_t seed = 0) noexcept;
size_t qHash(const ElementKind &value, size_t seed = 0) noexcept;
size_t qHash(const LabelElement &value, size_t seed = 0) noexcept;

} // namespace quill
