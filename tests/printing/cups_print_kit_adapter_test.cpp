// The printer adapter against the private CUPS scheduler: labels reach the queue
// with their page size, options and calibration; queues are listed, repaired and
// emptied as the seller asks.
#include "cups_print_stack.h"
#include "cups_testbed.h"
#include "pdf_probe.h"
#include "run_sync.h"
#include "common/settings.h"
#include "printing/print_kit_adapter.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"
#include "temporary_settings.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>

using namespace quill;
using printkit::CUPSQueueState;
namespace tb = quill::testing::cups;
using quill::testing::runSync;
using quill::testing::TemporarySettings;

namespace {

using quill::testing::cups::kTestLabel;

QByteArray labelPng(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

class CupsPrintKitAdapter : public ::testing::Test, protected tb::CupsPrintStack
{
protected:
    void SetUp() override
    {
        startPrintStack(*m_settings);
    }
    void TearDown() override { stopPrintStack(); }

    QString options(const QString &job) { return QString::fromUtf8(tb::readFile(job + QStringLiteral(".options"))); }

    const PrinterInfo *row(const QString &name) const
    {
        for (const PrinterInfo &info : m_adapter->printers()) {
            if (info.name == name)
                return &info;
        }
        return nullptr;
    }

    TemporarySettings m_settings;
};

} // namespace

TEST_F(CupsPrintKitAdapter, PngLabelArrivesWithItsPageSizeOptionsAndCalibration)
{
    m_calibration->setVerticalOffset(-3);
    m_calibration->setFeedOffset(-45);
    const qsizetype before = tb::jobFiles(kTestLabel).size();
    const QByteArray png = labelPng(600, 300);
    const PrintResult result =
        runSync(m_adapter->printImage(kTestLabel, png, LabelMedia::rect1x2(), Orientation::portrait, 1));
    ASSERT_TRUE(result.ok) << result.message;

    const QString job = tb::nextJob(kTestLabel, before);
    EXPECT_EQ(tb::readFile(job + QStringLiteral(".bin")), png);
    // CUPS hands booleans on as "name" for true and "noname" for false.
    const QStringList sent = options(job).split(QLatin1Char(' '));
    for (const char *expected : {"copies=1", "PageSize=Custom.144x72", "PageRegion=Custom.144x72", "page-left=0",
                                 "page-right=0", "page-top=0", "page-bottom=0", "fit-to-page", "PaperType=1",
                                 "PostAction=None", "ShiftMove=-3", "FowardOffset=-30"})
        EXPECT_TRUE(sent.contains(QLatin1String(expected))) << expected << " missing in " << sent.join(' ');
}

TEST_F(CupsPrintKitAdapter, AFourBySixHtmlLabelReachesTheQueueAsOnePageOf288By432Points)
{
    const qsizetype before = tb::jobFiles(kTestLabel).size();
    const QString html = QStringLiteral("<!DOCTYPE html><html><body style='margin:0'>"
                                        "<div style='font:40px sans-serif'>@buyer</div></body></html>");
    const PrintResult result = runSync(m_adapter->printHTML(kTestLabel, html, 4, 6));
    ASSERT_TRUE(result.ok) << result.message;

    const QString job = tb::nextJob(kTestLabel, before);
    const QByteArray pdf = tb::readFile(job + QStringLiteral(".bin"));
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const auto facts = quill::testing::pdfFacts(pdf);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_EQ(facts.pageSize, QSizeF(288, 432));
    const QStringList sent = options(job).split(QLatin1Char(' '));
    EXPECT_TRUE(sent.contains(QStringLiteral("PageSize=Custom.288x432"))) << sent.join(' ');
    EXPECT_TRUE(sent.contains(QStringLiteral("nofit-to-page")));
}

TEST_F(CupsPrintKitAdapter, AFailedSubmissionIsTheCallersResult)
{
    tb::tool(QStringLiteral("/usr/sbin/cupsreject"), {QStringLiteral("SlowLabel")});
    const PrintResult refused = runSync(
        m_adapter->printImage(QStringLiteral("SlowLabel"), labelPng(10, 10), LabelMedia::rect1x2(), Orientation::landscape, 1));
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.message.endsWith(QStringLiteral("lp: Destination \"SlowLabel\" is not accepting jobs.")))
        << refused.message;

