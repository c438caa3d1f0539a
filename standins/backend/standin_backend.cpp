#include "standin_backend.h"

#include "common/decimal.h"

#include <QDateTime>
#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QPointer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <QUuid>
#include <algorithm>
#include <cmath>
#include <functional>

namespace quill::standin {

// ---------------------------------------------------------------------------
// Small value types

std::optional<QByteArray> RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &pair : headers) {
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return pair.second;
    }
    return std::nullopt;
}

std::optional<QString> RecordedRequest::queryValue(const QString &name) const
{
    for (const auto &item : query) {
        if (item.first == name)
            return item.second;
    }
    return std::nullopt;
}

Fault Fault::status(int code, QByteArray body)
{
    Fault fault;
    fault.kind = Kind::Status;
    fault.statusCode = code;
    fault.body = std::move(body);
    return fault;
}

Fault Fault::malformedJson()
{
    Fault fault;
    fault.kind = Kind::MalformedJson;
    return fault;
}

Fault Fault::withoutKeys(QStringList keys)
{
    Fault fault;
    fault.kind = Kind::MissingKeys;
    fault.missingKeys = std::move(keys);
    return fault;
}

Fault Fault::delayed(int milliseconds)
{
    Fault fault;
    fault.kind = Kind::Delay;
    fault.delayMs = std::max(0, milliseconds);
    return fault;
}

Fault Fault::dropConnection()
{
    Fault fault;
    fault.kind = Kind::Drop;
    return fault;
}

Fault Fault::held(int statusCode)
{
    Fault fault;
    fault.kind = Kind::Hold;
    fault.statusCode = statusCode;
    return fault;
}

Fault Fault::dropAfterHandling()
{
    Fault fault;
    fault.kind = Kind::DropAfterHandling;
    return fault;
}

Fault Fault::times(int count) const
{
    Fault copy = *this;
    copy.remaining = std::max(0, count);
    return copy;
}

Fault Fault::every(int n) const
{
    Fault copy = *this;
    copy.period = std::max(1, n);
    copy.matched = 0;
    return copy;
}

// ---------------------------------------------------------------------------
// Answers

struct StandinBackend::Answer
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    std::optional<QJsonObject> object; // serialised at send time, so faults can still edit it
    QList<QPair<QByteArray, QByteArray>> headers;

    static Answer json(int status, QJsonObject object)
    {
        Answer answer;
        answer.status = status;
        answer.object = std::move(object);
        return answer;
    }
    static Answer error(int status, const QString &message)
    {
        QJsonObject object;
        object.insert(QStringLiteral("error"), message);
        return json(status, std::move(object));
    }
    static Answer empty(int status)
    {
        Answer answer;
        answer.status = status;
        return answer;
    }
    static Answer redirect(const QUrl &location)
    {
        Answer answer;
        answer.status = 302;
        answer.headers.append({QByteArrayLiteral("Location"), location.toEncoded()});
        return answer;
    }
    static Answer html(const QString &page)
    {
        Answer answer;
        answer.contentType = QByteArrayLiteral("text/html; charset=utf-8");
        answer.body = page.toUtf8();
        return answer;
    }
};

namespace {

const QString kStaffSlug = QStringLiteral("quillmark");

QString nowText()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QString randomHex(int bytes)
{
    QByteArray raw(bytes, Qt::Uninitialized);
    for (auto &byte : raw)
        byte = static_cast<char>(QRandomGenerator::system()->bounded(256));
    return QString::fromLatin1(raw.toHex());
}

QString newId(const QString &prefix)
{
    return prefix + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return QStringLiteral("GET");
    case QHttpServerRequest::Method::Put:
        return QStringLiteral("PUT");
    case QHttpServerRequest::Method::Delete:
        return QStringLiteral("DELETE");
    case QHttpServerRequest::Method::Post:
        return QStringLiteral("POST");
    case QHttpServerRequest::Method::Head:
        return QStringLiteral("HEAD");
    case QHttpServerRequest::Method::Options:
        return QStringLiteral("OPTIONS");
    case QHttpServerRequest::Method::Patch:
        return QStringLiteral("PATCH");
    case QHttpServerRequest::Method::Connect:
        return QStringLiteral("CONNECT");
    case QHttpServerRequest::Method::Trace:
        return QStringLiteral("TRACE");
    default:
        break;
    }
    return QStringLiteral("UNKNOWN");
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 409:
        return "Conflict";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        break;
    }
    return "Status";
}

// The list answers use the snake-case keys of the backend's storage layer.
QString snakeCase(const QString &key)
{
    QString out;
    out.reserve(key.size() + 4);
    for (const QChar c : key) {
        if (c.isUpper()) {
            out += QLatin1Char('_');
            out += c.toLower();
        } else {
            out += c;
        }
    }
    return out;
}

QJsonObject snakeKeys(const QJsonObject &object)
{
    QJsonObject out;
    for (auto it = object.begin(); it != object.end(); ++it)
        out.insert(snakeCase(it.key()), it.value());
    return out;
}

