// The backend client against the stand-in backend over real HTTP.
#include "backend/zav_api_client.h"
#include "common/json.h"
#include "run_sync.h"
#include "standin_backend.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <functional>

using namespace quill;
using quill::standin::Fault;
using quill::standin::RecordedRequest;
using quill::standin::StandinBackend;
using quill::testing::runSync;
using namespace std::chrono_literals;

namespace {

quill::standin::StandinShow showOf(const QString &userId, const QString &title, const QString &id = {})
{
    quill::standin::StandinShow show;
    show.id = id;
    show.userId = userId;
    show.title = title;
    return show;
}

class ApiClient : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(m_backend.listen(), 0);
        m_token = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ava@example.com"), QStringLiteral("Ava"));
        m_client = std::make_unique<ZavAPIClient>(m_backend.baseUrl());
        m_client->setBearerToken(m_token);
        m_showId = m_backend.addShow(showOf(QStringLiteral("u1"), QStringLiteral("Friday cards")));
    }

    RecordedRequest lastRequest() const
    {
        const auto all = m_backend.requests();
        return all.isEmpty() ? RecordedRequest{} : all.last();
    }

    static QStringList bodyKeys(const RecordedRequest &r)
    {
        return QJsonDocument::fromJson(r.body).object().keys();
    }

    // Runs `call` and returns the error text it ended with (empty when it succeeded).
    template <typename F>
    static QString errorOf(F call)
    {
        try {
            call();
        } catch (const Error &e) {
            return e.message();
        }
        return {};
    }

    StandinBackend m_backend;
    QString m_token;
    QString m_showId;
    std::unique_ptr<ZavAPIClient> m_client;
};

struct Endpoint
{
    const char *name;
    std::function<void(ZavAPIClient &, const QString &showId)> call;
    QString method;
    QString path; // with %1 for the show id
    QList<QPair<QString, QString>> query;
    QStringList bodyKeys; // sorted; empty: no body
};

QList<Endpoint> endpoints()
{
    return {
        {"fetchCurrentUser", [](ZavAPIClient &c, const QString &) { runSync(c.fetchCurrentUser()); },
         QStringLiteral("GET"), QStringLiteral("/api/auth/me"), {}, {}},
        {"createShow",
         [](ZavAPIClient &c, const QString &) {
             runSync(c.createShow(QStringLiteral("Sunday"), QStringLiteral("whatnot"), QStringLiteral("realtime")));
         },
         QStringLiteral("POST"), QStringLiteral("/api/shows"), {}, {"channelId", "labelMode", "title"}},
        {"updateShowStatus",
         [](ZavAPIClient &c, const QString &id) { runSync(c.updateShowStatus(id, QStringLiteral("live"))); },
         QStringLiteral("PATCH"), QStringLiteral("/api/shows/%1"), {}, {"status"}},
        {"createAuction",
         [](ZavAPIClient &c, const QString &id) {
             CreateAuctionRequest r;
             r.winnerUsername = QStringLiteral("bob");
             r.salePrice = QStringLiteral("12.5");
             r.source = QStringLiteral("sync");
             runSync(c.createAuction(r, id));
         },
         QStringLiteral("POST"), QStringLiteral("/api/shows/%1/auctions"), {}, {"salePrice", "source", "winnerUsername"}},
        {"fetchShows live",
         [](ZavAPIClient &c, const QString &) { runSync(c.fetchShows(QStringLiteral("live"), 1)); },
         QStringLiteral("GET"), QStringLiteral("/api/shows"), {{"limit", "1"}, {"status", "live"}}, {}},
        {"fetchShows all", [](ZavAPIClient &c, const QString &) { runSync(c.fetchShows(std::nullopt, 50)); },
         QStringLiteral("GET"), QStringLiteral("/api/shows"), {{"limit", "50"}}, {}},
        {"fetchShowAuctions", [](ZavAPIClient &c, const QString &id) { runSync(c.fetchShowAuctions(id)); },
         QStringLiteral("GET"), QStringLiteral("/api/shows/%1/auctions"), {}, {}},
        {"fetchOnboardingStatus",
         [](ZavAPIClient &c, const QString &) { runSync(c.fetchOnboardingStatus(QStringLiteral("quillmark"))); },
         QStringLiteral("GET"), QStringLiteral("/api/onboarding/quillmark"), {}, {}},
        {"completeOnboardingStep",
         [](ZavAPIClient &c, const QString &) {
             runSync(c.completeOnboardingStep(QStringLiteral("quillmark"), QStringLiteral("live_show")));
         },
         QStringLiteral("POST"), QStringLiteral("/api/onboarding/quillmark"), {}, {"action", "metadata"}},
        {"completeOnboarding",
         [](ZavAPIClient &c, const QString &) { runSync(c.completeOnboarding(QStringLiteral("quillmark"))); },
         QStringLiteral("POST"), QStringLiteral("/api/onboarding/quillmark"), {}, {"action"}},
        {"deleteShow forced", [](ZavAPIClient &c, const QString &id) { runSync(c.deleteShow(id, true)); },
         QStringLiteral("DELETE"), QStringLiteral("/api/shows/%1"), {{"force", "true"}}, {}},
    };
}

} // namespace

