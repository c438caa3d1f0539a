#include "app/sold_auction_road.h"

#include "backend/first_win_order.h"
#include "capture/auction_poller.h"
#include "printing/auction_printed_hook.h"
#include "printing/auto_print_manager.h"
#include "printing/print_service.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace quill {

SoldAuctionRoad::SoldAuctionRoad(AuctionPoller &poller, AutoPrintManager &autoPrint,
                                 PrintService &printService, ShowSyncService *showSync, QObject *parent)
    : QObject(parent), m_poller(&poller), m_autoPrint(&autoPrint), m_printService(&printService),
      m_showSync(showSync), m_lastCount(poller.capturedAuctions().size())
{
    // Queued: a restore tells the print queue about its auctions before they reach it.
    connect(&poller, &AuctionPoller::capturedAuctionsChanged, this, &SoldAuctionRoad::onCapturesChanged,
            Qt::QueuedConnection);
    autoPrint.setOnAuctionPrinted(markAuctionPrintedIn(poller));
}

SoldAuctionRoad::~SoldAuctionRoad()
{
    if (m_autoPrint)
        m_autoPrint->setOnAuctionPrinted({});
}

void SoldAuctionRoad::onCapturesChanged()
{
    if (!m_poller || m_poller->capturedAuctions().size() == m_lastCount)
        return; // a capture marked printed, or a change already handed over
    handOver();
}

void SoldAuctionRoad::setHeld(bool held)
{
    if (m_held == held)
        return;
    m_held = held;
    if (!held)
        handOver();
}

void SoldAuctionRoad::handOver()
{
    if (!m_poller || m_held)
        return;
    const QList<CapturedAuction> &captures = m_poller->capturedAuctions();
    m_lastCount = captures.size();
    const QList<CapturedAuction> ordered = inWinOrder(captures);
    if (m_autoPrint && m_printService)
        m_autoPrint->enqueue(ordered, *m_printService);
    if (m_showSync)
        m_showSync->syncAuctions(uploadsOf(ordered));
    Q_EMIT handedOver(m_lastCount);
}

QList<CapturedAuction> SoldAuctionRoad::inWinOrder(const QList<CapturedAuction> &captures) const
{
    // Restored auctions sit at the end, page captures before them, both newest first.
    // Oldest first throughout, the buyers of one scan are numbered, printed and uploaded
    // in the order they won, as the backend's first-win order has them.
    const qsizetype restored = std::min(m_restoredCount, captures.size());
    const qsizetype restoredStart = captures.size() - restored;
    QList<CapturedAuction> ordered;
    ordered.reserve(captures.size());
    for (const qsizetype place : m_restoredWinOrder) {
        if (place < restored)
            ordered.append(captures.at(restoredStart + place));
    }
    for (qsizetype i = restoredStart - 1; i >= 0; --i)
        ordered.append(captures.at(i));
    return ordered;
}

void SoldAuctionRoad::forgetShow()
{
    m_restoredCount = 0;
    m_restoredWinOrder.clear();
    m_lastCount = m_poller ? m_poller->capturedAuctions().size() : 0;
}

QList<CapturedAuction> SoldAuctionRoad::restore(const QList<ServerAuction> &serverAuctions,
                                                const QList<AuctionUpload> &pendingUploads,
                                                const LabelRecord *record)
{
    if (!m_poller)
        return {};
    const QList<ServerAuction> ordered = inFirstWinOrder(serverAuctions);

    // Uploads left pending by an earlier run are auctions of this show too; the
    // backend just has not got them yet.
    QList<ServerAuction> pendingAsServer;
    pendingAsServer.reserve(pendingUploads.size());
    for (const AuctionUpload &upload : pendingUploads) {
        ServerAuction auction;
        auction.winnerUsername = upload.winnerUsername;
        auction.salePrice = upload.salePrice.toString();
        auction.auctionNumber = upload.auctionNumber;
        auction.rawTitle = upload.rawTitle;
        pendingAsServer.append(std::move(auction));
    }
    const QList<ServerAuction> wonInOrder = ordered + pendingAsServer;
    const qsizetype before = m_poller->capturedAuctions().size();
    m_poller->ingest(wonInOrder);
    noteRestoredWinOrder(wonInOrder, before);

    QHash<QString, CapturedAuction> byId;
    for (const CapturedAuction &capture : m_poller->capturedAuctions())
        if (!byId.contains(capture.id))
            byId.insert(capture.id, capture);

    QList<CapturedAuction> restored;
    QSet<QString> taken;
    QStringList backendIds;
    const auto take = [&](const ServerAuction &auction, bool onBackend) {
        const std::optional<QString> id =
            AuctionPoller::keyOf(auction.winnerUsername, auction.salePrice, auction.auctionNumber);
        if (!id || taken.contains(*id) || !byId.contains(*id))
            return;
        taken.insert(*id);
        restored.append(byId.value(*id));
        if (onBackend)
            backendIds.append(*id);
    };
    for (const ServerAuction &auction : ordered)
        take(auction, true);
    for (const ServerAuction &auction : std::as_const(pendingAsServer))
        take(auction, false);

    if (m_autoPrint)
        m_autoPrint->resumeShow(restored, record);
    // Only what the backend holds counts as uploaded: anything captured while the
    // show was starting still goes up with the next hand-over.
    if (m_showSync && !backendIds.isEmpty())
        m_showSync->addSyncedAuctionKeys(backendIds);
    return restored;
}

void SoldAuctionRoad::noteRestoredWinOrder(const QList<ServerAuction> &wonInOrder, qsizetype firstAdded)
{
    // The poller appended what it did not hold yet from `firstAdded` on, in its own
    // order; their places within the restored end are noted in the order they were won.
    const QList<CapturedAuction> &captures = m_poller->capturedAuctions();
    QHash<QString, qsizetype> placeOf;
    for (qsizetype i = firstAdded; i < captures.size(); ++i)
        placeOf.insert(captures.at(i).id, m_restoredCount + (i - firstAdded));
    for (const ServerAuction &auction : wonInOrder) {
        const std::optional<QString> id =
            AuctionPoller::keyOf(auction.winnerUsername, auction.salePrice, auction.auctionNumber);
        if (id && placeOf.contains(*id))
            m_restoredWinOrder.append(placeOf.take(*id));
    }
    // Every appended capture came from that list; should one not be found there, it
    // still goes on the road, behind the others, oldest first.
    QList<qsizetype> rest = placeOf.values();
    std::sort(rest.begin(), rest.end(), std::greater<>());
    m_restoredWinOrder.append(rest);
    m_restoredCount += captures.size() - firstAdded;
}

AuctionUpload SoldAuctionRoad::uploadOf(const CapturedAuction &auction)
{
    return AuctionUpload{auction.id, auction.winnerUsername, auction.salePrice, auction.auctionNumber,
                         auction.rawTitle};
}

QList<AuctionUpload> SoldAuctionRoad::uploadsOf(const QList<CapturedAuction> &auctions)
{
    QList<AuctionUpload> uploads;
    uploads.reserve(auctions.size());
    for (const CapturedAuction &auction : auctions)
        uploads.append(uploadOf(auction));
    return uploads;
}

} // namespace quill
