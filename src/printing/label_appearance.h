#pragma once

#include <QFont>
#include <QImage>
#include <QList>
#include <QString>
#include <array>
#include <optional>
#include <utility>

namespace quill {

// The label style; each label layout has its own drawing for each case.
enum class LabelVariant
{
    bold,
    classic,
    minimal
};

// How the rendered label bitmap is converted before printing.
enum class LabelColorMode
{
    color,
    grayscale,
    blackAndWhite
};

// The groups of the font picker, in picker order.
enum class FontCategory
{
    system,
    sansSerif,
    serif,
    monospace,
    slab
};

// The typeface of every label text, in picker order.
enum class LabelFontChoice
{
    system,
    rounded,
    serif,
    monospaced,
    helveticaNeue,
    avenirNext,
    futura,
    gillSans,
    dinAlternate,
    georgia,
    baskerville,
    palatino,
    menlo,
    courier,
    americanTypewriter,
};

inline constexpr std::array kAllLabelVariants{LabelVariant::bold, LabelVariant::classic,
                                              LabelVariant::minimal};
inline constexpr std::array kAllLabelColorModes{LabelColorMode::color, LabelColorMode::grayscale,
                                                LabelColorMode::blackAndWhite};
inline constexpr std::array kAllFontCategories{FontCategory::system, FontCategory::sansSerif,
                                               FontCategory::serif, FontCategory::monospace,
                                               FontCategory::slab};
inline constexpr std::array kAllLabelFontChoices{
    LabelFontChoice::system,     LabelFontChoice::rounded,       LabelFontChoice::serif,
    LabelFontChoice::monospaced, LabelFontChoice::helveticaNeue, LabelFontChoice::avenirNext,
    LabelFontChoice::futura,     LabelFontChoice::gillSans,      LabelFontChoice::dinAlternate,
    LabelFontChoice::georgia,    LabelFontChoice::baskerville,   LabelFontChoice::palatino,
    LabelFontChoice::menlo,      LabelFontChoice::courier,       LabelFontChoice::americanTypewriter,
};

// The raw value is both the display text and the stored text.
QString rawValue(LabelVariant variant);
QString rawValue(LabelColorMode mode);
QString rawValue(FontCategory category);
QString rawValue(LabelFontChoice choice);

// Exact, case-sensitive matches of a raw value; anything else gives none.
std::optional<LabelVariant> labelVariantFromRawValue(const QString &text);
std::optional<LabelColorMode> labelColorModeFromRawValue(const QString &text);
std::optional<LabelFontChoice> labelFontChoiceFromRawValue(const QString &text);

// The name for narrow picker rows.
QString shortName(LabelFontChoice choice);
FontCategory category(LabelFontChoice choice);
// The four system designs apply the weight they are given; the named faces do not.
bool isSystemDesign(LabelFontChoice choice);

// The font of a choice at a point size and weight. Named faces ignore the weight:
// a layout that wants one applies it itself (see appearanceFont in the layouts).
QFont font(LabelFontChoice choice, qreal pointSize, QFont::Weight weight);

// The picker's groups: each category in order with its choices in order; empty
// categories are left out.
QList<std::pair<FontCategory, QList<LabelFontChoice>>> groupedFontChoices();

// What every label layout is handed. Layouts draw in colour and the print path
// converts the bitmap; the colour mode only lightens grey text on a black band that
// a black-and-white print would otherwise swallow.
struct LabelAppearance
{
    LabelFontChoice fontChoice = LabelFontChoice::system;
    std::optional<QImage> logoImage;
    LabelColorMode colorMode = LabelColorMode::blackAndWhite;
};

} // namespace quill
