// The marketplace page's box on the live content: the strip, the floating box and its drag.
#include "live_view_fixture.h"
#include "motion_on.h"
#include "ui/widgets/motion.h"

#include <QToolButton>

namespace quill::testing {
namespace {

class LiveViewPageBox : public LiveViewFixture
{
protected:
    void SetUp() override
    {
        LiveViewFixture::SetUp();
        open(QStringLiteral("staff@quillmark.app"));
        goLive();
        controller().setShowVideo(true);
    }

    QRect boxRect() { return rectIn(view().pageBox(), &view()); }
    QRect columnRect()
    {
        return rectIn(view().findChild<QWidget *>(QStringLiteral("sidePanelColumn")), &view());
    }
    static QRect home() { return QRect(880 - 200 - 12, 800 - 356 - 12, 200, 356); }

    // A drag that starts at `from` in the box. The box moves under the pointer, so
    // each position is taken from where the box is at that moment.
    void drag(QPoint from, QPoint by)
    {
        PageBox *box = view().pageBox();
        const QPoint start = box->pos() + from; // in the stage, which stays put
        const auto at = [box](QPoint inStage) { return inStage - box->pos(); };
        QTest::mousePress(box, Qt::LeftButton, {}, at(start));
        // Moves in small steps, as a hand would.
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(box, at(start + by * step / 4));
        QTest::mouseRelease(box, Qt::LeftButton, {}, at(start + by));
    }
};

TEST_F(LiveViewPageBox, VideoOnShowsTheFloatingBoxInItsHomeCorner)
{
    ASSERT_TRUE(view().pageBox()->isVisible());
    EXPECT_EQ(boxRect(), home());
    EXPECT_EQ(columnRect(), QRect(QPoint(0, 0), kDetailSize));
    EXPECT_FALSE(view().pageBox()->isExpanded());

    controller().setShowVideo(false);
    EXPECT_FALSE(view().pageBox()->isVisible());
}

TEST_F(LiveViewPageBox, TheButtonTogglesTheStripAndTheColumnMakesRoom)
{
    const MotionOn motion;
    QToolButton *button = view().pageBox()->pipButton();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(controller().webViewExpanded());
    // The box moves over a short transition, towards the strip.
    ASSERT_TRUE(view().stage()->isAnimating());
    EXPECT_EQ(view().stage()->pageBoxRect(), QRect(0, 0, 352, 800));
    Motion::finishAll(&view());
    EXPECT_FALSE(view().stage()->isAnimating());
    EXPECT_EQ(boxRect(), QRect(0, 0, 352, 800));
    EXPECT_EQ(columnRect(), QRect(352, 0, 528, 800));

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(controller().webViewExpanded());
    Motion::finishAll(&view());
    EXPECT_EQ(boxRect(), home());
    EXPECT_EQ(columnRect(), QRect(QPoint(0, 0), kDetailSize));
}

TEST_F(LiveViewPageBox, DraggingMovesTheBoxAndExpandingSendsItHome)
{
    // Shorter than the drag threshold: no move.
    drag(QPoint(50, 100), QPoint(-6, -4));
    EXPECT_EQ(boxRect(), home());

    drag(QPoint(50, 100), QPoint(-300, -200));
    EXPECT_EQ(boxRect(), home().translated(-300, -200));

    QTest::mouseClick(view().pageBox()->pipButton(), Qt::LeftButton);
    QTest::mouseClick(view().pageBox()->pipButton(), Qt::LeftButton);
    EXPECT_EQ(boxRect(), home());

    // The strip does not move.
    QTest::mouseClick(view().pageBox()->pipButton(), Qt::LeftButton);
    drag(QPoint(100, 300), QPoint(80, 80));
    EXPECT_EQ(boxRect(), QRect(0, 0, 352, 800));
}

} // namespace
} // namespace quill::testing
