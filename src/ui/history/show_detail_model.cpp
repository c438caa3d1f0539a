#include "ui/history/show_detail_model.h"

#include "backend/show_history_store.h"
#include "common/detached_task.h"
#include "printing/label_appearance_store.h"
#include "printing/label_content.h"
#include "printing/print_kit_adapter.h"
#include "ui/history/history_texts.h"

#include <QLoggingCategory>
#include <QPointer>

namespace quill {

namespace {
Q_LOGGING_CATEGORY(lcShowDetail, "app.quillmark.Quillmark.ShowDetail")
} // namespace

QString detailTabText(DetailTab tab)
{
    return tab == DetailTab::buyers ? QStringLiteral("Buyers") : QStringLiteral("Auctions");
}

std::optional<DetailTab> detailTabFromText(const QString &text)
{
    if (text == QLatin1String("Buyers"))
        return DetailTab::buyers;
    if (text == QLatin1String("Auctions"))
        return DetailTab::auctions;
    return std::nullopt;
}

ShowDetailModel::ShowDetailModel(ShowSummary show, ShowDetailServices services, QObject *parent)
    : QObject(parent), m_show(std::move(show)), m_services(std::move(services))
{
    connect(&m_services.printAdapter, &PrintKitAdapter::printersChanged, this, &ShowDetailModel::printersChanged);
}

ShowDetailModel::~ShowDetailModel() = default;

QString ShowDetailModel::mainTitle() const
{
    return cleanShowTitle(m_show.title).title;
}

bool ShowDetailModel::isLive() const
{
    return m_show.status == QLatin1String("live");
}

std::optional<QString> ShowDetailModel::headerDateText() const
{
    return showHeaderDateText(m_show.createdAt, m_services.locale, m_services.zone);
}

void ShowDetailModel::load()
{
    startDetached(fetch(++m_generation), lcShowDetail(), "The show's auctions fetch");
}

QCoro::Task<> ShowDetailModel::fetch(int generation)
{
    QPointer<ShowDetailModel> self(this);
    m_isLoading = true;
    Q_EMIT loadingChanged();
    QPointer<ShowHistoryStore> store(&m_services.store);
    QCoro::Task<std::optional<ShowAuctionsResponse>> fetching = store->fetchShowAuctions(m_show.id);
    std::optional<ShowAuctionsResponse> response = co_await std::move(fetching);
    // The card closed, or another load started meanwhile: this answer is nobody's.
    if (!self || generation != m_generation)
        co_return;
    m_isLoading = false;
    setResponse(std::move(response));
    Q_EMIT loadingChanged();
}

void ShowDetailModel::setResponse(std::optional<ShowAuctionsResponse> response)
{
    m_response = std::move(response);
    rebuildDerived();
    Q_EMIT responseChanged();
    Q_EMIT listsChanged();
}

void ShowDetailModel::rebuildDerived()
{
    m_groups.clear();
    m_boxNumbers.clear();
    m_foldedWinners.clear();
    m_foldedTitles.clear();
    m_foldedBuyers.clear();
    if (m_response) {
        const QList<ServerAuction> &auctions = m_response->auctions;
        m_groups = showBuyerGroups(auctions);
        m_boxNumbers = boxNumberMap(auctions);
        m_foldedWinners.reserve(auctions.size());
        m_foldedTitles.reserve(auctions.size());
        for (const ServerAuction &auction : auctions) {
            auto known = m_foldedBuyers.constFind(auction.winnerUsername);
            if (known == m_foldedBuyers.constEnd())
                known = m_foldedBuyers.insert(auction.winnerUsername, foldedForSearch(auction.winnerUsername));
            m_foldedWinners.append(*known);
            m_foldedTitles.append(auction.rawTitle ? foldedForSearch(*auction.rawTitle) : QString());
        }
    }
    refilter();
}

void ShowDetailModel::refilter()
{
    m_filteredAuctions.clear();
    m_filteredGroups.clear();
    if (!m_response)
        return;
    const QList<ServerAuction> &auctions = m_response->auctions;
    // Only a text with no characters at all shows everything: one space filters.
    if (m_searchText.isEmpty()) {
        m_filteredAuctions = auctions;
        m_filteredGroups = m_groups;
        return;
    }
    const QString needle = foldedForSearch(m_searchText);
    for (qsizetype i = 0; i < auctions.size(); ++i) {
        if (m_foldedWinners.at(i).contains(needle) ||
            (auctions.at(i).rawTitle && m_foldedTitles.at(i).contains(needle)))
            m_filteredAuctions.append(auctions.at(i));
    }
    for (const ShowBuyerGroup &group : std::as_const(m_groups)) {
        if (m_foldedBuyers.value(group.buyer).contains(needle))
            m_filteredGroups.append(group);
    }
}

void ShowDetailModel::setSelectedTab(DetailTab tab)
{
    if (tab == m_tab)
        return;
    m_tab = tab;
    Q_EMIT tabChanged();
}

void ShowDetailModel::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    refilter();
    Q_EMIT listsChanged();
}

