#pragma once

// A small in-process HTTP server with marketplace pages of our own, for tests,
// benchmarks and the local demo. Everything lives in memory.
//
// Pages (all on http://127.0.0.1:<port>):
//   /                 home page
//   /live/<stream id> a show's live page: a chat feed with win notices and bids,
//                     and a shop section whose "Sold (N)" tab loads its rows in
//                     batches as the last loaded row scrolls into view
//   /login            login page (a form with a password field); POST signs in
//                     with any non-empty user name and password, sets the
//                     persistent cookie "mp_session" and redirects to "next" or "/"
//   /signup           sign-up page (a form with a password field)
//   /avatars/<name>.png, /items/<n>.png   small images
//   /varied/<page>    pages whose markup varies the way a modern front end builds it
//                     (wins, bids, sold): see the notes at the top of each page
//
// Every page has a top bar: logged out it carries a "Log In" link to /login;
// logged in it carries a notifications button, a profile link
// (aria-label="Profile") and the seller's picture (data-testid="user-avatar").
// A request is logged in when it carries a live session cookie, unless
// setLoggedIn() forces every request in or out.
//
// Live page markup (what the page scripts read):
//   win notice  <div class="chat-row win-notice"><img class="chat-pic" src=".../avatars/alice.png">
//                 <div class="win-line"><span class="chat-user">alice</span> won! <span class="win-title">
//                 Vintage card #12</span></div><div class="win-price">$1,250.50</div></div>
//   bid / chat  <div class="chat-row bid-row"><img class="chat-pic" ...><span class="chat-user">bob</span>
//                 <span class="chat-msg">bid $25</span></div>
//   shop        <section class="shop"><h2>Shop</h2> tabs "Buy Now", "Auctions", "Sold (N)"
//   sold row    <div class="sold-row"><img class="item-pic" ...><div class="sold-info">
//                 <div class="sold-title">Title</div><div class="sold-meta">#12 · $30</div>
//                 <div class="sold-buyer"><img src=".../avatars/alice.png">Buyer: alice</div></div></div>
//
// Around the stream (what the live show screen's scripts hide or keep), laid
// out for a viewport of about 1280 x 800; the document title is "<title> | Whatnot":
//   top bar     a viewer count <span class="viewer-count">128</span> near the right end
//   stream      <div class="player"><video class="stream-video">, a seller row (48 px high, at the
//                 top of the stream) with a "Follow" button, <h1 class="stream-title">, a
//                 "Giveaway · 152 entries" badge, and a fixed 40 px share button with an svg at
//                 the right edge
//   chat        the feed, then a "Say something..." input four elements below div.chat-compose
//   auction bar fixed along the bottom, full width, 96 px high: "carol is Winning!", "Custom"
//                 and "Bid $45" buttons
//
// How tests drive a live page: activity added here (addWin, addBid,
// setSoldRows) is stored with a sequence number. A page renders everything that
// existed when it was served, then fetches newer activity every
// pagePollInterval() ms (default 100) and appends it to the DOM. For exact
// timing a test runs `return window.__standin.sync()` in the page: it fetches
// and renders pending activity synchronously and answers the number of items
// rendered. `window.__standin.addWin({...})` / `addBid({...})` append directly
// without the server. pageSynced() is emitted when a page has fetched activity.
// There is no special crash page: tests kill the renderer of any page.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
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

struct MarketplaceWin
{
    QString username;
    QString title;
    std::optional<qint64> auctionNumber; // none: the notice has no "#<n>"
    QString price;                       // as the page shows it after "$": "30", "12.50", "1,250.50"
    QString avatarURL;                   // empty: the stand-in's picture of the user
};

struct MarketplaceBid
{
    QString username;
    QString message;   // what follows the user name: "bid $25", "placed a bid", "is Winning! $40", "hi all"
    QString avatarURL; // empty: the stand-in's picture of the user
};

struct SoldRow
{
    QString title;
    QString buyer;
    QString price; // as shown after "$"
    std::optional<qint64> auctionNumber;
    QString avatarURL; // empty: the stand-in's picture of the buyer
};

// One request exactly as it reached the server.
struct MarketplaceRequest
{
    QString method;
    QString path; // still percent-encoded
    QByteArray cookieHeader;
    bool loggedIn = false; // the request was served as logged in
};

class StandinMarketplace final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StandinMarketplace)

