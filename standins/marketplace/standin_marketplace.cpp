#include "standin_marketplace.h"

#include <QBuffer>
#include <QColor>
#include <QCryptographicHash>
#include <QFile>
#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QUuid>

namespace quill::standin {

namespace {

const QByteArray kSessionCookie = QByteArrayLiteral("mp_session");

QString resourceText(const QString &name)
{
    QFile file(QStringLiteral(":/standin-marketplace/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("stand-in marketplace resource %s is missing", qPrintable(name));
    return QString::fromUtf8(file.readAll());
}

QString methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return QStringLiteral("GET");
    case QHttpServerRequest::Method::Post:
        return QStringLiteral("POST");
    case QHttpServerRequest::Method::Head:
        return QStringLiteral("HEAD");
    case QHttpServerRequest::Method::Put:
        return QStringLiteral("PUT");
    case QHttpServerRequest::Method::Delete:
        return QStringLiteral("DELETE");
    default:
        return QStringLiteral("OTHER");
    }
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    default:
        return "Status";
    }
}

QString html(const QString &text)
{
    return text.toHtmlEscaped();
}

// JSON placed inside a <script> element must not close it.
QByteArray scriptSafe(QByteArray json)
{
    return json.replace("</", "<\\/");
}

QByteArray header(const QHttpServerRequest &request, const QByteArray &name)
{
    const auto headers = request.headers();
    for (const auto &pair : headers) {
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return pair.second;
    }
    return {};
}

QByteArray cookieValue(const QByteArray &cookieHeader, const QByteArray &name)
{
    const QList<QByteArray> parts = cookieHeader.split(';');
    for (const QByteArray &part : parts) {
        const QByteArray trimmed = part.trimmed();
        const qsizetype equals = trimmed.indexOf('=');
        if (equals > 0 && trimmed.left(equals) == name)
            return trimmed.mid(equals + 1);
    }
    return {};
}

QUrlQuery formBody(const QByteArray &body)
{
    QByteArray plain = body;
    plain.replace('+', ' ');
    return QUrlQuery(QString::fromUtf8(plain));
}

} // namespace

struct StandinMarketplace::Answer
{
    int status = 200;
    QByteArray contentType = QByteArrayLiteral("text/html; charset=utf-8");
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;

    static Answer page(const QString &title, const QByteArray &bodyHtml)
    {
        static const QString css = resourceText(QStringLiteral("page.css"));
        Answer answer;
        answer.body = "<!doctype html><html><head><meta charset=\"utf-8\"><title>" + html(title).toUtf8() +
                      "</title><style>" + css.toUtf8() + "</style></head><body>" + bodyHtml +
                      "</body></html>";
        answer.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("no-store")));
        return answer;
    }
    static Answer json(const QJsonObject &object)
    {
        Answer answer;
        answer.contentType = QByteArrayLiteral("application/json");
        answer.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
        answer.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("no-store")));
        return answer;
    }
    static Answer redirect(const QString &location)
    {
        Answer answer;
        answer.status = 302;
        answer.body.clear();
        answer.headers.append(qMakePair(QByteArray("Location"), location.toUtf8()));
        return answer;
    }
    static Answer notFound()
    {
        Answer answer = page(QStringLiteral("Not found"), QByteArrayLiteral("<h1>Not found</h1>"));
        answer.status = 404;
        return answer;
    }
};

StandinMarketplace::StandinMarketplace(QObject *parent)
    : QObject(parent), m_server(std::make_unique<QHttpServer>())
{
    // One handler for everything: the paths are few and the router of this Qt
    // version matches decoded paths.
    m_server->setMissingHandler([this](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        handle(request, std::move(responder));
    });
}

StandinMarketplace::~StandinMarketplace() = default;

quint16 StandinMarketplace::listen(quint16 port)
{
    if (m_port != 0)
        return m_port;
    m_port = m_server->listen(QHostAddress::LocalHost, port);
    return m_port;
}

QUrl StandinMarketplace::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
}

QUrl StandinMarketplace::homeUrl() const
{
    return QUrl(baseUrl().toString() + QLatin1Char('/'));
}

