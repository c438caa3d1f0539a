#pragma once

#include "backend/pending_upload_store.h"
#include "backend/zav_api_client.h"
#include "common/clock.h"
#include "common/decimal.h"

#include <QCoroTask>
#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

namespace quill {

class Settings;

// What the synchroniser sends of one captured auction. The capture library sits
// above this one, so the caller copies these fields out of its capture records.
struct AuctionUpload
{
    QString id; // the capture's de-duplication key
    QString winnerUsername;
    Decimal salePrice;
    std::optional<qint64> auctionNumber;
    std::optional<QString> rawTitle;

    bool operator==(const AuctionUpload &) const = default;
};

// Mirrors the seller's live show on the backend: starts or adopts it, uploads each
// captured auction once, and completes it.
//
// Every captured auction is first written to the pending store in the data folder
// together with its show, and leaves it only when the backend has accepted it, so
// uploads survive network failures, crashes and restarts. Each change is one append
// to the store's log; the pending file is written whole only when the backlog has
// drained or a log is read at start-up. One upload loop sends the pending auctions
// in order and backs off on failures.
class ShowSyncService final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowSyncService)
    Q_PROPERTY(QString activeShowId READ activeShowId NOTIFY activeShowIdChanged)
    Q_PROPERTY(
        QString activeStreamId READ activeStreamId WRITE setActiveStreamId NOTIFY activeStreamIdChanged)
    Q_PROPERTY(bool isSyncing READ isSyncing NOTIFY isSyncingChanged)
    Q_PROPERTY(QString syncError READ syncError NOTIFY syncErrorChanged)
    Q_PROPERTY(int pendingUploadCount READ pendingUploadCount NOTIFY pendingUploadCountChanged)

public:
    static constexpr const char *kStreamIdKey = "showSync_activeStreamId";
    // The show that was started or adopted for a stream, so a restart picks up that show and no other.
    static constexpr const char *kShowIdKey = "showSync_activeShowId";
    static constexpr const char *kShowStreamIdKey = "showSync_activeShowStreamId";
    static constexpr const char *kPendingFileName = "show_sync_pending.json";
    // While the disk refuses the pending file, it is written again this often until it takes it.
    static constexpr std::chrono::seconds kSaveRetryInterval{5};

    // `settings` keeps the active show and the per-user "has_started_live_show" flag;
    // `sleeper` paces retries. Both must outlive the service.
    explicit ShowSyncService(Settings &settings, Sleeper &sleeper = TimerSleeper::instance(),
                             QObject *parent = nullptr);
    ~ShowSyncService() override;

    ZavAPIClient *api() const { return m_api; }
    void setApi(ZavAPIClient *api);

    // Empty text: none.
    const QString &activeShowId() const { return m_activeShowId; }
    const QString &activeStreamId() const { return m_activeStreamId; }
    // Stored on every assignment; an empty id removes the stored key.
    void setActiveStreamId(const QString &streamId);
    bool isSyncing() const { return m_isSyncing; }
    const QString &syncError() const { return m_syncError; }
    const QSet<QString> &syncedAuctionKeys() const { return m_syncedAuctionKeys; }
    // Marks auctions the backend already holds (restored with a resumed show).
    void addSyncedAuctionKeys(const QStringList &ids);

    // Auctions captured but not yet accepted by the backend, of every show.
    int pendingUploadCount() const { return int(m_pending.size()); }
    // The auctions of `showId` still waiting for the backend, in the order they were queued
    // (read from the pending file when nothing was loaded yet).
    QList<AuctionUpload> pendingUploads(const QString &showId);
    bool isUploading() const { return m_uploading; }
    // Called as each write of the pending store is queued (a seam for crash tests).
    void setPendingWriteHook(PendingUploadStore::WriteHook hook);
    // The thread that puts the pending store on disk, once it was read (a seam for
    // tests, which hold it up); destroying the service waits for what it still has.
    DiskWriter *pendingWriter() const;

    // Adopts this stream's live show, if the backend still has it live. True when a
    // show is active and a stream id is known. Also restarts the uploads left over
    // from an earlier run.
    QCoro::Task<bool> resumeActiveShow();
    // Adopts this stream's live show or creates one and sets it live; a show an earlier
    // start of this run created without its answer arriving is taken over instead of
    // creating another. Does nothing while a show is active or another start is still
    // waiting for the backend.
    QCoro::Task<> startShow(QString title, QString labelMode);
    // Queues every auction of the list not queued before for the active show.
    void syncAuctions(const QList<AuctionUpload> &auctions);
    // Uploads what is pending for the show, then completes it. On failure the show
    // stays active so the end can be tried again.
    QCoro::Task<> endShow();
    // Leaves the show locally; its pending uploads still go to it.
    void reset();
    // Called with the account found at start-up and on every sign-in, account switch and
    // sign-out: a show the previous account's start made without its answer arriving is
    // never taken over by the next start; uploads turned away while the seller was signed
    // out go up as soon as the same seller signs in again.
    void accountChanged(const std::optional<QString> &userId);

Q_SIGNALS:
    void activeShowIdChanged();
    void activeStreamIdChanged();
    void isSyncingChanged();
    void syncErrorChanged();
    void syncedAuctionKeysChanged();
    void pendingUploadCountChanged();
    void uploadLoopFinished();
    void apiChanged();

