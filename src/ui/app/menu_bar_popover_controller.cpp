#include "ui/app/menu_bar_popover_controller.h"

#include "app/app_state.h"
#include "backend/show_sync_service.h"
#include "capture/auction_poller.h"
#include "common/detached_task.h"
#include "printing/auto_print_manager.h"
#include "printing/label_section_state.h"
#include "printing/print_kit_adapter.h"
#include "ui/live/live_show_controller.h"

#include <QLoggingCategory>
#include <QSet>

namespace quill {

namespace {
Q_LOGGING_CATEGORY(lcPopover, "app.quillmark.Quillmark.MenuBarPopover")

QString counted(qsizetype count, const QString &singular, const QString &plural)
{
    return count == 1 ? singular : plural;
}
} // namespace

MenuBarPopoverController::MenuBarPopoverController(AppState &appState, QObject *parent)
    : QObject(parent), m_appState(appState)
{
    const auto notify = [this] { Q_EMIT changed(); };
    connect(&appState.showSyncService(), &ShowSyncService::activeShowIdChanged, this, notify);
    connect(&appState.auctionPoller(), &AuctionPoller::capturedAuctionsChanged, this, notify);
    connect(&appState.printAdapter(), &PrintKitAdapter::printersChanged, this, notify);
    AutoPrintManager &manager = appState.autoPrintManager();
    connect(&manager, &AutoPrintManager::printJobsChanged, this, notify);
    connect(&manager, &AutoPrintManager::isPrintingChanged, this, notify);
    connect(&manager, &AutoPrintManager::labelModeChanged, this, notify);
}

bool MenuBarPopoverController::isLive() const
{
    return !m_appState.showSyncService().activeShowId().isEmpty();
}

qsizetype MenuBarPopoverController::capturedCount() const
{
    return m_appState.auctionPoller().capturedAuctions().size();
}

bool MenuBarPopoverController::showsStatistics() const
{
    return isLive() && capturedCount() > 0;
}

QString MenuBarPopoverController::capturedText() const
{
    return capturedText(capturedCount());
}

QString MenuBarPopoverController::capturedText(qsizetype count)
{
    return tr("\u2014 %1 captured").arg(count);
}

QString MenuBarPopoverController::revenueText() const
{
    return QLatin1Char('$') + revenueOf(m_appState.auctionPoller().capturedAuctions()).toString();
}

QString MenuBarPopoverController::itemsLabel() const
{
    return counted(capturedCount(), QStringLiteral("item"), QStringLiteral("items"));
}

QString MenuBarPopoverController::buyersLabel() const
{
    return counted(buyerCount(), QStringLiteral("buyer"), QStringLiteral("buyers"));
}

int MenuBarPopoverController::buyerCount() const
{
    return buyerCountOf(m_appState.auctionPoller().capturedAuctions());
}

QList<CapturedAuction> MenuBarPopoverController::recentWins() const
{
    return recentWinsOf(m_appState.auctionPoller().capturedAuctions());
}

QString MenuBarPopoverController::noWinsText() const
{
    return isLive() ? tr("Waiting for wins...") : tr("Start a show from the Live Show tab");
}

std::optional<PopoverPrinter> MenuBarPopoverController::currentPrinter() const
{
    return labelPrinter(m_appState.printAdapter().printers(), m_appState.autoPrintManager().labelMode(),
                        m_appState.settings());
}

int MenuBarPopoverController::queuedJobCount() const
{
    return queuedJobCountOf(m_appState.autoPrintManager().printJobs());
}

QString MenuBarPopoverController::labelModeTitle() const
{
    return quill::labelModeTitle(m_appState.autoPrintManager().labelMode());
}

bool MenuBarPopoverController::isAutoPrinting() const
{
    return m_appState.autoPrintManager().isPrinting();
}

void MenuBarPopoverController::setAutoPrinting(bool on)
{
    AutoPrintManager &manager = m_appState.autoPrintManager();
    manager.setIsPrinting(on);
    if (on)
        manager.scheduleProcessing(m_appState.printService());
    else
        manager.cancelDebounce();
}

void MenuBarPopoverController::clearPrintQueue()
{
    const std::optional<PopoverPrinter> printer = currentPrinter();
    if (!printer)
        return;
    qCInfo(lcPopover, "Clearing the queue of %s", qUtf8Printable(printer->queue));
    // The adapter outlives the popover and refreshes the list when the queue is cleared.
    auto clear = [](PrintKitAdapter &adapter, QString queue) -> QCoro::Task<> {
        co_await adapter.clearQueue(std::move(queue));
    };
    startDetached(clear(m_appState.printAdapter(), printer->queue), lcPopover(), "Clear queue");
}

Decimal MenuBarPopoverController::revenueOf(const QList<CapturedAuction> &auctions)
{
    Decimal total(0);
    for (const CapturedAuction &auction : auctions) {
        const std::optional<Decimal> sum = total.checkedAdd(auction.salePrice);
        if (!sum) {
            qCWarning(lcPopover, "Revenue is beyond the range of an amount; the sum stops at %s",
                      qUtf8Printable(total.toString()));
            break;
        }
        total = *sum;
    }
    return total;
}

int MenuBarPopoverController::buyerCountOf(const QList<CapturedAuction> &auctions)
{
    QSet<QString> names;
    for (const CapturedAuction &auction : auctions)
        names.insert(auction.winnerUsername);
    return int(names.size());
}

QList<CapturedAuction> MenuBarPopoverController::recentWinsOf(const QList<CapturedAuction> &auctions)
{
    return auctions.size() <= kRecentWinLimit ? auctions : auctions.first(kRecentWinLimit);
}

int MenuBarPopoverController::queuedJobCountOf(const QList<PrintJob> &jobs)
{
    int count = 0;
    for (const PrintJob &job : jobs) {
        if (job.status.isQueued())
            ++count;
    }
    return count;
}

std::optional<PopoverPrinter> MenuBarPopoverController::labelPrinter(const QList<PrinterInfo> &printers,
                                                                     LabelMode mode, Settings &settings)
{
    const LabelType type = mode == LabelMode::grouped ? LabelType::box : LabelType::individual;
    const std::optional<QString> saved =
        LabelSectionState::load(labelSectionIndex(type), settings).selectedPrinter;
    if (!saved || saved->isEmpty())
        return std::nullopt;
    PopoverPrinter printer{*saved, printerDisplayName(*saved), false, QString()};
    for (const PrinterInfo &info : printers) {
        if (info.name == *saved) {
            printer.isOnline = info.isOnline;
            printer.refusal = info.refusal;
            break;
        }
    }
    return printer;
}

} // namespace quill
