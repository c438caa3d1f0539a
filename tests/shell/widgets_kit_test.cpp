#include "figure_faces.h"
#include "motion_on.h"
#include "ui/widgets/figure_text.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/popover.h"
#include "ui/widgets/pulse_effect.h"
#include "ui/widgets/segmented_control.h"
#include "ui/widgets/spinner.h"
#include "ui/widgets/style.h"

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

TEST(WidgetsPulse, PulsesOnlyWhileShownAndRestsWhenMotionIsInstant)
{
    testing::MotionOn motion;
    QWidget host;
    auto *dot = new QWidget(&host);
    PulseEffect *pulse = PulseEffect::apply(dot);
    EXPECT_FALSE(pulse->isPulsing());
    host.show();
    EXPECT_TRUE(pulse->isPulsing());
    dot->hide();
    EXPECT_FALSE(pulse->isPulsing());
    EXPECT_EQ(pulse->opacity(), 1.0);

    // The settled picture: the mark at full opacity.
    setInstantMotion(true);
    dot->show();
    EXPECT_FALSE(pulse->isPulsing());
    EXPECT_EQ(pulse->opacity(), 1.0);
}

// The switch every test program sets: each motion lands on its end state at once.
TEST(WidgetsMotion, InstantMotionLandsOnEndStatesAtOnce)
{
    QWidget host;
    host.show();
    auto *card = new QWidget(&host);
    card->hide();
    QList<qreal> steps;
    bool done = false;
    Motion::tween(&host, "t", 5000, QEasingCurve::Linear, [&](qreal t) { steps.append(t); }, [&] { done = true; });
    EXPECT_EQ(steps, QList<qreal>{1.0});
    EXPECT_TRUE(done);

    Motion::enter(card, MotionPose::scaled(0.9), 5000);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(card->graphicsEffect(), nullptr);
    Motion::leave(card, MotionPose::faded(), 5000);
    EXPECT_TRUE(card->isHidden());

    auto *label = new QLabel(&host);
    label->show();
    const auto text = [](int n) { return QStringLiteral("— %1 captured").arg(n); };
    Motion::count(label, 3, text);
    Motion::count(label, 40, text);
    EXPECT_EQ(label->text(), QStringLiteral("— 40 captured"));
    Motion::crossFade(&host, 5000);
    EXPECT_TRUE(host.findChildren<QWidget *>(QStringLiteral("quill.motion.ghost")).isEmpty());
}

TEST(WidgetsMotion, RunsOnlyOnScreenAndEndsWhenHidden)
{
    testing::MotionOn motion;
    QWidget host;
    auto *panel = new QWidget(&host);
    qreal last = -1;
    bool done = false;
    // Not on screen: ends at once.
    Motion::tween(panel, "t", 5000, QEasingCurve::Linear, [&](qreal t) { last = t; }, [&] { done = true; });
    EXPECT_EQ(last, 1.0);
    EXPECT_TRUE(done);

    host.show();
    last = -1;
    done = false;
    Motion::tween(panel, "t", 5000, QEasingCurve::Linear, [&](qreal t) { last = t; }, [&] { done = true; });
    EXPECT_TRUE(Motion::isRunning(panel, "t"));
    EXPECT_LT(last, 1.0);
    EXPECT_FALSE(done);
    // Hidden half-way (the seller left the screen): the end state, not a frozen frame.
    panel->hide();
    EXPECT_FALSE(Motion::isRunning(panel, "t"));
    EXPECT_EQ(last, 1.0);
    EXPECT_TRUE(done);
}

