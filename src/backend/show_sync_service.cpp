#include "backend/show_sync_service.h"

#include "backend/api_records.h"
#include "backend/zav_api_client.h"
#include "common/detached_task.h"
#include "common/internet_date_time.h"
#include "common/json.h"
#include "common/logging.h"
#include "common/next_signal.h"
#include "common/paths.h"
#include "common/settings.h"
#include "common/user_scoped.h"

#include <QCoroSignal>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <utility>

namespace quill {

namespace {

using namespace std::chrono_literals;

constexpr int kLookupAttempts = 3;
// Enough to find this stream's show among several live ones, or the drafts of a start.
constexpr qint64 kLookupLimit = 50;
// While an end waits for the uploads, this many failures in a row make it give up.
constexpr int kFlushAttempts = 3;
constexpr std::chrono::milliseconds kMaxBackoff = 30s;

std::chrono::milliseconds backoff(int step)
{
    std::chrono::milliseconds delay = 1s;
    for (int i = 0; i < step && delay < kMaxBackoff; ++i)
        delay *= 2;
    return std::min(delay, kMaxBackoff);
}

// Refusals that a repeat will not change right away (a missing show, no token);
// those wait for the next list, resume or end instead of looping.
bool isRefusal(const APIError &error)
{
    if (error.kind() == APIError::Kind::noToken)
        return true;
    if (error.kind() != APIError::Kind::httpError)
        return false;
    const int code = error.statusCode();
    return code >= 400 && code < 500 && code != 408 && code != 429;
}

QJsonObject uploadToJson(const QString &showId, const AuctionUpload &auction)
{
    QJsonObject object{{QStringLiteral("showId"), showId},
                       {QStringLiteral("id"), auction.id},
                       {QStringLiteral("winnerUsername"), auction.winnerUsername},
                       {QStringLiteral("salePrice"), auction.salePrice.toString()}};
    if (auction.auctionNumber)
        object.insert(QStringLiteral("auctionNumber"), *auction.auctionNumber);
    if (auction.rawTitle)
        object.insert(QStringLiteral("rawTitle"), *auction.rawTitle);
    return object;
}

QString orNil(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("nil") : value;
}

// The seller's shows of one status, or why they could not be listed.
struct ShowLookup
{
    std::optional<ShowListResponse> list;
    QString failure;
};

QCoro::Task<ShowLookup> lookUpShows(QPointer<ZavAPIClient> api, QString status)
{
    ShowLookup lookup;
    if (!api)
        co_return lookup;
    try {
        std::optional<QString> wanted = std::move(status);
        lookup.list = co_await api->fetchShows(std::move(wanted), kLookupLimit);
    } catch (const Error &e) {
        lookup.failure = e.message();
    }
    co_return lookup;
}

// The ids of a listing that holds every show of its status; nothing when it does not.
std::optional<QSet<QString>> completeIds(const ShowLookup &lookup)
{
    if (!lookup.list || lookup.list->total > lookup.list->shows.size())
        return std::nullopt;
    QSet<QString> ids;
    for (const ShowSummary &show : lookup.list->shows)
        ids.insert(show.id);
    return ids;
}

// The draft a create whose answer never came made: one of this title and label mode that
// was not there before that create. Empty when there is none. Of several, the oldest: the
// late create came first, and a later one was made elsewhere meanwhile (the seller's other
// computer). The listing is newest first, so among drafts of one moment, or without a
// readable time, the one listed last is the older.
QString draftMadeSince(const ShowListResponse &drafts, const QSet<QString> &before, const QString &title,
                       const QString &mode)
{
    QString oldest;
    std::optional<QDateTime> oldestMade;
    for (const ShowSummary &show : drafts.shows) {
        if (show.status != QLatin1String("draft") || show.title != title || show.labelMode != mode ||
            before.contains(show.id))
            continue;
        const std::optional<QDateTime> made = parseInternetDateTime(show.createdAt);
        if (!oldest.isEmpty() && oldestMade && (!made || *made > *oldestMade))
            continue;
        oldest = show.id;
        oldestMade = made;
    }
    return oldest;
}

} // namespace

ShowSyncService::ShowSyncService(Settings &settings, Sleeper &sleeper, QObject *parent)
    : QObject(parent), m_settings(settings), m_sleeper(sleeper)
{
}

ShowSyncService::~ShowSyncService()
{
    // Quitting while the disk refuses the pending file: one more try, which the store's
    // writer waits for as it goes.
    if (m_saveFailure.isEmpty() || !m_store || !m_pendingWritable)
        return;
    try {
        m_store->writeFile(pendingFileBytes());
    } catch (const std::exception &error) {
        qCCritical(lcShowSync, "Pending auctions could not be saved at the end: %s",
                   qUtf8Printable(errorMessage(error)));
    }
}

void ShowSyncService::setApi(ZavAPIClient *api)
{
    if (m_api == api)
        return;
    m_api = api;
    Q_EMIT apiChanged();
}

void ShowSyncService::setActiveStreamId(const QString &streamId)
{
    try {
        if (streamId.isEmpty())
            m_settings.remove(QString::fromLatin1(kStreamIdKey));
        else
            m_settings.setString(QString::fromLatin1(kStreamIdKey), streamId);
    } catch (const Error &e) {
        qCCritical(lcShowSync, "Could not store the stream id: %s", e.what());
    }
    saveShowSettings();
    if (m_activeStreamId == streamId)
        return;
    m_activeStreamId = streamId;
    Q_EMIT activeStreamIdChanged();
}

void ShowSyncService::addSyncedAuctionKeys(const QStringList &ids)
{
    for (const QString &id : ids)
        m_syncedAuctionKeys.insert(id);
    Q_EMIT syncedAuctionKeysChanged();
}

void ShowSyncService::setActiveShowId(const QString &showId)
{
    // Remember which stream the show belongs to, so a restart adopts this show only.
    try {
        if (showId.isEmpty()) {
            m_settings.remove(QString::fromLatin1(kShowIdKey));
            m_settings.remove(QString::fromLatin1(kShowStreamIdKey));
        } else {
            m_settings.setString(QString::fromLatin1(kShowIdKey), showId);
            m_settings.setString(QString::fromLatin1(kShowStreamIdKey), m_activeStreamId);
        }
    } catch (const Error &e) {
        qCCritical(lcShowSync, "Could not store the active show: %s", e.what());
    }
    saveShowSettings();
    if (m_activeShowId == showId)
        return;
    m_activeShowId = showId;
    Q_EMIT activeShowIdChanged();
}

void ShowSyncService::setIsSyncing(bool syncing)
{
    if (m_isSyncing == syncing)
        return;
    m_isSyncing = syncing;
    Q_EMIT isSyncingChanged();
}

void ShowSyncService::setSyncError(const QString &error)
{
    if (m_syncError == error)
        return;
    m_syncError = error;
    Q_EMIT syncErrorChanged();
}

void ShowSyncService::saveShowSettings()
{
    const std::optional<QString> failure = m_settings.commit();
    if (failure) {
        m_settingsFailure = QStringLiteral("The live show could not be saved: %1. Free up disk space, or "
                                           "Quillmark cannot reconnect to this show after a restart.")
                                .arg(*failure);
        setSyncError(m_settingsFailure);
        return;
    }
    takeBack(m_settingsFailure, "The live show is saved again");
}

void ShowSyncService::takeBack(QString &failure, const char *saved)
{
    if (failure.isEmpty())
        return;
    qCInfo(lcShowSync, "%s", saved);
    const bool shown = m_syncError == failure;
    failure.clear();
    if (shown) {
        setSyncError(!m_saveFailure.isEmpty()       ? m_saveFailure
                     : !m_settingsFailure.isEmpty() ? m_settingsFailure
                                                    : m_setAsideNotice);
    }
}

QString ShowSyncService::storedString(const char *key) const
{
    try {
        return m_settings.stringValue(QString::fromLatin1(key));
    } catch (const Error &e) {
        qCCritical(lcShowSync, "Could not read %s: %s", key, e.what());
        return {};
    }
}

void ShowSyncService::adopt(const QString &showId)
{
    setActiveShowId(showId);
    // What an earlier run left for this show, including what went up while the
    // show was looked up: none of it is to be posted again.
    QStringList queued = m_restoredIds.value(showId);
    for (const PendingUpload &upload : std::as_const(m_pending)) {
        if (upload.showId == showId)
            queued.append(upload.auction.id);
    }
    if (!queued.isEmpty())
        addSyncedAuctionKeys(queued);
}

void ShowSyncService::markStarted()
{
    const QString key = QStringLiteral("has_started_live_show");
    try {
        UserScoped::setValue(key, true, m_settings);
    } catch (const Error &e) {
        qCCritical(lcShowSync, "Could not store %s: %s", qUtf8Printable(key), e.what());
    }
}

void ShowSyncService::reportOnboarding()
{
    QPointer<ZavAPIClient> api = m_api;
    auto report = [](QPointer<ZavAPIClient> client) -> QCoro::Task<> {
        QString slug = QStringLiteral("quillmark");
        QString step = QStringLiteral("live_show");
        try {
            if (client)
                co_await client->completeOnboardingStep(std::move(slug), std::move(step));
        } catch (...) {
            // The checklist reads the progress back; a lost report only delays its tick.
        }
    };
    startDetached(report(api), lcShowSync(), "Onboarding report");
}

QCoro::Task<bool> ShowSyncService::resumeActiveShow()
{
    QPointer<ShowSyncService> self(this);
    loadPending();
    startUploads(); // whatever an earlier run left behind goes to its own show

    // The stored stream is this machine's own: it comes back even before the
    // backend client is handed over (the screen may ask that early in start-up).
    if (m_activeStreamId.isEmpty())
        setActiveStreamId(storedString(kStreamIdKey));
    if (!m_api || !m_activeShowId.isEmpty())
        co_return !m_activeShowId.isEmpty();

    const QString storedShowId = storedString(kShowIdKey);
    const QString storedShowStream = storedString(kShowStreamIdKey);
    if (storedShowId.isEmpty())
        co_return false; // no show of ours to pick up

    const ShowLookup live = co_await lookUpShows(m_api, QStringLiteral("live"));
    if (!self)
        co_return false;
    if (!live.list) {
        qCCritical(lcShowSync, "Failed to check for existing shows: %s", qUtf8Printable(live.failure));
        co_return false;
    }
    if (!m_activeShowId.isEmpty())
        co_return !m_activeStreamId.isEmpty();

    const bool stillLive = std::any_of(live.list->shows.cbegin(), live.list->shows.cend(),
                                       [&](const ShowSummary &show) { return show.id == storedShowId; });
    if (!stillLive || storedShowStream != m_activeStreamId) {
        if (!stillLive) // ended elsewhere: nothing left to pick up
            setActiveShowId(QString());
        co_return false;
    }
    adopt(storedShowId);
    setIsSyncing(true);
    qCInfo(lcShowSync, "Resumed live show: %s, streamId: %s", qUtf8Printable(storedShowId),
           qUtf8Printable(orNil(m_activeStreamId)));
    startUploads();
    co_return !m_activeStreamId.isEmpty();
}

QCoro::Task<> ShowSyncService::startShow(QString title, QString labelMode)
{
    if (!m_api || !m_activeShowId.isEmpty() || m_starting)
        co_return;
    QPointer<ShowSyncService> self(this);
    m_starting = true;
    loadPending();
    setIsSyncing(true);
    // A start clears its own earlier failures, not the notice of auctions set aside.
    setSyncError(m_setAsideNotice);

    // A failed look-up must not lead to a second show for the same stream: ask again, then give up.
    ShowLookup live;
    for (int attempt = 0; attempt < kLookupAttempts && !live.list; ++attempt) {
        if (attempt > 0) {
            const auto delay = backoff(attempt - 1);
            co_await m_sleeper.sleep(delay);
            if (!self)
                co_return;
        }
        if (!m_api)
            break;
        live = co_await lookUpShows(m_api, QStringLiteral("live"));
        if (!self)
            co_return;
        if (!live.list)
            qCWarning(lcShowSync, "Live show look-up failed (attempt %d of %d): %s", attempt + 1,
                      kLookupAttempts, qUtf8Printable(live.failure));
    }
    if (!live.list) {
        failLookUp(live.failure);
        co_return;
    }

    // Only the show this program started for this stream is taken over; any other
    // live show belongs to another stream and must not receive these auctions.
    const QString storedShowId = storedString(kShowIdKey);
    const QString storedShowStream = storedString(kShowStreamIdKey);
    for (const ShowSummary &show : std::as_const(live.list->shows)) {
        if (!storedShowId.isEmpty() && show.id == storedShowId && storedShowStream == m_activeStreamId) {
            m_draftsBeforeCreate.reset();
            adopt(show.id);
            markStarted();
            reportOnboarding();
            qCInfo(lcShowSync, "Reconnected to existing live show: %s", qUtf8Printable(show.id));
            startUploads();
            m_starting = false;
            co_return;
        }
    }

    const QString mode = labelMode.toLower();
    const std::optional<QString> madeEarlier = co_await showOfUnansweredCreate(title, mode);
    if (!self)
        co_return;
    if (!madeEarlier)
        co_return; // the drafts could not be checked: a create now might make a second show
    QString showId = *madeEarlier;

    QPointer<ZavAPIClient> api = m_api;
    QString failure;
    if (showId.isEmpty()) {
        try {
            if (!api)
                throw APIError::noToken();
            QString showTitle = title;
            QString channel = QStringLiteral("whatnot");
            QString showMode = mode;
            showId =
                (co_await api->createShow(std::move(showTitle), std::move(channel), std::move(showMode))).id;
            qCInfo(lcShowSync, "Show created: %s", qUtf8Printable(showId));
        } catch (const Error &e) {
            failure = e.message();
        }
        if (!self)
            co_return;
    }
    bool wentLive = false;
    if (!showId.isEmpty()) {
        m_draftsBeforeCreate.reset();
        setActiveShowId(showId);
        markStarted();
        reportOnboarding();
        try {
            if (!api)
                throw APIError::noToken();
            QString id = showId;
            QString status = QStringLiteral("live");
            co_await api->updateShowStatus(std::move(id), std::move(status));
            wentLive = true;
        } catch (const Error &e) {
            failure = e.message();
        }
        if (!self)
            co_return;
    }
    if (wentLive) {
        qCInfo(lcShowSync, "Show set to live: %s", qUtf8Printable(showId));
    } else {
        setSyncError(QStringLiteral("Failed to create show: ") + failure);
        qCCritical(lcShowSync, "startShow failed: %s", qUtf8Printable(failure));
        setIsSyncing(false);
    }
    m_starting = false;
}

QCoro::Task<std::optional<QString>> ShowSyncService::showOfUnansweredCreate(QString title, QString mode)
{
    QPointer<ShowSyncService> self(this);
    // Another account's drafts are not this seller's: what was listed for it is no guide.
    const std::optional<QString> account = UserScoped::currentUserId();
    if (m_draftsBeforeCreate && m_draftsAccount != account)
        forgetDraftsBeforeCreate();
    const bool unanswered = m_draftsBeforeCreate.has_value();
    const ShowLookup drafts = co_await lookUpShows(m_api, QStringLiteral("draft"));
    if (!self)
        co_return std::nullopt;
    if (unanswered && (!m_draftsBeforeCreate || UserScoped::currentUserId() != account)) {
        // The account changed during the listing: this start makes a show of its own.
        failLookUp(QStringLiteral("the account changed while the drafts were listed"));
        co_return std::nullopt;
    }
    if (!unanswered) {
        m_draftsAccount = account;
        m_draftsBeforeCreate = completeIds(drafts);
        if (!m_draftsBeforeCreate)
            qCWarning(lcShowSync,
                      "The drafts could not all be listed before the show's creation (%s): "
                      "should its answer not come, the next start makes a new show",
                      qUtf8Printable(drafts.failure));
        co_return QString();
    }
    if (!drafts.list) {
        failLookUp(drafts.failure);
        co_return std::nullopt;
    }
    const QString showId = draftMadeSince(*drafts.list, *m_draftsBeforeCreate, title, mode);
    if (!showId.isEmpty())
        qCInfo(lcShowSync, "Took over show %s, made by a start whose answer came too late",
               qUtf8Printable(showId));
    co_return showId;
}

void ShowSyncService::failLookUp(QString failure)
{
    if (failure.isEmpty())
        failure = QStringLiteral("No backend client");
    qCCritical(lcShowSync, "Failed to check for existing shows: %s", qUtf8Printable(failure));
    setSyncError(QStringLiteral("Failed to check for existing shows: ") + failure);
    setIsSyncing(false);
    m_starting = false;
}

QList<AuctionUpload> ShowSyncService::pendingUploads(const QString &showId)
{
    loadPending();
    QList<AuctionUpload> uploads;
    for (const PendingUpload &pending : std::as_const(m_pending))
        if (pending.showId == showId)
            uploads.append(pending.auction);
    return uploads;
}

void ShowSyncService::syncAuctions(const QList<AuctionUpload> &auctions)
{
    // A show the settings could not keep is saved again with the next wins.
    if (!m_settingsFailure.isEmpty())
        saveShowSettings();
    if (!m_api || m_activeShowId.isEmpty() || auctions.isEmpty())
        return;
    loadPending();
    const QString showId = m_activeShowId;
    bool added = false;
    QList<PendingUpload> queued;
    for (const AuctionUpload &auction : auctions) {
        if (m_syncedAuctionKeys.contains(auction.id))
            continue;
        m_syncedAuctionKeys.insert(auction.id);
        if (!m_pendingKeys.contains(pendingKey(showId, auction.id))) {
            queued.append(PendingUpload{showId, auction, false, kUnwritten});
            appendPending(queued.constLast());
        }
        added = true;
    }
    if (added) {
        persistQueued(queued); // on disk before anything is sent
        Q_EMIT syncedAuctionKeysChanged();
        Q_EMIT pendingUploadCountChanged();
    }
    for (PendingUpload &upload : m_pending)
        upload.parked = false;
    startUploads();
}

QCoro::Task<> ShowSyncService::endShow()
{
    if (!m_api || m_activeShowId.isEmpty() || m_flushWaiters > 0)
        co_return;
    QPointer<ShowSyncService> self(this);
    const QString showId = m_activeShowId;
    loadPending();

    // Completing the show first would close it to the auctions still on their way.
    for (PendingUpload &upload : m_pending)
        upload.parked = false;
    m_failuresInARow = 0;
    ++m_flushWaiters;
    startUploads();
    auto unsentFor = [this](const QString &id) {
        return std::count_if(m_pending.cbegin(), m_pending.cend(),
                             [&](const PendingUpload &p) { return p.showId == id && !p.parked; });
    };
    while (m_uploading && unsentFor(showId) > 0) {
        co_await nextSignal(this, &ShowSyncService::uploadLoopFinished);
        if (!self)
            co_return;
    }
    --m_flushWaiters;

    const qsizetype unsent = pendingCountFor(showId);
    QString failure;
    if (unsent > 0) {
        failure =
            QStringLiteral("%1 auction(s) could not be uploaded: %2").arg(unsent).arg(m_lastUploadError);
    } else {
        QPointer<ZavAPIClient> api = m_api;
        try {
            if (!api)
                throw APIError::noToken();
            QString id = showId;
            QString status = QStringLiteral("completed");
            co_await api->updateShowStatus(std::move(id), std::move(status));
        } catch (const Error &e) {
            failure = e.message();
        }
        if (!self)
            co_return;
    }
    if (!failure.isEmpty()) {
        // The show stays active, so the end can be tried again and no later show
        // can take over this one's auctions.
        setSyncError(QStringLiteral("Failed to end show: ") + failure);
        qCCritical(lcShowSync, "endShow failed: %s", qUtf8Printable(failure));
        co_return;
    }
    qCInfo(lcShowSync, "Show completed: %s", qUtf8Printable(showId));
    if (m_activeShowId != showId)
        co_return; // reset meanwhile; nothing of the new state is ours to clear
    m_setAsideNotice.clear();
    setSyncError(QString());
    setActiveShowId(QString());
    setActiveStreamId(QString());
    setIsSyncing(false);
    m_syncedAuctionKeys.clear();
    Q_EMIT syncedAuctionKeysChanged();
}

void ShowSyncService::reset()
{
    forgetDraftsBeforeCreate();
    setActiveShowId(QString());
    setActiveStreamId(QString());
    m_setAsideNotice.clear();
    setSyncError(m_settingsFailure);
    setIsSyncing(false);
    m_syncedAuctionKeys.clear();
    Q_EMIT syncedAuctionKeysChanged();
}

void ShowSyncService::accountChanged(const std::optional<QString> &userId)
{
    forgetDraftsBeforeCreate();
    if (!userId)
        return; // signed out: uploads are turned away for want of a token, and wait
    m_lastSeller = userId;
    // A seller back after a sign-out: what was turned away meanwhile goes up now, not
    // with the next win.
    bool waiting = false;
    for (PendingUpload &upload : m_pending) {
        if (upload.parked && upload.waitsForSeller == userId) {
            upload.parked = false;
            waiting = true;
        }
    }
    if (waiting)
        startUploads();
}

void ShowSyncService::forgetDraftsBeforeCreate()
{
    if (m_draftsBeforeCreate)
        qCInfo(lcShowSync, "A start whose answer never came is no longer taken over");
    m_draftsBeforeCreate.reset();
    m_draftsAccount.reset();
}

// --- pending uploads ------------------------------------------------------------

QString ShowSyncService::pendingFilePath() const
{
    return paths::dataFile(QString::fromLatin1(kPendingFileName));
}

ShowSyncService::PendingUpload ShowSyncService::pendingFromJson(const QJsonValue &value)
{
    if (!value.isObject())
        throw json::DecodeError(QStringLiteral("an upload is not an object"));
    const json::ObjectReader reader(value.toObject(), QStringLiteral("uploads"));
    PendingUpload upload;
    upload.showId = reader.requiredString(QStringLiteral("showId"));
    upload.auction.id = reader.requiredString(QStringLiteral("id"));
    upload.auction.winnerUsername = reader.requiredString(QStringLiteral("winnerUsername"));
    const QString price = reader.requiredString(QStringLiteral("salePrice"));
    const auto decimal = Decimal::fromString(price);
    if (!decimal)
        throw json::DecodeError(QStringLiteral("salePrice \"%1\" is not a decimal amount").arg(price));
    upload.auction.salePrice = *decimal;
    upload.auction.auctionNumber = reader.optionalInteger(QStringLiteral("auctionNumber"));
    upload.auction.rawTitle = reader.optionalString(QStringLiteral("rawTitle"));
    return upload;
}

void ShowSyncService::setPendingWriteHook(PendingUploadStore::WriteHook hook)
{
    m_writeHook = std::move(hook);
    if (m_store)
        m_store->setWriteHook(m_writeHook);
}

QString ShowSyncService::pendingKey(const QString &showId, const QString &auctionId)
{
    return showId + QLatin1Char('\n') + auctionId;
}

void ShowSyncService::appendPending(PendingUpload upload)
{
    m_pendingKeys.insert(pendingKey(upload.showId, upload.auction.id));
    m_pending.append(std::move(upload));
}

// What the pending file and its log hold, read in order. One damaged entry must not
// keep the others from being uploaded: only the bad ones are set aside.
struct ShowSyncService::PendingReading
{
    QList<PendingUpload> loaded;
    QHash<QString, qsizetype> live; // pendingKey() to its entry in `loaded`, while pending
    QJsonArray unreadable;
    QString firstProblem;

