#include "backend/api_records.h"

#include "common/json_writer.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace quill {

namespace {

using json::DecodeError;
using json::ObjectReader;
using json::ObjectWriter;

// Error messages name the full key path, e.g. "shows[3].createdAt".
QString keyPath(const QString &context, const QString &key)
{
    return context.isEmpty() ? key : context + QLatin1Char('.') + key;
}

QString indexPath(const QString &context, qsizetype index)
{
    return context + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
}

template <typename T, typename Decode>
QList<T> decodeObjects(const QJsonArray &array, const QString &context, Decode decode)
{
    QList<T> out;
    out.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString where = indexPath(context, i);
        if (!array.at(i).isObject())
            throw DecodeError(QStringLiteral("%1: expected an object").arg(where));
        out.append(decode(array.at(i).toObject(), where));
    }
    return out;
}

ZavUser decodeUser(const QJsonObject &object, const QString &context)
{
    const ObjectReader in(object, context);
    ZavUser user;
    user.id = in.requiredString(QStringLiteral("id"));
    user.name = in.optionalString(QStringLiteral("name"));
    user.email = in.requiredString(QStringLiteral("email"));
    user.image = in.optionalString(QStringLiteral("image"));
    return user;
}

void readShowFields(const ObjectReader &in, ShowFields &show)
{
    show.id = in.requiredString(QStringLiteral("id"));
    show.userId = in.requiredString(QStringLiteral("userId"));
    show.title = in.requiredString(QStringLiteral("title"));
    show.channelId = in.requiredString(QStringLiteral("channelId"));
    show.status = in.requiredString(QStringLiteral("status"));
    show.labelMode = in.optionalString(QStringLiteral("labelMode"));
    show.startedAt = in.optionalString(QStringLiteral("startedAt"));
    show.endedAt = in.optionalString(QStringLiteral("endedAt"));
    show.createdAt = in.requiredString(QStringLiteral("createdAt"));
    show.updatedAt = in.requiredString(QStringLiteral("updatedAt"));
}

ObjectWriter writeShowFields(const ShowFields &show)
{
    ObjectWriter out;
    out.put(QStringLiteral("id"), show.id)
        .put(QStringLiteral("userId"), show.userId)
        .put(QStringLiteral("title"), show.title)
        .put(QStringLiteral("channelId"), show.channelId)
        .put(QStringLiteral("status"), show.status)
        .put(QStringLiteral("labelMode"), show.labelMode)
        .put(QStringLiteral("startedAt"), show.startedAt)
        .put(QStringLiteral("endedAt"), show.endedAt)
        .put(QStringLiteral("createdAt"), show.createdAt)
        .put(QStringLiteral("updatedAt"), show.updatedAt);
    return out;
}

ShowSummary decodeShowSummary(const QJsonObject &object, const QString &context)
{
    const ObjectReader in(object, context);
    ShowSummary show;
    readShowFields(in, show);
    show.itemCount = in.optionalInteger(QStringLiteral("itemCount"));
    show.auctionCount = in.optionalInteger(QStringLiteral("auctionCount"));
    return show;
}

ServerShow decodeServerShow(const QJsonObject &object, const QString &context)
{
    const ObjectReader in(object, context);
    ServerShow show;
    readShowFields(in, show);
    return show;
}

ServerAuction decodeServerAuction(const QJsonObject &object, const QString &context)
{
    const ObjectReader in(object, context);
    ServerAuction auction;
    auction.id = in.requiredString(QStringLiteral("id"));
    auction.showId = in.requiredString(QStringLiteral("showId"));
    auction.winnerUsername = in.requiredString(QStringLiteral("winnerUsername"));
    auction.salePrice = in.requiredString(QStringLiteral("salePrice"));
    auction.auctionNumber = in.optionalInteger(QStringLiteral("auctionNumber"));
    auction.rawTitle = in.optionalString(QStringLiteral("rawTitle"));
    auction.source = in.optionalString(QStringLiteral("source"));
    auction.createdAt = in.requiredString(QStringLiteral("createdAt"));
    return auction;
}