public:
    explicit StandinMarketplace(QObject *parent = nullptr);
    ~StandinMarketplace() override;

    // Listens on 127.0.0.1 only; port 0 lets the system choose. Returns the port,
    // 0 on failure. A second call returns the port already in use.
    quint16 listen(quint16 port = 0);
    quint16 port() const { return m_port; }
    QUrl baseUrl() const;       // "http://127.0.0.1:<port>"
    QUrl homeUrl() const;       // ".../"
    QString livePrefix() const; // ".../live/"
    QUrl liveUrl(const QString &streamId) const;
    QUrl loginUrl() const;
    QUrl signupUrl() const;
    // One of the varied-markup pages ("wins", "bids", "sold"), with an optional query.
    QUrl variedUrl(const QString &page, const QString &query = {}) const;

    // --- log-in state ----------------------------------------------------------
    // nullopt: a request is logged in when it carries a live session cookie;
    // true / false: every request is served logged in / logged out.
    void setLoggedIn(std::optional<bool> forced);
    // Ends every session: their cookies stop counting.
    void endAllSessions();
    // User names that signed in through the login form, in order.
    QStringList signedInUsers() const { return m_signedInUsers; }

    // --- live page activity ------------------------------------------------------
    void setStreamTitle(const QString &streamId, const QString &title);
    void addWin(const QString &streamId, MarketplaceWin win);
    void addBid(const QString &streamId, MarketplaceBid bid);
    // Replaces the Sold tab's rows (the tab's count follows).
    void setSoldRows(const QString &streamId, QList<SoldRow> rows);
    // Deterministic sample activity: `bids` bid rows by a few dozen bidders and
    // `wins` win notices (numbers 1.., prices with and without cents).
    void addSampleActivity(const QString &streamId, int bids, int wins);
    void clearStream(const QString &streamId);

    // Rows per Sold tab batch (default 8).
    void setSoldBatchSize(int rows) { m_soldBatchSize = qMax(1, rows); }
    int pagePollInterval() const { return m_pollIntervalMs; }
    void setPagePollInterval(int milliseconds) { m_pollIntervalMs = qMax(10, milliseconds); }

    // --- inspection -----------------------------------------------------------------
    QList<MarketplaceRequest> requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }
    // Sold rows that pages have fetched so far for the stream.
    int soldRowsServed(const QString &streamId) const { return m_soldServed.value(streamId); }

Q_SIGNALS:
    // A live page fetched activity up to `sequence`.
    void pageSynced(const QString &streamId, qint64 sequence);

private:
    struct Activity
    {
        qint64 sequence = 0;
        QByteArray json; // one event object, compact JSON
    };
    struct Stream
    {
        QString title;
        QList<Activity> activity;
        QList<SoldRow> sold;
    };
    struct Answer;

    void handle(const QHttpServerRequest &request, QHttpServerResponder &&responder);
    Answer dispatch(const QString &method, const QString &path, const QHttpServerRequest &request,
                    bool loggedIn, const QByteArray &cookieHeader);
    bool isLoggedIn(const QByteArray &cookieHeader) const;
    QString sessionUser(const QByteArray &cookieHeader) const;

    Answer homePage(bool loggedIn, const QString &user) const;
    Answer livePage(const QString &streamId, bool loggedIn, const QString &user) const;
    Answer loginPage(const QString &next, const QString &problem) const;
    Answer signupPage() const;
    Answer logIn(const QHttpServerRequest &request);
    Answer events(const QString &streamId, qint64 after);
    Answer soldRows(const QString &streamId, int offset, int limit);
    Answer image(const QString &seed) const;
    Answer variedPage(const QString &name) const;

    QByteArray topBar(bool loggedIn, const QString &user, const QByteArray &extra = {}) const;
    QString avatarFor(const QString &name) const;
    QByteArray soldRowJson(const SoldRow &row) const;
    void appendActivity(const QString &streamId, QByteArray json);

    static void send(QTcpSocket *socket, const Answer &answer);

    std::unique_ptr<QHttpServer> m_server;
    quint16 m_port = 0;

    std::optional<bool> m_forcedLogin;
    QHash<QString, QString> m_sessions; // session token -> user name
    QStringList m_signedInUsers;

    QHash<QString, Stream> m_streams;
    QHash<QString, int> m_soldServed;
    qint64 m_nextSequence = 1;
    int m_soldBatchSize = 8;
    int m_pollIntervalMs = 100;

    QList<MarketplaceRequest> m_requests;
};

} // namespace quill::standin
