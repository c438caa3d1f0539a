#pragma once

#include <QCoroTask>
#include <QString>
#include <QStringList>

namespace printkit {

// Where the catalog gets the system's printer names from. Reading never fails:
// a system that cannot be asked has no printers and no default.
class PrinterNameSource
{
public:
    virtual ~PrinterNameSource() = default;

    // The system's printer names in the system's order; may be empty.
    virtual QCoro::Task<QStringList> printerNames() = 0;
    // The printer the system uses by default; empty when there is none.
    virtual QCoro::Task<QString> defaultPrinterName() = 0;
};

} // namespace printkit
