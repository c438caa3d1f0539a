#include "backend/api_records.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <string>

using namespace quill;

namespace {

QJsonObject object(const char *text)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(text), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw std::runtime_error(std::string("test JSON does not parse: ") + text);
    return doc.object();
}

QStringList sortedKeys(const QJsonObject &o)
{
    QStringList keys = o.keys();
    keys.sort();
    return keys;
}

std::string keysOf(const QJsonObject &o)
{
    return sortedKeys(o).join(QLatin1Char(',')).toStdString();
}

const char *const kShowA = R"({"id":"s1","userId":"u1","title":"Friday","channelId":"whatnot",
    "status":"completed","labelMode":"grouped","startedAt":"2024-05-03T18:00:00Z",
    "endedAt":"2024-05-03T20:00:00Z","createdAt":"2024-05-03T17:59:00Z",
    "updatedAt":"2024-05-03T20:00:01Z","itemCount":12,"auctionCount":10})";

ShowSummary fullSummary()
{
    ShowSummary s;
    s.id = QStringLiteral("s1");
    s.userId = QStringLiteral("u1");
    s.title = QStringLiteral("Friday");
    s.channelId = QStringLiteral("whatnot");
    s.status = QStringLiteral("completed");
    s.labelMode = QStringLiteral("grouped");
    s.startedAt = QStringLiteral("2024-05-03T18:00:00Z");
    s.endedAt = QStringLiteral("2024-05-03T20:00:00Z");
    s.createdAt = QStringLiteral("2024-05-03T17:59:00Z");
    s.updatedAt = QStringLiteral("2024-05-03T20:00:01Z");
    s.itemCount = 12;
    s.auctionCount = 10;
    return s;
}

ShowSummary bareSummary()
{
    ShowSummary s = fullSummary();
    s.labelMode.reset();
    s.startedAt.reset();
    s.endedAt.reset();
    s.itemCount.reset();
    s.auctionCount.reset();
    return s;
}

} // namespace

// ---------------------------------------------------------------------------
// Decoding failures: every bad document fails whole and the message names the key path.

