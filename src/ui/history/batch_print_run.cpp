#include "ui/history/batch_print_run.h"

#include "common/detached_task.h"

#include <QLoggingCategory>
#include <QPointer>

#include <optional>

namespace quill {

namespace {
Q_LOGGING_CATEGORY(lcBatchPrint, "app.quillmark.Quillmark.BatchPrint")
} // namespace

QString batchPrintTypeText(BatchPrintType type)
{
    return type == BatchPrintType::packingSlips ? QStringLiteral("Packing Slips") : QStringLiteral("Individual Labels");
}

std::optional<BatchPrintType> batchPrintTypeFromText(const QString &text)
{
    if (text == QLatin1String("Individual Labels"))
        return BatchPrintType::individualLabels;
    if (text == QLatin1String("Packing Slips"))
        return BatchPrintType::packingSlips;
    return std::nullopt;
}

QString batchSummaryText(BatchPrintType type, qsizetype count)
{
    const QString n = QString::number(count);
    if (type == BatchPrintType::packingSlips)
        return QStringLiteral("Print ") + n + (count == 1 ? QStringLiteral(" packing slip") : QStringLiteral(" packing slips")) +
               QStringLiteral(" (one per buyer)");
    return QStringLiteral("Print ") + n +
           (count == 1 ? QStringLiteral(" individual label") : QStringLiteral(" individual labels"));
}

BatchPrintRun::BatchPrintRun(BatchPrintJobs jobs, std::shared_ptr<ShowPrinter> printer, Settings &settings,
                             QObject *parent)
    : QObject(parent), m_jobs(std::move(jobs)), m_printer(std::move(printer)),
      m_settings(LabelSectionState::load(m_jobs.type == BatchPrintType::packingSlips ? 2 : 0, settings))
{
    m_total = int(m_jobs.type == BatchPrintType::packingSlips ? m_jobs.buyerGroups.size() : m_jobs.auctions.size());
}

BatchPrintRun::~BatchPrintRun() = default;

void BatchPrintRun::start()
{
    if (m_started)
        return;
    m_started = true;
    startDetached(run(), lcBatchPrint(), "The batch print");
}

QString BatchPrintRun::failureText() const
{
    if (m_failed == 0)
        return QString();
    return QStringLiteral("%1 of %2 failed: %3").arg(m_failed).arg(m_total).arg(m_firstFailure);
}

QCoro::Task<PrintResult> BatchPrintRun::printOne(qsizetype index)
{
    const LabelSectionState settings = m_settings;
    if (m_jobs.type == BatchPrintType::packingSlips) {
        const ShowBuyerGroup &group = m_jobs.buyerGroups.at(index);
        QCoro::Task<PrintResult> printing = m_printer->printPackingSlip(
            m_jobs.printer, group.buyer, packingSlipItems(group.auctions), group.total, m_jobs.showTitle,
            settings.selectedStyle, settings.selectedMedia, settings.selectedOrientation);
        PrintResult result = co_await std::move(printing);
        co_return result;
    }
    const ServerAuction &auction = m_jobs.auctions.at(index);
    const auto box = m_jobs.boxNumbers.constFind(auction.winnerUsername);
    const std::optional<int> boxNumber = box == m_jobs.boxNumbers.constEnd() ? std::nullopt : std::optional(*box);
    QCoro::Task<PrintResult> printing =
        m_printer->printWinnerLabel(m_jobs.printer, winnerLabelContent(auction, boxNumber, m_jobs.showTitle),
                                    settings.selectedStyle, settings.selectedMedia, settings.selectedOrientation);
    PrintResult result = co_await std::move(printing);
    co_return result;
}

QCoro::Task<> BatchPrintRun::run()
{
    QPointer<BatchPrintRun> self(this);
    Q_EMIT progressChanged(m_progress, m_total);
    // A winner label is one page: the next one is laid out and drawn while this one goes
    // to the printer. Drawings come back in the order asked and each label then takes
    // its turn at the queue at once, so the labels still reach CUPS in list order. A
    // packing slip may run to several pages, drawn one after another, so slips go one
    // at a time.
    const bool drawAhead = m_jobs.type != BatchPrintType::packingSlips;
    std::optional<QCoro::Task<PrintResult>> ahead;
    for (qsizetype i = 0; i < m_total; ++i) {
        QCoro::Task<PrintResult> printing = ahead ? std::move(*ahead) : printOne(i);
        ahead.reset();
        if (drawAhead && i + 1 < m_total)
            ahead.emplace(printOne(i + 1));
        const PrintResult result = co_await std::move(printing);
        if (!self) {
            // Already on its way: it is seen to its end, never dropped half sent.
            if (ahead)
                co_await std::move(*ahead);
            co_return;
        }
        if (!result.ok) {
            if (m_failed == 0)
                m_firstFailure = result.message;
            ++m_failed;
            qCWarning(lcBatchPrint, "Batch job %lld of %d failed: %s", qlonglong(i + 1), m_total,
                      qUtf8Printable(result.message));
        }
        ++m_progress;
        Q_EMIT progressChanged(m_progress, m_total);
    }
    m_finished = true;
    qCInfo(lcBatchPrint, "Batch of %d finished, %d failed", m_total, m_failed);
    Q_EMIT finished();
    deleteLater();
}

} // namespace quill
