#include "app/single_instance_guard.h"

#include "common/logging.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>
#include <QVariant>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

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

// How often a start that lost the claim asks again while the holder comes up or ends.
constexpr auto kAskAgainAfter = std::chrono::milliseconds(20);
// How long the holder stops taking connections when the system has no descriptor (or
// memory) for one: the waiting start stays queued, and asking again at once would only
// spin the GUI thread.
constexpr auto kAcceptPause = std::chrono::seconds(1);

QString osError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The system's reason, and what the seller can do about a full disk.
QString startRefused(int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return osError(error) + QStringLiteral(". Free up disk space, then start Quillmark again.");
    return osError(error);
}

// What is left of `deadline` for one wait, never nothing: the last try still gets a moment.
int waitMs(const QDeadlineTimer &deadline)
{
    return int(std::clamp<qint64>(deadline.remainingTime(), 1, std::numeric_limits<int>::max()));
}

// An address as the running application takes it in; nothing when it is not a URL.
std::optional<QUrl> addressUrl(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid()) {
        qCWarning(lcInstance, "Dropped an address that is not a valid URL");
        return std::nullopt;
    }
    return url;
}

// Where the instance folder of a name lives: `parent` is shared with other users
// (/tmp), so the folder is only used when it is the user's own.
struct Place
{
    QString parent;
    QString name;

    explicit Place(const QString &serverName)
    {
        if (QDir::isAbsolutePath(serverName)) {
            const QFileInfo folder(QDir::cleanPath(serverName));
            parent = folder.absolutePath();
            name = folder.fileName();
        } else {
            parent = SingleInstanceGuard::sharedParentFolder();
            name = serverName;
        }
    }
    QString primary() const { return QDir(parent).filePath(name); }
    // A name for a folder of its own when someone else holds the primary one.
    QByteArray fallbackTemplate() const { return QFile::encodeName(primary()) + ".XXXXXX"; }
    bool isOurs(const QByteArray &entry) const
    {
        const QByteArray primaryName = QFile::encodeName(name);
        return entry == primaryName || (entry.size() == primaryName.size() + 7 &&
                                        entry.startsWith(primaryName) && entry.at(primaryName.size()) == '.');
    }
};

QString socketPath(const QString &folder)
{
    return folder + QStringLiteral("/socket");
}

// The longest socket path the system takes (sun_path holds a closing NUL too).
constexpr qsizetype kMaxSocketPathBytes = sizeof(sockaddr_un::sun_path) - 1;

using FileStatus = struct stat;

// An instance folder of this user, open: a real directory (never a link), owned by
// this user and closed to everybody else, so nothing planted by another user is used.
class OwnFolder
{
public:
    static std::optional<OwnFolder> open(int parentFd, const QByteArray &name, const QString &path)
    {
        // Close-on-exec: a child process (lp, the page's renderer) that outlives us must
        // not hold the claim.
        const int fd = ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return std::nullopt;
        OwnFolder folder(fd, path);
        FileStatus status{};
        if (::fstat(fd, &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid() ||
            (status.st_mode & 07777) != 0700)
            return std::nullopt;
        folder.m_device = status.st_dev;
        folder.m_inode = status.st_ino;
        return folder;
    }
    OwnFolder(OwnFolder &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)), m_device(other.m_device),
          m_inode(other.m_inode)
    {
    }
    OwnFolder &operator=(OwnFolder &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        std::swap(m_path, other.m_path);
        m_device = other.m_device;
        m_inode = other.m_inode;
        return *this;
    }
    Q_DISABLE_COPY(OwnFolder)
    ~OwnFolder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    const QString &path() const { return m_path; }
    int fd() const { return m_fd; }
    bool isSameAs(const OwnFolder &other) const
    {
        return m_device == other.m_device && m_inode == other.m_inode;
    }
    // The path still names this folder: an ending holder of an earlier build removes
    // its folder, so a lock taken just after that is on a folder nobody else will find.
    bool isStillNamed() const
    {
        FileStatus status{};
        return ::lstat(QFile::encodeName(m_path).constData(), &status) == 0 && status.st_dev == m_device &&
               status.st_ino == m_inode;
    }

