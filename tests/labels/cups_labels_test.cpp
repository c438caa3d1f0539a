// The Labels and Settings screens' prints and repairs against the private CUPS
// scheduler, with the application's services over the stand-in backend.
#include "cups_testbed.h"
#include "labels_screen_fixture.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"
#include "ui/labels/consolidated_label_section.h"
#include "ui/labels/label_card_widgets.h"
#include "ui/labels/label_section_view.h"
#include "ui/labels/label_test_actions.h"
#include "ui/labels/print_error_row.h"
#include "ui/labels/printer_health_controller.h"
#include "ui/labels/printer_health_section.h"
#include "ui/labels/printer_status_view.h"
#include "ui/labels/settings_view.h"
#include "ui/widgets/disclosure_group.h"
#include "widget_find.h"

#include <QImage>
#include <QMenu>

using namespace quill;
using namespace quill::testing;
namespace tb = quill::testing::cups;

namespace {

class CupsLabelsTest : public LabelsFixture
{
protected:
    void SetUp() override
    {
        LabelsFixture::SetUp();
        tb::resetQueues();
        m_tokens.setItem(QStringLiteral("session_token"),
                         m_backend.addUser(QStringLiteral("c1"), QStringLiteral("seller@example.com")));
        AppSetup app = setup();
        app.printerCatalog = nullptr;
        app.cupsTools.ppdDirectory = tb::ppdDirectory();
        m_app = &makeAppState(std::move(app));
        startAndWait(*m_app);
        m_app->printAdapter().cupsTransport().setDebugCopyFolder(QString());
        m_actions = std::make_unique<LabelTestActions>(*m_app);
    }

    void TearDown() override
    {
        m_screen.reset();
        m_actions.reset();
        tb::resetQueues();
        LabelsFixture::TearDown();
    }

    QString options(const QString &job)
    {
        return QString::fromUtf8(tb::readFile(job + QStringLiteral(".options")));
    }
    bool flagged() const { return m_settings->boolValue(QStringLiteral("c1_has_test_printed")); }
    int appOnboardingPosts()
    {
        eventually([&] { return m_app->authManager().api().requestsInFlight() == 0; });
        return onboardingPosts();
    }

    // Two labels waiting in a stopped queue.
    void holdTwoJobs()
    {
        tb::tool(QStringLiteral("/usr/sbin/cupsdisable"), {kQueue});
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(
                runSync(m_actions->printCalibration(kQueue, LabelMedia::rect1x2(), Orientation::landscape))
                    .ok);
        runSync(m_app->printAdapter().refreshPrinters());
    }

    // The Labels screen over the application's services and shared stores, every
    // label type on the test queue.
    PrinterStatusView &labelsScreen()
    {
        for (int kind = 0; kind < 3; ++kind) {
            LabelSectionState state = LabelSectionState::load(kind, *m_settings);
            state.selectedPrinter = kQueue;
            state.save(kind, *m_settings);
        }
        runSync(m_app->printAdapter().refreshPrinters());
        m_screen = std::make_unique<PrinterStatusView>(*m_app);
        m_screen->resize(900, 1000);
        m_screen->show();
        return *m_screen;
    }

    AppState *m_app = nullptr;
    std::unique_ptr<LabelTestActions> m_actions;
    std::unique_ptr<PrinterStatusView> m_screen;
};

TEST_F(CupsLabelsTest, TestPrintsReachTheQueueWithTheirPageSize)
{
    qsizetype before = tb::jobFiles(kQueue).size();
    ASSERT_TRUE(runSync(m_actions->printWinnerTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(),
                                                   Orientation::landscape))
                    .ok);
    QString job = tb::nextJob(kQueue, before);
    ASSERT_FALSE(job.isEmpty());
    EXPECT_TRUE(options(job).contains(QStringLiteral("PageSize=Custom.144x72")))
        << options(job).toStdString();
    QImage printed;
    ASSERT_TRUE(printed.loadFromData(tb::readFile(job + QStringLiteral(".bin")), "PNG"));
    EXPECT_EQ(printed.size(), QSize(600, 300));
    EXPECT_TRUE(flagged());
    ASSERT_TRUE(eventually([&] { return appOnboardingPosts() == 1; }));

    before = tb::jobFiles(kQueue).size();
    ASSERT_TRUE(runSync(m_actions->printPackingSlipTest(LabelVariant::bold, kQueue, LabelMedia::letter(),
                                                        Orientation::portrait))
                    .ok);
    job = tb::nextJob(kQueue, before);
    EXPECT_TRUE(options(job).contains(QStringLiteral("PageSize=Custom.792x612")))
        << options(job).toStdString();
    EXPECT_EQ(tb::jobFiles(kQueue).size(), before + 1);

    before = tb::jobFiles(kQueue).size();
    ASSERT_TRUE(
        runSync(m_actions->printCalibration(kQueue, LabelMedia::rect1x2(), Orientation::landscape)).ok);
    EXPECT_FALSE(tb::nextJob(kQueue, before).isEmpty());
    EXPECT_EQ(appOnboardingPosts(), 2);
}

