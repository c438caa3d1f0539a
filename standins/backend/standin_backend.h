#pragma once

// A small in-process HTTP server that takes the place of the maker's backend for
// tests and the local demo. State lives in memory only; answers are built from the
// wire format the application expects, independently of the application's own
// client code, so that the two can check each other.

#include "common/decimal.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>
#include <optional>

QT_BEGIN_NAMESPACE
class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponder;
class QTcpSocket;
QT_END_NAMESPACE

namespace quill::standin {

// One request exactly as it reached the server.
struct RecordedRequest
{
    QString method;                               // "GET", "POST", ...
    QString path;                                 // as received, still percent-encoded
    QList<QPair<QString, QString>> query;         // decoded items, in the order received
    QList<QPair<QByteArray, QByteArray>> headers; // names as sent by the client
    QByteArray body;

    // First header of that name (compared case-insensitively), or nothing.
    std::optional<QByteArray> header(const QByteArray &name) const;
    // Value of the first query item of that name, or nothing.
    std::optional<QString> queryValue(const QString &name) const;
};

// What goes wrong with the answer to a matching request. Build one with the
// factories; `times(n)` limits it to the next n matching requests as they arrive;
// `every(n)` applies it to every n-th matching request only (the n-th, the 2n-th, …),
// and the requests between go on to the next rule that matches, or untouched.
//
// A dropped connection: QNetworkAccessManager quietly resends a request once when
// its connection closes before any answer, unless the previous request on that
// connection failed too or its body cannot be rewound (the application's client
// sends what creates or changes something that way). To make one call of a client
// that resends fail, drop every matching request and clear the fault afterwards
// (or use times(2) when the connection has just served an answer).
struct Fault
{
    enum class Kind
    {
        Status,            // answer `statusCode` with `body` (empty by default), without handling the request
        MalformedJson,     // handle the request, then answer 200 with a body that is not JSON
        MissingKeys,       // handle the request, then leave `missingKeys` out of the top-level JSON object
        Delay,             // handle the request at once, hold the answer back for `delayMs`
        Drop,              // close the connection without answering and without handling the request
        DropAfterHandling, // handle the request, then close the connection without answering
        Hold,              // handle the request (or answer `statusCode` when set), send nothing until releaseHeld()
    };

    Kind kind = Kind::Status;
    int statusCode = 500;
    QByteArray body;
    QStringList missingKeys;
    int delayMs = 0;
    int remaining = -1; // -1: every matching request
    int period = 1;     // applies to every period-th matching request
    int matched = 0;    // matching requests seen so far (for period)

    static Fault status(int code, QByteArray body = {});
    static Fault malformedJson();
    static Fault withoutKeys(QStringList keys);
    static Fault delayed(int milliseconds);
    static Fault dropConnection();
    // statusCode 0: the real answer, held back.
    static Fault held(int statusCode = 0);
    static Fault dropAfterHandling();

    Fault times(int count) const;
    Fault every(int n) const;
};

struct StandinUser
{
    QString id;
    QString email;
    std::optional<QString> name;
    std::optional<QString> image;
};

// Times are ISO-8601 text, kept exactly as stored.
struct StandinShow
{
    QString id; // empty: one is made up when the show is added
    QString userId;
    QString title;
    QString channelId = QStringLiteral("whatnot");
    QString status = QStringLiteral("draft");
    std::optional<QString> labelMode;
    std::optional<QString> startedAt;
    std::optional<QString> endedAt;
    QString createdAt; // empty: now
    QString updatedAt; // empty: createdAt
};

struct StandinAuction
{
    QString id; // empty: one is made up when the auction is added
    QString showId;
    QString winnerUsername;
    QString salePrice; // decimal text
    std::optional<qint64> auctionNumber;
    std::optional<QString> rawTitle;
    std::optional<QString> source;
    QString createdAt; // empty: now
};

struct OnboardingProgress
{
    QStringList completedSteps;
    bool completed = false;
    std::optional<QString> completionEvent;
};

class StandinBackend final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StandinBackend)

