#include "printing/auto_print_manager.h"

#include "common/detached_task.h"
#include "common/error.h"
#include "common/logging.h"
#include "common/settings.h"
#include "printing/label_appearance_store.h"
#include "printing/label_drawing_worker.h"
#include "printing/label_record_store.h"
#include "printing/label_section_state.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"

#include <limits>

namespace quill {

namespace {

// Auction numbers beyond what a label shows are left off rather than printed wrong.
std::optional<int> labelAuctionNumber(const CapturedAuction &auction)
{
    if (!auction.auctionNumber)
        return std::nullopt;
    const qint64 number = *auction.auctionNumber;
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        qCWarning(lcAutoPrint, "Auction number %lld of %s is too large for a label and is left off",
                  static_cast<long long>(number), qUtf8Printable(auction.id));
        return std::nullopt;
    }
    return static_cast<int>(number);
}

const QString kShutDownMessage = QStringLiteral("Printing was shut down before this label was sent");

} // namespace

AutoPrintManager::AutoPrintManager(AutoPrintManagerSetup setup, QObject *parent)
    : QObject(parent), m_sleeper(setup.sleeper), m_clock(setup.clock),
      m_settings(&Settings::handedIn(setup.settings, "AutoPrintManager"))
{
    m_isPrinting = m_settings->boolValue(isPrintingKey, false);
    if (const auto stored = m_settings->optionalString(labelModeKey))
        m_labelMode = labelModeFromRawValue(*stored).value_or(LabelMode::both);
    m_showPrintLog = m_settings->optionalBool(showPrintLogKey).value_or(true);
}

AutoPrintManager::~AutoPrintManager() = default;

void AutoPrintManager::setIsPrinting(bool value)
{
    const bool changed = m_isPrinting != value;
    m_isPrinting = value;
    m_settings->setBool(isPrintingKey, value);
    if (changed)
        Q_EMIT isPrintingChanged(value);
}

void AutoPrintManager::setLabelMode(LabelMode value)
{
    const bool changed = m_labelMode != value;
    m_labelMode = value;
    m_settings->setString(labelModeKey, rawValue(value));
    if (changed)
        Q_EMIT labelModeChanged(value);
}

void AutoPrintManager::setShowPrintLog(bool value)
{
    const bool changed = m_showPrintLog != value;
    m_showPrintLog = value;
    m_settings->setBool(showPrintLogKey, value);
    if (changed)
        Q_EMIT showPrintLogChanged(value);
}

void AutoPrintManager::setPrintJobs(QList<PrintJob> jobs)
{
    if (m_printJobs == jobs)
        return;
    // Labels that leave the list queued or failed are not printed or listed again after a
    // restart; one being printed is the walk's to settle or drop.
    QSet<QString> kept;
    for (const PrintJob &job : std::as_const(jobs))
        kept.insert(job.id);
    QList<PrintJob> dropped;
    for (const PrintJob &job : std::as_const(m_printJobs)) {
        if (!kept.contains(job.id) && (job.status.isQueued() || job.status.isError()))
            dropped.append(job);
    }
    m_printJobs = std::move(jobs);
    if (m_onLabelDropped) {
        const LabelSettledCallback callback = m_onLabelDropped;
        for (const PrintJob &job : std::as_const(dropped))
            tell(callback, job);
    }
    Q_EMIT printJobsChanged();
}

void AutoPrintManager::setSeenAuctionIds(QSet<QString> ids)
{
    if (m_seenAuctionIds == ids)
        return;
    m_seenAuctionIds = std::move(ids);
    Q_EMIT seenAuctionIdsChanged();
}

void AutoPrintManager::setOnAuctionPrinted(AuctionPrintedCallback callback)
{
    if (!m_onAuctionPrinted && !callback)
        return;
    m_onAuctionPrinted = std::move(callback);
    Q_EMIT onAuctionPrintedChanged();
}

