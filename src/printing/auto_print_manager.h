#pragma once

#include "capture/captured_auction.h"
#include "common/clock.h"
#include "printing/label_drawing_worker.h"
#include "printing/print_job.h"
#include "printing/print_result.h"
#include "printkit/domain/cups_queue_status.h"

#include <QCoroTask>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

namespace quill {

class PrintService;
class Settings;
struct LabelRecord;
struct LabelSectionState;

// What the manager runs on. The defaults are the product's.
struct AutoPrintManagerSetup
{
    Sleeper *sleeper = &TimerSleeper::instance();
    Clock *clock = &SystemClock::instance();
    Settings *settings = nullptr; // required
};

// Turns the wins of a live show into printed labels without anybody pressing a
// button: a winner label per win and, for a buyer's first win of the show, a box
// label with the buyer's box number. Half a second after the last new win it walks
// the queue: the label type's printer, a look at its CUPS queue (a stopped queue
// is re-enabled once, keeping the jobs CUPS holds), every page rendered at 300 dpi
// and handed to the printer adapter. Each job's fate stays in its status, so the
// same list is the print log.
//
// Jobs are followed by id across every wait: the print log may replace the list
// and new wins insert jobs at any moment. A job that is gone is skipped; jobs
// queued while a walk runs are printed by the same run before it ends.
//
// Box numbers belong to a show: they start at 1, follow the order of first wins,
// and start again after endShow(). A resumed show continues from the buyers of its
// restored auctions (resumeShow()), so live labels and later reprints agree.
class AutoPrintManager final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AutoPrintManager)
    Q_PROPERTY(bool isPrinting READ isPrinting WRITE setIsPrinting NOTIFY isPrintingChanged)
    Q_PROPERTY(quill::LabelMode labelMode READ labelMode WRITE setLabelMode NOTIFY labelModeChanged)
    Q_PROPERTY(QList<quill::PrintJob> printJobs READ printJobs WRITE setPrintJobs NOTIFY printJobsChanged)
    Q_PROPERTY(bool isProcessing READ isProcessing NOTIFY isProcessingChanged)
    Q_PROPERTY(bool showPrintLog READ showPrintLog WRITE setShowPrintLog NOTIFY showPrintLogChanged)
    Q_PROPERTY(QHash<QString, int> boxNumbers READ boxNumbers NOTIFY boxNumbersChanged)
    Q_PROPERTY(QSet<QString> boxPrintedBuyers READ boxPrintedBuyers NOTIFY boxPrintedBuyersChanged)
    Q_PROPERTY(
        QSet<QString> seenAuctionIds READ seenAuctionIds WRITE setSeenAuctionIds NOTIFY seenAuctionIdsChanged)
    Q_PROPERTY(bool hasPendingDebounce READ hasPendingDebounce NOTIFY hasPendingDebounceChanged)
    Q_PROPERTY(quill::AutoPrintManager::AuctionPrintedCallback onAuctionPrinted READ onAuctionPrinted WRITE
                   setOnAuctionPrinted NOTIFY onAuctionPrintedChanged)

