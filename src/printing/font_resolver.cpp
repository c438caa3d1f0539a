#include "printing/font_resolver.h"

#include "printkit/rendering/text_drawing.h"

#include <QFontDatabase>

namespace quill {

namespace {

QFont makeFont(const QString &family, qreal pointSize)
{
    // After the chosen face, the toolkit's fallbacks: a buyer's emoji never prints as a box.
    QFont font = printkit::withFallbackFamilies(QFont(family));
    font.setPointSizeF(pointSize);
    // Unhinted outlines keep glyph shapes and advances the same at every output scale,
    // so a preview and a 300-dpi print break lines in the same places.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

} // namespace

QString FontResolver::systemFamily(SystemFontDesign design)
{
    switch (design) {
    case SystemFontDesign::standard:
        return QStringLiteral("Inter");
    case SystemFontDesign::rounded:
        return QStringLiteral("Comfortaa");
    case SystemFontDesign::serif:
        return QStringLiteral("DejaVu Serif");
    case SystemFontDesign::monospaced:
        return QStringLiteral("JetBrains Mono");
    }
    return QStringLiteral("Inter");
}

QString FontResolver::family(LabelFontChoice choice)
{
    switch (choice) {
    case LabelFontChoice::system:
        return systemFamily(SystemFontDesign::standard);
    case LabelFontChoice::rounded:
        return systemFamily(SystemFontDesign::rounded);
    case LabelFontChoice::serif:
        return systemFamily(SystemFontDesign::serif);
    case LabelFontChoice::monospaced:
        return systemFamily(SystemFontDesign::monospaced);
    case LabelFontChoice::helveticaNeue:
        return QStringLiteral("Nimbus Sans");
    case LabelFontChoice::avenirNext:
        return QStringLiteral("TeX Gyre Adventor");
    case LabelFontChoice::futura:
        return QStringLiteral("League Spartan");
    case LabelFontChoice::gillSans:
        return QStringLiteral("Gillius ADF");
    case LabelFontChoice::dinAlternate:
        return QStringLiteral("OSP-DIN");
    case LabelFontChoice::georgia:
        return QStringLiteral("C059");
    case LabelFontChoice::baskerville:
        return QStringLiteral("Baskervald ADF Std");
    case LabelFontChoice::palatino:
        return QStringLiteral("P052");
    case LabelFontChoice::menlo:
        return QStringLiteral("DejaVu Sans Mono");
    case LabelFontChoice::courier:
        return QStringLiteral("Nimbus Mono PS");
    case LabelFontChoice::americanTypewriter:
        return QStringLiteral("Roboto Slab");
    }
    return systemFamily(SystemFontDesign::standard);
}

QFont FontResolver::systemFont(qreal pointSize, QFont::Weight weight, SystemFontDesign design)
{
    QFont font = makeFont(systemFamily(design), pointSize);
    font.setWeight(weight);
    if (design == SystemFontDesign::monospaced)
        font.setStyleHint(QFont::Monospace);
    return font;
}

QFont FontResolver::face(const QString &family, qreal pointSize)
{
    return makeFont(family, pointSize);
}

QStringList FontResolver::families()
{
    QStringList result;
    for (const SystemFontDesign design : {SystemFontDesign::standard, SystemFontDesign::rounded,
                                          SystemFontDesign::serif, SystemFontDesign::monospaced})
        result.append(systemFamily(design));
    for (const LabelFontChoice choice : kAllLabelFontChoices)
        if (!result.contains(family(choice)))
            result.append(family(choice));
    for (const QString &fallback : printkit::fallbackFamilies())
        if (!result.contains(fallback))
            result.append(fallback);
    return result;
}

QStringList FontResolver::missingFamilies()
{
    // A family installed by more than one foundry is listed as "Name [foundry]".
    QStringList installed;
    const QStringList listed = QFontDatabase::families();
    for (const QString &entry : listed)
        installed.append(entry.section(QStringLiteral(" ["), 0, 0));
    QStringList missing;
    for (const QString &name : families())
        if (!installed.contains(name, Qt::CaseInsensitive))
            missing.append(name);
    return missing;
}

} // namespace quill
