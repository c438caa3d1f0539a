#include "backend/zav_api_client.h"

#include "common/json.h"
#include "common/logging.h"

#include <QCoroNetworkReply>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrlQuery>

#include <algorithm>
#include <cstring>
#include <memory>

namespace quill {

namespace {

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonValue orNull(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// Answers are decoded strictly; a failure names the request it belongs to.
template <typename T>
T decodeAnswer(const QByteArray &body, const QString &what, bool snakeCase)
{
    try {
        QJsonObject object = json::parseObject(body, QStringLiteral("The answer"));
        if (snakeCase)
            object = convertKeysFromSnakeCase(object).toObject();
        return T::fromJson(object);
    } catch (const json::DecodeError &error) {
        throw json::DecodeError(
            QStringLiteral("Unexpected answer from the backend to %1: %2").arg(what, error.message()));
    }
}

// A request body the network stack can send once and never again. The stack
// resends a request by itself when its connection closes before an answer; for a
// request that creates or changes something the backend may already have acted
// on it, so the resend must fail instead (its rewind is refused) and the caller
// gets the network error.
class OneShotBody final : public QIODevice
{
public:
    explicit OneShotBody(QByteArray data) : m_data(std::move(data)) { open(QIODevice::ReadOnly); }

    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 bytesAvailable() const override { return m_data.size() - m_read + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_read >= m_data.size())
            return -1;
        const qint64 count = std::min<qint64>(maxSize, m_data.size() - m_read);
        std::memcpy(data, m_data.constData() + m_read, static_cast<size_t>(count));
        m_read += count;
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_read = 0;
};

bool changesSomething(const QByteArray &method)
{
    return method != "GET" && method != "HEAD" && method != "OPTIONS";
}

} // namespace

// What cut an answer off, shared with the reply's handlers, which may outlive the
// request when it is dropped.
struct ZavAPIClient::AnswerCut
{
    bool pastDeadline = false;
    bool tooLarge = false;
    QTimer *deadline = nullptr; // a child of the reply
};

APIError APIError::httpError(int statusCode)
{
    return APIError(Kind::httpError, statusCode, QStringLiteral("HTTP %1").arg(statusCode));
}

APIError APIError::noToken()
{
    return APIError(Kind::noToken, 0, QStringLiteral("No auth token"));
}

APIError APIError::invalidResponse()
{
    return APIError(Kind::invalidResponse, 0, QStringLiteral("Invalid response"));
}

ZavAPIClient::ZavAPIClient(QUrl baseURL, QObject *parent) : QObject(parent), m_baseURL(std::move(baseURL))
{
    // Answers are the backend's own every time.
    m_network.setCookieJar(nullptr);
}

ZavAPIClient::~ZavAPIClient() = default;

QString ZavAPIClient::pathSegment(const QString &id)
{
    // "." and ".." stay as they are when encoded (or are decoded back) and step to
    // another path; Qt's path normalisation also empties a segment such as ".x".
    // No identifier of the backend begins with a dot.
    if (id.isEmpty() || id.startsWith(QLatin1Char('.')))
        throw Error(QStringLiteral("\"%1\" cannot be used as an identifier in a backend address.").arg(id));
    return QString::fromLatin1(QUrl::toPercentEncoding(id));
}

bool ZavAPIClient::isWellFormedToken(const QString &token)
{
    if (token.isEmpty() || token.size() > kMaxTokenLength)
        return false;
    return std::all_of(token.cbegin(), token.cend(),
                       [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7f; });
}

QUrl ZavAPIClient::urlFor(const Request &request) const
{
    QByteArray address = m_baseURL.toEncoded();
    while (address.endsWith('/'))
        address.chop(1);
    address += '/' + request.path.toLatin1();
    if (!request.query.isEmpty()) {
        QUrlQuery query;
        for (const auto &item : request.query)
            query.addQueryItem(item.first, item.second);
        address += '?' + query.toString(QUrl::FullyEncoded).toLatin1();
    }
    return QUrl::fromEncoded(address, QUrl::StrictMode);
}

QCoro::Task<QByteArray> ZavAPIClient::send(Request request)
{
    // The token read now is the one this request uses.
    const std::optional<QString> token = tokenFor(request);
    const QUrl url = checkedUrlFor(request);
    const QString what = QString::fromLatin1(request.method) + QLatin1Char(' ') + request.path;

    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(
        transmit(request, networkRequestFor(request, url, token)),
        [](QNetworkReply *r) { r->deleteLater(); });
    const std::shared_ptr<AnswerCut> cut = watchAnswer(*reply);

    ++m_requestsInFlight;
    co_await qCoro(reply.get()).waitForFinished();
    --m_requestsInFlight;
    cut->deadline->stop();

    checkAnswer(*reply, *cut, what);
    co_return reply->readAll();
}

std::optional<QString> ZavAPIClient::tokenFor(const Request &request) const
{
    if (!request.authorised)
        return std::nullopt;
    if (!m_bearerToken || m_bearerToken->isEmpty())
        throw APIError::noToken();
    // A line break in the token would end the header and start one of its own.
    if (!isWellFormedToken(*m_bearerToken))
        throw Error(QStringLiteral("The session token is not well formed."));
    return m_bearerToken;
}

QUrl ZavAPIClient::checkedUrlFor(const Request &request) const
{
    const QUrl url = urlFor(request);
    if (!url.isValid())
        throw Error(QStringLiteral("The backend address %1 is not valid.").arg(url.toString()));
    return url;
}

QNetworkRequest ZavAPIClient::networkRequestFor(const Request &request, const QUrl &url,
                                                const std::optional<QString> &token) const
{
    QNetworkRequest networkRequest(url);
    networkRequest.setTransferTimeout(static_cast<int>(m_timeout.count()));
    // The token goes with a followed redirect: never to another server. Only a read is
    // followed: the stack turns a POST, PATCH or DELETE sent on after a 301, 302 or 303
    // into a GET of the new place, whose answer would then pass for the change's.
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                request.method == "GET" ? QNetworkRequest::SameOriginRedirectPolicy
                                                        : QNetworkRequest::ManualRedirectPolicy);
    if (request.body)
        networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    if (token)
        networkRequest.setRawHeader("Authorization", "Bearer " + token->toUtf8());
    return networkRequest;
}

QNetworkReply *ZavAPIClient::transmit(const Request &request, QNetworkRequest networkRequest)
{
    if (changesSomething(request.method)) {
        // Sent as it is read, so the stack cannot rewind it for a resend of its own.
        const QByteArray body = request.body.value_or(QByteArray());
        networkRequest.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
        networkRequest.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
        auto *device = new OneShotBody(body);
        QNetworkReply *reply = m_network.sendCustomRequest(networkRequest, request.method, device);
        device->setParent(reply);
        return reply;
    }
    if (request.body)
        return m_network.sendCustomRequest(networkRequest, request.method, *request.body);
    return m_network.sendCustomRequest(networkRequest, request.method);
}

std::shared_ptr<ZavAPIClient::AnswerCut> ZavAPIClient::watchAnswer(QNetworkReply &reply) const
{
    // The idle time-out ends a silent answer, not one that trickles or never ends:
    // the whole answer must come within the deadline and the limit. What cut it off
    // is shared with the reply's handlers, which may outlive the request when it is dropped.
    const auto cut = std::make_shared<AnswerCut>();
    QNetworkReply *watched = &reply;
    cut->deadline = new QTimer(watched);
    cut->deadline->setSingleShot(true);
    QObject::connect(cut->deadline, &QTimer::timeout, watched, [watched, cut] {
        cut->pastDeadline = true;
        watched->abort();
    });
    cut->deadline->start(m_deadline);
    const auto cutIfTooLarge = [watched, cut, limit = m_answerLimit](qint64 bytes) {
        if (bytes > limit && !cut->tooLarge) {
            cut->tooLarge = true;
            watched->abort();
        }
    };
    QObject::connect(watched, &QNetworkReply::metaDataChanged, watched, [watched, cutIfTooLarge] {
        const QVariant declared = watched->header(QNetworkRequest::ContentLengthHeader);
        if (declared.isValid())
            cutIfTooLarge(declared.toLongLong());
    });
    QObject::connect(watched, &QNetworkReply::downloadProgress, watched,
                     [cutIfTooLarge](qint64 received, qint64) { cutIfTooLarge(received); });
    return cut;
}

void ZavAPIClient::checkAnswer(const QNetworkReply &reply, const AnswerCut &cut, const QString &what) const
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool refused = status.isValid() && (status.toInt() < 200 || status.toInt() > 299);
    if (!refused)
        throwIfCutOff(cut, what);
    if (!status.isValid())
        throwUnanswered(reply, what);
    if (refused)
        throwRefusal(reply, status.toInt(), what);
    // A connection that broke after the status line is not a complete answer.
    if (reply.error() != QNetworkReply::NoError)
        throwNetworkError(
            QStringLiteral("The backend's answer to %1 broke off: %2").arg(what, reply.errorString()), false);
}