public:
    static constexpr std::chrono::milliseconds kDebounce{500};
    static inline const QString isPrintingKey = QStringLiteral("autoprint_isPrinting");
    static inline const QString showPrintLogKey = QStringLiteral("autoprint_showPrintLog");
    static inline const QString labelModeKey = QStringLiteral("autoprint_labelMode");
    static inline const QString showTitle = QStringLiteral("Live Show");
    static inline const QString noPrinterMessage = QStringLiteral("No printer configured");
    static inline const QString printerStoppedMessage =
        QStringLiteral("Printer stopped \u2014 tap Fix in settings");

    using AuctionPrintedCallback = std::function<void(const QString &auctionId)>;
    using LabelSettledCallback = std::function<void(const PrintJob &job)>;

    // Restores the printing switch, the print-log switch and the label mode from the
    // user defaults; the queue starts empty and nothing starts running.
    explicit AutoPrintManager(AutoPrintManagerSetup setup = {}, QObject *parent = nullptr);
    ~AutoPrintManager() override;

    bool isPrinting() const { return m_isPrinting; }
    LabelMode labelMode() const { return m_labelMode; }
    const QList<PrintJob> &printJobs() const { return m_printJobs; }
    bool isProcessing() const { return m_isProcessing; }
    bool showPrintLog() const { return m_showPrintLog; }
    // Buyer user name to box number, for the current show.
    const QHash<QString, int> &boxNumbers() const { return m_boxNumbers; }
    // Buyers of the current show who already have a box label.
    const QSet<QString> &boxPrintedBuyers() const { return m_boxPrintedBuyers; }
    // Auctions of the current show already taken in; enqueue never queues them again.
    const QSet<QString> &seenAuctionIds() const { return m_seenAuctionIds; }
    // A debounced walk is waiting to start.
    bool hasPendingDebounce() const { return m_hasPendingDebounce; }

    // The switches are written to the user defaults on every assignment. Switching
    // printing on starts nothing: callers call scheduleProcessing() afterwards.
    void setIsPrinting(bool value);
    void setLabelMode(LabelMode value);
    void setShowPrintLog(bool value);
    // The print log may replace or empty the list at any time.
    void setPrintJobs(QList<PrintJob> jobs);
    void setSeenAuctionIds(QSet<QString> ids);

    // Called with the auction id of each winner label once all its pages printed.
    // Callbacks cannot be compared: only clearing an unset one is no change.
    void setOnAuctionPrinted(AuctionPrintedCallback callback);
    const AuctionPrintedCallback &onAuctionPrinted() const { return m_onAuctionPrinted; }
    // Called with each winner or box label once it printed or failed for good (not
    // when printing shut down under it: that label is still to print), also when it
    // left the list while lp sent it.
    void setOnLabelSettled(LabelSettledCallback callback) { m_onLabelSettled = std::move(callback); }
    // Called with each label that leaves the list without printing: queued or failed
    // when the print log replaced the list, or taken out before lp got it.
    void setOnLabelDropped(LabelSettledCallback callback) { m_onLabelDropped = std::move(callback); }
    // Awaited before each label is sent to the printer (what it depends on is on disk then).
    using SendGate = std::function<QCoro::Task<>(const PrintJob &job)>;
    void setSendGate(SendGate gate) { m_sendGate = std::move(gate); }

    // Takes in the auctions it has not seen, in the given order (the whole capture
    // list may be passed every time), queues their labels by the label mode and,
    // while printing is on, schedules a walk. Never fails.
    void enqueue(const QList<CapturedAuction> &auctions, PrintService &printService);

    // A walk 0.5 s after the last call (earlier pending calls are dropped). Returns at once.
    void scheduleProcessing(PrintService &printService);
    // Drops the pending debounced walk, if any; a walk already running goes on.
    void cancelDebounce();

    // A resumed show's auctions restored from the backend, in the backend's order.
    // They are never printed again: call this before they reach enqueue(). Their
    // buyers take box numbers in order of first win (as reprints of the show number
    // them) and count as having their box label; later buyers continue the count.
    //
    // With the show's label record, only labels that settled count: printed ones are
    // marked printed, failed ones stay failed with their reason, cleared ones are
    // neither printed nor listed, buyers keep their
    // recorded box numbers, and the rest is left for enqueue() to queue as new wins
    // are (a buyer whose wins all settled but whose box label did not gets it queued here).
    void resumeShow(const QList<CapturedAuction> &restored, const LabelRecord *record = nullptr);
    // The show is over: box numbers, box-labelled buyers and seen auctions start
    // afresh for the next show, whose labels carry the next show number. The jobs stay
    // in the log.
    void endShow();
    // The number of the show that new labels are queued for (PrintJob::show): 1 at
    // first, one more after each endShow().
    quint64 show() const { return m_show; }

Q_SIGNALS:
    void isPrintingChanged(bool isPrinting);
    void labelModeChanged(quill::LabelMode labelMode);
    void printJobsChanged();
    void isProcessingChanged(bool isProcessing);
    void showPrintLogChanged(bool showPrintLog);
    void boxNumbersChanged();
    void boxPrintedBuyersChanged();
    void seenAuctionIdsChanged();
    void hasPendingDebounceChanged(bool hasPendingDebounce);
    void onAuctionPrintedChanged();

