// Waiting for the next emission of a signal: a burst of emissions resumes the waiting
// coroutine once, on a later turn of the event loop, and the emissions still queued after
// it went on touch nothing of it (under AddressSanitizer a late one used to read freed
// memory, and the program crashed when a page event was pushed twice in a row).
#include "common/next_signal.h"
#include "common/serial_queue.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <gtest/gtest.h>

using namespace quill;

namespace {

void settleEvents()
{
    for (int turn = 0; turn < 5; ++turn)
        QCoreApplication::processEvents();
}

TEST(NextSignal, ABurstOfEmissionsResumesTheWaitOnceAfterTheEmitAndLateOnesDoNothing)
{
    SerialQueue object; // any object with a signal without arguments
    int resumed = 0;
    auto waitTwice = [&]() -> QCoro::Task<> {
        co_await nextSignal(&object, &SerialQueue::advanced);
        ++resumed;
        co_await nextSignal(&object, &SerialQueue::advanced);
        ++resumed;
    };
    QCoro::Task<> task = waitTwice();
    Q_EMIT object.advanced();
    Q_EMIT object.advanced();
    Q_EMIT object.advanced();
    EXPECT_EQ(resumed, 0) << "resumed inside the emit";
    settleEvents();
    EXPECT_EQ(resumed, 1) << "the emissions before the second wait began are not the second wait's";
    EXPECT_FALSE(task.isReady());

    Q_EMIT object.advanced();
    Q_EMIT object.advanced();
    settleEvents();
    EXPECT_EQ(resumed, 2);
    EXPECT_TRUE(task.isReady());
}

} // namespace