std::optional<int> ShowDetailModel::boxNumber(const QString &winner) const
{
    const auto found = m_boxNumbers.constFind(winner);
    if (found == m_boxNumbers.constEnd())
        return std::nullopt;
    return *found;
}

QList<StatCardEntry> ShowDetailModel::statCards() const
{
    QList<StatCardEntry> cards;
    if (!m_response)
        return cards;
    const ShowAuctionStats &stats = m_response->stats;
    cards.append({QStringLiteral("Auctions"), QString::number(stats.auctionCount)});
    cards.append({QStringLiteral("Revenue"), formatRevenue(stats.revenue)});
    cards.append({QStringLiteral("Buyers"), QString::number(stats.uniqueBuyers)});
    if (const auto average = averageSaleText(stats.revenue, stats.auctionCount))
        cards.append({QStringLiteral("Avg Sale"), *average});
    if (const auto duration = showDurationText(m_show.startedAt, m_show.endedAt))
        cards.append({QStringLiteral("Duration"), *duration});
    if (!m_groups.isEmpty())
        cards.append({QStringLiteral("Top Buyer"), QLatin1Char('@') + m_groups.first().buyer});
    return cards;
}

bool ShowDetailModel::showsPackingSlipsCTA() const
{
    return m_response && m_show.status == QLatin1String("completed") && !m_groups.isEmpty();
}

QString ShowDetailModel::emptyListText() const
{
    if (!m_response)
        return QString();
    if (m_tab == DetailTab::auctions) {
        if (m_response->auctions.isEmpty())
            return QStringLiteral("No auctions recorded.");
        if (m_filteredAuctions.isEmpty())
            return QStringLiteral("No matching auctions.");
        return QString();
    }
    if (m_groups.isEmpty())
        return QStringLiteral("No buyers recorded.");
    if (m_filteredGroups.isEmpty())
        return QStringLiteral("No matching buyers.");
    return QString();
}

QString ShowDetailModel::listHeaderText() const
{
    if (m_tab == DetailTab::auctions)
        return QStringLiteral("Auctions (") + QString::number(m_filteredAuctions.size()) + QLatin1Char(')');
    return QStringLiteral("Buyers (") + QString::number(m_filteredGroups.size()) + QLatin1Char(')');
}

LabelSectionState ShowDetailModel::labelState(int labelType) const
{
    return LabelSectionState::load(labelType, m_services.settings);
}

LabelAppearance ShowDetailModel::appearance() const
{
    return m_services.appearance.appearance();
}

std::optional<QString> ShowDetailModel::printerName(int labelType) const
{
    const LabelSectionState state = labelState(labelType);
    if (state.selectedPrinter && !state.selectedPrinter->isEmpty())
        return state.selectedPrinter;
    const QList<PrinterInfo> &printers = m_services.printAdapter.printers();
    if (printers.isEmpty())
        return std::nullopt;
    return printers.first().name;
}

QList<QString> ShowDetailModel::printerNames() const
{
    QList<QString> names;
    for (const PrinterInfo &printer : m_services.printAdapter.printers())
        names.append(printer.name);
    return names;
}

void ShowDetailModel::printWinnerLabel(const QString &auctionId)
{
    if (!m_response || m_printingAuctions.contains(auctionId))
        return;
    const auto printer = printerName(kWinnerLabelType);
    if (!printer)
        return;
    const auto found = std::find_if(m_response->auctions.cbegin(), m_response->auctions.cend(),
                                    [&](const ServerAuction &auction) { return auction.id == auctionId; });
    if (found == m_response->auctions.cend())
        return;
    const LabelSectionState state = labelState(kWinnerLabelType);
    LabelContent content = winnerLabelContent(*found, boxNumber(found->winnerUsername), m_show.title);
    std::shared_ptr<ShowPrinter> target = m_services.printer;
    QString printerCopy = *printer;
    startDetached(runPrint(auctionId, false,
                           [target, printerCopy, content, state]() {
                               return target->printWinnerLabel(printerCopy, content, state.selectedStyle,
                                                               state.selectedMedia, state.selectedOrientation);
                           }),
                  lcShowDetail(), "A winner label reprint");
}

