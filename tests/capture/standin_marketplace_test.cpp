// The stand-in marketplace: its HTTP answers, and its live page in a real
// browser engine (activity appearing over time, the Sold tab loading as it
// scrolls, the large page the benchmarks read).

#include "capture_fixture.h"
#include "standin_marketplace.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace quill {
namespace {

using standin::MarketplaceBid;
using standin::MarketplaceWin;
using standin::SoldRow;
using testing::eventually;

struct Reply
{
    int status = 0;
    QByteArray body;
    QByteArray location;
    QByteArray setCookie;
};

class StandinMarketplaceTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(m_marketplace.listen(), 0); }

    Reply send(const QString &path, const QByteArray &cookie = {}, const std::optional<QByteArray> &form = {})
    {
        QNetworkRequest request(QUrl(m_marketplace.baseUrl().toString() + path));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        if (!cookie.isEmpty())
            request.setRawHeader("Cookie", cookie);
        QNetworkReply *reply = nullptr;
        if (form) {
            request.setHeader(QNetworkRequest::ContentTypeHeader,
                              QByteArrayLiteral("application/x-www-form-urlencoded"));
            reply = m_network.post(request, *form);
        } else {
            reply = m_network.get(request);
        }
        EXPECT_TRUE(eventually([&] { return reply->isFinished(); }));
        Reply result;
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.body = reply->readAll();
        result.location = reply->rawHeader("Location");
        result.setCookie = reply->rawHeader("Set-Cookie");
        reply->deleteLater();
        return result;
    }
    static QByteArray sessionCookie(const Reply &reply) { return reply.setCookie.split(';').value(0); }

    standin::StandinMarketplace m_marketplace;
    QNetworkAccessManager m_network;
};

TEST_F(StandinMarketplaceTest, TheLoginFormSignsInWithAPersistentCookie)
{
    const Reply loggedOut = send(QStringLiteral("/"));
    EXPECT_TRUE(loggedOut.body.contains("href=\"/login\""));
    EXPECT_FALSE(loggedOut.body.contains("user-avatar"));

    const Reply login =
        send(QStringLiteral("/login"), {}, QByteArray("username=ava&password=x&next=%2Flive%2Fs1"));
    EXPECT_EQ(login.status, 302);
    EXPECT_EQ(login.location, QByteArray("/live/s1"));
    EXPECT_TRUE(login.setCookie.startsWith("mp_session="));
    EXPECT_TRUE(login.setCookie.contains("Max-Age=31536000"));
    EXPECT_EQ(m_marketplace.signedInUsers(), QStringList{QStringLiteral("ava")});

    const Reply loggedIn = send(QStringLiteral("/live/s1"), sessionCookie(login));
    EXPECT_TRUE(loggedIn.body.contains("data-testid=\"user-avatar\""));
    EXPECT_TRUE(loggedIn.body.contains("aria-label=\"Profile\""));
    EXPECT_FALSE(loggedIn.body.contains("href=\"/login\""));
    EXPECT_TRUE(m_marketplace.requests().constLast().loggedIn);

    // Forced states win over the cookie; ended sessions no longer count.
    m_marketplace.setLoggedIn(false);
    EXPECT_FALSE(send(QStringLiteral("/"), sessionCookie(login)).body.contains("user-avatar"));
    m_marketplace.setLoggedIn(std::nullopt);
    m_marketplace.endAllSessions();
    EXPECT_FALSE(send(QStringLiteral("/"), sessionCookie(login)).body.contains("user-avatar"));
    m_marketplace.setLoggedIn(true);
    EXPECT_TRUE(send(QStringLiteral("/")).body.contains("user-avatar"));
}

TEST_F(StandinMarketplaceTest, TheLoginFormRefusesEmptyFieldsAndForeignRedirects)
{
    const Reply empty = send(QStringLiteral("/login"), {}, QByteArray("username=ava&password="));
    EXPECT_EQ(empty.status, 200);
    EXPECT_TRUE(empty.setCookie.isEmpty());
    EXPECT_TRUE(empty.body.contains("type=\"password\""));

    for (const QByteArray &next :
         {QByteArray("%2F%2Fevil.example%2F"), QByteArray("https%3A%2F%2Fevil.example%2F")}) {
        const Reply login = send(QStringLiteral("/login"), {}, "username=ava&password=x&next=" + next);
        EXPECT_EQ(login.location, QByteArray("/"));
    }
}