QJsonObject userJson(const StandinUser &user)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), user.id);
    if (user.name)
        object.insert(QStringLiteral("name"), *user.name);
    object.insert(QStringLiteral("email"), user.email);
    if (user.image)
        object.insert(QStringLiteral("image"), *user.image);
    return object;
}

QJsonObject showJson(const StandinShow &show)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), show.id);
    object.insert(QStringLiteral("userId"), show.userId);
    object.insert(QStringLiteral("title"), show.title);
    object.insert(QStringLiteral("channelId"), show.channelId);
    object.insert(QStringLiteral("status"), show.status);
    if (show.labelMode)
        object.insert(QStringLiteral("labelMode"), *show.labelMode);
    if (show.startedAt)
        object.insert(QStringLiteral("startedAt"), *show.startedAt);
    if (show.endedAt)
        object.insert(QStringLiteral("endedAt"), *show.endedAt);
    object.insert(QStringLiteral("createdAt"), show.createdAt);
    object.insert(QStringLiteral("updatedAt"), show.updatedAt);
    return object;
}

QJsonObject auctionJson(const StandinAuction &auction)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), auction.id);
    object.insert(QStringLiteral("showId"), auction.showId);
    object.insert(QStringLiteral("winnerUsername"), auction.winnerUsername);
    object.insert(QStringLiteral("salePrice"), auction.salePrice);
    if (auction.auctionNumber)
        object.insert(QStringLiteral("auctionNumber"), *auction.auctionNumber);
    if (auction.rawTitle)
        object.insert(QStringLiteral("rawTitle"), *auction.rawTitle);
    if (auction.source)
        object.insert(QStringLiteral("source"), *auction.source);
    object.insert(QStringLiteral("createdAt"), auction.createdAt);
    return object;
}

// Exact sum as money text when two places hold it exactly, else in full.
QString amountText(const Decimal &value)
{
    const QString money = value.toMoneyString();
    const auto back = Decimal::fromString(money);
    return back && *back == value ? money : value.toString();
}

// The exact sum of the prices; none when one does not parse or the sum cannot be held.
std::optional<Decimal> revenueOf(const QList<StandinAuction> &auctions)
{
    Decimal revenue;
    for (const StandinAuction &auction : auctions) {
        const auto price = Decimal::fromString(auction.salePrice);
        const auto sum = price ? revenue.checkedAdd(*price) : std::nullopt;
        if (!sum)
            return std::nullopt;
        revenue = *sum;
    }
    return revenue;
}