TEST(BackendRecordDecoding, RejectsBadDocumentsNamingTheKey)
{
    using Decode = std::function<void(const QJsonObject &)>;
    const Decode showList = [](const QJsonObject &o) { ShowListResponse::fromJson(o); };
    const Decode auctions = [](const QJsonObject &o) { ShowAuctionsResponse::fromJson(o); };
    const Decode summary = [](const QJsonObject &o) { ShowSummary::fromJson(o); };
    const Decode onboarding = [](const QJsonObject &o) { OnboardingStatusResponse::fromJson(o); };
    const Decode session = [](const QJsonObject &o) { SessionResponse::fromJson(o); };
    const Decode auth = [](const QJsonObject &o) { AuthResponse::fromJson(o); };
    const Decode shows = [](const QJsonObject &o) { ShowsResponse::fromJson(o); };
    const Decode revenue = [](const QJsonObject &o) { RevenueResponse::fromJson(o); };
    const Decode subscribers = [](const QJsonObject &o) { SubscribersResponse::fromJson(o); };
    const Decode createAuction = [](const QJsonObject &o) { CreateAuctionResponse::fromJson(o); };
    const Decode createShow = [](const QJsonObject &o) { CreateShowResponse::fromJson(o); };
    const Decode updateShow = [](const QJsonObject &o) { UpdateShowResponse::fromJson(o); };

    const struct
    {
        const char *name;
        Decode decode;
        const char *json;
        const char *path;
    } cases[] = {
        {"one show of the list lacks createdAt", showList,
         R"({"total":2,"shows":[
              {"id":"a","userId":"u","title":"t","channelId":"c","status":"live","createdAt":"x","updatedAt":"y"},
              {"id":"b","userId":"u","title":"t","channelId":"c","status":"live","updatedAt":"y"}]})",
         "shows[1].createdAt"},
        {"a list element that is not an object", showList, R"({"total":1,"shows":["a"]})", "shows[0]"},
        {"show list without total", showList, R"({"shows":[]})", "total"},
        {"shows is an object, not an array", showList, R"({"total":0,"shows":{}})", "shows"},
        {"an auction with a numeric salePrice", auctions,
         R"({"stats":{"auctionCount":1,"revenue":"5.00","uniqueBuyers":1},"auctions":[
              {"id":"a1","showId":"s","winnerUsername":"w","salePrice":5.0,"createdAt":"x"}]})",
         "auctions[0].salePrice"},
        {"auction stats with a numeric revenue", auctions,
         R"({"stats":{"auctionCount":1,"revenue":5,"uniqueBuyers":1},"auctions":[]})", "stats.revenue"},
        {"auctions without stats", auctions, R"({"auctions":[]})", "stats"},
        {"itemCount as a string", summary,
         R"({"id":"a","userId":"u","title":"t","channelId":"c","status":"live","createdAt":"x",
             "updatedAt":"y","itemCount":"3"})",
         "itemCount"},
        {"auctionCount with a fraction", summary,
         R"({"id":"a","userId":"u","title":"t","channelId":"c","status":"live","createdAt":"x",
             "updatedAt":"y","auctionCount":2.5})",
         "auctionCount"},
        {"labelMode as a number", summary,
         R"({"id":"a","userId":"u","title":"t","channelId":"c","status":"live","createdAt":"x",
             "updatedAt":"y","labelMode":1})",
         "labelMode"},
        {"required title null", summary,
         R"({"id":"a","userId":"u","title":null,"channelId":"c","status":"live","createdAt":"x","updatedAt":"y"})",
         "title"},
        {"onboarding without completed", onboarding, R"({"slug":"quillmark"})", "completed"},
        {"onboarding completed as text", onboarding, R"({"slug":"quillmark","completed":"true"})",
         "completed"},
        {"onboarding step that is not text", onboarding,
         R"({"slug":"quillmark","completed":false,"completedSteps":["a",2]})", "completedSteps[1]"},
        {"session user without email", session, R"({"user":{"id":"u1"}})", "user.email"},
        {"session user name as a number", session, R"({"user":{"id":"u1","email":"e","name":7}})",
         "user.name"},
        {"sign-in answer with a null user", auth, R"({"token":"t","user":null})", "user"},
        {"sign-in answer without token", auth, R"({"user":{"id":"u1","email":"e"}})", "token"},
        {"label statistics missing a figure", shows,
         R"({"stats":{"total":1,"liveNow":0,"completedThisMonth":1,"totalAuctions":3,
             "labels":{"pending":0,"queued":0,"printedThisMonth":1}}})",
         "stats.labels.printed"},
        {"mrr sent as text", revenue,
         R"({"stats":{"mrr":"10.5","totalSubscribers":1,"churnThisMonth":0,"newThisMonth":1}})", "stats.mrr"},
        {"mrr too large to hold exactly", revenue,
         R"({"stats":{"mrr":1e30,"totalSubscribers":1,"churnThisMonth":0,"newThisMonth":1}})", "stats.mrr"},
        {"conversionRate as a number", subscribers,
         R"({"stats":{"total":3,"pro":1,"free":2,"conversionRate":0.33}})", "stats.conversionRate"},
        {"deduplicated as text", createAuction, R"({"deduplicated":"yes"})", "deduplicated"},
        {"an auction lacking showId", createAuction,
         R"({"auction":{"id":"a1","winnerUsername":"w","salePrice":"5","createdAt":"x"}})", "auction.showId"},
        {"create-show answer without show", createShow, R"({})", "show"},
        {"status-change answer whose show is incomplete", updateShow,
         R"({"show":{"id":"a","userId":"u","title":"t","channelId":"c","createdAt":"x","updatedAt":"y"}})",
         "show.status"},
        {"status-change answer whose show is not an object", updateShow, R"({"show":"a"})", "show"},
    };

    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QJsonObject doc = object(c.json);
        try {
            c.decode(doc);
            ADD_FAILURE() << "decoded although it should fail";
        } catch (const json::DecodeError &error) {
            const std::string expected = std::string(c.path) + ":";
            EXPECT_EQ(error.message().toStdString().rfind(expected, 0), 0u)
                << "message \"" << error.message().toStdString() << "\" should start with " << expected;
        }
    }
}