ShowAuctionStats decodeShowAuctionStats(const QJsonObject &object, const QString &context)
{
    const ObjectReader in(object, context);
    ShowAuctionStats stats;
    stats.auctionCount = in.requiredInteger(QStringLiteral("auctionCount"));
    stats.revenue = in.requiredString(QStringLiteral("revenue"));
    stats.uniqueBuyers = in.requiredInteger(QStringLiteral("uniqueBuyers"));
    return stats;
}

SubscribersResponse::SubscriberStats decodeSubscriberStats(const QJsonObject &object, const QString &context)
{
    const ObjectReader in(object, context);
    SubscribersResponse::SubscriberStats stats;
    stats.total = in.requiredInteger(QStringLiteral("total"));
    stats.pro = in.requiredInteger(QStringLiteral("pro"));
    stats.free = in.requiredInteger(QStringLiteral("free"));
    stats.conversionRate = in.requiredString(QStringLiteral("conversionRate"));
    return stats;
}

ShowsResponse::LabelStats decodeLabelStats(const QJsonObject &object, const QString &context)
{
    const ObjectReader in(object, context);
    ShowsResponse::LabelStats stats;
    stats.printed = in.requiredInteger(QStringLiteral("printed"));
    stats.pending = in.requiredInteger(QStringLiteral("pending"));
    stats.queued = in.requiredInteger(QStringLiteral("queued"));
    stats.printedThisMonth = in.requiredInteger(QStringLiteral("printedThisMonth"));
    return stats;
}

ShowsResponse::ShowStats decodeShowStats(const QJsonObject &object, const QString &context)
{
    const ObjectReader in(object, context);
    ShowsResponse::ShowStats stats;
    stats.total = in.requiredInteger(QStringLiteral("total"));
    stats.liveNow = in.requiredInteger(QStringLiteral("liveNow"));
    stats.completedThisMonth = in.requiredInteger(QStringLiteral("completedThisMonth"));
    stats.totalAuctions = in.requiredInteger(QStringLiteral("totalAuctions"));
    const QString labelsKey = QStringLiteral("labels");
    if (const auto labels = in.optionalObject(labelsKey))
        stats.labels = decodeLabelStats(*labels, keyPath(context, labelsKey));
    return stats;
}

RevenueResponse::RevenueStats decodeRevenueStats(const QJsonObject &object, const QString &context)
{
    const ObjectReader in(object, context);
    RevenueResponse::RevenueStats stats;
    // The backend sends this figure as a JSON number; text in its place is a wrong type,
    // even though the decimal reader would accept it elsewhere.
    const QString mrrKey = QStringLiteral("mrr");
    if (in.object().value(mrrKey).isString())
        in.fail(mrrKey, QStringLiteral("expected a number, found a string"));
    stats.mrr = json::requiredDecimal(in, mrrKey);
    stats.totalSubscribers = in.requiredInteger(QStringLiteral("totalSubscribers"));
    stats.churnThisMonth = in.requiredInteger(QStringLiteral("churnThisMonth"));
    stats.newThisMonth = in.requiredInteger(QStringLiteral("newThisMonth"));
    return stats;
}

// A figure the backend sends as a JSON number. A whole one is written as an integer,
// exact beyond 2^53 as the reader keeps it; any other as its double, which gives back
// every figure the reader took in (it refuses numbers a double cannot hold).
QJsonValue jsonNumber(const Decimal &value)
{
    bool whole = false;
    const qint64 integer = value.toString().toLongLong(&whole); // canonical text: no point when whole
    return whole ? QJsonValue(integer) : QJsonValue(value.toDouble());
}

// Length in UTF-16 units of the first code point, so a surrogate pair is cased whole.
qsizetype firstCodePointLength(QStringView text)
{
    if (text.size() >= 2 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate())
        return 2;
    return text.isEmpty() ? 0 : 1;
}