    void take(const QJsonValue &value)
    {
        try {
            PendingUpload upload = pendingFromJson(value);
            const QString key = pendingKey(upload.showId, upload.auction.id);
            if (live.contains(key))
                return;
            live.insert(key, loaded.size());
            loaded.append(std::move(upload));
        } catch (const Error &e) {
            keepUnreadable(value, e.message());
        }
    }
    void keepUnreadable(const QJsonValue &value, const QString &problem)
    {
        unreadable.append(value);
        if (firstProblem.isEmpty())
            firstProblem = problem;
    }
};

void ShowSyncService::loadPending()
{
    if (m_pendingLoaded)
        return;
    m_pendingLoaded = true;
    const std::optional<QString> path = openPendingStore();
    if (!path)
        return;
    const std::optional<QJsonArray> uploads = readPendingFile(*path);
    if (!uploads)
        return;
    PendingReading reading;
    for (const QJsonValue &value : *uploads)
        reading.take(value);
    const bool hadLog = m_store->hasLog();
    if (hadLog && !replayPendingLog(reading))
        return;
    if (!reading.unreadable.isEmpty())
        keepUnreadablePending(*path, reading);
    adoptPending(reading);
    qCInfo(lcShowSync, "Loaded %lld pending auction(s)", qlonglong(reading.live.size()));
    // A log is folded into the file at once, so it never grows over several runs.
    if (!reading.unreadable.isEmpty() || hadLog)
        savePending();
    else
        m_logInStep = true;
    Q_EMIT pendingUploadCountChanged();
}

std::optional<QString> ShowSyncService::openPendingStore()
{
    QString path;
    try {
        path = pendingFilePath();
    } catch (const Error &e) {
        qCCritical(lcShowSync, "Pending auctions unavailable: %s", e.what());
        return std::nullopt;
    }
    m_store = std::make_unique<PendingUploadStore>(path);
    m_store->setWriteHook(m_writeHook);
    connect(&m_store->writer(), &DiskWriter::writeReported, this, &ShowSyncService::onPendingWritten);
    return path;
}

std::optional<QJsonArray> ShowSyncService::readPendingFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return QJsonArray();
    try {
        if (!file.open(QIODevice::ReadOnly))
            throw Error(file.errorString());
        const QJsonObject root = json::parseObject(file.readAll(), QStringLiteral("pending auctions"));
        file.close();
        return json::ObjectReader(root).requiredArray(QStringLiteral("uploads"));
    } catch (const Error &e) {
        file.close();
        // Keep the unreadable file for inspection instead of overwriting what it holds.
        const QString aside = paths::setAsidePath(path);
        if (!QFile::rename(path, aside)) {
            // Left in place, it would be overwritten by the next save: read nothing more this run.
            m_pendingWritable = false;
            reportSetAside(
                QStringLiteral("Pending auctions could not be read (%1) and could not be moved aside")
                    .arg(e.message()));
            return std::nullopt;
        }
        reportSetAside(
            QStringLiteral("Pending auctions could not be read (kept as %1): %2").arg(aside, e.message()));
        return QJsonArray(); // what the log holds since is still read
    }
}

