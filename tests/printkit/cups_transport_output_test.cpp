// The CUPS transport's own account of each job on the process's standard output: read
// back from a file or pipe put in place of file descriptor 1 for the test.
#include "common/standard_output.h"
#include "fake_process_runner.h"
#include "log_capture.h"
#include "printkit/domain/label_preset.h"
#include "printkit/rendering/label_renderer.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"

#include <QCoroTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace cups_transport_output {

using printkit::CUPSPrintConfiguration;
using printkit::CUPSPrintTransport;
using printkit::CUPSPrintTransportError;
using printkit::LabelCanvas;
using quill::testing::FakeProcessRunner;
using quill::testing::runSync;

// Sends the process's standard output elsewhere for its scope. Whatever stdio held is
// flushed first and nothing is flushed while it is away, so what arrives there is what
// the code under test wrote out by itself.
class RedirectedStdout final
{
public:
    explicit RedirectedStdout(int target)
    {
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        ::dup2(target, STDOUT_FILENO);
    }
    ~RedirectedStdout()
    {
        std::fflush(stdout);
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
    }
    Q_DISABLE_COPY_MOVE(RedirectedStdout)

private:
    int m_saved = -1;
};

class CUPSTransportOutput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
        m_tools.lp = QStringLiteral("/fake/lp");
        m_tools.lpstat = QStringLiteral("/fake/lpstat");
        m_tools.ppdDirectory = path(QStringLiteral("ppd"));
    }

    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

    std::unique_ptr<CUPSPrintTransport> makeTransport()
    {
        auto transport = std::make_unique<CUPSPrintTransport>(&m_renderer, &m_runner, m_tools);
        transport->setTemporaryFolder(path(QStringLiteral("tmp")));
        transport->setDebugCopyFolder(QString());
        return transport;
    }

    QTemporaryDir m_dir;
    printkit::CUPSTools m_tools;
    FakeProcessRunner m_runner;
    printkit::LabelRenderer m_renderer;
};

