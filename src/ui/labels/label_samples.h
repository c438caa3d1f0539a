#pragma once

#include "printing/label_content.h"

namespace quill {

// The made-up labels the cards show and test-print.
struct LabelSamples
{
    // A winner label: price "$45.00", auction 17, box 3, show "Test Show".
    static LabelContent winner();
    // A box label for another buyer, box 3, show "Test Show".
    static LabelContent box();
    // A three-item packing slip for the box label's buyer, total 46.00.
    static LabelContent shortPackingSlip();
};

} // namespace quill