// "created_at" -> "createdAt". Leading and trailing underscores stay; runs of
// underscores between words count as one separator ("a__b" -> "aB"); a key with no
// underscore between words is returned exactly as it came, even if it has capitals.
QString snakeToCamel(const QString &key)
{
    qsizetype first = 0;
    while (first < key.size() && key.at(first) == QLatin1Char('_'))
        ++first;
    if (first == key.size())
        return key; // empty or only underscores
    qsizetype last = key.size() - 1;
    while (key.at(last) == QLatin1Char('_'))
        --last;

    const QStringView middle = QStringView(key).mid(first, last - first + 1);
    const auto words = middle.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (words.size() < 2)
        return key;

    QString out = key.left(first);
    out += words.first().toString().toLower();
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QStringView word = words.at(i);
        const qsizetype head = firstCodePointLength(word);
        out += word.left(head).toString().toUpper();
        out += word.mid(head).toString().toLower();
    }
    out += QStringView(key).mid(last + 1);
    return out;
}

} // namespace

ZavUser ZavUser::fromJson(const QJsonObject &object)
{
    return decodeUser(object, {});
}

QJsonObject ZavUser::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("id"), id)
        .put(QStringLiteral("name"), name)
        .put(QStringLiteral("email"), email)
        .put(QStringLiteral("image"), image)
        .take();
}

SessionResponse SessionResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    const QString userKey = QStringLiteral("user");
    return SessionResponse{decodeUser(in.requiredObject(userKey), userKey)};
}

QJsonObject SessionResponse::toJson() const
{
    return ObjectWriter().put(QStringLiteral("user"), user).take();
}

AuthResponse AuthResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    AuthResponse response;
    response.token = in.requiredString(QStringLiteral("token"));
    response.signedToken = in.optionalString(QStringLiteral("signedToken"));
    const QString userKey = QStringLiteral("user");
    response.user = decodeUser(in.requiredObject(userKey), userKey);
    return response;
}

QJsonObject AuthResponse::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("token"), token)
        .put(QStringLiteral("signedToken"), signedToken)
        .put(QStringLiteral("user"), user)
        .take();
}

ShowSummary ShowSummary::fromJson(const QJsonObject &object)
{
    return decodeShowSummary(object, {});
}

QJsonObject ShowSummary::toJson() const
{
    return writeShowFields(*this)
        .put(QStringLiteral("itemCount"), itemCount)
        .put(QStringLiteral("auctionCount"), auctionCount)
        .take();
}

ShowListResponse ShowListResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    ShowListResponse response;
    const QString showsKey = QStringLiteral("shows");
    response.shows = decodeObjects<ShowSummary>(in.requiredArray(showsKey), showsKey, decodeShowSummary);
    response.total = in.requiredInteger(QStringLiteral("total"));
    return response;
}

QJsonObject ShowListResponse::toJson() const
{
    return ObjectWriter().put(QStringLiteral("shows"), shows).put(QStringLiteral("total"), total).take();
}

ServerShow ServerShow::fromJson(const QJsonObject &object)
{
    return decodeServerShow(object, {});
}

QJsonObject ServerShow::toJson() const
{
    return writeShowFields(*this).take();
}

CreateShowResponse CreateShowResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    const QString showKey = QStringLiteral("show");
    return CreateShowResponse{decodeServerShow(in.requiredObject(showKey), showKey)};
}

UpdateShowResponse UpdateShowResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    const QString showKey = QStringLiteral("show");
    UpdateShowResponse response;
    if (const auto show = in.optionalObject(showKey))
        response.show = decodeServerShow(*show, showKey);
    return response;
}

QJsonObject CreateShowRequest::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("title"), title)
        .put(QStringLiteral("channelId"), channelId)
        .put(QStringLiteral("labelMode"), labelMode)
        .put(QStringLiteral("settings"), settings)
        .take();
}