bool ShowSyncService::replayPendingLog(PendingReading &reading)
{
    // The changes since the file was last written whole, in order.
    PendingUploadStore::LogReading log;
    try {
        log = m_store->readLog();
    } catch (const Error &e) {
        m_pendingWritable = false; // rewriting the file would drop what the log holds
        reportSetAside(QStringLiteral("Pending auctions could not be read (%1)").arg(e.message()));
        return false;
    }
    for (const PendingUploadStore::LogRecord &record : std::as_const(log.records)) {
        if (record.kind == PendingUploadStore::LogRecord::Kind::queued)
            reading.take(record.entry);
        else
            reading.live.remove(pendingKey(record.entry.value(QStringLiteral("showId")).toString(),
                                           record.entry.value(QStringLiteral("id")).toString()));
    }
    for (const QString &line : std::as_const(log.unreadableLines))
        reading.keepUnreadable(line, QStringLiteral("a line of %1 is not a record").arg(m_store->logPath()));
    return true;
}

void ShowSyncService::keepUnreadablePending(const QString &path, const PendingReading &reading)
{
    const QString aside = paths::setAsidePath(path);
    const QJsonObject root{{QStringLiteral("uploads"), reading.unreadable}};
    try {
        paths::writeFileAtomically(aside, QJsonDocument(root).toJson(QJsonDocument::Compact));
        reportSetAside(QStringLiteral("%1 pending auction(s) could not be read (kept as %2): %3")
                           .arg(reading.unreadable.size())
                           .arg(aside, reading.firstProblem));
    } catch (const Error &e) {
        // Written back with every save instead, so they are not lost either.
        m_unreadablePending = reading.unreadable;
        reportSetAside(QStringLiteral("%1 pending auction(s) could not be read (%2) nor kept apart: %3")
                           .arg(reading.unreadable.size())
                           .arg(reading.firstProblem, e.message()));
    }
}