QString StandinMarketplace::livePrefix() const
{
    return baseUrl().toString() + QStringLiteral("/live/");
}

QUrl StandinMarketplace::liveUrl(const QString &streamId) const
{
    return QUrl(livePrefix() + QString::fromUtf8(QUrl::toPercentEncoding(streamId)));
}

QUrl StandinMarketplace::loginUrl() const
{
    return QUrl(baseUrl().toString() + QStringLiteral("/login"));
}

QUrl StandinMarketplace::signupUrl() const
{
    return QUrl(baseUrl().toString() + QStringLiteral("/signup"));
}

QUrl StandinMarketplace::variedUrl(const QString &page, const QString &query) const
{
    QUrl url(baseUrl().toString() + QStringLiteral("/varied/") + page);
    if (!query.isEmpty())
        url.setQuery(query);
    return url;
}

// --- state ---------------------------------------------------------------------

void StandinMarketplace::setLoggedIn(std::optional<bool> forced)
{
    m_forcedLogin = forced;
}

void StandinMarketplace::endAllSessions()
{
    m_sessions.clear();
}

void StandinMarketplace::setStreamTitle(const QString &streamId, const QString &title)
{
    m_streams[streamId].title = title;
}

QString StandinMarketplace::avatarFor(const QString &name) const
{
    return baseUrl().toString() + QStringLiteral("/avatars/") +
           QString::fromUtf8(QUrl::toPercentEncoding(name)) + QStringLiteral(".png");
}

void StandinMarketplace::appendActivity(const QString &streamId, QByteArray json)
{
    m_streams[streamId].activity.append(Activity{m_nextSequence++, std::move(json)});
}

