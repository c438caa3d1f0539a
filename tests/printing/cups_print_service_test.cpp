// Labels printed through the print service against the private CUPS scheduler: a
// winner label reaches the queue as a PNG turned for its medium, with the label's
// page size and the printer's calibration; a black-and-white label passes through
// a real label driver; a designed round label prints on a square page.
#include "common/settings.h"
#include "cups_print_stack.h"
#include "cups_testbed.h"
#include "pdf_probe.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"
#include "temporary_settings.h"

#include <QFile>
#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>

using namespace quill;
namespace tb = quill::testing::cups;
using quill::testing::runSync;
using quill::testing::TemporarySettings;

namespace {

const QString kTestLabel = QStringLiteral("TestLabel");

LabelContent winner()
{
    return LabelContent::individual(QStringLiteral("sparkle_collector"), QStringLiteral("$12.5"), 42, 7,
                                    QStringLiteral("Holographic card"), QStringLiteral("Live Show"));
}

class CupsPrintService : public ::testing::Test, protected tb::CupsPrintStack
{
protected:
    void SetUp() override
    {
        startPrintStack(*m_settings, LabelColorMode::blackAndWhite);
    }
    void TearDown() override
    {
        stopPrintStack();
    }

    QStringList options(const QString &job)
    {
        return QString::fromUtf8(tb::readFile(job + QStringLiteral(".options")))
            .trimmed()
            .split(QLatin1Char(' '));
    }

    TemporarySettings m_settings;
};

} // namespace

TEST_F(CupsPrintService, WinnerLabelReachesTheQueueAsAPngWithItsPageSizeAndCalibration)
{
    m_calibration->setVerticalOffset(5);
    m_calibration->setFeedOffset(-45); // sent at the driver's limit
    struct Case
    {
        LabelMedia media;
        Orientation orientation;
        QSize bitmap;
        const char *pageSize;
    };
    const Case cases[] = {
        {LabelMedia::rect225x125(), Orientation::landscape, {675, 375}, "PageSize=Custom.162x90"},
        {LabelMedia::rect1x2(), Orientation::portrait, {600, 300}, "PageSize=Custom.144x72"},
    };
    for (const Case &c : cases) {
        const qsizetype before = tb::jobFiles(kTestLabel).size();
        const PrintResult result = runSync(
            m_service->printContent(kTestLabel, winner(), LabelVariant::bold, c.media, c.orientation));
        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_FALSE(m_service->lastError().has_value());

        const QString job = tb::nextJob(kTestLabel, before);
        const QByteArray png = tb::readFile(job + QStringLiteral(".bin"));
        ASSERT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
        QImage bitmap;
        ASSERT_TRUE(bitmap.loadFromData(png, "PNG"));
        EXPECT_EQ(bitmap.size(), c.bitmap) << c.media.id.toStdString();
        const QStringList sent = options(job);
        for (const char *expected :
             {c.pageSize, "copies=1", "fit-to-page", "ShiftMove=5", "FowardOffset=-30"})
            EXPECT_TRUE(sent.contains(QLatin1String(expected)))
                << expected << " missing in " << sent.join(' ');
    }
}

TEST_F(CupsPrintService, BlackAndWhiteLabelPassesThroughTheLabelDriversFilterChain)
{
    const QString zpl = tb::testbedDir() + QStringLiteral("/out/zebra.zpl");
    QFile::remove(zpl);
    const PrintResult result =
        runSync(m_service->printContent(QStringLiteral("ZebraLabel"), winner(), LabelVariant::bold,
                                        LabelMedia::rect1x2(), Orientation::landscape));
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_TRUE(tb::eventually([&] { return tb::readFile(zpl).contains("^XZ"); }));
    EXPECT_TRUE(tb::readFile(zpl).contains("^XA"));
}

TEST_F(CupsPrintService, RoundDesignedLabelPrintsAsAPdfOnASquareOfItsSmallerSide)
{
    const qsizetype before = tb::jobFiles(kTestLabel).size();
    const QString html = QStringLiteral("<!DOCTYPE html><html><body style='margin:0'>"
                                        "<div style='font:30px sans-serif'>@buyer</div></body></html>");
    const PrintResult result = runSync(m_service->printTemplateHTML(kTestLabel, html, 3, 2, true));
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_FALSE(m_service->isPrinting());

    const QString job = tb::nextJob(kTestLabel, before);
    const QByteArray pdf = tb::readFile(job + QStringLiteral(".bin"));
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const auto facts = quill::testing::pdfFacts(pdf);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_EQ(facts.pageSize, QSizeF(144, 144));
    EXPECT_TRUE(options(job).contains(QStringLiteral("PageSize=Custom.144x144"))) << options(job).join(' ');
}
