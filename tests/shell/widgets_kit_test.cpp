#include "ui/widgets/fade_in_effect.h"
#include "ui/widgets/popover.h"
#include "ui/widgets/pulse_effect.h"
#include "ui/widgets/segmented_control.h"
#include "ui/widgets/spinner.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(WidgetsPopover, PlacedBelowTheAnchorAndKeptOnScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(300, 400);
    // A tray icon at the top right: below it, pushed left to stay on screen.
    QRect top = Popover::placement(size, QRect(1890, 0, 24, 24), screen);
    EXPECT_GT(top.top(), 24);
    EXPECT_LE(top.right(), 1919);
    EXPECT_TRUE(screen.contains(top));
    // A tray icon at the bottom left: above it.
    QRect bottom = Popover::placement(size, QRect(4, 1056, 24, 24), screen);
    EXPECT_LT(bottom.bottom(), 1056);
    EXPECT_GE(bottom.left(), 0);
    EXPECT_TRUE(screen.contains(bottom));
    // In the middle: centred under the anchor.
    QRect middle = Popover::placement(size, QRect(900, 300, 20, 20), screen);
    EXPECT_NEAR(middle.center().x(), QRect(900, 300, 20, 20).center().x(), 1);
    // Taller than the screen: starts at its top rather than off it.
    QRect tall = Popover::placement(QSize(300, 2000), QRect(900, 500, 20, 20), screen);
    EXPECT_GE(tall.top(), 0);
}

TEST(WidgetsPopover, ShowsItsContentAndReplacesIt)
{
    Popover popover;
    auto *first = new QLabel(QStringLiteral("first"));
    popover.setContent(first);
    EXPECT_EQ(first->parent(), &popover);
    popover.setContent(new QLabel(QStringLiteral("second")));
    EXPECT_EQ(qobject_cast<QLabel *>(popover.content())->text(), QStringLiteral("second"));
    popover.popUpAt(QRect(100, 100, 20, 20));
    EXPECT_TRUE(popover.isVisible());
    EXPECT_TRUE(popover.windowFlags().testFlag(Qt::Popup));
    popover.close();
}

TEST(WidgetsPopover, FollowsItsContentsHeight)
{
    Popover popover;
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    auto *kept = new QLabel(QStringLiteral("kept"));
    auto *dropped = new QLabel(QStringLiteral("dropped\nwith\nlines"));
    column->addWidget(kept);
    column->addWidget(dropped);
    popover.setContent(content);
    popover.popUpAt(QRect(100, 100, 20, 20));
    const int tall = popover.height();
    const int keptHeight = kept->height();
    // A row that goes shrinks the popover; the row that stays keeps its height.
    dropped->hide();
    QCoreApplication::processEvents();
    EXPECT_LT(popover.height(), tall);
    EXPECT_EQ(kept->height(), keptHeight);
    popover.close();
}

TEST(WidgetsPulse, PulsesOnlyWhileShown)
{
    QWidget host;
    auto *dot = new QWidget(&host);
    PulseEffect *pulse = PulseEffect::apply(dot);
    EXPECT_FALSE(pulse->isPulsing());
    host.show();
    EXPECT_TRUE(pulse->isPulsing());
    dot->hide();
    EXPECT_FALSE(pulse->isPulsing());
    EXPECT_EQ(pulse->opacity(), 1.0);
    dot->show();
    EXPECT_TRUE(pulse->isPulsing());
}

TEST(WidgetsFadeIn, FadesOnlyOnScreenAndLeavesNoEffectBehind)
{
    QWidget host;
    auto *card = new QWidget(&host);
    // Laid out before its window shows: it just appears.
    EXPECT_EQ(FadeInEffect::start(card), nullptr);
    EXPECT_EQ(card->graphicsEffect(), nullptr);

    host.show();
    FadeInEffect *fade = FadeInEffect::start(card, 40);
    ASSERT_NE(fade, nullptr);
    EXPECT_TRUE(FadeInEffect::isFading(card));
    EXPECT_TRUE(card->isVisible()); // shown at once; only the drawing follows
    EXPECT_LT(fade->opacity(), 0.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !FadeInEffect::isFading(card); }, 5000));
    EXPECT_EQ(card->graphicsEffect(), nullptr);

    FadeInEffect::start(card);
    FadeInEffect::finish(card);
    EXPECT_FALSE(FadeInEffect::isFading(card));

    // Another effect on the widget is kept.
    PulseEffect *pulse = PulseEffect::apply(card);
    EXPECT_EQ(FadeInEffect::start(card), nullptr);
    EXPECT_EQ(card->graphicsEffect(), pulse);
}

TEST(WidgetsSpinner, TurnsOnlyWhileShown)
{
    QWidget host;
    auto *spinner = new Spinner(Spinner::kSmall, &host);
    EXPECT_FALSE(spinner->isSpinning());
    host.show();
    EXPECT_TRUE(spinner->isSpinning());
    spinner->hide();
    EXPECT_FALSE(spinner->isSpinning());
}

TEST(WidgetsSegmentedControl, OneSegmentIsSelected)
{
    SegmentedControl control;
    QSignalSpy changed(&control, &SegmentedControl::currentChanged);
    control.addSegment(QStringLiteral("Sold"));
    control.addSegment(QStringLiteral("Buyers"));
    control.addSegment(QString(), QStringLiteral("gear"));
    EXPECT_EQ(control.currentIndex(), 0);
    control.segment(2)->click();
    EXPECT_EQ(control.currentIndex(), 2);
    control.segment(2)->click(); // a selected segment stays selected
    EXPECT_EQ(control.currentIndex(), 2);
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.last().first().toInt(), 2);
}

} // namespace
} // namespace quill
