#pragma once

#include "printkit/domain/print_job_request.h"

namespace printkit {

struct PrinterDescriptor
{
    PrinterID id;
    QString name;
    bool isDefault = false;

    bool operator==(const PrinterDescriptor &other) const;
};

size_t qHash(const PrinterDescriptor &descriptor, size_t seed = 0) noexcept;

} // namespace printkit
