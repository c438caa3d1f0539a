// HTML labels turned into PDFs never fetch anything from outside the document: not while
// the page loads, not while it is printed, not after it is gone.
#include "eventually.h"
#include "pdf_probe.h"
#include "printing/print_kit_adapter.h"
#include "run_sync.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <gtest/gtest.h>
#include <memory>

using namespace quill;
using quill::testing::eventually;
using quill::testing::pdfFacts;
using quill::testing::runSync;

namespace {

// A local HTTP listener that records the path of every request and answers 404.
class RequestRecorder final : public QObject
{
public:
    RequestRecorder()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++m_connections;
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    bool listen() { return m_server.listen(QHostAddress::LocalHost, 0); }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    const QStringList &paths() const { return m_paths; }
    int connections() const { return m_connections; }

    // Runs the event loop until a request for `path` arrived or ten seconds passed.
    bool waitFor(const QString &path)
    {
        return eventually([&] { return m_paths.contains(path); }, std::chrono::seconds(10));
    }

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
        m_paths.append(QString::fromUtf8(requestLine.value(1)));
        m_buffers.remove(socket);
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QStringList m_paths;
    int m_connections = 0;
};

struct Loader
{
    const char *element;
    // The body (or, with `inHead`, the head) markup; %1 is the listener's base address.
    QString markup;
    bool inHead = false;
};

// Every kind of markup that can make a page load a resource.
const QList<Loader> &loaders()
{
    static const QList<Loader> list{
        {"img", QStringLiteral("<img src='%1/img'>")},
        {"video poster, natural size", QStringLiteral("<video poster='%1/poster-natural'></video>")},
        {"video poster, filling the label",
         QStringLiteral("<video poster='%1/poster-filling' style='width:100%;height:100%'></video>")},
        {"video poster with controls", QStringLiteral("<video poster='%1/poster-controls' preload='none' "
                                                      "controls></video>")},
        {"video poster past the page",
         QStringLiteral("<div style='height:3000px'></div><video poster='%1/poster-below'></video>")},
        {"img srcset", QStringLiteral("<img srcset='%1/srcset 1x'>")},
        {"picture source", QStringLiteral("<picture><source srcset='%1/picture'><img alt='x'></picture>")},
        {"video poster", QStringLiteral("<video poster='%1/poster' width='100' height='50'></video>")},
        {"video src", QStringLiteral("<video src='%1/video' preload='auto'></video>")},
        {"video source", QStringLiteral("<video preload='auto'><source src='%1/video-source'></video>")},
        {"audio", QStringLiteral("<audio src='%1/audio' preload='auto'></audio>")},
        {"track",
         QStringLiteral("<video src='data:,' preload='auto'><track default src='%1/track'></video>")},
        {"link stylesheet", QStringLiteral("<link rel='stylesheet' href='%1/stylesheet'>"), true},
        {"link preload", QStringLiteral("<link rel='preload' as='image' href='%1/preload'>"), true},
        {"link icon", QStringLiteral("<link rel='icon' href='%1/icon'>"), true},
        {"iframe", QStringLiteral("<iframe src='%1/iframe'></iframe>")},
        {"frame in srcdoc", QStringLiteral("<iframe srcdoc=\"<img src='%1/srcdoc'>\"></iframe>")},
        {"object", QStringLiteral("<object data='%1/object' width='50' height='50'></object>")},
        {"embed", QStringLiteral("<embed src='%1/embed' width='50' height='50'>")},
        {"css background url()", QStringLiteral("<div style=\"width:50px;height:50px;"
                                                "background:url('%1/background')\"></div>")},
        {"css @import", QStringLiteral("<style>@import url('%1/import');</style>"), true},
        {"css font-face",
         QStringLiteral("<style>@font-face{font-family:Remote;src:url('%1/font')}"
                        "body{font-family:Remote}</style>"),
         true},
        {"css print media",
         QStringLiteral("<style>@media print{body{background:url('%1/print-media')}}</style>"), true},
        {"css list-style", QStringLiteral("<ul style=\"list-style-image:url('%1/list')\"><li>x</li></ul>")},
        {"css cursor and border-image",
         QStringLiteral("<div style=\"cursor:url('%1/cursor'),auto;border:10px solid;"
                        "border-image:url('%1/border') 10\">x</div>")},
        {"input type=image", QStringLiteral("<input type='image' src='%1/input'>")},
        {"svg image", QStringLiteral("<svg width='50' height='50'><image href='%1/svg-image' width='50' "
                                     "height='50'/></svg>")},
        {"svg use", QStringLiteral("<svg width='50' height='50'><use href='%1/svg-use#a'/></svg>")},
        {"script", QStringLiteral("<script src='%1/script'></script>")},
        {"meta refresh", QStringLiteral("<meta http-equiv='refresh' content='0;url=%1/refresh'>"), true},
        {"base href", QStringLiteral("<base href='%1/base/'>"), true},
        {"a ping", QStringLiteral("<a href='%1/link' ping='%1/ping'>link</a>")},
    };
    return list;
}

QString document(const Loader &loader, const QString &base)
{
    const QString markup = loader.markup.arg(base);
    return QStringLiteral("<!DOCTYPE html><html><head>%1</head><body><p>@buyer #12</p>%2<img src='relative'>"
                          "</body></html>")
        .arg(loader.inHead ? markup : QString(), loader.inHead ? QString() : markup);
}

} // namespace

TEST(WebEnginePdfRequests, NoElementOfALabelReachesTheNetworkWhileItIsConvertedOrAfter)
{
    RequestRecorder recorder;
    ASSERT_TRUE(recorder.listen());
    PrintKitAdapter adapter;
    for (const Loader &loader : loaders()) {
        SCOPED_TRACE(loader.element);
        // A poster's late fetch does not come every time: each document goes through a few times.
        for (int round = 0; round < 3; ++round) {
            const QByteArray pdf =
                runSync(adapter.generatePDF(document(loader, recorder.base()), QSizeF(288, 432)));
            EXPECT_EQ(pdfFacts(pdf).pages, 1);
        }
    }

    // A plain page's request afterwards: whatever the conversions let through was sent before it.
    QWebEngineProfile plain;
    QWebEnginePage page(&plain);
    page.setHtml(QStringLiteral("<img src='%1/after'>").arg(recorder.base()));
    ASSERT_TRUE(recorder.waitFor(QStringLiteral("/after"))) << "the listener heard nothing";
    EXPECT_EQ(recorder.paths(), QStringList{QStringLiteral("/after")});
    EXPECT_EQ(recorder.connections(), 1);
}

TEST(WebEnginePdfRequests, EachElementDoesLoadInAPageWithoutTheFilter)
{
    // The markup above is real: in an ordinary page these elements fetch their resources.
    RequestRecorder recorder;
    ASSERT_TRUE(recorder.listen());
    QWebEngineProfile plain;
    for (const char *element : {"img", "video poster", "link stylesheet", "iframe", "css background url()",
                                "css @import", "input type=image", "svg image", "script"}) {
        SCOPED_TRACE(element);
        const auto found = std::find_if(loaders().begin(), loaders().end(), [&](const Loader &loader) {
            return qstrcmp(loader.element, element) == 0;
        });
        ASSERT_NE(found, loaders().end());
        QWebEnginePage page(&plain);
        page.setHtml(document(*found, recorder.base()));
        const QString path = found->markup.section(QStringLiteral("%1/"), 1).section(QLatin1Char('\''), 0, 0);
        EXPECT_TRUE(recorder.waitFor(QLatin1Char('/') + path))
            << recorder.paths().join(QLatin1Char(' ')).toStdString();
    }
}
