#pragma once

// The values exchanged with the backend, and the two local stores built on them
// (the show history cache file and the cached user). Every record is a plain value;
// decoding is strict and throws quill::json::DecodeError naming the key path, so a
// document is either decoded whole or not at all. Every record but the answers to
// creating a show or an auction and to a status change is also written (toJson) under
// the same keys, an absent optional leaving its key out, so what one writes reads back
// as the same record.

#include "common/decimal.h"
#include "common/json.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace quill {

// The signed-in user; also the cached user on disk.
struct ZavUser
{
    QString id;
    std::optional<QString> name;
    QString email;
    std::optional<QString> image;

    static ZavUser fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const ZavUser &) const = default;
};

struct SessionResponse
{
    ZavUser user;

    static SessionResponse fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const SessionResponse &) const = default;
};

struct AuthResponse
{
    QString token;
    std::optional<QString> signedToken;
    ZavUser user;

    static AuthResponse fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const AuthResponse &) const = default;
};

// The fields every answer about a show carries.
struct ShowFields
{
    QString id;
    QString userId;
    QString title;
    QString channelId;
    QString status;
    std::optional<QString> labelMode;
    std::optional<QString> startedAt;
    std::optional<QString> endedAt;
    QString createdAt;
    QString updatedAt;

    bool operator==(const ShowFields &) const = default;
};

// One show of the history; the cache file is a JSON array of these.
struct ShowSummary : ShowFields
{
    std::optional<qint64> itemCount;
    std::optional<qint64> auctionCount;

    static ShowSummary fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const ShowSummary &) const = default;
};

struct ShowListResponse
{
    QList<ShowSummary> shows;
    qint64 total = 0;

    static ShowListResponse fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const ShowListResponse &) const = default;
};

// A show as answered when it is created or its status changes.
struct ServerShow : ShowFields
{
    static ServerShow fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const ServerShow &) const = default;
};

struct CreateShowResponse
{
    ServerShow show;

    static CreateShowResponse fromJson(const QJsonObject &object);
    bool operator==(const CreateShowResponse &) const = default;
};

// The status change has already been applied when a 2xx answer arrives, so an answer
// without the show is not a failure; `show` is then absent.
struct UpdateShowResponse
{
    std::optional<ServerShow> show;

    static UpdateShowResponse fromJson(const QJsonObject &object);
    bool operator==(const UpdateShowResponse &) const = default;
};

struct CreateShowRequest
{
    QString title;
    QString channelId;
    QString labelMode;
    std::optional<QMap<QString, bool>> settings;

    QJsonObject toJson() const;
    bool operator==(const CreateShowRequest &) const = default;
};

struct ServerAuction
{
    QString id;
    QString showId;
    QString winnerUsername;
    QString salePrice;
    std::optional<qint64> auctionNumber;
    std::optional<QString> rawTitle;
    std::optional<QString> source;
    QString createdAt;

    static ServerAuction fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const ServerAuction &) const = default;
};

struct CreateAuctionRequest
{
    QString winnerUsername;
    QString salePrice;
    std::optional<qint64> auctionNumber;
    std::optional<QString> rawTitle;
    QString source;

    QJsonObject toJson() const;
    bool operator==(const CreateAuctionRequest &) const = default;
};

struct CreateAuctionResponse
{
    std::optional<ServerAuction> auction;
    std::optional<bool> deduplicated;

    static CreateAuctionResponse fromJson(const QJsonObject &object);
    bool operator==(const CreateAuctionResponse &) const = default;
};

struct ShowAuctionStats
{
    qint64 auctionCount = 0;
    QString revenue;
    qint64 uniqueBuyers = 0;

    static ShowAuctionStats fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const ShowAuctionStats &) const = default;
};

struct ShowAuctionsResponse
{
    QList<ServerAuction> auctions;
    ShowAuctionStats stats;

    static ShowAuctionsResponse fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const ShowAuctionsResponse &) const = default;
};

struct OnboardingStatusResponse
{
    QString slug;
    bool completed = false;
    std::optional<QString> completionEvent;
    std::optional<QStringList> completedSteps;

    static OnboardingStatusResponse fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const OnboardingStatusResponse &) const = default;
};

struct SubscribersResponse
{
    struct SubscriberStats
    {
        qint64 total = 0;
        qint64 pro = 0;
        qint64 free = 0;
        QString conversionRate;

        static SubscriberStats fromJson(const QJsonObject &object);
        QJsonObject toJson() const;
        bool operator==(const SubscriberStats &) const = default;
    };

    SubscriberStats stats;

    static SubscribersResponse fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const SubscribersResponse &) const = default;
};

struct ShowsResponse
{
    struct LabelStats
    {
        qint64 printed = 0;
        qint64 pending = 0;
        qint64 queued = 0;
        qint64 printedThisMonth = 0;

        static LabelStats fromJson(const QJsonObject &object);
        QJsonObject toJson() const;
        bool operator==(const LabelStats &) const = default;
    };

    struct ShowStats
    {
        qint64 total = 0;
        qint64 liveNow = 0;
        qint64 completedThisMonth = 0;
        qint64 totalAuctions = 0;
        std::optional<LabelStats> labels;

        static ShowStats fromJson(const QJsonObject &object);
        QJsonObject toJson() const;
        bool operator==(const ShowStats &) const = default;
    };

    ShowStats stats;

    static ShowsResponse fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const ShowsResponse &) const = default;
};

struct RevenueResponse
{
    struct RevenueStats
    {
        Decimal mrr;
        qint64 totalSubscribers = 0;
        qint64 churnThisMonth = 0;
        qint64 newThisMonth = 0;

        static RevenueStats fromJson(const QJsonObject &object);
        QJsonObject toJson() const;
        bool operator==(const RevenueStats &) const = default;
    };

    RevenueStats stats;

    static RevenueResponse fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    bool operator==(const RevenueResponse &) const = default;
};

// Assembled by the client from the three staff answers; never coded itself.
struct AdminOverview
{
    SubscribersResponse subscribers;
    ShowsResponse shows;
    RevenueResponse revenue;

    bool operator==(const AdminOverview &) const = default;
};

// The show history cache file: a compact JSON array of show summaries.
QByteArray encodeShowSummaries(const QList<ShowSummary> &shows);
// Throws json::DecodeError on text that is not a JSON array or on any bad element.
QList<ShowSummary> decodeShowSummaries(const QByteArray &bytes);

// Rewrites every object key at every depth from snake case to camel case
// ("created_at" -> "createdAt"); the two list answers are passed through this before
// decoding so that both key forms fill the same fields.
QJsonValue convertKeysFromSnakeCase(const QJsonValue &value);

} // namespace quill
