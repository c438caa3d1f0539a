// A backend whose answers trickle in a byte at a time never lets the idle time-out
// fire: a show's start and a resumed show's auction fetch still end, as a time-out
// does, instead of waiting for ever.
#include "backend/show_history_store.h"
#include "backend/show_sync_service.h"
#include "bare_http_server.h"
#include "fake_sleeper.h"
#include "run_sync.h"
#include "standin_home_fixture.h"

using namespace quill;
using namespace quill::testing;
using namespace std::chrono_literals;

namespace {

const QByteArray kTricklingShow =
    R"({"id":"s1","userId":"u1","title":"Friday cards","channelId":"whatnot",)"
    R"("status":"live","createdAt":"2026-01-01T10:00:00Z","updatedAt":"2026-01-01T10:00:00Z"})";

QByteArray answer(const QByteArray &body)
{
    return okHead("Content-Length: " + QByteArray::number(body.size()) + "\r\n") + body;
}

// Lists no live show at once; every other answer is a whole, valid one, sent a byte
// every 50 ms (ten seconds or so each).
void trickleAll(QTcpSocket *socket, const QByteArray &head)
{
    if (head.startsWith("GET /api/shows?")) {
        socket->write(answer(R"({"shows":[],"total":0})"));
        socket->disconnectFromHost();
        return;
    }
    const QByteArray body =
        head.startsWith("GET ")
            ? QByteArray(R"({"auctions":[],"stats":{"auctionCount":0,"revenue":"0","uniqueBuyers":0}})")
            : QByteArray(R"({"show":)" + kTricklingShow + "}");
    trickle(socket, answer(body), 50ms);
}

class TricklingBackend : public StandinHomeFixture
{
protected:
    void SetUp() override
    {
        StandinHomeFixture::SetUp();
        m_client.setBearerToken(QStringLiteral("token"));
        // Long enough for the list, answered at once, on a loaded machine.
        m_client.setDeadline(1500ms);
    }

    BareServer m_server{trickleAll};
    ZavAPIClient m_client{m_server.url()};
    FakeSleeper m_sleeper;
};

TEST_F(TricklingBackend, AShowStartEndsAsATimeOutDoes)
{
    ShowSyncService service(*m_settings, m_sleeper);
    service.setApi(&m_client);
    service.setActiveStreamId(QStringLiteral("stream-1"));
    runSync(service.startShow(QStringLiteral("Friday cards"), QStringLiteral("grouped")));
    EXPECT_TRUE(service.activeShowId().isEmpty());
    EXPECT_FALSE(service.isSyncing());
    EXPECT_EQ(service.syncError(),
              QStringLiteral("Failed to create show: The backend's answer to POST api/shows "
                             "was not complete within 1.5 seconds."));
}

TEST_F(TricklingBackend, AResumedShowsAuctionFetchEndsWithoutAnAnswer)
{
    // What a resumed show waits on before it takes its wins up again: no answer
    // sends it to its retries.
    ShowHistoryStore store;
    store.setApi(&m_client);
    EXPECT_EQ(runSync(store.fetchShowAuctions(QStringLiteral("s1"))), std::nullopt);
    EXPECT_EQ(m_client.requestsInFlight(), 0);
}

} // namespace
