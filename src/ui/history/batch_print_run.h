#pragma once

#include "printing/label_section_state.h"
#include "ui/history/show_printer.h"

#include <QCoroTask>
#include <QHash>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace quill {

class Settings;

enum class BatchPrintType
{
    individualLabels,
    packingSlips,
};

// "Individual Labels", "Packing Slips": the picker's segments.
QString batchPrintTypeText(BatchPrintType type);
std::optional<BatchPrintType> batchPrintTypeFromText(const QString &text);
// "Print 3 individual labels", "Print 1 packing slip (one per buyer)".
QString batchSummaryText(BatchPrintType type, qsizetype count);

// What one batch prints, fixed when it starts.
struct BatchPrintJobs
{
    BatchPrintType type = BatchPrintType::individualLabels;
    QString printer;
    QList<ServerAuction> auctions;
    QList<ShowBuyerGroup> buyerGroups;
    QHash<QString, int> boxNumbers;
    QString showTitle;
};

// One batch of a show's labels or slips, printed one job at a time in list order.
// It belongs to nobody's screen: closing the dialog that started it does not stop it,
// and whoever still watches hears its progress. The label settings are read once,
// when it is made. After finished() it deletes itself.
class BatchPrintRun final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchPrintRun)

public:
    // `parent` should live as long as the application (the print service).
    BatchPrintRun(BatchPrintJobs jobs, std::shared_ptr<ShowPrinter> printer, Settings &settings,
                  QObject *parent = nullptr);
    ~BatchPrintRun() override;

    // Starts the jobs; connect first. A run with nothing to print finishes at once.
    void start();

    int progress() const { return m_progress; }
    int total() const { return m_total; }
    int failedCount() const { return m_failed; }
    bool isFinished() const { return m_finished; }
    const LabelSectionState &settings() const { return m_settings; }
    // "2 of 10 failed: <first failure>"; empty while nothing failed.
    QString failureText() const;

Q_SIGNALS:
    void progressChanged(int progress, int total);
    void finished();

private:
    QCoro::Task<> run();
    QCoro::Task<PrintResult> printOne(qsizetype index);

    BatchPrintJobs m_jobs;
    std::shared_ptr<ShowPrinter> m_printer;
    LabelSectionState m_settings;
    int m_progress = 0;
    int m_total = 0;
    int m_failed = 0;
    QString m_firstFailure;
    bool m_started = false;
    bool m_finished = false;
};

} // namespace quill