// ---------------------------------------------------------------------------
// Decoding successes.

TEST(BackendRecordDecoding, OptionalNumbersMissingOrNullAreAbsent)
{
    const ShowSummary missing = ShowSummary::fromJson(object(
        R"({"id":"a","userId":"u","title":"t","channelId":"c","status":"live","createdAt":"x","updatedAt":"y"})"));
    EXPECT_FALSE(missing.itemCount.has_value());
    EXPECT_FALSE(missing.labelMode.has_value());

    const ShowSummary null = ShowSummary::fromJson(
        object(R"({"id":"a","userId":"u","title":"t","channelId":"c","status":"live","createdAt":"x",
                   "updatedAt":"y","itemCount":null,"startedAt":null})"));
    EXPECT_FALSE(null.itemCount.has_value());
    EXPECT_FALSE(null.startedAt.has_value());

    EXPECT_EQ(ShowSummary::fromJson(object(kShowA)), fullSummary());
}

TEST(BackendRecordDecoding, CountsAndNumbersUseTheWhole64BitRange)
{
    const ShowSummary show = ShowSummary::fromJson(
        object(R"({"id":"a","userId":"u","title":"t","channelId":"c","status":"live","createdAt":"x",
                   "updatedAt":"y","itemCount":9223372036854775807,"auctionCount":-9223372036854775808})"));
    EXPECT_EQ(show.itemCount, std::numeric_limits<qint64>::max());
    EXPECT_EQ(show.auctionCount, std::numeric_limits<qint64>::min());
}

TEST(BackendRecordDecoding, AuctionsAnswerDecodesEveryElementAndIgnoresExtraKeys)
{
    const auto answer = ShowAuctionsResponse::fromJson(object(
        R"({"stats":{"auctionCount":2,"revenue":"17.50","uniqueBuyers":1,"topBuyer":"w"},
            "page":1,
            "auctions":[
              {"id":"a1","showId":"s1","winnerUsername":"wren","salePrice":"12.50","auctionNumber":4,
               "rawTitle":"Lot 4","source":"sync","createdAt":"t1","flagged":true},
              {"id":"a2","showId":"s1","winnerUsername":"wren","salePrice":"5","createdAt":"t2"}]})"));

    ServerAuction first;
    first.id = QStringLiteral("a1");
    first.showId = QStringLiteral("s1");
    first.winnerUsername = QStringLiteral("wren");
    first.salePrice = QStringLiteral("12.50"); // kept as sent, trailing zero included
    first.auctionNumber = 4;
    first.rawTitle = QStringLiteral("Lot 4");
    first.source = QStringLiteral("sync");
    first.createdAt = QStringLiteral("t1");
    ServerAuction second;
    second.id = QStringLiteral("a2");
    second.showId = QStringLiteral("s1");
    second.winnerUsername = QStringLiteral("wren");
    second.salePrice = QStringLiteral("5");
    second.createdAt = QStringLiteral("t2");

    const ShowAuctionsResponse expected{{first, second}, ShowAuctionStats{2, QStringLiteral("17.50"), 1}};
    EXPECT_EQ(answer, expected);
}

