#pragma once

#include "backend/api_records.h"
#include "common/decimal.h"
#include "printing/label_content.h"
#include "printing/label_media.h"
#include "printing/orientation.h"
#include "printing/print_result.h"

#include <QCoroTask>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <optional>

namespace quill {

class PrintService;

// One buyer of a past show: the auctions won, in the backend's order, and their total.
struct ShowBuyerGroup
{
    QString buyer;
    QList<ServerAuction> auctions;
    Decimal total; // the plain amounts among the sale prices

    bool operator==(const ShowBuyerGroup &) const = default;
};

// The buyer groups of a show: by exact winner name, largest total first; equal totals
// keep the order of each buyer's first win in the list.
QList<ShowBuyerGroup> showBuyerGroups(const QList<ServerAuction> &auctions);

// A reprinted winner label: "$" and the stored sale price, the buyer's box number,
// the item title when there is one.
LabelContent winnerLabelContent(const ServerAuction &auction, std::optional<int> boxNumber,
                                const QString &showTitle);
// A packing slip's lines: an auction without a title is listed as "Auction".
QList<GroupedItem> packingSlipItems(const QList<ServerAuction> &auctions);

// Where the show screens' reprints go. The product hands them to the print service;
// tests record them.
class ShowPrinter
{
public:
    virtual ~ShowPrinter() = default;
    virtual QCoro::Task<PrintResult> printWinnerLabel(QString printer, LabelContent content, LabelVariant style,
                                                      LabelMedia media, Orientation orientation) = 0;
    virtual QCoro::Task<PrintResult> printPackingSlip(QString printer, QString buyer, QList<GroupedItem> items,
                                                      Decimal total, QString showTitle, LabelVariant style,
                                                      LabelMedia media, Orientation orientation) = 0;
};

// Reprints through the application's print service: the same bitmap pipeline as
// every other label, and nothing goes to the automatic print queue.
class PrintServiceShowPrinter final : public ShowPrinter
{
public:
    explicit PrintServiceShowPrinter(PrintService &service);

    QCoro::Task<PrintResult> printWinnerLabel(QString printer, LabelContent content, LabelVariant style,
                                              LabelMedia media, Orientation orientation) override;
    QCoro::Task<PrintResult> printPackingSlip(QString printer, QString buyer, QList<GroupedItem> items,
                                              Decimal total, QString showTitle, LabelVariant style,
                                              LabelMedia media, Orientation orientation) override;

private:
    QPointer<PrintService> m_service;
};

} // namespace quill