void StandinMarketplace::addWin(const QString &streamId, MarketplaceWin win)
{
    QJsonObject object;
    object.insert(QStringLiteral("sequence"), m_nextSequence);
    object.insert(QStringLiteral("type"), QStringLiteral("win"));
    object.insert(QStringLiteral("username"), win.username);
    object.insert(QStringLiteral("title"), win.title);
    object.insert(QStringLiteral("auctionNumber"),
                  win.auctionNumber ? QJsonValue(double(*win.auctionNumber)) : QJsonValue(QJsonValue::Null));
    object.insert(QStringLiteral("price"), win.price);
    object.insert(QStringLiteral("avatarURL"),
                  win.avatarURL.isEmpty() ? avatarFor(win.username) : win.avatarURL);
    appendActivity(streamId, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void StandinMarketplace::addBid(const QString &streamId, MarketplaceBid bid)
{
    QJsonObject object;
    object.insert(QStringLiteral("sequence"), m_nextSequence);
    object.insert(QStringLiteral("type"), QStringLiteral("bid"));
    object.insert(QStringLiteral("username"), bid.username);
    object.insert(QStringLiteral("message"), bid.message);
    object.insert(QStringLiteral("avatarURL"),
                  bid.avatarURL.isEmpty() ? avatarFor(bid.username) : bid.avatarURL);
    appendActivity(streamId, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void StandinMarketplace::setSoldRows(const QString &streamId, QList<SoldRow> rows)
{
    m_streams[streamId].sold = std::move(rows);
}

void StandinMarketplace::addSampleActivity(const QString &streamId, int bids, int wins)
{
    static const QStringList titles{QStringLiteral("Vintage card"), QStringLiteral("Graded slab"),
                                    QStringLiteral("Mystery pack"), QStringLiteral("Booster box"),
                                    QStringLiteral("Signed photo")};
    const int bidders = 40;
    // Spread the wins evenly through the bids, as in a show.
    const int step = wins > 0 ? qMax(1, bids / wins) : bids + 1;
    int won = 0;
    for (int i = 0; i < bids; ++i) {
        const QString user = QStringLiteral("bidder%1").arg(i % bidders);
        addBid(streamId, MarketplaceBid{user, QStringLiteral("bid $%1").arg(5 + i % 200), {}});
        if (won < wins && (i + 1) % step == 0) {
            ++won;
            const QString price =
                won % 2 ? QStringLiteral("%1").arg(10 + won) : QStringLiteral("%1.50").arg(10 + won);
            addWin(streamId, MarketplaceWin{user, titles.at(won % titles.size()), won, price, {}});
        }
    }
    for (; won < wins; ++won) {
        const int number = won + 1;
        addWin(streamId, MarketplaceWin{QStringLiteral("bidder%1").arg(number % bidders),
                                        titles.at(number % titles.size()),
                                        number,
                                        QStringLiteral("%1").arg(10 + number),
                                        {}});
    }
}

void StandinMarketplace::clearStream(const QString &streamId)
{
    m_streams.remove(streamId);
    m_soldServed.remove(streamId);
}

// --- HTTP ----------------------------------------------------------------------

void StandinMarketplace::handle(const QHttpServerRequest &request, QHttpServerResponder &&responder)
{
    const QString method = methodName(request.method());
    const QString path = request.url().path(QUrl::FullyEncoded);
    const QByteArray cookies = header(request, "Cookie");
    const bool loggedIn = isLoggedIn(cookies);
    m_requests.append(MarketplaceRequest{method, path, cookies, loggedIn});

    const Answer answer = dispatch(method, path, request, loggedIn, cookies);
    send(responder.socket(), answer);
}

bool StandinMarketplace::isLoggedIn(const QByteArray &cookieHeader) const
{
    if (m_forcedLogin)
        return *m_forcedLogin;
    return !sessionUser(cookieHeader).isEmpty();
}

QString StandinMarketplace::sessionUser(const QByteArray &cookieHeader) const
{
    const QByteArray token = cookieValue(cookieHeader, kSessionCookie);
    return token.isEmpty() ? QString() : m_sessions.value(QString::fromLatin1(token));
}

StandinMarketplace::Answer StandinMarketplace::dispatch(const QString &method, const QString &path,
                                                        const QHttpServerRequest &request, bool loggedIn,
                                                        const QByteArray &cookieHeader)
{
    QStringList segments;
    const QStringList raw = path.split(QLatin1Char('/'));
    for (qsizetype i = 1; i < raw.size(); ++i)
        segments.append(QUrl::fromPercentEncoding(raw.at(i).toUtf8()));
    if (!segments.isEmpty() && segments.constLast().isEmpty())
        segments.removeLast();

    QString user = sessionUser(cookieHeader);
    if (loggedIn && user.isEmpty())
        user = QStringLiteral("seller");
    const QUrlQuery query(request.url());

    if (method == QLatin1String("POST")) {
        if (segments == QStringList{QStringLiteral("login")})
            return logIn(request);
        Answer answer = Answer::notFound();
        answer.status = 405;
        return answer;
    }
    if (method != QLatin1String("GET") && method != QLatin1String("HEAD"))
        return Answer::notFound();

    if (segments.isEmpty())
        return homePage(loggedIn, user);
    if (segments.size() == 1 && segments.at(0) == QLatin1String("login"))
        return loginPage(query.queryItemValue(QStringLiteral("next"), QUrl::FullyDecoded), {});
    if (segments.size() == 1 && segments.at(0) == QLatin1String("signup"))
        return signupPage();
    if (segments.size() == 2 && segments.at(0) == QLatin1String("live") && !segments.at(1).isEmpty())
        return livePage(segments.at(1), loggedIn, user);
    if (segments.size() == 2 &&
        (segments.at(0) == QLatin1String("avatars") || segments.at(0) == QLatin1String("items")))
        return image(segments.at(0) + segments.at(1));
    if (segments.size() == 2 && segments.at(0) == QLatin1String("varied"))
        return variedPage(segments.at(1));
    if (segments.size() == 4 && segments.at(0) == QLatin1String("api") &&
        segments.at(1) == QLatin1String("live")) {
        if (segments.at(3) == QLatin1String("events"))
            return events(segments.at(2), query.queryItemValue(QStringLiteral("after")).toLongLong());
        if (segments.at(3) == QLatin1String("sold")) {
            bool offsetOk = false;
            bool limitOk = false;
            const int offset = query.queryItemValue(QStringLiteral("offset")).toInt(&offsetOk);
            const int limit = query.queryItemValue(QStringLiteral("limit")).toInt(&limitOk);
            if (!offsetOk || !limitOk || offset < 0 || limit <= 0) {
                Answer answer =
                    Answer::json(QJsonObject{{QStringLiteral("error"), QStringLiteral("bad range")}});
                answer.status = 400;
                return answer;
            }
            return soldRows(segments.at(2), offset, limit);
        }
    }
    return Answer::notFound();
}

QByteArray StandinMarketplace::topBar(bool loggedIn, const QString &user, const QByteArray &extra) const
{
    QByteArray bar = "<header class=\"topbar\"><a class=\"brand\" href=\"/\">Marketplace</a>" + extra;
    if (loggedIn) {
        bar +=
            "<button type=\"button\" aria-label=\"Notifications\">&#128276;</button>"
            "<a href=\"/profile\" aria-label=\"Profile\"><img data-testid=\"user-avatar\" class=\"user-pic\" "
            "width=\"32\" height=\"32\" alt=\"" +
            html(user).toUtf8() + "\" src=\"" + html(avatarFor(user)).toUtf8() + "\"></a>";
    } else {
        bar += "<a class=\"login-link\" href=\"/login\">Log In</a><a class=\"signup-link\" "
               "href=\"/signup\">Sign Up</a>";
    }
    bar += "</header>";
    return bar;
}

StandinMarketplace::Answer StandinMarketplace::homePage(bool loggedIn, const QString &user) const
{
    QByteArray body = topBar(loggedIn, user);
    body += "<main class=\"home\"><h1>Live now</h1><ul class=\"shows\">";
    QStringList ids = m_streams.keys();
    ids.sort();
    for (const QString &id : std::as_const(ids)) {
        const QString title = m_streams.value(id).title.isEmpty() ? id : m_streams.value(id).title;
        body +=
            "<li><a href=\"/live/" + QUrl::toPercentEncoding(id) + "\">" + html(title).toUtf8() + "</a></li>";
    }
    body += "</ul></main>";
    return Answer::page(QStringLiteral("Marketplace"), body);
}

StandinMarketplace::Answer StandinMarketplace::livePage(const QString &streamId, bool loggedIn,
                                                        const QString &user) const
{
    static const QString script = resourceText(QStringLiteral("live_page.js"));
    const Stream stream = m_streams.value(streamId);

    QByteArray initial = "[";
    for (qsizetype i = 0; i < stream.activity.size(); ++i) {
        if (i > 0)
            initial += ',';
        initial += stream.activity.at(i).json;
    }
    initial += ']';

    QJsonObject config;
    config.insert(QStringLiteral("streamId"), streamId);
    config.insert(QStringLiteral("base"), baseUrl().toString());
    config.insert(QStringLiteral("pollMs"), m_pollIntervalMs);
    config.insert(QStringLiteral("soldCount"), int(stream.sold.size()));
    config.insert(QStringLiteral("soldBatch"), m_soldBatchSize);
    QByteArray configJson = QJsonDocument(config).toJson(QJsonDocument::Compact);
    configJson.chop(1); // room for the activity, which is already JSON text
    configJson += ",\"initial\":" + initial + '}';

    const QString title = stream.title.isEmpty() ? streamId : stream.title;
    QByteArray body =
        topBar(loggedIn, user,
               QByteArrayLiteral("<span class=\"viewers\"><span class=\"viewer-count\">128</span>"
                                 " watching</span>"));
    body += "<main class=\"live\"><section class=\"stream\"><div class=\"player\">"
            "<video class=\"stream-video\" autoplay playsinline></video>"
            "<div class=\"seller-row\"><img class=\"seller-pic\" width=\"28\" height=\"28\" alt=\"\" src=\"" +
            html(avatarFor(QStringLiteral("seller"))).toUtf8() +
            "\"><span class=\"seller-name\">seller</span><button type=\"button\" "
            "class=\"follow\">Follow</button></div>"
            "<div class=\"stream-info\"><span class=\"live-badge\">LIVE</span><h1 class=\"stream-title\">" +
            html(title).toUtf8() +
            "</h1></div><div class=\"giveaway\">Giveaway &middot; 152 entries</div>"
            "<button type=\"button\" class=\"share\" aria-label=\"Share\"><svg width=\"20\" height=\"20\" "
            "viewBox=\"0 0 20 20\"><path d=\"M4 10h12M10 4l6 6-6 6\" stroke=\"currentColor\" fill=\"none\"/>"
            "</svg></button></div></section>"
            "<section class=\"chat\"><div id=\"chat-feed\" class=\"chat-feed\"></div>"
            "<div class=\"chat-compose\"><div class=\"compose-inner\"><div class=\"compose-row\">"
            "<div class=\"compose-field\">"
            "<input type=\"text\" placeholder=\"Say something...\">"
            "</div></div></div></div></section></main>"
            "<div class=\"auction-bar\"><div class=\"bar-lot\"><span class=\"lot-name\">Current lot</span>"
            "<div class=\"winning-banner\"><span class=\"winner-name\">carol</span> is Winning!</div></div>"
            "<div class=\"bar-actions\"><button type=\"button\">Custom</button>"
            "<button type=\"button\" class=\"bid\">Bid $45</button></div></div>"
            "<section class=\"shop\"><h2>Shop</h2><div class=\"tabs\">"
            "<button type=\"button\" role=\"tab\" class=\"tab\">Buy Now</button>"
            "<button type=\"button\" role=\"tab\" class=\"tab\">Auctions</button>"
            "<button type=\"button\" role=\"tab\" class=\"tab\" id=\"sold-tab\">Sold (" +
            QByteArray::number(stream.sold.size()) +
            ")</button></div><div id=\"sold-list\" class=\"sold-list\" hidden></div></section>";
    body += "<script>window.__standinConfig = " + scriptSafe(configJson) + ";</script>";
    body += "<script>" + script.toUtf8() + "</script>";
    return Answer::page(title + QStringLiteral(" | Whatnot"), body);
}

StandinMarketplace::Answer StandinMarketplace::loginPage(const QString &next, const QString &problem) const
{
    QByteArray body = "<header class=\"topbar\"><a class=\"brand\" href=\"/\">Marketplace</a></header>"
                      "<form class=\"login\" method=\"post\" action=\"/login\"><h1>Log in</h1>";
    if (!problem.isEmpty())
        body += "<p class=\"problem\">" + html(problem).toUtf8() + "</p>";
    body += "<input name=\"username\" placeholder=\"User name\" autocomplete=\"username\">"
            "<input name=\"password\" type=\"password\" placeholder=\"Password\" "
            "autocomplete=\"current-password\">"
            "<input name=\"next\" type=\"hidden\" value=\"" +
            html(next).toUtf8() + "\"><button type=\"submit\">Log in</button></form>";
    return Answer::page(QStringLiteral("Log in"), body);
}

StandinMarketplace::Answer StandinMarketplace::signupPage() const
{
    const QByteArray body = "<header class=\"topbar\"><a class=\"brand\" href=\"/\">Marketplace</a></header>"
                            "<form class=\"login\" method=\"post\" action=\"/signup\"><h1>Sign up</h1>"
                            "<input name=\"username\" placeholder=\"User name\">"
                            "<input name=\"password\" type=\"password\" placeholder=\"Password\">"
                            "<button type=\"submit\">Sign up</button></form>";
    return Answer::page(QStringLiteral("Sign up"), body);
}

StandinMarketplace::Answer StandinMarketplace::logIn(const QHttpServerRequest &request)
{
    const QUrlQuery form = formBody(request.body());
    const QString username = form.queryItemValue(QStringLiteral("username"), QUrl::FullyDecoded).trimmed();
    const QString password = form.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded);
    const QString next = form.queryItemValue(QStringLiteral("next"), QUrl::FullyDecoded);
    if (username.isEmpty() || password.isEmpty())
        return loginPage(next, QStringLiteral("Enter your user name and password."));

    const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_sessions.insert(token, username);
    m_signedInUsers.append(username);
    // Only local paths: the form must not send the browser elsewhere.
    const bool localNext = next.startsWith(QLatin1Char('/')) && !next.startsWith(QLatin1String("//"));
    Answer answer = Answer::redirect(localNext ? next : QStringLiteral("/"));
    const QByteArray cookie =
        kSessionCookie + '=' + token.toLatin1() + "; Path=/; Max-Age=31536000; HttpOnly; SameSite=Lax";
    answer.headers.append(qMakePair(QByteArray("Set-Cookie"), cookie));
    return answer;
}

StandinMarketplace::Answer StandinMarketplace::events(const QString &streamId, qint64 after)
{
    const Stream stream = m_streams.value(streamId);
    QByteArray list = "[";
    qint64 last = after;
    bool first = true;
    for (const Activity &activity : stream.activity) {
        if (activity.sequence <= after)
            continue;
        if (!first)
            list += ',';
        first = false;
        list += activity.json;
        last = activity.sequence;
    }
    list += ']';
    Answer answer = Answer::json(
        QJsonObject{{QStringLiteral("soldCount"), int(stream.sold.size())}, {QStringLiteral("last"), last}});
    answer.body.chop(1);
    answer.body += ",\"events\":" + list + '}';
    Q_EMIT pageSynced(streamId, last);
    return answer;
}

QByteArray StandinMarketplace::soldRowJson(const SoldRow &row) const
{
    QJsonObject object;
    object.insert(QStringLiteral("title"), row.title);
    object.insert(QStringLiteral("buyer"), row.buyer);
    object.insert(QStringLiteral("price"), row.price);
    object.insert(QStringLiteral("auctionNumber"),
                  row.auctionNumber ? QJsonValue(double(*row.auctionNumber)) : QJsonValue(QJsonValue::Null));
    object.insert(QStringLiteral("avatarURL"),
                  row.avatarURL.isEmpty() ? avatarFor(row.buyer) : row.avatarURL);
    const QString imageURL = baseUrl().toString() + QStringLiteral("/items/") +
                             QString::number(row.auctionNumber.value_or(0)) + QStringLiteral(".png");
    object.insert(QStringLiteral("imageURL"), imageURL);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

StandinMarketplace::Answer StandinMarketplace::soldRows(const QString &streamId, int offset, int limit)
{
    const QList<SoldRow> rows = m_streams.value(streamId).sold;
    QByteArray list = "[";
    int served = 0;
    for (qsizetype i = offset; i < rows.size() && served < limit; ++i, ++served) {
        if (served > 0)
            list += ',';
        list += soldRowJson(rows.at(i));
    }
    list += ']';
    m_soldServed[streamId] = qMax(m_soldServed.value(streamId), offset + served);
    Answer answer = Answer::json(QJsonObject{{QStringLiteral("total"), int(rows.size())}});
    answer.body.chop(1);
    answer.body += ",\"rows\":" + list + '}';
    return answer;
}

StandinMarketplace::Answer StandinMarketplace::variedPage(const QString &name) const
{
    static const QStringList pages{QStringLiteral("wins"),       QStringLiteral("bids"),
                                   QStringLiteral("sold"),       QStringLiteral("wins-feed"),
                                   QStringLiteral("bids-feed"), QStringLiteral("sold-observed")};
    if (!pages.contains(name))
        return Answer::notFound();
    Answer answer;
    answer.body = resourceText(QStringLiteral("varied/%1.html").arg(name)).toUtf8();
    answer.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("no-store")));
    return answer;
}

StandinMarketplace::Answer StandinMarketplace::image(const QString &seed) const
{
    // A small picture whose colour follows the name, so different users differ.
    const QByteArray hash = QCryptographicHash::hash(seed.toUtf8(), QCryptographicHash::Md5);
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(QColor(quint8(hash.at(0)), quint8(hash.at(1)), quint8(hash.at(2))));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    Answer answer;
    answer.contentType = QByteArrayLiteral("image/png");
    answer.body = png;
    answer.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("max-age=3600")));
    return answer;
}

void StandinMarketplace::send(QTcpSocket *socket, const Answer &answer)
{
    QByteArray out =
        "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n";
    if (!answer.body.isEmpty())
        out += "Content-Type: " + answer.contentType + "\r\n";
    for (const auto &pair : answer.headers)
        out += pair.first + ": " + pair.second + "\r\n";
    out += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n\r\n";
    out += answer.body;
    socket->write(out);
}

} // namespace quill::standin
