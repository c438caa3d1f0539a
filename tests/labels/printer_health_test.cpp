// The printer health list: its texts, the cards the adapter's printers give, the
// refresh each time the group is opened, the age that keeps counting while it is
// visible, and "Fix", which re-enables a stopped queue and cancels nothing.
#include "fake_sleeper.h"
#include "labels_screen_fixture.h"
#include "run_sync.h"
#include "ui/labels/printer_health_controller.h"
#include "ui/labels/printer_health_parts.h"
#include "ui/labels/printer_health_section.h"
#include "ui/widgets/disclosure_group.h"
#include "ui/widgets/style.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

using namespace quill;
using namespace quill::testing;
using printkit::CUPSQueueState;

namespace {

TEST(PrinterHealthTextsTest, BadgesPendingJobsAndAges)
{
    struct Badge
    {
        CUPSQueueState state;
        const char *text;
        QColor color;
    };
    const Badge badges[] = {
        {CUPSQueueState::idle, "Idle", systemColor(SystemColor::green)},
        {CUPSQueueState::processing, "Printing", systemColor(SystemColor::blue)},
        {CUPSQueueState::stopped, "Stopped", systemColor(SystemColor::red)},
        {CUPSQueueState::unknown, "Unknown", QColor::fromRgbF(0.56f, 0.56f, 0.58f)},
    };
    for (const Badge &badge : badges) {
        EXPECT_EQ(queueStateText(badge.state), QLatin1String(badge.text));
        EXPECT_EQ(queueStateColor(badge.state), badge.color) << badge.text;
    }

    EXPECT_EQ(pendingJobsText(0), QString());
    EXPECT_EQ(pendingJobsText(-1), QString());
    EXPECT_EQ(pendingJobsText(1), QStringLiteral("1 pending job"));
    EXPECT_EQ(pendingJobsText(2), QStringLiteral("2 pending jobs"));

    const QDateTime at(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
    EXPECT_EQ(updatedAgoText(at, at), QStringLiteral("Updated 0 sec ago"));
    EXPECT_EQ(updatedAgoText(at, at.addSecs(59)), QStringLiteral("Updated 59 sec ago"));
    EXPECT_EQ(updatedAgoText(at, at.addSecs(61)), QStringLiteral("Updated 1 min ago"));
    EXPECT_EQ(updatedAgoText(at, at.addSecs(7200)), QStringLiteral("Updated 2 hr ago"));
    EXPECT_EQ(updatedAgoText(at, at.addDays(1)), QStringLiteral("Updated 1 day ago"));
    EXPECT_EQ(updatedAgoText(at, at.addDays(3)), QStringLiteral("Updated 3 days ago"));
    // A clock set back shows no negative age.
    EXPECT_EQ(updatedAgoText(at, at.addSecs(-30)), QStringLiteral("Updated 0 sec ago"));
}

class PrinterHealthTest : public LabelsFixture
{
protected:
    void SetUp() override
    {
        LabelsFixture::SetUp();
        m_controller = std::make_unique<PrinterHealthController>(*m_adapter, &m_clock);
    }
    void TearDown() override
    {
        m_group.reset();
        m_controller.reset();
        LabelsFixture::TearDown();
    }

    // The "Printer Health" group as the Labels screen holds it, collapsed.
    PrinterHealthSection &buildGroup()
    {
        m_group = std::make_unique<DisclosureGroup>(QStringLiteral("Printer Health"));
        auto *section = new PrinterHealthSection(*m_controller);
        m_group->setContent(section);
        m_group->show();
        return *section;
    }

    bool refreshedAtLeast(int count) { return m_cups.stateChecks(kQueue) >= count; }

    FakeClock m_clock{QDateTime(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC)};
    std::unique_ptr<PrinterHealthController> m_controller;
    std::unique_ptr<DisclosureGroup> m_group;
};

TEST_F(PrinterHealthTest, EachExpandRefreshesAndMovesTheAge)
{
    PrinterHealthSection &section = buildGroup();
    turn();
    EXPECT_EQ(m_cups.stateChecks(kQueue), 0) << "a collapsed group refreshes nothing";
    EXPECT_FALSE(section.isTicking());

    QSignalSpy refreshed(m_controller.get(), &PrinterHealthController::lastRefreshedChanged);
    m_clock.advance(std::chrono::seconds(90));
    m_group->header()->click();
    ASSERT_TRUE(m_group->isExpanded());
    ASSERT_TRUE(eventually([&] { return refreshed.size() == 1; }));
    EXPECT_EQ(m_controller->lastRefreshed(), m_clock.now());
    ASSERT_EQ(section.cards().size(), 2);
    EXPECT_TRUE(section.isTicking());
    EXPECT_EQ(section.cards().first()->updatedText(), QStringLiteral("Updated 0 sec ago"));

    // While it stays open the age counts on; the adapter's own refreshes do not reset it.
    m_clock.advance(std::chrono::seconds(125));
    section.updateAges();
    EXPECT_EQ(section.cards().first()->updatedText(), QStringLiteral("Updated 2 min ago"));
    runSync(m_adapter->refreshPrinters());
    turn();
    EXPECT_EQ(section.cards().first()->updatedText(), QStringLiteral("Updated 2 min ago"));

    m_group->header()->click();
    EXPECT_FALSE(section.isTicking());
    m_group->header()->click();
    ASSERT_TRUE(eventually([&] { return refreshed.size() == 2; }));
}

TEST_F(PrinterHealthTest, CardsShowStateAndOnlyAStoppedQueueOffersFix)
{
    m_cups.stop(kQueue);
    PrinterHealthSection &section = buildGroup();
    m_group->setExpanded(true);
    ASSERT_TRUE(eventually([&] { return section.cards().size() == 2; }));
    PrinterHealthCard *stopped = section.cards().at(0);
    PrinterHealthCard *idle = section.cards().at(1);
    EXPECT_EQ(stopped->displayedName(), QStringLiteral("TestLabel"));
    EXPECT_EQ(stopped->badgeText(), QStringLiteral("Stopped"));
    ASSERT_NE(stopped->fixButton(), nullptr);
    EXPECT_EQ(idle->displayedName(), QStringLiteral("Office Printer"));
    EXPECT_EQ(idle->badgeText(), QStringLiteral("Idle"));
    EXPECT_EQ(idle->fixButton(), nullptr);
    EXPECT_EQ(idle->pendingText(), QString());

    stopped->fixButton()->click();
    ASSERT_TRUE(eventually([&] {
        const auto cards = section.cards();
        return cards.size() == 2 && cards.first()->badgeText() == QLatin1String("Idle");
    }));
    EXPECT_EQ(section.cards().first()->fixButton(), nullptr);
    EXPECT_EQ(m_cups.enableCalls(kQueue), 1);
    EXPECT_EQ(m_cups.cancelCalls(), 0);
}

TEST_F(PrinterHealthTest, AQueueThatStaysStoppedKeepsItsFix)
{
    m_cups.stop(kQueue, true);
    PrinterHealthSection &section = buildGroup();
    m_group->setExpanded(true);
    ASSERT_TRUE(eventually([&] { return section.cards().size() == 2; }));
    section.cards().first()->fixButton()->click();
    ASSERT_TRUE(eventually([&] { return m_cups.enableCalls(kQueue) == 1; }));
    ASSERT_TRUE(eventually([&] { return refreshedAtLeast(2); }));
    turn();
    EXPECT_EQ(section.cards().first()->badgeText(), QStringLiteral("Stopped"));
    EXPECT_NE(section.cards().first()->fixButton(), nullptr);
}

} // namespace
