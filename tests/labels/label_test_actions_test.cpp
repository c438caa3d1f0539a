// The Labels screen's prints through the real print service and adapter: what reaches
// lp for each medium and orientation, the colour mode, and the onboarding mark that
// only a test print of its own success sets.
#include "labels_screen_fixture.h"
#include "printing/label_bitmap_pipeline.h"
#include "run_sync.h"
#include "ui/labels/label_samples.h"
#include "ui/labels/label_test_actions.h"
#include "ui/labels/labels_status.h"
#include "ui/labels/print_error_row.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QPushButton>

#include <QSignalSpy>

using namespace quill;
using namespace quill::testing;

namespace {

class LabelTestActionsTest : public LabelsFixture
{
protected:
    void SetUp() override
    {
        LabelsFixture::SetUp();
        UserScoped::setCurrentUser(QStringLiteral("u1"), nullptr);
        m_actions = std::make_unique<LabelTestActions>(*m_service, *m_api, *m_settings);
    }

    void TearDown() override
    {
        m_actions.reset();
        LabelsFixture::TearDown();
    }

    bool flagged() const { return m_settings->boolValue(QStringLiteral("u1_has_test_printed")); }

    std::unique_ptr<LabelTestActions> m_actions;
};

TEST_F(LabelTestActionsTest, SamplePackingSlipAddsUpToItsTotal)
{
    const QList<GroupedItem> items = LabelSamples::packingSlipItems();
    ASSERT_EQ(items.size(), 13);
    const QList<int> numbers{1, 3, 5, 7, 9, 11, 14, 16, 18, 21, 23, 25, 28};
    for (qsizetype i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items.at(i).auctionNumber, numbers.at(i));
        EXPECT_FALSE(items.at(i).title.isEmpty());
    }
    EXPECT_EQ(LabelSamples::packingSlipTotal().toMoneyString(), QStringLiteral("188.68"));
    const LabelContent sample = LabelSamples::winner();
    const auto *winner = sample.as<LabelContent::Individual>();
    ASSERT_NE(winner, nullptr);
    EXPECT_EQ(winner->price, QStringLiteral("$45.00"));
    EXPECT_EQ(winner->auctionNumber, 17);
    EXPECT_EQ(winner->boxNumber, 3);
    EXPECT_EQ(winner->showTitle, QStringLiteral("Test Show"));
}

// Every test label is the sample page rendered at 300 dpi, then turned: 90° for a
// portrait rectangle, 180° for everything else.
TEST_F(LabelTestActionsTest, TestLabelsAreRenderedAndTurnedForTheirMedium)
{
    struct Case
    {
        const char *name;
        LabelMedia media;
        Orientation orientation;
        bool box;
        QSize pixels;
        int degrees;
    };
    const Case cases[] = {
        {"circle portrait", LabelMedia::circle2(), Orientation::portrait, false, {600, 600}, 180},
        {"1x2 portrait", LabelMedia::rect1x2(), Orientation::portrait, false, {600, 300}, 90},
        {"1x2 landscape", LabelMedia::rect1x2(), Orientation::landscape, false, {600, 300}, 180},
        {"box 1x2 portrait", LabelMedia::rect1x2(), Orientation::portrait, true, {600, 300}, 90},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype before = m_cups.submissions().size();
        const PrintResult result =
            c.box ? runSync(m_actions->printBoxTest(LabelVariant::bold, kQueue, c.media, c.orientation))
                  : runSync(m_actions->printWinnerTest(LabelVariant::bold, kQueue, c.media, c.orientation));
        ASSERT_TRUE(result.ok) << result.message.toStdString();
        ASSERT_EQ(m_cups.submissions().size(), before + 1);
        const QImage printed = decoded(m_cups.submissions().constLast());
        EXPECT_EQ(printed.size(), c.pixels);

        const LabelContent content = c.box ? LabelSamples::box() : LabelSamples::winner();
        const QList<AnyLabelView> pages =
            content.pages(LabelVariant::bold, c.media, c.orientation, m_appearance->appearance());
        ASSERT_EQ(pages.size(), 1);
        const QImage expected = rotatedImage(
            colorModeImage(renderLabelImage(pages.first(), labelSizeInches(c.media, c.orientation)),
                           LabelColorMode::blackAndWhite),
            c.degrees);
        EXPECT_EQ(printed.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32));
    }
}

