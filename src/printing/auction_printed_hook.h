#pragma once

#include "capture/auction_poller.h"
#include "printing/auto_print_manager.h"

#include <QPointer>

namespace quill {

// The callback that marks a won auction printed once its winner label is out: the
// first capture with that id in the poller's list. It holds the poller weakly, so
// it keeps working while no screen is shown and does nothing once the poller is gone.
inline AutoPrintManager::AuctionPrintedCallback markAuctionPrintedIn(AuctionPoller &poller)
{
    QPointer<AuctionPoller> guarded(&poller);
    return [guarded](const QString &auctionId) {
        if (guarded)
            guarded->markPrinted(auctionId);
    };
}

} // namespace quill
