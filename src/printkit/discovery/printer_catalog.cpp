#include "printkit/discovery/printer_catalog.h"

#include "printkit/discovery/cups_printer_name_source.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace printkit {

namespace {

// Names sort the way the file browser sorts them: case-insensitive, "Label 9" before
// "label 10". Under the C locale Qt's collator falls back to a plain code-point
// comparison with no numeric mode, so a machine without a user locale sorts as English.
QCollator nameCollator()
{
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

// Canonically equivalent spellings (precomposed or combining accents) are one name.
QString canonical(const QString &text)
{
    return text.normalized(QString::NormalizationForm_C);
}

} // namespace

PrinterCatalog::PrinterCatalog() : PrinterCatalog(std::make_unique<CUPSPrinterNameSource>()) {}

PrinterCatalog::PrinterCatalog(std::unique_ptr<PrinterNameSource> source) : m_source(std::move(source)) {}

PrinterCatalog::~PrinterCatalog() = default;

QList<PrinterDescriptor> PrinterCatalog::catalogOrder(const QStringList &names, const QString &defaultName)
{
    const QString wantedDefault = canonical(defaultName);
    QList<PrinterDescriptor> printers;
    printers.reserve(names.size());
    for (const QString &name : names) {
        const bool isDefault = !wantedDefault.isEmpty() && canonical(name) == wantedDefault;
        printers.append(PrinterDescriptor{PrinterID(name), name, isDefault});
    }
    const QCollator collator = nameCollator();
    std::stable_sort(printers.begin(), printers.end(), [&collator](const auto &a, const auto &b) {
        if (a.isDefault != b.isDefault)
            return a.isDefault;
        return collator.compare(a.name, b.name) < 0;
    });
    return printers;
}

std::optional<PrinterDescriptor> PrinterCatalog::choosePreferred(const QList<PrinterDescriptor> &printers,
                                                                 const QStringList &keywords)
{
    QStringList wanted;
    wanted.reserve(keywords.size());
    for (const QString &keyword : keywords)
        wanted.append(canonical(keyword).toUpper());

    for (const PrinterDescriptor &printer : printers) {
        const QString name = canonical(printer.name).toUpper();
        for (const QString &keyword : std::as_const(wanted))
            if (name.contains(keyword))
                return printer;
    }
    for (const PrinterDescriptor &printer : printers)
        if (printer.isDefault)
            return printer;
    if (!printers.isEmpty())
        return printers.first();
    return std::nullopt;
}

QCoro::Task<QList<PrinterDescriptor>> PrinterCatalog::availablePrinters()
{
    // Two separate reads: a default changed in between is simply not marked.
    const QString defaultName = co_await m_source->defaultPrinterName();
    const QStringList names = co_await m_source->printerNames();
    co_return catalogOrder(names, defaultName);
}

QCoro::Task<std::optional<PrinterDescriptor>> PrinterCatalog::defaultPrinter()
{
    const QList<PrinterDescriptor> printers = co_await availablePrinters();
    for (const PrinterDescriptor &printer : printers)
        if (printer.isDefault)
            co_return printer;
    co_return std::nullopt;
}

QCoro::Task<std::optional<PrinterDescriptor>> PrinterCatalog::preferredPrinter(QStringList keywords)
{
    const QList<PrinterDescriptor> printers = co_await availablePrinters();
    co_return choosePreferred(printers, keywords);
}

} // namespace printkit