void ShowSyncService::adoptPending(const PendingReading &reading)
{
    // An entry the backend accepted later in the log, or queued again after that, is
    // kept only where its last queueing put it. What was queued before the files were
    // read follows them.
    const QList<PendingUpload> earlier = std::exchange(m_pending, {});
    m_pendingKeys.clear();
    for (qsizetype i = 0; i < reading.loaded.size(); ++i) {
        const PendingUpload &upload = reading.loaded.at(i);
        if (reading.live.value(pendingKey(upload.showId, upload.auction.id), -1) != i)
            continue;
        m_restoredIds[upload.showId].append(upload.auction.id);
        appendPending(upload);
    }
    for (const PendingUpload &upload : earlier) {
        if (!m_pendingKeys.contains(pendingKey(upload.showId, upload.auction.id)))
            appendPending(upload);
    }
}

void ShowSyncService::reportSetAside(const QString &notice)
{
    qCCritical(lcShowSync, "%s", qUtf8Printable(notice));
    m_setAsideNotice = notice;
    setSyncError(notice);
}

void ShowSyncService::reportSaveFailure(const Error &error)
{
    qCCritical(lcShowSync, "Pending auctions could not be saved: %s", error.what());
    m_saveFailure =
        QStringLiteral("Failed to save pending auctions: %1. Wins not yet on the backend are lost "
                       "if Quillmark closes before they are saved: free up disk space.")
            .arg(error.message());
    setSyncError(m_saveFailure);
}

