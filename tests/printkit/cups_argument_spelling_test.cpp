// Requests that compare equal as Unicode still reach lp in the spelling each caller gave:
// queue names and option values go to CUPS byte for byte.
#include "printkit/domain/label_preset.h"
#include "printkit/rendering/label_renderer.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(CUPSPrintTransportSpelling, EquivalentRequestsAreOneRecordYetLpGetsEachSpellingByteForByte)
{
    using namespace printkit;
    // The same queue and option value, precomposed and with combining accents.
    const QString composedQueue = QStringLiteral("\u00C9tiquette");
    const QString decomposedQueue = QStringLiteral("E\u0301tiquette");
    const QString composedValue = QStringLiteral("Cr\u00E8me");
    const QString decomposedValue = QStringLiteral("Cre\u0300me");
    const auto request = [](const QString &queue, const QString &value) {
        return PrintJobRequest(PrinterID(queue), LabelPreset::rect1x2().canvas, LabelCalibration::standard(),
                               LabelContent::sample(), 1, PrintTransportStrategy::cups,
                               CUPSPrintConfiguration{queue, false, {{QStringLiteral("MediaType"), value}}});
    };
    const PrintJobRequest composed = request(composedQueue, composedValue);
    const PrintJobRequest decomposed = request(decomposedQueue, decomposedValue);
    EXPECT_EQ(composed, decomposed);
    EXPECT_EQ(qHash(composed), qHash(decomposed));
    EXPECT_EQ((QSet<PrintJobRequest>{composed, decomposed}.size()), 1);

    // A real lp stand-in records the queue and option arguments exactly as exec gave them.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("argv.log"));
    QFile script(dir.filePath(QStringLiteral("lp.sh")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s %s\\n' \"$2\" \"$6\" >> '%1'\n").arg(log).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CUPSTools tools;
    tools.lp = script.fileName();
    const LabelRenderer renderer;
    CUPSPrintTransport transport(&renderer, &quill::QProcessRunner::instance(), tools);
    transport.setTemporaryFolder(dir.path());
    transport.setDebugCopyFolder(QString());
    quill::testing::runSync(transport.print(composed));
    quill::testing::runSync(transport.print(decomposed));

    const QByteArray composedLine = composedQueue.toUtf8() + " MediaType=" + composedValue.toUtf8() + '\n';
    const QByteArray decomposedLine =
        decomposedQueue.toUtf8() + " MediaType=" + decomposedValue.toUtf8() + '\n';
    ASSERT_NE(composedLine, decomposedLine);
    QFile out(log);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), composedLine + decomposedLine);
}