void ZavAPIClient::throwIfCutOff(const AnswerCut &cut, const QString &what) const
{
    if (cut.pastDeadline) {
        throwNetworkError(QStringLiteral("The backend's answer to %1 was not complete within %2 seconds.")
                              .arg(what)
                              .arg(m_deadline.count() / 1000.0),
                          true);
    }
    if (cut.tooLarge) {
        throwNetworkError(QStringLiteral("The backend's answer to %1 is larger than %2 MB; it was not read.")
                              .arg(what)
                              .arg(static_cast<double>(m_answerLimit) / (1024 * 1024)),
                          false);
    }
}

void ZavAPIClient::throwUnanswered(const QNetworkReply &reply, const QString &what) const
{
    if (reply.error() == QNetworkReply::NoError)
        throw APIError::invalidResponse();
    const bool timedOut = reply.error() == QNetworkReply::OperationCanceledError ||
                          reply.error() == QNetworkReply::TimeoutError;
    if (timedOut) {
        throwNetworkError(QStringLiteral("The backend did not answer %1 within %2 seconds.")
                              .arg(what)
                              .arg(m_timeout.count() / 1000.0),
                          true);
    }
    throwNetworkError(QStringLiteral("Could not reach the backend (%1): %2").arg(what, reply.errorString()),
                      false);
}

