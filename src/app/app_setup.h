#pragma once

#include "backend/apple_identity_provider.h"
#include "backend/auth_manager.h"
#include "backend/keychain_service.h"
#include "backend/zav_api_client.h"
#include "capture/marketplace_page.h"
#include "common/clock.h"
#include "common/process_runner.h"
#include "printkit/discovery/printer_querying.h"
#include "printkit/transport/cups_tools.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>

namespace quill {

class Settings;
class SingleInstanceGuard;

// How the live show runs where the product's defaults do not suit (tests).
struct LiveShowSetup
{
    QLocale locale = QLocale(); // the dated show title
    // A show that could not be started is tried again after these pauses (the last repeats).
    QList<std::chrono::milliseconds> startRetryDelays{std::chrono::seconds(2), std::chrono::seconds(5),
                                                      std::chrono::seconds(15), std::chrono::seconds(30)};
};

// The addresses this build was configured with.
QUrl buildApiBaseURL();
QUrl buildMarketplaceHomeURL();
QString buildMarketplaceLivePrefix();

// Everything the application's services are built on. The defaults are the
// product's: the build's backend and marketplace addresses, the login keyring, the
// real CUPS tools, timers and the shared settings. Tests and benchmarks point it at
// the stand-ins.
struct AppSetup
{
    QUrl apiBaseURL = buildApiBaseURL();
    QUrl marketplaceHomeURL = buildMarketplaceHomeURL();
    QString marketplaceLivePrefix = buildMarketplaceLivePrefix();

    Settings *settings = nullptr; // null: the installed store, taken at construction
    Sleeper *sleeper = nullptr;   // null: TimerSleeper
    Clock *clock = nullptr;       // null: SystemClock

    // Null: the login keyring through the Secret Service.
    std::unique_ptr<KeychainService> keychain;
    // Null: none on this platform.
    std::unique_ptr<AppleIdentityProvider> appleProvider;
    // Empty: the system browser.
    AuthSeams::UrlOpener openUrl;

    ProcessRunner *processRunner = nullptr; // null: QProcessRunner
    printkit::CUPSTools cupsTools = {};
    // Null: the CUPS printer catalog.
    std::shared_ptr<printkit::PrinterQuerying> printerCatalog;

    // Null: the marketplace page in Qt WebEngine.
    std::function<std::unique_ptr<MarketplacePage>()> makeMarketplacePage;

    LiveShowSetup liveShow;

    // The guard that receives later starts (the browser's sign-in callback); may be null.
    SingleInstanceGuard *instanceGuard = nullptr;
};

} // namespace quill
