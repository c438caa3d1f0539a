#include "ui/labels/label_samples.h"

namespace quill {

namespace {

const QString &showTitle()
{
    static const QString title = QStringLiteral("Test Show");
    return title;
}

const QString &secondBuyer()
{
    static const QString buyer = QStringLiteral("cardshark_22");
    return buyer;
}

} // namespace

LabelContent LabelSamples::winner()
{
    return LabelContent::individual(QStringLiteral("vintage_vault"), QStringLiteral("$45.00"), 17, 3,
                                    QStringLiteral("1999 Holo Starter Pack"), showTitle());
}

LabelContent LabelSamples::box()
{
    return LabelContent::box(secondBuyer(), 3, showTitle());
}

LabelContent LabelSamples::shortPackingSlip()
{
    const QList<GroupedItem> items{
        {1, QStringLiteral("Sealed Booster Pack"), QStringLiteral("$22.50")},
        {3, QStringLiteral("Graded Rookie Card"), QStringLiteral("$15.00")},
        {7, QStringLiteral("Enamel Pin Set"), QStringLiteral("$8.50")},
    };
    return LabelContent::grouped(secondBuyer(), items, Decimal(46), showTitle());
}

} // namespace quill