QDateTime parseTime(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

// A request body must be one JSON object.
std::optional<QJsonObject> bodyObject(const RecordedRequest &request)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(request.body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// Text under `key`: missing, null or another type gives nothing.
std::optional<QString> textField(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

bool isValidScheme(const QString &scheme)
{
    static const QRegularExpression pattern(QStringLiteral("^[a-z][a-z0-9+.-]*$"));
    return pattern.match(scheme).hasMatch();
}

bool isStatus(const QString &status)
{
    return status == QLatin1String("draft") || status == QLatin1String("live") ||
           status == QLatin1String("completed");
}

} // namespace

// ---------------------------------------------------------------------------
// Server

StandinBackend::StandinBackend(QObject *parent) : QObject(parent), m_server(std::make_unique<QHttpServer>())
{
    // Every request goes through one handler: the router of this Qt version
    // matches decoded paths, which would split an id holding an encoded "/".
    m_server->setMissingHandler([this](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        handle(request, std::move(responder));
    });
}

StandinBackend::~StandinBackend() = default;

quint16 StandinBackend::listen(quint16 port)
{
    if (m_port != 0)
        return m_port;
    m_port = m_server->listen(QHostAddress::LocalHost, port);
    return m_port;
}

QUrl StandinBackend::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
}

void StandinBackend::handle(const QHttpServerRequest &request, QHttpServerResponder &&responder)
{
    RecordedRequest recorded;
    recorded.method = methodName(request.method());
    const QUrl url = request.url();
    recorded.path = url.path(QUrl::FullyEncoded);
    recorded.query = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    recorded.headers = request.headers();
    recorded.body = request.body();
    m_requests.append(recorded);

    QTcpSocket *socket = responder.socket();
    const std::optional<Fault> fault = takeFault(recorded.method, recorded.path);

    if (fault && fault->kind == Fault::Kind::Drop) {
        // The socket is deleted later by the server once it reports the disconnection.
        socket->abort();
        return;
    }

    Answer answer;
    const bool fixedStatus = fault && (fault->kind == Fault::Kind::Status ||
                                       (fault->kind == Fault::Kind::Hold && fault->statusCode > 0));
    if (fixedStatus) {
        answer = Answer::empty(fault->statusCode);
        answer.body = fault->body;
        if (!answer.body.isEmpty())
            answer.contentType = QByteArrayLiteral("application/json");
    } else {
        QStringList segments;
        const QStringList raw = recorded.path.split(QLatin1Char('/'));
        for (qsizetype i = 1; i < raw.size(); ++i)
            segments.append(QUrl::fromPercentEncoding(raw.at(i).toUtf8()));
        answer = dispatch(recorded.method, segments, recorded);

        if (fault && fault->kind == Fault::Kind::MalformedJson) {
            answer = Answer::empty(200);
            answer.contentType = QByteArrayLiteral("application/json");
            answer.body = QByteArrayLiteral("{\"status\": \"ok\", \"data\": [");
        } else if (fault && fault->kind == Fault::Kind::MissingKeys && answer.object) {
            for (const QString &key : fault->missingKeys)
                answer.object->remove(key);
        }
    }

    if (fault && fault->kind == Fault::Kind::DropAfterHandling) {
        socket->abort(); // the request took effect; its answer is lost
        return;
    }
    if (fault && fault->kind == Fault::Kind::Delay) {
        // A timer rather than a wait keeps the server answering other connections.
        QPointer<QTcpSocket> guarded(socket);
        QTimer::singleShot(fault->delayMs, this, [guarded, answer] {
            if (guarded && guarded->state() == QAbstractSocket::ConnectedState)
                send(guarded.data(), answer);
        });
        return;
    }
    if (fault && fault->kind == Fault::Kind::Hold) {
        m_held.append({QPointer<QTcpSocket>(socket), std::make_shared<Answer>(answer)});
        return;
    }
    send(socket, answer);
}

void StandinBackend::releaseHeld()
{
    const auto held = std::exchange(m_held, {});
    for (const auto &[socket, answer] : held) {
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            send(socket.data(), *answer);
    }
}

void StandinBackend::setStaffStatistics(const QString &which, const QJsonObject &stats)
{
    m_staffStatistics.insert(which, stats);
}

void StandinBackend::send(QTcpSocket *socket, const Answer &answer)
{
    QByteArray contentType = answer.contentType;
    QByteArray body = answer.body;
    if (answer.object) {
        contentType = QByteArrayLiteral("application/json");
        body = QJsonDocument(*answer.object).toJson(QJsonDocument::Compact);
    }

    QByteArray out =
        "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n";
    if (!contentType.isEmpty())
        out += "Content-Type: " + contentType + "\r\n";
    for (const auto &header : answer.headers)
        out += header.first + ": " + header.second + "\r\n";
    if (answer.status != 204 && answer.status != 304)
        out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    out += "\r\n";
    if (answer.status != 204 && answer.status != 304)
        out += body;
    socket->write(out);
}

void StandinBackend::setFault(const QString &method, const QString &pathPattern, Fault fault)
{
    m_faults.removeIf([&](const FaultRule &rule) {
        return rule.method.compare(method, Qt::CaseInsensitive) == 0 && rule.pattern == pathPattern;
    });
    if (fault.remaining == 0)
        return;
    m_faults.append(FaultRule{method, pathPattern, std::move(fault)});
}

std::optional<Fault> StandinBackend::takeFault(const QString &method, const QString &path)
{
    for (qsizetype i = 0; i < m_faults.size(); ++i) {
        FaultRule &rule = m_faults[i];
        if (rule.method != QLatin1String("*") && rule.method.compare(method, Qt::CaseInsensitive) != 0)
            continue;
        const bool matches = rule.pattern.endsWith(QLatin1Char('*'))
                                 ? path.startsWith(QStringView(rule.pattern).chopped(1))
                                 : path == rule.pattern;
        if (!matches)
            continue;
        if (rule.fault.period > 1 && ++rule.fault.matched % rule.fault.period != 0)
            continue; // not its turn
        const Fault fault = rule.fault;
        if (rule.fault.remaining > 0 && --rule.fault.remaining == 0)
            m_faults.removeAt(i);
        return fault;
    }
    return std::nullopt;
}

StandinBackend::Answer StandinBackend::dispatch(const QString &method, const QStringList &segments,
                                                const RecordedRequest &request)
{
    const Answer notFound = Answer::error(404, QStringLiteral("Not found"));
    if (segments.size() < 2 || segments.first() != QLatin1String("api"))
        return notFound;
    const QStringList s = segments.mid(1);
    const auto is = [&](std::initializer_list<const char *> words) {
        if (qsizetype(words.size()) != s.size())
            return false;
        qsizetype i = 0;
        for (const char *word : words) {
            if (word != nullptr && s.at(i) != QLatin1String(word))
                return false;
            ++i;
        }
        return true;
    };
    const auto notAllowed = [] { return Answer::error(405, QStringLiteral("Method not allowed")); };
    const bool get = method == QLatin1String("GET");
    const bool post = method == QLatin1String("POST");

    // Runs `body` for the signed-in user, or answers 401.
    const auto bearer = [&](const std::function<Answer(const QString &)> &body) {
        const auto userId = authenticate(request);
        if (!userId)
            return Answer::error(401, QStringLiteral("Unauthorized"));
        return body(*userId);
    };

    if (is({"auth", "me"})) {
        if (!get)
            return notAllowed();
        return bearer([&](const QString &userId) { return me(userId); });
    }
    if (is({"auth", "apple", "native"}))
        return post ? appleNative(request) : notAllowed();
    if (is({"auth", "signin", "google"}))
        return get ? googleSignInPage(request) : notAllowed();
    if (is({"auth", "mobile", "callback"}))
        return get ? mobileCallback(request) : notAllowed();
    if (is({"admin", nullptr, nullptr}) && s.at(1) == kStaffSlug) {
        const QString which = s.at(2);
        if (which != QLatin1String("subscribers") && which != QLatin1String("shows") &&
            which != QLatin1String("revenue"))
            return notFound;
        if (!get)
            return notAllowed();
        return bearer([&](const QString &userId) {
            if (!isStaff(userId))
                return Answer::error(403, QStringLiteral("Forbidden"));
            return staffStatistics(which);
        });
    }
    if (is({"shows"})) {
        if (post)
            return bearer([&](const QString &userId) { return createShow(userId, request); });
        if (get)
            return bearer([&](const QString &userId) { return listShows(userId, request); });
        return notAllowed();
    }
    if (is({"shows", nullptr})) {
        const QString showId = s.at(1);
        if (method == QLatin1String("PATCH"))
            return bearer([&](const QString &userId) { return updateShow(userId, showId, request); });
        if (method == QLatin1String("DELETE"))
            return bearer([&](const QString &userId) { return deleteShow(userId, showId, request); });
        return notAllowed();
    }
    if (is({"shows", nullptr, "auctions"})) {
        const QString showId = s.at(1);
        if (post)
            return bearer([&](const QString &userId) { return createAuction(userId, showId, request); });
        if (get)
            return bearer([&](const QString &userId) { return listAuctions(userId, showId); });
        return notAllowed();
    }
    if (is({"onboarding", nullptr})) {
        const QString slug = s.at(1);
        if (get)
            return bearer([&](const QString &userId) { return onboardingStatus(userId, slug); });
        if (post)
            return bearer([&](const QString &userId) { return updateOnboarding(userId, slug, request); });
        return notAllowed();
    }
    return notFound;
}

std::optional<QString> StandinBackend::authenticate(const RecordedRequest &request) const
{
    const auto header = request.header(QByteArrayLiteral("Authorization"));
    static const QByteArray prefix = QByteArrayLiteral("Bearer ");
    if (!header || !header->startsWith(prefix))
        return std::nullopt;
    const QString token = QString::fromUtf8(header->mid(prefix.size()));
    const auto it = m_tokens.constFind(token);
    if (token.isEmpty() || it == m_tokens.constEnd() || !user(*it))
        return std::nullopt;
    return *it;
}

bool StandinBackend::isStaff(const QString &userId) const
{
    const auto found = user(userId);
    return found && m_staffEmails.contains(found->email);
}

// ---------------------------------------------------------------------------
// Sign-in

StandinBackend::Answer StandinBackend::me(const QString &userId) const
{
    QJsonObject object;
    object.insert(QStringLiteral("user"), userJson(*user(userId)));
    return Answer::json(200, object);
}

StandinBackend::Answer StandinBackend::appleNative(const RecordedRequest &request)
{
    const auto body = bodyObject(request);
    if (!body)
        return Answer::error(400, QStringLiteral("Malformed JSON body"));
    const auto identityToken = textField(*body, QStringLiteral("identityToken"));
    if (!identityToken)
        return Answer::error(400, QStringLiteral("identityToken is required"));
    const QJsonValue userValue = body->value(QStringLiteral("user"));
    if (!userValue.isUndefined() && !userValue.isNull() && !userValue.isObject())
        return Answer::error(400, QStringLiteral("user must be an object"));

    // Development exchange only: "dev:<email>" stands for a verified Apple identity.
    static const QString devPrefix = QStringLiteral("dev:");
    const QString email =
        identityToken->startsWith(devPrefix) ? identityToken->mid(devPrefix.size()) : QString();
    if (email.isEmpty() || !email.contains(QLatin1Char('@')))
        return Answer::error(401, QStringLiteral("Invalid identity token"));

    QStringList nameParts;
    const QJsonObject userObject = userValue.toObject();
    for (const char *key : {"givenName", "familyName"}) {
        const auto part = textField(userObject, QLatin1String(key));
        if (part && !part->trimmed().isEmpty())
            nameParts.append(part->trimmed());
    }
    const std::optional<QString> name =
        nameParts.isEmpty() ? std::nullopt : std::optional<QString>(nameParts.join(QLatin1Char(' ')));

    auto existing = std::find_if(m_users.begin(), m_users.end(), [&](const StandinUser &candidate) {
        return candidate.email.compare(email, Qt::CaseInsensitive) == 0;
    });
    QString userId;
    if (existing != m_users.end()) {
        // Apple sends the name only on the first authorisation; keep what we have.
        if (!existing->name && name)
            existing->name = name;
        userId = existing->id;
    } else {
        userId = newId(QStringLiteral("apple-"));
        m_users.append(StandinUser{userId, email, name, std::nullopt});
    }

    const QString token = issueToken(userId);
    QJsonObject object;
    object.insert(QStringLiteral("token"), token);
    object.insert(QStringLiteral("signedToken"), QString(token + QLatin1Char('.') + randomHex(16)));
    object.insert(QStringLiteral("user"), userJson(*user(userId)));
    return Answer::json(200, object);
}

StandinBackend::Answer StandinBackend::googleSignInPage(const RecordedRequest &request) const
{
    const QString callbackPath = request.queryValue(QStringLiteral("callbackURL")).value_or(QString());
    const QString scheme = request.queryValue(QStringLiteral("scheme")).value_or(QString());
    // Only a path on this server: anything else would make the page an open redirect.
    if (!callbackPath.startsWith(QLatin1Char('/')) || callbackPath.startsWith(QLatin1String("//")))
        return Answer::error(400, QStringLiteral("callbackURL must be a path on this server"));
    if (!isValidScheme(scheme))
        return Answer::error(400, QStringLiteral("scheme is missing or invalid"));

    const auto link = [&](const QString &name, const QString &value) {
        QUrl url;
        url.setPath(callbackPath);
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("scheme"), scheme);
        query.addQueryItem(name, value);
        url.setQuery(query);
        return QString::fromUtf8(url.toEncoded()).toHtmlEscaped();
    };

    QString page = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                                  "<title>Sign in with Google</title></head>\n<body>\n"
                                  "<h1>Choose an account</h1>\n<ul>\n");
    for (const StandinUser &user : m_users) {
        const QString label =
            user.name ? *user.name + QStringLiteral(" <") + user.email + QLatin1Char('>') : user.email;
        page += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n")
                    .arg(link(QStringLiteral("user"), user.id), label.toHtmlEscaped());
    }
    page += QStringLiteral("</ul>\n<p><a href=\"%1\">Cancel</a></p>\n</body></html>\n")
                .arg(link(QStringLiteral("error"), QStringLiteral("cancelled")));
    return Answer::html(page);
}

