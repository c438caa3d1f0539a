// The CUPS transport and queue monitor against recorded tool outputs: argv, queue
// resolution, error texts, temporary files and the lpstat readers.
#include "fake_process_runner.h"
#include "run_sync.h"
#include "printkit/domain/label_preset.h"
#include "printkit/rendering/label_renderer.h"
#include "printkit/transport/cups_print_transport.h"
#include "printkit/transport/cups_queue_monitor.h"

#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

using namespace printkit;
using namespace std::chrono_literals;
using quill::testing::FakeProcessRunner;
using quill::testing::runSync;

namespace {

const LabelCanvas kTwoByOne = LabelPreset::rect1x2().canvas;

class TransportFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("ppd"));
        QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
        QDir(m_dir.path()).mkpath(QStringLiteral("Desktop"));
        m_tools.lp = QStringLiteral("/fake/lp");
        m_tools.lpstat = QStringLiteral("/fake/lpstat");
        m_tools.cancel = QStringLiteral("/fake/cancel");
        m_tools.cupsenable = QStringLiteral("/fake/cupsenable");
        m_tools.ppdDirectory = path(QStringLiteral("ppd"));
    }

    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }
    void addPpd(const QString &fileName) const
    {
        QFile f(path(QStringLiteral("ppd/") + fileName));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    std::unique_ptr<CUPSPrintTransport> makeTransport()
    {
        auto t = std::make_unique<CUPSPrintTransport>(&m_renderer, &m_runner, m_tools);
        t->setTemporaryFolder(path(QStringLiteral("tmp")));
        t->setDebugCopyFolder(path(QStringLiteral("Desktop")));
        return t;
    }

    // Resolves through the transport; returns the queue lp was given, or the error text.
    QString resolveByPrinting(const QString &printerName)
    {
        m_runner.setResponder([](const quill::ProcessRequest &r) {
            if (r.program == QLatin1String("/fake/lpstat"))
                return FakeProcessRunner::finished(QString());
            return FakeProcessRunner::finished(QStringLiteral("request id is Q-1 (1 file(s))"));
        });
        auto transport = makeTransport();
        try {
            runSync(transport->printImage("png", printerName, kTwoByOne, 1));
        } catch (const quill::Error &e) {
            return QStringLiteral("error: ") + e.message();
        }
        const auto lpCalls = m_runner.argumentsFor(m_tools.lp);
        return lpCalls.isEmpty() ? QString() : lpCalls.last().at(1);
    }

    QTemporaryDir m_dir;
    CUPSTools m_tools;
    FakeProcessRunner m_runner;
    LabelRenderer m_renderer;
};

} // namespace

TEST(CUPSPrintTransportArguments, OrderOfTheLpCommandLine)
{
    const QString file = QStringLiteral("/tmp/print-job-X.png");
    EXPECT_EQ(CUPSPrintTransport::lpArguments(QStringLiteral("Q"), 2, kTwoByOne, std::nullopt, file),
              (QStringList{"-d", "Q", "-n", "2", "-o", "PageSize=Custom.144x72", "-o", "PageRegion=Custom.144x72",
                           file}));

    CUPSPrintConfiguration noPageSize{std::nullopt, false,
                                      {{"PostAction", "None"}, {"PostAction", "None"}, {"Darkness", ""}}};
    EXPECT_EQ(CUPSPrintTransport::lpArguments(QStringLiteral("Q"), 0, kTwoByOne, noPageSize, file),
              (QStringList{"-d", "Q", "-n", "0", "-o", "PostAction=None", "-o", "PostAction=None", "-o", "Darkness=",
                           file}));

    CUPSPrintConfiguration withPageSize{QStringLiteral("Other"), true, {{"media", "Custom.2x1in"}}};
    EXPECT_EQ(CUPSPrintTransport::lpArguments(QStringLiteral("Q"), 1, kTwoByOne, withPageSize, file),
              (QStringList{"-d", "Q", "-n", "1", "-o", "PageSize=Custom.144x72", "-o", "PageRegion=Custom.144x72",
                           "-o", "media=Custom.2x1in", file}));
}

TEST(CUPSPrintTransportArguments, LoggedCommandQuotesArgumentsWithSpaces)
{
    EXPECT_EQ(CUPSPrintTransport::commandLine(QStringLiteral("/usr/bin/lp"),
                                              {QStringLiteral("-d"), QStringLiteral("Desk Label"),
                                               QStringLiteral("a\"b c")}),
              QStringLiteral("/usr/bin/lp -d \"Desk Label\" \"a\"b c\""));
}