TEST_F(CUPSTransportOutput, EachJobWritesItsImageCommandAndLpAnswerLinesWholeToStandardOutputAtOnce)
{
    const QString outPath = path(QStringLiteral("stdout.txt"));
    const int out = ::open(QFile::encodeName(outPath).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(out, 0);
    const auto written = [&] {
        QFile file(outPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    int exitCode = 0;
    m_runner.setResponder([&](const quill::ProcessRequest &) {
        return exitCode == 0
                   ? FakeProcessRunner::finished(QStringLiteral("request id is Q-1 (1 file(s))\n"))
                   : FakeProcessRunner::finished(QStringLiteral("\nlp: The printer does not exist.\n"), 1);
    });
    auto transport = makeTransport();
    const CUPSPrintConfiguration config{
        QStringLiteral("Q"), true, {{"PostAction", "None"}, {"note", "two words"}}};
    const LabelCanvas canvas = LabelCanvas::custom(2, 1.25, printkit::LabelShape::rectangle);

    QString afterImage;
    QString afterFailure;
    bool refused = false;
    {
        RedirectedStdout redirected(out);
        runSync(transport->printImage("\x89PNG-bytes", QStringLiteral("P"), canvas, 2, config));
        // Read once the output's writer has them, before anything is flushed on the way out.
        ASSERT_TRUE(quill::StandardOutput::drain(std::chrono::seconds(20)));
        afterImage = written();
        exitCode = 1;
        try {
            runSync(transport->printPDF("%PDF", QStringLiteral("P"), printkit::LabelPreset::rect1x2().canvas,
                                        1, config));
        } catch (const CUPSPrintTransportError &) {
            refused = true;
        }
        ASSERT_TRUE(quill::StandardOutput::drain(std::chrono::seconds(20)));
        afterFailure = written();
    }
    ::close(out);

    const QList<QStringList> lpCalls = m_runner.argumentsFor(m_tools.lp);
    ASSERT_EQ(lpCalls.size(), 2);
    const QString imageJob =
        QStringLiteral("[CUPSPrintTransport] Image: 10 bytes, canvas: 2.0x1.25in (Custom.144x90)\n"
                       "[CUPSPrintTransport] /fake/lp -d Q -n 2 -o PageSize=Custom.144x90 -o "
                       "PageRegion=Custom.144x90 -o PostAction=None -o \"note=two words\" ") +
        lpCalls.at(0).last() +
        QStringLiteral("\n[CUPSPrintTransport] lp output: request id is Q-1 (1 file(s)) (exit 0)\n");
    EXPECT_EQ(afterImage, imageJob);
    // A PDF job has no image line; lp's refusal is written before it is thrown.
    EXPECT_TRUE(refused);
    const QString refusedJob =
        QStringLiteral("[CUPSPrintTransport] /fake/lp -d Q -n 1 -o PageSize=Custom.144x72 -o "
                       "PageRegion=Custom.144x72 -o PostAction=None -o \"note=two words\" ") +
        lpCalls.at(1).last() +
        QStringLiteral("\n[CUPSPrintTransport] lp output: lp: The printer does not exist. (exit 1)\n");
    EXPECT_EQ(afterFailure, imageJob + refusedJob);
}

TEST_F(CUPSTransportOutput, AJobGoesThroughWhenNobodyReadsStandardOutputAnyMore)
{
    m_runner.setResponder([](const quill::ProcessRequest &) {
        return FakeProcessRunner::finished(QStringLiteral("request id"));
    });
    auto transport = makeTransport();
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]); // the reader is gone: a write raises SIGPIPE, which by default ends the process
    bool threw = false;
    {
        RedirectedStdout redirected(ends[1]);
        try {
            runSync(transport->printImage("png", QStringLiteral("P"), printkit::LabelPreset::rect1x2().canvas,
                                          1, CUPSPrintConfiguration{QStringLiteral("Q"), true, {}}));
        } catch (...) {
            threw = true;
        }
        // Its lines are lost to the closed pipe, and that ends nothing either.
        EXPECT_TRUE(quill::StandardOutput::drain(std::chrono::seconds(20)));
    }
    ::close(ends[1]);
    EXPECT_FALSE(threw);
    EXPECT_EQ(m_runner.argumentsFor(m_tools.lp).size(), 1);
}

// A job's lines on a pipe that nobody reads, as `quillmark | less` left on its first screen.
// The reader drains the pipe at the end; should the event loop be held up by the pipe
// meanwhile, a watchdog reads it after a while so that the test ends, failed.
class UnreadPipe final
{
public:
    UnreadPipe()
    {
        if (::pipe(m_ends) != 0)
            return;
        ::fcntl(m_ends[1], F_SETPIPE_SZ, 4096); // full after a few lines
        m_watchdog = std::thread([this] {
            std::unique_lock lock(m_mutex);
            if (!m_released.wait_for(lock, std::chrono::seconds(10), [this] { return m_readNow; }))
                m_watchdogRead = true;
            lock.unlock();
            readToTheEnd();
        });
    }
    ~UnreadPipe()
    {
        closeWriter();
        startReading();
        m_watchdog.join();
        ::close(m_ends[0]);
    }
    Q_DISABLE_COPY_MOVE(UnreadPipe)

    bool isValid() const { return m_ends[0] >= 0; }
    int writer() const { return m_ends[1]; }
    void closeWriter()
    {
        if (m_ends[1] >= 0)
            ::close(std::exchange(m_ends[1], -1));
    }
    // From now on the pipe is read, to its end (once every writer has closed it).
    void startReading()
    {
        const std::lock_guard lock(m_mutex);
        m_readNow = true;
        m_released.notify_all();
    }
    // Once the writers closed it and it was read to its end.
    QByteArray readBytes()
    {
        m_watchdog.join();
        m_watchdog = std::thread([] {});
        return m_read;
    }
    bool watchdogHadToRead() const { return m_watchdogRead; }

private:
    void readToTheEnd()
    {
        char chunk[65536];
        for (;;) {
            const ssize_t got = ::read(m_ends[0], chunk, sizeof chunk);
            if (got > 0)
                m_read.append(chunk, got);
            else if (got == 0 || errno != EINTR)
                return;
        }
    }

    int m_ends[2] = {-1, -1};
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_readNow = false;
    std::atomic<bool> m_watchdogRead = false;
    QByteArray m_read;
    std::thread m_watchdog;
};

// lp, answered on a later turn of the event loop, as the real one is.
class LaterTurnLp final : public quill::ProcessRunner
{
public:
    QCoro::Task<quill::ProcessResult> run(quill::ProcessRequest request) override
    {
        Q_UNUSED(request)
        const int number = ++m_runs;
        co_await QCoro::sleepFor(std::chrono::milliseconds(0));
        co_return FakeProcessRunner::finished(QStringLiteral("request id is Q-%1 (1 file(s))").arg(number));
    }
    int runs() const { return m_runs; }

private:
    int m_runs = 0;
};

TEST_F(CUPSTransportOutput, AReaderThatDoesNotReadHoldsUpNeitherAJobNorTheEventLoopAndGetsEveryLineWhole)
{
    constexpr int kJobs = 400;
    LaterTurnLp lp;
    auto transport = std::make_unique<CUPSPrintTransport>(&m_renderer, &lp, m_tools);
    transport->setTemporaryFolder(path(QStringLiteral("tmp")));
    transport->setDebugCopyFolder(QString());
    const CUPSPrintConfiguration config{QStringLiteral("Q"), true, {}};
    const LabelCanvas canvas = printkit::LabelPreset::rect1x2().canvas;

    UnreadPipe pipe;
    ASSERT_TRUE(pipe.isValid());
    // The longest the event loop went without turning while the jobs ran.
    qint64 longestStallMs = 0;
    int failures = 0;
    bool drained = false;
    {
        RedirectedStdout redirected(pipe.writer());
        pipe.closeWriter(); // standard output holds it now
        QElapsedTimer sinceTurn;
        sinceTurn.start();
        QTimer turns;
        turns.setInterval(0);
        QObject::connect(&turns, &QTimer::timeout,
                         [&] { longestStallMs = std::max(longestStallMs, sinceTurn.restart()); });
        turns.start();
        const auto jobs = [&]() -> QCoro::Task<> {
            for (int job = 0; job < kJobs; ++job) {
                try {
                    co_await transport->printImage(QByteArray(100 + job % 7, 'p'), QStringLiteral("P"),
                                                   canvas, 1, config);
                } catch (...) {
                    ++failures;
                }
            }
        };
        runSync(jobs());
        turns.stop();
        longestStallMs = std::max(longestStallMs, sinceTurn.elapsed());
        // Every line queued, few read: now the reader reads, and gets them all.
        pipe.startReading();
        drained = quill::StandardOutput::drain(std::chrono::seconds(20));
    }
    ASSERT_TRUE(drained);
    EXPECT_FALSE(pipe.watchdogHadToRead()) << "the jobs waited for the reader";
    EXPECT_LT(longestStallMs, 50);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(lp.runs(), kJobs);
    // Standard output has let go of the pipe: it is read to its end.
    const QList<QByteArray> lines = pipe.readBytes().split('\n');
    ASSERT_EQ(lines.size(), 3 * kJobs + 1) << "every job's three lines, and nothing after the last feed";
    EXPECT_TRUE(lines.last().isEmpty());
    for (int job = 0; job < kJobs; ++job) {
        SCOPED_TRACE(job);
        EXPECT_EQ(lines.at(3 * job),
                  QStringLiteral("[CUPSPrintTransport] Image: %1 bytes, canvas: 2.0x1.0in (Custom.144x72)")
                      .arg(100 + job % 7)
                      .toUtf8());
        EXPECT_TRUE(lines.at(3 * job + 1).startsWith("[CUPSPrintTransport] /fake/lp -d Q -n 1 "));
        EXPECT_EQ(lines.at(3 * job + 2),
                  QStringLiteral("[CUPSPrintTransport] lp output: request id is Q-%1 (1 file(s)) (exit 0)")
                      .arg(job + 1)
                      .toUtf8());
    }
}

TEST(StandardOutputRoom, WhileTheBufferIsFullNewLinesAreDroppedCountedAndLoggedOnceTheWriterCaughtUp)
{
    const QByteArray filler(511, 'x');
    const auto numbered = [&](int number) -> QByteArray {
        return QByteArray::number(number) + ' ' + filler + '\n';
    };
    constexpr int kPosted = 3000; // well past the room the buffer has
    UnreadPipe pipe;
    ASSERT_TRUE(pipe.isValid());
    bool drained = false;
    QList<quill::testing::LogCapture::Entry> dropped;
    {
        quill::testing::LogCapture log("app.quillmark.Quillmark.StandardOutput");
        RedirectedStdout redirected(pipe.writer());
        pipe.closeWriter();
        for (int line = 0; line < kPosted; ++line)
            quill::StandardOutput::writeLine(numbered(line));
        pipe.startReading();
        drained = quill::StandardOutput::drain(std::chrono::seconds(20));
        // Once caught up, a line finds room again.
        quill::StandardOutput::writeLine(numbered(kPosted));
        drained = quill::StandardOutput::drain(std::chrono::seconds(20)) && drained;
        dropped = log.matching(QStringLiteral("app.quillmark.Quillmark.StandardOutput"), QtWarningMsg,
                               QStringLiteral("dropped"));
    }
    ASSERT_TRUE(drained);
    EXPECT_FALSE(pipe.watchdogHadToRead());
    QList<QByteArray> lines = pipe.readBytes().split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.takeLast().isEmpty());
    // The first lines, whole and in order, as many as found room; then the one written later.
    ASSERT_GE(lines.size(), 2);
    const QByteArray last = lines.takeLast() + '\n';
    EXPECT_EQ(last, numbered(kPosted));
    const qsizetype kept = lines.size();
    EXPECT_LT(kept, kPosted);
    qsizetype keptBytes = 0;
    for (qsizetype line = 0; line < kept; ++line) {
        ASSERT_EQ(QByteArray(lines.at(line) + '\n'), numbered(int(line))) << line;
        keptBytes += lines.at(line).size() + 1;
    }
    // Lines were dropped only once the buffer had no room for the next.
    EXPECT_GT(keptBytes + numbered(int(kept)).size(), quill::StandardOutput::kCapacity);
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_TRUE(
        dropped.first().message.startsWith(QString::number(kPosted - kept) + QStringLiteral(" line(s)")))
        << dropped.first().message.toStdString();
}

// A program started with standard output closed (`quillmark >&-`): the first file it opens
// would take descriptor 1 and receive the transport's lines.
TEST(StandardOutputClosedAtStart, AFileOpenedLaterReceivesNoLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("opened-later.txt"));
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$1\" >&-"),
                                             QStringLiteral(PRINTKIT_OUTPUT_HELPER), file});
    ASSERT_TRUE(helper.waitForFinished(60000));
    ASSERT_EQ(helper.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(helper.exitCode(), 0);
    QFile opened(file);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    const QByteArray text = opened.readAll();
    EXPECT_FALSE(text.contains("[CUPSPrintTransport]")) << text.toStdString();
    // What the helper wrote there itself, and on which descriptor it got the file.
    const QList<QByteArray> lines = text.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << text.toStdString();
    EXPECT_EQ(lines.at(0), "printed");
    EXPECT_GT(lines.at(1).mid(QByteArrayLiteral("descriptor ").size()).toInt(), 2)
        << lines.at(1).toStdString();
}

} // namespace cups_transport_output