int AutoPrintManager::assignBoxNumber(const QString &buyer)
{
    const auto found = m_boxNumbers.constFind(buyer);
    if (found != m_boxNumbers.constEnd())
        return found.value();
    const int number = static_cast<int>(m_boxNumbers.size()) + 1;
    m_boxNumbers.insert(buyer, number);
    return number;
}

void AutoPrintManager::enqueue(const QList<CapturedAuction> &auctions, PrintService &printService)
{
    QList<CapturedAuction> fresh;
    for (const CapturedAuction &auction : auctions) {
        if (m_seenAuctionIds.contains(auction.id))
            continue;
        m_seenAuctionIds.insert(auction.id);
        fresh.append(auction);
    }
    if (fresh.isEmpty())
        return;
    Q_EMIT seenAuctionIdsChanged();

    const qsizetype numbersBefore = m_boxNumbers.size();
    for (const CapturedAuction &auction : std::as_const(fresh))
        assignBoxNumber(auction.winnerUsername);
    if (m_boxNumbers.size() != numbersBefore)
        Q_EMIT boxNumbersChanged();

    const LabelSectionState winnerSettings =
        LabelSectionState::load(labelSectionIndex(LabelType::individual), *m_settings);
    const LabelSectionState boxSettings =
        LabelSectionState::load(labelSectionIndex(LabelType::box), *m_settings);

    bool buyersChanged = false;
    bool jobsAdded = false;
    for (const CapturedAuction &auction : std::as_const(fresh)) {
        const QString &buyer = auction.winnerUsername;
        const int boxNumber = m_boxNumbers.value(buyer, 1);

        if (m_labelMode != LabelMode::grouped) {
            m_printJobs.prepend(winnerJob(auction, boxNumber, winnerSettings));
            jobsAdded = true;
        }

        if (!m_boxPrintedBuyers.contains(buyer)) {
            m_boxPrintedBuyers.insert(buyer);
            buyersChanged = true;
            insertBoxJob(boxJob(buyer, boxNumber, boxSettings));
            jobsAdded = true;
        }
    }
    if (buyersChanged)
        Q_EMIT boxPrintedBuyersChanged();
    if (jobsAdded)
        Q_EMIT printJobsChanged();

    if (m_isPrinting)
        scheduleProcessing(printService);
}

PrintJob AutoPrintManager::winnerJob(const CapturedAuction &auction, int boxNumber,
                                     const LabelSectionState &settings) const
{
    const QString price = auction.salePrice.toString();
    PrintJob job;
    job.id = PrintJob::makeId();
    job.label = QLatin1Char('@') + auction.winnerUsername + QStringLiteral(" $") + price;
    job.timestamp = m_clock->now();
    job.content =
        LabelContent::individual(auction.winnerUsername, QLatin1Char('$') + price,
                                 labelAuctionNumber(auction), boxNumber, auction.rawTitle, showTitle);
    job.style = settings.selectedStyle;
    job.labelMedia = settings.selectedMedia;
    job.orientation = settings.selectedOrientation;
    job.labelType = LabelType::individual;
    job.auctionId = auction.id;
    job.show = m_show;
    return job;
}

PrintJob AutoPrintManager::boxJob(const QString &buyer, int boxNumber,
                                  const LabelSectionState &settings) const
{
    PrintJob job;
    job.id = PrintJob::makeId();
    job.label = QStringLiteral("Box #") + QString::number(boxNumber) + QStringLiteral(" @") + buyer;
    job.timestamp = m_clock->now();
    job.content = LabelContent::box(buyer, boxNumber, showTitle);
    job.style = settings.selectedStyle;
    job.labelMedia = settings.selectedMedia;
    job.orientation = settings.selectedOrientation;
    job.labelType = LabelType::box;
    job.show = m_show;
    return job;
}

void AutoPrintManager::insertBoxJob(PrintJob job)
{
    qsizetype position = m_printJobs.size();
    for (qsizetype i = 0; i < m_printJobs.size(); ++i) {
        if (m_printJobs.at(i).labelType == LabelType::individual) {
            position = i;
            break;
        }
    }
    m_printJobs.insert(position, std::move(job));
}

