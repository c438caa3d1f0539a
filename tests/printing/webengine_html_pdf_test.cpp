// HTML labels turned into PDFs by the real web engine, off screen.
#include "pdf_probe.h"
#include "run_sync.h"
#include "printing/pdf_navigation_delegate.h"
#include "printing/print_kit_adapter.h"

#include <QCoroSignal>
#include <QTcpServer>

#include <gtest/gtest.h>

using namespace quill;
using quill::testing::pdfFacts;
using quill::testing::pdfFirstPage;
using quill::testing::runSync;

namespace {

QString page(const QString &body, const QString &style = QString())
{
    return QStringLiteral("<!DOCTYPE html><html><head><style>html,body{margin:0;padding:0;background:#fff}%1"
                          "</style></head><body>%2</body></html>")
        .arg(style, body);
}

class WebEngineHtmlPdf : public ::testing::Test
{
protected:
    PrintKitAdapter m_adapter;
};

} // namespace

TEST_F(WebEngineHtmlPdf, AFourBySixLabelIsOnePageOf288By432Points)
{
    // Content far taller than the label still gives one page: the label is what is printed.
    const QString html = page(QStringLiteral("<div style='height:3000px'>@buyer #12 $40</div>"));
    const QByteArray pdf = runSync(m_adapter.generatePDF(html, QSizeF(288, 432)));
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const auto facts = pdfFacts(pdf);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_EQ(facts.pageSize, QSizeF(288, 432));
    EXPECT_EQ(m_adapter.activePdfConversions(), 0);
}

TEST_F(WebEngineHtmlPdf, AWideLabelIsAWidePage)
{
    const QByteArray wide = runSync(m_adapter.generatePDF(page(QStringLiteral("wide")), QSizeF(432, 288)));
    EXPECT_EQ(pdfFacts(wide).pageSize, QSizeF(432, 288));
    const QByteArray small = runSync(m_adapter.generatePDF(page(QStringLiteral("small")), QSizeF(162, 90)));
    EXPECT_EQ(pdfFacts(small).pageSize, QSizeF(162, 90));
}

TEST_F(WebEngineHtmlPdf, ScriptsInTheLabelDoNotRun)
{
    // The left half is black by markup; a script would blacken the right half too.
    const QString html = page(QStringLiteral("<div id='left'></div>"
                                             "<script>document.body.style.background='#000';</script>"),
                              QStringLiteral("#left{position:absolute;left:0;top:0;width:50%;height:100%;"
                                             "background:#000}html,body{height:100%;"
                                             "-webkit-print-color-adjust:exact}"));
    const QByteArray pdf = runSync(m_adapter.generatePDF(html, QSizeF(288, 144)));
    const QImage image = pdfFirstPage(pdf);
    ASSERT_FALSE(image.isNull());
    EXPECT_LT(qGray(image.pixel(image.width() / 4, image.height() / 2)), 64) << "the page was not drawn";
    EXPECT_GT(qGray(image.pixel(image.width() * 3 / 4, image.height() / 2)), 192) << "the label's script ran";
}

TEST_F(WebEngineHtmlPdf, NothingIsFetchedFromOutsideTheDocument)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
    const QString html = page(QStringLiteral("<img src='%1/logo.png'><iframe src='%1/frame'></iframe>"
                                             "<img src='data:image/gif;base64,R0lGODlhAQABAAAAACw='>")
                                  .arg(base),
                              QStringLiteral("@import url('%1/style.css');").arg(base));
    const QByteArray pdf = runSync(m_adapter.generatePDF(html, QSizeF(144, 72)));
    EXPECT_EQ(pdfFacts(pdf).pages, 1);
    // A fetch would have connected before the page finished loading.
    EXPECT_FALSE(server.waitForNewConnection(0));
    EXPECT_FALSE(server.hasPendingConnections());
}

TEST_F(WebEngineHtmlPdf, SeveralConversionsRunAtOnce)
{
    QCoro::Task<QByteArray> a = m_adapter.generatePDF(page(QStringLiteral("a")), QSizeF(144, 72));
    QCoro::Task<QByteArray> b = m_adapter.generatePDF(page(QStringLiteral("b")), QSizeF(288, 432));
    QCoro::Task<QByteArray> c = m_adapter.generatePDF(page(QStringLiteral("c")), QSizeF(144, 144));
    EXPECT_EQ(m_adapter.activePdfConversions(), 3);
    const QByteArray pdfC = runSync(std::move(c));
    const QByteArray pdfA = runSync(std::move(a));
    const QByteArray pdfB = runSync(std::move(b));
    EXPECT_EQ(pdfFacts(pdfA).pageSize, QSizeF(144, 72));
    EXPECT_EQ(pdfFacts(pdfB).pageSize, QSizeF(288, 432));
    EXPECT_EQ(pdfFacts(pdfC).pageSize, QSizeF(144, 144));
    EXPECT_EQ(m_adapter.activePdfConversions(), 0);
}

TEST_F(WebEngineHtmlPdf, AConversionEndsExactlyOnceWhateverThePageDoesLater)
{
    PDFNavigationDelegate stopped(QSizeF(144, 72));
    int completions = 0;
    QObject::connect(&stopped, &PDFNavigationDelegate::completed, [&] { ++completions; });
    stopped.start(page(QStringLiteral("late")));
    stopped.fail(QStringLiteral("stopped by the test"));
    EXPECT_EQ(completions, 1);

    // While a second page loads and prints, the first one finishes its load too.
    const QByteArray other = runSync(m_adapter.generatePDF(page(QStringLiteral("other")), QSizeF(144, 72)));
    EXPECT_TRUE(other.startsWith("%PDF"));
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(stopped.error(), QStringLiteral("stopped by the test"));
    EXPECT_TRUE(stopped.pdf().isEmpty());
}

TEST_F(WebEngineHtmlPdf, AConversionPastItsTimeOutFails)
{
    PrintKitAdapterSetup setup;
    setup.pdfTimeout = std::chrono::milliseconds(1);
    PrintKitAdapter hurried(std::move(setup));
    try {
        runSync(hurried.generatePDF(page(QStringLiteral("slow enough")), QSizeF(144, 72)));
        FAIL() << "a page loaded within a millisecond";
    } catch (const PdfGenerationError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("The label page did not finish within 0.001 seconds."));
    }
    EXPECT_EQ(hurried.activePdfConversions(), 0);
}
