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
    // The medium is looked up among the built-in and the shared custom media.
    static LabelSectionState load(int labelType, Settings &settings = Settings::shared());
    // Writes style, medium id, orientation and printer (removing the printer key when
    // there is none). Returns why they did not reach the settings file (also logged),
    // or nothing when they did.
    std::optional<QString> save(int labelType, Settings &settings = Settings::shared()) const;

    bool operator==(const LabelSectionState &) const = default;
};

} // namespace quill
