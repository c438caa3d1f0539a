#include "ui/widgets/fade_in_effect.h"

#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>

namespace quill {

FadeInEffect *FadeInEffect::start(QWidget *target, int durationMs)
{
    if (!target || !target->isVisible())
        return nullptr;
    QGraphicsEffect *current = target->graphicsEffect();
    if (current && !qobject_cast<FadeInEffect *>(current))
        return nullptr;
    // Replaces a fade still running: it starts again from transparent.
    auto *effect = new FadeInEffect(target, durationMs);
    target->setGraphicsEffect(effect);
    effect->m_animation->start();
    return effect;
}

bool FadeInEffect::isFading(const QWidget *target)
{
    return target && qobject_cast<FadeInEffect *>(target->graphicsEffect()) != nullptr;
}

void FadeInEffect::finish(QWidget *target)
{
    if (isFading(target))
        target->setGraphicsEffect(nullptr);
}

FadeInEffect::FadeInEffect(QWidget *target, int durationMs)
    : QGraphicsOpacityEffect(target), m_animation(new QPropertyAnimation(this, "opacity", this))
{
    setOpacity(0);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    m_animation->setDuration(durationMs);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    // Removed once the animation has returned from its signal, never from inside it.
    QPointer<QWidget> widget(target);
    connect(
        m_animation, &QPropertyAnimation::finished, this,
        [this, widget] {
            if (widget && widget->graphicsEffect() == this)
                widget->setGraphicsEffect(nullptr);
        },
        Qt::QueuedConnection);
}

} // namespace quill