    enum class Lock
    {
        locked,
        held,
        failed,
    };
    Lock tryLock(int &error) const
    {
        int locked;
        do {
            locked = ::flock(m_fd, LOCK_EX | LOCK_NB);
        } while (locked != 0 && errno == EINTR);
        if (locked == 0)
            return Lock::locked;
        error = errno;
        return error == EWOULDBLOCK ? Lock::held : Lock::failed;
    }
    void unlock() const { ::flock(m_fd, LOCK_UN); }
    int release() { return std::exchange(m_fd, -1); }

private:
    OwnFolder(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}

    int m_fd;
    QString m_path;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

// Every instance folder of this user for `place`, the primary one first. False when
// the parent cannot be read.
bool listOwnFolders(const Place &place, std::vector<OwnFolder> &folders, int &error)
{
    folders.clear();
    DIR *parent = ::opendir(QFile::encodeName(place.parent).constData());
    if (!parent) {
        error = errno;
        return false;
    }
    while (const dirent *entry = ::readdir(parent)) {
        const QByteArray name(entry->d_name);
        if (!place.isOurs(name))
            continue;
        if (auto folder =
                OwnFolder::open(::dirfd(parent), name, QDir(place.parent).filePath(QFile::decodeName(name))))
            folders.push_back(std::move(*folder));
    }
    ::closedir(parent);
    const QString primary = place.primary();
    std::sort(folders.begin(), folders.end(), [&primary](const OwnFolder &a, const OwnFolder &b) {
        return std::pair(a.path() != primary, a.path()) < std::pair(b.path() != primary, b.path());
    });
    return true;
}

// Made with only the user's own access, whatever the umask, through the folder itself
// rather than its name.
bool closeToOthers(const QByteArray &path, int &error)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || ::fchmod(fd, 0700) != 0) {
        error = errno;
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

// Makes an instance folder: the primary one, or, when that name is taken by something
// that is not the user's own folder, one of a name nobody can know in advance.
bool makeOwnFolder(const Place &place, QString &why)
{
    int error = 0;
    const QByteArray primary = QFile::encodeName(place.primary());
    if (::mkdir(primary.constData(), 0700) == 0) {
        if (closeToOthers(primary, error))
            return true;
    } else if (errno != EEXIST) {
        error = errno;
    } else {
        // Another start of ours may have made it a moment ago: it is then found next time.
        if (OwnFolder::open(AT_FDCWD, primary, place.primary()))
            return true;
        QByteArray fallback = place.fallbackTemplate();
        if (::mkdtemp(fallback.data()) && closeToOthers(fallback, error))
            return true;
        if (error == 0)
            error = errno;
    }
    why = QStringLiteral("no folder of its own could be made in %1: %2")
              .arg(QDir::toNativeSeparators(place.parent), startRefused(error));
    return false;
}
} // namespace

QString SingleInstanceGuard::defaultServerName()
{
    return QStringLiteral("%1-%2").arg(QString::fromLatin1(kBundleIdentifier)).arg(::geteuid());
}

