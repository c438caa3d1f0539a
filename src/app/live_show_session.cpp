#include "app/live_show_session.h"

#include "app/sold_auction_road.h"
#include "backend/show_history_store.h"
#include "backend/show_sync_service.h"
#include "capture/auction_poller.h"
#include "capture/bidder_tracker.h"
#include "capture/sold_scraper.h"
#include "capture/whatnot_session.h"
#include "common/detached_task.h"
#include "common/error.h"
#include "printing/auto_print_manager.h"
#include "printing/label_record_store.h"
#include "printing/label_section_state.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QSet>
#include <algorithm>
#include <iterator>

Q_LOGGING_CATEGORY(lcLiveShowSession, "app.quillmark.Quillmark.LiveShowView")

namespace quill {

namespace {

bool hasUnfinishedJobs(const AutoPrintManager &manager)
{
    const QList<PrintJob> &jobs = manager.printJobs();
    return manager.isProcessing() || std::any_of(jobs.begin(), jobs.end(), [](const PrintJob &job) {
               return job.status.kind == PrintJob::Status::Kind::queued ||
                      job.status.kind == PrintJob::Status::Kind::printing;
           });
}

// The label records of the shows of this run whose labels may still end: the show taken
// up, and shows let go of while some of their labels were queued, printing or failed. Each
// label is recorded in the record of the show it was queued for, never in another's; the
// record of a show that ended is gone, and its late labels are recorded nowhere. Shared
// with the print queue's hooks, which may run after the session is gone.
struct ShowRecords
{
    QHash<QString, LabelRecordStore> byShow; // by backend show id
    QHash<quint64, QString> showOfQueueShow; // the print queue's show number: the show it took up
    QString current;                         // the show taken up, when its record is open

    std::optional<LabelRecordStore> of(const PrintJob &job) const
    {
        const auto found = byShow.constFind(showOfQueueShow.value(job.show));
        return found == byShow.cend() ? std::nullopt : std::optional<LabelRecordStore>(*found);
    }
    std::optional<LabelRecordStore> currentRecord() const
    {
        const auto found = current.isEmpty() ? byShow.cend() : byShow.constFind(current);
        return found == byShow.cend() ? std::nullopt : std::optional<LabelRecordStore>(*found);
    }
    // Lets go of the records of shows that are not taken up and have no label left to end.
    void dropSettled(const QList<PrintJob> &jobs)
    {
        // Most of the time the taken-up show's is the only record: no job needs a look.
        if (!byShow.isEmpty() && !(byShow.size() == 1 && byShow.contains(current))) {
            QSet<QString> waiting{current};
            for (const PrintJob &job : jobs) {
                if (job.status.kind != PrintJob::Status::Kind::done)
                    waiting.insert(showOfQueueShow.value(job.show));
            }
            for (auto it = byShow.begin(); it != byShow.end();)
                it = waiting.contains(it.key()) ? std::next(it) : byShow.erase(it);
        }
        for (auto it = showOfQueueShow.begin(); it != showOfQueueShow.end();)
            it = byShow.contains(it.value()) ? std::next(it) : showOfQueueShow.erase(it);
    }
};

} // namespace

struct LiveShowSession::Impl
{
    Sleeper *sleeper = nullptr;
    Clock *clock = nullptr;
    QLocale locale;
    QList<std::chrono::milliseconds> startRetryDelays;