TEST(BackendRecordDecoding, OptionalAnswersAndNestedRecords)
{
    const auto empty = CreateAuctionResponse::fromJson(QJsonObject{});
    EXPECT_FALSE(empty.auction.has_value());
    EXPECT_FALSE(empty.deduplicated.has_value());

    const auto dedup = CreateAuctionResponse::fromJson(object(
        R"({"deduplicated":true,"auction":{"id":"a","showId":"s","winnerUsername":"w","salePrice":"1","createdAt":"x"}})"));
    ASSERT_TRUE(dedup.auction.has_value());
    EXPECT_EQ(dedup.auction->winnerUsername, QStringLiteral("w"));
    EXPECT_EQ(dedup.deduplicated, std::optional<bool>(true));

    // A 2xx status change has been applied even when the answer carries no show.
    EXPECT_FALSE(UpdateShowResponse::fromJson(object(R"({"ok":true})")).show.has_value());
    const auto updated = UpdateShowResponse::fromJson(object(
        R"({"show":{"id":"a","userId":"u","title":"t","channelId":"c","status":"live","createdAt":"x","updatedAt":"y"}})"));
    ASSERT_TRUE(updated.show.has_value());
    EXPECT_EQ(updated.show->status, QStringLiteral("live"));

    const auto onboardingNull = OnboardingStatusResponse::fromJson(
        object(R"({"slug":"quillmark","completed":false,"completedSteps":null})"));
    EXPECT_FALSE(onboardingNull.completedSteps.has_value());
    EXPECT_FALSE(onboardingNull.completed);
    const auto onboarding = OnboardingStatusResponse::fromJson(object(
        R"({"slug":"quillmark","completed":true,"completionEvent":"done","completedSteps":["whatnot","test_print"]})"));
    EXPECT_EQ(onboarding.completedSteps, std::optional<QStringList>(QStringList{"whatnot", "test_print"}));
    EXPECT_EQ(onboarding.completionEvent, std::optional<QString>(QStringLiteral("done")));

    const auto noLabels = ShowsResponse::fromJson(
        object(R"({"stats":{"total":4,"liveNow":1,"completedThisMonth":2,"totalAuctions":40}})"));
    EXPECT_FALSE(noLabels.stats.labels.has_value());
    EXPECT_EQ(noLabels.stats.totalAuctions, 40);
    const auto labels = ShowsResponse::fromJson(
        object(R"({"stats":{"total":4,"liveNow":1,"completedThisMonth":2,"totalAuctions":40,
                   "labels":{"printed":30,"pending":2,"queued":1,"printedThisMonth":9}}})"));
    EXPECT_EQ(labels.stats.labels,
              std::optional<ShowsResponse::LabelStats>(ShowsResponse::LabelStats{30, 2, 1, 9}));

    const auto auth = AuthResponse::fromJson(
        object(R"({"token":"tok","user":{"id":"u1","email":"e@x","image":"i.png"},"expiresIn":3600})"));
    EXPECT_EQ(auth.token, QStringLiteral("tok"));
    EXPECT_FALSE(auth.signedToken.has_value());
    EXPECT_EQ(auth.user.image, std::optional<QString>(QStringLiteral("i.png")));
    EXPECT_FALSE(auth.user.name.has_value());
}

TEST(BackendRecordDecoding, MrrIsKeptExactly)
{
    const struct
    {
        const char *json;
        const char *text;
    } cases[] = {{"1234.5", "1234.5"}, {"0.1", "0.1"}, {"19.99", "19.99"}, {"2500", "2500"}, {"0", "0"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.json);
        const std::string doc = std::string(R"({"stats":{"mrr":)") + c.json +
                                R"(,"totalSubscribers":1,"churnThisMonth":0,"newThisMonth":1}})";
        const auto revenue = RevenueResponse::fromJson(object(doc.c_str()));
        EXPECT_EQ(revenue.stats.mrr.toString().toStdString(), c.text);
    }
}

// ---------------------------------------------------------------------------
// Encoding.

TEST(BackendRecordEncoding, ShowSummaryRoundTripsAndLeavesOutAbsentKeys)
{
    const QJsonObject full = fullSummary().toJson();
    EXPECT_EQ(keysOf(full),
              "auctionCount,channelId,createdAt,endedAt,id,itemCount,labelMode,startedAt,status,"
              "title,updatedAt,userId");
    EXPECT_EQ(ShowSummary::fromJson(full), fullSummary());

    const QJsonObject bare = bareSummary().toJson();
    EXPECT_EQ(keysOf(bare), "channelId,createdAt,id,status,title,updatedAt,userId");
    EXPECT_EQ(ShowSummary::fromJson(bare), bareSummary());
}