TEST_F(TransportFixture, QueueResolutionRules)
{
    addPpd(QStringLiteral("Desk_Label_2844.ppd"));
    addPpd(QStringLiteral("Office_Label_800.ppd"));
    addPpd(QStringLiteral("etiquette_thermique.ppd"));
    addPpd(QStringLiteral("Upper.PPD"));
    addPpd(QStringLiteral("Exact Name.ppd"));

    EXPECT_EQ(resolveByPrinting(QStringLiteral("Exact Name")), QStringLiteral("Exact Name"));
    EXPECT_EQ(resolveByPrinting(QStringLiteral("Desk Label 2844")), QStringLiteral("Desk_Label_2844"));
    EXPECT_EQ(resolveByPrinting(QStringLiteral("Office Label-800")), QStringLiteral("Office_Label_800"));
    EXPECT_EQ(resolveByPrinting(QStringLiteral("Étiquette Thermique")), QStringLiteral("etiquette_thermique"));
    // An upper-case extension is not a PPD the folded search considers.
    EXPECT_EQ(resolveByPrinting(QStringLiteral("upper")),
              QStringLiteral("error: The CUPS queue for 'upper' could not be resolved from %1.")
                  .arg(m_tools.ppdDirectory));
}

TEST_F(TransportFixture, DestinationsListedByCupsNeedNoPpd)
{
    // Driverless and IPP queues: no PPD folder at all.
    m_tools.ppdDirectory = path(QStringLiteral("missing"));
    m_runner.setResponder([](const quill::ProcessRequest &r) {
        if (r.program == QLatin1String("/fake/lpstat"))
            return FakeProcessRunner::finished(QStringLiteral("Driverless_Label\nOther\n"));
        return FakeProcessRunner::finished(QStringLiteral("request id is Driverless_Label-1 (1 file(s))"));
    });
    auto transport = makeTransport();
    runSync(transport->printImage("png", QStringLiteral("Driverless Label"), kTwoByOne, 1));
    EXPECT_EQ(m_runner.argumentsFor(m_tools.lpstat), (QList<QStringList>{{"-e"}}));
    EXPECT_EQ(m_runner.argumentsFor(m_tools.lp).at(0).at(1), QStringLiteral("Driverless_Label"));

    // Neither listed nor in an existing folder: a clear error, nothing submitted.
    const qsizetype lpCalls = m_runner.argumentsFor(m_tools.lp).size();
    EXPECT_THROW(runSync(transport->printImage("png", QStringLiteral("Gone"), kTwoByOne, 1)), quill::Error);
    EXPECT_EQ(m_runner.argumentsFor(m_tools.lp).size(), lpCalls);
}

TEST_F(TransportFixture, ConfiguredQueueIsUsedVerbatim)
{
    m_tools.ppdDirectory = path(QStringLiteral("missing"));
    m_runner.setResponder([](const quill::ProcessRequest &) { return FakeProcessRunner::finished(QString()); });
    auto transport = makeTransport();
    CUPSPrintConfiguration config{QStringLiteral("Desk_Label_2844"), true, {}};
    runSync(transport->printImage("png", QStringLiteral("anything"), kTwoByOne, 1, config));
    EXPECT_TRUE(m_runner.argumentsFor(m_tools.lpstat).isEmpty());
    EXPECT_EQ(m_runner.argumentsFor(m_tools.lp).at(0).at(1), QStringLiteral("Desk_Label_2844"));

    // An empty queue name means "resolve it".
    CUPSPrintConfiguration empty{QString(), true, {}};
    EXPECT_THROW(runSync(transport->printImage("png", QStringLiteral("anything"), kTwoByOne, 1, empty)),
                 quill::Error);
}