    // Bumped whenever a show is let go: tasks of the earlier show end at their next step.
    quint64 generation = 0;
    // Bumped by each sign-in reaction and by sign-out: only the newest navigation runs.
    quint64 navigationTicket = 0;
    bool screenShown = false;
    bool followingNavigation = false;
    quint64 navigationLoop = 0; // the loop that followingNavigation is about
    bool captureTaskRunning = false;
    bool startRetryRunning = false;
    bool restoreRetryRunning = false;
    // The show whose backend auctions were taken into the capture list.
    QString takenUpShowId;
    // Capture stopped because the page shows another stream than the show's.
    bool pausedForForeignStream = false;
    // Printing pauses once the ended show's labels are out.
    bool pauseAfterShow = false;
    // The label records, and the box numbers already in the taken-up show's.
    std::shared_ptr<ShowRecords> records = std::make_shared<ShowRecords>();
    QHash<QString, int> recordedBoxNumbers;
    QMetaObject::Connection recordWatch; // the record's write reports, to the notice
};

LiveShowSession::LiveShowSession(LiveShowServices services, Sleeper &sleeper, Clock &clock, LiveShowSetup setup,
                                 QObject *parent)
    : QObject(parent), d(std::make_unique<Impl>()), m_services(services)
{
    d->sleeper = &sleeper;
    d->clock = &clock;
    d->locale = setup.locale;
    d->startRetryDelays = setup.startRetryDelays;
    if (d->startRetryDelays.isEmpty())
        d->startRetryDelays.append(std::chrono::seconds(5));

    m_road = std::make_unique<SoldAuctionRoad>(services.poller, services.autoPrint, services.printService,
                                               &services.showSync);

    WhatnotSession &session = services.session;
    connect(&session, &WhatnotSession::isAuthenticatedChanged, this, &LiveShowSession::onAuthenticatedChanged);
    connect(&session, &WhatnotSession::currentURLChanged, this, &LiveShowSession::onPageAddressChanged);
    connect(&services.poller, &AuctionPoller::isPollingChanged, this, [this](bool polling) {
        if (!polling && !d->screenShown && !captureActive())
            stopFollowingNavigation();
    });
    AutoPrintManager &autoPrint = services.autoPrint;
    for (auto signal : {&AutoPrintManager::isProcessingChanged, &AutoPrintManager::hasPendingDebounceChanged})
        connect(&autoPrint, signal, this, &LiveShowSession::checkPauseAfterShow);
    connect(&autoPrint, &AutoPrintManager::isPrintingChanged, this, &LiveShowSession::checkPauseAfterShow);
    connect(&autoPrint, &AutoPrintManager::printJobsChanged, this, &LiveShowSession::checkPauseAfterShow);
    connect(&services.printAdapter, &PrintKitAdapter::printersChanged, this, &LiveShowSession::onPrintersChanged);
    if (!services.printAdapter.printers().isEmpty())
        onPrintersChanged(); // listed before the show was built
    // Before any of its labels is printed, a buyer's box number is on disk.
    connect(&autoPrint, &AutoPrintManager::boxNumbersChanged, this, &LiveShowSession::recordBoxNumbers);
    // Each settled or cleared label is a line of its show's record; a line the disk refuses
    // is logged, kept by the record for its next write, and on the live screen until then
    // (watchRecord()). These hooks may run after the session is gone, when lp outlived
    // it: they hold nothing of it, and the line is still written.
    const auto recordLine = [](QString label, const char *what) -> DiskWriter::Done {
        return [label = std::move(label), what](const QString &error) {
            if (!error.isEmpty())
                qCCritical(lcLiveShowSession, "The %s of %s was not recorded yet: %s", what,
                           qUtf8Printable(label), qUtf8Printable(error));
        };
    };
    autoPrint.setOnLabelSettled([records = d->records, recordLine](const PrintJob &job) {
        if (const std::optional<LabelRecordStore> record = records->of(job))
            record->recordSettled(job, recordLine(job.label, "end"));
    });
    // A label cleared from the print log before it printed is not printed again after a restart.
    autoPrint.setOnLabelDropped([records = d->records, recordLine](const PrintJob &job) {
        if (const std::optional<LabelRecordStore> record = records->of(job))
            record->recordDropped(job, recordLine(job.label, "clearing"));
    });
    // The record's lines go to the disk on a thread of their own: a label is sent only
    // once the lines recorded before it in its show's record are there.
    autoPrint.setSendGate([records = d->records](const PrintJob &job) -> QCoro::Task<> {
        if (const std::optional<LabelRecordStore> record = records->of(job))
            return record->settled();
        return []() -> QCoro::Task<> { co_return; }();
    });
    // A show let go of keeps its record only while some of its labels may still end.
    connect(&autoPrint, &AutoPrintManager::printJobsChanged, this,
            [this] { d->records->dropSettled(m_services.autoPrint.printJobs()); });
}

LiveShowSession::~LiveShowSession()
{
    m_services.autoPrint.setOnLabelSettled({});
    m_services.autoPrint.setOnLabelDropped({});
    m_services.autoPrint.setSendGate({});
    // Tasks still waiting find the session gone through their QPointer.
}

bool LiveShowSession::onStream() const
{
    return m_services.session.isAuthenticated() && !m_services.showSync.activeStreamId().isEmpty();
}

// --- the page's layout -------------------------------------------------------------------

void LiveShowSession::setWebViewExpanded(bool value)
{
    if (m_webViewExpanded == value)
        return;
    m_webViewExpanded = value;
    startDetached(LivePageScripts::applyExpansionRule(scriptSource(), value, m_streamClean), lcLiveShowSession(),
                  "The expansion rule");
}

void LiveShowSession::setStreamClean(bool value)
{
    if (m_streamClean == value)
        return;
    m_streamClean = value;
    startDetached(
        runScript(value ? LivePageScripts::Script::cleanStream : LivePageScripts::Script::removeCleanStream),
        lcLiveShowSession(), "The clean switch");
}

void LiveShowSession::resetPageLayout()
{
    m_webViewExpanded = false;
    m_streamClean = true;
}

void LiveShowSession::muteVideo()
{
    startDetached(runScript(LivePageScripts::Script::mute), lcLiveShowSession(), "The mute script");
}

std::optional<QString> LiveShowSession::streamIdFromURL(const QUrl &url)
{
    const QStringList components = url.path().split(QLatin1Char('/'));
    const qsizetype live = components.indexOf(QStringLiteral("live"));
    if (live < 0 || live + 1 >= components.size() || components.at(live + 1).isEmpty())
        return std::nullopt;
    return components.at(live + 1);
}


// --- page scripts ------------------------------------------------------------------

PageScriptSource LiveShowSession::scriptSource() const
{
    QPointer<WhatnotSession> session(&m_services.session);
    return [session]() -> PageScriptHost * { return session ? &session->scriptHost() : nullptr; };
}

QCoro::Task<> LiveShowSession::runScript(LivePageScripts::Script script)
{
    co_await LivePageScripts::run(scriptSource(), script);
}

// After a pause: the bid observer again when asked (the page may have been
// reloaded) and the settle rule. Ends quietly when the show was let go meanwhile.
QCoro::Task<> LiveShowSession::settleAfterPause(bool reinstallBidObserver)
{
    QPointer<LiveShowSession> self(this);
    const quint64 generation = d->generation;
    co_await d->sleeper->sleep(kScriptDelay);
    if (!self || generation != d->generation)
        co_return;
    if (reinstallBidObserver) {
        co_await m_services.tracker.start(m_services.session);
        if (!self || generation != d->generation)
            co_return;
    }
    co_await LivePageScripts::applySettleRule(scriptSource(), m_webViewExpanded, m_streamClean);
    if (self)
        Q_EMIT pageScriptsApplied();
}

// --- session task and navigation -----------------------------------------------------

void LiveShowSession::screenShown()
{
    d->screenShown = true;
    startDetached(sessionTask(), lcLiveShowSession(), "The session task");
}

void LiveShowSession::screenHidden()
{
    d->screenShown = false;
    // Navigation is followed for as long as capture runs: a crashed page is then
    // still reloaded while another section is shown or the window is hidden.
    if (!captureActive())
        stopFollowingNavigation();
}

void LiveShowSession::stopFollowingNavigation()
{
    // The loop may still be on its way out; the next screenShown() starts a fresh one.
    d->followingNavigation = false;
    ++d->navigationLoop;
    m_services.session.stopObservingNavigation();
}

bool LiveShowSession::captureActive() const
{
    return m_services.poller.isPolling() || d->pausedForForeignStream;
}

QCoro::Task<> LiveShowSession::sessionTask()
{
    QPointer<LiveShowSession> self(this);
    ShowSyncService &sync = m_services.showSync;
    if (m_services.session.isAuthenticated()) {
        if (sync.activeStreamId().isEmpty()) {
            co_await sync.resumeActiveShow();
            if (!self)
                co_return;
            if (!sync.activeStreamId().isEmpty())
                navigateToStream(sync.activeStreamId());
        } else {
            navigateToStream(sync.activeStreamId());
        }
    }
    followNavigation();
    Q_EMIT sessionTaskFinished();
}

void LiveShowSession::followNavigation()
{
    if (d->followingNavigation)
        return;
    d->followingNavigation = true;
    QPointer<LiveShowSession> self(this);
    const quint64 loop = ++d->navigationLoop;
    auto follow = [](QPointer<LiveShowSession> self, WhatnotSession *session,
                     quint64 loop) -> QCoro::Task<> {
        co_await session->observeNavigation();
        if (self && self->d->navigationLoop == loop)
            self->d->followingNavigation = false;
    };
    startDetached(follow(self, &m_services.session, loop), lcLiveShowSession(),
                  "Following the page's navigation");
}

bool LiveShowSession::navigateToStream(const QString &streamId)
{
    try {
        m_services.session.navigateToStream(streamId);
        return true;
    } catch (const InvalidStreamIdError &error) {
        // A stored id that can never load: forget it, so the connect screen returns.
        qCCritical(lcLiveShowSession, "Unusable stream id dropped: %s", error.what());
        if (m_services.showSync.activeStreamId() == streamId)
            m_services.showSync.setActiveStreamId(QString());
        return false;
    }
}

void LiveShowSession::onAuthenticatedChanged(bool authenticated)
{
    qCInfo(lcLiveShowSession, "🔥 isAuthenticated changed → %d", int(authenticated));
    const quint64 ticket = ++d->navigationTicket;
    if (!authenticated)
        return;
    startDetached(navigateAfterSignIn(ticket), lcLiveShowSession(), "The navigation after sign-in");
}

QCoro::Task<> LiveShowSession::navigateAfterSignIn(quint64 ticket)
{
    QPointer<LiveShowSession> self(this);
    const quint64 generation = d->generation;
    ShowSyncService &sync = m_services.showSync;
    if (sync.activeStreamId().isEmpty()) {
        // The login became known after the screen came (a restart): the show the last
        // run left is picked up now, not when the seller next opens the screen.
        co_await sync.resumeActiveShow();
        if (!self || ticket != d->navigationTicket || generation != d->generation)
            co_return;
    }
    const QString streamId = sync.activeStreamId();
    if (!streamId.isEmpty())
        co_await navigateAfterSignIn(streamId, ticket);
}

QCoro::Task<> LiveShowSession::navigateAfterSignIn(QString streamId, quint64 ticket)
{
    QPointer<LiveShowSession> self(this);
    const quint64 generation = d->generation;
    co_await d->sleeper->sleep(kSignInNavigationDelay);
    // Signed out again, signed in anew, or the show let go meanwhile: that is a cancelled wait.
    if (!self || ticket != d->navigationTicket || generation != d->generation)
        co_return;
    if (navigateToStream(streamId))
        Q_EMIT navigatedAfterSignIn(streamId);
}

// --- page address ----------------------------------------------------------------------

void LiveShowSession::onPageAddressChanged(const QUrl &address)
{
    if (address.isEmpty() || !address.path().split(QLatin1Char('/')).contains(QStringLiteral("live")))
        return;
    if (!onStream() && !captureActive())
        return;
    QUrl pageURL = m_services.session.page().url();
    if (pageURL.isEmpty())
        pageURL = m_services.session.currentURL();
    if (pageURL.isEmpty())
        return;
    const std::optional<QString> streamId = streamIdFromURL(pageURL);
    ShowSyncService &sync = m_services.showSync;
    const bool showActive = !sync.activeShowId().isEmpty();
    if (streamId && showActive && *streamId != sync.activeStreamId()) {
        // Another seller's stream while our show runs: nothing of it is read.
        qCWarning(lcLiveShowSession, "Page left the show's stream for %s: capture paused",
                  qUtf8Printable(*streamId));
        pauseForForeignStream();
        return;
    }
    if (streamId) {
        sync.setActiveStreamId(*streamId);
        qCInfo(lcLiveShowSession, "Captured stream ID: %s", qUtf8Printable(*streamId));
        if (d->pausedForForeignStream)
            resumeAfterForeignStream();
    }
    if (d->pausedForForeignStream)
        return;
    startDetached(settleAfterPause(true), lcLiveShowSession(), "The page-address task");
}

void LiveShowSession::pauseForForeignStream()
{
    if (d->pausedForForeignStream)
        return;
    d->pausedForForeignStream = true;
    setNotice(kForeignStreamNotice);
    if (m_services.poller.isPolling())
        m_services.poller.togglePolling(m_services.session);
    if (m_services.tracker.isTracking())
        m_services.tracker.toggleTracking(m_services.session);
}

void LiveShowSession::resumeAfterForeignStream()
{
    d->pausedForForeignStream = false;
    if (m_notice == kForeignStreamNotice)
        setNotice(QString());
    qCInfo(lcLiveShowSession, "Page back on the show's stream: capture resumed");
    startCapture();
}

void LiveShowSession::startCapture()
{
    if (!m_services.poller.isPolling())
        m_services.poller.togglePolling(m_services.session);
    if (!m_services.tracker.isTracking())
        m_services.tracker.toggleTracking(m_services.session);
}

// --- capture task ------------------------------------------------------------------------

void LiveShowSession::liveContentShown()
{
    if (d->captureTaskRunning)
        return;
    d->captureTaskRunning = true;
    startDetached(captureTask(), lcLiveShowSession(), "The capture task");
}

QCoro::Task<> LiveShowSession::captureTask()
{
    QPointer<LiveShowSession> self(this);
    const quint64 generation = d->generation;
    const auto letGo = [&] { return !self || generation != d->generation; };
    const auto finish = [&] {
        if (!self)
            return;
        d->captureTaskRunning = false;
        Q_EMIT captureTaskFinished();
    };

    if (m_services.session.isAuthenticated()) {
        takeStreamIdFromPage();
        const bool started = co_await startOrResumeShow(generation);
        if (letGo()) {
            finish();
            co_return;
        }
        if (!started)
            startRetryingShowStart();
        if (!d->pausedForForeignStream) {
            if (!m_services.poller.isPolling())
                m_services.poller.togglePolling(m_services.session);
            co_await m_services.tracker.start(m_services.session);
            if (letGo()) {
                finish();
                co_return;
            }
            if (!m_services.tracker.isTracking() && !d->pausedForForeignStream)
                m_services.tracker.toggleTracking(m_services.session);
        }
    }
    co_await d->sleeper->sleep(kScriptDelay);
    if (letGo()) {
        finish();
        co_return;
    }
    co_await LivePageScripts::applySettleRule(scriptSource(), m_webViewExpanded, m_streamClean);
    if (!self)
        co_return;
    Q_EMIT pageScriptsApplied();
    finish();
}

void LiveShowSession::takeStreamIdFromPage()
{
    QUrl pageURL = m_services.session.page().url();
    if (pageURL.isEmpty())
        pageURL = m_services.session.currentURL();
    const std::optional<QString> streamId = streamIdFromURL(pageURL);
    if (!streamId)
        return;
    ShowSyncService &sync = m_services.showSync;
    if (!sync.activeStreamId().isEmpty() && *streamId != sync.activeStreamId()) {
        // Right after a stream is chosen the page is still on the one it came from: the
        // chosen stream stays, and the page-address reaction follows the page from here.
        if (!sync.activeShowId().isEmpty() && !m_services.session.page().isLoading())
            pauseForForeignStream();
        return;
    }
    sync.setActiveStreamId(*streamId);
    qCInfo(lcLiveShowSession, "Captured stream ID: %s", qUtf8Printable(*streamId));
}

// Starts the show when none is active, then takes up the active show once:
// its backend auctions and the uploads left pending for it. True when a show is active.
QCoro::Task<bool> LiveShowSession::startOrResumeShow(quint64 generation)
{
    QPointer<LiveShowSession> self(this);
    ShowSyncService &sync = m_services.showSync;
    if (sync.activeShowId().isEmpty()) {
        const std::optional<QString> title = co_await newShowTitle(generation);
        if (!self || !title)
            co_return false;
        co_await sync.startShow(*title, rawValue(m_services.autoPrint.labelMode()));
        if (!self || generation != d->generation)
            co_return false;
    }
    const QString showId = sync.activeShowId();
    if (showId.isEmpty())
        co_return false;
    if (d->takenUpShowId == showId)
        co_return true; // entering the live content again: this show is already taken up
    if (d->restoreRetryRunning)
        co_return true; // its auctions are on their way
    // Until the backend's auctions are in, wins are held: a win the page already
    // showed would otherwise be taken for a new one, printed again and numbered anew.
    m_road->setHeld(true);
    QList<AuctionUpload> pendingBeforeFetch = m_services.showSync.pendingUploads(showId);
    std::optional<ShowAuctionsResponse> response =
        co_await m_services.showHistory.fetchShowAuctions(showId);
    if (!self || generation != d->generation || sync.activeShowId() != showId)
        co_return false;
    if (!response) {
        // Capture goes on, held, while the restore is tried again in the background.
        if (!d->restoreRetryRunning) {
            d->restoreRetryRunning = true;
            startDetached(retryRestore(showId, generation), lcLiveShowSession(), "Restoring the show's auctions");
        }
        co_return true;
    }
    takeUp(showId, response->auctions, pendingBeforeFetch);
    co_return true;
}

bool LiveShowSession::pageOnActiveStream() const
{
    const MarketplacePage &page = m_services.session.page();
    QUrl pageURL = page.url();
    if (pageURL.isEmpty())
        pageURL = m_services.session.currentURL();
    const QString streamId = m_services.showSync.activeStreamId();
    return !streamId.isEmpty() && streamIdFromURL(pageURL) == streamId && !page.isLoading();
}

QCoro::Task<std::optional<QString>> LiveShowSession::newShowTitle(quint64 generation)
{
    QPointer<LiveShowSession> self(this);
    // Right after a stream is chosen the page is still on the page it came from,
    // whose heading is not the stream's title.
    std::chrono::milliseconds waited{0};
    while (!pageOnActiveStream()) {
        if (waited >= kLivePageWaitLimit) {
            qCWarning(lcLiveShowSession,
                      "The stream's live page did not load: the show gets a dated title");
            co_return LivePageScripts::datedShowTitle(d->clock->now().toLocalTime().date(), d->locale);
        }
        co_await d->sleeper->sleep(kLivePageCheckInterval);
        if (!self || generation != d->generation)
            co_return std::nullopt;
        waited += kLivePageCheckInterval;
    }
    const QString title =
        co_await LivePageScripts::showTitle(scriptSource(), d->clock->now().toLocalTime().date(), d->locale);
    if (!self || generation != d->generation)
        co_return std::nullopt;
    co_return title;
}

void LiveShowSession::takeUp(const QString &showId, const QList<ServerAuction> &auctions,
                             const QList<AuctionUpload> &pendingBeforeFetch)
{
    // An upload that went through while the auctions were fetched is in neither list
    // now: the pending ones from before the fetch are taken too, or the page's notice
    // of that win would be taken for a new one and printed again.
    QList<AuctionUpload> pending = pendingBeforeFetch;
    for (const AuctionUpload &upload : m_services.showSync.pendingUploads(showId)) {
        if (!pending.contains(upload))
            pending.append(upload);
    }
    const std::optional<LabelRecord> record = openLabelRecord(showId, auctions.isEmpty() && pending.isEmpty());
    m_road->restore(auctions, pending, record ? &*record : nullptr);
    d->takenUpShowId = showId;
    setNotice(record || (auctions.isEmpty() && pending.isEmpty()) ? QString() : kLabelRecordLostNotice);
    // Captured while the show was starting or its auctions were on their way: handed over now.
    m_road->setHeld(false);
}

std::optional<LabelRecord> LiveShowSession::openLabelRecord(const QString &showId, bool newShow)
{
    forgetLabelRecord();
    std::optional<LabelRecord> record;
    try {
        // A show taken up again in this run goes on with the record it had, so that one
        // writer keeps the file's lines in order. Lines the disk refuses are tried again
        // by the record itself, so they reach the disk once it has room even if no later
        // label comes.
        ShowRecords &records = *d->records;
        const auto open = records.byShow.constFind(showId);
        const LabelRecordStore store =
            open != records.byShow.cend() ? *open : LabelRecordStore::forShow(showId, d->sleeper);
        records.byShow.insert(showId, store);
        records.showOfQueueShow.insert(m_services.autoPrint.show(), showId);
        records.current = showId;
        watchRecord(store);
        if (store.exists()) {
            try {
                record = store.load();
            } catch (const Error &error) {
                qCCritical(lcLiveShowSession, "Label record set aside: %s", error.what());
                store.setAside();
            }
        } else if (newShow) {
            record = LabelRecord{}; // nothing printed yet
        }
        // Without a record (a show from before records, or one that could not be read)
        // the restored labels count as printed, as they always did.
    } catch (const Error &error) {
        qCCritical(lcLiveShowSession, "No label record for this show: %s", error.what());
    }
    if (record)
        d->recordedBoxNumbers = record->boxNumbers;
    return record;
}

void LiveShowSession::onPrintersChanged()
{
    const QList<PrinterInfo> &printers = m_services.printAdapter.printers();
    m_noPrinter = printers.isEmpty();
    // A new seller's labels go to a printer without a visit to the label settings.
    QList<QString> names;
    for (const PrinterInfo &printer : printers)
        names.append(printer.name);
    LabelSectionState::fillEmptyPrinterChoices(names, m_services.settings);
}

void LiveShowSession::recordBoxNumbers()
{
    const std::optional<LabelRecordStore> record = d->records->currentRecord();
    if (!record)
        return;
    const QHash<QString, int> &numbers = m_services.autoPrint.boxNumbers();
    for (auto it = numbers.cbegin(); it != numbers.cend(); ++it) {
        if (d->recordedBoxNumbers.contains(it.key()))
            continue;
        // Counted once recorded: a line the disk refuses is kept by the record and written with its next write.
        d->recordedBoxNumbers.insert(it.key(), it.value());
        record->recordBoxNumber(it.key(), it.value(), [](const QString &error) {
            if (!error.isEmpty())
                qCCritical(lcLiveShowSession, "Box number not recorded yet: %s", qUtf8Printable(error));
        });
    }
}

QCoro::Task<> LiveShowSession::retryRestore(QString showId, quint64 generation)
{
    QPointer<LiveShowSession> self(this);
    const auto current = [&] {
        return self && generation == d->generation && m_services.showSync.activeShowId() == showId;
    };
    setNotice(kWaitingForBackendNotice);
    for (qsizetype attempt = 0;; ++attempt) {
        const std::chrono::milliseconds delay =
            d->startRetryDelays.at(std::min(attempt, d->startRetryDelays.size() - 1));
        co_await d->sleeper->sleep(delay);
        if (!current())
            break;
        qCInfo(lcLiveShowSession, "Fetching the show's auctions again (attempt %lld)", qlonglong(attempt + 2));
        const QList<AuctionUpload> pendingBeforeFetch = m_services.showSync.pendingUploads(showId);
        const std::optional<ShowAuctionsResponse> response =
            co_await m_services.showHistory.fetchShowAuctions(showId);
        if (!current())
            break;
        if (response) {
            takeUp(showId, response->auctions, pendingBeforeFetch);
            break;
        }
    }
    if (self)
        d->restoreRetryRunning = false;
}

void LiveShowSession::setNotice(const QString &text)
{
    updateNotice([&] { m_notice = text; });
}

void LiveShowSession::updateNotice(const std::function<void()> &change)
{
    const QString before = notice();
    change();
    if (notice() != before)
        Q_EMIT noticeChanged(notice());
}

void LiveShowSession::watchRecord(const LabelRecordStore &store)
{
    // Each write's report says whether every line recorded so far is on disk. The
    // connection ends with the session or when the show lets go of the record.
    d->recordWatch = connect(&store.writer(), &DiskWriter::writeReported, this,
                             [this](quint64, const QString &error) {
                                 updateNotice([&] { m_recordWriteFailed = !error.isEmpty(); });
                             });
}

void LiveShowSession::forgetLabelRecord()
{
    // A record the show has let go of tells nothing about the next one's.
    QObject::disconnect(d->recordWatch);
    updateNotice([this] { m_recordWriteFailed = false; });
    d->records->current.clear();
    d->records->dropSettled(m_services.autoPrint.printJobs());
    d->recordedBoxNumbers.clear();
}

void LiveShowSession::startRetryingShowStart()
{
    if (d->startRetryRunning)
        return;
    d->startRetryRunning = true;
    startDetached(retryShowStart(d->generation), lcLiveShowSession(), "Retrying the show's start");
}

QCoro::Task<> LiveShowSession::retryShowStart(quint64 generation)
{
    QPointer<LiveShowSession> self(this);
    for (qsizetype attempt = 0;; ++attempt) {
        const std::chrono::milliseconds delay =
            d->startRetryDelays.at(std::min(attempt, d->startRetryDelays.size() - 1));
        co_await d->sleeper->sleep(delay);
        if (!self)
            co_return;
        if (generation != d->generation || !onStream() ||
            !m_services.session.isAuthenticated())
            break;
        qCInfo(lcLiveShowSession, "Trying to start the show again (attempt %lld)", qlonglong(attempt + 2));
        if (co_await startOrResumeShow(generation))
            break;
        if (!self)
            co_return;
    }
    d->startRetryRunning = false;
}

// --- header and staff tools ---------------------------------------------------------------


void LiveShowSession::togglePrinting()
{
    d->pauseAfterShow = false; // the seller decides now
    AutoPrintManager &autoPrint = m_services.autoPrint;
    if (!autoPrint.isPrinting()) {
        autoPrint.setIsPrinting(true);
        autoPrint.scheduleProcessing(m_services.printService);
    } else {
        autoPrint.setIsPrinting(false);
        autoPrint.cancelDebounce();
    }
}

void LiveShowSession::scrapeSold()
{
    if (m_services.scraper.isScraping() || !m_services.session.isAuthenticated())
        return;
    QPointer<LiveShowSession> self(this);
    auto scrape = [](QPointer<LiveShowSession> self, SoldScraper *scraper, WhatnotSession *session,
                     AuctionPoller *poller) -> QCoro::Task<> {
        co_await scraper->scrape(*session, *poller);
        if (self)
            Q_EMIT self->soldScrapeFinished();
    };
    startDetached(scrape(self, &m_services.scraper, &m_services.session, &m_services.poller),
                  lcLiveShowSession(), "Scrape Sold");
}

void LiveShowSession::repairStoppedQueues()
{
    QPointer<LiveShowSession> self(this);
    auto repair = [](QPointer<LiveShowSession> self, QPointer<PrintKitAdapter> adapter) -> QCoro::Task<> {
        if (!adapter)
            co_return;
        const QList<PrinterInfo> printers = adapter->printers(); // as they are now, in list order
        for (const PrinterInfo &printer : printers) {
            if (printer.queueState != printkit::CUPSQueueState::stopped)
                continue;
            if (!adapter)
                co_return;
            co_await adapter->recoverQueue(printer.name);
        }
        if (self)
            Q_EMIT self->queueRepairFinished();
    };
    startDetached(repair(self, &m_services.printAdapter), lcLiveShowSession(), "Fix");
}

// --- letting a show go ----------------------------------------------------------------------

void LiveShowSession::letGoOfShow()
{
    ++d->generation;
    ++d->navigationTicket;
    d->takenUpShowId.clear();
    d->pausedForForeignStream = false;
    setNotice(QString());
    forgetLabelRecord();
    m_services.poller.reset();
    m_services.tracker.reset();
    // Box numbers and seen auctions belong to the show that is over.
    m_services.autoPrint.endShow();
    m_road->forgetShow();
    m_road->setHeld(false); // nothing is left to hand over
}

void LiveShowSession::disconnect()
{
    letGoOfShow();
    m_services.showSync.reset();
    m_services.session.logout();
}

void LiveShowSession::leaveStream()
{
    if (!m_services.showSync.activeShowId().isEmpty())
        return; // a show is on: it is ended, not left
    letGoOfShow();
    m_services.showSync.reset();
}

void LiveShowSession::endCurrentShow()
{
    if (m_endingShow)
        return;
    if (const std::optional<LabelRecordStore> record = d->records->currentRecord()) {
        // The show is over: nothing of it is resumed, and its labels still to end are
        // recorded nowhere.
        record->remove();
        d->records->byShow.remove(d->records->current);
    }
    letGoOfShow();
    // Labels already queued for this show still print; then printing pauses for the next one.
    d->pauseAfterShow = true;
    checkPauseAfterShow();
    startDetached(endShowTask(), lcLiveShowSession(), "End Show");
}

QCoro::Task<> LiveShowSession::endShowTask()
{
    QPointer<LiveShowSession> self(this);
    setEndingShow(true);
    co_await m_services.showSync.endShow();
    if (!self)
        co_return;
    setEndingShow(false);
    Q_EMIT showEnded();
}

void LiveShowSession::checkPauseAfterShow()
{
    if (!d->pauseAfterShow)
        return;
    AutoPrintManager &autoPrint = m_services.autoPrint;
    if (autoPrint.isPrinting() && hasUnfinishedJobs(autoPrint)) {
        if (!autoPrint.isProcessing() && !autoPrint.hasPendingDebounce())
            autoPrint.scheduleProcessing(m_services.printService);
        return;
    }
    d->pauseAfterShow = false;
    autoPrint.setIsPrinting(false);
    autoPrint.cancelDebounce();
}

void LiveShowSession::setEndingShow(bool value)
{
    if (m_endingShow == value)
        return;
    m_endingShow = value;
    Q_EMIT isEndingShowChanged(value);
}

} // namespace quill
