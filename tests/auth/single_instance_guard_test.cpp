#include "app/single_instance_guard.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QUuid>
#include <gtest/gtest.h>

using namespace quill;

namespace {

QString uniqueName()
{
    return QStringLiteral("quillmark-test-") + QUuid::createUuid().toString(QUuid::Id128);
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
    EXPECT_TRUE(second.forwardToRunningInstance({}));
    ASSERT_TRUE(activations.wait(5000));
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
    EXPECT_TRUE(other.forwardToRunningInstance({}));
    EXPECT_TRUE(activations.wait(5000));
}

TEST(SingleInstanceGuard, OnlyOwnSchemeArgumentsAreHandedOver)
{
    EXPECT_EQ(SingleInstanceGuard::schemeUrls({QStringLiteral("-platform"), QStringLiteral("xcb"),
                                               QStringLiteral("quillmark://auth/callback?token=t"),
                                               QStringLiteral("https://example.com")}),
              QStringList{QStringLiteral("quillmark://auth/callback?token=t")});
}

} // namespace
