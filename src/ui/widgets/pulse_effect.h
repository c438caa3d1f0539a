#pragma once

#include <QGraphicsOpacityEffect>
#include <QPointer>

class QSequentialAnimationGroup;

namespace quill {

// Fades a widget between full and 40 % opacity, one second each way, for as long as
// the widget is shown; the animation stops while it is hidden, and does not run while
// animations are made instant.
class PulseEffect final : public QGraphicsOpacityEffect
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PulseEffect)

public:
    static constexpr qreal kDimOpacity = 0.4;
    static constexpr int kHalfPeriodMs = 1000;

    // Installs the effect on `target`, which owns it.
    static PulseEffect *apply(QWidget *target);

    bool isPulsing() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit PulseEffect(QWidget *target);
    void setRunning(bool running);

    QPointer<QWidget> m_target;
    QSequentialAnimationGroup *m_animation;
};

} // namespace quill