TEST_F(ApiClient, EveryEndpointSendsItsMethodPathQueryHeadersAndBody)
{
    for (const Endpoint &e : endpoints()) {
        SCOPED_TRACE(e.name);
        m_backend.clearRequests();
        ASSERT_NO_THROW(e.call(*m_client, m_showId));
        const RecordedRequest r = lastRequest();
        EXPECT_EQ(r.method, e.method);
        EXPECT_EQ(r.path, e.path.contains(QLatin1String("%1")) ? e.path.arg(m_showId) : e.path);
        EXPECT_EQ(r.query, e.query);
        EXPECT_EQ(r.header("Authorization"), std::optional<QByteArray>("Bearer " + m_token.toUtf8()));
        if (e.bodyKeys.isEmpty()) {
            EXPECT_FALSE(r.header("Content-Type").has_value());
            EXPECT_TRUE(r.body.isEmpty());
        } else {
            EXPECT_EQ(r.header("Content-Type"), std::optional<QByteArray>("application/json"));
            EXPECT_EQ(bodyKeys(r), e.bodyKeys);
        }
    }
}

TEST_F(ApiClient, WithoutATokenNothingIsSent)
{
    m_client->setBearerToken(std::nullopt);
    m_backend.clearRequests();
    for (const Endpoint &e : endpoints()) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(errorOf([&] { e.call(*m_client, m_showId); }), QStringLiteral("No auth token"));
    }
    EXPECT_EQ(errorOf([&] { runSync(m_client->fetchAdminOverview()); }), QStringLiteral("No auth token"));
    EXPECT_TRUE(m_backend.requests().isEmpty());
}

TEST_F(ApiClient, AppleSignInNeedsNoTokenAndSendsNullsForMissingNames)
{
    m_client->setBearerToken(std::nullopt);
    const AuthResponse auth = runSync(m_client->appleNativeSignIn(
        QStringLiteral("dev:new@example.com"), AppleSignInUser{QStringLiteral("new@example.com"), std::nullopt,
                                                               QStringLiteral("Newman")}));
    EXPECT_EQ(auth.user.email, QStringLiteral("new@example.com"));
    EXPECT_FALSE(auth.token.isEmpty());

    const RecordedRequest r = lastRequest();
    EXPECT_EQ(r.path, QStringLiteral("/api/auth/apple/native"));
    EXPECT_FALSE(r.header("Authorization").has_value());
    const QJsonObject body = QJsonDocument::fromJson(r.body).object();
    EXPECT_TRUE(body.value(QStringLiteral("user")).toObject().value(QStringLiteral("givenName")).isNull());
    EXPECT_EQ(body.value(QStringLiteral("user")).toObject().size(), 3);

    runSync(m_client->appleNativeSignIn(QStringLiteral("dev:new@example.com"), std::nullopt));
    EXPECT_FALSE(QJsonDocument::fromJson(lastRequest().body).object().contains(QStringLiteral("user")));

    // The session token it returns works for the bearer endpoints.
    m_client->setBearerToken(auth.token);
    EXPECT_EQ(runSync(m_client->fetchCurrentUser()).email, QStringLiteral("new@example.com"));
}

TEST_F(ApiClient, StatusesOutside2xxBecomeHttpErrors)
{
    for (int code : {300, 401, 403, 404, 409, 500, 503}) {
        m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), Fault::status(code).times(1));
        const QString text = errorOf([&] { runSync(m_client->fetchCurrentUser()); });
        EXPECT_EQ(text, QStringLiteral("HTTP %1").arg(code));
    }
    try {
        m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), Fault::status(401).times(1));
        runSync(m_client->fetchCurrentUser());
        FAIL();
    } catch (const APIError &e) {
        EXPECT_EQ(e.kind(), APIError::Kind::httpError);
        EXPECT_EQ(e.statusCode(), 401);
    }
    // A real refusal of the stand-in, not an injected one.
    m_client->setBearerToken(QStringLiteral("not-a-token"));
    EXPECT_EQ(errorOf([&] { runSync(m_client->fetchCurrentUser()); }), QStringLiteral("HTTP 401"));
}

