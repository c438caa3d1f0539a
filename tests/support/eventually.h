#pragma once

// Every test that waits for something to happen waits through this: the event loop
// turns until `done()` holds or `timeout` has passed. Nothing waits for a period to
// pass; what the test waits for is named by `done`.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>

namespace quill::testing {

// Answers `done()` once it holds, or false after `timeout`. Between checks the loop
// delivers what is pending (deferred deletions too) and then sleeps until the next event,
// a few milliseconds at most, so a wait on another process (a scheduler, a render
// process, a file on disk) neither spins nor misses its moment.
inline bool eventually(const std::function<bool()> &done,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    const QDeadlineTimer deadline(timeout);
    QTimer tick;
    tick.setInterval(5);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        if (!tick.isActive())
            tick.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

} // namespace quill::testing
