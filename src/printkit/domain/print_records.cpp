#include "printkit/domain/label_calibration.h"
#include "printkit/domain/label_content.h"
#include "printkit/domain/label_preset.h"
#include "printkit/domain/record_comparison.h"

namespace printkit {

QString rawValue(PostPrintAction action)
{
    return action == PostPrintAction::tearOff ? QStringLiteral("tearOff") : QStringLiteral("none");
}

std::optional<PostPrintAction> postPrintActionFromRaw(const QString &raw)
{
    if (raw == QLatin1String("none"))
        return PostPrintAction::none;
    if (raw == QLatin1String("tearOff"))
        return PostPrintAction::tearOff;
    return std::nullopt;
}

const LabelCalibration &LabelCalibration::standard()
{
    static const LabelCalibration calibration;
    return calibration;
}

const LabelContent &LabelContent::sample()
{
    static const LabelContent content{
        QStringLiteral("PRINT KIT DEMO"), QStringLiteral("Format Test"),
        QStringLiteral("General print sample label for shape, margin, and feed calibration checks."),
        QStringLiteral("https://example.com/printkit/sample"),
        QStringLiteral("Printed with Quillmark PrintKit")};
    return content;
}

namespace {
LabelPreset preset(const char *id, QString title, const char *subtitle, const char *canvasName, double w,
                   double h, LabelShape shape)
{
    return LabelPreset{QString::fromUtf8(id), std::move(title), QString::fromUtf8(subtitle),
                       LabelCanvas{QString::fromUtf8(canvasName), w, h, shape, 203},
                       LabelCalibration::standard()};
}
} // namespace

// Function-local statics: built once on first use, thread-safe, then only copied.
const LabelPreset &LabelPreset::rect1x2()
{
    static const LabelPreset p = preset("rect-1x2", QStringLiteral("1×2 Rectangle"), "1.0 × 2.0 in",
                                        "1×2 Rectangle", 2.0, 1.0, LabelShape::roundedRectangle);
    return p;
}
const LabelPreset &LabelPreset::circle2()
{
    static const LabelPreset p = preset("circle-2", QStringLiteral("2\" Circle"), "2.0 × 2.0 in",
                                        "2 inch circle label", 2.0, 2.0, LabelShape::circle);
    return p;
}
const LabelPreset &LabelPreset::shipping4x6()
{
    static const LabelPreset p = preset("shipping-4x6", QStringLiteral("4×6 Shipping"), "4.0 × 6.0 in",
                                        "4×6 Shipping", 4.0, 6.0, LabelShape::rectangle);
    return p;
}
const LabelPreset &LabelPreset::circle2_5()
{
    static const LabelPreset p = preset("circle-2_5", QStringLiteral("2.5\" Circle"), "2.5 × 2.5 in",
                                        "2.5 inch circle label", 2.5, 2.5, LabelShape::circle);
    return p;
}
const LabelPreset &LabelPreset::mm50x25()
{
    static const LabelPreset p =
        preset("mm-50x25", QStringLiteral("50mm × 25mm"), "1.97 × 0.98 in", "50 × 25 mm label", 50 / 25.4,
               25 / 25.4, LabelShape::roundedRectangle);
    return p;
}
const LabelPreset &LabelPreset::mm70x20()
{
    static const LabelPreset p =
        preset("mm-70x20", QStringLiteral("70mm × 20mm"), "2.76 × 0.79 in", "70 × 20 mm strip", 70 / 25.4,
               20 / 25.4, LabelShape::roundedRectangle);
    return p;
}
const LabelPreset &LabelPreset::rect3x2()
{
    static const LabelPreset p = preset("rect-3x2", QStringLiteral("3×2 Rectangle"), "3.0 × 2.0 in",
                                        "3×2 Rectangle", 3.0, 2.0, LabelShape::roundedRectangle);
    return p;
}
const LabelPreset &LabelPreset::custom()
{
    static const LabelPreset p =
        preset("custom", QStringLiteral("Custom"), "Editable width, height, and shape", "Custom", 2.0, 2.0,
               LabelShape::roundedRectangle);
    return p;
}
const QList<LabelPreset> &LabelPreset::all()
{
    static const QList<LabelPreset> list{rect1x2(), circle2(), shipping4x6(), circle2_5(),
                                         mm50x25(), mm70x20(), rect3x2(),     custom()};
    return list;
}

PRINTKIT_RECORD_COMPARISON(LabelCalibration, calibration, calibration.startPositionMillimeters,
                           calibration.stopOffsetMillimeters, calibration.rotationDegrees,
                           calibration.postPrintAction)

PRINTKIT_RECORD_COMPARISON(LabelContent, content, content.brand, content.headline, content.detail,
                           content.qrPayload, content.footer)

PRINTKIT_RECORD_COMPARISON(LabelPreset, preset, preset.id, preset.title, preset.subtitle, preset.canvas,
                           preset.recommendedCalibration)

} // namespace printkit
