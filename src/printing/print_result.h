#pragma once

#include <QString>

namespace quill {

// The outcome of one print operation, handed to the caller that started it, so
// prints that overlap never read each other's failure.
struct PrintResult
{
    bool ok = false;
    QString message; // why it failed; empty on success

    static PrintResult succeeded() { return {true, QString()}; }
    static PrintResult failed(QString message) { return {false, std::move(message)}; }

    bool operator==(const PrintResult &) const = default;
};

} // namespace quill