StandinBackend::Answer StandinBackend::mobileCallback(const RecordedRequest &request)
{
    const QString scheme = request.queryValue(QStringLiteral("scheme")).value_or(QString());
    if (!isValidScheme(scheme))
        return Answer::error(400, QStringLiteral("scheme is missing or invalid"));

    const auto back = [&](const QString &name, const QString &value) {
        QUrl url(scheme + QStringLiteral("://auth/callback"));
        QUrlQuery query;
        query.addQueryItem(name, value);
        url.setQuery(query);
        return Answer::redirect(url);
    };

    if (const auto error = request.queryValue(QStringLiteral("error")); error && !error->isEmpty())
        return back(QStringLiteral("error"), *error);
    const auto userId = request.queryValue(QStringLiteral("user"));
    if (!userId || userId->isEmpty())
        return back(QStringLiteral("error"), QStringLiteral("missing_user"));
    if (!user(*userId))
        return back(QStringLiteral("error"), QStringLiteral("unknown_user"));
    return back(QStringLiteral("token"), issueToken(*userId));
}

// ---------------------------------------------------------------------------
// Staff statistics: fixed figures, enough to fill the dashboard.

StandinBackend::Answer StandinBackend::staffStatistics(const QString &which) const
{
    QJsonObject stats;
    if (m_staffStatistics.contains(which)) {
        stats = m_staffStatistics.value(which);
    } else if (which == QLatin1String("subscribers")) {
        stats.insert(QStringLiteral("total"), 42);
        stats.insert(QStringLiteral("pro"), 12);
        stats.insert(QStringLiteral("free"), 30);
        stats.insert(QStringLiteral("conversionRate"), QStringLiteral("28.6"));
    } else if (which == QLatin1String("shows")) {
        stats.insert(QStringLiteral("total"), 128);
        stats.insert(QStringLiteral("liveNow"), 3);
        stats.insert(QStringLiteral("completedThisMonth"), 17);
        stats.insert(QStringLiteral("totalAuctions"), 2315);
        QJsonObject labels;
        labels.insert(QStringLiteral("printed"), 2210);
        labels.insert(QStringLiteral("pending"), 4);
        labels.insert(QStringLiteral("queued"), 2);
        labels.insert(QStringLiteral("printedThisMonth"), 301);
        stats.insert(QStringLiteral("labels"), labels);
    } else {
        stats.insert(QStringLiteral("mrr"), 359.88);
        stats.insert(QStringLiteral("totalSubscribers"), 42);
        stats.insert(QStringLiteral("churnThisMonth"), 1);
        stats.insert(QStringLiteral("newThisMonth"), 5);
    }
    QJsonObject object;
    object.insert(QStringLiteral("stats"), stats);
    return Answer::json(200, object);
}

