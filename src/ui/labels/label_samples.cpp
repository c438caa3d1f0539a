#include "ui/labels/label_samples.h"

namespace quill {

LabelContent LabelSamples::winner()
{
    return LabelContent::individual(kWinner, QStringLiteral("$45.00"), 17, 3,
                                    QStringLiteral("Holo Dragon Card PSA 9"), kShowTitle);
}

LabelContent LabelSamples::box()
{
    return LabelContent::box(kBoxBuyer, 3, kShowTitle);
}

QList<GroupedItem> LabelSamples::packingSlipItems()
{
    static const QList<GroupedItem> items{
        {1, QStringLiteral("Booster Pack"), QStringLiteral("22.50")},
        {3, QStringLiteral("Foil Rare"), QStringLiteral("15.00")},
        {5, QStringLiteral("Sleeve Set"), QStringLiteral("12.24")},
        {7, QStringLiteral("Promo Card"), QStringLiteral("8.50")},
        {9, QStringLiteral("Graded Slab"), QStringLiteral("31.00")},
        {11, QStringLiteral("Mystery Pack"), QStringLiteral("6.75")},
        {14, QStringLiteral("Deck Box"), QStringLiteral("19.00")},
        {16, QStringLiteral("Sticker Sheet"), QStringLiteral("4.50")},
        {18, QStringLiteral("Starter Deck"), QStringLiteral("27.00")},
        {21, QStringLiteral("Playmat"), QStringLiteral("11.25")},
        {23, QStringLiteral("Coin Set"), QStringLiteral("9.00")},
        {25, QStringLiteral("Binder Page"), QStringLiteral("14.50")},
        {28, QStringLiteral("Bulk Lot"), QStringLiteral("7.44")},
    };
    return items;
}

Decimal LabelSamples::packingSlipTotal()
{
    Decimal total;
    for (const GroupedItem &item : packingSlipItems())
        total = total.checkedAdd(Decimal::fromString(item.price).value_or(Decimal())).value_or(total);
    return total;
}

LabelContent LabelSamples::packingSlip()
{
    return LabelContent::grouped(kBoxBuyer, packingSlipItems(), packingSlipTotal(), kShowTitle);
}

LabelContent LabelSamples::customSizeSlip()
{
    const QList<GroupedItem> items{
        {1, QStringLiteral("Booster Pack"), QStringLiteral("22.50")},
        {3, QStringLiteral("Foil Rare"), QStringLiteral("15.00")},
        {7, QStringLiteral("Promo Card"), QStringLiteral("8.50")},
    };
    return LabelContent::grouped(
        kBoxBuyer, items, Decimal::fromString(QStringLiteral("46.00")).value_or(Decimal()), kShowTitle);
}

} // namespace quill
