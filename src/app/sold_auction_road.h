#pragma once

#include "backend/api_records.h"
#include "backend/show_sync_service.h"
#include "capture/captured_auction.h"

#include <QList>
#include <QObject>
#include <QPointer>

namespace quill {

class AuctionPoller;
class AutoPrintManager;
struct LabelRecord;
class PrintService;

// The road of one sold auction: every change in the number of captures hands the
// whole capture list to the print queue and then to the show synchroniser, and a
// printed winner label marks its capture printed. It runs for as long as it lives,
// whatever screen is shown.
//
// The count reaction is queued, so that a resumed show's restored auctions reach
// the print queue only after `restore` has told the queue about them.
class SoldAuctionRoad final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoldAuctionRoad)

public:
    // `showSync` may be null (a road without backend records).
    SoldAuctionRoad(AuctionPoller &poller, AutoPrintManager &autoPrint, PrintService &printService,
                    ShowSyncService *showSync, QObject *parent = nullptr);
    ~SoldAuctionRoad() override;

    // A resumed show: the backend's auctions and the uploads an earlier run left
    // pending for it go into the capture list, are never printed again (box numbers
    // continue after their buyers) and only the backend's are marked uploaded.
    // Returns the restored captures in first-win order.
    //
    // With the show's label record, only the labels it holds as settled count as out;
    // the rest print (AutoPrintManager::resumeShow).
    QList<CapturedAuction> restore(const QList<ServerAuction> &serverAuctions,
                                   const QList<AuctionUpload> &pendingUploads = {},
                                   const LabelRecord *record = nullptr);

    // Held, captures wait: nothing is printed, numbered or uploaded until the hold ends,
    // when everything captured meanwhile is handed over at once.
    void setHeld(bool held);
    bool isHeld() const { return m_held; }

    // What the count reaction does; public for the benchmark and for callers that
    // must not wait for the event loop.
    void handOver();

    // Captures handed over so far (the count the reaction last saw).
    qsizetype handedOverCount() const { return m_lastCount; }

    // The show is let go: the next show's captures are all its own.
    void forgetShow();

    static AuctionUpload uploadOf(const CapturedAuction &auction);
    static QList<AuctionUpload> uploadsOf(const QList<CapturedAuction> &auctions);

Q_SIGNALS:
    // After each hand-over, with the number of captures handed over.
    void handedOver(qsizetype count);

private:
    void onCapturesChanged();
    QList<CapturedAuction> inWinOrder(const QList<CapturedAuction> &captures) const;
    void noteRestoredWinOrder(const QList<ServerAuction> &wonInOrder, qsizetype firstAdded);

    QPointer<AuctionPoller> m_poller;
    QPointer<AutoPrintManager> m_autoPrint;
    QPointer<PrintService> m_printService;
    QPointer<ShowSyncService> m_showSync;
    qsizetype m_lastCount = 0;
    bool m_held = false;
    qsizetype m_restoredCount = 0; // restored captures at the end of the capture list
    // Places of the restored captures within that end, in first-win order: the capture
    // list holds them newest first, the print queue and the synchroniser take them as won.
    QList<qsizetype> m_restoredWinOrder;
};

} // namespace quill
