#pragma once

#include "printing/label_appearance.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace quill {

// The designs of the platform's system typeface that labels ask for.
enum class SystemFontDesign
{
    standard,
    rounded,
    serif,
    monospaced
};

// The one place that knows which installed family stands in for each typeface a
// label can ask for. Every family named here is installed by scripts/install-deps.sh,
// so a label renders the same on every machine the project sets up.
class FontResolver final
{
public:
    FontResolver() = delete;

    static QString systemFamily(SystemFontDesign design);
    // The family behind a font choice: the system design's family for the four
    // system choices, the named face's substitute for the others.
    static QString family(LabelFontChoice choice);

    // The system typeface of a design at a point size and weight.
    static QFont systemFont(qreal pointSize, QFont::Weight weight,
                            SystemFontDesign design = SystemFontDesign::standard);
    // A family at a point size, regular weight.
    static QFont face(const QString &family, qreal pointSize);

    // Every family the resolver can hand out, the fallbacks of every label text included.
    static QStringList families();
    // The families above that this machine does not have; empty when all are installed.
    static QStringList missingFamilies();
};

} // namespace quill