// ---------------------------------------------------------------------------
// Shows and auctions

StandinBackend::StoredShow *StandinBackend::ownedShow(const QString &userId, const QString &showId)
{
    const auto it = m_shows.find(showId);
    return it != m_shows.end() && it->show.userId == userId ? &*it : nullptr;
}

const StandinBackend::StoredShow *StandinBackend::ownedShow(const QString &userId,
                                                            const QString &showId) const
{
    const auto it = m_shows.constFind(showId);
    return it != m_shows.constEnd() && it->show.userId == userId ? &*it : nullptr;
}

StandinBackend::Answer StandinBackend::createShow(const QString &userId, const RecordedRequest &request)
{
    const auto body = bodyObject(request);
    if (!body)
        return Answer::error(400, QStringLiteral("Malformed JSON body"));
    const auto title = textField(*body, QStringLiteral("title"));
    const auto channelId = textField(*body, QStringLiteral("channelId"));
    const auto labelMode = textField(*body, QStringLiteral("labelMode"));
    if (!title || !channelId || channelId->isEmpty() || !labelMode)
        return Answer::error(400, QStringLiteral("title, channelId and labelMode are required"));

    StandinShow show;
    show.userId = userId;
    show.title = *title;
    show.channelId = *channelId;
    show.status = QStringLiteral("draft");
    show.labelMode = *labelMode;
    const QString id = addShow(show);

    QJsonObject object;
    object.insert(QStringLiteral("show"), showJson(m_shows.value(id).show));
    return Answer::json(201, object);
}