TEST_F(TransportFixture, TemporaryFileHoldsTheBytesAndIsRemovedWhateverLpSays)
{
    for (int exitCode : {0, 1}) {
        QString seenPath;
        QByteArray seenBytes;
        m_runner.setResponder([&](const quill::ProcessRequest &r) {
            seenPath = r.arguments.last();
            QFile f(seenPath);
            if (f.open(QIODevice::ReadOnly))
                seenBytes = f.readAll();
            return FakeProcessRunner::finished(exitCode ? QStringLiteral("lp: Error - no such printer")
                                                        : QString(),
                                               exitCode);
        });
        auto transport = makeTransport();
        CUPSPrintConfiguration config{QStringLiteral("Q"), true, {}};
        auto job = transport->printImage("\x89PNG-bytes", QStringLiteral("P"), kTwoByOne, 1, config);
        if (exitCode == 0)
            EXPECT_NO_THROW(runSync(std::move(job)));
        else
            EXPECT_THROW(runSync(std::move(job)), CUPSPrintTransportError);

        EXPECT_EQ(seenBytes, QByteArray("\x89PNG-bytes"));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("/print-job-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-"
                                                      "[0-9A-F]{12}\\.png$"))
                        .match(seenPath)
                        .hasMatch())
            << seenPath.toStdString();
        EXPECT_FALSE(QFileInfo::exists(seenPath));
        // The last PNG is kept on the desktop even when lp fails.
        QFile copy(path(QStringLiteral("Desktop/quillmark-debug-cups-input.png")));
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.readAll(), QByteArray("\x89PNG-bytes"));
    }
}

TEST_F(TransportFixture, LpFailuresBecomeClearErrors)
{
    struct Case
    {
        quill::ProcessResult result;
        QString expected;
    };
    const QList<Case> cases{
        {FakeProcessRunner::finished(QStringLiteral("\nlp: Destination \"Q\" is not accepting jobs.\n"), 1),
         QStringLiteral("lp: Destination \"Q\" is not accepting jobs.")},
        {FakeProcessRunner::finished(QString(), 1), QStringLiteral("The print job failed before CUPS accepted it.")},
        {FakeProcessRunner::failedToStart(QStringLiteral("No such file or directory")),
         QStringLiteral("The print command /fake/lp could not be started: No such file or directory")},
        {FakeProcessRunner::timedOut(), QStringLiteral("CUPS did not answer within 20 seconds, so the label may not "
                                                       "have been queued. Check the printer queue before printing "
                                                       "it again.")},
    };
    for (const Case &c : cases) {
        m_runner.setResponder([&](const quill::ProcessRequest &) { return c.result; });
        auto transport = makeTransport();
        try {
            runSync(transport->printPDF("%PDF", QStringLiteral("P"), kTwoByOne, 1,
                                               CUPSPrintConfiguration{QStringLiteral("Q"), true, {}}));
            ADD_FAILURE() << "no error for " << c.expected.toStdString();
        } catch (const CUPSPrintTransportError &e) {
            EXPECT_EQ(e.kind(), CUPSPrintTransportError::Kind::submissionFailed);
            EXPECT_EQ(e.message(), c.expected);
        }
    }
}

TEST_F(TransportFixture, NothingIsSubmittedForEmptyBytesOrAnUnprintableCanvas)
{
    m_runner.setResponder([](const quill::ProcessRequest &) { return FakeProcessRunner::finished(QString()); });
    auto transport = makeTransport();
    const CUPSPrintConfiguration config{QStringLiteral("Q"), true, {}};
    EXPECT_THROW(runSync(transport->printImage(QByteArray(), QStringLiteral("P"), kTwoByOne, 1, config)),
                 CUPSPrintTransportError);
    for (double bad : {0.0, -2.0, std::nan(""), 1e300, 48.5}) {
        EXPECT_THROW(runSync(transport->printImage("png", QStringLiteral("P"),
                                                          LabelCanvas::custom(bad, 1, LabelShape::rectangle), 1,
                                                          config)),
                     InvalidCanvasError)
            << bad;
    }
    EXPECT_TRUE(m_runner.requests().isEmpty());
    EXPECT_TRUE(QDir(path(QStringLiteral("tmp"))).isEmpty());
}

TEST_F(TransportFixture, SubmissionsReachLpInCallOrder)
{
    // A real child process per job; the first one is the slowest.
    const QString log = path(QStringLiteral("order.log"));
    const QString script = path(QStringLiteral("lp.sh"));
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\ncase \"$2\" in first) sleep 0.2;; esac\necho \"$2\" >> '%1'\n")
                .arg(log)
                .toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_tools.lp = script;

    CUPSPrintTransport transport(&m_renderer, &quill::QProcessRunner::instance(), m_tools);
    transport.setTemporaryFolder(path(QStringLiteral("tmp")));
    transport.setDebugCopyFolder(QString());
    auto job = [&](const char *queue) {
        return transport.printPDF("%PDF", QStringLiteral("P"), kTwoByOne, 1,
                                  CUPSPrintConfiguration{QString::fromLatin1(queue), true, {}});
    };
    auto a = job("first");
    auto b = job("second");
    auto c = job("third");
    runSync(std::move(a));
    runSync(std::move(b));
    runSync(std::move(c));
    QFile out(log);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray("first\nsecond\nthird\n"));
}

