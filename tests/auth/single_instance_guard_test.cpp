#include "app/single_instance_guard.h"
#include "instance_hand_over.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QUuid>
#include <array>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>

using namespace quill;
using quill::testing::eventually;

namespace {

QString uniqueName()
{
    return QStringLiteral("quillmark-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

SingleInstanceGuard::HandOver::Outcome handOverFromAnotherThread(const SingleInstanceGuard &guard)
{
    return quill::testing::handOverFromAnotherThread(guard.serverName()).outcome;
}

TEST(SingleInstanceGuard, SecondStartHandsItsCallbackUrlToTheFirst)
{
    SingleInstanceGuard first(uniqueName());
    ASSERT_TRUE(first.listen());
    QSignalSpy urls(&first, &SingleInstanceGuard::urlReceived);

    const QString callback = QStringLiteral("quillmark://auth/callback?token=abc%2Bdef");
    QProcess second;
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(QStringLiteral(AUTH_INSTANCE_HELPER), {first.serverName(), QStringLiteral("--some-flag"), callback});
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
    QProcess alone;
    alone.start(QStringLiteral(AUTH_INSTANCE_HELPER),
                {uniqueName(), QStringLiteral("quillmark://auth/callback?token=x")});
    ASSERT_TRUE(alone.waitForFinished(10000));
    EXPECT_EQ(alone.exitCode(), 3);
}

TEST(SingleInstanceGuard, StartWithoutUrlOnlyActivates)
{
    SingleInstanceGuard first(uniqueName());
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
    const QString name = uniqueName();
    {
        // A socket file nobody answers on, as a crashed instance leaves it.
        QFile leftOver(QDir::temp().filePath(name));
        ASSERT_TRUE(leftOver.open(QIODevice::WriteOnly));
    }
    SingleInstanceGuard guard(name);
    EXPECT_TRUE(guard.listen());
    QSignalSpy activations(&guard, &SingleInstanceGuard::activationRequested);
    SingleInstanceGuard other(name);
    EXPECT_FALSE(other.listen());
    EXPECT_EQ(handOverFromAnotherThread(other), SingleInstanceGuard::HandOver::Outcome::handedOver);
    EXPECT_TRUE(activations.size() == 1 || activations.wait(5000));
}

// A start of the program in a process of its own, as main starts, let go by a line on
// its input so that two can start at the same moment.
class RacingStart
{
public:
    RacingStart(const QString &name, QString url) : m_url(std::move(url))
    {
        m_process.start(QStringLiteral(AUTH_INSTANCE_HELPER), {QStringLiteral("--start"), name, m_url});
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
    void go()
    {
        m_process.write("go\n");
        m_process.waitForBytesWritten(30000);
    }
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
    QString m_url;
    QProcess m_process;
    QStringList m_lines;
};

// Listens to both starts until `done` holds, for 30 seconds at most.
template <typename Done> bool listenUntil(std::array<std::unique_ptr<RacingStart>, 2> &starts, Done done)
{
    const QDeadlineTimer deadline(std::chrono::seconds(30));
    for (;;) {
        for (auto &start : starts)
            start->listen();
        if (done() || deadline.hasExpired())
            return done();
    }
}

TEST(SingleInstanceGuard, OfTwoStartsAtOnceExactlyOneClaimsTheOtherHandsOverAndAKilledHolderNeverBlocks)
{
    const QString name = uniqueName();
    constexpr int kPairs = 20;
    for (int pair = 0; pair < kPairs; ++pair) {
        SCOPED_TRACE(::testing::Message() << "pair " << pair);
        std::array<std::unique_ptr<RacingStart>, 2> starts;
        for (int i = 0; i < 2; ++i)
            starts.at(i) = std::make_unique<RacingStart>(
                name, QStringLiteral("quillmark://auth/callback?start=%1-%2").arg(pair).arg(i));
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

        // Killed outright: its claim and its name are left as they were.
        starts.at(holder)->process().kill();
        ASSERT_TRUE(starts.at(holder)->process().waitForFinished(30000));
    }
    QFile::remove(SingleInstanceGuard(name).lockFilePath());
    QFile::remove(QDir::temp().filePath(name));
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
    SingleInstanceGuard first(uniqueName());
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
