#include "app/single_instance_guard.h"

#include "common/logging.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QVariant>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcInstance, "app.quillmark.Quillmark.Instance")

namespace quill {

namespace {
// A hand-over is a few URLs, each on its own line, and an empty line; anything
// bigger is not one of ours.
constexpr qint64 kMaxMessageBytes =
    SingleInstanceGuard::kMaxAddresses * (SingleInstanceGuard::kMaxAddressBytes + 1) + 1;
const char kSocketBufferProperty[] = "quillmarkBuffer";
// The running instance's answer once it has the whole message.
constexpr char kAcknowledgement[] = "ok\n";

SingleInstanceGuard::HandOver failedHandOver(QString why)
{
    return {SingleInstanceGuard::HandOver::Outcome::failed, std::move(why)};
}

// How often a start that lost the claim asks again while the holder comes up.
constexpr auto kAskAgainAfter = std::chrono::milliseconds(20);
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

SingleInstanceGuard::~SingleInstanceGuard()
{
    // The name goes before the claim, so the next holder never finds it taken.
    delete m_server;
    m_server = nullptr;
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstanceGuard::lockFilePath() const
{
    if (QDir::isAbsolutePath(m_serverName))
        return m_serverName + QStringLiteral(".lock");
    // The runtime folder is the user's own: nobody else can take the file first.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(m_serverName + QStringLiteral(".lock"));
}

SingleInstanceGuard::Claim SingleInstanceGuard::claim()
{
    if (m_lockFd >= 0)
        return Claim::taken;
    const QString path = lockFilePath();
    const auto cannotClaim = [&](const char *what, int error) {
        m_error = QStringLiteral("Quillmark cannot make sure that it runs only once: %1 could not be %2: %3")
                      .arg(QDir::toNativeSeparators(path), QLatin1String(what),
                           QString::fromLocal8Bit(std::strerror(error)));
        return Claim::failed;
    };
    // Close-on-exec: a child process (lp, the page's renderer) that outlives us must not hold the claim.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return cannotClaim("opened", errno);
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK)
            return cannotClaim("locked", error);
        m_error = QStringLiteral("Quillmark is already running.");
        return Claim::heldElsewhere;
    }
    m_lockFd = fd;
    return Claim::taken;
}

SingleInstanceGuard::Start SingleInstanceGuard::claimOrHandOver(const QStringList &urls,
                                                                std::chrono::milliseconds patience)
{
    const QDeadlineTimer deadline(patience);
    for (;;) {
        switch (claim()) {
        case Claim::taken:
            if (!startListening())
                return {Start::Outcome::failed, m_error};
            return {Start::Outcome::claimed, {}};
        case Claim::failed:
            return {Start::Outcome::failed, m_error};
        case Claim::heldElsewhere:
            break;
        }
        const HandOver handOver = forwardToRunningInstance(urls);
        if (handOver.outcome == HandOver::Outcome::handedOver)
            return {Start::Outcome::handedOver, {}};
        if (handOver.outcome == HandOver::Outcome::failed)
            return {Start::Outcome::failed, handOver.error};
        // The holder does not listen yet, or has just ended (its claim is then free).
        if (deadline.hasExpired())
            return {Start::Outcome::alreadyRunning,
                    QStringLiteral("Quillmark is already running but did not answer.")};
        std::this_thread::sleep_for(kAskAgainAfter);
    }
}

SingleInstanceGuard::HandOver SingleInstanceGuard::forwardToRunningInstance(const QStringList &urls,
                                                                            int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return {};

    if (urls.size() > kMaxAddresses)
        return failedHandOver(
            QStringLiteral("Too many addresses to hand to the running Quillmark (%1; at most %2).")
                .arg(urls.size())
                .arg(kMaxAddresses));
    QByteArray message;
    for (const QString &url : urls) {
        const QByteArray line = url.toUtf8();
        if (line.size() > kMaxAddressBytes)
            return failedHandOver(
                QStringLiteral(
                    "The address is too long to hand to the running Quillmark (%1 bytes; at most %2).")
                    .arg(line.size())
                    .arg(kMaxAddressBytes));
        if (line.contains('\n') || line.contains('\r'))
            return failedHandOver(
                QStringLiteral("An address with a line break cannot be handed to the running "
                               "Quillmark."));
        message += line + '\n';
    }
    // An empty line ends the message, so the receiver knows nothing was cut off.
    message += '\n';
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs))
            return failedHandOver(QStringLiteral("The running Quillmark did not take the address: %1")
                                      .arg(socket.errorString()));
    }
    // Only the running instance's word says the message arrived whole.
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() < 16) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(timeoutMs))
            break;
        answer += socket.read(16 - answer.size());
    }
    if (answer != kAcknowledgement)
        return failedHandOver(
            QStringLiteral("The running Quillmark did not confirm that it took the address."));
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return {HandOver::Outcome::handedOver, {}};
}

bool SingleInstanceGuard::listen()
{
    if (m_server)
        return true;
    if (claim() != Claim::taken) {
        qCWarning(lcInstance, "%s", qUtf8Printable(m_error));
        return false;
    }
    return startListening();
}

bool SingleInstanceGuard::startListening()
{
    if (m_server)
        return true;
    // This process holds the claim: whatever is left under the name belongs to an
    // instance that ended without taking it away.
    QLocalServer::removeServer(m_serverName);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_serverName)) {
        m_error = QStringLiteral("Quillmark cannot wait for the sign-in from the browser: %1")
                      .arg(server->errorString());
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
    socket->write(kAcknowledgement);
    socket->flush();
    socket->disconnectFromServer(); // after what is written has gone out

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
