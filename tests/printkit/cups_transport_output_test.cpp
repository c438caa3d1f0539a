// The CUPS transport's own account of each job on the process's standard output: read
// back from a file or pipe put in place of file descriptor 1 for the test.
#include "fake_process_runner.h"
#include "printkit/domain/label_preset.h"
#include "printkit/rendering/label_renderer.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
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
        afterImage = written(); // read before anything is flushed on the way out
        exitCode = 1;
        try {
            runSync(transport->printPDF("%PDF", QStringLiteral("P"), printkit::LabelPreset::rect1x2().canvas,
                                        1, config));
        } catch (const CUPSPrintTransportError &) {
            refused = true;
        }
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
    }
    ::close(ends[1]);
    EXPECT_FALSE(threw);
    EXPECT_EQ(m_runner.argumentsFor(m_tools.lp).size(), 1);
}

} // namespace cups_transport_output