ServerAuction ServerAuction::fromJson(const QJsonObject &object)
{
    return decodeServerAuction(object, {});
}

QJsonObject ServerAuction::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("id"), id)
        .put(QStringLiteral("showId"), showId)
        .put(QStringLiteral("winnerUsername"), winnerUsername)
        .put(QStringLiteral("salePrice"), salePrice)
        .put(QStringLiteral("auctionNumber"), auctionNumber)
        .put(QStringLiteral("rawTitle"), rawTitle)
        .put(QStringLiteral("source"), source)
        .put(QStringLiteral("createdAt"), createdAt)
        .take();
}

QJsonObject CreateAuctionRequest::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("winnerUsername"), winnerUsername)
        .put(QStringLiteral("salePrice"), salePrice)
        .put(QStringLiteral("auctionNumber"), auctionNumber)
        .put(QStringLiteral("rawTitle"), rawTitle)
        .put(QStringLiteral("source"), source)
        .take();
}

CreateAuctionResponse CreateAuctionResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    CreateAuctionResponse response;
    const QString auctionKey = QStringLiteral("auction");
    if (const auto auction = in.optionalObject(auctionKey))
        response.auction = decodeServerAuction(*auction, auctionKey);
    response.deduplicated = in.optionalBool(QStringLiteral("deduplicated"));
    return response;
}

ShowAuctionStats ShowAuctionStats::fromJson(const QJsonObject &object)
{
    return decodeShowAuctionStats(object, {});
}

QJsonObject ShowAuctionStats::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("auctionCount"), auctionCount)
        .put(QStringLiteral("revenue"), revenue)
        .put(QStringLiteral("uniqueBuyers"), uniqueBuyers)
        .take();
}

ShowAuctionsResponse ShowAuctionsResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    ShowAuctionsResponse response;
    const QString auctionsKey = QStringLiteral("auctions");
    response.auctions =
        decodeObjects<ServerAuction>(in.requiredArray(auctionsKey), auctionsKey, decodeServerAuction);
    const QString statsKey = QStringLiteral("stats");
    response.stats = decodeShowAuctionStats(in.requiredObject(statsKey), statsKey);
    return response;
}

QJsonObject ShowAuctionsResponse::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("auctions"), auctions)
        .put(QStringLiteral("stats"), stats)
        .take();
}

OnboardingStatusResponse OnboardingStatusResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    OnboardingStatusResponse response;
    response.slug = in.requiredString(QStringLiteral("slug"));
    response.completed = in.requiredBool(QStringLiteral("completed"));
    response.completionEvent = in.optionalString(QStringLiteral("completionEvent"));
    const QString stepsKey = QStringLiteral("completedSteps");
    if (const auto steps = in.optionalArray(stepsKey)) {
        QStringList list;
        list.reserve(steps->size());
        for (qsizetype i = 0; i < steps->size(); ++i) {
            if (!steps->at(i).isString())
                throw DecodeError(QStringLiteral("%1: expected a string").arg(indexPath(stepsKey, i)));
            list.append(steps->at(i).toString());
        }
        response.completedSteps = std::move(list);
    }
    return response;
}

QJsonObject OnboardingStatusResponse::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("slug"), slug)
        .put(QStringLiteral("completed"), completed)
        .put(QStringLiteral("completionEvent"), completionEvent)
        .put(QStringLiteral("completedSteps"), completedSteps)
        .take();
}

SubscribersResponse::SubscriberStats SubscribersResponse::SubscriberStats::fromJson(const QJsonObject &object)
{
    return decodeSubscriberStats(object, {});
}

QJsonObject SubscribersResponse::SubscriberStats::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("total"), total)
        .put(QStringLiteral("pro"), pro)
        .put(QStringLiteral("free"), free)
        .put(QStringLiteral("conversionRate"), conversionRate)
        .take();
}

