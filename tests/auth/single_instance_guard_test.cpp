#include "app/single_instance_guard.h"
#include "full_disk.h"
#include "instance_hand_over.h"
#include "log_capture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <sys/fanotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace quill;
using quill::testing::eventually;

namespace {

QString uniqueName()
{
    return QStringLiteral("quillmark-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

// A name of its own in the shared folder, whose instance folders go with it (a killed
// holder leaves its folder behind).
class InstanceName
{
public:
    ~InstanceName()
    {
        const QDir parent(SingleInstanceGuard::sharedParentFolder());
        for (const QString &folder : parent.entryList({m_name, m_name + QStringLiteral(".*")},
                                                      QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
            QDir(parent.filePath(folder)).removeRecursively();
    }
    const QString &operator*() const { return m_name; }

private:
    QString m_name = uniqueName();
};

SingleInstanceGuard::HandOver::Outcome handOverFromAnotherThread(const SingleInstanceGuard &guard)
{
    return quill::testing::handOverFromAnotherThread(guard.serverName()).outcome;
}

TEST(SingleInstanceGuard, SecondStartHandsItsCallbackUrlToTheFirst)
{
    const InstanceName name;
    SingleInstanceGuard first(*name);
    ASSERT_TRUE(first.listen());
    QSignalSpy urls(&first, &SingleInstanceGuard::urlReceived);

    const QString callback = QStringLiteral("quillmark://auth/callback?token=abc%2Bdef");
    QProcess second;
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(QStringLiteral(AUTH_INSTANCE_HELPER),
                 {first.serverName(), QStringLiteral("--some-flag"), callback});
    const bool received = urls.wait(30000);
    // waitForFinished() is false for a process that already ended while the spy waited.
    ASSERT_TRUE(second.state() == QProcess::NotRunning || second.waitForFinished(30000));
    ASSERT_TRUE(received) << "exit " << second.exitCode() << ": " << second.readAll().toStdString();
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls.first().first().toUrl(), QUrl(callback));
}

TEST(SingleInstanceGuard, FirstStartFindsNobodyToHandTo)
{
    const InstanceName name;
    QProcess alone;
    alone.start(QStringLiteral(AUTH_INSTANCE_HELPER),
                {*name, QStringLiteral("quillmark://auth/callback?token=x")});
    ASSERT_TRUE(alone.waitForFinished(10000));
    EXPECT_EQ(alone.exitCode(), 3);
}

TEST(SingleInstanceGuard, StartWithoutUrlOnlyActivates)
{
    const InstanceName name;
    SingleInstanceGuard first(*name);
    ASSERT_TRUE(first.listen());
    QSignalSpy activations(&first, &SingleInstanceGuard::activationRequested);
    QSignalSpy urls(&first, &SingleInstanceGuard::urlReceived);
    const SingleInstanceGuard second(first.serverName());
    EXPECT_EQ(handOverFromAnotherThread(second), SingleInstanceGuard::HandOver::Outcome::handedOver);
    ASSERT_TRUE(activations.size() == 1 || activations.wait(5000));
    EXPECT_TRUE(urls.isEmpty());
}

TEST(SingleInstanceGuard, NameLeftBehindByACrashIsTakenOver)
{
    const InstanceName name;
    const QString folder = QDir(SingleInstanceGuard::sharedParentFolder()).filePath(*name);
    {
        // A folder with a socket file nobody answers on, as a crashed instance leaves it.
        ASSERT_TRUE(QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QFile leftOver(QDir(folder).filePath(QStringLiteral("socket")));
        ASSERT_TRUE(leftOver.open(QIODevice::WriteOnly));
    }
    SingleInstanceGuard guard(*name);
    EXPECT_TRUE(guard.listen()) << guard.errorString().toStdString();
    EXPECT_EQ(guard.folder(), folder);
    QSignalSpy activations(&guard, &SingleInstanceGuard::activationRequested);
    SingleInstanceGuard other(*name);
    EXPECT_FALSE(other.listen());
    EXPECT_EQ(handOverFromAnotherThread(other), SingleInstanceGuard::HandOver::Outcome::handedOver);
    EXPECT_TRUE(activations.size() == 1 || activations.wait(5000));
}

// What another user can leave at the instance folder's name in a folder everybody
// writes to, before this user's first start.
enum class Plant
{
    linkToAFolderOfOurs, // one the user can write to: the link must not be followed
    linkToTheirFolder,
    theirFolder,
    theirFile,
};

TEST(SingleInstanceGuard, WhatAnotherUserPlantsAtTheNameNeitherBlocksTheStartNorTakesItsPlace)
{
    // Tests run as root, which owns what it makes: "another user" is a made-up owner.
    constexpr uid_t kTheirs = 64999;
    for (const Plant plant :
         {Plant::linkToAFolderOfOurs, Plant::linkToTheirFolder, Plant::theirFolder, Plant::theirFile}) {
        SCOPED_TRACE(::testing::Message() << "plant " << int(plant));
        const QTemporaryDir shared;
        ASSERT_TRUE(shared.isValid());
        ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0); // as /tmp is
        const QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("target"));
        ASSERT_TRUE(QDir().mkdir(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray at = QFile::encodeName(shared.filePath(QStringLiteral("instance")));
        const QByteArray targetPath = QFile::encodeName(target);
        // Where they wait for a sign-in handed to a folder of theirs.
        std::unique_ptr<QLocalServer> theirs;
        const auto listenIn = [&theirs](const QString &folder) {
            theirs = std::make_unique<QLocalServer>();
            EXPECT_TRUE(theirs->listen(QDir(folder).filePath(QStringLiteral("socket"))));
        };
        switch (plant) {
        case Plant::linkToAFolderOfOurs:
            ASSERT_EQ(::symlink(targetPath.constData(), at.constData()), 0);
            break;
        case Plant::linkToTheirFolder:
            ASSERT_EQ(::chmod(targetPath.constData(), 0777), 0);
            ASSERT_EQ(::chown(targetPath.constData(), kTheirs, kTheirs), 0);
            ASSERT_EQ(::symlink(targetPath.constData(), at.constData()), 0);
            ASSERT_EQ(::lchown(at.constData(), kTheirs, kTheirs), 0);
            listenIn(target);
            break;
        case Plant::theirFolder:
            ASSERT_EQ(::mkdir(at.constData(), 0777), 0);
            ASSERT_EQ(::chmod(at.constData(), 0777), 0);
            ASSERT_EQ(::chown(at.constData(), kTheirs, kTheirs), 0);
            listenIn(QFile::decodeName(at));
            break;
        case Plant::theirFile: {
            QFile file(QFile::decodeName(at));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            ASSERT_EQ(::chown(at.constData(), kTheirs, kTheirs), 0);
            break;
        }
        }
        struct stat planted
        {
        };
        ASSERT_EQ(::lstat(at.constData(), &planted), 0);

        const QString name = QFile::decodeName(at);
        auto first = std::make_unique<SingleInstanceGuard>(name);
        ASSERT_TRUE(first->listen()) << first->errorString().toStdString();
        EXPECT_EQ(QFileInfo(first->folder()).absolutePath(), shared.path());
        EXPECT_NE(first->folder(), name);
        QSignalSpy urls(first.get(), &SingleInstanceGuard::urlReceived);
        const QString callback = QStringLiteral("quillmark://auth/callback?token=t1");
        EXPECT_FALSE(SingleInstanceGuard(name).listen());
        EXPECT_EQ(quill::testing::handOverFromAnotherThread(name, {callback}).outcome,
                  SingleInstanceGuard::HandOver::Outcome::handedOver);
        ASSERT_EQ(urls.size(), 1);
        EXPECT_EQ(urls.first().first().toUrl(), QUrl(callback));
        // Nothing of ours went into what they left, nor to them.
        QCoreApplication::processEvents();
        EXPECT_FALSE(theirs && theirs->hasPendingConnections());
        EXPECT_EQ(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                  plant == Plant::linkToTheirFolder ? QStringList{QStringLiteral("socket")} : QStringList{});
        theirs.reset();
        struct stat after
        {
        };
        ASSERT_EQ(::lstat(at.constData(), &after), 0);
        EXPECT_EQ(after.st_ino, planted.st_ino);

        // They take it away again: a later start still meets the running one.
        if (S_ISDIR(planted.st_mode))
            ASSERT_EQ(::rmdir(at.constData()), 0);
        else
            ASSERT_EQ(::unlink(at.constData()), 0);
        SingleInstanceGuard later(name);
        EXPECT_FALSE(later.listen());
        EXPECT_EQ(quill::testing::handOverFromAnotherThread(name).outcome,
                  SingleInstanceGuard::HandOver::Outcome::handedOver);

        // An app that ends leaves its folder, which the next start takes again.
        const QString folder = first->folder();
        first.reset();
        SingleInstanceGuard next(name);
        ASSERT_TRUE(next.listen()) << next.errorString().toStdString();
        EXPECT_EQ(next.folder(), folder);
    }
}

// A start of the program in a process of its own, as main starts, let go by a line on
// its input so that two can start at the same moment.
class RacingStart
{
public:
    RacingStart(const QString &name, QString url,
                const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                const QStringList &options = {})
        : m_url(std::move(url))
    {
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(AUTH_INSTANCE_HELPER),
                        QStringList{QStringLiteral("--start")} + options + QStringList{name, m_url});
    }
    ~RacingStart()
    {
        m_process.kill();
        m_process.waitForFinished(30000);
    }

    const QString &url() const { return m_url; }
    bool said(const QString &line) const { return m_lines.contains(line); }
    bool ended() const { return m_process.state() == QProcess::NotRunning; }
    QProcess &process() { return m_process; }
    void go() { say("go\n"); }
    // Quits the app this start runs, as the seller does.
    void quit() { say("quit\n"); }
    // Takes in what it said meanwhile, waiting a moment for more.
    void listen()
    {
        if (!ended())
            m_process.waitForReadyRead(10);
        while (m_process.canReadLine())
            m_lines.append(QString::fromUtf8(m_process.readLine().trimmed()));
    }
    QString output()
    {
        return m_lines.join(QLatin1Char('|')) + QString::fromUtf8(m_process.readAllStandardError());
    }

private:
    void say(const char *line)
    {
        m_process.write(line);
        m_process.waitForBytesWritten(30000);
    }

    QString m_url;
    QProcess m_process;
    QStringList m_lines;
};

// Listens to every start until `done` holds, for 30 seconds at most.
template <typename Starts, typename Done> bool listenUntil(Starts &starts, Done done)
{
    const QDeadlineTimer deadline(std::chrono::seconds(30));
    for (;;) {
        for (auto &start : starts)
            start->listen();
        if (done() || deadline.hasExpired())
            return done();
    }
}

// Lets pairs of starts go at the same moment, each in the environment `environment`
// gives it: exactly one claims, the other hands its address to it and exits; then the
// holder is killed outright, its claim and socket left as they were.
using StartEnvironment = std::function<QProcessEnvironment(int pair, int start)>;
void raceStarts(const QString &name, int pairs, const StartEnvironment &environment)
{
    for (int pair = 0; pair < pairs; ++pair) {
        SCOPED_TRACE(::testing::Message() << "pair " << pair);
        std::array<std::unique_ptr<RacingStart>, 2> starts;
        for (int i = 0; i < 2; ++i)
            starts.at(i) = std::make_unique<RacingStart>(
                name, QStringLiteral("quillmark://auth/callback?start=%1-%2").arg(pair).arg(i),
                environment(pair, i));
        ASSERT_TRUE(
            listenUntil(starts, [&] { return starts[0]->said("ready") && starts[1]->said("ready"); }));
        for (auto &start : starts)
            start->go();

        const auto claimed = [&] {
            return int(starts[0]->said("claimed")) + int(starts[1]->said("claimed"));
        };
        const auto settled = [&] {
            if (claimed() == 2 || (starts[0]->ended() && starts[1]->ended()))
                return true;
            for (int i = 0; i < 2; ++i) {
                RacingStart &holder = *starts.at(i);
                RacingStart &other = *starts.at(1 - i);
                if (holder.said("claimed") && other.ended() && holder.said("url " + other.url()))
                    return true;
            }
            return false;
        };
        listenUntil(starts, settled);
        ASSERT_EQ(claimed(), 1) << starts[0]->output().toStdString() << " / "
                                << starts[1]->output().toStdString();
        const int holder = starts[0]->said("claimed") ? 0 : 1;
        RacingStart &other = *starts.at(1 - holder);
        ASSERT_TRUE(other.ended()) << other.output().toStdString();
        EXPECT_EQ(other.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(other.process().exitCode(), 0) << other.output().toStdString();
        EXPECT_TRUE(starts.at(holder)->said("url " + other.url()))
            << starts.at(holder)->output().toStdString();

        starts.at(holder)->process().kill();
        ASSERT_TRUE(starts.at(holder)->process().waitForFinished(30000));
    }
}

TEST(SingleInstanceGuard, OfTwoStartsAtOnceExactlyOneClaimsTheOtherHandsOverAndAKilledHolderNeverBlocks)
{
    const InstanceName name;
    raceStarts(*name, 20, [](int, int) { return QProcessEnvironment::systemEnvironment(); });
}

// A desktop start, a start from cron, a terminal after `su -`: each sees other runtime
// and temp folders, or none, and still meets the others of the same user.
TEST(SingleInstanceGuard, StartsWithDifferentOrMissingRuntimeAndTempFoldersMeetAsOneApp)
{
    const InstanceName name;
    const QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const auto folder = [&base](const char *name, bool make) {
        const QString path = base.filePath(QLatin1String(name));
        if (make)
            QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    };
    // An empty value stands for an unset variable.
    const QStringList runtimeFolders{folder("runtime-a", true), folder("runtime-b", true),
                                     folder("runtime-gone", false), QString()};
    const QStringList tempFolders{folder("temp-a", true), folder("temp-b", true), QString()};
    const auto set = [](QProcessEnvironment &environment, const QString &variable, const QString &value) {
        if (value.isEmpty())
            environment.remove(variable);
        else
            environment.insert(variable, value);
    };
    raceStarts(*name, 24, [&](int pair, int start) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        set(environment, QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolders.at((pair + start) % 4));
        set(environment, QStringLiteral("TMPDIR"), tempFolders.at((pair / 4 + start) % 3));
        return environment;
    });
}

// Starts `start` and waits until it has claimed the instance.
template <typename Starts> bool claimedBy(Starts &starts, int start)
{
    if (!listenUntil(starts, [&] { return starts.at(start)->said("ready"); }))
        return false;
    starts.at(start)->go();
    return listenUntil(starts,
                       [&] { return starts.at(start)->said("claimed") || starts.at(start)->ended(); }) &&
           starts.at(start)->said("claimed");
}

// Starts a later start and waits until the holder has its address.
void expectHandedOverTo(std::array<std::unique_ptr<RacingStart>, 2> &starts)
{
    RacingStart &holder = *starts[0];
    RacingStart &later = *starts[1];
    ASSERT_TRUE(listenUntil(starts, [&] { return later.said("ready"); }));
    later.go();
    listenUntil(starts, [&] { return later.ended() && holder.said("url " + later.url()); });
    ASSERT_TRUE(later.ended());
    EXPECT_EQ(later.process().exitCode(), 0) << later.output().toStdString();
    EXPECT_TRUE(holder.said("url " + later.url())) << holder.output().toStdString();
}

TEST(SingleInstanceGuard, OnADiskWithNoRoomAndNoNamesLeftAStartRunsAfterAQuitOrAKillAndAFirstStartAsksForRoom)
{
    enum class Before
    {
        quit,
        kill,
        nothing,
    };
    for (const Before before : {Before::quit, Before::kill, Before::nothing}) {
        SCOPED_TRACE(::testing::Message() << "before: " << int(before));
        const QTemporaryDir base;
        ASSERT_TRUE(base.isValid());
        const QString shared = base.filePath(QStringLiteral("shared"));
        QString whyNot;
        const auto disk =
            quill::testing::FullDisk::over(quill::testing::FullDisk::Kind::tmpfs, shared, &whyNot);
        if (!disk)
            GTEST_SKIP() << whyNot.toStdString();
        const QByteArray sharedPath = QFile::encodeName(shared);
        ASSERT_EQ(::chmod(sharedPath.constData(), 01777), 0); // as /tmp is
        const QString name = QDir(shared).filePath(QStringLiteral("instance"));

        if (before == Before::kill) {
            std::array<std::unique_ptr<RacingStart>, 2> app{std::make_unique<RacingStart>(name, QString()),
                                                            std::make_unique<RacingStart>(name, QString())};
            ASSERT_TRUE(claimedBy(app, 0)) << app[0]->output().toStdString();
            app[0]->process().kill();
            ASSERT_TRUE(app[0]->process().waitForFinished(30000));
        } else if (before == Before::quit) {
            SingleInstanceGuard app(name);
            ASSERT_EQ(app.claimOrHandOver({}).outcome, SingleInstanceGuard::Start::Outcome::claimed)
                << app.errorString().toStdString();
        }

        // Every page and every name taken, the last ones by what the app left.
        disk->fill();
        struct statvfs names
        {
        };
        ASSERT_EQ(::statvfs(sharedPath.constData(), &names), 0);
        const QByteArray noMoreNames =
            "nr_inodes=" + QByteArray::number(quint64(names.f_files - names.f_ffree));
        ASSERT_EQ(::mount("tmpfs", sharedPath.constData(), "tmpfs", MS_REMOUNT | MS_NOSUID | MS_NODEV,
                          noMoreNames.constData()),
                  0)
            << std::strerror(errno);
        ASSERT_NE(::mkdir(QFile::encodeName(name + QStringLiteral(".new")).constData(), 0700), 0);
        ASSERT_EQ(errno, ENOSPC);
        if (before == Before::nothing) {
            SingleInstanceGuard first(name);
            const auto refused = first.claimOrHandOver({});
            EXPECT_EQ(refused.outcome, SingleInstanceGuard::Start::Outcome::failed);
            EXPECT_TRUE(refused.error.contains(QStringLiteral("Free up disk space")))
                << refused.error.toStdString();
            continue;
        }

        std::array<std::unique_ptr<RacingStart>, 2> starts{
            std::make_unique<RacingStart>(name, QString()),
            std::make_unique<RacingStart>(name, QStringLiteral("quillmark://auth/callback?token=full"))};
        ASSERT_TRUE(claimedBy(starts, 0)) << starts[0]->output().toStdString();
        expectHandedOverTo(starts);
    }
}

// Another user's process listening on `socket` (in a folder of theirs), which counts the
// connections it is offered.
class TheirListener
{
public:
    TheirListener(const QByteArray &socket, uid_t uid)
    {
        int report[2];
        int stop[2];
        EXPECT_EQ(::pipe2(report, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(stop, O_CLOEXEC), 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socket.constData(), size_t(socket.size()));
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only system calls from here: the test process has threads.
            ::close(report[0]);
            ::close(stop[1]);
            const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (::setresgid(uid, uid, uid) != 0 || ::setresuid(uid, uid, uid) != 0 ||
                ::bind(listening, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
                ::listen(listening, 8) != 0)
                ::_exit(1);
            if (::write(report[1], "r", 1) != 1)
                ::_exit(1);
            pollfd waits[2] = {{listening, POLLIN, 0}, {stop[0], POLLIN, 0}};
            for (;;) {
                ::poll(waits, 2, -1);
                for (int offered; (offered = ::accept(listening, nullptr, nullptr)) >= 0; ::close(offered)) {
                    if (::write(report[1], "c", 1) != 1)
                        ::_exit(1);
                }
                if (waits[1].revents != 0)
                    ::_exit(0);
            }
        }
        ::close(report[1]);
        ::close(stop[0]);
        m_report = report[0];
        m_stop = stop[1];
        char ready = 0;
        EXPECT_EQ(::read(m_report, &ready, 1), 1);
        EXPECT_EQ(ready, 'r') << "their process could not listen";
    }
    ~TheirListener() { connectionsOffered(); }

    // Stops it, and says how many connections it was offered.
    int connectionsOffered()
    {
        if (m_pid <= 0)
            return m_connections;
        ::close(m_stop);
        ::waitpid(std::exchange(m_pid, -1), nullptr, 0);
        char offered[64];
        for (ssize_t got; (got = ::read(m_report, offered, sizeof offered)) > 0;)
            m_connections += int(std::count(offered, offered + got, 'c'));
        ::close(m_report);
        return m_connections;
    }

private:
    pid_t m_pid = -1;
    int m_report = -1;
    int m_stop = -1;
    int m_connections = 0;
};

TEST(SingleInstanceGuard, AFolderOfAnotherUserPutAtTheNameAfterTheStartCheckedItsOwnIsNeverSentTheAddress)
{
    constexpr uid_t kTheirs = 65534;
    const QTemporaryDir shared;
    ASSERT_TRUE(shared.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0); // as /tmp is
    const QString name = shared.filePath(QStringLiteral("instance"));
    SingleInstanceGuard running(name);
    ASSERT_TRUE(running.listen()) << running.errorString().toStdString();
    QSignalSpy urls(&running, &SingleInstanceGuard::urlReceived);

    const QByteArray theirFolder = QFile::encodeName(shared.filePath(QStringLiteral("theirs")));
    ASSERT_EQ(::mkdir(theirFolder.constData(), 0700), 0);
    ASSERT_EQ(::chown(theirFolder.constData(), kTheirs, kTheirs), 0);
    TheirListener theirs(theirFolder + "/socket", kTheirs);

    // The start is held as it opens the instance folder to check it; meanwhile the name
    // goes to their folder.
    const int watch = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY);
    if (watch < 0)
        GTEST_SKIP() << "opens cannot be held here: " << std::strerror(errno);
    const auto closeWatch = qScopeGuard([watch] { ::close(watch); });
    const QByteArray ours = QFile::encodeName(name);
    ASSERT_EQ(::fanotify_mark(watch, FAN_MARK_ADD, FAN_OPEN_PERM | FAN_ONDIR, AT_FDCWD, ours.constData()), 0)
        << std::strerror(errno);

    const QString callback = QStringLiteral("quillmark://auth/callback?token=mine");
    QProcess start;
    start.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    start.start(QStringLiteral(AUTH_INSTANCE_HELPER), {name, callback});
    pollfd opening{watch, POLLIN, 0};
    ASSERT_EQ(::poll(&opening, 1, 30000), 1) << "the start never opened the folder";
    fanotify_event_metadata event{};
    ASSERT_EQ(::read(watch, &event, sizeof event), ssize_t(sizeof event));
    ASSERT_EQ(event.vers, FANOTIFY_METADATA_VERSION);
    ASSERT_TRUE(event.mask & FAN_OPEN_PERM);
    ASSERT_EQ(
        ::rename(ours.constData(), QFile::encodeName(shared.filePath(QStringLiteral("moved"))).constData()),
        0);
    ASSERT_EQ(::rename(theirFolder.constData(), ours.constData()), 0);
    const fanotify_response allow{event.fd, FAN_ALLOW};
    ASSERT_EQ(::write(watch, &allow, sizeof allow), ssize_t(sizeof allow));
    ::close(event.fd);

    ASSERT_TRUE(eventually([&] { return start.state() == QProcess::NotRunning; }, std::chrono::seconds(30)));
    EXPECT_EQ(theirs.connectionsOffered(), 0);
    EXPECT_EQ(start.exitCode(), 0);
    ASSERT_TRUE(urls.size() == 1 || urls.wait(5000));
    EXPECT_EQ(urls.first().first().toUrl(), QUrl(callback));
}

// A real wait: what the later start waits on is the running app's answer on the socket.
TEST(SingleInstanceGuard, ALaterStartWaitsForAnAppStillBusyBuildingItsWindowAndReportsNoFailure)
{
    const InstanceName name;
    std::array<std::unique_ptr<RacingStart>, 2> starts{
        std::make_unique<RacingStart>(*name, QString(), QProcessEnvironment::systemEnvironment(),
                                      QStringList{QStringLiteral("--busy-ms=3000")}),
        std::make_unique<RacingStart>(*name, QStringLiteral("quillmark://auth/callback?token=later"))};
    ASSERT_TRUE(claimedBy(starts, 0)) << starts[0]->output().toStdString();
    expectHandedOverTo(starts);

    // One whose answer never comes (its loop does not turn here) is not said to have failed to take it.
    const InstanceName silentName;
    SingleInstanceGuard silent(*silentName);
    ASSERT_TRUE(silent.listen());
    const auto unanswered = SingleInstanceGuard(*silentName)
                                .forwardToRunningInstance({starts[1]->url()}, std::chrono::milliseconds(1));
    EXPECT_EQ(unanswered.outcome, SingleInstanceGuard::HandOver::Outcome::failed);
    EXPECT_TRUE(unanswered.error.contains(QStringLiteral("may not have been taken")))
        << unanswered.error.toStdString();
}

// The app is told to quit and stays a few seconds in its teardown; the starts meanwhile
// wait for it to end: one runs the app with its own address, any other hands its address
// to that one, and none fails.
TEST(SingleInstanceGuard, StartsWhileTheAppQuitsWaitForItToEndThenOneRunsAndTheOthersHandOver)
{
    for (const int later : {1, 2}) {
        SCOPED_TRACE(::testing::Message() << later << " later start(s)");
        const InstanceName name;
        std::vector<std::unique_ptr<RacingStart>> starts;
        starts.push_back(std::make_unique<RacingStart>(*name, QString(),
                                                       QProcessEnvironment::systemEnvironment(),
                                                       QStringList{QStringLiteral("--teardown-ms=3000")}));
        for (int i = 0; i < later; ++i)
            starts.push_back(std::make_unique<RacingStart>(
                *name, QStringLiteral("quillmark://auth/callback?token=while-quitting-%1").arg(i)));
        ASSERT_TRUE(claimedBy(starts, 0)) << starts[0]->output().toStdString();
        RacingStart &quitting = *starts[0];
        ASSERT_TRUE(listenUntil(starts, [&] {
            return std::all_of(starts.begin() + 1, starts.end(),
                               [](const auto &start) { return start->said("ready"); });
        }));
        quitting.quit();
        ASSERT_TRUE(listenUntil(starts, [&] { return quitting.said("quitting"); }))
            << quitting.output().toStdString();
        for (auto start = starts.begin() + 1; start != starts.end(); ++start)
            (*start)->go();

        const auto runner = [&]() -> RacingStart * {
            const auto found = std::find_if(starts.begin() + 1, starts.end(),
                                            [](const auto &start) { return start->said("claimed"); });
            return found == starts.end() ? nullptr : found->get();
        };
        const auto settled = [&] {
            const RacingStart *app = runner();
            return quitting.ended() && std::all_of(starts.begin() + 1, starts.end(), [&](const auto &start) {
                       return start.get() == app ? start->said("start-url " + start->url())
                                                 : start->ended() && app && app->said("url " + start->url());
                   });
        };
        listenUntil(starts, settled);
        ASSERT_TRUE(quitting.ended());
        EXPECT_EQ(quitting.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(quitting.process().exitCode(), 0);
        RacingStart *app = runner();
        ASSERT_NE(app, nullptr) << starts[1]->output().toStdString() << " / "
                                << starts.back()->output().toStdString();
        EXPECT_TRUE(app->said("start-url " + app->url())) << app->output().toStdString();
        for (auto start = starts.begin() + 1; start != starts.end(); ++start) {
            if (start->get() == app)
                continue;
            EXPECT_TRUE(!(*start)->said("claimed") && (*start)->ended()) << (*start)->output().toStdString();
            EXPECT_EQ((*start)->process().exitCode(), 0) << (*start)->output().toStdString();
            EXPECT_TRUE(app->said("url " + (*start)->url())) << app->output().toStdString();
        }
    }
}

// The process's descriptor limit lowered to what is open: no more can be opened until it
// is restored, at the latest when this goes.
class NoDescriptorLeft
{
public:
    NoDescriptorLeft()
    {
        if (::getrlimit(RLIMIT_NOFILE, &m_previous) != 0)
            return;
        // The lowest free number: a new descriptor would be given this one or a higher.
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (lowestFree < 0)
            return;
        ::close(lowestFree);
        rlimit lowered = m_previous;
        lowered.rlim_cur = rlim_t(lowestFree);
        m_lowered = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~NoDescriptorLeft() { restore(); }
    Q_DISABLE_COPY_MOVE(NoDescriptorLeft)

    bool lowered() const { return m_lowered; }
    void restore()
    {
        if (std::exchange(m_lowered, false))
            ::setrlimit(RLIMIT_NOFILE, &m_previous);
    }

private:
    rlimit m_previous{};
    bool m_lowered = false;
};

std::chrono::nanoseconds processCpuTime()
{
    timespec used{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

TEST(SingleInstanceGuard, WithNoDescriptorLeftTheAppPausesTakingStartsWithoutSpinningAndAnswersOnceOneIsFree)
{
    const InstanceName name;
    SingleInstanceGuard running(*name);
    ASSERT_TRUE(running.listen()) << running.errorString().toStdString();
    QSignalSpy urls(&running, &SingleInstanceGuard::urlReceived);
    const quill::testing::LogCapture log("app.quillmark.Quillmark.Instance");
    // The later start's end is made while descriptors are left.
    const int start = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(start, 0);
    const auto closeStart = qScopeGuard([start] { ::close(start); });
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(running.folder() + QStringLiteral("/socket"));
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));

    NoDescriptorLeft limit;
    ASSERT_TRUE(limit.lowered()) << std::strerror(errno);
    const int more = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(more, -1) << "a descriptor was still free";
    ASSERT_EQ(errno, EMFILE);
    ASSERT_EQ(::connect(start, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0)
        << std::strerror(errno);
    const QString callback = QStringLiteral("quillmark://auth/callback?token=no-descriptor-left");
    const QByteArray message = callback.toUtf8() + "\n\n";
    ASSERT_EQ(::write(start, message.constData(), size_t(message.size())), ssize_t(message.size()));

    // The loop turns as the app's does, waiting for events without rest (eventually() rests
    // between its turns, which would hide a spin), for a short while with no descriptor
    // free; then one is, as when a print job's files close.
    const auto cpuBefore = processCpuTime();
    QElapsedTimer wall;
    wall.start();
    QEventLoop turning;
    QTimer::singleShot(std::chrono::milliseconds(300), &turning, [&] {
        limit.restore();
        turning.quit();
    });
    turning.exec();
    const auto cpu = processCpuTime() - cpuBefore;
    const auto elapsed = std::chrono::milliseconds(wall.elapsed());
    const bool answered = eventually([&] { return !urls.isEmpty(); }, std::chrono::seconds(10));

    EXPECT_LT(cpu, elapsed / 4) << "the GUI thread spun: busy for "
                                << std::chrono::duration_cast<std::chrono::milliseconds>(cpu).count()
                                << " ms of " << elapsed.count() << " ms";
    EXPECT_EQ(log.matching(QStringLiteral("app.quillmark.Quillmark.Instance"), QtWarningMsg,
                           QStringLiteral("trying again"))
                  .size(),
              1)
        << log.messages().join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(answered);
    EXPECT_EQ(urls.first().first().toUrl(), QUrl(callback));
    char answer[8] = {};
    EXPECT_EQ(::recv(start, answer, sizeof answer, MSG_DONTWAIT), 3);
    EXPECT_STREQ(answer, "ok\n");
}

// A later start with an address of the given size in bytes: up to the limit it
// arrives whole and the start succeeds; beyond it the start fails and says why.
struct AddressSizeCase
{
    const char *name;
    qsizetype bytes;
    bool handedOver;
};

void PrintTo(const AddressSizeCase &c, std::ostream *out)
{
    *out << c.name << " (" << c.bytes << " bytes)";
}

class AddressSizes : public ::testing::TestWithParam<AddressSizeCase>
{
};

TEST_P(AddressSizes, ArriveWholeOrFailTheSecondStart)
{
    const AddressSizeCase &c = GetParam();
    const InstanceName name;
    SingleInstanceGuard first(*name);
    ASSERT_TRUE(first.listen());
    QSignalSpy urls(&first, &SingleInstanceGuard::urlReceived);
    QSignalSpy activations(&first, &SingleInstanceGuard::activationRequested);

    const QString prefix = QStringLiteral("quillmark://auth/callback?token=");
    const QString callback = prefix + QString(c.bytes - prefix.size(), QLatin1Char('t'));
    QProcess second;
    second.start(QStringLiteral(AUTH_INSTANCE_HELPER), {first.serverName(), callback});
    // The running instance answers from this event loop, so wait here rather than
    // blocking in waitForFinished().
    eventually([&] { return second.state() == QProcess::NotRunning; }, std::chrono::seconds(30));
    ASSERT_EQ(second.state(), QProcess::NotRunning);
    QCoreApplication::processEvents();
    const QString errors = QString::fromUtf8(second.readAllStandardError());

    if (c.handedOver) {
        EXPECT_EQ(second.exitCode(), 0) << errors.toStdString();
        ASSERT_EQ(urls.size(), 1);
        EXPECT_EQ(urls.first().first().toUrl().toString(QUrl::FullyEncoded), callback);
    } else {
        EXPECT_EQ(second.exitCode(), 4);
        EXPECT_TRUE(errors.contains(QStringLiteral("too long"))) << errors.toStdString();
        EXPECT_TRUE(urls.isEmpty());
        EXPECT_TRUE(activations.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Callback, AddressSizes,
                         ::testing::Values(AddressSizeCase{"Short", 100, true},
                                           AddressSizeCase{"JustBelowTheOldLimit", 64 * 1024 - 2, true},
                                           AddressSizeCase{"AtTheLimit", 64 * 1024, true},
                                           AddressSizeCase{"OneByteOver", 64 * 1024 + 1, false},
                                           AddressSizeCase{"FarOver", 100 * 1024, false}),
                         [](const ::testing::TestParamInfo<AddressSizeCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(SingleInstanceGuard, OnlyOwnSchemeArgumentsAreHandedOver)
{
    EXPECT_EQ(SingleInstanceGuard::schemeUrls({QStringLiteral("-platform"), QStringLiteral("xcb"),
                                               QStringLiteral("quillmark://auth/callback?token=t"),
                                               QStringLiteral("https://example.com")}),
              QStringList{QStringLiteral("quillmark://auth/callback?token=t")});
}

} // namespace
