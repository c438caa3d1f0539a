#include "ui/widgets/motion.h"

#include "common/motion_switch.h"

#include <QEvent>
#include <QGraphicsEffect>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QVariantAnimation>

#include <cmath>

namespace quill {

namespace {

// A spring released from 0 towards 1, over a duration equal to its response.
qreal springAt(qreal t, qreal damping)
{
    constexpr qreal kOmega = 2 * M_PI;
    if (t >= 1.0)
        return 1.0;
    const qreal decay = std::exp(-damping * kOmega * t);
    if (damping >= 1.0)
        return 1.0 - (1.0 + kOmega * t) * decay;
    const qreal damped = kOmega * std::sqrt(1.0 - damping * damping);
    return 1.0 - decay * (std::cos(damped * t) + damping * kOmega / damped * std::sin(damped * t));
}

qreal bouncy(qreal t)
{
    return springAt(t, 0.8);
}

qreal smooth(qreal t)
{
    return springAt(t, 1.0);
}

MotionPose mix(const MotionPose &from, const MotionPose &to, qreal t)
{
    return {from.opacity + (to.opacity - from.opacity) * t, from.offset + (to.offset - from.offset) * t,
            from.scale + (to.scale - from.scale) * t};
}

// Draws its widget's picture in a pose. Installed only while the widget moves.
class MotionEffect final : public QGraphicsEffect
{
public:
    explicit MotionEffect(QObject *parent) : QGraphicsEffect(parent) {}

    const MotionPose &pose() const { return m_pose; }
    void setPose(const MotionPose &pose)
    {
        m_pose = pose;
        updateBoundingRect();
        update();
    }
    bool leaving = false;

    QRectF boundingRectFor(const QRectF &rect) const override { return rect.united(transform(rect).mapRect(rect)); }

protected:
    void draw(QPainter *painter) override
    {
        // Drawn from the widget's picture even at rest: drawing the source straight
        // through fails for an effect inside it (a pulsing mark), whose painter then
        // cannot start on the device this one holds.
        if (m_pose.opacity <= 0.0)
            return;
        QPoint at;
        const QPixmap picture = sourcePixmap(Qt::LogicalCoordinates, &at, QGraphicsEffect::NoPad);
        painter->save();
        painter->setOpacity(painter->opacity() * m_pose.opacity);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->setTransform(transform(sourceBoundingRect(Qt::LogicalCoordinates)), true);
        painter->drawPixmap(at, picture);
        painter->restore();
    }

private:
    QTransform transform(const QRectF &source) const
    {
        const QPointF centre = source.center();
        QTransform moved;
        moved.translate(centre.x() + m_pose.offset.x(), centre.y() + m_pose.offset.y());
        moved.scale(m_pose.scale, m_pose.scale);
        moved.translate(-centre.x(), -centre.y());
        return moved;
    }

    MotionPose m_pose;
};

// One running tween; it ends at once when its host is hidden.
class Tween final : public QVariantAnimation
{
public:
    Tween(QWidget *host, const char *name, std::function<void(qreal)> step, std::function<void()> done)
        : QVariantAnimation(host), m_step(std::move(step)), m_done(std::move(done))
    {
        setObjectName(QLatin1String(name));
        setStartValue(0.0);
        setEndValue(1.0);
        host->installEventFilter(this);
        connect(this, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
            if (state() == Running && m_step)
                m_step(value.toReal());
        });
        connect(this, &QAbstractAnimation::finished, this, [this] {
            // Lands exactly on the end whatever the curve's last value.
            std::function<void(qreal)> step = std::exchange(m_step, {});
            std::function<void()> done = std::exchange(m_done, {});
            deleteLater();
            if (step)
                step(1.0);
            if (done)
                done();
        });
    }

    void drop()
    {
        m_step = {};
        m_done = {};
        stop();
        deleteLater();
    }
    void finishNow()
    {
        if (state() == Running)
            setCurrentTime(duration());
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Hide)
            finishNow();
        return false;
    }

private:
    std::function<void(qreal)> m_step;
    std::function<void()> m_done;
};

Tween *runningTween(const QWidget *host, const char *name)
{
    if (!host)
        return nullptr;
    // Tween has no meta-object of its own: other animations are told apart by type.
    const auto animations =
        host->findChildren<QVariantAnimation *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    for (QVariantAnimation *animation : animations) {
        auto *tween = dynamic_cast<Tween *>(animation);
        if (tween && tween->state() == QAbstractAnimation::Running)
            return tween;
    }
    return nullptr;
}

constexpr const char *kPoseTween = "quill.motion.pose";
constexpr const char *kCountProperty = "quill.motion.count";

