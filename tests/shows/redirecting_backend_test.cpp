// A backend, or a proxy before it, that sends each request which creates or changes
// something on to its own address plus "/": the redirect is a refusal, never a
// change taken as done by the answer to some other request.
#include "backend/show_sync_service.h"
#include "bare_http_server.h"
#include "fake_sleeper.h"
#include "run_sync.h"
#include "standin_home_fixture.h"

#include <algorithm>

using namespace quill;
using namespace quill::testing;

namespace {

const QByteArray kShow =
    R"({"id":"s1","userId":"u1","title":"Friday cards","channelId":"whatnot","status":"live",)"
    R"("createdAt":"2026-01-01T10:00:00Z","updatedAt":"2026-01-01T10:00:00Z"})";

class RedirectingBackend : public StandinHomeFixture
{
protected:
    void SetUp() override
    {
        StandinHomeFixture::SetUp();
        m_client.setBearerToken(QStringLiteral("token"));
    }

    // Answers as the backend does, except that while `m_redirect` is set a request that
    // is not a GET is redirected to its own path plus "/". Every answer to a GET other
    // than the show list would also decode as the answer to a change.
    void answer(QTcpSocket *socket, const QByteArray &head)
    {
        const QList<QByteArray> line = head.left(head.indexOf("\r\n")).split(' ');
        const QByteArray method = line.value(0);
        const QByteArray path = line.value(1);
        QByteArray out;
        if (!m_redirect.isEmpty() && method != "GET" && !path.endsWith('/')) {
            out = "HTTP/1.1 " + m_redirect + "\r\nLocation: " + path +
                  "/\r\nContent-Length: 0\r\n"
                  "Connection: close\r\n\r\n";
        } else if (method == "DELETE") {
            out = "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n";
        } else {
            QByteArray body = R"({"show":)" + kShow + "}";
            if (method == "GET" && path.startsWith("/api/shows?"))
                body = R"({"shows":[],"total":0})";
            if (method == "POST" && path.contains("/auctions"))
                ++m_uploads;
            out = okHead("Content-Length: " + QByteArray::number(body.size()) + "\r\n") + body;
        }
        socket->write(out);
        socket->disconnectFromHost();
    }

    qsizetype headsOf(const QByteArray &start) const
    {
        return std::count_if(m_server.heads().cbegin(), m_server.heads().cend(),
                             [&](const QByteArray &head) { return head.startsWith(start); });
    }

    BareServer m_server{[this](QTcpSocket *socket, const QByteArray &head) { answer(socket, head); }};
    ZavAPIClient m_client{m_server.url()};
    HeldSleeper m_sleeper;
    QByteArray m_redirect; // status line; empty: no redirects
    int m_uploads = 0;     // auctions the backend took
};

TEST_F(RedirectingBackend, AChangeIsNeverRedirectedAndTheWinWaitsForTheBackend)
{
    AuctionUpload win;
    win.id = QStringLiteral("cap-1");
    win.winnerUsername = QStringLiteral("buyer1");
    win.salePrice = *Decimal::fromString(QStringLiteral("12.5"));
    CreateAuctionRequest upload;
    upload.winnerUsername = win.winnerUsername;
    upload.salePrice = QStringLiteral("12.5");
    upload.source = QStringLiteral("sync");
    const QString id = QStringLiteral("s1");

    for (const QByteArray status : {"301 Moved Permanently", "302 Found", "303 See Other",
                                    "307 Temporary Redirect", "308 Permanent Redirect"}) {
        SCOPED_TRACE(status.toStdString());
        const QString refused = QStringLiteral("HTTP ") + QString::fromLatin1(status.left(3));
        m_redirect.clear();
        m_uploads = 0;
        const qsizetype reports = headsOf("POST /api/onboarding/");
        ShowSyncService service(*m_settings, m_sleeper);
        service.setApi(&m_client);
        service.setActiveStreamId(QStringLiteral("stream-1"));
        runSync(service.startShow(QStringLiteral("Friday cards"), QStringLiteral("grouped")));
        ASSERT_EQ(service.activeShowId(), id);
        // The start's onboarding report is on its way by itself; let it arrive first.
        ASSERT_TRUE(eventually([&] { return headsOf("POST /api/onboarding/") > reports; }));

        m_redirect = status;
        const qsizetype sent = m_server.heads().size();
        EXPECT_EQ(errorOf([&] {
                      runSync(m_client.createShow(QStringLiteral("Friday cards"), QStringLiteral("whatnot"),
                                                  QStringLiteral("grouped")));
                  }),
                  refused);
        EXPECT_EQ(errorOf([&] { runSync(m_client.updateShowStatus(id, QStringLiteral("live"))); }), refused);
        EXPECT_EQ(errorOf([&] { runSync(m_client.createAuction(upload, id)); }), refused);
        EXPECT_EQ(errorOf([&] { runSync(m_client.updateShowStatus(id, QStringLiteral("completed"))); }),
                  refused);
        EXPECT_EQ(errorOf([&] { runSync(m_client.deleteShow(id, true)); }), refused);
        EXPECT_EQ(m_server.heads().size(), sent + 5); // nothing was sent on to the new place

        // The win is refused too: it stays pending, waiting out its back-off.
        service.syncAuctions({win});
        ASSERT_TRUE(eventually([&] { return m_sleeper.heldCount() == 1; }));
        EXPECT_EQ(service.pendingUploadCount(), 1);

        m_redirect.clear();
        m_sleeper.releaseAll();
        ASSERT_TRUE(eventually([&] { return service.pendingUploadCount() == 0 && !service.isUploading(); }));
        EXPECT_EQ(m_uploads, 1);
        EXPECT_EQ(m_sleeper.heldCount(), 0);
    }
}

} // namespace
