// The stand-in backend over real HTTP, with a plain QNetworkAccessManager: the
// application's own client is deliberately not used, so these tests pin down the
// wire format the stand-in offers on its own.

#include "standin_backend.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>
#include <QUrlQuery>
#include <gtest/gtest.h>

using quill::standin::Fault;
using quill::standin::StandinAuction;
using quill::standin::StandinBackend;
using quill::standin::StandinShow;

namespace {

struct HttpResult
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray body;
    QByteArray location;

    QJsonObject json() const
    {
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
        EXPECT_EQ(parseError.error, QJsonParseError::NoError) << body.constData();
        return document.object();
    }
};

class StandinBackendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(backend.listen(), 0);
        sellerToken = backend.addUser(QStringLiteral("seller-1"), QStringLiteral("ava@example.com"),
                                      QStringLiteral("Ava Seller"));
        otherToken = backend.addUser(QStringLiteral("seller-2"), QStringLiteral("ben@example.com"));
    }

    // `rawPath` goes on the wire exactly as written, query included.
    QNetworkReply *start(const QByteArray &method, const QByteArray &rawPath, const QString &token = {},
                         const QByteArray &body = {})
    {
        QNetworkRequest request(QUrl::fromEncoded(backend.baseUrl().toEncoded() + rawPath, QUrl::StrictMode));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        if (!body.isEmpty())
            request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        if (!token.isEmpty())
            request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
        return nam.sendCustomRequest(request, method, body);
    }

    static HttpResult finish(QNetworkReply *reply)
    {
        if (!reply->isFinished()) {
            QEventLoop loop;
            QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
            // Only a guard against a hang; every answer here comes back at once.
            QTimer::singleShot(20000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        EXPECT_TRUE(reply->isFinished()) << "no answer";
        HttpResult result;
        result.error = reply->error();
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.body = reply->readAll();
        result.location = reply->rawHeader("Location");
        reply->deleteLater();
        return result;
    }

    HttpResult call(const QByteArray &method, const QByteArray &rawPath, const QString &token = {},
                    const QByteArray &body = {})
    {
        return finish(start(method, rawPath, token, body));
    }

    HttpResult createShow(const QString &token, const QString &title)
    {
        QJsonObject body{{QStringLiteral("title"), title},
                         {QStringLiteral("channelId"), QStringLiteral("whatnot")},
                         {QStringLiteral("labelMode"), QStringLiteral("realtime")}};
        return call("POST", "/api/shows", token, QJsonDocument(body).toJson(QJsonDocument::Compact));
    }

    HttpResult postAuction(const QString &showId, const QString &winner, const QString &price,
                           std::optional<int> number)
    {
        QJsonObject body{{QStringLiteral("winnerUsername"), winner},
                         {QStringLiteral("salePrice"), price},
                         {QStringLiteral("source"), QStringLiteral("sync")}};
        if (number)
            body.insert(QStringLiteral("auctionNumber"), *number);
        return call("POST", "/api/shows/" + QUrl::toPercentEncoding(showId) + "/auctions", sellerToken,
                    QJsonDocument(body).toJson(QJsonDocument::Compact));
    }

    StandinBackend backend;
    QNetworkAccessManager nam;
    QString sellerToken;
    QString otherToken;
};

using StandinBackendAuth = StandinBackendTest;
using StandinBackendShows = StandinBackendTest;
using StandinBackendOnboarding = StandinBackendTest;
using StandinBackendFaults = StandinBackendTest;

QStringList keyListOf(const QJsonObject &object)
{
    QStringList keys = object.keys();
    keys.sort();
    return keys;
}

} // namespace