MotionEffect *motionEffect(const QWidget *widget)
{
    return dynamic_cast<MotionEffect *>(widget->graphicsEffect());
}

// Lays a still picture over its parent and fades it out, then goes.
class Ghost final : public QWidget
{
public:
    Ghost(QWidget *parent, QPixmap picture) : QWidget(parent), m_picture(std::move(picture))
    {
        setObjectName(QStringLiteral("quill.motion.ghost"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(parent->rect());
    }
    void setOpacity(qreal opacity)
    {
        m_opacity = qBound(0.0, opacity, 1.0);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setOpacity(m_opacity);
        painter.drawPixmap(0, 0, m_picture);
    }

private:
    QPixmap m_picture;
    qreal m_opacity = 1.0;
};

} // namespace

QEasingCurve Motion::bouncySpring()
{
    QEasingCurve curve;
    curve.setCustomType(bouncy);
    return curve;
}

QEasingCurve Motion::smoothSpring()
{
    QEasingCurve curve;
    curve.setCustomType(smooth);
    return curve;
}

bool Motion::canAnimate(const QWidget *widget)
{
    return !instantMotion() && widget && widget->isVisible();
}

void Motion::tween(QWidget *host, const char *name, int durationMs, const QEasingCurve &curve,
                   std::function<void(qreal)> step, std::function<void()> done)
{
    if (Tween *running = runningTween(host, name))
        running->drop();
    if (!canAnimate(host) || durationMs <= 0) {
        if (step)
            step(1.0);
        if (done)
            done();
        return;
    }
    auto *animation = new Tween(host, name, std::move(step), std::move(done));
    animation->setDuration(durationMs);
    animation->setEasingCurve(curve);
    animation->start();
}

bool Motion::isRunning(const QWidget *host, const char *name)
{
    return runningTween(host, name) != nullptr;
}

void Motion::finish(QWidget *host, const char *name)
{
    if (Tween *running = runningTween(host, name))
        running->finishNow();
}

void Motion::finishAll(QWidget *root)
{
    QList<QPointer<QVariantAnimation>> running;
    for (QVariantAnimation *animation : root->findChildren<QVariantAnimation *>()) {
        if (dynamic_cast<Tween *>(animation))
            running.append(animation);
    }
    // Ending one may end or remove another.
    for (const QPointer<QVariantAnimation> &animation : running) {
        if (auto *tween = dynamic_cast<Tween *>(animation.data()))
            tween->finishNow();
    }
}

void Motion::stop(QWidget *host, const char *name)
{
    if (Tween *running = runningTween(host, name))
        running->drop();
}

void Motion::enter(QWidget *widget, const MotionPose &from, int durationMs, const QEasingCurve &curve)
{
    MotionEffect *effect = motionEffect(widget);
    // A widget leaving turns back from where its picture is.
    const MotionPose start = effect ? effect->pose() : from;
    widget->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    widget->show();
    if (!canAnimate(widget) || (widget->graphicsEffect() && !effect)) {
        if (Tween *running = runningTween(widget, kPoseTween))
            running->drop();
        if (effect)
            widget->setGraphicsEffect(nullptr);
        return;
    }
    if (!effect) {
        effect = new MotionEffect(widget);
        widget->setGraphicsEffect(effect);
    }
    effect->leaving = false;
    effect->setPose(start);
    QPointer<MotionEffect> guard(effect);
    QPointer<QWidget> target(widget);
    tween(
        widget, kPoseTween, durationMs, curve,
        [guard, start](qreal t) {
            if (guard)
                guard->setPose(mix(start, MotionPose(), t));
        },
        [guard, target] {
            if (guard && target && target->graphicsEffect() == guard)
                target->setGraphicsEffect(nullptr);
        });
}

void Motion::leave(QWidget *widget, const MotionPose &to, int durationMs, const QEasingCurve &curve)
{
    MotionEffect *effect = motionEffect(widget);
    if (!canAnimate(widget) || (widget->graphicsEffect() && !effect)) {
        if (Tween *running = runningTween(widget, kPoseTween))
            running->drop();
        if (effect)
            widget->setGraphicsEffect(nullptr);
        widget->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        widget->hide();
        return;
    }
    const MotionPose start = effect ? effect->pose() : MotionPose();
    if (!effect) {
        effect = new MotionEffect(widget);
        widget->setGraphicsEffect(effect);
    }
    effect->leaving = true;
    widget->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    QPointer<MotionEffect> guard(effect);
    QPointer<QWidget> target(widget);
    tween(
        widget, kPoseTween, durationMs, curve,
        [guard, start, to](qreal t) {
            if (guard)
                guard->setPose(mix(start, to, t));
        },
        [guard, target] {
            if (!target)
                return;
            target->hide();
            target->setAttribute(Qt::WA_TransparentForMouseEvents, false);
            if (guard && target->graphicsEffect() == guard)
                target->setGraphicsEffect(nullptr);
        });
}

void Motion::setShown(QWidget *widget, bool shown, const MotionPose &away, int durationMs,
                      const QEasingCurve &curve)
{
    const bool standing = !widget->isHidden() && !isLeaving(widget);
    if (shown == standing)
        return;
    if (shown)
        enter(widget, away, durationMs, curve);
    else
        leave(widget, away, durationMs, curve);
}

bool Motion::isLeaving(const QWidget *widget)
{
    const MotionEffect *effect = motionEffect(widget);
    return effect && effect->leaving && isRunning(widget, kPoseTween);
}

bool Motion::isMoving(const QWidget *widget)
{
    return isRunning(widget, kPoseTween);
}

QPixmap Motion::picture(QWidget *widget, const QList<QWidget *> &leftOut)
{
    // Effects within effects rest for the moment of the grab.
    QList<QPointer<QGraphicsEffect>> resting;
    for (QWidget *inside : widget->findChildren<QWidget *>()) {
        QGraphicsEffect *effect = inside->graphicsEffect();
        if (!effect || !effect->isEnabled())
            continue;
        for (QWidget *up = inside->parentWidget(); up; up = up->parentWidget()) {
            if (up->graphicsEffect() && up->graphicsEffect()->isEnabled()) {
                resting.append(effect);
                break;
            }
            if (up == widget)
                break;
        }
    }
    for (const QPointer<QGraphicsEffect> &effect : std::as_const(resting))
        effect->setEnabled(false);

    QPixmap picture;
    if (leftOut.isEmpty()) {
        picture = widget->grab();
    } else {
        const qreal ratio = widget->devicePixelRatioF();
        picture = QPixmap(widget->size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        widget->render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        for (QObject *object : widget->children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (!child || child->isWindow() || child->isHidden() || leftOut.contains(child))
                continue;
            child->render(&picture, child->pos(), QRegion(),
                          QWidget::DrawWindowBackground | QWidget::DrawChildren);
        }
    }

    for (const QPointer<QGraphicsEffect> &effect : std::as_const(resting)) {
        if (effect)
            effect->setEnabled(true);
    }
    return picture;
}

void Motion::crossFade(QWidget *widget, int durationMs, const QEasingCurve &curve)
{
    crossFade(widget, durationMs, curve, {});
}

void Motion::crossFade(QWidget *widget, int durationMs, const QEasingCurve &curve,
                       const std::function<void()> &change, const QList<QWidget *> &above)
{
    if (!canAnimate(widget) || widget->size().isEmpty()) {
        if (change)
            change();
        return;
    }
    // The picture includes a ghost still fading, so a quick second change blends on.
    QPixmap still = picture(widget, above);
    for (QWidget *old : widget->findChildren<QWidget *>(QStringLiteral("quill.motion.ghost"),
                                                        Qt::FindDirectChildrenOnly))
        delete old;
    if (change)
        change();
    auto *ghost = new Ghost(widget, std::move(still));
    ghost->show();
    // Over whatever the change put in, under what stays above.
    ghost->raise();
    for (QWidget *over : above) {
        if (over && over->parentWidget() == widget)
            over->raise();
    }
    QPointer<Ghost> guard(ghost);
    tween(
        ghost, "quill.motion.crossfade", durationMs, curve,
        [guard](qreal t) {
            if (guard)
                guard->setOpacity(1.0 - t);
        },
        [guard] {
            if (guard)
                guard->deleteLater();
        });
}

void Motion::rotate(QWidget *host, qreal from, qreal to, int durationMs, const QEasingCurve &curve,
                    std::function<void(qreal)> apply)
{
    tween(host, kRotate, durationMs, curve,
          [from, to, apply = std::move(apply)](qreal t) { apply(from + (to - from) * t); });
}

void Motion::count(QLabel *label, int value, std::function<QString(int)> text, int durationMs)
{
    const QVariant shown = label->property(kCountProperty);
    label->setProperty(kCountProperty, value);
    const int from = shown.isValid() ? shown.toInt() : value;
    if (from >= value) {
        if (Tween *running = runningTween(label, kCountProperty))
            running->drop();
        label->setText(text(value));
        return;
    }
    QPointer<QLabel> guard(label);
    tween(label, kCountProperty, durationMs, QEasingCurve::OutCubic,
          [guard, from, value, text = std::move(text)](qreal t) {
              if (guard)
                  guard->setText(text(from + int(std::lround((value - from) * t))));
          });
}

} // namespace quill