TEST_F(StandinMarketplaceTest, ServesActivityAfterASequenceNumber)
{
    m_marketplace.addBid(QStringLiteral("s1"),
                         MarketplaceBid{QStringLiteral("bob"), QStringLiteral("bid $25"), {}});
    m_marketplace.addWin(
        QStringLiteral("s1"),
        MarketplaceWin{QStringLiteral("alice"), QStringLiteral("Card"), 12, QStringLiteral("1,250.50"), {}});
    QSignalSpy synced(&m_marketplace, &standin::StandinMarketplace::pageSynced);

    QJsonObject answer =
        QJsonDocument::fromJson(send(QStringLiteral("/api/live/s1/events?after=0")).body).object();
    const QJsonArray events = answer.value(QLatin1String("events")).toArray();
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events.at(1).toObject().value(QLatin1String("price")), QJsonValue(QStringLiteral("1,250.50")));
    EXPECT_TRUE(events.at(1)
                    .toObject()
                    .value(QLatin1String("avatarURL"))
                    .toString()
                    .endsWith(QStringLiteral("/avatars/alice.png")));
    const qint64 last = answer.value(QLatin1String("last")).toInteger();
    ASSERT_EQ(synced.size(), 1);
    EXPECT_EQ(synced.at(0).at(1).toLongLong(), last);

    answer =
        QJsonDocument::fromJson(send(QStringLiteral("/api/live/s1/events?after=%1").arg(last)).body).object();
    EXPECT_TRUE(answer.value(QLatin1String("events")).toArray().isEmpty());
    // Streams are separate.
    answer = QJsonDocument::fromJson(send(QStringLiteral("/api/live/s2/events?after=0")).body).object();
    EXPECT_TRUE(answer.value(QLatin1String("events")).toArray().isEmpty());
}

TEST_F(StandinMarketplaceTest, ServesSoldRowsInRanges)
{
    QList<SoldRow> rows;
    for (int i = 1; i <= 20; ++i)
        rows.append(SoldRow{
            QStringLiteral("Lot %1").arg(i), QStringLiteral("buyer%1").arg(i), QStringLiteral("5"), i, {}});
    m_marketplace.setSoldRows(QStringLiteral("s1"), rows);

    const QJsonObject answer =
        QJsonDocument::fromJson(send(QStringLiteral("/api/live/s1/sold?offset=16&limit=8")).body).object();
    EXPECT_EQ(answer.value(QLatin1String("total")), QJsonValue(20));
    const QJsonArray served = answer.value(QLatin1String("rows")).toArray();
    ASSERT_EQ(served.size(), 4);
    EXPECT_EQ(served.at(0).toObject().value(QLatin1String("title")), QJsonValue(QStringLiteral("Lot 17")));
    EXPECT_EQ(m_marketplace.soldRowsServed(QStringLiteral("s1")), 20);

    EXPECT_EQ(send(QStringLiteral("/api/live/s1/sold?offset=-1&limit=8")).status, 400);
    EXPECT_EQ(send(QStringLiteral("/api/live/s1/sold?offset=0")).status, 400);
}

TEST_F(StandinMarketplaceTest, PageTextFromTestsCannotBreakOutOfThePage)
{
    m_marketplace.setStreamTitle(QStringLiteral("s1"), QStringLiteral("<b>Breaks</b>"));
    m_marketplace.addWin(QStringLiteral("s1"),
                         MarketplaceWin{QStringLiteral("eve"),
                                        QStringLiteral("</script><script>bad()</script>"),
                                        1,
                                        QStringLiteral("5"),
                                        {}});
    const Reply page = send(QStringLiteral("/live/s1"));
    EXPECT_EQ(page.status, 200);
    EXPECT_FALSE(page.body.contains("</script><script>bad()")); // the JSON cannot close its script element
    EXPECT_FALSE(page.body.contains("<b>Breaks</b>"));
    EXPECT_EQ(send(QStringLiteral("/live/s1/extra")).status, 404);
}

// --- the live page in a browser engine ---------------------------------------------------

class WebEngineStandinMarketplaceTest : public testing::MarketplaceFixture
{
protected:
    int count(const QString &selector)
    {
        return runScript(QStringLiteral("return document.querySelectorAll('%1').length;").arg(selector))
            .toInt(-1);
    }
};