TEST_F(StandinBackendAuth, BearerEndpointsRefuseMissingOrUnknownTokens)
{
    const QList<QPair<QByteArray, QByteArray>> endpoints{
        {"GET", "/api/auth/me"},
        {"GET", "/api/shows?limit=5"},
        {"POST", "/api/shows"},
        {"PATCH", "/api/shows/x"},
        {"DELETE", "/api/shows/x"},
        {"GET", "/api/shows/x/auctions"},
        {"POST", "/api/shows/x/auctions"},
        {"GET", "/api/onboarding/quillmark"},
        {"POST", "/api/onboarding/quillmark"},
        {"GET", "/api/admin/quillmark/revenue"},
    };
    for (const auto &[method, path] : endpoints) {
        EXPECT_EQ(call(method, path).status, 401) << method.constData() << ' ' << path.constData();
        EXPECT_EQ(call(method, path, QStringLiteral("not-a-token")).status, 401) << path.constData();
    }
    backend.revokeToken(otherToken);
    EXPECT_EQ(call("GET", "/api/auth/me", otherToken).status, 401);

    const HttpResult me = call("GET", "/api/auth/me", sellerToken);
    ASSERT_EQ(me.status, 200);
    const QJsonObject user = me.json().value(QStringLiteral("user")).toObject();
    EXPECT_EQ(user.value(QStringLiteral("id")).toString(), QStringLiteral("seller-1"));
    EXPECT_EQ(user.value(QStringLiteral("email")).toString(), QStringLiteral("ava@example.com"));
    EXPECT_EQ(user.value(QStringLiteral("name")).toString(), QStringLiteral("Ava Seller"));
    EXPECT_FALSE(user.contains(QStringLiteral("image"))) << "absent optionals are left out";
}

TEST_F(StandinBackendAuth, AppleDevelopmentExchangeCreatesThenSignsInTheUser)
{
    const HttpResult first = call("POST", "/api/auth/apple/native", {},
                                  R"({"identityToken":"dev:new@example.com",)"
                                  R"("user":{"email":null,"givenName":"Nia","familyName":"Noor"}})");
    ASSERT_EQ(first.status, 200) << first.body.constData();
    const QJsonObject answer = first.json();
    const QString token = answer.value(QStringLiteral("token")).toString();
    EXPECT_FALSE(token.isEmpty());
    EXPECT_TRUE(answer.value(QStringLiteral("signedToken")).isString());
    const QJsonObject user = answer.value(QStringLiteral("user")).toObject();
    EXPECT_EQ(user.value(QStringLiteral("email")).toString(), QStringLiteral("new@example.com"));
    EXPECT_EQ(user.value(QStringLiteral("name")).toString(), QStringLiteral("Nia Noor"));

    const HttpResult me = call("GET", "/api/auth/me", token);
    EXPECT_EQ(me.json().value(QStringLiteral("user")).toObject(), user);

    // Later sign-ins carry no name: the same account comes back, name kept.
    const HttpResult again = call("POST", "/api/auth/apple/native", {},
                                  R"({"identityToken":"dev:new@example.com",)"
                                  R"("user":{"email":null,"givenName":null,"familyName":null}})");
    ASSERT_EQ(again.status, 200);
    EXPECT_EQ(again.json().value(QStringLiteral("user")).toObject(), user);
    EXPECT_EQ(backend.users().size(), 3);

    EXPECT_EQ(call("POST", "/api/auth/apple/native", {}, R"({"identityToken":"eyJreal.jwt"})").status, 401);
    EXPECT_EQ(call("POST", "/api/auth/apple/native", {}, R"({"identityToken":"dev:"})").status, 401);
    EXPECT_EQ(call("POST", "/api/auth/apple/native", {}, "{\"identityToken\":").status, 400);
}

