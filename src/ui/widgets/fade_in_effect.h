#pragma once

#include <QGraphicsOpacityEffect>

class QPropertyAnimation;
class QWidget;

namespace quill {

// A short fade from transparent to opaque for a widget that comes into view. Only the
// drawing is animated: the widget is shown, laid out and usable from the first moment.
// The effect removes itself when the fade ends.
class FadeInEffect final : public QGraphicsOpacityEffect
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FadeInEffect)

public:
    static constexpr int kDefaultDurationMs = 200;

    // Fades `target` in when it is on screen; a widget laid out before its window shows,
    // or one carrying another effect, just appears. Returns the running effect, if any.
    static FadeInEffect *start(QWidget *target, int durationMs = kDefaultDurationMs);
    // Whether `target` is still fading in.
    static bool isFading(const QWidget *target);
    // Ends a running fade at once (for pictures of the settled screen).
    static void finish(QWidget *target);

private:
    FadeInEffect(QWidget *target, int durationMs);

    QPropertyAnimation *m_animation;
};

} // namespace quill
