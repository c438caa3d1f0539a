#include "capture/captured_bidder.h"

#include "common/json.h"

#include <cmath>

namespace quill {

namespace {

// Beyond this the time no longer fits the nanosecond clock (about the year 2262).
constexpr double kMaxPageMilliseconds = 9.2e12;

RawBidder decodeRawBidder(const QJsonObject &object, const QString &context)
{
    const json::ObjectReader reader(object, context);
    RawBidder out;
    out.username = reader.requiredString(QStringLiteral("username"));
    out.bidCount = reader.requiredInteger(QStringLiteral("bidCount"));
    out.highestBid = reader.optionalString(QStringLiteral("highestBid"));
    out.avatarURL = reader.optionalString(QStringLiteral("avatarURL"));
    out.lastSeenAt = reader.requiredDouble(QStringLiteral("lastSeenAt"));
    if (std::abs(out.lastSeenAt) > kMaxPageMilliseconds)
        reader.fail(QStringLiteral("lastSeenAt"), QStringLiteral("outside the representable time range"));
    return out;
}

} // namespace

size_t qHash(const CapturedBidder &bidder, size_t seed) noexcept
{
    seed = qHashMulti(seed, bidder.id, bidder.username, bidder.bidCount);
    seed = bidder.highestBid ? qHashMulti(seed, true, *bidder.highestBid) : qHashMulti(seed, false);
    seed = bidder.avatarURL ? qHashMulti(seed, true, *bidder.avatarURL) : qHashMulti(seed, false);
    return qHashMulti(seed, static_cast<qint64>(bidder.lastSeenAt.time_since_epoch().count()));
}

RawBidder RawBidder::fromJson(const QJsonObject &object)
{
    return decodeRawBidder(object, QStringLiteral("bidder"));
}

BidderReadResponse BidderReadResponse::fromJson(const QJsonObject &object)
{
    const QString context = QStringLiteral("bidder read");
    const json::ObjectReader reader(object, context);
    BidderReadResponse out;
    out.count = reader.requiredInteger(QStringLiteral("count"));
    const QJsonArray array = reader.requiredArray(QStringLiteral("bidders"));
    out.bidders.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString itemContext = QStringLiteral("%1.bidders[%2]").arg(context).arg(i);
        if (!array.at(i).isObject())
            throw json::DecodeError(itemContext + QStringLiteral(": expected an object"));
        out.bidders.append(decodeRawBidder(array.at(i).toObject(), itemContext));
    }
    return out;
}

BidderReadResponse BidderReadResponse::decode(const QByteArray &utf8)
{
    return fromJson(json::parseObject(utf8, QStringLiteral("bidder read answer")));
}

} // namespace quill
