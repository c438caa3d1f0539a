#pragma once

// Every test that waits for something to happen waits through this: the event loop
// turns until `done()` holds or `timeout` has passed. Nothing waits for a period to
// pass; what the test waits for is named by `done`.

#include <QCoreApplication>
#include <QTest>

#include <chrono>
#include <functional>

namespace quill::testing {

// Answers `done()` once it holds, or false after `timeout`. Between checks the loop
// delivers what is pending (deferred deletions too) and rests a few milliseconds, so a
// wait on another process (a scheduler, a render process, a file on disk) does not spin.
inline bool eventually(const std::function<bool()> &done,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    return QTest::qWaitFor(done, int(timeout.count()));
}

// Lets started tasks and queued coroutine resumptions run; nothing waits for time to pass.
inline void settle()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
}

} // namespace quill::testing
