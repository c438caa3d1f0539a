#pragma once

#include "app/single_instance_guard.h"
#include "eventually.h"

#include <QCoreApplication>
#include <QStringList>

#include <chrono>
#include <future>
#include <gtest/gtest.h>

namespace quill::testing {

// A hand-over waits for the running instance's answer, which comes from this
// thread's event loop: hand over from another thread and keep the loop going.
inline SingleInstanceGuard::HandOver handOverFromAnotherThread(const QString &serverName, QStringList urls = {})
{
    auto result = std::async(std::launch::async, [serverName, urls] {
        return SingleInstanceGuard(serverName).forwardToRunningInstance(urls);
    });
    EXPECT_TRUE(eventually(
        [&] { return result.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; },
        std::chrono::seconds(30)))
        << "the hand-over did not end";
    return result.get();
}

} // namespace quill::testing
