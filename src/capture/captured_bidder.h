#pragma once

// One bidder seen in the live page's bid feed, and the bid store reader's answer it
// is rebuilt from at every read.

#include "common/decimal.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <chrono>
#include <optional>

namespace quill {

// A moment on the page's clock. Finer than QDateTime because the page may report
// fractions of a millisecond.
using PageTime = std::chrono::sys_time<std::chrono::nanoseconds>;

struct CapturedBidder
{
    QString id; // equal to username
    QString username;
    qint64 bidCount = 0;
    std::optional<Decimal> highestBid;
    std::optional<QString> avatarURL;
    PageTime lastSeenAt;

    bool operator==(const CapturedBidder &) const = default;
};

size_t qHash(const CapturedBidder &bidder, size_t seed = 0) noexcept;

// One record of the page's bid store.
struct RawBidder
{
    QString username;
    qint64 bidCount = 0;
    std::optional<QString> highestBid;
    std::optional<QString> avatarURL;
    double lastSeenAt = 0; // milliseconds since 1970-01-01 00:00 UTC

    static RawBidder fromJson(const QJsonObject &object);
};

struct BidderReadResponse
{
    qint64 count = 0;
    QList<RawBidder> bidders;

    static BidderReadResponse fromJson(const QJsonObject &object);
    static BidderReadResponse decode(const QByteArray &utf8);
};

} // namespace quill