private:
    static constexpr quint64 kUnwritten = ~quint64(0);
    struct PendingUpload
    {
        QString showId;
        AuctionUpload auction;
        bool parked = false; // refused by the backend; tried again on the next trigger
        // The pending store's write that puts it on disk, until that write is reported
        // (kUnwritten before it is queued); 0 once on disk, or once nothing can put it there.
        // It is sent only at 0.
        quint64 record = 0;
        // Turned away for want of a token (signed out): the seller signed in last before,
        // whose next sign-in sends it; none when it was refused for another reason.
        std::optional<QString> waitsForSeller;
    };
    struct PendingReading;

    void setActiveShowId(const QString &showId);
    void setIsSyncing(bool syncing);
    void setSyncError(const QString &error);
    void adopt(const QString &showId);
    // Ends a start whose look-up of the backend's shows failed.
    void failLookUp(QString failure);
    // The steps of startShow() before it creates a show: the id of the draft an earlier
    // create of this run made although its answer never came (empty: none, create one),
    // or nothing when the drafts could not be checked (the start has failed).
    QCoro::Task<std::optional<QString>> showOfUnansweredCreate(QString title, QString mode);
    void forgetDraftsBeforeCreate();
    void markStarted();
    void reportOnboarding();
    QString storedString(const char *key) const;
    // Commits the stored show and stream; a failure stays in syncError until a later commit succeeds.
    void saveShowSettings();
    // Clears `failure`, and if it was shown, shows the failure still standing (or none).
    void takeBack(QString &failure, const char *saved);

    QString pendingFilePath() const;
    // One entry of the pending file; throws json::DecodeError when it cannot be read.
    static PendingUpload pendingFromJson(const QJsonValue &value);
    void loadPending();
    // The steps of loadPending(). Each returns nothing (or false) when reading must stop.
    std::optional<QString> openPendingStore();
    std::optional<QJsonArray> readPendingFile(const QString &path);
    bool replayPendingLog(PendingReading &reading);
    void keepUnreadablePending(const QString &path, const PendingReading &reading);
    void adoptPending(const PendingReading &reading);
    void reportSetAside(const QString &notice);
    static QString pendingKey(const QString &showId, const QString &auctionId);
    void appendPending(PendingUpload upload);
    // Writes the pending file whole and drops the log.
    void savePending();
    // What the pending file holds: every auction in the list, and the entries kept unread.
    QByteArray pendingFileBytes() const;
    // Writes the file whole again every kSaveRetryInterval, one write at a time, until a
    // write of it succeeds; one loop at a time.
    void retrySaving();
    QCoro::Task<> saveRetryLoop();
    // Records on disk what changed: one append to the log while it is in step with
    // the list, else (or when that append fails) the whole file.
    void persistQueued(const QList<PendingUpload> &uploads);
    void persistAccepted(const QString &showId, const QString &auctionId);
    // Hands every auction not on disk yet to `write` (0: to none; they are sent as they are).
    void carryUnwritten(quint64 write);
    void onPendingWritten(quint64 write, const QString &error);
    void reportSaveFailure(const Error &error);
    // Once every auction in the list is on disk again, takes back what reportSaveFailure() said.
    void clearSaveFailure();
    qsizetype pendingCountFor(const QString &showId) const;
    void startUploads();
    QCoro::Task<> uploadLoop();
    QCoro::Task<> uploadPending();

    Settings &m_settings;
    Sleeper &m_sleeper;
    QPointer<ZavAPIClient> m_api;

    QString m_activeShowId;
    QString m_activeStreamId;
    bool m_isSyncing = false;
    QString m_syncError;
    QSet<QString> m_syncedAuctionKeys;

    bool m_starting = false;
    // The seller's drafts listed before a create whose answer has not come yet (none when
    // they could not all be listed): a draft made since of the same title and label mode
    // is the one that create made, and the next start takes it over.
    std::optional<QSet<QString>> m_draftsBeforeCreate;
    std::optional<QString> m_draftsAccount; // the signed-in account when they were listed
    std::optional<QString> m_lastSeller;    // the account signed in last (kept over a sign-out)
    bool m_pendingLoaded = false;
    QList<PendingUpload> m_pending;
    QSet<QString> m_pendingKeys; // pendingKey() of each entry of m_pending
    std::unique_ptr<PendingUploadStore> m_store;
    PendingUploadStore::WriteHook m_writeHook;
    bool m_logInStep = false; // the files on disk plus the log give m_pending
    // Ids of the uploads read from the pending file, by show.
    QHash<QString, QStringList> m_restoredIds;
    QJsonArray m_unreadablePending; // entries that could not be read nor kept apart
    bool m_pendingWritable = true;  // false while an unreadable file could not be moved aside
    QString m_setAsideNotice;       // stays in syncError until the show ends or is left
    QString m_saveFailure;          // in syncError while the list is not all on disk
    bool m_saveRetrying = false;
    QString m_settingsFailure;      // in syncError while the stored show is not on disk
    bool m_uploading = false;
    quint64 m_queuedCount = 0; // how many times uploads were queued, to see new ones during a wait
    int m_flushWaiters = 0;    // ends waiting for the upload loop
    int m_failuresInARow = 0;  // while an end waits, this many failures stop the loop
    QString m_lastUploadError;
};

} // namespace quill
