#include "capture/captured_auction.h"

#include "common/json.h"

namespace quill {

namespace {

template <typename T>
size_t hashOptional(const std::optional<T> &value, size_t seed)
{
    return value ? qHashMulti(seed, true, *value) : qHashMulti(seed, false);
}

RawAuction decodeRawAuction(const QJsonObject &object, const QString &context)
{
    const json::ObjectReader reader(object, context);
    RawAuction out;
    out.winnerUsername = reader.requiredString(QStringLiteral("winnerUsername"));
    out.salePrice = reader.requiredString(QStringLiteral("salePrice"));
    out.auctionNumber = reader.optionalInteger(QStringLiteral("auctionNumber"));
    out.rawTitle = reader.optionalString(QStringLiteral("rawTitle"));
    out.avatarURL = reader.optionalString(QStringLiteral("avatarURL"));
    out.repeat = reader.optionalInteger(QStringLiteral("repeat"));
    return out;
}

QList<RawAuction> decodeAuctions(const json::ObjectReader &reader, const QString &key, const QString &context)
{
    const QString listContext = context + QLatin1Char('.') + key;
    const QJsonArray array = reader.requiredArray(key);
    QList<RawAuction> out;
    out.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString itemContext = QStringLiteral("%1[%2]").arg(listContext).arg(i);
        if (!array.at(i).isObject())
            throw json::DecodeError(itemContext + QStringLiteral(": expected an object"));
        out.append(decodeRawAuction(array.at(i).toObject(), itemContext));
    }
    return out;
}

} // namespace

QString CapturedAuction::makeId(const QString &winnerUsername, const Decimal &salePrice,
                                std::optional<qint64> auctionNumber, qint64 repeat)
{
    QString id = winnerUsername + QLatin1Char('-') + salePrice.toString() + QLatin1Char('-') +
                 QString::number(auctionNumber.value_or(0));
    if (repeat > 1)
        id += QLatin1Char('-') + QString::number(repeat);
    return id;
}

size_t qHash(const CapturedAuction &auction, size_t seed) noexcept
{
    seed = qHashMulti(seed, auction.id, auction.winnerUsername, auction.salePrice);
    seed = hashOptional(auction.auctionNumber, seed);
    seed = hashOptional(auction.rawTitle, seed);
    seed = hashOptional(auction.avatarURL, seed);
    return qHashMulti(seed, auction.capturedAt, auction.isPrinted);
}

RawAuction RawAuction::fromJson(const QJsonObject &object)
{
    return decodeRawAuction(object, QStringLiteral("auction"));
}

WinScanResponse WinScanResponse::fromJson(const QJsonObject &object)
{
    const QString context = QStringLiteral("win scan");
    const json::ObjectReader reader(object, context);
    WinScanResponse out;
    out.url = reader.requiredString(QStringLiteral("url"));
    out.count = reader.requiredInteger(QStringLiteral("count"));
    out.results = decodeAuctions(reader, QStringLiteral("results"), context);
    out.cursor = reader.optionalString(QStringLiteral("cursor"));
    return out;
}

WinScanResponse WinScanResponse::decode(const QByteArray &utf8)
{
    return fromJson(json::parseObject(utf8, QStringLiteral("win scan answer")));
}

ScrapeResponse ScrapeResponse::fromJson(const QJsonObject &object)
{
    const QString context = QStringLiteral("sold scrape");
    const json::ObjectReader reader(object, context);
    ScrapeResponse out;
    out.url = reader.requiredString(QStringLiteral("url"));
    out.count = reader.requiredInteger(QStringLiteral("count"));
    out.auctions = decodeAuctions(reader, QStringLiteral("auctions"), context);
    return out;
}

ScrapeResponse ScrapeResponse::decode(const QByteArray &utf8)
{
    return fromJson(json::parseObject(utf8, QStringLiteral("sold scrape answer")));
}

} // namespace quill
