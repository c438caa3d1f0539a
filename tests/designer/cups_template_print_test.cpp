// Designed templates printed through the print service to the private cupsd: one PDF
// page of the label's exact size with its custom page size, the variables filled in,
// a QR code that scans, pictures that are not blank and a round label clipped round.
#include "cups_print_stack.h"
#include "cups_testbed.h"
#include "pdf_probe.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"
#include "sample_template.h"
#include "temporary_settings.h"
#include "test_pictures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quill;
namespace tb = quill::testing::cups;
using namespace quill::testing;

namespace {

const QString kTestLabel = QStringLiteral("TestLabel");

QString pdfText(const QByteArray &pdf)
{
    QTemporaryDir dir;
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {writeTemporaryPdf(dir, pdf), QStringLiteral("-")});
    text.waitForFinished(20000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

QString scanned(const QImage &page)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.png"));
    page.save(path);
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), QStringLiteral("--raw"), path});
    zbar.waitForFinished(20000);
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
}

class CupsTemplatePrint : public ::testing::Test, protected tb::CupsPrintStack
{
protected:
    void SetUp() override
    {
        startPrintStack(*m_settings);
    }
    void TearDown() override
    {
        stopPrintStack();
    }

    // Prints and hands back the PDF the queue received and its job options.
    QByteArray print(const LabelTemplate &t, QStringList *options)
    {
        const qsizetype before = tb::jobFiles(kTestLabel).size();
        const PrintResult result = runSync(m_service->printTemplate(kTestLabel, t, sampleVariables()));
        EXPECT_TRUE(result.ok) << result.message.toStdString();
        EXPECT_FALSE(m_service->isPrinting());
        EXPECT_FALSE(m_service->lastError().has_value());
        const QString job = tb::nextJob(kTestLabel, before);
        *options = QString::fromUtf8(tb::readFile(job + QStringLiteral(".options")))
                       .trimmed()
                       .split(QLatin1Char(' '));
        return tb::readFile(job + QStringLiteral(".bin"));
    }

    TemporarySettings m_settings;
};

} // namespace

TEST_F(CupsTemplatePrint, SampleTemplateReachesTheQueueAsOneLabelSizedPdf)
{
    QStringList options;
    const QByteArray pdf = print(sampleTemplate(), &options);
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const PdfFacts facts = pdfFacts(pdf);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_EQ(facts.pageSize, QSizeF(162, 90));
    EXPECT_TRUE(options.contains(QStringLiteral("PageSize=Custom.162x90")))
        << options.join(' ').toStdString();

    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("dana_buys paid $18.50"))) << text.toStdString();
    EXPECT_TRUE(
        QString(text).remove(QRegularExpression(QStringLiteral("\\s"))).contains(QStringLiteral("BOX7")))
        << text.toStdString();

    const QImage page = pdfFirstPage(pdf, 300);
    ASSERT_EQ(page.size(), QSize(675, 375));
    EXPECT_EQ(scanned(page), QStringLiteral("https://example.invalid/box/7"));
    // The TIFF prints blue, the PNG red, both filling their frames.
    const auto at = [&](double x, double y) {
        return page.pixelColor(qRound(x * 300 / 72), qRound(y * 300 / 72));
    };
    EXPECT_GT(at(90, 70).blue(), 200);
    EXPECT_LT(at(90, 70).red(), 60);
    EXPECT_GT(at(90, 38).red(), 200);
    EXPECT_LT(at(90, 38).blue(), 60);
}

TEST_F(CupsTemplatePrint, RoundLabelPrintsOnASquareWithWhiteCorners)
{
    LabelTemplate t = sampleTemplate();
    t.labelSize = LabelSize{2, 3};
    t.labelShape = LabelShape::circle;
    // A picture over the whole label shows where the clip leaves it.
    t.elements.append(LabelElement{QUuid::createUuid(),
                                   ImageProperties{encodedImage(Qt::black, "PNG"), ObjectFitValue::fill},
                                   ElementFrame{0, 0, 144, 144}, 0, false, -1});
    QStringList options;
    const QByteArray pdf = print(t, &options);
    const PdfFacts facts = pdfFacts(pdf);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_EQ(facts.pageSize, QSizeF(144, 144));
    EXPECT_TRUE(options.contains(QStringLiteral("PageSize=Custom.144x144")))
        << options.join(' ').toStdString();
    const QImage page = pdfFirstPage(pdf, 72);
    ASSERT_EQ(page.size(), QSize(144, 144));
    for (const QPoint corner : {QPoint(3, 3), QPoint(140, 3), QPoint(3, 140), QPoint(140, 140)})
        EXPECT_EQ(page.pixelColor(corner), QColor(Qt::white)) << corner.x() << "," << corner.y();
    EXPECT_LT(qGray(page.pixel(72, 130)), 60) << "inside the circle the picture prints";
}

TEST_F(CupsTemplatePrint, AFailedPrintIsReportedAndTheNextOneClearsIt)
{
    const PrintResult failed =
        runSync(m_service->printTemplate(QStringLiteral("NoSuchQueue"), sampleTemplate(), {}));
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(m_service->isPrinting());
    ASSERT_TRUE(m_service->lastError().has_value());
    EXPECT_EQ(*m_service->lastError(), failed.message);
    QStringList options;
    print(sampleTemplate(), &options);
}

TEST_F(CupsTemplatePrint, TwoPhonePhotosPrintOnAShippingLabel)
{
    // Two 12-megapixel photos of almost 1 MB each, as a phone saves them.
    LabelTemplate t = blankTemplate(QStringLiteral("Two photos"));
    t.labelSize = LabelSize{4, 6};
    for (int i = 0; i < 2; ++i)
        t.elements.append(LabelElement{
            QUuid::createUuid(), ImageProperties{phonePhotoJpeg(quint32(10 + i)), ObjectFitValue::cover},
            ElementFrame{0, 216.0 * i, 288, 216}, 0, false, i});
    QStringList options;
    const QByteArray pdf = print(t, &options);
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const PdfFacts facts = pdfFacts(pdf);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_EQ(facts.pageSize, QSizeF(288, 432));
    EXPECT_TRUE(options.contains(QStringLiteral("PageSize=Custom.288x432")))
        << options.join(' ').toStdString();
    // Both halves hold the photo's colours, not the blank of a picture left out.
    const QImage page = pdfFirstPage(pdf, 72);
    ASSERT_EQ(page.size(), QSize(288, 432));
    for (const int y : {100, 320}) {
        int coloured = 0;
        for (int x = 10; x < 280; x += 10)
            coloured += page.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
        EXPECT_GT(coloured, 20) << "row " << y;
    }
}
