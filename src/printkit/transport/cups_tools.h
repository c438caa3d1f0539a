#pragma once

#include <QString>

#include <chrono>

namespace printkit {

// Where the CUPS command-line tools and the PPD folder live. Tests point these at
// recorded fakes or at a private scheduler; the product uses the defaults.
struct CUPSTools
{
    QString lp = QStringLiteral("/usr/bin/lp");
    QString lpstat = QStringLiteral("/usr/bin/lpstat");
    QString cancel = QStringLiteral("/usr/bin/cancel");
    QString cupsenable = QStringLiteral("/usr/sbin/cupsenable");
    QString ppdDirectory = QStringLiteral("/etc/cups/ppd");
    // No CUPS tool talking to a local scheduler takes this long; past it the scheduler
    // is hung and the caller gets a clear failure instead of waiting forever.
    std::chrono::milliseconds timeout{std::chrono::seconds(20)};
};

} // namespace printkit