TEST_F(WebEngineStandinMarketplaceTest, ActivityAppearsWhileThePageIsOpen)
{
    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    EXPECT_EQ(count(QStringLiteral(".win-notice")), 0);

    marketplace().addWin(
        QStringLiteral("s1"),
        MarketplaceWin{
            QStringLiteral("alice"), QStringLiteral("Vintage card"), 12, QStringLiteral("1,250.50"), {}});
    marketplace().addBid(QStringLiteral("s1"),
                         MarketplaceBid{QStringLiteral("bob"), QStringLiteral("bid $25"), {}});
    // The page fetches by itself.
    ASSERT_TRUE(eventually([&] { return count(QStringLiteral(".chat-row")) == 2; }));
    EXPECT_EQ(runScript(QStringLiteral("return document.querySelector('.win-notice').textContent;")),
              QJsonValue(QStringLiteral("alice won! Vintage card #12$1,250.50")));
    EXPECT_EQ(runScript(QStringLiteral("return document.querySelector('.bid-row').textContent;")),
              QJsonValue(QStringLiteral("bob bid $25")));

    // A test can also have the activity rendered at once.
    marketplace().addWin(
        QStringLiteral("s1"),
        MarketplaceWin{
            QStringLiteral("carol"), QStringLiteral("Slab"), std::nullopt, QStringLiteral("7"), {}});
    const int rendered = syncPage();
    EXPECT_LE(rendered, 1); // the page's own fetch may have come first
    EXPECT_EQ(count(QStringLiteral(".win-notice")), 2);
}

TEST_F(WebEngineStandinMarketplaceTest, TheSoldTabLoadsRowsAsTheLastOneScrollsIntoView)
{
    QList<SoldRow> rows;
    for (int i = 1; i <= 30; ++i)
        rows.append(SoldRow{
            QStringLiteral("Lot %1").arg(i), QStringLiteral("buyer%1").arg(i), QStringLiteral("5"), i, {}});
    marketplace().setSoldRows(QStringLiteral("s1"), rows);
    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    EXPECT_EQ(runScript(QStringLiteral("return document.getElementById('sold-tab').textContent;")),
              QJsonValue(QStringLiteral("Sold (30)")));

    runScript(QStringLiteral("document.getElementById('sold-tab').click(); return true;"));
    ASSERT_TRUE(eventually([&] { return count(QStringLiteral(".sold-row")) >= 8; }));
    EXPECT_LT(count(QStringLiteral(".sold-row")), 30); // the rest waits for scrolling

    for (int pass = 0; pass < 20 && count(QStringLiteral(".sold-row")) < 30; ++pass) {
        const int before = count(QStringLiteral(".sold-row"));
        runScript(QStringLiteral("var rows = document.querySelectorAll('.sold-row');"
                                 "rows[rows.length - 1].scrollIntoView({block: 'end'}); return true;"));
        eventually([&] { return count(QStringLiteral(".sold-row")) > before; }, std::chrono::seconds(5));
    }
    EXPECT_EQ(count(QStringLiteral(".sold-row")), 30);
    EXPECT_EQ(marketplace().soldRowsServed(QStringLiteral("s1")), 30);
    EXPECT_EQ(runScript(QStringLiteral("return document.querySelectorAll('.sold-row')[29].innerText;")),
              QJsonValue(QStringLiteral("Lot 30\n#30 \u00b7 $5\nBuyer: buyer30")));
}

TEST_F(WebEngineStandinMarketplaceTest, TheLargeShowPageHoldsEveryRow)
{
    marketplace().addSampleActivity(QStringLiteral("big"), 5000, 200);
    ASSERT_TRUE(openStream(QStringLiteral("big")));
    EXPECT_EQ(count(QStringLiteral(".bid-row")), 5000);
    EXPECT_EQ(count(QStringLiteral(".win-notice")), 200);
    // Every notice names a distinct auction number.
    EXPECT_EQ(runScript(QStringLiteral(
                  "var seen = {}; document.querySelectorAll('.win-title').forEach(function (t) {"
                  "seen[t.textContent.split('#')[1]] = 1; }); return Object.keys(seen).length;")),
              QJsonValue(200));
}

} // namespace
} // namespace quill