// lpstat outputs below were captured from a real cupsd with LC_ALL=C.
TEST(CUPSQueueMonitorParsing, StateAndMessageOfLpstatOutput)
{
    struct Case
    {
        const char *queue;
        const char *output;
        CUPSQueueState state;
        const char *message;
    };
    const Case cases[] = {
        {"TestLabel", "printer TestLabel is idle.  enabled since Mon Dec  7 07:46:34 2026\n", CUPSQueueState::idle,
         ""},
        {"TestLabel", "printer TestLabel is idle.  enabled since Mon Dec  7 07:46:34 2026", CUPSQueueState::idle,
         "printer TestLabel is idle.  enabled since Mon Dec  7 07:46:34 2026"},
        {"SlowLabel",
         "printer SlowLabel now printing SlowLabel-4.  enabled since Mon Dec  7 07:47:17 2026\n"
         "\tmock job 4 user=root title=slowjob sleeping 4s\n",
         CUPSQueueState::processing, "mock job 4 user=root title=slowjob sleeping 4s"},
        {"TestLabel", "printer TestLabel disabled since Mon Dec  7 07:47:29 2026 -\n\tPaused\n",
         CUPSQueueState::stopped, "Paused"},
        {"FailLabel", "printer FailLabel disabled since Mon Dec  7 07:47:49 2026 -\n\tmock simulated failure exit=4\n",
         CUPSQueueState::stopped, "mock simulated failure exit=4"},
        {"ZebraLabel",
         "printer ZebraLabel is idle.  enabled since Mon Dec  7 07:46:43 2026\n\tnot accepting (test)\n",
         CUPSQueueState::idle, "not accepting (test)"},
        // Names and messages that contain state words must not decide the state.
        {"idle-stopper", "printer idle-stopper disabled since Mon Dec  7 07:47:29 2026 -\n\tPaused\n",
         CUPSQueueState::stopped, "Paused"},
        {"disabled-printing", "printer disabled-printing is idle.  enabled since Mon Dec  7 07:46:34 2026\n",
         CUPSQueueState::idle, ""},
        {"Q", "printer Q is idle.  enabled since Mon Dec  7 07:46:34 2026\n\tprinting stopped earlier\n",
         CUPSQueueState::idle, "printing stopped earlier"},
        {"NoSuch", "lpstat: Invalid destination name in list \"NoSuch\".\n", CUPSQueueState::unknown, ""},
        {"Q", "", CUPSQueueState::unknown, ""},
    };
    for (const Case &c : cases) {
        const QString output = QString::fromUtf8(c.output);
        EXPECT_EQ(CUPSQueueMonitor::parseState(output, QString::fromUtf8(c.queue)), c.state) << c.output;
        EXPECT_EQ(CUPSQueueMonitor::parseStateMessage(output), QString::fromUtf8(c.message)) << c.output;
    }
}

TEST(CUPSQueueMonitorParsing, PendingJobLines)
{
    EXPECT_EQ(CUPSQueueMonitor::countPendingJobs(QString()), 0);
    EXPECT_EQ(CUPSQueueMonitor::countPendingJobs(QStringLiteral("\n \n\t\n")), 0);
    EXPECT_EQ(CUPSQueueMonitor::countPendingJobs(
                  QStringLiteral("TestLabel-5             root              4096   Mon Dec  7 07:47:29 2026\n"
                                 "TestLabel-6             root              4096   Mon Dec  7 07:47:29 2026\n"
                                 "TestLabel-7             root              4096   Mon Dec  7 07:47:29 2026\n")),
              3);
}

