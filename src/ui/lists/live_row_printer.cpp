#include "ui/lists/live_row_printer.h"

#include "app/app_state.h"
#include "common/detached_task.h"
#include "common/logging.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "ui/lists/live_row_labels.h"

namespace quill {

LiveRowPrinter::LiveRowPrinter(AppState &app, QObject *parent) : QObject(parent), m_app(app) {}

bool LiveRowPrinter::canPrint() const
{
    return !m_app.printAdapter().printers().isEmpty();
}

QString LiveRowPrinter::auctionKey(const QString &auctionId)
{
    return QStringLiteral("auction:") + auctionId;
}

QString LiveRowPrinter::buyerKey(const QString &buyer)
{
    return QStringLiteral("buyer:") + buyer;
}

std::optional<QString> LiveRowPrinter::failure(const QString &rowKey) const
{
    const auto found = m_failures.constFind(rowKey);
    if (found == m_failures.constEnd())
        return std::nullopt;
    return *found;
}

void LiveRowPrinter::printWinnerLabel(const CapturedAuction &auction)
{
    print(auctionKey(auction.id), winnerPrintContent(auction), LabelMedia::rect1x2(), Orientation::landscape,
          {});
}

void LiveRowPrinter::printPackingSlip(const QString &buyer, const QList<CapturedAuction> &auctions,
                                      const std::optional<Decimal> &total)
{
    print(buyerKey(buyer), packingSlipContent(buyer, auctions, total), LabelMedia::shipping4x6(),
          Orientation::portrait, QStringLiteral("The buyer's total is too large to print."));
}

void LiveRowPrinter::print(const QString &rowKey, std::optional<LabelContent> content, LabelMedia media,
                           Orientation orientation, const QString &noContentReason)
{
    const QList<PrinterInfo> &printers = m_app.printAdapter().printers();
    if (printers.isEmpty())
        return;
    // The row prints again: its old mark goes until this print tells otherwise.
    if (m_failures.remove(rowKey) > 0)
        Q_EMIT failuresChanged();
    if (!content) {
        finish(rowKey, PrintResult::failed(noContentReason));
        return;
    }
    startDetached(run(QPointer<LiveRowPrinter>(this), m_app, rowKey, printers.first().name,
                      std::move(*content), std::move(media), orientation),
                  lcPrintService(), "A live row's print");
}

QCoro::Task<> LiveRowPrinter::run(QPointer<LiveRowPrinter> self, AppState &app, QString rowKey,
                                  QString printer, LabelContent content, LabelMedia media,
                                  Orientation orientation)
{
    QCoro::Task<PrintResult> printing = app.printService().printContent(
        std::move(printer), std::move(content), LabelVariant::bold, std::move(media), orientation);
    const PrintResult result = co_await std::move(printing);
    if (self)
        self->finish(rowKey, result);
}

void LiveRowPrinter::finish(const QString &rowKey, const PrintResult &result)
{
    if (!result.ok) {
        m_failures.insert(rowKey, result.message);
        Q_EMIT failuresChanged();
    }
    Q_EMIT printFinished(rowKey, result);
}

} // namespace quill