TEST_F(ApiClient, AnyTwoHundredCountsAndOnlyDecodingOperationsNeedABody)
{
    m_backend.setFault(QStringLiteral("DELETE"), QStringLiteral("/api/shows/*"), Fault::status(204).times(1));
    EXPECT_NO_THROW(runSync(m_client->deleteShow(m_showId, true)));
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/onboarding/*"), Fault::status(299).times(1));
    EXPECT_NO_THROW(runSync(m_client->completeOnboarding(QStringLiteral("quillmark"))));
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), Fault::status(204).times(1));
    EXPECT_THROW(runSync(m_client->fetchCurrentUser()), json::DecodeError);
}

TEST_F(ApiClient, ListAnswersDecodeSnakeOrCamelCaseOthersOnlyCamelCase)
{
    quill::standin::StandinAuction auction;
    auction.showId = m_showId;
    auction.winnerUsername = QStringLiteral("bob");
    auction.salePrice = QStringLiteral("12.50");
    auction.auctionNumber = 7;
    m_backend.addAuction(auction);
    const ShowListResponse list = runSync(m_client->fetchShows(std::nullopt, 50));
    ASSERT_EQ(list.shows.size(), 1);
    EXPECT_EQ(list.shows[0].userId, QStringLiteral("u1"));
    const ShowAuctionsResponse auctions = runSync(m_client->fetchShowAuctions(m_showId));
    ASSERT_EQ(auctions.auctions.size(), 1);
    EXPECT_EQ(auctions.auctions[0].winnerUsername, QStringLiteral("bob"));
    EXPECT_EQ(auctions.auctions[0].auctionNumber, 7);

    const QByteArray camel = R"({"shows":[{"id":"s","userId":"u1","title":"t","channelId":"whatnot","status":"live",
        "createdAt":"2026-01-01T00:00:00Z","updatedAt":"2026-01-01T00:00:00Z","itemCount":3}],"total":1})";
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows"), Fault::status(200, camel).times(1));
    const ShowListResponse fromCamel = runSync(m_client->fetchShows(std::nullopt, 50));
    EXPECT_EQ(fromCamel.shows.value(0).itemCount, 3);

    const QByteArray snakeUser = R"({"user":{"id":"u1","email":"ava@example.com","user_image":"x"}})";
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), Fault::status(200, snakeUser).times(1));
    EXPECT_FALSE(runSync(m_client->fetchCurrentUser()).image.has_value());
}

TEST_F(ApiClient, BrokenAnswersEndInClearErrors)
{
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows"), Fault::malformedJson().times(1));
    const QString malformed = errorOf([&] { runSync(m_client->fetchShows(std::nullopt, 50)); });
    EXPECT_TRUE(malformed.startsWith(QStringLiteral("Unexpected answer from the backend to GET api/shows")))
        << malformed;

    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows"),
                       Fault::withoutKeys({QStringLiteral("show")}).times(1));
    EXPECT_THROW(runSync(m_client->createShow(QStringLiteral("t"), QStringLiteral("whatnot"),
                                              QStringLiteral("both"))),
                 json::DecodeError);

    // Every attempt is dropped: Qt quietly sends a request once more when its
    // connection closes before an answer.
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), Fault::dropConnection());
    try {
        runSync(m_client->fetchCurrentUser());
        ADD_FAILURE() << "a dropped connection succeeded";
    } catch (const NetworkError &e) {
        EXPECT_FALSE(e.timedOut());
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Could not reach the backend"))) << e.message();
    }
    m_backend.clearFaults();

    m_client->setTimeout(150ms);
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/auth/me"), Fault::delayed(3000).times(1));
    try {
        runSync(m_client->fetchCurrentUser());
        FAIL() << "a late answer was waited for";
    } catch (const NetworkError &e) {
        EXPECT_TRUE(e.timedOut());
        EXPECT_TRUE(e.message().contains(QStringLiteral("did not answer"))) << e.message();
    }
}

TEST_F(ApiClient, StatusChangeWithoutTheShowInItsAnswerIsStillDone)
{
    m_backend.setFault(QStringLiteral("PATCH"), QStringLiteral("/api/shows/*"),
                       Fault::withoutKeys({QStringLiteral("show")}).times(1));
    std::optional<ServerShow> show;
    ASSERT_NO_THROW(show = runSync(m_client->updateShowStatus(m_showId, QStringLiteral("completed"))));
    EXPECT_FALSE(show.has_value());
    EXPECT_EQ(m_backend.show(m_showId)->status, QStringLiteral("completed"));

    show = runSync(m_client->updateShowStatus(m_showId, QStringLiteral("live")));
    ASSERT_TRUE(show.has_value());
    EXPECT_EQ(show->status, QStringLiteral("live"));
}

TEST_F(ApiClient, IdentifiersCannotReachAnotherEndpoint)
{
    const QString hostile = QStringLiteral("x/../../auth/me?force=true#");
    EXPECT_EQ(errorOf([&] { runSync(m_client->deleteShow(hostile, false)); }), QStringLiteral("HTTP 404"));
    const RecordedRequest r = lastRequest();
    EXPECT_EQ(r.method, QStringLiteral("DELETE"));
    EXPECT_EQ(r.path, QStringLiteral("/api/shows/x%2F..%2F..%2Fauth%2Fme%3Fforce%3Dtrue%23"));
    EXPECT_TRUE(r.query.isEmpty());

    const QString slashed = m_backend.addShow(showOf(QStringLiteral("u1"), QStringLiteral("t"), QStringLiteral("a/b")));
    EXPECT_EQ(runSync(m_client->updateShowStatus(slashed, QStringLiteral("live")))->id, QStringLiteral("a/b"));
}

TEST_F(ApiClient, DotIdentifiersAreRefusedBeforeAnythingIsSent)
{
    // Encoded, "." and ".." would still step out of the show's path (/api/auctions,
    // DELETE /api?force=true), Qt's path normalisation empties ".x", and an empty id
    // would name the collection.
    for (const QString &id : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral(".x"),
                              QStringLiteral("...")}) {
        for (const Endpoint &e : endpoints()) {
            if (!e.path.contains(QLatin1String("%1")))
                continue;
            SCOPED_TRACE(e.name + std::string(" with \"") + id.toStdString() + "\"");
            m_backend.clearRequests();
            EXPECT_EQ(errorOf([&] { e.call(*m_client, id); }),
                      QStringLiteral("\"%1\" cannot be used as an identifier in a backend address.").arg(id));
            EXPECT_TRUE(m_backend.requests().isEmpty());
        }
        m_backend.clearRequests();
        EXPECT_FALSE(errorOf([&] { runSync(m_client->fetchOnboardingStatus(id)); }).isEmpty());
        EXPECT_FALSE(errorOf([&] { runSync(m_client->completeOnboarding(id)); }).isEmpty());
        EXPECT_TRUE(m_backend.requests().isEmpty());
    }
    EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 1);

    // Dots after the first character are ordinary.
    for (const QString &id : {QStringLiteral("x.."), QStringLiteral("a.b"), QStringLiteral("x.")}) {
        EXPECT_EQ(errorOf([&] { runSync(m_client->fetchShowAuctions(id)); }), QStringLiteral("HTTP 404"));
        EXPECT_EQ(lastRequest().path, QStringLiteral("/api/shows/") + id + QStringLiteral("/auctions"));
    }
}

TEST_F(ApiClient, ARequestThatChangesSomethingIsNeverSentTwice)
{
    // The backend acts on the request, then the connection closes before the answer.
    // The network stack must not send it again on its own: that would create a
    // second show or auction.
    for (const Endpoint &e : endpoints()) {
        if (e.method == QLatin1String("GET"))
            continue;
        SCOPED_TRACE(e.name);
        const QString showId = m_backend.addShow(showOf(QStringLiteral("u1"), QStringLiteral("Target")));
        const QString path = e.path.contains(QLatin1String("%1")) ? e.path.arg(showId) : e.path;
        const qsizetype showsBefore = m_backend.shows(QStringLiteral("u1")).size();
        m_backend.clearRequests();
        m_backend.setFault(e.method, path, Fault::dropAfterHandling().times(1));
        try {
            e.call(*m_client, showId);
            ADD_FAILURE() << "a dropped answer counted as success";
        } catch (const NetworkError &error) {
            EXPECT_FALSE(error.timedOut());
            EXPECT_TRUE(
                error.message().startsWith(QStringLiteral("Could not reach the backend (") + e.method))
                << error.message().toStdString();
        }
        m_backend.clearFaults();
        EXPECT_EQ(m_backend.requests().size(), 1);
        if (e.method == QLatin1String("POST") && path == QLatin1String("/api/shows")) {
            EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).size(), showsBefore + 1) << "one show, not two";
        }
        if (e.method == QLatin1String("POST") && path.endsWith(QLatin1String("/auctions"))) {
            EXPECT_EQ(m_backend.auctions(showId).size(), 1);
        }
    }

    // The client still works on a fresh connection afterwards.
    EXPECT_NO_THROW(runSync(m_client->createShow(QStringLiteral("After"), QStringLiteral("whatnot"),
                                                 QStringLiteral("realtime"))));
}

TEST_F(ApiClient, StaffOverviewStopsAtTheFirstRefusal)
{
    m_backend.addStaffEmail(QStringLiteral("ava@example.com"));
    const AdminOverview overview = runSync(m_client->fetchAdminOverview());
    EXPECT_EQ(m_backend.requests().size(), 3);
    EXPECT_GE(overview.subscribers.stats.total, 0);

    m_backend.clearRequests();
    m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/admin/quillmark/subscribers"),
                       Fault::status(403).times(1));
    EXPECT_EQ(errorOf([&] { runSync(m_client->fetchAdminOverview()); }), QStringLiteral("HTTP 403"));
    EXPECT_EQ(m_backend.requests().size(), 1);
}
