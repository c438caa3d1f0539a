#pragma once

#include "printkit/discovery/printer_querying.h"

#include <QStringList>

namespace quill::testing {

// The printers the system lists, by name, in that order; no default.
class NamedPrinters final : public printkit::PrinterQuerying
{
public:
    QCoro::Task<QList<printkit::PrinterDescriptor>> availablePrinters() override
    {
        QList<printkit::PrinterDescriptor> out;
        for (const QString &name : std::as_const(names))
            out.append(printkit::PrinterDescriptor{printkit::PrinterID{name}, name, false});
        co_return out;
    }
    QCoro::Task<std::optional<printkit::PrinterDescriptor>> defaultPrinter() override
    {
        co_return std::nullopt;
    }
    QCoro::Task<std::optional<printkit::PrinterDescriptor>> preferredPrinter(QStringList) override
    {
        co_return std::nullopt;
    }
    QStringList names;
};

} // namespace quill::testing