TEST(BackendRecordEncoding, RequestBodiesCarryExactlyTheirKeys)
{
    CreateAuctionRequest auction;
    auction.winnerUsername = QStringLiteral("wren");
    auction.salePrice = QStringLiteral("12.50");
    auction.source = QStringLiteral("sync");
    const QJsonObject bare = auction.toJson();
    EXPECT_EQ(keysOf(bare), "salePrice,source,winnerUsername");
    EXPECT_EQ(bare.value(QStringLiteral("salePrice")), QJsonValue(QStringLiteral("12.50")));

    auction.auctionNumber = 9007199254740993LL; // beyond 2^53: must not be rounded through a double
    auction.rawTitle = QStringLiteral("Lot");
    const QByteArray written = QJsonDocument(auction.toJson()).toJson(QJsonDocument::Compact);
    EXPECT_TRUE(written.contains("\"auctionNumber\":9007199254740993")) << written.constData();
    EXPECT_TRUE(written.contains("\"rawTitle\":\"Lot\"")) << written.constData();

    CreateShowRequest show{
        QStringLiteral("Friday"), QStringLiteral("whatnot"), QStringLiteral("grouped"), {}};
    EXPECT_EQ(keysOf(show.toJson()), "channelId,labelMode,title");
    QMap<QString, bool> settings;
    settings.insert(QStringLiteral("autoPrint"), true);
    show.settings = settings;
    QJsonObject expectedSettings;
    expectedSettings.insert(QStringLiteral("autoPrint"), true);
    EXPECT_EQ(show.toJson().value(QStringLiteral("settings")).toObject(), expectedSettings);
}

TEST(BackendRecordEncoding, CachedUserRoundTrips)
{
    const ZavUser bare{QStringLiteral("u1"), std::nullopt, QStringLiteral("e@x"), std::nullopt};
    EXPECT_EQ(keysOf(bare.toJson()), "email,id");
    EXPECT_EQ(ZavUser::fromJson(bare.toJson()), bare);

    const ZavUser full{QStringLiteral("u1"), QStringLiteral("Wren"), QStringLiteral("e@x"),
                       QStringLiteral("i")};
    EXPECT_EQ(ZavUser::fromJson(full.toJson()), full);
}

TEST(BackendRecordEncoding, ShowHistoryCacheFile)
{
    const QList<ShowSummary> shows{fullSummary(), bareSummary()};
    const QByteArray bytes = encodeShowSummaries(shows);
    EXPECT_TRUE(bytes.startsWith('['));
    EXPECT_FALSE(bytes.contains('\n'));
    EXPECT_FALSE(bytes.contains("null"));
    EXPECT_EQ(decodeShowSummaries(bytes), shows);
    EXPECT_TRUE(decodeShowSummaries("[]").isEmpty());

    EXPECT_THROW(decodeShowSummaries(bytes.left(bytes.size() - 1)), json::DecodeError);
    EXPECT_THROW(decodeShowSummaries(QByteArray()), json::DecodeError);
    EXPECT_THROW(decodeShowSummaries(R"({"shows":[]})"), json::DecodeError);

    // One damaged entry loses the whole read rather than silently dropping a show.
    QJsonArray damaged = QJsonDocument::fromJson(bytes).array();
    QJsonObject second = damaged.at(1).toObject();
    second.remove(QStringLiteral("updatedAt"));
    damaged.replace(1, second);
    try {
        decodeShowSummaries(QJsonDocument(damaged).toJson());
        ADD_FAILURE() << "decoded a cache with a damaged entry";
    } catch (const json::DecodeError &error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("[1].updatedAt:"))) << error.what();
    }
}

