#pragma once

#include "common/decimal.h"
#include "printing/label_content.h"

namespace quill {

// The made-up labels of the Labels screen, one per kind: the cards' thumbnails, the
// custom size sheet's preview, the preview sheet and the test prints all show these,
// so what the seller looks at is what comes out of the printer.
struct LabelSamples
{
    static inline const QString kShowTitle = QStringLiteral("Test Show");
    static inline const QString kWinner = QStringLiteral("cardshark_mike");
    // The box label's and the packing slip's buyer.
    static inline const QString kBoxBuyer = QStringLiteral("vintage_finds22");

    // A winner label: price "$45.00", auction 17, box 3, show "Test Show".
    static LabelContent winner();
    // A box label for another buyer, box 3, show "Test Show".
    static LabelContent box();
    // The box label's buyer's packing slip: thirteen items whose prices add up to
    // exactly the total, 188.68.
    static QList<GroupedItem> packingSlipItems();
    static Decimal packingSlipTotal();
    static LabelContent packingSlip();
    // The custom size sheet's shorter slip for the same buyer: three items, total 46.00.
    static LabelContent customSizeSlip();
};

} // namespace quill