StandinBackend::Answer StandinBackend::listShows(const QString &userId, const RecordedRequest &request) const
{
    qsizetype limit = 50;
    if (const auto text = request.queryValue(QStringLiteral("limit"))) {
        bool ok = false;
        limit = text->toLongLong(&ok);
        if (!ok || limit < 0)
            return Answer::error(400, QStringLiteral("limit must be a whole number of 0 or more"));
    }
    const auto status = request.queryValue(QStringLiteral("status"));

    QList<StandinShow> matching = shows(userId);
    if (status)
        matching.removeIf([&](const StandinShow &show) { return show.status != *status; });

    QJsonArray list;
    for (qsizetype i = 0; i < matching.size() && i < limit; ++i) {
        QJsonObject object = showJson(matching.at(i));
        const auto count = qint64(m_auctions.value(matching.at(i).id).size());
        object.insert(QStringLiteral("itemCount"), count);
        object.insert(QStringLiteral("auctionCount"), count);
        list.append(snakeKeys(object));
    }
    QJsonObject object;
    object.insert(QStringLiteral("shows"), list);
    object.insert(QStringLiteral("total"), qint64(matching.size()));
    return Answer::json(200, object);
}

StandinBackend::Answer StandinBackend::updateShow(const QString &userId, const QString &showId,
                                                  const RecordedRequest &request)
{
    StoredShow *stored = ownedShow(userId, showId);
    if (!stored)
        return Answer::error(404, QStringLiteral("Show not found"));
    const auto body = bodyObject(request);
    if (!body)
        return Answer::error(400, QStringLiteral("Malformed JSON body"));
    const auto status = textField(*body, QStringLiteral("status"));
    if (!status || !isStatus(*status))
        return Answer::error(400, QStringLiteral("status must be draft, live or completed"));

    StandinShow &show = stored->show;
    const QString now = nowText();
    if (*status == QLatin1String("live") && !show.startedAt)
        show.startedAt = now;
    if (*status == QLatin1String("completed") && !show.endedAt)
        show.endedAt = now;
    show.status = *status;
    show.updatedAt = now;

    QJsonObject object;
    object.insert(QStringLiteral("show"), showJson(show));
    return Answer::json(200, object);
}

StandinBackend::Answer StandinBackend::deleteShow(const QString &userId, const QString &showId,
                                                  const RecordedRequest &request)
{
    if (!ownedShow(userId, showId))
        return Answer::error(404, QStringLiteral("Show not found"));
    const bool force = request.queryValue(QStringLiteral("force")) == QStringLiteral("true");
    if (!force && !m_auctions.value(showId).isEmpty())
        return Answer::error(409, QStringLiteral("Show has auctions; delete with force=true"));
    m_shows.remove(showId);
    m_auctions.remove(showId);
    m_auctionIndex.remove(showId);
    return Answer::empty(204);
}

