#include "ui/history/show_printer.h"

#include "printing/print_service.h"
#include "ui/history/history_texts.h"

#include <algorithm>

namespace quill {

namespace {

std::optional<int> asInt(const std::optional<qint64> &value)
{
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*value);
}

PrintResult serviceGone()
{
    return PrintResult::failed(QStringLiteral("The print service is not available"));
}

} // namespace

QList<ShowBuyerGroup> showBuyerGroups(const QList<ServerAuction> &auctions)
{
    QList<ShowBuyerGroup> groups;
    QHash<QString, qsizetype> indexOf;
    for (const ServerAuction &auction : auctions) {
        auto found = indexOf.constFind(auction.winnerUsername);
        qsizetype index;
        if (found == indexOf.constEnd()) {
            index = groups.size();
            indexOf.insert(auction.winnerUsername, index);
            groups.append(ShowBuyerGroup{auction.winnerUsername, {}, Decimal()});
        } else {
            index = *found;
        }
        ShowBuyerGroup &group = groups[index];
        group.auctions.append(auction);
        if (const auto amount = plainAmount(auction.salePrice)) {
            // An amount past the exact range adds nothing rather than a wrong total.
            if (const auto sum = group.total.checkedAdd(*amount))
                group.total = *sum;
        }
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const ShowBuyerGroup &a, const ShowBuyerGroup &b) { return a.total > b.total; });
    return groups;
}

LabelContent winnerLabelContent(const ServerAuction &auction, std::optional<int> boxNumber,
                                const QString &showTitle)
{
    return LabelContent::individual(auction.winnerUsername, QLatin1Char('$') + auction.salePrice,
                                    asInt(auction.auctionNumber), boxNumber, auction.rawTitle, showTitle);
}

QList<GroupedItem> packingSlipItems(const QList<ServerAuction> &auctions)
{
    QList<GroupedItem> items;
    items.reserve(auctions.size());
    for (const ServerAuction &auction : auctions)
        items.append(GroupedItem{asInt(auction.auctionNumber), auction.rawTitle.value_or(QStringLiteral("Auction")),
                                 auction.salePrice});
    return items;
}

PrintServiceShowPrinter::PrintServiceShowPrinter(PrintService &service) : m_service(&service) {}

QCoro::Task<PrintResult> PrintServiceShowPrinter::printWinnerLabel(QString printer, LabelContent content,
                                                                   LabelVariant style, LabelMedia media,
                                                                   Orientation orientation)
{
    if (!m_service)
        co_return serviceGone();
    QCoro::Task<PrintResult> printing =
        m_service->printContent(std::move(printer), std::move(content), style, std::move(media), orientation);
    PrintResult result = co_await std::move(printing);
    co_return result;
}

QCoro::Task<PrintResult> PrintServiceShowPrinter::printPackingSlip(QString printer, QString buyer,
                                                                   QList<GroupedItem> items, Decimal total,
                                                                   QString showTitle, LabelVariant style,
                                                                   LabelMedia media, Orientation orientation)
{
    if (!m_service)
        co_return serviceGone();
    QCoro::Task<PrintResult> printing =
        m_service->printLabel(std::move(printer), std::move(buyer), std::move(items), total, std::move(showTitle),
                              style, std::move(media), orientation);
    PrintResult result = co_await std::move(printing);
    co_return result;
}

} // namespace quill
