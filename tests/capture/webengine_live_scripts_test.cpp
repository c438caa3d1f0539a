// The live show screen's page scripts in Qt WebEngine: on fixture pages of a
// fixed viewport (1000 x 700) that put each rule's measures on either side of
// its limits, and on the stand-in marketplace's live page.
#include "capture/live_page_scripts.h"
#include "capture/page_scripts.h"
#include "capture/webengine_page_script_host.h"
#include "capture_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEngineProfile>

using namespace quill;
using namespace quill::testing;
using Script = LivePageScripts::Script;

namespace {

const QString kHide = QStringLiteral("data-qm-hide");
const QString kPipHide = QStringLiteral("data-qm-pip-hide");

// JS: the ids (or <tag> when there is none) of the elements carrying an attribute, sorted.
QString markedBody(const QString &attribute)
{
    return QStringLiteral("return Array.prototype.map.call(document.querySelectorAll('[%1]'), function (e) {"
                          "  return e.id || '<' + e.tagName.toLowerCase() + '>'; }).sort().join(',');")
        .arg(attribute);
}

// JS: for the first video (else canvas), the elements that picture-in-picture
// must hide and does not, or hides and must not.
const QString kPipMismatches = QStringLiteral(
    "var media = document.querySelector('video') || document.querySelector('canvas');"
    "var wrong = [];"
    "Array.prototype.forEach.call(document.body.querySelectorAll('*'), function (e) {"
    "  var keep = e.contains(media) || !e.parentElement.contains(media);"
    "  if (keep === e.hasAttribute('data-qm-pip-hide')) wrong.push(e.id || e.className || e.tagName);"
    "});"
    "return wrong.join(',');");

QString styleText(const QString &id)
{
    return QStringLiteral("var s = document.getElementById('%1'); return s ? s.textContent : null;").arg(id);
}

QStringList split(const QJsonValue &joined)
{
    return joined.toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
}

// A page of our own markup in a shown view of a fixed size.
class WebEngineLiveScripts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_page = new QWebEnginePage(&m_profile, &m_view);
        m_view.setPage(m_page);
        m_view.resize(1000, 700);
        m_view.show();
        m_host = std::make_unique<WebEnginePageScriptHost>(m_page);
    }

    void TearDown() override
    {
        m_host.reset();
        m_view.setPage(nullptr);
        delete m_page;
    }

    void setHtml(const QString &body)
    {
        QSignalSpy finished(m_page, &QWebEnginePage::loadFinished);
        m_page->setHtml(
            QStringLiteral("<!doctype html><html><head><style>body { margin: 0; font: 14px sans-serif; }"
                           " .at { position: absolute; }</style></head><body>") +
            body + QStringLiteral("</body></html>"));
        ASSERT_TRUE(eventually([&] { return !finished.isEmpty(); }));
        ASSERT_TRUE(finished.constLast().at(0).toBool());
        ASSERT_EQ(js(QStringLiteral("return [window.innerWidth, window.innerHeight].join('x');")),
                  QJsonValue(QStringLiteral("1000x700")));
    }

    QJsonValue js(const QString &body) { return runSync(m_host->run(body)); }
    bool run(Script script) { return runSync(LivePageScripts::run(fixedPageScriptSource(*m_host), script)); }
    QStringList marked(const QString &attribute) { return split(js(markedBody(attribute))); }
    QString display(const QString &id)
    {
        return js(QStringLiteral("return getComputedStyle(document.getElementById('%1')).display;").arg(id))
            .toString();
    }
    // The stream-title script's own answer.
    QJsonValue titleAnswer()
    {
        const QJsonValue answer = js(LivePageScripts::text(Script::streamTitle));
        EXPECT_TRUE(answer.isString());
        const QJsonDocument document = QJsonDocument::fromJson(answer.toString().toUtf8());
        EXPECT_TRUE(document.isObject()) << answer.toString().toStdString();
        EXPECT_EQ(document.object().keys(), QStringList{QStringLiteral("title")});
        return document.object().value(QLatin1String("title"));
    }

    QWebEngineProfile m_profile; // off the record
    QWebEngineView m_view;
    QWebEnginePage *m_page = nullptr;
    std::unique_ptr<WebEnginePageScriptHost> m_host;
};

