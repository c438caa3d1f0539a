#include "bare_http_server.h"
#include "eventually.h"
#include "test_pictures.h"
#include "ui/widgets/style.h"
#include "ui/widgets/user_avatar_view.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace quill {
namespace {

using testing::eventually;

TEST(WidgetsAvatar, ColourIndexIsTheCodePointSumModuloEight)
{
    struct Row
    {
        QString name;
        int index;
    };
    const Row rows[] = {
        {QString(), 0},                                   // empty: blue
        {QStringLiteral("a"), 97 % 8},                    // 1
        {QStringLiteral("ab"), (97 + 98) % 8},            // 3
        {QStringLiteral("Zoë"), (90 + 111 + 235) % 8},    // 4
        {QString::fromUtf8("\xF0\x9F\x98\x80"), 0x1F600 % 8}, // one emoji, one scalar: 0
        {QString::fromUtf8("a\xF0\x9F\x8E\x89"), (97 + 0x1F389) % 8},
    };
    for (const Row &row : rows)
        EXPECT_EQ(avatarColorIndex(row.name), row.index) << row.name.toStdString();
    // Counted by UTF-16 units the emoji would give (0xD83D + 0xDE00) % 8 == 5, not 0.
    EXPECT_NE(avatarColorIndex(QString::fromUtf8("\xF0\x9F\x98\x80")), (0xD83D + 0xDE00) % 8);
    EXPECT_EQ(avatarColor(0), systemColor(SystemColor::blue));
    EXPECT_EQ(avatarColor(7), systemColor(SystemColor::cyan));
}

TEST(WidgetsAvatar, FallbackIsTheColouredCircle)
{
    UserAvatarView view(QString(), std::nullopt, 40);
    const QImage image = view.grab().toImage();
    EXPECT_EQ(image.pixelColor(20, 8).rgb(), systemColor(SystemColor::blue).rgb());
    EXPECT_NE(image.pixelColor(1, 1).rgb(), systemColor(SystemColor::blue).rgb()); // outside the circle
    EXPECT_FALSE(view.showsImage());
}

// Answers GET requests by path: a body, or nothing at all (a server that hangs).
class TinyHttpServer final : public QObject
{
public:
    struct Route
    {
        QByteArray body;
        bool hang = false;
        QByteArray contentType = "image/png";
    };

    TinyHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        });
    }

    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    void route(const QByteArray &path, Route route) { m_routes.insert(path, std::move(route)); }
    int hits() const { return m_hits; }

private:
    void answer(QTcpSocket *socket)
    {
        const QByteArray request = socket->readAll();
        const QList<QByteArray> words = request.split(' ');
        if (words.size() < 2)
            return;
        ++m_hits;
        const Route route = m_routes.value(words.at(1), Route{QByteArray(), false, "text/plain"});
        if (route.hang)
            return;
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: " + route.contentType +
                          "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(route.body.size()) +
                          "\r\n\r\n";
        socket->write(head + route.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QByteArray, Route> m_routes;
    int m_hits = 0;
};

QByteArray pngOf(const QSize &size, const QColor &color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST(WidgetsAvatar, AnHttpImageReplacesTheFallback)
{
    TinyHttpServer server;
    server.route("/a.png", {pngOf(QSize(60, 30), Qt::red)});
    UserAvatarView view(QStringLiteral("ava"), server.url(QStringLiteral("/a.png")), 40);
    ASSERT_TRUE(eventually([&] { return view.showsImage(); }, std::chrono::seconds(10)));
    const QImage image = view.grab().toImage();
    EXPECT_EQ(image.pixelColor(20, 20).rgb(), QColor(Qt::red).rgb());
    EXPECT_NE(image.pixelColor(1, 1).rgb(), QColor(Qt::red).rgb()); // clipped to the circle
}

TEST(WidgetsAvatar, AddressesOtherThanHttpAreNeverFetched)
{
    for (const char *address : {"file:///etc/passwd", "data:image/png;base64,iVBORw0KGgo=", "ftp://example.com/a.png",
                                "javascript:alert(1)", "qrc:/icons/a.png", "//example.com/a.png", "not a url",
                                "http://", ""}) {
        SCOPED_TRACE(address);
        EXPECT_FALSE(AvatarImageLoader::fetchableUrl(QString::fromLatin1(address)).has_value());
        AvatarImageLoader loader;
        QSignalSpy failed(&loader, &AvatarImageLoader::failed);
        loader.load(QString::fromLatin1(address));
        EXPECT_EQ(failed.size(), 1);
        EXPECT_FALSE(loader.isLoading());
    }
    EXPECT_TRUE(AvatarImageLoader::fetchableUrl(QStringLiteral("HTTPS://cdn.example.com/a.png")).has_value());
}

TEST(WidgetsAvatar, OversizedNonImageAndSlowAnswersFail)
{
    TinyHttpServer server;
    server.route("/big.png", {QByteArray(64 * 1024, 'x')});
    server.route("/text", {QByteArray("hello"), false, "text/plain"});
    server.route("/slow.png", {QByteArray(), true});
    // An SVG avatar whose picture link names a local file is no avatar.
    QTemporaryDir folder;
    const QString local = folder.filePath(QStringLiteral("local.png"));
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(local));
    server.route("/face.svg", {quill::testing::svgLinkingTo(local, 8), false, "image/svg+xml"});

    struct Case
    {
        const char *path;
        const char *reason;
    };
    for (const Case &c : {Case{"/big.png", "The image is too large"}, Case{"/text", "Not an image"},
                          Case{"/face.svg", "Not an image"}, Case{"/slow.png", nullptr}}) {
        SCOPED_TRACE(c.path);
        AvatarImageLoader loader;
        loader.setMaxBytes(16 * 1024);
        loader.setTimeout(std::chrono::milliseconds(200));
        QSignalSpy failed(&loader, &AvatarImageLoader::failed);
        QSignalSpy loaded(&loader, &AvatarImageLoader::loaded);
        loader.load(server.url(QString::fromLatin1(c.path)));
        ASSERT_TRUE(eventually([&] { return !failed.isEmpty(); }, std::chrono::seconds(10)));
        EXPECT_TRUE(loaded.isEmpty());
        if (c.reason) {
            EXPECT_EQ(failed.first().first().toString(), QString::fromLatin1(c.reason));
        }
    }
    EXPECT_EQ(server.hits(), 4);
}

// An answer that never idles (a byte every 50 ms) still ends: the whole fetch has a
// deadline besides the time-out between bytes.
TEST(WidgetsAvatar, AnAnswerThatTricklesEndsAtTheDeadline)
{
    testing::BareServer server([](QTcpSocket *socket, const QByteArray &) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\n\r\n");
        testing::trickle(socket, QByteArray(100000, 'x'), std::chrono::milliseconds(50));
    });
    AvatarImageLoader loader;
    loader.setTimeout(std::chrono::milliseconds(300));
    QSignalSpy failed(&loader, &AvatarImageLoader::failed);
    loader.load(server.url(QStringLiteral("face.png")).toString());
    ASSERT_TRUE(eventually([&] { return !failed.isEmpty(); }, std::chrono::seconds(20)));
    EXPECT_EQ(failed.first().first().toString(), QStringLiteral("The image took too long"));
    EXPECT_FALSE(loader.isLoading());
}

} // namespace
} // namespace quill
