#pragma once

#include "common/error.h"

#include <QByteArray>
#include <QCoroTask>
#include <QLoggingCategory>

#include <exception>
#include <utility>

namespace quill {

namespace detail {

template <typename T>
QCoro::Task<> watchDetached(QCoro::Task<T> task, const QLoggingCategory *category, QByteArray what)
{
    try {
        co_await std::move(task);
    } catch (const std::exception &error) {
        qCCritical(*category, "%s ended with an unexpected error: %s", what.constData(),
                   qUtf8Printable(errorMessage(error)));
    } catch (...) {
        qCCritical(*category, "%s ended with an unexpected error of unknown type", what.constData());
    }
}

} // namespace detail

// Lets a started task run on by itself. QCoro keeps an exception that escapes a task
// nobody awaits and then drops it; this logs it in the caller's category instead,
// naming the task by `what`. The task must guard its own object (QPointer) as before.
template <typename T>
void startDetached(QCoro::Task<T> &&task, const QLoggingCategory &category, QByteArray what)
{
    detail::watchDetached(std::move(task), &category, std::move(what));
}

} // namespace quill
