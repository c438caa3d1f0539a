#pragma once

#include <QAbstractListModel>

namespace quill {

class ShowDetailModel;

// The Auctions tab's rows: the filtered auctions, in list order.
class ShowAuctionsListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowAuctionsListModel)

public:
    enum Role
    {
        idRole = Qt::UserRole + 1,
        winnerRole,   // "@name"
        subtitleRole, // "Auction #12 · Mug" or empty
        priceRole,    // "$" and the stored price
        isPrintingRole,
        canPrintRole,
    };

    explicit ShowAuctionsListModel(ShowDetailModel &detail, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    void marksChanged();

    ShowDetailModel &m_detail;
};

// The Buyers tab's rows: the filtered buyer groups, largest total first.
class ShowBuyersListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowBuyersListModel)

public:
    enum Role
    {
        buyerRole = Qt::UserRole + 1, // the user name
        countRole,                    // "3 items"
        totalRole,                    // "$19.50"
        isPrintingRole,
        canPrintRole,
        isExpandedRole,
        lineTextsRole,  // "#12 · Mug" per auction
        linePricesRole, // "$" and the stored price per auction
    };

    explicit ShowBuyersListModel(ShowDetailModel &detail, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    void marksChanged();

    ShowDetailModel &m_detail;
};

} // namespace quill