QString SingleInstanceGuard::sharedParentFolder()
{
    return QStringLiteral("/tmp");
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
    : QObject(parent), m_serverName(std::move(serverName)), m_acceptPause(new QTimer(this))
{
    m_acceptPause->setSingleShot(true);
    m_acceptPause->setInterval(kAcceptPause);
    connect(m_acceptPause, &QTimer::timeout, this, [this] {
        if (m_listening)
            m_listening->setEnabled(true);
    });
    // Once the event loop has ended nobody answers a start any more.
    if (const QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &SingleInstanceGuard::stopAnswering);
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    // The folder and the socket's name stay, as a killed holder leaves them: the next
    // holder takes them over and needs no room on a full disk. Later starts are refused
    // at once from here on, before the claim is let go.
    stopListening();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

SingleInstanceGuard::Claim SingleInstanceGuard::claim()
{
    if (m_lockFd >= 0)
        return Claim::taken;
    const Place place(m_serverName);
    const auto cannotClaim = [this](const QString &why) {
        m_error = QStringLiteral("Quillmark cannot make sure that it runs only once: %1").arg(why);
        return Claim::failed;
    };
    const auto unreadable = [&](int error) {
        return cannotClaim(QStringLiteral("%1 could not be read: %2")
                               .arg(QDir::toNativeSeparators(place.parent), osError(error)));
    };
    const auto heldElsewhere = [this] {
        m_error = QStringLiteral("Quillmark is already running.");
        return Claim::heldElsewhere;
    };
    QString lastProblem;
    std::vector<OwnFolder> folders;
    // Each round makes progress (a folder made, or one found removed); a few cover
    // starts and ends racing each other.
    for (int round = 0; round < 8; ++round) {
        int error = 0;
        if (!listOwnFolders(place, folders, error))
            return unreadable(error);
        std::optional<OwnFolder> mine;
        for (OwnFolder &folder : folders) {
            switch (folder.tryLock(error)) {
            case OwnFolder::Lock::locked:
                mine = std::move(folder);
                break;
            case OwnFolder::Lock::held:
                return heldElsewhere();
            case OwnFolder::Lock::failed:
                lastProblem = QStringLiteral("%1 could not be locked: %2")
                                  .arg(QDir::toNativeSeparators(folder.path()), osError(error));
                continue;
            }
            break;
        }
        if (!mine) {
            if (!folders.empty())
                return cannotClaim(lastProblem);
            if (!makeOwnFolder(place, lastProblem))
                return cannotClaim(lastProblem);
            continue;
        }
        if (!mine->isStillNamed())
            continue;
        // A holder that made its folder after this start looked (the primary name was
        // someone else's then) keeps the claim: one is held at a time.
        if (!listOwnFolders(place, folders, error))
            return unreadable(error);
        for (const OwnFolder &other : folders) {
            if (other.isSameAs(*mine))
                continue;
            switch (other.tryLock(error)) {
            case OwnFolder::Lock::locked:
                other.unlock();
                break;
            case OwnFolder::Lock::held:
                return heldElsewhere();
            case OwnFolder::Lock::failed:
                break;
            }
        }
        m_folder = mine->path();
        m_lockFd = mine->release();
        return Claim::taken;
    }
    return cannotClaim(
        lastProblem.isEmpty()
            ? QStringLiteral("its folder in %1 kept changing").arg(QDir::toNativeSeparators(place.parent))
            : lastProblem);
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
            m_startUrls = urls;
            return {Start::Outcome::claimed, {}};
        case Claim::failed:
            return {Start::Outcome::failed, m_error};
        case Claim::heldElsewhere:
            break;
        }
        // The holder may still be building its window: its answer may take as long as
        // this start is willing to wait.
        const HandOver handOver = forwardToRunningInstance(
            urls, std::max(std::chrono::milliseconds(deadline.remainingTime()), kAskAgainAfter));
        if (handOver.outcome == HandOver::Outcome::handedOver)
            return {Start::Outcome::handedOver, {}};
        if (handOver.outcome == HandOver::Outcome::failed)
            return {Start::Outcome::failed, handOver.error};
        // The holder does not listen yet, is quitting, or has just ended (its claim is
        // then free).
        if (deadline.hasExpired())
            return {Start::Outcome::alreadyRunning,
                    QStringLiteral("Quillmark is already running but did not answer.")};
        std::this_thread::sleep_for(kAskAgainAfter);
    }
}

QList<QUrl> SingleInstanceGuard::takeStartUrls()
{
    QList<QUrl> taken;
    for (const QString &address : std::exchange(m_startUrls, {})) {
        if (const auto url = addressUrl(address))
            taken.append(*url);
    }
    return taken;
}

SingleInstanceGuard::HandOver
SingleInstanceGuard::forwardToRunningInstance(const QStringList &urls,
                                              std::chrono::milliseconds patience) const
{
    const QDeadlineTimer deadline(patience);
    // Only the holder listens; a socket left in a folder by an instance that ended
    // refuses at once. The socket is reached through the folder found to be the user's
    // own, never by its name again: whatever another user puts at that name meanwhile
    // is never sent an address.
    std::vector<OwnFolder> folders;
    int error = 0;
    listOwnFolders(Place(m_serverName), folders, error);
    for (const OwnFolder &folder : folders) {
        QLocalSocket socket;
        socket.connectToServer(socketPath(QStringLiteral("/proc/self/fd/%1").arg(folder.fd())));
        if (socket.waitForConnected(waitMs(deadline)))
            return handOverOn(socket, urls, deadline);
    }
    return {};
}