// Every rule of the clean-stream script, each with cases on both sides.
const QString kCleanPage = QStringLiteral(R"(
<video id="video" class="at" style="left:0;top:0;width:1000px;height:700px"></video>
<button id="follow" class="at" style="left:10px;top:200px">Follow</button>
<button id="following" class="at" style="left:10px;top:230px">Following</button>
<button id="bid-lower" class="at" style="left:100px;top:200px">bid now</button>
<button id="custom" class="at" style="left:200px;top:200px">Custom</button>
<button id="custom-bid" class="at" style="left:260px;top:200px">Custom bid</button>
<button id="awaiting" class="at" style="left:360px;top:200px">Awaiting bids</button>
<button id="big-bid" class="at" style="left:460px;top:200px">Big bid</button>

<div id="header-outer" class="at" style="left:0;top:10px;width:600px;height:100px">
  <div id="header" class="at" style="left:0;top:0;width:600px;height:50px">
    <div id="follow-wrap"><button id="follow-top">Follow</button></div>
  </div>
</div>
<div id="low-row" class="at" style="left:0;top:300px;width:600px;height:50px"><button id="follow-low">Follow</button></div>

<div id="bar" class="at" style="left:0;bottom:0;width:1000px;height:120px">
  <div id="bar-inner"><button id="bid">Bid $5</button></div>
</div>
<div id="narrow-bar" class="at" style="left:0;bottom:130px;width:600px;height:120px">
  <div id="narrow-inner"><button id="bid-narrow">Bid</button></div>
</div>

<div id="chat4"><div id="chat3"><div id="chat2"><div id="chat1">
  <textarea id="chat" placeholder="Say something..."></textarea></div></div></div></div>
<div id="other4"><div id="other3"><div id="other2"><div id="other1">
  <input id="other" placeholder="Search"></div></div></div></div>

<span id="giveaway" class="at" style="left:500px;top:400px">Giveaway: 42 entries</span>
<div id="giveaway-long" class="at" style="left:500px;top:430px">Giveaway with a great many entries, far too long a text to be the small widget we hide</div>
<div id="giveaway-half" class="at" style="left:500px;top:460px">Giveaway soon</div>

<button id="icon" class="at" style="left:950px;top:300px;width:40px;height:40px"><svg width="16" height="16"></svg></button>
<button id="icon-left" class="at" style="left:100px;top:400px;width:40px;height:40px"><svg width="16" height="16"></svg></button>
<button id="icon-text" class="at" style="left:950px;top:350px;width:40px;height:40px">x<svg width="8" height="8"></svg></button>
<button id="icon-wide" class="at" style="left:900px;top:400px;width:60px;height:40px"><svg width="16" height="16"></svg></button>
<button id="icon-bare" class="at" style="left:950px;top:450px;width:40px;height:40px"></button>

<div id="win-outer" class="at" style="left:300px;top:500px">A long line of other text so that this block is too long for the rule
  <div id="win-banner"><b>carol</b> is Winning!</div></div>

<span id="viewers" class="at" style="left:900px;top:10px">1234</span>
<span id="viewers-left" class="at" style="left:100px;top:10px">99</span>
<span id="viewers-low" class="at" style="left:900px;top:100px">77</span>
<span id="viewers-word" class="at" style="left:850px;top:10px">12 watching</span>
<span id="viewers-long" class="at" style="left:800px;top:10px">1234567</span>
)");