TEST_F(CupsLabelsTest, TheScreensButtonsPrintToTheQueue)
{
    PrinterStatusView &screen = labelsScreen();
    ConsolidatedLabelSection &inShow = *screen.inShowSection();
    ASSERT_TRUE(inShow.isVisible());

    qsizetype before = tb::jobFiles(kQueue).size();
    inShow.testWinnerButton()->click();
    QString job = tb::nextJob(kQueue, before);
    ASSERT_FALSE(job.isEmpty());
    EXPECT_TRUE(options(job).contains(QStringLiteral("PageSize=Custom.144x72")))
        << options(job).toStdString();
    QImage printed;
    EXPECT_TRUE(printed.loadFromData(tb::readFile(job + QStringLiteral(".bin")), "PNG"));
    EXPECT_EQ(tb::jobFiles(kQueue).size(), before + 1);
    // The scheduler may write the job before lp has answered the print.
    ASSERT_TRUE(tb::eventually([&] { return !inShow.controller().isPrinting(); }));
    EXPECT_TRUE(flagged());
    ASSERT_TRUE(eventually([&] { return appOnboardingPosts() == 1; }));
    EXPECT_FALSE(screen.errorRow()->isVisible());

    // A calibration label from the medium tile's menu marks nothing.
    m_settings->remove(QStringLiteral("c1_has_test_printed"));
    before = tb::jobFiles(kQueue).size();
    std::unique_ptr<QMenu> menu = inShow.winnerStrip()->tiles().first()->makeMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().first()->text(), QStringLiteral("Print Calibration"));
    ASSERT_TRUE(menu->actions().first()->isEnabled());
    menu->actions().first()->trigger();
    menu.reset();
    job = tb::nextJob(kQueue, before);
    ASSERT_FALSE(job.isEmpty());
    EXPECT_TRUE(options(job).contains(QStringLiteral("PageSize=Custom.144x72")))
        << options(job).toStdString();
    ASSERT_TRUE(tb::eventually([&] { return !inShow.controller().isPrinting(); }));
    EXPECT_FALSE(flagged());
    EXPECT_EQ(appOnboardingPosts(), 1);

    // The packing slip's test print on letter paper.
    ASSERT_EQ(screen.packingSlipSection()->controller().state().selectedMedia.id, LabelMedia::letter().id);
    before = tb::jobFiles(kQueue).size();
    screen.packingSlipSection()->testPrintButton()->click();
    job = tb::nextJob(kQueue, before);
    ASSERT_FALSE(job.isEmpty());
    EXPECT_TRUE(options(job).contains(QStringLiteral("PageSize=Custom.792x612")))
        << options(job).toStdString();
    ASSERT_TRUE(tb::eventually([&] { return appOnboardingPosts() == 2; }));
    EXPECT_EQ(tb::jobFiles(kQueue).size(), before + 1);
}

TEST_F(CupsLabelsTest, ARejectedTestPrintShowsInTheScreensErrorRow)
{
    tb::tool(QStringLiteral("/usr/sbin/cupsreject"), {kQueue});
    PrinterStatusView &screen = labelsScreen();
    screen.inShowSection()->testWinnerButton()->click();
    ASSERT_TRUE(tb::eventually([&] { return screen.errorRow()->isVisible(); }));
    EXPECT_TRUE(screen.errorRow()->text().contains(QStringLiteral("not accepting jobs")))
        << screen.errorRow()->text().toStdString();
    EXPECT_FALSE(flagged());
    EXPECT_EQ(appOnboardingPosts(), 0);
    screen.errorRow()->dismissButton()->click();
    EXPECT_FALSE(screen.errorRow()->isVisible());
}

TEST_F(CupsLabelsTest, AQueueThatRejectsJobsShowsLpsMessage)
{
    tb::tool(QStringLiteral("/usr/sbin/cupsreject"), {kQueue});
    EXPECT_FALSE(runSync(m_actions->printWinnerTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(),
                                                    Orientation::landscape))
                     .ok);
    ASSERT_TRUE(m_actions->printError().has_value());
    EXPECT_TRUE(m_actions->printError()->contains(QStringLiteral("not accepting jobs")))
        << m_actions->printError()->toStdString();
    EXPECT_FALSE(flagged());
    EXPECT_EQ(appOnboardingPosts(), 0);
}

TEST_F(CupsLabelsTest, FixOnTheHealthCardPrintsTheHeldJobs)
{
    const qsizetype before = tb::jobFiles(kQueue).size();
    holdTwoJobs();
    PrinterHealthController controller(m_app->printAdapter());
    DisclosureGroup group(QStringLiteral("Printer Health"));
    auto *section = new PrinterHealthSection(controller);
    group.setContent(section);
    group.show();
    group.setExpanded(true);
    PrinterHealthCard *card = nullptr;
    ASSERT_TRUE(eventually([&] {
        for (PrinterHealthCard *each : section->cards())
            if (each->printerName() == kQueue && each->fixButton())
                card = each;
        return card != nullptr;
    }));
    EXPECT_EQ(card->badgeText(), QStringLiteral("Stopped"));
    EXPECT_EQ(card->pendingText(), QStringLiteral("2 pending jobs"));

    card->fixButton()->click();
    ASSERT_TRUE(tb::eventually([&] { return tb::jobFiles(kQueue).size() == before + 2; }));
    ASSERT_TRUE(eventually([&] {
        runSync(m_app->printAdapter().refreshPrinters());
        for (PrinterHealthCard *each : section->cards())
            if (each->printerName() == kQueue)
                return each->badgeText() == QLatin1String("Idle") && !each->fixButton();
        return false;
    }));
}

TEST_F(CupsLabelsTest, FixInSettingsPrintsTheHeldJobs)
{
    const qsizetype before = tb::jobFiles(kQueue).size();
    holdTwoJobs();
    SettingsView view(*m_app, [] {});
    view.show();
    QPushButton *fix = nullptr;
    ASSERT_TRUE(eventually([&] { return (fix = findButton(&view, QStringLiteral("Fix"))) != nullptr; }));
    fix->click();
    ASSERT_TRUE(tb::eventually([&] { return tb::jobFiles(kQueue).size() == before + 2; }));
    ASSERT_TRUE(eventually([&] {
        runSync(m_app->printAdapter().refreshPrinters());
        return findButton(&view, QStringLiteral("Fix")) == nullptr;
    }));
}

} // namespace
