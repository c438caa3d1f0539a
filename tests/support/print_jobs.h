#pragma once

#include "printing/print_job.h"

namespace quill::testing {

// A print job of the app's own queue in the given state, as a win would leave it.
inline PrintJob printJob(PrintJob::Status status, const QString &label = QStringLiteral("@ann $5"))
{
    PrintJob job;
    job.id = PrintJob::makeId();
    job.label = label;
    job.status = std::move(status);
    return job;
}

} // namespace quill::testing
