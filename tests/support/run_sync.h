#pragma once

// Runs a coroutine to completion on a nested event loop and hands back its value
// or rethrows its exception. (QCoro::waitFor never leaves its loop when the task
// throws, which turns every failure test into a hang.)

#include "common/error.h"

#include <QCoroTask>
#include <QEventLoop>
#include <QString>

#include <exception>
#include <optional>
#include <type_traits>

namespace quill::testing {

namespace detail {
template <typename T>
QCoro::Task<> drive(QCoro::Task<T> task, std::optional<T> &result, std::exception_ptr &error, bool &done,
                    QEventLoop &loop)
{
    try {
        result.emplace(co_await std::move(task));
    } catch (...) {
        error = std::current_exception();
    }
    done = true;
    loop.quit();
}

inline QCoro::Task<> drive(QCoro::Task<> task, std::exception_ptr &error, bool &done, QEventLoop &loop)
{
    try {
        co_await std::move(task);
    } catch (...) {
        error = std::current_exception();
    }
    done = true;
    loop.quit();
}
} // namespace detail

template <typename T>
T runSync(QCoro::Task<T> task)
{
    QEventLoop loop;
    std::exception_ptr error;
    bool done = false;
    if constexpr (std::is_void_v<T>) {
        auto driver = detail::drive(std::move(task), error, done, loop);
        if (!done)
            loop.exec();
        if (error)
            std::rethrow_exception(error);
    } else {
        std::optional<T> result;
        auto driver = detail::drive(std::move(task), result, error, done, loop);
        if (!done)
            loop.exec();
        if (error)
            std::rethrow_exception(error);
        return std::move(*result);
    }
}

// The message of the Error that `call` throws (say, a runSync of a request), or
// "(no error)" when it throws none.
template <typename F> QString errorOf(F call)
{
    try {
        call();
    } catch (const Error &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace quill::testing