TEST_F(WebEngineLiveScripts, CleanStreamMarksEachRulesElementsAndOnlyThose)
{
    setHtml(kCleanPage);
    ASSERT_TRUE(run(Script::cleanStream));
    const QStringList expected{
        QStringLiteral("awaiting"),   QStringLiteral("bar"),        QStringLiteral("bid"),
        QStringLiteral("bid-lower"),  QStringLiteral("bid-narrow"), QStringLiteral("chat4"),
        QStringLiteral("custom"),     QStringLiteral("follow"),     QStringLiteral("follow-low"),
        QStringLiteral("follow-top"), QStringLiteral("giveaway"),   QStringLiteral("header"),
        QStringLiteral("icon"),       QStringLiteral("viewers"),    QStringLiteral("win-banner")};
    EXPECT_EQ(marked(kHide), expected);
    EXPECT_EQ(js(styleText(QStringLiteral("quillmark-clean-stream"))),
              QJsonValue(QStringLiteral("[data-qm-hide] { display: none !important; }")));
    EXPECT_EQ(js(QStringLiteral("return document.getElementById('quillmark-clean-stream').parentNode === "
                                "document.head;")),
              QJsonValue(true));
    EXPECT_EQ(display(QStringLiteral("header")), QStringLiteral("none"));
    EXPECT_EQ(display(QStringLiteral("video")), QStringLiteral("block"));

    // Again: the same marks and still one style element.
    ASSERT_TRUE(run(Script::cleanStream));
    EXPECT_EQ(marked(kHide), expected);
    EXPECT_EQ(js(QStringLiteral("return document.querySelectorAll('#quillmark-clean-stream').length;")),
              QJsonValue(1));

    // Elements that stopped matching lose their marks.
    js(QStringLiteral("document.getElementById('follow-top').textContent = 'Following';"
                      "document.getElementById('viewers').textContent = 'many';"));
    ASSERT_TRUE(run(Script::cleanStream));
    QStringList now = expected;
    now.removeAll(QStringLiteral("follow-top"));
    now.removeAll(QStringLiteral("header"));
    now.removeAll(QStringLiteral("viewers"));
    EXPECT_EQ(marked(kHide), now);
}