TEST_F(TransportFixture, MonitorReadsStateAndJobsOfTheResolvedQueue)
{
    addPpd(QStringLiteral("Desk_Label.ppd"));
    m_runner.expect(m_tools.lpstat, FakeProcessRunner::finished(QString())); // lpstat -e
    m_runner.expect(m_tools.lpstat,
                    FakeProcessRunner::finished(
                        QStringLiteral("printer Desk_Label disabled since Mon 01 Jan 10:00 -\n\tPaused\n")));
    m_runner.expect(m_tools.lpstat, FakeProcessRunner::finished(QStringLiteral("Desk_Label-1 root 1024 x\n")));
    CUPSQueueMonitor monitor(&m_runner, m_tools);
    const CUPSQueueStatus status = runSync(monitor.queueStatus(QStringLiteral("Desk Label")));
    EXPECT_EQ(status.queueName(), QStringLiteral("Desk_Label"));
    EXPECT_TRUE(status.isStopped());
    EXPECT_EQ(status.stateMessage(), QStringLiteral("Paused"));
    EXPECT_EQ(status.pendingJobCount(), 1);
    EXPECT_EQ(m_runner.argumentsFor(m_tools.lpstat),
              (QList<QStringList>{{"-e"}, {"-p", "Desk_Label"}, {"-o", "Desk_Label"}}));
}

TEST_F(TransportFixture, MonitorNeverThrowsWhenToolsAreMissing)
{
    m_runner.setResponder([](const quill::ProcessRequest &) { return FakeProcessRunner::failedToStart(); });
    CUPSQueueMonitor monitor(&m_runner, m_tools);
    const CUPSQueueStatus status = runSync(monitor.queueStatus(QStringLiteral("No PPD Here")));
    EXPECT_EQ(status.queueName(), QStringLiteral("No_PPD_Here"));
    EXPECT_EQ(status.state(), CUPSQueueState::unknown);
    EXPECT_EQ(status.pendingJobCount(), 0);
    EXPECT_TRUE(status.stateMessage().contains(QStringLiteral("could not be started")));

    // An lpstat -o error is not a job list.
    m_runner.setResponder([](const quill::ProcessRequest &r) {
        if (r.arguments.value(0) == QLatin1String("-o"))
            return FakeProcessRunner::finished(QStringLiteral("lpstat: Invalid destination name in list \"Q\".\n"),
                                               1);
        return FakeProcessRunner::finished(QString());
    });
    EXPECT_EQ(runSync(monitor.queueStatus(QStringLiteral("Q"))).pendingJobCount(), 0);
}

TEST_F(TransportFixture, RepairFailuresAreReportedNotIgnored)
{
    CUPSQueueMonitor monitor(&m_runner, m_tools);
    m_runner.setResponder([](const quill::ProcessRequest &r) {
        if (r.program == QLatin1String("/fake/cupsenable"))
            return FakeProcessRunner::finished(QStringLiteral("cupsenable: Forbidden\n"), 1);
        if (r.program == QLatin1String("/fake/cancel"))
            return FakeProcessRunner::finished(QString(), 0);
        return FakeProcessRunner::finished(QString());
    });
    const QueueCommandResult enable = runSync(monitor.enableQueue(QStringLiteral("Q")));
    EXPECT_FALSE(enable.ok);
    EXPECT_EQ(enable.message, QStringLiteral("cupsenable: Forbidden"));
    const QueueCommandResult cancel = runSync(monitor.cancelAllJobs(QStringLiteral("Q")));
    EXPECT_TRUE(cancel.ok);
    EXPECT_EQ(m_runner.argumentsFor(m_tools.cancel), (QList<QStringList>{{"-a", "Q"}}));

    // "Forbidden" with a zero exit status is still a refusal.
    m_runner.setResponder([](const quill::ProcessRequest &r) {
        return r.program == QLatin1String("/fake/cancel") ? FakeProcessRunner::finished(QStringLiteral("Forbidden"))
                                                          : FakeProcessRunner::finished(QString());
    });
    EXPECT_FALSE(runSync(monitor.cancelAllJobs(QStringLiteral("Q"))).ok);

    m_runner.setResponder([](const quill::ProcessRequest &) { return FakeProcessRunner::timedOut(); });
    const QueueCommandResult timedOut = runSync(monitor.enableQueue(QStringLiteral("Q")));
    EXPECT_FALSE(timedOut.ok);
    EXPECT_TRUE(timedOut.message.contains(QStringLiteral("timed out")));
}