namespace two_way_record_coding {

// Writes a record as the program does (compact text) and reads that text back through
// the strict parser that answers and stores go through. `absentKeys` must not appear.
template <typename Record>
void expectReadsBackTheSame(const Record &record, const char *what,
                            std::initializer_list<const char *> absentKeys = {})
{
    SCOPED_TRACE(what);
    const QByteArray written = QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact);
    EXPECT_FALSE(written.contains("null")) << written.constData();
    for (const char *key : absentKeys)
        EXPECT_FALSE(written.contains(QByteArray(QByteArray("\"") + key + "\":")))
            << key << " in " << written.constData();
    try {
        EXPECT_TRUE(Record::fromJson(json::parseObject(written, QStringLiteral("The written record"))) ==
                    record)
            << written.constData();
    } catch (const json::DecodeError &error) {
        ADD_FAILURE() << error.what() << " in " << written.constData();
    }
}

Decimal decimal(const char *text)
{
    return Decimal::fromString(QString::fromLatin1(text)).value();
}

} // namespace two_way_record_coding

TEST(BackendRecordEncoding, EveryTwoWayRecordReadsBackWhatItWroteAndTheStoredFilesKeepTheirBytes)
{
    using two_way_record_coding::decimal;
    using two_way_record_coding::expectReadsBackTheSame;

    const ZavUser user{QStringLiteral("u1"), QStringLiteral("Wren Ash"), QStringLiteral("wren@example.com"),
                       QStringLiteral("https://img/x.png")};
    const ZavUser bareUser{QStringLiteral("u2"), std::nullopt, QStringLiteral("e@x"), std::nullopt};
    expectReadsBackTheSame(SessionResponse{user}, "session");
    expectReadsBackTheSame(SessionResponse{bareUser}, "session, bare user", {"name", "image"});
    expectReadsBackTheSame(AuthResponse{QStringLiteral("tok"), QStringLiteral("signed"), user}, "sign-in");
    expectReadsBackTheSame(AuthResponse{QStringLiteral("tok"), std::nullopt, bareUser}, "sign-in, bare",
                           {"signedToken", "name", "image"});

    expectReadsBackTheSame(ShowListResponse{{fullSummary(), bareSummary()}, 2}, "show list");
    expectReadsBackTheSame(ShowListResponse{{}, 0}, "empty show list");
    ServerShow show;
    static_cast<ShowFields &>(show) = fullSummary();
    expectReadsBackTheSame(show, "server show");
    static_cast<ShowFields &>(show) = bareSummary();
    expectReadsBackTheSame(show, "bare server show", {"labelMode", "startedAt", "endedAt"});

    const ServerAuction auction{QStringLiteral("a1"),   QStringLiteral("s1"),
                                QStringLiteral("wren"), QStringLiteral("12.50"),
                                9007199254740993LL,     QStringLiteral("Lot \"7\" \u00e9"),
                                QStringLiteral("live"), QStringLiteral("2024-05-03T18:01:00Z")};
    ServerAuction bareAuction = auction;
    bareAuction.auctionNumber.reset();
    bareAuction.rawTitle.reset();
    bareAuction.source.reset();
    expectReadsBackTheSame(bareAuction, "bare auction", {"auctionNumber", "rawTitle", "source"});
    const ShowAuctionStats stats{2, QStringLiteral("1234.50"), 1};
    expectReadsBackTheSame(ShowAuctionsResponse{{auction, bareAuction}, stats}, "auctions of a show");
    // Amounts kept as text are written as text, trailing zeros and all.
    const QByteArray auctionsText = QJsonDocument(ShowAuctionsResponse{{auction}, stats}.toJson()).toJson();
    EXPECT_TRUE(auctionsText.contains("\"salePrice\": \"12.50\"")) << auctionsText.constData();
    EXPECT_TRUE(auctionsText.contains("\"revenue\": \"1234.50\"")) << auctionsText.constData();

    const OnboardingStatusResponse onboarding{
        QStringLiteral("quillmark"), true, QStringLiteral("done"),
        QStringList{QStringLiteral("whatnot"), QStringLiteral("test_print")}};
    expectReadsBackTheSame(onboarding, "onboarding");
    expectReadsBackTheSame(
        OnboardingStatusResponse{QStringLiteral("quillmark"), false, std::nullopt, QStringList{}},
        "onboarding with no step done yet", {"completionEvent"});
    expectReadsBackTheSame(
        OnboardingStatusResponse{QStringLiteral("quillmark"), false, std::nullopt, std::nullopt},
        "bare onboarding", {"completionEvent", "completedSteps"});

    expectReadsBackTheSame(SubscribersResponse{{120, 30, 90, QStringLiteral("25.00")}}, "subscribers");
    expectReadsBackTheSame(ShowsResponse{{4, 1, 2, 40, ShowsResponse::LabelStats{30, 2, 1, 9}}}, "shows");
    expectReadsBackTheSame(ShowsResponse{{4, 1, 2, 40, std::nullopt}}, "shows without labels", {"labels"});
    for (const char *mrr : {"1234.56", "0.1", "9007199254740993", "-3"}) {
        const RevenueResponse revenue{{decimal(mrr), 120, 3, 12}};
        expectReadsBackTheSame(revenue, mrr);
        const QByteArray written = QJsonDocument(revenue.toJson()).toJson(QJsonDocument::Compact);
        EXPECT_TRUE(written.contains(QByteArray(QByteArray("\"mrr\":") + mrr + ","))) << written.constData();
    }

    // The cached user (as the sign-in writes it) and the show history cache file keep the
    // bytes they had before every record could be written.
    const auto compact = [](const QJsonObject &o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); };
    EXPECT_EQ(compact(user.toJson()),
              QByteArray(
                  R"({"email":"wren@example.com","id":"u1","image":"https://img/x.png","name":"Wren Ash"})"));
    EXPECT_EQ(compact(bareUser.toJson()), QByteArray(R"({"email":"e@x","id":"u2"})"));
    ShowSummary stored = fullSummary();
    stored.title = QStringLiteral("Friday \"live\" \u00e9");
    stored.auctionCount = 9007199254740993LL;
    ShowSummary bareStored = bareSummary();
    bareStored.title = stored.title;
    EXPECT_EQ(
        encodeShowSummaries({stored, bareStored}),
        QByteArray(
            R"([{"auctionCount":9007199254740993,"channelId":"whatnot","createdAt":"2024-05-03T17:59:00Z",)"
            R"("endedAt":"2024-05-03T20:00:00Z","id":"s1","itemCount":12,"labelMode":"grouped",)"
            R"("startedAt":"2024-05-03T18:00:00Z","status":"completed","title":"Friday \"live\" )"
            "\xc3\xa9"
            R"(","updatedAt":"2024-05-03T20:00:01Z","userId":"u1"},{"channelId":"whatnot",)"
            R"("createdAt":"2024-05-03T17:59:00Z","id":"s1","status":"completed",)"
            R"("title":"Friday \"live\" )"
            "\xc3\xa9"
            R"(","updatedAt":"2024-05-03T20:00:01Z","userId":"u1"}])"));
}