SubscribersResponse SubscribersResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    const QString statsKey = QStringLiteral("stats");
    return SubscribersResponse{decodeSubscriberStats(in.requiredObject(statsKey), statsKey)};
}

QJsonObject SubscribersResponse::toJson() const
{
    return ObjectWriter().put(QStringLiteral("stats"), stats).take();
}

ShowsResponse::LabelStats ShowsResponse::LabelStats::fromJson(const QJsonObject &object)
{
    return decodeLabelStats(object, {});
}

QJsonObject ShowsResponse::LabelStats::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("printed"), printed)
        .put(QStringLiteral("pending"), pending)
        .put(QStringLiteral("queued"), queued)
        .put(QStringLiteral("printedThisMonth"), printedThisMonth)
        .take();
}

ShowsResponse::ShowStats ShowsResponse::ShowStats::fromJson(const QJsonObject &object)
{
    return decodeShowStats(object, {});
}

QJsonObject ShowsResponse::ShowStats::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("total"), total)
        .put(QStringLiteral("liveNow"), liveNow)
        .put(QStringLiteral("completedThisMonth"), completedThisMonth)
        .put(QStringLiteral("totalAuctions"), totalAuctions)
        .put(QStringLiteral("labels"), labels)
        .take();
}

ShowsResponse ShowsResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    const QString statsKey = QStringLiteral("stats");
    return ShowsResponse{decodeShowStats(in.requiredObject(statsKey), statsKey)};
}

QJsonObject ShowsResponse::toJson() const
{
    return ObjectWriter().put(QStringLiteral("stats"), stats).take();
}

RevenueResponse::RevenueStats RevenueResponse::RevenueStats::fromJson(const QJsonObject &object)
{
    return decodeRevenueStats(object, {});
}

QJsonObject RevenueResponse::RevenueStats::toJson() const
{
    return ObjectWriter()
        .put(QStringLiteral("mrr"), jsonNumber(mrr))
        .put(QStringLiteral("totalSubscribers"), totalSubscribers)
        .put(QStringLiteral("churnThisMonth"), churnThisMonth)
        .put(QStringLiteral("newThisMonth"), newThisMonth)
        .take();
}

RevenueResponse RevenueResponse::fromJson(const QJsonObject &object)
{
    const ObjectReader in(object);
    const QString statsKey = QStringLiteral("stats");
    return RevenueResponse{decodeRevenueStats(in.requiredObject(statsKey), statsKey)};
}

QJsonObject RevenueResponse::toJson() const
{
    return ObjectWriter().put(QStringLiteral("stats"), stats).take();
}

QByteArray encodeShowSummaries(const QList<ShowSummary> &shows)
{
    return QJsonDocument(json::toJsonValue(shows).toArray()).toJson(QJsonDocument::Compact);
}

QList<ShowSummary> decodeShowSummaries(const QByteArray &bytes)
{
    const QJsonArray array = json::parseArray(bytes, QStringLiteral("The show history"));
    return decodeObjects<ShowSummary>(array, {}, decodeShowSummary);
}

QJsonValue convertKeysFromSnakeCase(const QJsonValue &value)
{
    if (value.isArray()) {
        QJsonArray out;
        const QJsonArray in = value.toArray();
        for (const QJsonValue &element : in)
            out.append(convertKeysFromSnakeCase(element));
        return out;
    }
    if (!value.isObject())
        return value;

    const QJsonObject in = value.toObject();
    QJsonObject out;
    // When two keys land on the same name ("user_id" beside "userId"), the one the
    // backend already wrote in that form wins, so the outcome never depends on key order.
    for (auto it = in.begin(); it != in.end(); ++it) {
        const QString key = snakeToCamel(it.key());
        if (key != it.key() && in.contains(key))
            continue;
        if (out.contains(key))
            continue;
        out.insert(key, convertKeysFromSnakeCase(it.value()));
    }
    return out;
}

} // namespace quill
