#pragma once

#include "common/process_runner.h"
#include "printkit/discovery/printer_name_source.h"
#include "printkit/transport/cups_tools.h"

#include <optional>

namespace printkit {

// Reads the destinations and the default destination from the CUPS scheduler with
// lpstat. Failures are logged and read as "no printers" / "no default".
class CUPSPrinterNameSource final : public PrinterNameSource
{
public:
    explicit CUPSPrinterNameSource(quill::ProcessRunner *runner = &quill::QProcessRunner::instance(),
                                   CUPSTools tools = {});

    QCoro::Task<QStringList> printerNames() override;
    QCoro::Task<QString> defaultPrinterName() override;

    // `lpstat -e`: one destination per line. CUPS names hold no white space, so a line
    // with any is a diagnostic, not a printer; such lines go to `ignored`.
    static QStringList parseDestinations(const QString &output, QStringList *ignored = nullptr);
    // `lpstat -d`: the name after "system default destination: ", empty for "no system
    // default destination"; nothing when the output is neither.
    static std::optional<QString> parseDefaultDestination(const QString &output);

private:
    quill::ProcessRunner *m_runner;
    CUPSTools m_tools;
};

} // namespace printkit