TEST_F(TransportFixture, QueueNamesThatToolsWouldReadAsOptionsAreRefusedBeforeAnyToolRuns)
{
    // "cancel -a -x" purges every queue's jobs; "-d" as a queue would swallow lp's next option.
    m_runner.setResponder([](const quill::ProcessRequest &) { return FakeProcessRunner::finished(QString()); });
    auto transport = makeTransport();
    CUPSQueueMonitor monitor(&m_runner, m_tools);
    for (const QString &name : {QStringLiteral("-x"), QStringLiteral("-a"), QStringLiteral("--help"),
                                QStringLiteral("-"), QStringLiteral("-E Label")}) {
        SCOPED_TRACE(name.toStdString());
        const QString message =
            QStringLiteral("'%1' is not a printer queue name CUPS can be given: a queue name cannot begin with \"-\".")
                .arg(name);
        struct Entry
        {
            const char *what;
            std::function<QString()> run; // the error or refusal text
        };
        auto thrown = [](auto task) -> QString {
            try {
                runSync(std::move(task));
            } catch (const CUPSPrintTransportError &error) {
                return error.kind() == CUPSPrintTransportError::Kind::unsafeQueueName ? error.message()
                                                                                        : QStringLiteral("wrong kind");
            }
            return QStringLiteral("accepted");
        };
        const QList<Entry> entries{
            {"printImage", [&] { return thrown(transport->printImage("png", name, kTwoByOne, 1)); }},
            {"printPDF", [&] { return thrown(transport->printPDF("%PDF", name, kTwoByOne, 1)); }},
            {"print configured queue",
             [&] {
                 CUPSPrintConfiguration config{name, true, {}};
                 return thrown(transport->printImage("png", QStringLiteral("Safe"), kTwoByOne, 1, config));
             }},
            {"queueStatus",
             [&] {
                 const CUPSQueueStatus status = runSync(monitor.queueStatus(name));
                 EXPECT_EQ(status.state(), CUPSQueueState::unknown);
                 return status.stateMessage();
             }},
            {"enableQueue",
             [&] {
                 const QueueCommandResult result = runSync(monitor.enableQueue(name));
                 EXPECT_FALSE(result.ok);
                 return result.message;
             }},
            {"cancelAllJobs",
             [&] {
                 const QueueCommandResult result = runSync(monitor.cancelAllJobs(name));
                 EXPECT_FALSE(result.ok);
                 return result.message;
             }},
        };
        for (const Entry &entry : entries) {
            SCOPED_TRACE(entry.what);
            EXPECT_EQ(entry.run(), message);
        }
        EXPECT_TRUE(m_runner.requests().isEmpty()) << m_runner.requests().first().program.toStdString();
    }
}

TEST_F(TransportFixture, APpdWhoseNameBeginsWithADashIsNeverAQueue)
{
    // "x" folds to the same key as "-x.ppd", which must not come out as the queue "-x".
    addPpd(QStringLiteral("-x.ppd"));
    EXPECT_EQ(resolveByPrinting(QStringLiteral("x")),
              QStringLiteral("error: The CUPS queue for 'x' could not be resolved from %1.").arg(m_tools.ppdDirectory));
    EXPECT_TRUE(m_runner.argumentsFor(m_tools.lp).isEmpty());
}

TEST_F(TransportFixture, PrintFilesAreReadableByTheOwnerOnly)
{
    // A debug copy left readable by everyone from an earlier run is narrowed too.
    const QString debugCopy = path(QStringLiteral("Desktop/quillmark-debug-cups-input.png"));
    for (const bool earlierCopy : {false, true}) {
        SCOPED_TRACE(earlierCopy ? "earlier debug copy" : "no debug copy");
        QFile::remove(debugCopy);
        if (earlierCopy) {
            QFile old(debugCopy);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly, QFileDevice::Permissions(0x6644)));
        }
        QFileDevice::Permissions jobPermissions;
        m_runner.setResponder([&](const quill::ProcessRequest &r) {
            jobPermissions = QFileInfo(r.arguments.last()).permissions();
            return FakeProcessRunner::finished(QString());
        });
        auto transport = makeTransport();
        CUPSPrintConfiguration config{QStringLiteral("Q"), true, {}};
        runSync(transport->printImage("\x89PNG-buyer-names", QStringLiteral("P"), kTwoByOne, 1, config));
        runSync(transport->printPDF("%PDF-buyer-names", QStringLiteral("P"), kTwoByOne, 1, config));
        const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ReadUser | QFileDevice::WriteUser;
        EXPECT_EQ(jobPermissions, ownerOnly);
        EXPECT_EQ(QFileInfo(debugCopy).permissions(), ownerOnly);
        EXPECT_EQ(QDir(path(QStringLiteral("tmp"))).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
}
