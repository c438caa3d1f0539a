// A task nobody awaits: what escapes it is logged in the starter's category.
#include "common/detached_task.h"
#include "common/logging.h"
#include "gate.h"
#include "log_capture.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace quill;
using quill::testing::Gate;
using quill::testing::LogCapture;

namespace {

enum class Escape
{
    none,
    ownError,
    standardError,
    badAlloc,
    notAnException
};

void raise(Escape escape)
{
    switch (escape) {
    case Escape::none:
        return;
    case Escape::ownError:
        throw Error(QStringLiteral("the backend said no"));
    case Escape::standardError:
        throw std::runtime_error("vector too long");
    case Escape::badAlloc:
        throw std::bad_alloc();
    case Escape::notAnException:
        throw 42;
    }
}

QCoro::Task<int> failingTask(Escape escape, Gate *gate, bool *finished)
{
    if (gate)
        co_await gate->wait();
    raise(escape);
    *finished = true;
    co_return 1;
}

struct Case
{
    const char *name;
    Escape escape;
    bool suspends;      // throws after its first wait rather than at once
    const char *logged; // empty: nothing is logged
};

TEST(DetachedTask, WhatEscapesIsLoggedInTheCallersCategory)
{
    const Case cases[] = {
        {"our error at once", Escape::ownError, false,
         "Upload loop ended with an unexpected error: the backend said no"},
        {"our error after a wait", Escape::ownError, true,
         "Upload loop ended with an unexpected error: the backend said no"},
        {"a standard error at once", Escape::standardError, false,
         "Upload loop ended with an unexpected error: vector too long"},
        {"out of memory after a wait", Escape::badAlloc, true,
         "Upload loop ended with an unexpected error: std::bad_alloc"},
        {"not an exception type", Escape::notAnException, true,
         "Upload loop ended with an unexpected error of unknown type"},
        {"a task that ends well", Escape::none, true, ""},
    };
    const QString category = QString::fromLatin1(lcShowSync().categoryName());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        Gate gate;
        bool finished = false;
        startDetached(failingTask(c.escape, c.suspends ? &gate : nullptr, &finished), lcShowSync(),
                      "Upload loop");
        if (c.suspends) {
            EXPECT_TRUE(log.entries().isEmpty()); // still waiting: nothing to say yet
            gate.open();
            QCoreApplication::processEvents();
        }
        const QString expected = QString::fromLatin1(c.logged);
        if (expected.isEmpty()) {
            EXPECT_TRUE(finished);
            EXPECT_TRUE(log.entries().isEmpty());
            continue;
        }
        const auto found = log.matching(category, QtCriticalMsg, expected);
        ASSERT_EQ(found.size(), 1);
        EXPECT_EQ(found.first().message, expected);
        EXPECT_EQ(log.entries().size(), 1);
    }
}

} // namespace
