#pragma once

#include "backend/api_records.h"
#include "printing/label_section_state.h"
#include "printing/print_result.h"
#include "ui/history/batch_print_run.h"
#include "ui/history/show_printer.h"

#include <QCoroTask>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimeZone>
#include <functional>
#include <memory>
#include <optional>

namespace quill {

class LabelAppearanceStore;
class PrintKitAdapter;
class Settings;
class ShowHistoryStore;

enum class DetailTab
{
    buyers,
    auctions,
};
QString detailTabText(DetailTab tab);
std::optional<DetailTab> detailTabFromText(const QString &text);

struct StatCardEntry
{
    QString title;
    QString value;

    bool operator==(const StatCardEntry &) const = default;
};

// What the show detail reaches: the stores and printers, and whether the account is staff.
struct ShowDetailServices
{
    ShowHistoryStore &store;
    PrintKitAdapter &printAdapter;
    Settings &settings;
    std::shared_ptr<ShowPrinter> printer;
    std::function<bool()> isStaff; // empty: nobody is staff
    QObject *runOwner = nullptr;   // keeps batch runs alive after the card closes
    LabelAppearanceStore &appearance;
    QLocale locale = QLocale();
    QTimeZone zone = QTimeZone::systemTimeZone();
};

// The detail of one show, without widgets: its auctions once fetched, the buyer groups
// and box numbers derived from them, the tab and search, the statistics, the rows'
// printing marks and the delete. Row marks are keyed by auction id or buyer, so a
// list rebuilt while a print runs keeps showing it.
class ShowDetailModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowDetailModel)

public:
    static constexpr int kWinnerLabelType = 0;
    static constexpr int kPackingSlipType = 2;

    ShowDetailModel(ShowSummary show, ShowDetailServices services, QObject *parent = nullptr);
    ~ShowDetailModel() override;

    const ShowSummary &show() const { return m_show; }
    QString mainTitle() const;
    bool isLive() const;
    std::optional<QString> headerDateText() const;

    // Fetches the show's auctions; an answer for a card that closed, or for an
    // earlier load, is dropped.
    void load();
    bool isLoading() const { return m_isLoading; }
    const std::optional<ShowAuctionsResponse> &response() const { return m_response; }
    // For tests and the screens: as if the fetch had answered.
    void setResponse(std::optional<ShowAuctionsResponse> response);

    DetailTab selectedTab() const { return m_tab; }
    void setSelectedTab(DetailTab tab);
    const QString &searchText() const { return m_searchText; }
    void setSearchText(const QString &text);

    const QList<ShowBuyerGroup> &buyerGroups() const { return m_groups; }
    const QHash<QString, int> &boxNumbers() const { return m_boxNumbers; }
    const QList<ServerAuction> &filteredAuctions() const { return m_filteredAuctions; }
    const QList<ShowBuyerGroup> &filteredBuyerGroups() const { return m_filteredGroups; }
    std::optional<int> boxNumber(const QString &winner) const;

    QList<StatCardEntry> statCards() const;
    bool showsPackingSlipsCTA() const;
    // "No auctions recorded.", "No matching buyers." ...; empty when the tab lists rows.
    QString emptyListText() const;
    // "Buyers (3)", "Auctions (7)".
    QString listHeaderText() const;

    // The printer saved for the label kind, else the first listed, else none.
    std::optional<QString> printerName(int labelType) const;
    LabelSectionState labelState(int labelType) const;
    LabelAppearance appearance() const;
    const ShowDetailServices &services() const { return m_services; }

    // Row prints. The mark stays until the print call returns; a failure's message
    // shows in the card until the next print.
    void printWinnerLabel(const QString &auctionId);
    void printPackingSlip(const QString &buyer);
    bool isPrintingAuction(const QString &auctionId) const { return m_printingAuctions.contains(auctionId); }
    bool isPrintingBuyer(const QString &buyer) const { return m_printingBuyers.contains(buyer); }
    const QString &printFailure() const { return m_printFailure; }
    bool isExpanded(const QString &buyer) const { return m_expanded.contains(buyer); }
    void toggleExpanded(const QString &buyer);

    BatchPrintType initialBatchType() const;
    // A run of the current lists on `printer`; started by the caller after connecting.
    BatchPrintRun *makeBatchRun(BatchPrintType type, const QString &printer) const;
    QList<QString> printerNames() const;

    bool isStaff() const;
    bool isDeleting() const { return m_isDeleting; }
    const QString &deleteFailure() const { return m_deleteFailure; }
    // "This will permanently delete "<title>" and all its auction data. This cannot be undone."
    QString deleteConfirmationText() const;
    // The seller confirmed: deletes when the account is (still) staff.
    void confirmDelete();

Q_SIGNALS:
    void loadingChanged();
    void responseChanged();
    void listsChanged();
    void tabChanged();
    void printingChanged();
    void expandedChanged();
    void deletingChanged();
    void printersChanged();

private:
    QCoro::Task<> fetch(int generation);
    QCoro::Task<> runDelete();
    QCoro::Task<> runPrint(QString key, bool isBuyer, std::function<QCoro::Task<PrintResult>()> print);
    void rebuildDerived();
    void refilter();

    ShowSummary m_show;
    ShowDetailServices m_services;
    std::optional<ShowAuctionsResponse> m_response;
    bool m_isLoading = false;
    int m_generation = 0;
    DetailTab m_tab = DetailTab::buyers;
    QString m_searchText;

    QList<ShowBuyerGroup> m_groups;
    QHash<QString, int> m_boxNumbers;
    // Folded once per response: winner and item title of each auction, in list order.
    QList<QString> m_foldedWinners;
    QList<QString> m_foldedTitles;
    QHash<QString, QString> m_foldedBuyers;
    QList<ServerAuction> m_filteredAuctions;
    QList<ShowBuyerGroup> m_filteredGroups;

    QSet<QString> m_printingAuctions;
    QSet<QString> m_printingBuyers;
    QSet<QString> m_expanded;
    QString m_printFailure;
    bool m_isDeleting = false;
    QString m_deleteFailure;
};

} // namespace quill
