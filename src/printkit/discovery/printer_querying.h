#pragma once

#include "printkit/domain/printer_descriptor.h"

#include <QCoroTask>
#include <QList>
#include <QStringList>
#include <optional>

namespace printkit {

// The three questions a host asks about the computer's printers. None of them
// fails: no printers is an empty list or no printer.
class PrinterQuerying
{
public:
    virtual ~PrinterQuerying() = default;

    // Every printer, the default first, then by name as a file browser sorts them.
    virtual QCoro::Task<QList<PrinterDescriptor>> availablePrinters() = 0;
    virtual QCoro::Task<std::optional<PrinterDescriptor>> defaultPrinter() = 0;
    // The first printer in catalog order whose name contains any keyword (case ignored),
    // else the default printer, else the first one.
    virtual QCoro::Task<std::optional<PrinterDescriptor>> preferredPrinter(QStringList keywords) = 0;
};

} // namespace printkit