void AutoPrintManager::resumeShow(const QList<CapturedAuction> &restored, const LabelRecord *record)
{
    if (record) {
        resumeFromRecord(restored, *record);
        return;
    }
    bool seenChanged = false;
    bool buyersChanged = false;
    const qsizetype numbersBefore = m_boxNumbers.size();
    for (const CapturedAuction &auction : restored) {
        if (!m_seenAuctionIds.contains(auction.id)) {
            m_seenAuctionIds.insert(auction.id);
            seenChanged = true;
        }
        assignBoxNumber(auction.winnerUsername);
        if (!m_boxPrintedBuyers.contains(auction.winnerUsername)) {
            m_boxPrintedBuyers.insert(auction.winnerUsername);
            buyersChanged = true;
        }
    }
    if (seenChanged)
        Q_EMIT seenAuctionIdsChanged();
    if (m_boxNumbers.size() != numbersBefore)
        Q_EMIT boxNumbersChanged();
    if (buyersChanged)
        Q_EMIT boxPrintedBuyersChanged();
}

void AutoPrintManager::resumeFromRecord(const QList<CapturedAuction> &restored, const LabelRecord &record)
{
    // Recorded numbers first: a buyer keeps the number on the labels already out.
    for (auto it = record.boxNumbers.cbegin(); it != record.boxNumbers.cend(); ++it)
        if (!m_boxNumbers.contains(it.key()))
            m_boxNumbers.insert(it.key(), it.value());
    for (const CapturedAuction &auction : restored)
        assignBoxNumber(auction.winnerUsername);

    const LabelSectionState winnerSettings =
        LabelSectionState::load(labelSectionIndex(LabelType::individual), *m_settings);
    const LabelSectionState boxSettings =
        LabelSectionState::load(labelSectionIndex(LabelType::box), *m_settings);
    QStringList printed;
    QSet<QString> buyersWithUnsettledWins;
    for (const CapturedAuction &auction : restored) {
        const auto settled = record.winnerLabels.constFind(auction.id);
        if (settled == record.winnerLabels.cend()) {
            // Queued or printing when the last run ended: enqueue() queues it again.
            if (m_labelMode != LabelMode::grouped)
                buyersWithUnsettledWins.insert(auction.winnerUsername);
            else
                m_seenAuctionIds.insert(auction.id);
            continue;
        }
        m_seenAuctionIds.insert(auction.id);
        if (settled->printed) {
            printed.append(auction.id);
        } else if (!settled->dropped) { // one the seller cleared stays out of the log
            PrintJob job = winnerJob(auction, m_boxNumbers.value(auction.winnerUsername, 1), winnerSettings);
            job.status = PrintJob::Status::error(settled->reason);
            m_printJobs.prepend(std::move(job));
        }
    }
    for (const CapturedAuction &auction : restored) {
        const QString &buyer = auction.winnerUsername;
        if (m_boxPrintedBuyers.contains(buyer))
            continue;
        const auto settled = record.boxLabels.constFind(buyer);
        if (settled == record.boxLabels.cend() && buyersWithUnsettledWins.contains(buyer))
            continue; // queued with that buyer's next unsettled win
        m_boxPrintedBuyers.insert(buyer);
        if (settled != record.boxLabels.cend() && (settled->printed || settled->dropped))
            continue;
        PrintJob job = boxJob(buyer, m_boxNumbers.value(buyer, 1), boxSettings);
        if (settled != record.boxLabels.cend())
            job.status = PrintJob::Status::error(settled->reason);
        insertBoxJob(std::move(job));
    }
    Q_EMIT seenAuctionIdsChanged();
    Q_EMIT boxNumbersChanged();
    Q_EMIT boxPrintedBuyersChanged();
    Q_EMIT printJobsChanged();
    if (m_onAuctionPrinted)
        for (const QString &id : std::as_const(printed))
            m_onAuctionPrinted(id);
}

