#include "app/single_instance_guard.h"

#include "common/logging.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QVariant>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcInstance, "app.quillmark.Quillmark.Instance")

namespace quill {

namespace {
// A hand-over is a few URLs; anything bigger is not one of ours.
constexpr qint64 kMaxMessageBytes = 64 * 1024;
const char kSocketBufferProperty[] = "quillmarkBuffer";
} // namespace

QString SingleInstanceGuard::defaultServerName()
{
    return QStringLiteral("%1-%2").arg(QString::fromLatin1(kBundleIdentifier)).arg(::getuid());
}

QStringList SingleInstanceGuard::schemeUrls(const QStringList &arguments)
{
    QStringList urls;
    for (const QString &argument : arguments) {
        if (argument.startsWith(QLatin1String("quillmark:"), Qt::CaseInsensitive))
            urls.append(argument);
    }
    return urls;
}

SingleInstanceGuard::SingleInstanceGuard(QString serverName, QObject *parent)
    : QObject(parent), m_serverName(std::move(serverName))
{
}

SingleInstanceGuard::~SingleInstanceGuard() = default;

bool SingleInstanceGuard::forwardToRunningInstance(const QStringList &urls, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    for (const QString &url : urls)
        message += url.toUtf8() + '\n';
    // An empty line ends the message, so the receiver knows nothing was cut off.
    message += '\n';
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

bool SingleInstanceGuard::listen()
{
    if (m_server)
        return true;
    // Listening would quietly take the name over from a running instance, so ask first.
    {
        QLocalSocket probe;
        probe.connectToServer(m_serverName);
        if (probe.waitForConnected(500)) {
            qCWarning(lcInstance, "Another instance is already running");
            return false;
        }
    }
    // Nobody answers: whatever is left under the name belongs to an instance that crashed.
    QLocalServer::removeServer(m_serverName);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_serverName)) {
        qCWarning(lcInstance, "Cannot take the instance name: %s", qUtf8Printable(server->errorString()));
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstanceGuard::accept);
    return true;
}

void SingleInstanceGuard::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            readFrom(socket);
    }
}

void SingleInstanceGuard::readFrom(QLocalSocket *socket)
{
    QByteArray buffer = socket->property(kSocketBufferProperty).toByteArray() + socket->readAll();
    if (buffer.size() > kMaxMessageBytes) {
        qCWarning(lcInstance, "Dropped an oversized message from another start");
        socket->abort();
        return;
    }
    const qsizetype end = buffer.startsWith('\n') ? 0 : buffer.indexOf("\n\n");
    if (end < 0) {
        socket->setProperty(kSocketBufferProperty, buffer);
        return;
    }
    socket->setProperty(kSocketBufferProperty, QByteArray());
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    socket->disconnectFromServer();

    Q_EMIT activationRequested();
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        const QUrl url(QString::fromUtf8(line), QUrl::StrictMode);
        if (!url.isValid()) {
            qCWarning(lcInstance, "Dropped an invalid URL handed over by another start");
            continue;
        }
        Q_EMIT urlReceived(url);
    }
}

} // namespace quill