TEST_F(LabelTestActionsTest, ColourModeIsReadAtPrintTime)
{
    const auto greys = [](const QImage &image) {
        QSet<int> levels;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                levels.insert(qGray(image.pixel(x, y)));
        return levels;
    };
    m_appearance->setColorMode(LabelColorMode::blackAndWhite);
    ASSERT_TRUE(runSync(m_actions->printWinnerTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(),
                                                   Orientation::landscape))
                    .ok);
    const QSet<int> pure = greys(decoded(m_cups.submissions().constLast()));
    EXPECT_TRUE(pure.size() == 2 && pure.contains(0) && pure.contains(255)) << pure.size();

    m_appearance->setColorMode(LabelColorMode::color);
    ASSERT_TRUE(runSync(m_actions->printWinnerTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(),
                                                   Orientation::landscape))
                    .ok);
    EXPECT_GT(greys(decoded(m_cups.submissions().constLast())).size(), 2);
}

TEST_F(LabelTestActionsTest, SuccessMarksOnboardingForTheUserAndTellsTheBackend)
{
    struct Case
    {
        const char *name;
        std::function<QCoro::Task<PrintResult>()> print;
    };
    const Case cases[] = {
        {"winner", [&] { return m_actions->printWinnerTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(), Orientation::landscape); }},
        {"box", [&] { return m_actions->printBoxTest(LabelVariant::classic, kQueue, LabelMedia::rect1x2(), Orientation::landscape); }},
        {"packing slip", [&] { return m_actions->printPackingSlipTest(LabelVariant::minimal, kQueue, LabelMedia::letter(), Orientation::portrait); }},
    };
    int posts = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_settings->remove(QStringLiteral("u1_has_test_printed"));
        EXPECT_TRUE(runSync(c.print()).ok);
        EXPECT_TRUE(flagged());
        EXPECT_FALSE(m_settings->contains(QStringLiteral("has_test_printed")));
        EXPECT_EQ(m_actions->printError(), std::nullopt);
        ++posts;
        ASSERT_TRUE(eventually([&] { return onboardingPosts() == posts; }));
    }
    drain();
    EXPECT_EQ(onboardingPosts(), posts);
    // A packing slip prints on its own page size.
    EXPECT_EQ(m_cups.submissions().constLast().pageSize, QStringLiteral("Custom.792x612"));
}

TEST_F(LabelTestActionsTest, FailureShowsItsOwnMessageAndMarksNothing)
{
    m_cups.refuse(kQueue, QStringLiteral("lp: Destination \"TestLabel\" is not accepting jobs."));
    QSignalSpy errors(m_actions.get(), &LabelTestActions::printErrorChanged);
    const PrintResult result =
        runSync(m_actions->printWinnerTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(), Orientation::landscape));
    EXPECT_FALSE(result.ok);
    ASSERT_TRUE(m_actions->printError().has_value());
    EXPECT_TRUE(m_actions->printError()->contains(QStringLiteral("not accepting jobs"))) << m_actions->printError()->toStdString();
    EXPECT_EQ(errors.size(), 1);
    drain();
    EXPECT_FALSE(flagged());
    EXPECT_EQ(onboardingPosts(), 0);

    m_actions->dismissError();
    EXPECT_EQ(m_actions->printError(), std::nullopt);
}

TEST_F(LabelTestActionsTest, CalibrationPrintsButMarksNothing)
{
    EXPECT_TRUE(runSync(m_actions->printCalibration(kQueue, LabelMedia::rect1x2(), Orientation::landscape)).ok);
    EXPECT_EQ(m_cups.submissions().size(), 1);
    drain();
    EXPECT_FALSE(flagged());
    EXPECT_EQ(onboardingPosts(), 0);

    m_cups.refuse(kQueue, QStringLiteral("lp: stopped"));
    EXPECT_FALSE(runSync(m_actions->printCalibration(kQueue, LabelMedia::rect1x2(), Orientation::landscape)).ok);
    EXPECT_EQ(m_actions->printError(), QStringLiteral("lp: stopped"));
}

TEST_F(LabelTestActionsTest, WithoutAUserThePlainKeyIsSet)
{
    UserScoped::setCurrentUser(std::nullopt, nullptr);
    EXPECT_TRUE(runSync(m_actions->printWinnerTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(), Orientation::landscape)).ok);
    EXPECT_TRUE(m_settings->boolValue(QStringLiteral("has_test_printed")));
    EXPECT_FALSE(flagged());
}

// The service's lastError belongs to whichever print failed last; each action goes by its own result.
TEST_F(LabelTestActionsTest, AnOverlappingFailureIsNotThisPrintsOutcome)
{
    m_runner.holdLp = true;
    auto good = m_actions->printWinnerTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(), Orientation::landscape);
    ASSERT_TRUE(eventually([&] { return m_runner.waiting == 1; }));
    // Meanwhile another screen's print fails before it reaches the printer.
    LabelTestActions other(*m_service, *m_api, *m_settings);
    EXPECT_FALSE(runSync(other.printWinnerTest(LabelVariant::bold, QString(), LabelMedia::rect1x2(),
                                               Orientation::landscape))
                     .ok);
    m_runner.gate.open();
    EXPECT_TRUE(runSync(std::move(good)).ok);
    ASSERT_TRUE(m_service->lastError().has_value());
    EXPECT_EQ(m_actions->printError(), std::nullopt);
    EXPECT_EQ(other.printError(), m_service->lastError());
    EXPECT_TRUE(flagged());
    ASSERT_TRUE(eventually([&] { return onboardingPosts() == 1; }));
}