void AutoPrintManager::endShow()
{
    ++m_show;
    if (!m_boxNumbers.isEmpty()) {
        m_boxNumbers.clear();
        Q_EMIT boxNumbersChanged();
    }
    if (!m_boxPrintedBuyers.isEmpty()) {
        m_boxPrintedBuyers.clear();
        Q_EMIT boxPrintedBuyersChanged();
    }
    // The poller forgets a show's captures when it ends; a win of the next show with
    // the same buyer, price and number must not be taken for one already printed.
    if (!m_seenAuctionIds.isEmpty()) {
        m_seenAuctionIds.clear();
        Q_EMIT seenAuctionIdsChanged();
    }
}

void AutoPrintManager::scheduleProcessing(PrintService &printService)
{
    const quint64 ticket = ++m_debounceTicket;
    setHasPendingDebounce(true);
    // Runs on by itself.
    startDetached(debounce(QPointer<PrintService>(&printService), ticket), lcAutoPrint(), "Print debounce");
}

void AutoPrintManager::cancelDebounce()
{
    ++m_debounceTicket;
    setHasPendingDebounce(false);
}

QCoro::Task<> AutoPrintManager::debounce(QPointer<PrintService> printService, quint64 ticket)
{
    const QPointer<AutoPrintManager> self(this);
    Sleeper *sleeper = m_sleeper;
    try {
        co_await sleeper->sleep(kDebounce);
    } catch (...) {
        // An interrupted pause counts as finished.
    }
    if (!self || ticket != m_debounceTicket)
        co_return;
    setHasPendingDebounce(false);
    if (!printService)
        co_return;
    co_await processQueue(std::move(printService));
}

QCoro::Task<> AutoPrintManager::processQueue(QPointer<PrintService> printService)
{
    if (m_isProcessing)
        co_return;
    setIsProcessing(true);
    const QPointer<AutoPrintManager> self(this);
    // Wins that arrive during a walk are printed by another pass right away,
    // never left waiting for the next win of the show.
    do {
        QString failure;
        try {
            co_await walk(printService);
        } catch (const std::exception &error) {
            failure = errorMessage(error);
        }
        if (!self)
            co_return;
        if (!failure.isEmpty()) {
            qCCritical(lcAutoPrint, "Auto-print failed: %s", qUtf8Printable(failure));
            // The job it happened to ends as an error rather than printing for ever,
            // and the rest are still tried.
            bool failedAJob = false;
            for (const PrintJob &job : std::as_const(m_printJobs)) {
                if (job.status == PrintJob::Status::printing()) {
                    finishJobWithError(job.id, failure);
                    failedAJob = true;
                }
            }
            if (!failedAJob)
                break;
        }
    } while (m_isPrinting && printService && hasQueuedJobs());
    setIsProcessing(false);
}

QCoro::Task<> AutoPrintManager::walk(QPointer<PrintService> printService)
{
    const QPointer<AutoPrintManager> self(this);
    const QStringList ids = queuedJobIdsOldestFirst();
    // The next job's label is drawn while the one before it goes to the printer. A
    // queued job's content never changes; one that left the queue meanwhile drops its
    // drawing (the drawing ends on its own, unawaited).
    std::optional<std::pair<QString, QCoro::Task<DrawnLabel>>> ahead;
    for (qsizetype k = 0; k < ids.size(); ++k) {
        const QString &id = ids.at(k);
        if (!self || !printService || !m_isPrinting)
            co_return;
        std::optional<QCoro::Task<DrawnLabel>> drawn;
        if (ahead && ahead->first == id)
            drawn.emplace(std::move(ahead->second));
        ahead.reset();
        const std::optional<PrintJob> job = startJob(id);
        if (!job)
            continue;
        const std::optional<QString> printer = jobPrinter(*job);
        if (!printer)
            continue;
        const QString nextId = ids.value(k + 1);
        const DrawNext drawNext = [this, printService, nextId, &ahead] {
            const qsizetype index = nextId.isEmpty() ? -1 : indexOfJob(nextId);
            if (index < 0 || !printService || !m_printJobs.at(index).status.isQueued())
                return;
            const PrintJob next = m_printJobs.at(index);
            ahead.emplace(nextId, drawJob(*printService, next));
        };
        QCoro::Task<WalkStep> printing = printJob(printService, *job, *printer, std::move(drawn), drawNext);
        const WalkStep step = co_await std::move(printing);
        if (step == WalkStep::stop || !self)
            co_return;
    }
}

