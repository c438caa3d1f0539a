#pragma once

// Kills a Qt WebEngine page's render process, as a crash of the renderer would.

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <csignal>

namespace quill::testing {

// Sends SIGKILL to the page's render process and waits until the page has reported
// its death. False when the page had no render process or did not report it.
inline bool killRenderer(QWebEnginePage &page, int timeoutMs = 10000)
{
    const qint64 pid = page.renderProcessPid();
    if (pid <= 0)
        return false;
    QSignalSpy terminated(&page, &QWebEnginePage::renderProcessTerminated);
    ::kill(pid_t(pid), SIGKILL);
    QDeadlineTimer deadline(timeoutMs);
    while (terminated.isEmpty() && !deadline.hasExpired())
        QTest::qWait(10);
    return !terminated.isEmpty();
}

} // namespace quill::testing
