// The backend client against servers that answer in ways the backend never would:
// a redirect elsewhere, an answer that never ends, an answer that trickles.
#include "backend/zav_api_client.h"
#include "bare_http_server.h"
#include "run_sync.h"
#include "standin_backend.h"

#include <gtest/gtest.h>

using namespace quill;
using quill::testing::BareServer;
using quill::testing::errorOf;
using quill::testing::okHead;
using quill::testing::runSync;
using quill::testing::trickle;
using namespace std::chrono_literals;

namespace {

const QByteArray kUserAnswer = R"({"user":{"id":"u1","email":"ava@example.com","name":"Ava"}})";

void answerUser(QTcpSocket *socket, const QByteArray &)
{
    socket->write(okHead("Content-Length: " + QByteArray::number(kUserAnswer.size()) + "\r\n") + kUserAnswer);
    socket->disconnectFromHost();
}

} // namespace

TEST(HostileAnswers, ARedirectToAnotherServerIsNotFollowedAndTheTokenStaysHome)
{
    BareServer elsewhere(answerUser);
    const QByteArray location = elsewhere.url(QStringLiteral("api/auth/me")).toEncoded();
    for (const QByteArray status : {"301 Moved Permanently", "302 Found", "303 See Other",
                                    "307 Temporary Redirect", "308 Permanent Redirect"}) {
        SCOPED_TRACE(status.toStdString());
        BareServer backend([&](QTcpSocket *socket, const QByteArray &) {
            socket->write("HTTP/1.1 " + status + "\r\nLocation: " + location +
                          "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
        });
        ZavAPIClient client(backend.url());
        client.setBearerToken(QStringLiteral("secret-token"));
        const QString code = QString::fromLatin1(status.left(3));
        EXPECT_EQ(errorOf([&] { runSync(client.fetchCurrentUser()); }), QStringLiteral("HTTP ") + code);
        EXPECT_EQ(errorOf([&] { runSync(client.fetchShows(std::nullopt, 50)); }),
                  QStringLiteral("HTTP ") + code);
        EXPECT_EQ(errorOf([&] {
                      runSync(client.createShow(QStringLiteral("t"), QStringLiteral("whatnot"),
                                                QStringLiteral("both")));
                  }),
                  QStringLiteral("HTTP ") + code);
        EXPECT_EQ(backend.heads().size(), 3);
    }
    EXPECT_TRUE(elsewhere.heads().isEmpty()) << elsewhere.heads().first().toStdString();
}

TEST(HostileAnswers, ARedirectWithinTheBackendIsStillFollowed)
{
    BareServer backend([&](QTcpSocket *socket, const QByteArray &head) {
        if (head.startsWith("GET /api/auth/me ")) {
            socket->write("HTTP/1.1 302 Found\r\nLocation: /api/auth/me/again\r\nContent-Length: 0\r\n"
                          "Connection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        answerUser(socket, head);
    });
    ZavAPIClient client(backend.url());
    client.setBearerToken(QStringLiteral("secret-token"));
    EXPECT_EQ(runSync(client.fetchCurrentUser()).id, QStringLiteral("u1"));
    ASSERT_GE(backend.heads().size(), 2);
    EXPECT_TRUE(backend.heads().first().startsWith("GET /api/auth/me "));
    EXPECT_TRUE(backend.heads().last().startsWith("GET /api/auth/me/again "));
    EXPECT_TRUE(backend.heads().last().contains("Authorization: Bearer secret-token"));
}

TEST(HostileAnswers, AnAnswerPastTheLimitIsCutOffAsItArrives)
{
    // An answer without a length that streams one JSON string: without a limit it
    // is read whole before it fails to parse.
    constexpr qint64 kEndless = 16 * 1024 * 1024;
    qint64 written = 0;
    BareServer endless([&](QTcpSocket *socket, const QByteArray &) {
        socket->write(okHead() + R"({"user":")");
        const QByteArray chunk(64 * 1024, 'x');
        const auto more = [socket, chunk, &written] {
            if (written >= kEndless) {
                socket->disconnectFromHost();
                return;
            }
            if (socket->bytesToWrite() < chunk.size()) {
                socket->write(chunk);
                written += chunk.size();
            }
        };
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
    });
    ZavAPIClient client(endless.url());
    client.setBearerToken(QStringLiteral("t"));
    client.setAnswerLimit(1024 * 1024);
    try {
        runSync(client.fetchShows(std::nullopt, 50));
        ADD_FAILURE() << "an endless answer was accepted";
    } catch (const NetworkError &e) {
        EXPECT_FALSE(e.timedOut());
        EXPECT_EQ(e.message(), QStringLiteral("The backend's answer to GET api/shows is larger than 1 MB; it "
                                              "was not read."));
    } catch (const Error &e) {
        ADD_FAILURE() << "read past the limit: " << e.message().toStdString();
    }

    // An answer that declares more than the limit is refused before its body is read.
    BareServer declared([](QTcpSocket *socket, const QByteArray &) {
        socket->write(okHead("Content-Length: 1073741824\r\n") + "{");
    });
    ZavAPIClient declaredClient(declared.url());
    declaredClient.setBearerToken(QStringLiteral("t"));
    declaredClient.setAnswerLimit(1024 * 1024);
    declaredClient.setTimeout(5s);
    EXPECT_EQ(
        errorOf([&] { runSync(declaredClient.fetchShowAuctions(QStringLiteral("s1"))); }),
        QStringLiteral("The backend's answer to GET api/shows/s1/auctions is larger than 1 MB; it was not "
                       "read."));

    // A refusal keeps its status however long its page is.
    BareServer refusal([](QTcpSocket *socket, const QByteArray &) {
        socket->write("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 1073741824\r\n\r\n<html>");
    });
    ZavAPIClient refusalClient(refusal.url());
    refusalClient.setBearerToken(QStringLiteral("t"));
    refusalClient.setAnswerLimit(1024 * 1024);
    refusalClient.setTimeout(5s);
    EXPECT_EQ(errorOf([&] { runSync(refusalClient.fetchCurrentUser()); }), QStringLiteral("HTTP 500"));
}

TEST(HostileAnswers, AnAnswerThatTricklesEndsAtTheDeadlineAsATimeOut)
{
    // One byte every 20 ms never lets the idle time-out fire; the whole answer
    // would take about four seconds, its head alone over one.
    const QByteArray whole =
        okHead("Content-Length: " + QByteArray::number(kUserAnswer.size()) + "\r\n") + kUserAnswer;
    BareServer trickling([&](QTcpSocket *socket, const QByteArray &) { trickle(socket, whole, 20ms); });
    BareServer bodyTrickling([&](QTcpSocket *socket, const QByteArray &) {
        socket->write(okHead("Content-Length: " + QByteArray::number(kUserAnswer.size()) + "\r\n"));
        trickle(socket, kUserAnswer, 20ms);
    });
    for (BareServer *server : {&trickling, &bodyTrickling}) {
        ZavAPIClient client(server->url());
        client.setBearerToken(QStringLiteral("t"));
        client.setTimeout(10s);
        client.setDeadline(400ms);
        try {
            runSync(client.fetchCurrentUser());
            ADD_FAILURE() << "a trickling answer was waited for to its end";
        } catch (const NetworkError &e) {
            EXPECT_TRUE(e.timedOut());
            EXPECT_EQ(e.message(),
                      QStringLiteral(
                          "The backend's answer to GET api/auth/me was not complete within 0.4 seconds."));
        }
    }

    // An answer that comes at once is untouched by the deadline.
    BareServer prompt(answerUser);
    ZavAPIClient client(prompt.url());
    client.setBearerToken(QStringLiteral("t"));
    client.setDeadline(5s);
    EXPECT_EQ(runSync(client.fetchCurrentUser()).id, QStringLiteral("u1"));
}

TEST(HostileAnswers, TheAuctionsOfATenHourShowFitTheLimitsWithRoomToSpare)
{
    // A win every five seconds for ten hours, each with a long title.
    constexpr int kWins = 7200;
    quill::standin::StandinBackend backend;
    ASSERT_NE(backend.listen(), 0);
    const QString token = backend.addUser(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
    quill::standin::StandinShow show;
    show.userId = QStringLiteral("u1");
    show.title = QStringLiteral("Ten hours of cards");
    const QString showId = backend.addShow(show);
    for (int i = 1; i <= kWins; ++i) {
        quill::standin::StandinAuction auction;
        auction.showId = showId;
        auction.winnerUsername = QStringLiteral("buyer%1").arg(i % 400);
        auction.salePrice = QStringLiteral("12.50");
        auction.auctionNumber = i;
        auction.rawTitle =
            QStringLiteral("Trading card booster box, sealed, first edition #%1 ").arg(i).repeated(4);
        backend.addAuction(auction);
    }
    ZavAPIClient client(backend.baseUrl());
    client.setBearerToken(token);
    EXPECT_EQ(runSync(client.fetchShowAuctions(showId)).auctions.size(), kWins);
}
