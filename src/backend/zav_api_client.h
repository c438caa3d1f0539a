#pragma once

#include "backend/api_records.h"
#include "common/error.h"

#include <QByteArray>
#include <QCoroTask>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QPair>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

QT_BEGIN_NAMESPACE
class QNetworkReply;
QT_END_NAMESPACE

namespace quill {

// The backend refused or could not be asked.
class APIError : public Error
{
public:
    enum class Kind { httpError, noToken, invalidResponse };

    static APIError httpError(int statusCode);
    static APIError noToken();
    static APIError invalidResponse();

    Kind kind() const { return m_kind; }
    int statusCode() const { return m_statusCode; }

private:
    APIError(Kind kind, int statusCode, QString message)
        : Error(std::move(message)), m_kind(kind), m_statusCode(statusCode)
    {
    }
    Kind m_kind;
    int m_statusCode;
};

// The backend could not be reached, or the connection failed or timed out mid-way.
class NetworkError : public Error
{
public:
    NetworkError(QString message, bool timedOut) : Error(std::move(message)), m_timedOut(timedOut) {}
    bool timedOut() const { return m_timedOut; }

private:
    bool m_timedOut;
};

// What the Apple credential tells about the person, each part possibly empty.
struct AppleSignInUser
{
    std::optional<QString> email;
    std::optional<QString> givenName;
    std::optional<QString> familyName;
};

// The one REST client of the maker's backend: JSON over HTTP with a bearer token.
// Every operation is asynchronous and throws APIError, NetworkError or
// json::DecodeError (an identifier or token that cannot be sent: Error); nothing is
// retried, neither here nor by the network stack for a request that changes
// something, and nothing is cached here. Only a GET follows a redirect, and only to
// the same scheme, host and port, so the token never reaches another server; any
// other redirect ends in httpError with its status, so a change is never taken as
// done by the answer to some other request.
class ZavAPIClient final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ZavAPIClient)

public:
    explicit ZavAPIClient(QUrl baseURL, QObject *parent = nullptr);
    ~ZavAPIClient() override;

    const QUrl &baseURL() const { return m_baseURL; }

    // Written by the owner (sign-in); a request uses the token it read when it started.
    const std::optional<QString> &bearerToken() const { return m_bearerToken; }
    void setBearerToken(std::optional<QString> token) { m_bearerToken = std::move(token); }

    // Ends a request when no byte arrives for this long: 60 s unless a test needs to
    // see a time-out quickly.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    // Ends a request whose answer is not complete this long after it was sent, however
    // steadily bytes arrive. Two minutes: twice the idle time-out, and the largest
    // real answer (the auctions of a ten-hour show, a few megabytes) arrives in that
    // time even at 50 kB/s; a resumed show holds its new wins until its auctions are
    // in, so the wait must end and be tried again rather than last for ever.
    static constexpr std::chrono::milliseconds kDefaultDeadline{std::chrono::minutes(2)};
    void setDeadline(std::chrono::milliseconds deadline) { m_deadline = deadline; }
    // The most an answer may hold; a longer one is cut off as it arrives. The largest
    // real answer is the auctions of one show: a ten-hour show with a win every five
    // seconds has about 7,200, some 500 bytes each, under 4 MB; 64 MB leaves room for
    // long titles on every one many times over (the show list holds at most 50 shows),
    // and keeps an answer that never ends from filling memory.
    static constexpr qint64 kDefaultAnswerLimit = 64 * 1024 * 1024;
    void setAnswerLimit(qint64 bytes) { m_answerLimit = bytes; }
    // Requests sent and not yet answered.
    int requestsInFlight() const { return m_requestsInFlight; }

    QCoro::Task<ZavUser> fetchCurrentUser();
    QCoro::Task<AuthResponse> appleNativeSignIn(QString identityToken, std::optional<AppleSignInUser> user);
    QCoro::Task<AdminOverview> fetchAdminOverview();
    QCoro::Task<ServerShow> createShow(QString title, QString channelId, QString labelMode);
    // The status change is done whenever the backend says 2xx; the show comes back
    // only when the answer carries it.
    QCoro::Task<std::optional<ServerShow>> updateShowStatus(QString id, QString status);
    QCoro::Task<CreateAuctionResponse> createAuction(CreateAuctionRequest request, QString showId);
    QCoro::Task<ShowListResponse> fetchShows(std::optional<QString> status, qint64 limit);
    QCoro::Task<ShowAuctionsResponse> fetchShowAuctions(QString id);
    QCoro::Task<> deleteShow(QString id, bool force);
    QCoro::Task<OnboardingStatusResponse> fetchOnboardingStatus(QString slug);
    QCoro::Task<> completeOnboardingStep(QString slug, QString stepId);
    QCoro::Task<> completeOnboarding(QString slug);

    // One path segment made from an identifier: "/", "?", "#" and the like are
    // percent-encoded so an id can never reach another endpoint; an empty id and
    // one beginning with "." ("." and ".." above all) are refused with an Error.
    static QString pathSegment(const QString &id);

    // A session token goes into a header as it is: visible ASCII only, no white
    // space or control characters, at most kMaxTokenLength characters.
    static constexpr qsizetype kMaxTokenLength = 4096;
    static bool isWellFormedToken(const QString &token);

private:
    struct Request
    {
        QByteArray method = "GET";
        QString path; // relative, already encoded, no leading slash
        QList<QPair<QString, QString>> query;
        std::optional<QByteArray> body;
        bool authorised = true;
    };

    struct AnswerCut;

    // Sends the request and gives the body of its 2xx answer; every other outcome throws.
    QCoro::Task<QByteArray> send(Request request);
    // The steps of send().
    std::optional<QString> tokenFor(const Request &request) const;
    QUrl urlFor(const Request &request) const;
    QUrl checkedUrlFor(const Request &request) const;
    QNetworkRequest networkRequestFor(const Request &request, const QUrl &url,
                                      const std::optional<QString> &token) const;
    QNetworkReply *transmit(const Request &request, QNetworkRequest networkRequest);
    std::shared_ptr<AnswerCut> watchAnswer(QNetworkReply &reply) const;
    void checkAnswer(const QNetworkReply &reply, const AnswerCut &cut, const QString &what) const;
    void throwIfCutOff(const AnswerCut &cut, const QString &what) const;
    [[noreturn]] void throwUnanswered(const QNetworkReply &reply, const QString &what) const;
    [[noreturn]] static void throwRefusal(const QNetworkReply &reply, int code, const QString &what);
    [[noreturn]] static void throwNetworkError(const QString &message, bool timedOut);
    template <typename T>
    QCoro::Task<T> getRecord(QString path);

    QUrl m_baseURL;
    std::optional<QString> m_bearerToken;
    std::chrono::milliseconds m_timeout{std::chrono::seconds(60)};
    std::chrono::milliseconds m_deadline{kDefaultDeadline};
    qint64 m_answerLimit = kDefaultAnswerLimit;
    int m_requestsInFlight = 0;
    QNetworkAccessManager m_network;
};

} // namespace quill