StandinBackend::Answer StandinBackend::createAuction(const QString &userId, const QString &showId,
                                                     const RecordedRequest &request)
{
    if (!ownedShow(userId, showId))
        return Answer::error(404, QStringLiteral("Show not found"));
    const auto body = bodyObject(request);
    if (!body)
        return Answer::error(400, QStringLiteral("Malformed JSON body"));

    const auto winner = textField(*body, QStringLiteral("winnerUsername"));
    const auto salePrice = textField(*body, QStringLiteral("salePrice"));
    const auto source = textField(*body, QStringLiteral("source"));
    if (!winner || winner->isEmpty() || !salePrice || !source)
        return Answer::error(400, QStringLiteral("winnerUsername, salePrice and source are required"));
    const auto price = Decimal::fromString(*salePrice);
    if (!price || *price < Decimal())
        return Answer::error(400, QStringLiteral("salePrice must be a decimal amount of 0 or more"));

    std::optional<qint64> auctionNumber;
    const QJsonValue number = body->value(QStringLiteral("auctionNumber"));
    if (!number.isUndefined() && !number.isNull()) {
        constexpr double kExactLimit = 9007199254740992.0; // 2^53: doubles stay exact below it
        const double value = number.toDouble();
        if (!number.isDouble() || std::abs(value) >= kExactLimit || value != double(qint64(value)))
            return Answer::error(400, QStringLiteral("auctionNumber must be a whole number"));
        auctionNumber = qint64(value);
    }
    std::optional<QString> rawTitle;
    const QJsonValue title = body->value(QStringLiteral("rawTitle"));
    if (!title.isUndefined() && !title.isNull()) {
        if (!title.isString())
            return Answer::error(400, QStringLiteral("rawTitle must be text"));
        rawTitle = title.toString();
    }

    // The same winner, amount and auction number within one show is one auction,
    // however often the client sends it.
    const QList<StandinAuction> &stored = m_auctions[showId];
    const AuctionIndex &index = m_auctionIndex[showId];
    qsizetype repeat = -1; // the first of the show's auctions it repeats
    for (auto it = index.byWinner.constFind(*winner); it != index.byWinner.cend() && it.key() == *winner; ++it) {
        const StandinAuction &existing = stored.at(*it);
        if ((repeat < 0 || *it < repeat) && Decimal::fromString(existing.salePrice) == price &&
            existing.auctionNumber == auctionNumber)
            repeat = *it;
    }
    if (repeat >= 0) {
        QJsonObject object;
        object.insert(QStringLiteral("auction"), auctionJson(stored.at(repeat)));
        object.insert(QStringLiteral("deduplicated"), true);
        return Answer::json(200, object);
    }

    // A show's revenue is the exact sum of its prices: a price that sum could not hold is
    // refused here, so listing the show never fails on it.
    const std::optional<Decimal> revenue = index.revenue;
    if (!revenue || !revenue->checkedAdd(*price))
        return Answer::error(
            422, QStringLiteral("salePrice would take the show's revenue beyond what it can hold"));

    StandinAuction auction;
    auction.showId = showId;
    auction.winnerUsername = *winner;
    // Stored and answered without the blanks around it: " 12.50\n" is "12.50".
    auction.salePrice = salePrice->trimmed();
    auction.auctionNumber = auctionNumber;
    auction.rawTitle = rawTitle;
    auction.source = *source;
    addAuction(auction);

    QJsonObject object;
    object.insert(QStringLiteral("auction"), auctionJson(m_auctions.value(showId).constLast()));
    object.insert(QStringLiteral("deduplicated"), false);
    return Answer::json(201, object);
}

StandinBackend::Answer StandinBackend::listAuctions(const QString &userId, const QString &showId) const
{
    if (!ownedShow(userId, showId))
        return Answer::error(404, QStringLiteral("Show not found"));

    QJsonArray list;
    QSet<QString> buyers;
    for (const StandinAuction &auction : m_auctions.value(showId)) {
        list.append(snakeKeys(auctionJson(auction)));
        buyers.insert(auction.winnerUsername);
    }
    // Only auctions seeded by a test can get here unsummable; the API refuses them.
    const std::optional<Decimal> revenue = revenueOf(m_auctions.value(showId));
    if (!revenue)
        return Answer::error(500, QStringLiteral("Revenue of this show cannot be summed"));

    QJsonObject stats;
    stats.insert(QStringLiteral("auctionCount"), list.size());
    stats.insert(QStringLiteral("revenue"), amountText(*revenue));
    stats.insert(QStringLiteral("uniqueBuyers"), qint64(buyers.size()));
    QJsonObject object;
    object.insert(QStringLiteral("auctions"), list);
    object.insert(QStringLiteral("stats"), stats);
    return Answer::json(200, object);
}

// ---------------------------------------------------------------------------
// Onboarding

StandinBackend::Answer StandinBackend::onboardingStatus(const QString &userId, const QString &slug) const
{
    const OnboardingProgress progress = onboarding(userId, slug);
    QJsonObject object;
    object.insert(QStringLiteral("slug"), slug);
    object.insert(QStringLiteral("completed"), progress.completed);
    if (progress.completionEvent)
        object.insert(QStringLiteral("completionEvent"), *progress.completionEvent);
    object.insert(QStringLiteral("completedSteps"), QJsonArray::fromStringList(progress.completedSteps));
    return Answer::json(200, object);
}