QStringList AutoPrintManager::queuedJobIdsOldestFirst() const
{
    // Oldest first; each job is then followed by its id, never by its position.
    QStringList ids;
    for (qsizetype i = m_printJobs.size() - 1; i >= 0; --i) {
        if (m_printJobs.at(i).status.isQueued())
            ids.append(m_printJobs.at(i).id);
    }
    return ids;
}

std::optional<PrintJob> AutoPrintManager::startJob(const QString &id)
{
    const qsizetype index = indexOfJob(id);
    if (index < 0 || !m_printJobs.at(index).status.isQueued())
        return std::nullopt;
    PrintJob job = m_printJobs.at(index);
    setJobStatus(id, PrintJob::Status::printing());
    return job;
}

std::optional<QString> AutoPrintManager::jobPrinter(const PrintJob &job)
{
    const LabelSectionState section = LabelSectionState::load(labelSectionIndex(job.labelType), *m_settings);
    if (!section.selectedPrinter) {
        setJobStatus(job.id, PrintJob::Status::error(noPrinterMessage));
        qCCritical(lcAutoPrint, "No printer configured for %s labels",
                   qUtf8Printable(rawValue(job.labelType)));
    }
    return section.selectedPrinter;
}

QCoro::Task<AutoPrintManager::WalkStep>
AutoPrintManager::printJob(QPointer<PrintService> printService, PrintJob job, QString printer,
                           std::optional<QCoro::Task<DrawnLabel>> drawnAhead, DrawNext drawNext)
{
    const QPointer<AutoPrintManager> self(this);
    const QString id = job.id;
    // The queue check (lpstat, a child process) runs while the pages are drawn on the
    // drawing thread (or while a drawing asked for earlier comes in); both answers are
    // in before anything is sent.
    QString statusQuery = printer;
    QCoro::Task<printkit::CUPSQueueState> check = printService->adapter().queueStatus(std::move(statusQuery));
    QCoro::Task<DrawnLabel> drawing = drawnAhead ? std::move(*drawnAhead) : drawJob(*printService, job);
    drawnAhead.reset();
    const DrawnLabel drawn = co_await std::move(drawing);
    const printkit::CUPSQueueState state = co_await std::move(check);
    if (!self)
        co_return WalkStep::stop;
    if (drawNext)
        drawNext();

    QCoro::Task<WalkStep> readying = readyQueue(printService, id, printer, state);
    const WalkStep ready = co_await std::move(readying);
    if (!self)
        co_return WalkStep::stop;
    if (indexOfJob(id) < 0) {
        // Taken out of the log meanwhile: nothing is printed for it.
        const LabelSettledCallback dropped = m_onLabelDropped;
        tell(dropped, job);
        co_return ready == WalkStep::stop ? WalkStep::stop : WalkStep::next;
    }
    if (ready != WalkStep::next)
        co_return ready == WalkStep::skip ? WalkStep::next : WalkStep::stop;
    if (!printService) {
        finishJobWithError(id, kShutDownMessage);
        co_return WalkStep::stop;
    }
    // Every page is ready before the first goes out, so a label that cannot be drawn
    // sends nothing at all.
    if (drawn.failure) {
        finishJobWithError(id, *drawn.failure);
        qCCritical(lcAutoPrint, "Auto-print failed for %s: %s", qUtf8Printable(job.label),
                   qUtf8Printable(*drawn.failure));
        co_return WalkStep::next;
    }
    QCoro::Task<WalkStep> sending = sendPages(printService, job, printer, drawn.pngs);
    const WalkStep sent = co_await std::move(sending);
    if (sent != WalkStep::next || !self)
        co_return sent == WalkStep::skip ? WalkStep::next : WalkStep::stop;
    co_return finishPrinted(job);
}