// ---------------------------------------------------------------------------
// Snake-case keys of the list answers.

TEST(BackendSnakeCaseKeys, ConvertsKeysByTheWordRule)
{
    const struct
    {
        const char *in;
        const char *out;
    } cases[] = {
        {"created_at", "createdAt"},
        {"user_id", "userId"},
        {"auction_count", "auctionCount"},
        {"createdAt", "createdAt"},                // no underscore: unchanged
        {"URL", "URL"},                            // no underscore: not even lower-cased
        {"URL_value", "urlValue"},                 // first word lower-cased
        {"already_camelCase", "alreadyCamelcase"}, // later words: first upper, rest lower
        {"_private", "_private"},                  // only a leading underscore: one word
        {"trailing_", "trailing_"},
        {"__x__y", "__xY"}, // leading kept, inner run is one separator
        {"a__b", "aB"},
        {"_snake_case_", "_snakeCase_"},
        {"___", "___"},
        {"", ""},
        {"item_count_2", "itemCount2"},
        {"prix_été", "prixÉté"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in);
        const QJsonObject in{{QString::fromUtf8(c.in), 1}};
        const QJsonObject out = convertKeysFromSnakeCase(in).toObject();
        ASSERT_EQ(out.size(), 1);
        EXPECT_EQ(out.keys().first().toStdString(), c.out);
    }
}