StandinBackend::Answer StandinBackend::updateOnboarding(const QString &userId, const QString &slug,
                                                        const RecordedRequest &request)
{
    const auto body = bodyObject(request);
    if (!body)
        return Answer::error(400, QStringLiteral("Malformed JSON body"));
    const QString action = textField(*body, QStringLiteral("action")).value_or(QString());

    if (action == QLatin1String("step_completed")) {
        const auto stepId =
            textField(body->value(QStringLiteral("metadata")).toObject(), QStringLiteral("stepId"));
        if (!stepId || stepId->isEmpty())
            return Answer::error(400, QStringLiteral("metadata.stepId is required"));
        OnboardingProgress &progress = m_onboarding[userId][slug];
        if (!progress.completedSteps.contains(*stepId))
            progress.completedSteps.append(*stepId);
    } else if (action == QLatin1String("complete")) {
        OnboardingProgress &progress = m_onboarding[userId][slug];
        progress.completed = true;
        if (!progress.completionEvent)
            progress.completionEvent = QStringLiteral("checklist_completed");
    } else {
        return Answer::error(400, QStringLiteral("action must be step_completed or complete"));
    }

    QJsonObject object;
    object.insert(QStringLiteral("ok"), true);
    return Answer::json(200, object);
}

// ---------------------------------------------------------------------------
// Seeding and inspection

QString StandinBackend::addUser(const QString &id, const QString &email, std::optional<QString> name,
                                std::optional<QString> image)
{
    StandinUser added{id, email, std::move(name), std::move(image)};
    const auto existing =
        std::find_if(m_users.begin(), m_users.end(), [&](const StandinUser &user) { return user.id == id; });
    if (existing != m_users.end())
        *existing = std::move(added);
    else
        m_users.append(std::move(added));
    return issueToken(id);
}

QString StandinBackend::issueToken(const QString &userId)
{
    if (!user(userId))
        return {};
    const QString token = randomHex(24);
    m_tokens.insert(token, userId);
    return token;
}

void StandinBackend::revokeToken(const QString &token)
{
    m_tokens.remove(token);
}

void StandinBackend::addStaffEmail(const QString &email)
{
    m_staffEmails.insert(email);
}

QString StandinBackend::addShow(StandinShow show)
{
    if (show.id.isEmpty())
        show.id = newId(QStringLiteral("show-"));
    if (show.createdAt.isEmpty())
        show.createdAt = nowText();
    if (show.updatedAt.isEmpty())
        show.updatedAt = show.createdAt;
    const QString id = show.id;
    m_shows.insert(id, StoredShow{std::move(show), ++m_nextSequence});
    return id;
}

QString StandinBackend::addAuction(StandinAuction auction)
{
    if (!m_shows.contains(auction.showId))
        return {};
    if (auction.id.isEmpty())
        auction.id = newId(QStringLiteral("auction-"));
    if (auction.createdAt.isEmpty())
        auction.createdAt = nowText();
    const QString id = auction.id;
    QList<StandinAuction> &stored = m_auctions[auction.showId];
    AuctionIndex &index = m_auctionIndex[auction.showId];
    index.byWinner.insert(auction.winnerUsername, stored.size());
    if (index.revenue) {
        const auto price = Decimal::fromString(auction.salePrice);
        index.revenue = price ? index.revenue->checkedAdd(*price) : std::nullopt;
    }
    stored.append(std::move(auction));
    return id;
}

QList<StandinUser> StandinBackend::users() const
{
    return m_users;
}

std::optional<StandinUser> StandinBackend::user(const QString &id) const
{
    for (const StandinUser &candidate : m_users) {
        if (candidate.id == id)
            return candidate;
    }
    return std::nullopt;
}

QList<StandinShow> StandinBackend::shows(const QString &userId) const
{
    QList<const StoredShow *> owned;
    for (const StoredShow &stored : m_shows) {
        if (stored.show.userId == userId)
            owned.append(&stored);
    }
    std::sort(owned.begin(), owned.end(), [](const StoredShow *a, const StoredShow *b) {
        const QDateTime ta = parseTime(a->show.createdAt);
        const QDateTime tb = parseTime(b->show.createdAt);
        if (ta != tb)
            return ta > tb;
        return a->sequence > b->sequence;
    });
    QList<StandinShow> out;
    out.reserve(owned.size());
    for (const StoredShow *stored : owned)
        out.append(stored->show);
    return out;
}

std::optional<StandinShow> StandinBackend::show(const QString &showId) const
{
    const auto it = m_shows.constFind(showId);
    if (it == m_shows.constEnd())
        return std::nullopt;
    return it->show;
}

QList<StandinAuction> StandinBackend::auctions(const QString &showId) const
{
    return m_auctions.value(showId);
}

OnboardingProgress StandinBackend::onboarding(const QString &userId, const QString &slug) const
{
    return m_onboarding.value(userId).value(slug);
}

} // namespace quill::standin