void ShowSyncService::clearSaveFailure()
{
    takeBack(m_saveFailure, "Pending auctions are saved again");
}

void ShowSyncService::savePending()
{
    if (!m_pendingWritable) {
        carryUnwritten(0);
        return;
    }
    if (!m_store) {
        carryUnwritten(0);
        try {
            pendingFilePath(); // says why there is no store
        } catch (const Error &e) {
            reportSaveFailure(e);
        }
        return;
    }
    // Changes queued behind the whole file land in a fresh log; should the file fail,
    // they land in the old one, which still gives the list with the old file.
    m_logInStep = true;
    const quint64 write = m_store->writeFile(pendingFileBytes(), [this](const QString &error) {
        if (error.isEmpty()) {
            clearSaveFailure(); // the whole list is on disk
            return;
        }
        // Every later change writes the whole file again until one write succeeds, and
        // so does the retry, without waiting for a change.
        m_logInStep = false;
        reportSaveFailure(Error(error));
        retrySaving();
    });
    carryUnwritten(write);
}

QByteArray ShowSyncService::pendingFileBytes() const
{
    QJsonArray uploads;
    for (const PendingUpload &upload : std::as_const(m_pending))
        uploads.append(uploadToJson(upload.showId, upload.auction));
    for (const QJsonValue &value : std::as_const(m_unreadablePending))
        uploads.append(value);
    const QJsonObject root{{QStringLiteral("uploads"), uploads}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

void ShowSyncService::retrySaving()
{
    if (m_saveRetrying)
        return;
    m_saveRetrying = true;
    startDetached(saveRetryLoop(), lcShowSync(), "Saving the pending auctions again");
}

QCoro::Task<> ShowSyncService::saveRetryLoop()
{
    QPointer<ShowSyncService> self(this);
    // Ends once a write of the whole file succeeded (this one's or a change's), or when
    // nothing can be written any more.
    const auto saved = [&] { return !self || m_saveFailure.isEmpty() || !m_store || !m_pendingWritable; };
    while (!saved()) {
        co_await m_sleeper.sleep(kSaveRetryInterval);
        if (saved())
            break;
        savePending();
        DiskWriter &writer = m_store->writer();
        const bool reported = co_await writer.reportOf(writer.posted());
        if (!self)
            co_return;
        if (!reported)
            break;
    }
    if (self)
        m_saveRetrying = false;
}

void ShowSyncService::carryUnwritten(quint64 write)
{
    for (PendingUpload &upload : m_pending) {
        if (upload.record != 0)
            upload.record = write;
    }
}

void ShowSyncService::persistQueued(const QList<PendingUpload> &uploads)
{
    ++m_queuedCount;
    if (!m_pendingWritable) {
        carryUnwritten(0);
        return;
    }
    if (uploads.isEmpty())
        return;
    if (!m_store || !m_logInStep) {
        savePending();
        return;
    }
    QList<QJsonObject> entries;
    entries.reserve(uploads.size());
    QSet<QString> keys;
    for (const PendingUpload &upload : uploads) {
        entries.append(uploadToJson(upload.showId, upload.auction));
        keys.insert(pendingKey(upload.showId, upload.auction.id));
    }
    const quint64 write = m_store->appendQueued(entries, [this](const QString &error) {
        if (error.isEmpty())
            return;
        qCWarning(lcShowSync, "Appending to the pending log failed, writing the file whole: %s",
                  qUtf8Printable(error));
        m_logInStep = false;
        savePending();
    });
    for (PendingUpload &upload : m_pending) {
        if (keys.contains(pendingKey(upload.showId, upload.auction.id)))
            upload.record = write;
    }
}

void ShowSyncService::persistAccepted(const QString &showId, const QString &auctionId)
{
    if (!m_pendingWritable)
        return;
    // The backlog has drained: the file is written empty again and the log goes.
    if (m_pending.isEmpty() || !m_store || !m_logInStep) {
        savePending();
        return;
    }
    m_store->appendAccepted(showId, auctionId, [this](const QString &error) {
        if (error.isEmpty())
            return;
        qCWarning(lcShowSync, "Appending to the pending log failed, writing the file whole: %s",
                  qUtf8Printable(error));
        m_logInStep = false;
        savePending();
    });
}

void ShowSyncService::onPendingWritten(quint64 write, const QString &error)
{
    // Reports come in order, and a failed write's auctions were handed to a later whole
    // file by its own report (above): what is left up to `write` is on disk, or is
    // sent without being on disk because even the whole file could not be written.
    if (!error.isEmpty())
        qCCritical(lcShowSync, "A pending auction could not be put on disk: %s", qUtf8Printable(error));
    for (PendingUpload &upload : m_pending) {
        if (upload.record != 0 && upload.record <= write)
            upload.record = 0;
    }
}

DiskWriter *ShowSyncService::pendingWriter() const
{
    return m_store ? &m_store->writer() : nullptr;
}

qsizetype ShowSyncService::pendingCountFor(const QString &showId) const
{
    return std::count_if(m_pending.cbegin(), m_pending.cend(),
                         [&](const PendingUpload &p) { return p.showId == showId; });
}

void ShowSyncService::startUploads()
{
    if (m_uploading || !m_api)
        return;
    if (std::none_of(m_pending.cbegin(), m_pending.cend(), [](const PendingUpload &p) { return !p.parked; }))
        return;
    m_uploading = true;
    // Runs on by itself until nothing is left to send.
    startDetached(uploadLoop(), lcShowSync(), "Upload loop");
}

QCoro::Task<> ShowSyncService::uploadLoop()
{
    QPointer<ShowSyncService> self(this);
    try {
        co_await uploadPending();
    } catch (const std::exception &e) {
        // Whatever went wrong, the auctions stay pending and the next list, resume
        // or end starts the loop again.
        if (!self)
            co_return;
        m_lastUploadError = errorMessage(e);
        qCCritical(lcShowSync, "Upload loop stopped: %s", qUtf8Printable(m_lastUploadError));
    }
    if (!self)
        co_return;
    // The loop is over once what it recorded (the acceptances, the drained file) is on disk.
    const quint64 queuedBefore = m_queuedCount;
    if (m_store) {
        co_await m_store->writer().reportOf(m_store->writer().posted());
        if (!self)
            co_return;
    }
    m_uploading = false;
    Q_EMIT uploadLoopFinished();
    // Wins queued during that last wait found the loop still running and did not start
    // one: without this they would wait for the next win.
    if (self && m_queuedCount != queuedBefore)
        startUploads();
}

QCoro::Task<> ShowSyncService::uploadPending()
{
    QPointer<ShowSyncService> self(this);
    int backoffStep = 0;
    for (;;) {
        QPointer<ZavAPIClient> api = m_api;
        const auto next = std::find_if(m_pending.cbegin(), m_pending.cend(),
                                       [](const PendingUpload &p) { return !p.parked; });
        if (!api || next == m_pending.cend())
            break;
        if (next->record != 0 && m_store) {
            // Sent only once its record is on disk, so a crash can never forget an
            // auction the backend may already hold.
            DiskWriter &writer = m_store->writer();
            if (writer.reported() == writer.posted())
                break; // its record was never queued: nothing will put it on disk
            const bool reported = co_await writer.reportOf(writer.reported() + 1);
            if (!self || !reported)
                co_return; // the service or its store is gone
            continue;
        }
        const QString showId = next->showId;
        const AuctionUpload auction = next->auction;

        CreateAuctionRequest request;
        request.winnerUsername = auction.winnerUsername;
        request.salePrice = auction.salePrice.toString();
        request.auctionNumber = auction.auctionNumber;
        request.rawTitle = auction.rawTitle;
        request.source = QStringLiteral("sync");

        std::optional<CreateAuctionResponse> response;
        QString failure;
        bool refused = false;
        bool signedOut = false;
        try {
            QString target = showId;
            response = co_await api->createAuction(std::move(request), std::move(target));
        } catch (const APIError &e) {
            failure = e.message();
            refused = isRefusal(e);
            signedOut = e.kind() == APIError::Kind::noToken;
        } catch (const Error &e) {
            failure = e.message();
        } catch (const std::exception &e) {
            // Not a backend answer: a repeat right away would only fail the same way.
            failure = errorMessage(e);
            refused = true;
        }
        if (!self)
            co_return;

        const auto it = std::find_if(m_pending.begin(), m_pending.end(), [&](const PendingUpload &p) {
            return p.showId == showId && p.auction.id == auction.id;
        });
        if (response) {
            backoffStep = 0;
            m_failuresInARow = 0;
            if (it != m_pending.end()) {
                m_pendingKeys.remove(pendingKey(it->showId, it->auction.id));
                m_pending.erase(it);
            }
            persistAccepted(showId, auction.id);
            Q_EMIT pendingUploadCountChanged();
            if (response->deduplicated.value_or(false))
                qCDebug(lcShowSync, "Auction deduped: %s", qUtf8Printable(auction.id));
            else
                qCInfo(lcShowSync, "Auction synced: %s $%s", qUtf8Printable(auction.winnerUsername),
                       qUtf8Printable(auction.salePrice.toString()));
            continue;
        }

        qCCritical(lcShowSync, "Auction sync failed for %s: %s", qUtf8Printable(auction.id),
                   qUtf8Printable(failure));
        m_lastUploadError = failure;
        if (refused) {
            if (it != m_pending.end()) {
                it->parked = true;
                it->waitsForSeller = signedOut ? m_lastSeller : std::nullopt;
            }
            continue;
        }
        ++m_failuresInARow;
        if (m_flushWaiters > 0 && m_failuresInARow >= kFlushAttempts)
            break;
        const auto delay = backoff(backoffStep++);
        co_await m_sleeper.sleep(delay);
        if (!self)
            co_return;
    }
}

} // namespace quill
