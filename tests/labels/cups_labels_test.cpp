// The Labels and Settings screens' prints and repairs against the private CUPS
// scheduler, with the application's services over the stand-in backend.
#include "cups_testbed.h"
#include "labels_screen_fixture.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"
#include "ui/labels/label_test_actions.h"
#include "ui/labels/printer_health_controller.h"
#include "ui/labels/printer_health_section.h"
#include "ui/labels/settings_view.h"
#include "ui/widgets/disclosure_group.h"
#include "widget_find.h"

#include <QImage>

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
        m_actions.reset();
        tb::resetQueues();
        LabelsFixture::TearDown();
    }

    QString options(const QString &job) { return QString::fromUtf8(tb::readFile(job + QStringLiteral(".options"))); }
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
            ASSERT_TRUE(runSync(m_actions->printCalibration(kQueue, LabelMedia::rect1x2(), Orientation::landscape)).ok);
        runSync(m_app->printAdapter().refreshPrinters());
    }

    AppState *m_app = nullptr;
    std::unique_ptr<LabelTestActions> m_actions;
};

TEST_F(CupsLabelsTest, TestPrintsReachTheQueueWithTheirPageSize)
{
    qsizetype before = tb::jobFiles(kQueue).size();
    ASSERT_TRUE(runSync(m_actions->printWinnerTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(),
                                                   Orientation::landscape))
                    .ok);
    QString job = tb::nextJob(kQueue, before);
    ASSERT_FALSE(job.isEmpty());
    EXPECT_TRUE(options(job).contains(QStringLiteral("PageSize=Custom.144x72"))) << options(job).toStdString();
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
    EXPECT_TRUE(options(job).contains(QStringLiteral("PageSize=Custom.792x612"))) << options(job).toStdString();
    EXPECT_EQ(tb::jobFiles(kQueue).size(), before + 1);

    before = tb::jobFiles(kQueue).size();
    ASSERT_TRUE(runSync(m_actions->printCalibration(kQueue, LabelMedia::rect1x2(), Orientation::landscape)).ok);
    EXPECT_FALSE(tb::nextJob(kQueue, before).isEmpty());
    EXPECT_EQ(appOnboardingPosts(), 2);
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