void ShowDetailModel::printPackingSlip(const QString &buyer)
{
    if (m_printingBuyers.contains(buyer))
        return;
    const auto printer = printerName(kPackingSlipType);
    if (!printer)
        return;
    const auto found = std::find_if(m_groups.cbegin(), m_groups.cend(),
                                    [&](const ShowBuyerGroup &group) { return group.buyer == buyer; });
    if (found == m_groups.cend())
        return;
    const LabelSectionState state = labelState(kPackingSlipType);
    std::shared_ptr<ShowPrinter> target = m_services.printer;
    QString printerCopy = *printer;
    ShowBuyerGroup group = *found;
    QString showTitle = m_show.title;
    startDetached(runPrint(buyer, true,
                           [target, printerCopy, group, showTitle, state]() {
                               return target->printPackingSlip(printerCopy, group.buyer,
                                                               packingSlipItems(group.auctions), group.total,
                                                               showTitle, state.selectedStyle, state.selectedMedia,
                                                               state.selectedOrientation);
                           }),
                  lcShowDetail(), "A packing slip print");
}

QCoro::Task<> ShowDetailModel::runPrint(QString key, bool isBuyer,
                                        std::function<QCoro::Task<PrintResult>()> print)
{
    QPointer<ShowDetailModel> self(this);
    (isBuyer ? m_printingBuyers : m_printingAuctions).insert(key);
    m_printFailure.clear();
    Q_EMIT printingChanged();
    const PrintResult result = co_await print();
    if (!self)
        co_return;
    (isBuyer ? m_printingBuyers : m_printingAuctions).remove(key);
    if (!result.ok)
        m_printFailure = result.message.isEmpty() ? QStringLiteral("The print failed") : result.message;
    Q_EMIT printingChanged();
}

void ShowDetailModel::toggleExpanded(const QString &buyer)
{
    if (!m_expanded.remove(buyer))
        m_expanded.insert(buyer);
    Q_EMIT expandedChanged();
}

BatchPrintType ShowDetailModel::initialBatchType() const
{
    return m_tab == DetailTab::buyers ? BatchPrintType::packingSlips : BatchPrintType::individualLabels;
}

BatchPrintRun *ShowDetailModel::makeBatchRun(BatchPrintType type, const QString &printer) const
{
    BatchPrintJobs jobs;
    jobs.type = type;
    jobs.printer = printer;
    jobs.auctions = m_filteredAuctions;
    jobs.buyerGroups = m_filteredGroups;
    jobs.boxNumbers = m_boxNumbers;
    jobs.showTitle = m_show.title;
    return new BatchPrintRun(std::move(jobs), m_services.printer, m_services.settings, m_services.runOwner);
}

bool ShowDetailModel::isStaff() const
{
    return m_services.isStaff && m_services.isStaff();
}

QString ShowDetailModel::deleteConfirmationText() const
{
    return QStringLiteral("This will permanently delete \"") + mainTitle() +
           QStringLiteral("\" and all its auction data. This cannot be undone.");
}

void ShowDetailModel::confirmDelete()
{
    // The account may have changed while the question was open.
    if (m_isDeleting || !isStaff())
        return;
    startDetached(runDelete(), lcShowDetail(), "The show delete");
}

QCoro::Task<> ShowDetailModel::runDelete()
{
    QPointer<ShowDetailModel> self(this);
    QPointer<ShowHistoryStore> store(&m_services.store);
    m_isDeleting = true;
    m_deleteFailure.clear();
    Q_EMIT deletingChanged();
    QCoro::Task<bool> deleting = store->deleteShow(m_show.id);
    const bool deleted = co_await std::move(deleting);
    if (!self)
        co_return;
    m_isDeleting = false;
    if (!deleted) {
        const QString storeError = store ? store->error() : QString();
        m_deleteFailure = storeError.isEmpty()
                              ? QStringLiteral("Failed to delete show: not connected to the backend")
                              : storeError;
    }
    Q_EMIT deletingChanged();
}

} // namespace quill
