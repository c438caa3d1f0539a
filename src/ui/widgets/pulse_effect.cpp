#include "ui/widgets/pulse_effect.h"

#include "common/motion_switch.h"

#include <QEvent>
#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>
#include <QWidget>

namespace quill {

PulseEffect *PulseEffect::apply(QWidget *target)
{
    auto *effect = new PulseEffect(target);
    target->setGraphicsEffect(effect);
    return effect;
}

PulseEffect::PulseEffect(QWidget *target)
    : QGraphicsOpacityEffect(target), m_target(target), m_animation(new QSequentialAnimationGroup(this))
{
    setOpacity(1.0);
    auto *fadeOut = new QPropertyAnimation(this, "opacity", m_animation);
    fadeOut->setDuration(kHalfPeriodMs);
    fadeOut->setStartValue(1.0);
    fadeOut->setEndValue(kDimOpacity);
    fadeOut->setEasingCurve(QEasingCurve::InOutSine);
    auto *fadeIn = new QPropertyAnimation(this, "opacity", m_animation);
    fadeIn->setDuration(kHalfPeriodMs);
    fadeIn->setStartValue(kDimOpacity);
    fadeIn->setEndValue(1.0);
    fadeIn->setEasingCurve(QEasingCurve::InOutSine);
    m_animation->addAnimation(fadeOut);
    m_animation->addAnimation(fadeIn);
    m_animation->setLoopCount(-1);
    target->installEventFilter(this);
    setRunning(target->isVisible());
}

bool PulseEffect::isPulsing() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

void PulseEffect::setRunning(bool running)
{
    // Settled, the mark rests at full opacity.
    running = running && !instantMotion();
    if (running && !isPulsing()) {
        m_animation->start();
    } else if (!running && isPulsing()) {
        m_animation->stop();
        setOpacity(1.0);
    }
}

bool PulseEffect::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_target) {
        if (event->type() == QEvent::Show)
            setRunning(true);
        else if (event->type() == QEvent::Hide)
            setRunning(false);
    }
    return QGraphicsOpacityEffect::eventFilter(watched, event);
}

} // namespace quill