    const PrintResult unknown = runSync(m_adapter->printHTML(QStringLiteral("No Such Printer"),
                                                             QStringLiteral("<p>x</p>"), 2, 1));
    EXPECT_FALSE(unknown.ok);
    EXPECT_TRUE(unknown.message.contains(QStringLiteral("could not be resolved"))) << unknown.message;
}

TEST_F(CupsPrintKitAdapter, RefreshListsTheSchedulersQueuesDefaultFirst)
{
    tb::tool(QStringLiteral("/usr/sbin/cupsdisable"), {QStringLiteral("ZebraLabel")});
    runSync(m_adapter->refreshPrinters());
    ASSERT_GE(m_adapter->printers().size(), 4);
    EXPECT_TRUE(m_adapter->isConnected());
    EXPECT_EQ(m_adapter->printers().first().name, kTestLabel);
    EXPECT_TRUE(m_adapter->printers().first().isDefault);
    EXPECT_EQ(m_adapter->printers().first().queueState, CUPSQueueState::idle);
    ASSERT_NE(row(QStringLiteral("ZebraLabel")), nullptr);
    EXPECT_EQ(row(QStringLiteral("ZebraLabel"))->queueState, CUPSQueueState::stopped);
    EXPECT_FALSE(row(QStringLiteral("ZebraLabel"))->isOnline);
}

TEST_F(CupsPrintKitAdapter, RecoveryRestartsAStoppedQueueAndItsHeldLabelsPrint)
{
    tb::tool(QStringLiteral("/usr/sbin/cupsdisable"), {kTestLabel});
    const qsizetype before = tb::jobFiles(kTestLabel).size();
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(runSync(m_adapter->printImage(kTestLabel, labelPng(20, 10), LabelMedia::rect1x2(),
                                                  Orientation::landscape, 1))
                        .ok);
    runSync(m_adapter->refreshPrinters());
    ASSERT_EQ(row(kTestLabel)->queueState, CUPSQueueState::stopped);
    EXPECT_EQ(row(kTestLabel)->pendingJobCount, 2);

    EXPECT_TRUE(runSync(m_adapter->recoverQueue(kTestLabel)).ok);
    EXPECT_NE(row(kTestLabel)->queueState, CUPSQueueState::stopped);
    // Both labels the seller was waiting for come out.
    EXPECT_TRUE(tb::eventually([&] { return tb::jobFiles(kTestLabel).size() == before + 2; }));
}

TEST_F(CupsPrintKitAdapter, ClearingEmptiesTheQueueAndLeavesItStopped)
{
    tb::tool(QStringLiteral("/usr/sbin/cupsdisable"), {kTestLabel});
    const qsizetype before = tb::jobFiles(kTestLabel).size();
    ASSERT_TRUE(
        runSync(m_adapter->printImage(kTestLabel, labelPng(20, 10), LabelMedia::rect1x2(), Orientation::landscape, 1)).ok);

    EXPECT_TRUE(runSync(m_adapter->clearQueue(kTestLabel)).ok);
    ASSERT_NE(row(kTestLabel), nullptr);
    EXPECT_EQ(row(kTestLabel)->queueState, CUPSQueueState::stopped);
    EXPECT_EQ(row(kTestLabel)->pendingJobCount, 0);
    EXPECT_EQ(runSync(m_adapter->queueStatus(kTestLabel)), CUPSQueueState::stopped);

    tb::tool(QStringLiteral("/usr/sbin/cupsenable"), {kTestLabel});
    EXPECT_TRUE(tb::eventually([&] {
        return runSync(m_adapter->queueStatus(kTestLabel)) == CUPSQueueState::idle;
    }));
    EXPECT_EQ(tb::jobFiles(kTestLabel).size(), before);
}
