#pragma once

#include <QString>

#include <exception>
#include <string>

namespace quill {

// Base of every error this program throws. `message()` is what a user reads;
// `what()` carries the same text for logs and test failures.
class Error : public std::exception
{
public:
    explicit Error(QString message) : m_message(std::move(message)), m_what(m_message.toStdString()) {}

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    QString m_message;
    std::string m_what;
};

// What a user reads of any caught exception: our own errors' message(), else what().
inline QString errorMessage(const std::exception &error)
{
    if (const auto *own = dynamic_cast<const Error *>(&error))
        return own->message();
    return QString::fromUtf8(error.what());
}

} // namespace quill