SingleInstanceGuard::HandOver SingleInstanceGuard::handOverOn(QLocalSocket &socket, const QStringList &urls,
                                                              const QDeadlineTimer &deadline)
{
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
    // The running instance answers before it takes the addresses in: one that closes the
    // connection unanswered (it is quitting) did not take them, and is asked again.
    const auto closedUnanswered = [&socket] { return socket.state() != QLocalSocket::ConnectedState; };
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(waitMs(deadline))) {
            if (closedUnanswered())
                return {};
            return failedHandOver(QStringLiteral("The running Quillmark did not take the address: %1")
                                      .arg(socket.errorString()));
        }
    }
    // Only the running instance's word says the message arrived whole.
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() < 16) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(waitMs(deadline)))
            break;
        answer += socket.read(16 - answer.size());
    }
    if (answer.isEmpty() && closedUnanswered())
        return {};
    if (answer.isEmpty())
        // It has the message and may yet take it in.
        return failedHandOver(urls.isEmpty()
                                  ? QStringLiteral("Quillmark is already running but did not answer in time.")
                                  : QStringLiteral("Quillmark is already running but did not answer in time; "
                                                   "the address may not have been taken."));
    if (answer != kAcknowledgement)
        return failedHandOver(
            QStringLiteral("The running Quillmark did not confirm that it took the address."));
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(waitMs(deadline));
    return {HandOver::Outcome::handedOver, {}};
}

bool SingleInstanceGuard::listen()
{
    if (m_listening)
        return true;
    if (claim() != Claim::taken) {
        qCWarning(lcInstance, "%s", qUtf8Printable(m_error));
        return false;
    }
    return startListening();
}

bool SingleInstanceGuard::startListening()
{
    if (m_listening)
        return true;
    const QString address = socketPath(m_folder);
    const QByteArray path = QFile::encodeName(address);
    const auto cannotListen = [this](const QString &why) {
        m_error = QStringLiteral("Quillmark cannot wait for the sign-in from the browser: %1").arg(why);
        qCWarning(lcInstance, "%s", qUtf8Printable(m_error));
        return false;
    };
    if (path.size() > kMaxSocketPathBytes)
        return cannotListen(QStringLiteral("the path %1 is longer than the %2 bytes a socket may have")
                                .arg(QDir::toNativeSeparators(address))
                                .arg(kMaxSocketPathBytes));
    // This process holds the claim, and the folder is the user's own: what is left
    // under the name belongs to an instance that ended, and taking it away frees the
    // room the new socket takes.
    ::unlink(path.constData());
    // Listened on without a QLocalServer, which would take the name away again when it
    // closes. No permissions of its own: the folder already keeps everybody else out.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un name{};
    name.sun_family = AF_UNIX;
    std::memcpy(name.sun_path, path.constData(), size_t(path.size()));
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr *>(&name), sizeof name) != 0 ||
        ::listen(fd, SOMAXCONN) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return cannotListen(QStringLiteral("the socket %1 could not be made: %2")
                                .arg(QDir::toNativeSeparators(address), startRefused(error)));
    }
    m_listenFd = fd;
    m_listening = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_listening, &QSocketNotifier::activated, this, &SingleInstanceGuard::accept);
    return true;
}

void SingleInstanceGuard::stopAnswering()
{
    // New connections are refused at once; the socket's name stays, as when the guard goes.
    stopListening();
    // A connection still open has not brought its whole message (a whole one is answered
    // and closed at once): let go unanswered, that start asks again until the claim is free.
    for (QLocalSocket *socket : findChildren<QLocalSocket *>(Qt::FindDirectChildrenOnly)) {
        if (socket->state() == QLocalSocket::ConnectedState)
            socket->abort();
    }
}

void SingleInstanceGuard::stopListening()
{
    m_acceptPause->stop();
    delete m_listening;
    m_listening = nullptr;
    if (m_listenFd >= 0)
        ::close(std::exchange(m_listenFd, -1));
}

void SingleInstanceGuard::accept()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED)
                continue;
            if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM)
                pauseAccepting(error);
            return; // none waiting; anything else is tried again when the notifier fires
        }
        auto *socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            readFrom(socket);
    }
}

void SingleInstanceGuard::pauseAccepting(int error)
{
    // The connection stays queued, so the notifier would fire again at once.
    m_listening->setEnabled(false);
    m_acceptPause->start();
    qCWarning(lcInstance, "Could not take a later start's connection (%s); trying again in %lld ms",
              qUtf8Printable(osError(error)),
              static_cast<long long>(std::chrono::milliseconds(kAcceptPause).count()));
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
        if (const auto url = addressUrl(QString::fromUtf8(line)))
            Q_EMIT urlReceived(*url);
    }
}

} // namespace quill
