#include "ui/history/show_detail_lists.h"

#include "ui/history/history_texts.h"
#include "ui/history/show_detail_model.h"

namespace quill {

ShowAuctionsListModel::ShowAuctionsListModel(ShowDetailModel &detail, QObject *parent)
    : QAbstractListModel(parent), m_detail(detail)
{
    connect(&m_detail, &ShowDetailModel::listsChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&m_detail, &ShowDetailModel::printingChanged, this, &ShowAuctionsListModel::marksChanged);
    connect(&m_detail, &ShowDetailModel::printersChanged, this, &ShowAuctionsListModel::marksChanged);
}

int ShowAuctionsListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_detail.filteredAuctions().size());
}

QVariant ShowAuctionsListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_detail.filteredAuctions().size())
        return {};
    const ServerAuction &auction = m_detail.filteredAuctions().at(index.row());
    switch (role) {
    case idRole:
        return auction.id;
    case Qt::DisplayRole:
    case winnerRole:
        return QString(QLatin1Char('@') + auction.winnerUsername);
    case subtitleRole:
        return auctionSubtitle(auction);
    case priceRole:
        return QString(QLatin1Char('$') + auction.salePrice);
    case isPrintingRole:
        return m_detail.isPrintingAuction(auction.id);
    case canPrintRole:
        return m_detail.printerName(ShowDetailModel::kWinnerLabelType).has_value();
    default:
        return {};
    }
}

void ShowAuctionsListModel::marksChanged()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {isPrintingRole, canPrintRole});
}

ShowBuyersListModel::ShowBuyersListModel(ShowDetailModel &detail, QObject *parent)
    : QAbstractListModel(parent), m_detail(detail)
{
    connect(&m_detail, &ShowDetailModel::listsChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&m_detail, &ShowDetailModel::printingChanged, this, &ShowBuyersListModel::marksChanged);
    connect(&m_detail, &ShowDetailModel::printersChanged, this, &ShowBuyersListModel::marksChanged);
    // Rows change height: the view lays them out again.
    connect(&m_detail, &ShowDetailModel::expandedChanged, this, [this] {
        Q_EMIT layoutAboutToBeChanged();
        Q_EMIT layoutChanged();
    });
}

int ShowBuyersListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_detail.filteredBuyerGroups().size());
}

QVariant ShowBuyersListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_detail.filteredBuyerGroups().size())
        return {};
    const ShowBuyerGroup &group = m_detail.filteredBuyerGroups().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case buyerRole:
        return group.buyer;
    case countRole:
        return itemCountText(group.auctions.size());
    case totalRole:
        return QString(QLatin1Char('$') + group.total.toMoneyString());
    case isPrintingRole:
        return m_detail.isPrintingBuyer(group.buyer);
    case canPrintRole:
        return m_detail.printerName(ShowDetailModel::kPackingSlipType).has_value();
    case isExpandedRole:
        return m_detail.isExpanded(group.buyer);
    case lineTextsRole: {
        QStringList lines;
        for (const ServerAuction &auction : group.auctions)
            lines.append(auctionSubtitle(auction, QStringLiteral("#")));
        return lines;
    }
    case linePricesRole: {
        QStringList prices;
        for (const ServerAuction &auction : group.auctions)
            prices.append(QLatin1Char('$') + auction.salePrice);
        return prices;
    }
    default:
        return {};
    }
}

void ShowBuyersListModel::marksChanged()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {isPrintingRole, canPrintRole});
}

} // namespace quill