TEST(BackendSnakeCaseKeys, ConvertsAtEveryDepthAndKeepsValues)
{
    const QJsonObject in = object(
        R"({"outer_key":{"inner_key":[{"deep_one":[{"deeper_key":"keep_this_value"}]}, 3, "x_y"]},"top_level":null})");
    const QJsonObject expected = object(
        R"({"outerKey":{"innerKey":[{"deepOne":[{"deeperKey":"keep_this_value"}]}, 3, "x_y"]},"topLevel":null})");
    EXPECT_EQ(convertKeysFromSnakeCase(in).toObject(), expected);

    const QJsonArray array{QJsonObject{{QStringLiteral("a_b"), 1}}};
    const QJsonArray convertedArray{QJsonObject{{QStringLiteral("aB"), 1}}};
    EXPECT_EQ(convertKeysFromSnakeCase(array).toArray(), convertedArray);
    EXPECT_EQ(convertKeysFromSnakeCase(QJsonValue(QStringLiteral("a_b"))), QJsonValue(QStringLiteral("a_b")));
}

TEST(BackendSnakeCaseKeys, KeyWrittenInCamelCaseWinsACollision)
{
    const QJsonObject out =
        convertKeysFromSnakeCase(object(R"({"user_id":"from-snake","userId":"from-camel","zz_top":1})"))
            .toObject();
    EXPECT_EQ(out.value(QStringLiteral("userId")), QJsonValue(QStringLiteral("from-camel")));
    EXPECT_EQ(keysOf(out), "userId,zzTop");

    // Here the snake-case key is met first, whatever the object's own key order.
    QJsonObject accented;
    accented.insert(QString::fromUtf8("prix_\u00e9t\u00e9"), QStringLiteral("from-snake"));
    accented.insert(QString::fromUtf8("prix\u00c9t\u00e9"), QStringLiteral("from-camel"));
    EXPECT_EQ(convertKeysFromSnakeCase(accented).toObject(),
              QJsonObject({{QString::fromUtf8("prix\u00c9t\u00e9"), QStringLiteral("from-camel")}}));
}

TEST(BackendSnakeCaseKeys, ListAnswersDecodeTheSameInEitherKeyForm)
{
    const QJsonObject snake = object(
        R"({"total":1,"shows":[{"id":"s1","user_id":"u1","title":"Friday","channel_id":"whatnot",
            "status":"completed","label_mode":"grouped","started_at":"2024-05-03T18:00:00Z",
            "ended_at":"2024-05-03T20:00:00Z","created_at":"2024-05-03T17:59:00Z",
            "updated_at":"2024-05-03T20:00:01Z","item_count":12,"auction_count":10}]})");
    const QJsonObject camel{{QStringLiteral("total"), 1},
                            {QStringLiteral("shows"), QJsonArray{object(kShowA)}}};

    const auto fromSnake = ShowListResponse::fromJson(convertKeysFromSnakeCase(snake).toObject());
    const auto fromCamel = ShowListResponse::fromJson(convertKeysFromSnakeCase(camel).toObject());
    EXPECT_EQ(fromSnake, fromCamel);
    EXPECT_EQ(fromSnake.shows.value(0), fullSummary());

    const QJsonObject auction = object(
        R"({"auctions":[{"id":"a","show_id":"s","winner_username":"w","sale_price":"1","created_at":"x"}],
            "stats":{"auction_count":1,"revenue":"1","unique_buyers":1}})");
    EXPECT_EQ(ShowAuctionsResponse::fromJson(convertKeysFromSnakeCase(auction).toObject())
                  .auctions.value(0)
                  .winnerUsername,
              QStringLiteral("w"));
    // Other answers are read without conversion: the snake-case key fills nothing.
    EXPECT_THROW(
        ServerAuction::fromJson(auction.value(QStringLiteral("auctions")).toArray().at(0).toObject()),
        json::DecodeError);
}
