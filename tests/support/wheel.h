#pragma once

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>

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

} // namespace quill::testing
