#include "designer/template_fonts.h"

#include "designer/label_template.h"

#include <QHash>

namespace quill {

const QStringList &templateFontFamilies()
{
    static const QStringList families{
        QStringLiteral("Arial"),   QStringLiteral("Helvetica"),       QStringLiteral("Courier New"),
        QStringLiteral("Georgia"), QStringLiteral("Times New Roman"), QStringLiteral("Verdana"),
        QStringLiteral("Menlo"),   QStringLiteral("SF Pro"),
    };
    return families;
}

QString installedFontFamily(const QString &family)
{
    // Metric-compatible faces where one exists; where the label appearance's font
    // choices name the same face (Helvetica, Georgia, Menlo, the system face) the same
    // stand-in as there, so one typeface never prints two ways.
    static const QHash<QString, QString> map{
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Helvetica"), QStringLiteral("Nimbus Sans")},
        {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("Georgia"), QStringLiteral("C059")},
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")},
        {QStringLiteral("Menlo"), QStringLiteral("DejaVu Sans Mono")},
        {QStringLiteral("SF Pro"), QStringLiteral("Inter")},
    };
    return map.value(family);
}

int cssFontWeight(FontWeightValue weight)
{
    switch (weight) {
    case FontWeightValue::light:
        return 300;
    case FontWeightValue::regular:
        return 400;
    case FontWeightValue::medium:
        return 500;
    case FontWeightValue::semibold:
        return 600;
    case FontWeightValue::bold:
        return 700;
    case FontWeightValue::heavy:
        return 800;
    case FontWeightValue::black:
        return 900;
    }
    return 400;
}

QFont templateFont(const QString &family, FontWeightValue weight, double pointSize, double deviceDpi)
{
    QFont font;
    QStringList families;
    const QString installed = installedFontFamily(family);
    if (!installed.isEmpty())
        families.append(installed);
    if (!family.isEmpty())
        families.append(family);
    families.append(QStringLiteral("DejaVu Sans")); // what the page's sans-serif resolves to
    font.setFamilies(families);
    // QFont point sizes follow the device's dots per inch; a label point must stay one
    // unit of the painter, as the page's pt is one point of the label.
    font.setPointSizeF(std::max(pointSize, 0.1) * 72.0 / (deviceDpi > 0 ? deviceDpi : 72.0));
    font.setWeight(static_cast<QFont::Weight>(cssFontWeight(weight)));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

} // namespace quill
