#include "common/process_runner.h"
#include "common/serial_queue.h"
#include "run_sync.h"

#include <QCoroTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using quill::ProcessRequest;
using quill::ProcessResult;
using quill::QProcessRunner;

namespace {

ProcessResult runSh(const QString &script, std::chrono::milliseconds timeout = 10s)
{
    return quill::testing::runSync(QProcessRunner::instance().run(
        ProcessRequest{QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}, timeout}));
}

} // namespace

TEST(ProcessRunner, MergesOutputAndReportsExitStatus)
{
    const ProcessResult r = runSh(QStringLiteral("echo out; echo err >&2; exit 3"));
    EXPECT_EQ(r.outcome, ProcessResult::Outcome::Finished);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_FALSE(r.succeeded());
    EXPECT_TRUE(r.output.contains(QStringLiteral("out")));
    EXPECT_TRUE(r.output.contains(QStringLiteral("err")));
}

TEST(ProcessRunner, ForcesTheCLocaleOnTools)
{
    qputenv("LANG", "de_DE.UTF-8");
    const ProcessResult r = runSh(QStringLiteral("echo \"$LC_ALL/$LANG\""));
    qunsetenv("LANG");
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(r.output.trimmed(), QStringLiteral("C/C"));
}

TEST(ProcessRunner, MissingProgramIsAFailureToStartNotAnEmptySuccess)
{
    const ProcessResult r = quill::testing::runSync(QProcessRunner::instance().run(
        ProcessRequest{QStringLiteral("/nonexistent/lp"), {}, 5s}));
    EXPECT_EQ(r.outcome, ProcessResult::Outcome::FailedToStart);
    EXPECT_FALSE(r.succeeded());
    EXPECT_TRUE(r.describe().startsWith(QStringLiteral("could not be started")));
}

TEST(ProcessRunner, HungToolIsKilledAtTheTimeOut)
{
    const ProcessResult r = runSh(QStringLiteral("echo started; exec sleep 30"), 300ms);
    EXPECT_EQ(r.outcome, ProcessResult::Outcome::TimedOut);
    EXPECT_TRUE(r.describe().contains(QStringLiteral("timed out")));
}

TEST(ProcessRunner, OutputLargerThanAPipeDoesNotBlock)
{
    // 1 MiB is far beyond a pipe buffer; the child would block if nobody drained it.
    const ProcessResult r = runSh(QStringLiteral("head -c 1048576 /dev/zero | tr '\\0' x"));
    ASSERT_TRUE(r.succeeded());
    EXPECT_EQ(r.output.size(), 1048576);
}

TEST(ProcessRunner, InvalidUtf8IsReplacedNotDropped)
{
    const ProcessResult r = runSh(QStringLiteral("printf 'a\\377b'"));
    ASSERT_TRUE(r.succeeded());
    EXPECT_EQ(r.output, QStringLiteral("a\uFFFDb"));
}

TEST(SerialQueue, TurnsAreGrantedInRequestOrder)
{
    quill::SerialQueue queue;
    QList<int> order;
    auto worker = [&](int id, std::chrono::milliseconds hold) -> QCoro::Task<> {
        auto turn = co_await queue.acquire();
        order.append(id);
        co_await QCoro::sleepFor(hold);
        order.append(-id);
    };
    // The first holds its turn longest; the others must still wait and keep their order.
    auto a = worker(1, 30ms);
    auto b = worker(2, 1ms);
    auto c = worker(3, 0ms);
    quill::testing::runSync(std::move(a));
    quill::testing::runSync(std::move(b));
    quill::testing::runSync(std::move(c));
    EXPECT_EQ(order, (QList<int>{1, -1, 2, -2, 3, -3}));
    EXPECT_FALSE(queue.isBusy());
}