TEST_F(LabelTestActionsTest, APrintThatOutlivesItsScreenStillMarksOnboarding)
{
    m_runner.holdLp = true;
    auto print = m_actions->printWinnerTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(), Orientation::landscape);
    ASSERT_TRUE(eventually([&] { return m_runner.waiting == 1; }));
    m_actions.reset();
    m_runner.gate.open();
    EXPECT_TRUE(runSync(std::move(print)).ok);
    EXPECT_TRUE(flagged());
    ASSERT_TRUE(eventually([&] { return onboardingPosts() == 1; }));
}

TEST_F(LabelTestActionsTest, PackingSlipPagesFollowTheMediumAndScale)
{
    const QList<AnyLabelView> letter =
        m_actions->packingSlipPages(LabelVariant::bold, LabelMedia::letter(), Orientation::portrait, 0.5);
    ASSERT_FALSE(letter.isEmpty());
    for (const AnyLabelView &page : letter)
        EXPECT_EQ(page.size(), QSizeF(306, 396));

    const QList<AnyLabelView> small =
        m_actions->packingSlipPages(LabelVariant::bold, LabelMedia::rect1x2(), Orientation::landscape, 1.0);
    ASSERT_EQ(small.size(), 4);
    for (qsizetype i = 0; i < small.size(); ++i) {
        const auto *page = small.at(i).as<GroupedLabelView>();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(QSizeF(page->widthPts, page->heightPts), QSizeF(144, 72));
        EXPECT_EQ(page->total.isZero(), i + 1 < small.size());
        EXPECT_EQ(page->page, int(i + 1));
        EXPECT_EQ(page->totalPages, 4);
    }
    EXPECT_EQ(small.constLast().as<GroupedLabelView>()->total.toMoneyString(), QStringLiteral("188.68"));
    // A medium that cannot be printed on has no pages rather than an error on screen.
    EXPECT_TRUE(m_actions->packingSlipPages(LabelVariant::bold, LabelMedia{}, Orientation::portrait, 1.0).isEmpty());
}

} // namespace

namespace {

TEST(LabelsStatusTest, HeaderStatusAndCount)
{
    using printkit::CUPSQueueState;
    const auto printer = [](const char *name, CUPSQueueState state) {
        PrinterInfo info;
        info.name = QString::fromLatin1(name);
        info.queueState = state;
        return info;
    };
    const QList<PrinterInfo> fine{printer("A", CUPSQueueState::idle), printer("B", CUPSQueueState::processing)};
    QList<PrinterInfo> oneStopped = fine;
    oneStopped.append(printer("C", CUPSQueueState::stopped));
    struct Case
    {
        bool connected;
        QList<PrinterInfo> printers;
        const char *text;
        QColor color;
    };
    const Case cases[] = {
        {false, {}, "Disconnected", systemColor(SystemColor::red)},
        {false, oneStopped, "Disconnected", systemColor(SystemColor::red)},
        {true, oneStopped, "Queue Stopped", systemColor(SystemColor::orange)},
        {true, fine, "Connected", brandGreenColor()},
    };
    for (const Case &c : cases) {
        const LabelsStatus status = LabelsStatus::of(c.connected, c.printers);
        EXPECT_EQ(status.text, QLatin1String(c.text));
        EXPECT_EQ(status.color, c.color) << c.text;
    }
    EXPECT_EQ(printerCountText(0), QStringLiteral("0 printers"));
    EXPECT_EQ(printerCountText(1), QStringLiteral("1 printer"));
    EXPECT_EQ(printerCountText(3), QStringLiteral("3 printers"));
}

TEST_F(LabelTestActionsTest, ErrorRowShowsTheFailureUntilDismissed)
{
    QWidget screen;
    auto *row = new PrintErrorRow(*m_actions, &screen);
    screen.show();
    EXPECT_TRUE(row->isHidden());
    m_cups.refuse(kQueue, QStringLiteral("lp: <b>Destination</b> is not accepting jobs."));
    runSync(m_actions->printBoxTest(LabelVariant::bold, kQueue, LabelMedia::rect1x2(), Orientation::landscape));
    EXPECT_FALSE(row->isHidden());
    EXPECT_EQ(row->text(), QStringLiteral("lp: <b>Destination</b> is not accepting jobs."));
    row->dismissButton()->click();
    EXPECT_TRUE(row->isHidden());
    EXPECT_EQ(m_actions->printError(), std::nullopt);
}

} // namespace
