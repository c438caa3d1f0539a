#pragma once

#include "common/settings.h"
#include "printing/label_appearance.h"
#include "printing/label_media.h"
#include "printing/orientation.h"

#include <QString>

#include <optional>

namespace quill {

// The saved print settings of one kind of label. Kinds are passed as an index:
// 0 winner label ("individual"), 1 box label ("box"), anything else packing slip
// ("grouped"). Stored under "label_<word>_style", "_paperSize", "_orientation" and
// "_printer".
struct LabelSectionState
{
    LabelVariant selectedStyle = LabelVariant::bold;
    std::optional<QString> selectedPrinter;
    bool isPrinting = false; // screen state, never stored
    LabelMedia selectedMedia;
    Orientation selectedOrientation = Orientation::landscape;

    static QString labelTypeWord(int labelType);
    static LabelSectionState defaults(int labelType);

    // The stored settings; a missing or unknown stored value keeps the kind's default.
    // The medium is looked up among the built-in media and the custom media stored in `settings`.
    static LabelSectionState load(int labelType, Settings &settings);
    // Writes style, medium id, orientation and printer (removing the printer key when
    // there is none). Returns why they did not reach the settings file (also logged),
    // or nothing when they did.
    std::optional<QString> save(int labelType, Settings &settings) const;

    bool operator==(const LabelSectionState &) const = default;

    // Box labels print on the winner labels' printer unless this is set.
    static QString separateBoxPrinterKey() { return QStringLiteral("label_boxLabels_useSeparatePrinter"); }
    // The printer auto-select for choices still empty: the first printer (the default
    // comes first), box labels where winner labels go unless they have their own. Only
    // the printer keys are written; a choice already made is left alone.
    static void fillEmptyPrinterChoices(const QList<QString> &printers, Settings &settings);
};

} // namespace quill