QCoro::Task<DrawnLabel> AutoPrintManager::drawJob(PrintService &printService, const PrintJob &job)
{
    // The pages are laid out here, made for this label alone, and painted on the drawing thread.
    QList<AnyLabelView> pages;
    LabelColorMode colorMode = LabelColorMode::color;
    std::optional<QString> layoutFailure;
    try {
        const LabelAppearanceStore &store = printService.appearanceStore();
        colorMode = store.colorMode();
        pages = job.content.pages(job.style, job.labelMedia, job.orientation, store.appearance(), 1.0);
    } catch (const std::exception &error) {
        layoutFailure = errorMessage(error);
    }
    if (layoutFailure) {
        DrawnLabel failed{{}, layoutFailure};
        co_return failed;
    }
    QCoro::Task<DrawnLabel> drawing =
        printService.drawLabel(std::move(pages), job.labelMedia, job.orientation, colorMode);
    DrawnLabel drawn = co_await std::move(drawing);
    co_return drawn;
}

QCoro::Task<AutoPrintManager::WalkStep> AutoPrintManager::readyQueue(QPointer<PrintService> printService,
                                                                     QString id, QString printer,
                                                                     printkit::CUPSQueueState state)
{
    if (state != printkit::CUPSQueueState::stopped)
        co_return WalkStep::next;
    const QPointer<AutoPrintManager> self(this);
    qCCritical(lcAutoPrint, "Queue stopped for %s \u2014 attempting recovery", qUtf8Printable(printer));
    if (!printService) {
        finishJobWithError(id, kShutDownMessage);
        co_return WalkStep::stop;
    }
    // Re-enables only: labels CUPS already accepted are kept and print once it runs.
    QString repairQuery = printer;
    co_await printService->adapter().recoverQueue(std::move(repairQuery));
    if (!self)
        co_return WalkStep::stop;
    if (!printService) {
        finishJobWithError(id, kShutDownMessage);
        co_return WalkStep::stop;
    }
    QString recheckQuery = printer;
    state = co_await printService->adapter().queueStatus(std::move(recheckQuery));
    if (!self)
        co_return WalkStep::stop;
    if (state == printkit::CUPSQueueState::stopped) {
        setJobStatus(id, PrintJob::Status::error(printerStoppedMessage));
        qCCritical(lcAutoPrint, "Recovery failed for %s", qUtf8Printable(printer));
        co_return WalkStep::skip;
    }
    co_return WalkStep::next;
}

QCoro::Task<AutoPrintManager::WalkStep> AutoPrintManager::sendPages(QPointer<PrintService> printService,
                                                                    PrintJob job, QString printer,
                                                                    QList<QByteArray> pngs)
{
    const QPointer<AutoPrintManager> self(this);
    // What the previous labels settled (and the box numbers) is on disk before this one goes out.
    if (m_sendGate) {
        const SendGate gate = m_sendGate;
        co_await gate(job);
        if (!self)
            co_return WalkStep::stop;
    }
    for (qsizetype page = 0; page < pngs.size(); ++page) {
        if (!printService) {
            finishJobWithError(job.id, kShutDownMessage);
            co_return WalkStep::stop;
        }
        QString target = printer;
        QByteArray bytes = pngs.at(page);
        LabelMedia media = job.labelMedia;
        const Orientation orientation = job.orientation;
        // lp runs to its end even when the job left the list (the print log was cleared)
        // or this queue is gone meanwhile (the program is closing): the label's end is
        // then still recorded, so a restart neither prints it again nor forgets that it failed.
        const LabelSettledCallback settle = m_onLabelSettled;
        const PrintResult result = co_await printService->adapter().printImage(
            std::move(target), std::move(bytes), std::move(media), orientation, qint64(1));
        if (!self) {
            if (!result.ok || page == pngs.size() - 1)
                settleOutsideTheList(settle, job,
                                     result.ok ? PrintJob::Status::done()
                                               : PrintJob::Status::error(result.message));
            co_return WalkStep::stop;
        }
        if (!result.ok) {
            if (!setJobStatus(job.id, PrintJob::Status::error(result.message)))
                settleOutsideTheList(settle, job, PrintJob::Status::error(result.message));
            qCCritical(lcAutoPrint, "Auto-print failed for %s: %s", qUtf8Printable(job.label),
                       qUtf8Printable(result.message));
            co_return WalkStep::skip;
        }
        qCInfo(lcAutoPrint, "Auto-print done: %s", qUtf8Printable(job.label));
    }
    co_return WalkStep::next;
}