TEST_F(WebEngineLiveScripts, CleanStreamNeverMarksAContainerOfTheStream)
{
    setHtml(QStringLiteral(R"(
<div id="player" class="at" style="left:0;bottom:0;width:1000px;height:200px">
  <video id="video" style="width:100%;height:150px"></video>
  <div id="bid-wrap"><button id="bid">Bid</button></div>
</div>
<div id="head" class="at" style="left:0;top:0;width:500px;height:60px">
  <canvas id="canvas" width="50" height="50"></canvas><button id="follow">Follow</button>
</div>
<div id="gift">Giveaway: 3 entries<video id="gift-video" width="10" height="10"></video></div>
<div id="chat4"><video id="chat-video" width="10" height="10"></video><div><div><div>
  <input id="chat" placeholder="say something"></div></div></div></div>
<div id="win"><canvas width="5" height="5"></canvas>bob is Winning!</div>
<button id="bid-video">Bid<video width="5" height="5"></video></button>
)"));
    ASSERT_TRUE(run(Script::cleanStream));
    // The buttons themselves go; every container of a video or canvas stays, and the
    // search that reached one stops there instead of climbing further.
    EXPECT_EQ(marked(kHide), (QStringList{QStringLiteral("bid"), QStringLiteral("follow")}));
    EXPECT_EQ(display(QStringLiteral("player")), QStringLiteral("block"));
    EXPECT_EQ(display(QStringLiteral("video")), QStringLiteral("inline"));
}

TEST_F(WebEngineLiveScripts, PictureInPictureKeepsOnlyTheStreamAndItsAncestors)
{
    setHtml(QStringLiteral(R"(
<header id="top">Top bar <button>Follow</button></header>
<main id="main">
  <aside id="side">chat</aside>
  <section id="stream">
    <div id="overlay">LIVE</div>
    <div id="frame"><span id="badge">HD</span><video id="video"></video><span id="after">after</span></div>
  </section>
  <canvas id="decoy" width="10" height="10"></canvas>
</main>
<footer id="foot">Shop</footer>
)"));
    ASSERT_TRUE(run(Script::pictureInPicture));
    // Children of hidden elements (the header's button) need no mark of their own.
    EXPECT_EQ(marked(kPipHide),
              (QStringList{QStringLiteral("after"), QStringLiteral("badge"), QStringLiteral("decoy"),
                           QStringLiteral("foot"), QStringLiteral("overlay"), QStringLiteral("side"),
                           QStringLiteral("top")}));
    EXPECT_EQ(js(kPipMismatches), QJsonValue(QString()));
    EXPECT_EQ(js(styleText(QStringLiteral("quillmark-pip"))),
              QJsonValue(QStringLiteral("[data-qm-pip-hide] { display: none !important; }")));
    EXPECT_EQ(display(QStringLiteral("main")), QStringLiteral("block"));
    EXPECT_EQ(display(QStringLiteral("side")), QStringLiteral("none"));

    // Again, after the page moved the video: the old marks go, the new chain stays.
    js(QStringLiteral("document.getElementById('side').appendChild(document.getElementById('video'));"));
    ASSERT_TRUE(run(Script::pictureInPicture));
    EXPECT_EQ(js(kPipMismatches), QJsonValue(QString()));
    EXPECT_EQ(marked(kPipHide), (QStringList{QStringLiteral("decoy"), QStringLiteral("foot"),
                                             QStringLiteral("stream"), QStringLiteral("top")}));
}

TEST_F(WebEngineLiveScripts, PictureInPictureOnACanvasOnlyPageAndOnAPageWithoutMedia)
{
    setHtml(QStringLiteral(R"(
<div id="chat">chat</div>
<div id="player"><div id="controls">controls</div><canvas id="canvas" width="100" height="100"></canvas></div>
<canvas id="second" width="10" height="10"></canvas>
)"));
    ASSERT_TRUE(run(Script::pictureInPicture));
    EXPECT_EQ(marked(kPipHide),
              (QStringList{QStringLiteral("chat"), QStringLiteral("controls"), QStringLiteral("second")}));
    EXPECT_EQ(display(QStringLiteral("canvas")), QStringLiteral("inline"));

    // A video wins over a canvas that comes before it.
    js(QStringLiteral(
        "var v = document.createElement('video'); v.id = 'video'; document.body.appendChild(v);"));
    ASSERT_TRUE(run(Script::pictureInPicture));
    EXPECT_EQ(marked(kPipHide),
              (QStringList{QStringLiteral("chat"), QStringLiteral("player"), QStringLiteral("second")}));

    // Without a video or canvas the page is left as it is: no marks, no style.
    setHtml(QStringLiteral("<div id=\"chat\">chat</div><img id=\"picture\" width=\"10\" height=\"10\">"));
    ASSERT_TRUE(run(Script::pictureInPicture));
    EXPECT_EQ(marked(kPipHide), QStringList{});
    EXPECT_EQ(js(styleText(QStringLiteral("quillmark-pip"))), QJsonValue(QJsonValue::Null));
}

TEST_F(WebEngineLiveScripts, RemoveScriptsUnmarkAndLeaveEmptyStyles)
{
    setHtml(kCleanPage);
    // On a page never adapted they create nothing.
    ASSERT_TRUE(run(Script::removeCleanStream));
    ASSERT_TRUE(run(Script::removePictureInPicture));
    EXPECT_EQ(js(styleText(QStringLiteral("quillmark-clean-stream"))), QJsonValue(QJsonValue::Null));
    EXPECT_EQ(js(styleText(QStringLiteral("quillmark-pip"))), QJsonValue(QJsonValue::Null));

    ASSERT_TRUE(run(Script::cleanStream));
    ASSERT_TRUE(run(Script::pictureInPicture));
    ASSERT_FALSE(marked(kHide).isEmpty());
    ASSERT_FALSE(marked(kPipHide).isEmpty());
    ASSERT_EQ(display(QStringLiteral("bar")), QStringLiteral("none"));

    // Each undoes only its own marks.
    ASSERT_TRUE(run(Script::removeCleanStream));
    EXPECT_EQ(marked(kHide), QStringList{});
    EXPECT_FALSE(marked(kPipHide).isEmpty());
    EXPECT_EQ(js(styleText(QStringLiteral("quillmark-clean-stream"))), QJsonValue(QString()));

    ASSERT_TRUE(run(Script::removePictureInPicture));
    EXPECT_EQ(marked(kPipHide), QStringList{});
    EXPECT_EQ(js(styleText(QStringLiteral("quillmark-pip"))), QJsonValue(QString()));
    EXPECT_EQ(js(QStringLiteral("return document.head.querySelectorAll('style#quillmark-clean-stream, "
                                "style#quillmark-pip').length;")),
              QJsonValue(2));
    EXPECT_EQ(display(QStringLiteral("bar")), QStringLiteral("block"));
    EXPECT_EQ(display(QStringLiteral("header")), QStringLiteral("block"));
}

TEST_F(WebEngineLiveScripts, StreamTitleTriesTheSelectorsInOrder)
{
    const QString h1of200 = QString(200, QLatin1Char('a'));
    const QString h1of199 = QString(199, QLatin1Char('b'));
    struct Case
    {
        const char *name;
        QString body;
        QJsonValue expected;
    };
    const QList<Case> cases{
        {"h1, trimmed",
         QStringLiteral("<h1>\n  Friday Cards \n</h1><div data-testid=\"stream-title\">No</div>"),
         QStringLiteral("Friday Cards")},
        {"h1 of 199", QStringLiteral("<h1>%1</h1>").arg(h1of199), h1of199},
        {"h1 of 200 passed over",
         QStringLiteral("<h1>%1</h1><div data-testid=\"stream-title\">Test id</div>").arg(h1of200),
         QStringLiteral("Test id")},
        {"only the first h1 counts",
         QStringLiteral("<h1>  </h1><h1>Second</h1><p class=\"x-streamTitle-y\">Class camel</p>"),
         QStringLiteral("Class camel")},
        {"StreamTitle", QStringLiteral("<p class=\"StreamTitle\">Upper</p><p class=\"show-title\">Show</p>"),
         QStringLiteral("Upper")},
        {"show-title",
         QStringLiteral("<p class=\"broadcast-title\">Broadcast</p><p class=\"show-title\">Show</p>"),
         QStringLiteral("Show")},
        {"broadcast-title", QStringLiteral("<span class=\"a broadcast-title\">Broadcast</span>"),
         QStringLiteral("Broadcast")},
    };
    for (const Case &c : cases) {
        setHtml(c.body + QStringLiteral("<script>document.title = 'Document | Whatnot';</script>"));
        EXPECT_EQ(titleAnswer(), c.expected) << c.name;
    }
}

TEST_F(WebEngineLiveScripts, StreamTitleFallsBackToTheDocumentTitle)
{
    setHtml(QStringLiteral("<h1>%1</h1><p class=\"streamtitle\">lower case is not a match</p>")
                .arg(QString(250, QLatin1Char('x'))));
    struct Case
    {
        QString documentTitle;
        QJsonValue expected;
    };
    const QList<Case> cases{
        {QStringLiteral("Friday Cards | Whatnot"), QStringLiteral("Friday Cards")},
        {QStringLiteral("Friday Cards - Whatnot: Live Shopping"), QStringLiteral("Friday Cards")},
        {QStringLiteral("Friday Cards-whatnot"), QStringLiteral("Friday Cards")},
        {QStringLiteral("A - B | Whatnot"), QStringLiteral("A - B")},
        {QStringLiteral("Friday Cards Whatnot"), QStringLiteral("Friday Cards Whatnot")},
        {QStringLiteral("  Friday Cards  "), QStringLiteral("Friday Cards")},
        {QStringLiteral("| Whatnot"), QJsonValue(QJsonValue::Null)},
        {QString(200, QLatin1Char('t')), QJsonValue(QJsonValue::Null)},
        {QString(), QJsonValue(QJsonValue::Null)},
    };
    for (const Case &c : cases) {
        const QString quoted = QString::fromUtf8(QJsonDocument(QJsonArray{c.documentTitle}).toJson());
        js(QStringLiteral("document.title = %1[0];").arg(quoted));
        EXPECT_EQ(titleAnswer(), c.expected) << c.documentTitle.toStdString();
    }

    // With no title at all the screen falls back to the dated one.
    const QString title =
        runSync(LivePageScripts::showTitle(fixedPageScriptSource(*m_host), QDate(2026, 3, 7), QLocale::c()));
    EXPECT_EQ(title, QStringLiteral("Whatnot Live - Mar 7, 2026"));
    js(QStringLiteral("document.title = 'Friday Cards | Whatnot';"));
    EXPECT_EQ(
        runSync(LivePageScripts::showTitle(fixedPageScriptSource(*m_host), QDate(2026, 3, 7), QLocale::c())),
        QStringLiteral("Friday Cards"));
}

TEST_F(WebEngineLiveScripts, MuteMutesEveryVideoAndAudio)
{
    setHtml(QStringLiteral(
        "<video id=\"a\"></video><div><video id=\"b\"></video></div><audio id=\"c\"></audio>"));
    const QString state = QStringLiteral("return ['a', 'b', 'c'].map(function (id) {"
                                         "  return document.getElementById(id).muted; }).join(',');");
    ASSERT_EQ(js(state), QJsonValue(QStringLiteral("false,false,false")));
    ASSERT_TRUE(run(Script::mute));
    EXPECT_EQ(js(state), QJsonValue(QStringLiteral("true,true,true")));
}

// The stand-in live page carries what the scripts act on, and capture still
// reads a page the scripts adapted.
class WebEngineLiveStandinPage : public MarketplaceFixture
{
protected:
    bool run(Script script) { return runSync(LivePageScripts::run(fixedPageScriptSource(host()), script)); }
    QStringList markedClasses(const QString &attribute)
    {
        return split(runScript(
            QStringLiteral("return Array.prototype.map.call(document.querySelectorAll('[%1]'), function (e) {"
                           "  return e.className || e.tagName.toLowerCase(); }).sort().join(',');")
                .arg(attribute)));
    }
};

TEST_F(WebEngineLiveStandinPage, CleanStreamAndPictureInPictureOnTheLivePage)
{
    marketplace().setStreamTitle(QStringLiteral("show-1"), QStringLiteral("Friday Cards"));
    marketplace().addWin(
        QStringLiteral("show-1"),
        standin::MarketplaceWin{
            QStringLiteral("alice"), QStringLiteral("Vintage card"), 12, QStringLiteral("30"), {}});
    ASSERT_TRUE(openStream(QStringLiteral("show-1")));

    ASSERT_TRUE(run(Script::cleanStream));
    EXPECT_EQ(markedClasses(kHide),
              (QStringList{QStringLiteral("auction-bar"), QStringLiteral("bid"), QStringLiteral("button"),
                           QStringLiteral("chat-compose"), QStringLiteral("follow"),
                           QStringLiteral("giveaway"), QStringLiteral("seller-row"), QStringLiteral("share"),
                           QStringLiteral("viewer-count"), QStringLiteral("winning-banner")}));

    ASSERT_TRUE(run(Script::pictureInPicture));
    EXPECT_EQ(runScript(kPipMismatches), QJsonValue(QString()));
    for (const QString &hidden : {QStringLiteral("topbar"), QStringLiteral("chat"), QStringLiteral("shop"),
                                  QStringLiteral("seller-row"), QStringLiteral("stream-info")})
        EXPECT_TRUE(markedClasses(kPipHide).contains(hidden)) << hidden.toStdString();

    // Hidden is not gone: the win notice is still read.
    const QJsonObject scan =
        QJsonDocument::fromJson(runScript(PageScripts::winScan()).toString().toUtf8()).object();
    EXPECT_EQ(scan.value(QLatin1String("count")), QJsonValue(1));

    EXPECT_EQ(runScript(LivePageScripts::text(Script::streamTitle)),
              QJsonValue(QStringLiteral(R"({"title":"Friday Cards"})")));
    runScript(QStringLiteral("document.querySelector('h1').remove();"));
    EXPECT_EQ(runScript(LivePageScripts::text(Script::streamTitle)),
              QJsonValue(QStringLiteral(R"({"title":"Friday Cards"})")));
    EXPECT_EQ(runScript(QStringLiteral("return document.title;")),
              QJsonValue(QStringLiteral("Friday Cards | Whatnot")));

    const QString muted = QStringLiteral("return document.querySelector('video').muted;");
    ASSERT_EQ(runScript(muted), QJsonValue(false));
    ASSERT_TRUE(run(Script::mute));
    EXPECT_EQ(runScript(muted), QJsonValue(true));
}

} // namespace