private:
    QCoro::Task<> debounce(QPointer<PrintService> printService, quint64 ticket);
    QCoro::Task<> processQueue(QPointer<PrintService> printService);
    // What a step of the walk leaves for the rest: go on with this job, go on with the
    // next one (this job has ended), or end the walk (the manager or the service is gone).
    enum class WalkStep
    {
        next,
        skip,
        stop
    };
    QCoro::Task<> walk(QPointer<PrintService> printService);
    QStringList queuedJobIdsOldestFirst() const;
    // The job, now printing; none when it left the list or is no longer queued.
    std::optional<PrintJob> startJob(const QString &id);
    // The job's printer; none ends the job in "No printer configured".
    std::optional<QString> jobPrinter(const PrintJob &job);
    // Asks for the next job's drawing; called once this job's label is drawn and checked.
    using DrawNext = std::function<void()>;
    // Queue check, drawing (or the one asked for ahead), repair of a stopped queue, the
    // pages out, the job's end.
    QCoro::Task<WalkStep> printJob(QPointer<PrintService> printService, PrintJob job, QString printer,
                                   std::optional<QCoro::Task<DrawnLabel>> drawnAhead, DrawNext drawNext);
    QCoro::Task<DrawnLabel> drawJob(PrintService &printService, const PrintJob &job);
    // A stopped queue is re-enabled once and checked again; still stopped ends the job.
    QCoro::Task<WalkStep> readyQueue(QPointer<PrintService> printService, QString id, QString printer,
                                     printkit::CUPSQueueState state);
    QCoro::Task<WalkStep> sendPages(QPointer<PrintService> printService, PrintJob job, QString printer,
                                    QList<QByteArray> pngs);
    WalkStep finishPrinted(const PrintJob &job);

    qsizetype indexOfJob(const QString &id) const;
    // Hands a job to the settle or drop hook; what the hook throws is logged.
    static void tell(const LabelSettledCallback &hook, const PrintJob &job);
    // A label whose lp ended after it left the list or after this queue was gone: its end
    // goes to the hook taken before lp started.
    static void settleOutsideTheList(const LabelSettledCallback &settle, PrintJob job,
                                     PrintJob::Status status);
    bool hasQueuedJobs() const;
    // False when the job is no longer in the list.
    bool setJobStatus(const QString &id, PrintJob::Status status);
    void finishJobWithError(const QString &id, const QString &message);
    int assignBoxNumber(const QString &buyer);
    PrintJob winnerJob(const CapturedAuction &auction, int boxNumber,
                       const LabelSectionState &settings) const;
    PrintJob boxJob(const QString &buyer, int boxNumber, const LabelSectionState &settings) const;
    // A box label goes before the first winner label, so a walk (which goes from the
    // end) prints it right after the winner label it belongs with.
    void insertBoxJob(PrintJob job);
    void resumeFromRecord(const QList<CapturedAuction> &restored, const LabelRecord &record);
    void setIsProcessing(bool value);
    void setHasPendingDebounce(bool value);

    Sleeper *m_sleeper;
    Clock *m_clock;
    Settings *m_settings;

    bool m_isPrinting = false;
    LabelMode m_labelMode = LabelMode::both;
    QList<PrintJob> m_printJobs;
    bool m_isProcessing = false;
    bool m_showPrintLog = true;
    QHash<QString, int> m_boxNumbers;
    QSet<QString> m_boxPrintedBuyers;
    AuctionPrintedCallback m_onAuctionPrinted;
    LabelSettledCallback m_onLabelSettled;
    LabelSettledCallback m_onLabelDropped;
    SendGate m_sendGate;
    QSet<QString> m_seenAuctionIds;
    quint64 m_show = 1;
    bool m_hasPendingDebounce = false;
    // Bumped by every schedule and cancel: a debounce whose ticket is not current ends quietly.
    quint64 m_debounceTicket = 0;
};

} // namespace quill