public:
    explicit StandinBackend(QObject *parent = nullptr);
    ~StandinBackend() override;

    // Listens on 127.0.0.1 only; port 0 lets the system choose. Returns the port,
    // 0 on failure. A second call returns the port already in use.
    quint16 listen(quint16 port = 0);
    quint16 port() const { return m_port; }
    QUrl baseUrl() const; // "http://127.0.0.1:<port>"

    // --- seeding -------------------------------------------------------------
    // Adds (or replaces) a user and returns a fresh bearer token for it.
    QString addUser(const QString &id, const QString &email, std::optional<QString> name = {},
                    std::optional<QString> image = {});
    // A new token for an existing user; empty when there is no such user.
    QString issueToken(const QString &userId);
    void revokeToken(const QString &token);
    // Users with one of these e-mail addresses may read the staff statistics.
    void addStaffEmail(const QString &email);
    // Returns the id of the stored show / auction. The show of an auction must exist.
    QString addShow(StandinShow show);
    QString addAuction(StandinAuction auction);

    // --- inspection ----------------------------------------------------------
    QList<StandinUser> users() const;
    std::optional<StandinUser> user(const QString &id) const;
    QList<StandinShow> shows(const QString &userId) const; // newest first
    std::optional<StandinShow> show(const QString &showId) const;
    QList<StandinAuction> auctions(const QString &showId) const; // oldest first
    OnboardingProgress onboarding(const QString &userId, const QString &slug) const;

    // --- test support --------------------------------------------------------
    QList<RecordedRequest> requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

    // `method` is compared case-insensitively ("*" matches any); `pathPattern` is an
    // exact path as received (percent-encoded) or a prefix followed by "*". Setting a
    // fault for the same method and pattern again replaces it; the first pattern set
    // wins when several match (a rule whose every(n) turn it is not lets the request
    // go on to the next).
    void setFault(const QString &method, const QString &pathPattern, Fault fault);
    void clearFaults() { m_faults.clear(); }
    // Sends every answer held back by a Hold fault, in the order the requests came.
    void releaseHeld();
    int heldCount() const { return int(m_held.size()); }
    // Replaces the "stats" object the staff route `which` ("subscribers", "shows",
    // "revenue") answers with.
    void setStaffStatistics(const QString &which, const QJsonObject &stats);

private:
    struct Answer;
    struct FaultRule
    {
        QString method;
        QString pattern;
        Fault fault;
    };
    struct StoredShow
    {
        StandinShow show;
        quint64 sequence = 0; // ties between equal creation times: later is newer
    };

    void handle(const QHttpServerRequest &request, QHttpServerResponder &&responder);
    std::optional<Fault> takeFault(const QString &method, const QString &path);
    Answer dispatch(const QString &method, const QStringList &segments, const RecordedRequest &request);

    std::optional<QString> authenticate(const RecordedRequest &request) const;
    bool isStaff(const QString &userId) const;

    Answer me(const QString &userId) const;
    Answer appleNative(const RecordedRequest &request);
    Answer googleSignInPage(const RecordedRequest &request) const;
    Answer mobileCallback(const RecordedRequest &request);
    Answer staffStatistics(const QString &which) const;
    Answer createShow(const QString &userId, const RecordedRequest &request);
    Answer listShows(const QString &userId, const RecordedRequest &request) const;
    Answer updateShow(const QString &userId, const QString &showId, const RecordedRequest &request);
    Answer deleteShow(const QString &userId, const QString &showId, const RecordedRequest &request);
    Answer createAuction(const QString &userId, const QString &showId, const RecordedRequest &request);
    Answer listAuctions(const QString &userId, const QString &showId) const;
    Answer onboardingStatus(const QString &userId, const QString &slug) const;
    Answer updateOnboarding(const QString &userId, const QString &slug, const RecordedRequest &request);

    StoredShow *ownedShow(const QString &userId, const QString &showId);
    const StoredShow *ownedShow(const QString &userId, const QString &showId) const;

    static void send(QTcpSocket *socket, const Answer &answer);

    std::unique_ptr<QHttpServer> m_server;
    quint16 m_port = 0;

    QList<StandinUser> m_users;       // in the order added: the sign-in page lists them so
    QHash<QString, QString> m_tokens; // token -> user id
    QSet<QString> m_staffEmails;
    QHash<QString, StoredShow> m_shows;
    QHash<QString, QList<StandinAuction>> m_auctions;                // show id -> auctions
    // Kept as auctions are added, so that an upload costs the same at a show's 2,000th
    // auction as at its first: each winner's auctions by position, and the exact sum of
    // the prices (none once one could not be summed).
    struct AuctionIndex
    {
        QMultiHash<QString, qsizetype> byWinner;
        std::optional<Decimal> revenue = Decimal();
    };
    QHash<QString, AuctionIndex> m_auctionIndex; // show id -> index of m_auctions
    QHash<QString, QHash<QString, OnboardingProgress>> m_onboarding; // user id -> slug -> progress
    quint64 m_nextSequence = 0;

    QList<RecordedRequest> m_requests;
    QList<FaultRule> m_faults;
    QList<QPair<QPointer<QTcpSocket>, std::shared_ptr<Answer>>> m_held;
    QHash<QString, QJsonObject> m_staffStatistics;
};

} // namespace quill::standin
