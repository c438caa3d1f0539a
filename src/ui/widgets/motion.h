#pragma once

#include <QEasingCurve>
#include <QList>
#include <QPixmap>
#include <QPointF>
#include <functional>

class QLabel;
class QWidget;

namespace quill {

// How a widget's picture stands while it comes or goes: its opacity, how far it is
// drawn from its place and how large about its centre. The rest pose is the widget as
// laid out.
struct MotionPose
{
    qreal opacity = 1.0;
    QPointF offset;
    qreal scale = 1.0;

    static MotionPose faded() { return {0.0, {}, 1.0}; }
    static MotionPose moved(QPointF offset) { return {0.0, offset, 1.0}; }
    static MotionPose scaled(qreal scale) { return {0.0, {}, scale}; }
    bool isRest() const { return qFuzzyCompare(opacity, 1.0) && offset.isNull() && qFuzzyCompare(scale, 1.0); }
};

// The screens' motion in one place: fades, slides, scales, turns, counts and
// cross-fades. Every one of them is only the picture: what the seller's click changes
// is changed before the animation starts, and a widget is usable while it moves in. An
// animation runs only while its widget is on screen; one started on a hidden widget, or
// on a widget hidden meanwhile, ends at once where it would have ended. So does every
// animation while instantMotion() is set (the test programs set it).
class Motion final
{
public:
    Motion() = delete;

    static constexpr int kCountMs = 350;
    // The tween name rotate() uses, to stop a turn.
    static constexpr const char *kRotate = "quill.motion.rotate";
    static constexpr int kFadeMs = 200;

    // The springs the screens use: one that overshoots a little and one that settles
    // without overshooting.
    static QEasingCurve bouncySpring();
    static QEasingCurve smoothSpring();

    // Whether an animation started on `widget` now would run rather than end at once.
    static bool canAnimate(const QWidget *widget);

    // Calls `step` with the eased progress from 0 to 1 over `durationMs`, then `done`.
    // Owned by `host`; a tween of the same name on the same host is replaced (the old
    // one's `done` is not called). Without animation, step(1) and done() run now.
    static void tween(QWidget *host, const char *name, int durationMs, const QEasingCurve &curve,
                      std::function<void(qreal)> step, std::function<void()> done = {});
    static bool isRunning(const QWidget *host, const char *name);
    // Ends a running tween at once, with its last step and its `done`.
    static void finish(QWidget *host, const char *name);
    // Ends at once every tween of `root` and of the widgets inside it.
    static void finishAll(QWidget *root);
    // Stops a running tween where it is, without its `done`.
    static void stop(QWidget *host, const char *name);

    // Shows `widget` and moves its picture from `from` to rest. A widget carrying
    // another graphics effect just appears.
    static void enter(QWidget *widget, const MotionPose &from, int durationMs,
                      const QEasingCurve &curve = QEasingCurve::InOutQuad);
    // Moves the picture of `widget` to `to` and then hides it; it takes no clicks
    // meanwhile. A widget already hidden stays so.
    static void leave(QWidget *widget, const MotionPose &to, int durationMs,
                      const QEasingCurve &curve = QEasingCurve::InOutQuad);
    // enter() or leave() as `shown` says, unless the widget already stands or goes that way.
    static void setShown(QWidget *widget, bool shown, const MotionPose &away, int durationMs,
                         const QEasingCurve &curve = QEasingCurve::InOutQuad);
    static bool isLeaving(const QWidget *widget);
    static bool isMoving(const QWidget *widget);

    static void fadeIn(QWidget *widget, int durationMs = kFadeMs,
                       const QEasingCurve &curve = QEasingCurve::OutCubic)
    {
        enter(widget, MotionPose::faded(), durationMs, curve);
    }
    static void fadeOut(QWidget *widget, int durationMs = kFadeMs,
                        const QEasingCurve &curve = QEasingCurve::InOutQuad)
    {
        leave(widget, MotionPose::faded(), durationMs, curve);
    }

    // Call before changing what `widget` shows: its present picture is laid over it
    // and fades out, so the old content turns into the new.
    static void crossFade(QWidget *widget, int durationMs, const QEasingCurve &curve = QEasingCurve::InOutQuad);
    // Makes `change` to what `widget` shows under the picture of what it showed, which
    // then fades out: the old content, whole, turns into the new, whatever widgets
    // `change` adds. The widgets `above` (an overlay with motion of its own) are left out
    // of the picture and stay over it.
    static void crossFade(QWidget *widget, int durationMs, const QEasingCurve &curve,
                          const std::function<void()> &change, const QList<QWidget *> &above = {});
    // The picture of `widget` as it stands, without the widgets `leftOut`. Graphics
    // effects inside other effects are drawn at rest: Qt cannot draw an effect within
    // another into a picture (its painter fails, and the picture loses what follows).
    static QPixmap picture(QWidget *widget, const QList<QWidget *> &leftOut = {});

    // Turns an angle from `from` to `to` degrees (a chevron, a symbol), calling `apply`
    // with each angle; owned by `host`.
    static void rotate(QWidget *host, qreal from, qreal to, int durationMs, const QEasingCurve &curve,
                       std::function<void(qreal)> apply);

    // Sets `label` to text(value), counting up through the numbers between the value it
    // shows and `value`; a smaller value, or the first, is shown at once.
    static void count(QLabel *label, int value, std::function<QString(int)> text, int durationMs = kCountMs);
};

} // namespace quill