TEST(WidgetsMotion, EnteringAndLeavingChangeTheWidgetAtOnceAndOnlyDelayThePicture)
{
    testing::MotionOn motion;
    QWidget host;
    host.resize(200, 200);
    host.show();
    auto *card = new QWidget(&host);
    card->hide();

    Motion::enter(card, MotionPose::moved(QPointF(0, -40)), 5000);
    EXPECT_TRUE(card->isVisible());
    EXPECT_FALSE(card->testAttribute(Qt::WA_TransparentForMouseEvents)); // usable while it comes in
    EXPECT_NE(card->graphicsEffect(), nullptr);
    EXPECT_TRUE(Motion::isMoving(card));
    Motion::finishAll(&host);
    EXPECT_EQ(card->graphicsEffect(), nullptr); // at rest, drawn as laid out

    Motion::setShown(card, false, MotionPose::faded(), 5000);
    EXPECT_TRUE(Motion::isLeaving(card));
    EXPECT_TRUE(card->testAttribute(Qt::WA_TransparentForMouseEvents)); // takes no clicks while it goes
    // Shown again before it has gone: it turns back and is not hidden by the old fade.
    Motion::setShown(card, true, MotionPose::faded(), 5000);
    EXPECT_FALSE(Motion::isLeaving(card));
    Motion::finishAll(&host);
    EXPECT_TRUE(card->isVisible());
    EXPECT_FALSE(card->testAttribute(Qt::WA_TransparentForMouseEvents));

    Motion::setShown(card, false, MotionPose::faded(), 5000);
    Motion::finishAll(&host);
    EXPECT_TRUE(card->isHidden());
    EXPECT_EQ(card->graphicsEffect(), nullptr);

    // Another effect on the widget is kept; the widget just appears.
    PulseEffect *pulse = PulseEffect::apply(card);
    Motion::fadeIn(card);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(card->graphicsEffect(), pulse);
}

TEST(WidgetsMotion, CountsUpAndCrossFadesThenLeavesNothingBehind)
{
    testing::MotionOn motion;
    QWidget host;
    host.resize(200, 100);
    auto *label = new QLabel(&host);
    host.show();
    const auto text = [](int n) { return QString::number(n); };
    Motion::count(label, 5, text); // the first value shows at once
    EXPECT_EQ(label->text(), QStringLiteral("5"));
    Motion::count(label, 9, text);
    EXPECT_NE(label->text(), QStringLiteral("9"));
    Motion::finishAll(&host);
    EXPECT_EQ(label->text(), QStringLiteral("9"));
    Motion::count(label, 0, text); // a new show starts again at once
    EXPECT_EQ(label->text(), QStringLiteral("0"));

    Motion::crossFade(&host, 5000);
    const auto ghosts = host.findChildren<QWidget *>(QStringLiteral("quill.motion.ghost"));
    ASSERT_EQ(ghosts.size(), 1);
    EXPECT_TRUE(ghosts.first()->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(ghosts.first()->geometry(), host.rect());
    Motion::finishAll(&host);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(host.findChildren<QWidget *>(QStringLiteral("quill.motion.ghost")).isEmpty());
}

using namespace quill::testing;

TEST(WidgetsFigures, DigitsTakeOneWidthInAFaceWhoseOwnDigitsDiffer)
{
    const ProportionalFiguresFont inter;
    ASSERT_TRUE(ProportionalFiguresFont::inUse());
    const QFont amount = textFont(TextStyle::subheadline, QFont::Bold);
    ASSERT_NE(QFontMetrics(amount).horizontalAdvance(QStringLiteral("1111")),
              QFontMetrics(amount).horizontalAdvance(QStringLiteral("8888")));
    const FigureText ones(QStringLiteral("$1111"), amount);
    EXPECT_TRUE(ones.mixesFaces());
    EXPECT_EQ(ones.width(), FigureText(QStringLiteral("$8888"), amount).width());
    // Cut to a narrow room, it still fits it.
    EXPECT_LE(ones.elided(ones.width() / 2).width(), ones.width() / 2);
    EXPECT_TRUE(ones.elided(ones.width() / 2).text.endsWith(QChar(0x2026)));

    // A label of figures: as wide for ones as for eights, its digits drawn in the
    // one-width face and the dollar sign in the label's own.
    FigureLabel label(QStringLiteral("$1111"), amount, primaryTextColor());
    const QSize onesSize = label.sizeHint();
    label.setText(QStringLiteral("$8888"));
    EXPECT_EQ(label.sizeHint(), onesSize);
    label.resize(onesSize);
    const QList<DrawnText> drawn = drawnTexts(label);
    EXPECT_TRUE(figureDigitsOneWidth(drawn, QStringLiteral("$8888")));
    ASSERT_FALSE(drawn.isEmpty());
    EXPECT_EQ(drawn.first().text, QStringLiteral("$"));
    EXPECT_EQ(QFontInfo(drawn.first().font).family(), QStringLiteral("Inter"));
}

TEST(WidgetsFigures, AFaceWithDigitsOfOneWidthDrawsThemItself)
{
    const QFont fixed = monospacedFont(textFont(TextStyle::caption));
    const FigureText figure(QStringLiteral("$12.50"), fixed);
    EXPECT_FALSE(figure.mixesFaces());
    EXPECT_EQ(figure.width(), QFontMetrics(fixed).horizontalAdvance(QStringLiteral("$12.50")));
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
