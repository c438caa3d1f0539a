#pragma once

#include "app/single_instance_guard.h"

#include <QCoreApplication>
#include <QStringList>

#include <chrono>
#include <future>

namespace quill::testing {

// A hand-over waits for the running instance's answer, which comes from this
// thread's event loop: hand over from another thread and keep the loop going.
inline SingleInstanceGuard::HandOver handOverFromAnotherThread(const QString &serverName, QStringList urls = {})
{
    auto result = std::async(std::launch::async, [serverName, urls] {
        return SingleInstanceGuard(serverName).forwardToRunningInstance(urls);
    });
    while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return result.get();
}

} // namespace quill::testing
