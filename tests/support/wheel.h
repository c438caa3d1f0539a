#pragma once

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>
#include <QtTest/qtestspontaneevent.h>

namespace quill::testing {

// One notch of a plain (vertical) mouse wheel over the middle of `under`. Gives whether
// `under` took it; one that did not goes on to its parent when the window system
// delivers it.
inline bool turnWheelDown(QWidget *under)
{
    const QPointF at(under->width() / 2.0, under->height() / 2.0);
    QWheelEvent wheel(at, under->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(under, &wheel);
    return wheel.isAccepted();
}

// A wheel turned over `at` in `window` as the window system delivers it: to the widget
// under the pointer first, and on to its parents while none takes it.
// `timestamp` is the window system's time of the event, in ms.
inline void turnWheelAt(QWidget *window, QPoint at, QPoint angleDelta, quint64 timestamp)
{
    QWidget *under = window->childAt(at);
    if (!under)
        under = window;
    const QPointF local = under->mapFrom(window, QPointF(at));
    QWheelEvent wheel(local, under->mapToGlobal(local), QPoint(), angleDelta, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    wheel.setTimestamp(timestamp);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(under, &wheel);
}

} // namespace quill::testing
