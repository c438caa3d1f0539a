#pragma once

#include "printkit/discovery/printer_name_source.h"
#include "printkit/discovery/printer_querying.h"

#include <memory>

namespace printkit {

// The system's printers, read afresh on every call; nothing is cached, so a printer
// added or removed in the system settings shows up at the next call.
class PrinterCatalog final : public PrinterQuerying
{
    Q_DISABLE_COPY_MOVE(PrinterCatalog)

public:
    // Reads the names from CUPS with the real tools.
    PrinterCatalog();
    explicit PrinterCatalog(std::unique_ptr<PrinterNameSource> source);
    ~PrinterCatalog() override;

    QCoro::Task<QList<PrinterDescriptor>> availablePrinters() override;
    QCoro::Task<std::optional<PrinterDescriptor>> defaultPrinter() override;
    QCoro::Task<std::optional<PrinterDescriptor>> preferredPrinter(QStringList keywords) override;

    // Descriptors for `names` in catalog order: the one equal to `defaultName` first,
    // then by name (case-insensitive, digit runs by value), equal names keeping their order.
    static QList<PrinterDescriptor> catalogOrder(const QStringList &names, const QString &defaultName);
    // The keyword choice of preferredPrinter() over a list already in catalog order.
    static std::optional<PrinterDescriptor> choosePreferred(const QList<PrinterDescriptor> &printers,
                                                            const QStringList &keywords);

private:
    std::unique_ptr<PrinterNameSource> m_source;
};

} // namespace printkit