void ZavAPIClient::throwRefusal(const QNetworkReply &reply, int code, const QString &what)
{
    if (code >= 300 && code <= 399) {
        // Followed only for a read within the backend; anything else is the server's refusal.
        qCWarning(
            lcApi, "%s was redirected to %s; the redirect was not followed", qUtf8Printable(what),
            qUtf8Printable(reply.header(QNetworkRequest::LocationHeader)
                               .toUrl()
                               .adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment)
                               .toString()));
    }
    qCCritical(lcApi, "API error: %ld", static_cast<long>(code));
    throw APIError::httpError(code);
}

void ZavAPIClient::throwNetworkError(const QString &message, bool timedOut)
{
    qCWarning(lcApi, "%s", qUtf8Printable(message));
    throw NetworkError(message, timedOut);
}

template <typename T>
QCoro::Task<T> ZavAPIClient::getRecord(QString path)
{
    Request request;
    request.path = path;
    const QByteArray body = co_await send(std::move(request));
    co_return decodeAnswer<T>(body, QStringLiteral("GET ") + path, false);
}

QCoro::Task<ZavUser> ZavAPIClient::fetchCurrentUser()
{
    const SessionResponse session = co_await getRecord<SessionResponse>(QStringLiteral("api/auth/me"));
    co_return session.user;
}

QCoro::Task<AuthResponse> ZavAPIClient::appleNativeSignIn(QString identityToken, std::optional<AppleSignInUser> user)
{
    QJsonObject body{{QStringLiteral("identityToken"), identityToken}};
    if (user) {
        body.insert(QStringLiteral("user"), QJsonObject{{QStringLiteral("email"), orNull(user->email)},
                                                        {QStringLiteral("givenName"), orNull(user->givenName)},
                                                        {QStringLiteral("familyName"), orNull(user->familyName)}});
    }
    Request request;
    request.method = "POST";
    request.path = QStringLiteral("api/auth/apple/native");
    request.body = compact(body);
    request.authorised = false;
    const QByteArray answer = co_await send(std::move(request));
    co_return decodeAnswer<AuthResponse>(answer, QStringLiteral("POST api/auth/apple/native"), false);
}

QCoro::Task<AdminOverview> ZavAPIClient::fetchAdminOverview()
{
    // One after another: a refusal of the first ends it before the next is sent.
    AdminOverview overview;
    overview.subscribers =
        co_await getRecord<SubscribersResponse>(QStringLiteral("api/admin/quillmark/subscribers"));
    overview.shows = co_await getRecord<ShowsResponse>(QStringLiteral("api/admin/quillmark/shows"));
    overview.revenue = co_await getRecord<RevenueResponse>(QStringLiteral("api/admin/quillmark/revenue"));
    co_return overview;
}