TEST_F(StandinBackendAuth, GooglePageLinksRedirectToTheAppCallback)
{
    backend.addUser(QStringLiteral("eve"), QStringLiteral("eve@example.com"),
                    QStringLiteral("<b>Eve & Co</b>"));
    const HttpResult page =
        call("GET", "/api/auth/signin/google?callbackURL=/api/auth/mobile/callback&scheme=quillmark");
    ASSERT_EQ(page.status, 200);
    const QString html = QString::fromUtf8(page.body);
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;b&gt;Eve &amp; Co&lt;/b&gt;")));
    EXPECT_FALSE(html.contains(QStringLiteral("<b>Eve")));

    QHash<QString, QByteArray> links; // label -> href as the browser would send it
    static const QRegularExpression anchor(QStringLiteral("<a href=\"([^\"]*)\">([^<]*)</a>"));
    for (auto it = anchor.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        links.insert(match.captured(2),
                     match.captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&")).toUtf8());
    }
    ASSERT_EQ(links.size(), 4) << html.toStdString();

    const HttpResult signIn = call("GET", links.value(QStringLiteral("Ava Seller &lt;ava@example.com&gt;")));
    ASSERT_EQ(signIn.status, 302);
    const QUrl callback(QString::fromUtf8(signIn.location));
    EXPECT_EQ(callback.scheme(), QStringLiteral("quillmark"));
    EXPECT_EQ(callback.host(), QStringLiteral("auth"));
    EXPECT_EQ(callback.path(), QStringLiteral("/callback"));
    const QString token = QUrlQuery(callback).queryItemValue(QStringLiteral("token"));
    const HttpResult me = call("GET", "/api/auth/me", token);
    EXPECT_EQ(me.json().value(QStringLiteral("user")).toObject().value(QStringLiteral("id")).toString(),
              QStringLiteral("seller-1"));

    const HttpResult cancel = call("GET", links.value(QStringLiteral("Cancel")));
    EXPECT_EQ(cancel.status, 302);
    EXPECT_EQ(cancel.location, QByteArrayLiteral("quillmark://auth/callback?error=cancelled"));
    EXPECT_EQ(call("GET", "/api/auth/mobile/callback?scheme=quillmark&user=ghost").location,
              QByteArrayLiteral("quillmark://auth/callback?error=unknown_user"));
    EXPECT_EQ(
        call("GET", "/api/auth/signin/google?callbackURL=https://evil.example/x&scheme=quillmark").status,
        400);
}

TEST_F(StandinBackendShows, LifecycleOwnershipAndSnakeCaseList)
{
    const HttpResult created = createShow(sellerToken, QStringLiteral("Friday cards"));
    ASSERT_EQ(created.status, 201);
    const QJsonObject show = created.json().value(QStringLiteral("show")).toObject();
    const QString id = show.value(QStringLiteral("id")).toString();
    EXPECT_EQ(show.value(QStringLiteral("status")).toString(), QStringLiteral("draft"));
    EXPECT_EQ(show.value(QStringLiteral("userId")).toString(), QStringLiteral("seller-1"));
    EXPECT_FALSE(show.contains(QStringLiteral("startedAt")));

    const QByteArray path = "/api/shows/" + QUrl::toPercentEncoding(id);
    const QJsonObject live = call("PATCH", path, sellerToken, R"({"status":"live"})")
                                 .json()
                                 .value(QStringLiteral("show"))
                                 .toObject();
    EXPECT_EQ(live.value(QStringLiteral("status")).toString(), QStringLiteral("live"));
    EXPECT_TRUE(live.value(QStringLiteral("startedAt")).isString());
    EXPECT_FALSE(live.contains(QStringLiteral("endedAt")));
    const QJsonObject done = call("PATCH", path, sellerToken, R"({"status":"completed"})")
                                 .json()
                                 .value(QStringLiteral("show"))
                                 .toObject();
    EXPECT_EQ(done.value(QStringLiteral("startedAt")), live.value(QStringLiteral("startedAt")));
    EXPECT_TRUE(done.value(QStringLiteral("endedAt")).isString());
    EXPECT_EQ(call("PATCH", path, sellerToken, R"({"status":"exploded"})").status, 400);
    EXPECT_EQ(call("PATCH", path, sellerToken, "status=live").status, 400);

    // Another seller cannot see or touch it.
    EXPECT_EQ(call("PATCH", path, otherToken, R"({"status":"live"})").status, 404);
    EXPECT_EQ(call("GET", path + "/auctions", otherToken).status, 404);
    EXPECT_EQ(call("DELETE", path + "?force=true", otherToken).status, 404);
    EXPECT_EQ(call("GET", "/api/shows?limit=50", otherToken).json().value(QStringLiteral("total")).toInt(),
              0);

    StandinShow older;
    older.id = QStringLiteral("older");
    older.userId = QStringLiteral("seller-1");
    older.title = QStringLiteral("Last week");
    older.status = QStringLiteral("live");
    older.createdAt = QStringLiteral("2020-01-01T10:00:00Z");
    backend.addShow(older);
    ASSERT_EQ(postAuction(id, QStringLiteral("bob"), QStringLiteral("5"), 1).status, 201);

    const QJsonObject list = call("GET", "/api/shows?limit=50", sellerToken).json();
    EXPECT_EQ(list.value(QStringLiteral("total")).toInt(), 2);
    const QJsonArray rows = list.value(QStringLiteral("shows")).toArray();
    ASSERT_EQ(rows.size(), 2);
    const QJsonObject newest = rows.at(0).toObject();
    EXPECT_EQ(newest.value(QStringLiteral("id")).toString(), id) << "newest first";
    EXPECT_EQ(keyListOf(newest),
              (QStringList{"auction_count", "channel_id", "created_at", "ended_at", "id", "item_count",
                           "label_mode", "started_at", "status", "title", "updated_at", "user_id"}));
    EXPECT_EQ(newest.value(QStringLiteral("auction_count")).toInt(), 1);

    const QJsonObject liveOnly = call("GET", "/api/shows?limit=1&status=live", sellerToken).json();
    EXPECT_EQ(liveOnly.value(QStringLiteral("total")).toInt(), 1);
    EXPECT_EQ(liveOnly.value(QStringLiteral("shows")).toArray().at(0).toObject().value(QStringLiteral("id")),
              QStringLiteral("older"));
    EXPECT_EQ(
        call("GET", "/api/shows?limit=1", sellerToken).json().value(QStringLiteral("shows")).toArray().size(),
        1);
    EXPECT_EQ(call("GET", "/api/shows?limit=lots", sellerToken).status, 400);

    // A show with auctions goes only when forced.
    EXPECT_EQ(call("DELETE", path, sellerToken).status, 409);
    EXPECT_EQ(call("DELETE", path + "?force=true", sellerToken).status, 204);
    EXPECT_FALSE(backend.show(id));
    EXPECT_TRUE(backend.auctions(id).isEmpty());
    EXPECT_EQ(call("DELETE", "/api/shows/older", sellerToken).status, 204);
}

TEST_F(StandinBackendShows, AuctionsAreDeduplicatedAndRevenueIsExact)
{
    const QString id = createShow(sellerToken, QStringLiteral("Coins"))
                           .json()[QStringLiteral("show")][QStringLiteral("id")]
                           .toString();

    const HttpResult first = postAuction(id, QStringLiteral("alice"), QStringLiteral("0.10"), 1);
    ASSERT_EQ(first.status, 201);
    EXPECT_FALSE(first.json().value(QStringLiteral("deduplicated")).toBool());
    const QJsonObject stored = first.json().value(QStringLiteral("auction")).toObject();
    EXPECT_EQ(stored.value(QStringLiteral("winnerUsername")).toString(), QStringLiteral("alice"));

    // The client may send the same auction again (a retry or a re-capture).
    const HttpResult repeat = postAuction(id, QStringLiteral("alice"), QStringLiteral("0.1"), 1);
    EXPECT_TRUE(repeat.json().value(QStringLiteral("deduplicated")).toBool());
    EXPECT_EQ(repeat.json().value(QStringLiteral("auction")).toObject(), stored);
    // Another auction number is another auction.
    EXPECT_EQ(postAuction(id, QStringLiteral("alice"), QStringLiteral("0.10"), 2).status, 201);
    EXPECT_EQ(postAuction(id, QStringLiteral("bob"), QStringLiteral("0.20"), std::nullopt).status, 201);
    EXPECT_EQ(postAuction(id, QStringLiteral("bob"), QStringLiteral("12"), std::nullopt).status, 201);
    EXPECT_EQ(backend.auctions(id).size(), 4);

    EXPECT_EQ(postAuction(id, QStringLiteral("bob"), QStringLiteral("1,000"), std::nullopt).status, 400);
    EXPECT_EQ(call("POST", "/api/shows/" + QUrl::toPercentEncoding(id) + "/auctions", sellerToken,
                   R"({"winnerUsername":"x","salePrice":5,"source":"sync"})")
                  .status,
              400)
        << "salePrice travels as text";

    const QJsonObject listed =
        call("GET", "/api/shows/" + QUrl::toPercentEncoding(id) + "/auctions", sellerToken).json();
    const QJsonArray auctions = listed.value(QStringLiteral("auctions")).toArray();
    ASSERT_EQ(auctions.size(), 4);
    EXPECT_EQ(keyListOf(auctions.at(0).toObject()),
              (QStringList{"auction_number", "created_at", "id", "sale_price", "show_id", "source",
                           "winner_username"}));
    const QJsonObject stats = listed.value(QStringLiteral("stats")).toObject();
    EXPECT_EQ(stats.value(QStringLiteral("auctionCount")).toInt(), 4);
    EXPECT_EQ(stats.value(QStringLiteral("revenue")).toString(), QStringLiteral("12.40"));
    EXPECT_EQ(stats.value(QStringLiteral("uniqueBuyers")).toInt(), 2);
}

TEST_F(StandinBackendShows, PricesAreStoredAsAmountsAndNoneOverflowsTheRevenue)
{
    const QString id = createShow(sellerToken, QStringLiteral("Bullion"))
                           .json()[QStringLiteral("show")][QStringLiteral("id")]
                           .toString();
    const auto priceOf = [](const HttpResult &result) {
        return result.json()[QStringLiteral("auction")][QStringLiteral("salePrice")].toString();
    };
    const HttpResult padded = postAuction(id, QStringLiteral("alice"), QStringLiteral(" 12.50\n"), 1);
    ASSERT_EQ(padded.status, 201);
    EXPECT_EQ(priceOf(padded), QStringLiteral("12.50"));
    EXPECT_EQ(backend.auctions(id).constLast().salePrice, QStringLiteral("12.50"));

    // Up to the 18 digits the revenue holds, then a price that needs two more: refused, and
    // the show still lists.
    ASSERT_EQ(postAuction(id, QStringLiteral("bob"), QStringLiteral("99999999999999986.5"), 2).status, 201);
    const HttpResult over = postAuction(id, QStringLiteral("carol"), QStringLiteral("0.55"), 3);
    EXPECT_EQ(over.status, 422) << over.body.constData();
    EXPECT_EQ(postAuction(id, QStringLiteral("carol"), QStringLiteral("0"), 4).status, 201);
    EXPECT_EQ(backend.auctions(id).size(), 3);
    const HttpResult listed =
        call("GET", "/api/shows/" + QUrl::toPercentEncoding(id) + "/auctions", sellerToken);
    ASSERT_EQ(listed.status, 200) << listed.body.constData();
    EXPECT_TRUE(listed.json()[QStringLiteral("stats")][QStringLiteral("revenue")].toString().startsWith(
        QStringLiteral("99999999999999999")))
        << listed.body.constData();
}

TEST_F(StandinBackendShows, PercentEncodedIdIsOneSegmentAndRequestsAreRecordedRaw)
{
    StandinShow show;
    show.id = QStringLiteral("a/b c");
    show.userId = QStringLiteral("seller-1");
    show.title = QStringLiteral("Odd id");
    backend.addShow(show);
    StandinAuction auction;
    auction.showId = show.id;
    auction.winnerUsername = QStringLiteral("carol");
    auction.salePrice = QStringLiteral("3.5");
    backend.addAuction(auction);

    backend.clearRequests();
    const HttpResult listed = call("GET", "/api/shows/a%2Fb%20c/auctions", sellerToken);
    ASSERT_EQ(listed.status, 200) << listed.body.constData();
    EXPECT_EQ(listed.json()[QStringLiteral("stats")][QStringLiteral("revenue")].toString(),
              QStringLiteral("3.50"));
    EXPECT_EQ(call("GET", "/api/shows/a/b%20c/auctions", sellerToken).status, 404);
    EXPECT_EQ(call("GET", "/api/shows?limit=5&status=live", sellerToken).status, 200);

    const auto requests = backend.requests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_EQ(requests.at(0).method, QStringLiteral("GET"));
    EXPECT_EQ(requests.at(0).path, QStringLiteral("/api/shows/a%2Fb%20c/auctions"));
    EXPECT_EQ(requests.at(0).header("authorization"), QByteArray("Bearer " + sellerToken.toUtf8()));
    EXPECT_EQ(requests.at(2).query, (QList<QPair<QString, QString>>{{"limit", "5"}, {"status", "live"}}));
}

TEST_F(StandinBackendShows, StaffStatisticsAreForStaffOnly)
{
    const QString staffToken =
        backend.addUser(QStringLiteral("staff"), QStringLiteral("staff@quillmark.app"));
    backend.addStaffEmail(QStringLiteral("staff@quillmark.app"));
    for (const QByteArray which : {"subscribers", "shows", "revenue"}) {
        EXPECT_EQ(call("GET", "/api/admin/quillmark/" + which, sellerToken).status, 403);
        const HttpResult answer = call("GET", "/api/admin/quillmark/" + which, staffToken);
        EXPECT_EQ(answer.status, 200);
        EXPECT_TRUE(answer.json().value(QStringLiteral("stats")).isObject());
    }
    const QJsonValue mrr = call("GET", "/api/admin/quillmark/revenue", staffToken)
                               .json()[QStringLiteral("stats")][QStringLiteral("mrr")];
    EXPECT_TRUE(mrr.isDouble());
}

TEST_F(StandinBackendOnboarding, StepsAreKeptPerUserWithoutDuplicates)
{
    const QByteArray path = "/api/onboarding/quillmark";
    QJsonObject status = call("GET", path, sellerToken).json();
    EXPECT_EQ(status.value(QStringLiteral("slug")).toString(), QStringLiteral("quillmark"));
    EXPECT_FALSE(status.value(QStringLiteral("completed")).toBool(true));
    EXPECT_TRUE(status.value(QStringLiteral("completedSteps")).toArray().isEmpty());

    const QByteArray step = R"({"action":"step_completed","metadata":{"stepId":"test_print"}})";
    EXPECT_EQ(call("POST", path, sellerToken, step).json().value(QStringLiteral("ok")), QJsonValue(true));
    call("POST", path, sellerToken, step);
    call("POST", path, sellerToken, R"({"action":"step_completed","metadata":{"stepId":"live_show"}})");
    EXPECT_EQ(call("POST", path, sellerToken, R"({"action":"step_completed","metadata":{}})").status, 400);
    EXPECT_EQ(call("POST", path, sellerToken, R"({"action":"explode"})").status, 400);

    status = call("GET", path, sellerToken).json();
    EXPECT_EQ(status.value(QStringLiteral("completedSteps")).toArray(),
              QJsonArray({QStringLiteral("test_print"), QStringLiteral("live_show")}));
    EXPECT_FALSE(status.contains(QStringLiteral("completionEvent")));

    call("POST", path, sellerToken, R"({"action":"complete"})");
    status = call("GET", path, sellerToken).json();
    EXPECT_TRUE(status.value(QStringLiteral("completed")).toBool());
    EXPECT_TRUE(status.value(QStringLiteral("completionEvent")).isString());
    EXPECT_TRUE(
        call("GET", path, otherToken).json().value(QStringLiteral("completedSteps")).toArray().isEmpty());
}

TEST_F(StandinBackendFaults, StatusMalformedAndMissingKeysFaults)
{
    backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"),
                     Fault::status(503, R"({"error":"maintenance"})").times(1));
    const HttpResult refused = call("GET", "/api/auth/me", sellerToken);
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.body, QByteArrayLiteral(R"({"error":"maintenance"})"));
    EXPECT_EQ(call("GET", "/api/auth/me", sellerToken).status, 200) << "the fault was for one request only";

    // A status fault refuses the request before anything changes.
    backend.setFault(QStringLiteral("post"), QStringLiteral("/api/shows"), Fault::status(299));
    const HttpResult odd = createShow(sellerToken, QStringLiteral("Not stored"));
    EXPECT_EQ(odd.status, 299);
    EXPECT_TRUE(odd.body.isEmpty());
    EXPECT_TRUE(backend.shows(QStringLiteral("seller-1")).isEmpty());
    backend.clearFaults();

    const QString id = createShow(sellerToken, QStringLiteral("Stored"))
                           .json()[QStringLiteral("show")][QStringLiteral("id")]
                           .toString();
    backend.setFault(QStringLiteral("*"), QStringLiteral("/api/shows/*"),
                     Fault::withoutKeys({QStringLiteral("show")}));
    const HttpResult patched =
        call("PATCH", "/api/shows/" + QUrl::toPercentEncoding(id), sellerToken, R"({"status":"live"})");
    EXPECT_EQ(patched.status, 200);
    EXPECT_FALSE(patched.json().contains(QStringLiteral("show")));
    EXPECT_EQ(backend.show(id)->status, QStringLiteral("live")) << "the change is applied all the same";

    backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/onboarding/*"), Fault::malformedJson());
    const HttpResult garbled = call("GET", "/api/onboarding/quillmark", sellerToken);
    EXPECT_EQ(garbled.status, 200);
    QJsonParseError parseError{};
    QJsonDocument::fromJson(garbled.body, &parseError);
    EXPECT_NE(parseError.error, QJsonParseError::NoError);
    EXPECT_EQ(call("GET", "/api/shows?limit=1", sellerToken).status, 200) << "prefix does not match";
}

TEST_F(StandinBackendFaults, AnEveryNthFaultHitsOnlyItsTurnsAndLetsTheOthersReachTheNextRule)
{
    backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), Fault::status(503).every(3));
    backend.setFault(QStringLiteral("*"), QStringLiteral("/api/*"), Fault::status(502).every(2));
    QList<int> statuses;
    for (int i = 0; i < 6; ++i)
        statuses.append(call("GET", "/api/auth/me", sellerToken).status);
    // The third and sixth fail by the first rule; of the four it let by, the second
    // and fourth fail by the next.
    EXPECT_EQ(statuses, (QList<int>{200, 502, 503, 200, 502, 503}));
}

TEST_F(StandinBackendFaults, DelayedAnswerDoesNotHoldUpOtherRequests)
{
    backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), Fault::delayed(600000).times(1));
    QNetworkReply *slow = start("GET", "/api/auth/me", sellerToken);
    const HttpResult other = call("GET", "/api/onboarding/quillmark", sellerToken);
    EXPECT_EQ(other.status, 200);
    EXPECT_FALSE(slow->isFinished());
    EXPECT_EQ(backend.requests().size(), 2) << "the slow request had arrived";
    slow->abort();
    slow->deleteLater();

    // A delay still ends in the normal answer.
    backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), Fault::delayed(1));
    const HttpResult late = call("GET", "/api/auth/me", sellerToken);
    EXPECT_EQ(late.status, 200);
    EXPECT_EQ(late.json()[QStringLiteral("user")][QStringLiteral("id")].toString(),
              QStringLiteral("seller-1"));
}

TEST_F(StandinBackendFaults, DroppedConnectionEndsInANetworkError)
{
    // Every attempt is dropped: the network layer may resend a request once after a
    // connection closes unanswered, and that resend must not get through either.
    EXPECT_EQ(call("GET", "/api/auth/me", sellerToken).status, 200);
    backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"), Fault::dropConnection());
    const HttpResult dropped = createShow(sellerToken, QStringLiteral("Lost"));
    EXPECT_NE(dropped.error, QNetworkReply::NoError);
    EXPECT_EQ(dropped.status, 0) << "no HTTP answer at all";
    EXPECT_TRUE(backend.shows(QStringLiteral("seller-1")).isEmpty());

    backend.clearFaults();
    EXPECT_EQ(createShow(sellerToken, QStringLiteral("Kept")).status, 201);
}
