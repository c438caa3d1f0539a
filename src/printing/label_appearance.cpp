#include "printing/label_appearance.h"

#include "printing/font_resolver.h"

namespace quill {

namespace {

template <typename Enum, size_t N>
std::optional<Enum> fromRaw(const std::array<Enum, N> &cases, const QString &text)
{
    for (const Enum value : cases)
        if (rawValue(value) == text)
            return value;
    return std::nullopt;
}

} // namespace

QString rawValue(LabelVariant variant)
{
    switch (variant) {
    case LabelVariant::bold:
        return QStringLiteral("Bold");
    case LabelVariant::classic:
        return QStringLiteral("Classic");
    case LabelVariant::minimal:
        return QStringLiteral("Minimal");
    }
    return {};
}

QString rawValue(LabelColorMode mode)
{
    switch (mode) {
    case LabelColorMode::color:
        return QStringLiteral("Color");
    case LabelColorMode::grayscale:
        return QStringLiteral("Grayscale");
    case LabelColorMode::blackAndWhite:
        return QStringLiteral("Black & White");
    }
    return {};
}

QString rawValue(FontCategory category)
{
    switch (category) {
    case FontCategory::system:
        return QStringLiteral("System");
    case FontCategory::sansSerif:
        return QStringLiteral("Sans-Serif");
    case FontCategory::serif:
        return QStringLiteral("Serif");
    case FontCategory::monospace:
        return QStringLiteral("Monospace");
    case FontCategory::slab:
        return QStringLiteral("Slab");
    }
    return {};
}

QString rawValue(LabelFontChoice choice)
{
    switch (choice) {
    case LabelFontChoice::system:
        return QStringLiteral("Default");
    case LabelFontChoice::rounded:
        return QStringLiteral("Rounded");
    case LabelFontChoice::serif:
        return QStringLiteral("Serif");
    case LabelFontChoice::monospaced:
        return QStringLiteral("Monospaced");
    case LabelFontChoice::helveticaNeue:
        return QStringLiteral("Helvetica Neue");
    case LabelFontChoice::avenirNext:
        return QStringLiteral("Avenir Next");
    case LabelFontChoice::futura:
        return QStringLiteral("Futura");
    case LabelFontChoice::gillSans:
        return QStringLiteral("Gill Sans");
    case LabelFontChoice::dinAlternate:
        return QStringLiteral("DIN Alternate");
    case LabelFontChoice::georgia:
        return QStringLiteral("Georgia");
    case LabelFontChoice::baskerville:
        return QStringLiteral("Baskerville");
    case LabelFontChoice::palatino:
        return QStringLiteral("Palatino");
    case LabelFontChoice::menlo:
        return QStringLiteral("Menlo");
    case LabelFontChoice::courier:
        return QStringLiteral("Courier");
    case LabelFontChoice::americanTypewriter:
        return QStringLiteral("American Typewriter");
    }
    return {};
}

std::optional<LabelVariant> labelVariantFromRawValue(const QString &text)
{
    return fromRaw(kAllLabelVariants, text);
}

std::optional<LabelColorMode> labelColorModeFromRawValue(const QString &text)
{
    return fromRaw(kAllLabelColorModes, text);
}

std::optional<LabelFontChoice> labelFontChoiceFromRawValue(const QString &text)
{
    return fromRaw(kAllLabelFontChoices, text);
}

QString shortName(LabelFontChoice choice)
{
    if (choice == LabelFontChoice::americanTypewriter)
        return QStringLiteral("Am. Typewriter");
    return rawValue(choice);
}

FontCategory category(LabelFontChoice choice)
{
    switch (choice) {
    case LabelFontChoice::system:
    case LabelFontChoice::rounded:
    case LabelFontChoice::serif:
    case LabelFontChoice::monospaced:
        return FontCategory::system;
    case LabelFontChoice::helveticaNeue:
    case LabelFontChoice::avenirNext:
    case LabelFontChoice::futura:
    case LabelFontChoice::gillSans:
    case LabelFontChoice::dinAlternate:
        return FontCategory::sansSerif;
    case LabelFontChoice::georgia:
    case LabelFontChoice::baskerville:
    case LabelFontChoice::palatino:
        return FontCategory::serif;
    case LabelFontChoice::menlo:
    case LabelFontChoice::courier:
        return FontCategory::monospace;
    case LabelFontChoice::americanTypewriter:
        return FontCategory::slab;
    }
    return FontCategory::system;
}

bool isSystemDesign(LabelFontChoice choice)
{
    return category(choice) == FontCategory::system;
}

QFont font(LabelFontChoice choice, qreal pointSize, QFont::Weight weight)
{
    switch (choice) {
    case LabelFontChoice::system:
        return FontResolver::systemFont(pointSize, weight, SystemFontDesign::standard);
    case LabelFontChoice::rounded:
        return FontResolver::systemFont(pointSize, weight, SystemFontDesign::rounded);
    case LabelFontChoice::serif:
        return FontResolver::systemFont(pointSize, weight, SystemFontDesign::serif);
    case LabelFontChoice::monospaced:
        return FontResolver::systemFont(pointSize, weight, SystemFontDesign::monospaced);
    default:
        return FontResolver::face(FontResolver::family(choice), pointSize);
    }
}

QList<std::pair<FontCategory, QList<LabelFontChoice>>> groupedFontChoices()
{
    QList<std::pair<FontCategory, QList<LabelFontChoice>>> groups;
    for (const FontCategory group : kAllFontCategories) {
        QList<LabelFontChoice> choices;
        for (const LabelFontChoice choice : kAllLabelFontChoices)
            if (category(choice) == group)
                choices.append(choice);
        if (!choices.isEmpty())
            groups.append({group, choices});
    }
    return groups;
}

} // namespace quill