AutoPrintManager::WalkStep AutoPrintManager::finishPrinted(const PrintJob &job)
{
    const QPointer<AutoPrintManager> self(this);
    if (!setJobStatus(job.id, PrintJob::Status::done()))
        settleOutsideTheList(m_onLabelSettled, job, PrintJob::Status::done());
    if (!self)
        return WalkStep::stop;
    if (job.auctionId && m_onAuctionPrinted) {
        const AuctionPrintedCallback callback = m_onAuctionPrinted;
        try {
            callback(*job.auctionId);
        } catch (const std::exception &error) {
            qCCritical(lcAutoPrint, "Marking auction %s printed failed: %s", qUtf8Printable(*job.auctionId),
                       qUtf8Printable(errorMessage(error)));
        }
        if (!self)
            return WalkStep::stop;
    }
    return WalkStep::next;
}

void AutoPrintManager::tell(const LabelSettledCallback &hook, const PrintJob &job)
{
    if (!hook)
        return;
    try {
        hook(job);
    } catch (const std::exception &error) {
        qCCritical(lcAutoPrint, "Recording the end of %s failed: %s", qUtf8Printable(job.label),
                   qUtf8Printable(errorMessage(error)));
    }
}

void AutoPrintManager::settleOutsideTheList(const LabelSettledCallback &settle, PrintJob job,
                                            PrintJob::Status status)
{
    job.status = std::move(status);
    tell(settle, job);
}

qsizetype AutoPrintManager::indexOfJob(const QString &id) const
{
    for (qsizetype i = 0; i < m_printJobs.size(); ++i) {
        if (m_printJobs.at(i).id == id)
            return i;
    }
    return -1;
}

bool AutoPrintManager::hasQueuedJobs() const
{
    for (const PrintJob &job : m_printJobs) {
        if (job.status.isQueued())
            return true;
    }
    return false;
}

bool AutoPrintManager::setJobStatus(const QString &id, PrintJob::Status status)
{
    const qsizetype index = indexOfJob(id);
    if (index < 0)
        return false;
    if (m_printJobs.at(index).status == status)
        return true;
    m_printJobs[index].status = std::move(status);
    const PrintJob::Status &now = m_printJobs.at(index).status;
    const bool settled =
        now.kind == PrintJob::Status::Kind::done || (now.isError() && now.message != kShutDownMessage);
    if (settled && m_onLabelSettled) {
        const LabelSettledCallback callback = m_onLabelSettled;
        const PrintJob job = m_printJobs.at(index);
        tell(callback, job);
    }
    Q_EMIT printJobsChanged();
    return true;
}

void AutoPrintManager::finishJobWithError(const QString &id, const QString &message)
{
    setJobStatus(id, PrintJob::Status::error(message));
}

void AutoPrintManager::setIsProcessing(bool value)
{
    if (m_isProcessing == value)
        return;
    m_isProcessing = value;
    Q_EMIT isProcessingChanged(value);
}

void AutoPrintManager::setHasPendingDebounce(bool value)
{
    if (m_hasPendingDebounce == value)
        return;
    m_hasPendingDebounce = value;
    Q_EMIT hasPendingDebounceChanged(value);
}

} // namespace quill