QCoro::Task<ServerShow> ZavAPIClient::createShow(QString title, QString channelId, QString labelMode)
{
    CreateShowRequest record;
    record.title = std::move(title);
    record.channelId = std::move(channelId);
    record.labelMode = std::move(labelMode);
    Request request;
    request.method = "POST";
    request.path = QStringLiteral("api/shows");
    request.body = compact(record.toJson());
    const QByteArray answer = co_await send(std::move(request));
    co_return decodeAnswer<CreateShowResponse>(answer, QStringLiteral("POST api/shows"), false).show;
}

QCoro::Task<std::optional<ServerShow>> ZavAPIClient::updateShowStatus(QString id, QString status)
{
    Request request;
    request.method = "PATCH";
    request.path = QStringLiteral("api/shows/") + pathSegment(id);
    request.body = compact(QJsonObject{{QStringLiteral("status"), status}});
    const QString what = QStringLiteral("PATCH ") + request.path;
    const QByteArray answer = co_await send(std::move(request));
    // The backend applied the change; an answer without the show does not undo that.
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(answer, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        qCWarning(lcApi, "Status of show %s set to %s; the answer carried no show", qUtf8Printable(id),
                  qUtf8Printable(status));
        co_return std::nullopt;
    }
    co_return decodeAnswer<UpdateShowResponse>(answer, what, false).show;
}

QCoro::Task<CreateAuctionResponse> ZavAPIClient::createAuction(CreateAuctionRequest record, QString showId)
{
    Request request;
    request.method = "POST";
    request.path = QStringLiteral("api/shows/") + pathSegment(showId) + QStringLiteral("/auctions");
    request.body = compact(record.toJson());
    const QString what = QStringLiteral("POST ") + request.path;
    const QByteArray answer = co_await send(std::move(request));
    co_return decodeAnswer<CreateAuctionResponse>(answer, what, false);
}

QCoro::Task<ShowListResponse> ZavAPIClient::fetchShows(std::optional<QString> status, qint64 limit)
{
    Request request;
    request.path = QStringLiteral("api/shows");
    request.query.append({QStringLiteral("limit"), QString::number(limit)});
    if (status)
        request.query.append({QStringLiteral("status"), *status});
    const QByteArray answer = co_await send(std::move(request));
    co_return decodeAnswer<ShowListResponse>(answer, QStringLiteral("GET api/shows"), true);
}

QCoro::Task<ShowAuctionsResponse> ZavAPIClient::fetchShowAuctions(QString id)
{
    Request request;
    request.path = QStringLiteral("api/shows/") + pathSegment(id) + QStringLiteral("/auctions");
    const QString what = QStringLiteral("GET ") + request.path;
    const QByteArray answer = co_await send(std::move(request));
    co_return decodeAnswer<ShowAuctionsResponse>(answer, what, true);
}

QCoro::Task<> ZavAPIClient::deleteShow(QString id, bool force)
{
    Request request;
    request.method = "DELETE";
    request.path = QStringLiteral("api/shows/") + pathSegment(id);
    if (force)
        request.query.append({QStringLiteral("force"), QStringLiteral("true")});
    co_await send(std::move(request));
}

QCoro::Task<OnboardingStatusResponse> ZavAPIClient::fetchOnboardingStatus(QString slug)
{
    QString path = QStringLiteral("api/onboarding/") + pathSegment(slug);
    co_return co_await getRecord<OnboardingStatusResponse>(std::move(path));
}

QCoro::Task<> ZavAPIClient::completeOnboardingStep(QString slug, QString stepId)
{
    Request request;
    request.method = "POST";
    request.path = QStringLiteral("api/onboarding/") + pathSegment(slug);
    request.body = compact(QJsonObject{{QStringLiteral("action"), QStringLiteral("step_completed")},
                                       {QStringLiteral("metadata"), QJsonObject{{QStringLiteral("stepId"), stepId}}}});
    co_await send(std::move(request));
}

QCoro::Task<> ZavAPIClient::completeOnboarding(QString slug)
{
    Request request;
    request.method = "POST";
    request.path = QStringLiteral("api/onboarding/") + pathSegment(slug);
    request.body = compact(QJsonObject{{QStringLiteral("action"), QStringLiteral("complete")}});
    co_await send(std::move(request));
}

} // namespace quill
