#pragma once

#include "backend/api_records.h"

#include <QList>

namespace quill {

// A show's auctions in the order they were won: by creation time, oldest first;
// auctions created at the same moment keep the backend's order, and those whose
// time cannot be read come last in the backend's order. Box numbers follow this
// order wherever they are given, live or in a reprint.
QList<ServerAuction> inFirstWinOrder(QList<ServerAuction> auctions);
// The same order as positions in `auctions`, copying none of them.
QList<qsizetype> firstWinOrder(const QList<ServerAuction> &auctions);
// Positions in `auctions`, newest first: those whose time cannot be read lead (first-win
// order takes them for the latest), then by creation time, latest first; auctions of
// equal time keep the backend's order.
QList<qsizetype> newestFirstOrder(const QList<ServerAuction> &auctions);

} // namespace quill
