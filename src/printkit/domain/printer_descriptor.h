#pragma once

#include "printkit/domain/print_job_request.h"

namespace printkit {

struct PrinterDescriptor
{
    PrinterID id;
    QString name;
    bool isDefault = false;

    bool operator==(const PrinterDescriptor &) const = default;
};

} // namespace printkit
