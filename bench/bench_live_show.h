#pragma once

// What the live-screen benchmarks share: the application's services over a settings
// file of the benchmark's own, pauses that end at once, and numbered wins.
#include "app/app_state.h"
#include "capture/auction_poller.h"
#include "common/settings.h"

#include <QTemporaryDir>
#include <memory>

namespace quill::bench {

class ImmediateSleeper final : public Sleeper
{
public:
    QCoro::Task<> sleep(std::chrono::milliseconds) override { co_return; }
};

// One settings file for the whole program, installed as the shared one: stores that
// the services create on first use read it.
inline Settings &benchSettings()
{
    static QTemporaryDir folder;
    static Settings settings(folder.filePath(QStringLiteral("settings.ini")));
    static const bool installed = (Settings::setShared(&settings), true);
    Q_UNUSED(installed);
    return settings;
}

// The services of one run of the program.
struct BenchApp
{
    ImmediateSleeper sleeper;
    std::unique_ptr<AppState> app;

    BenchApp()
    {
        AppSetup setup;
        setup.settings = &benchSettings();
        setup.sleeper = &sleeper;
        app = std::make_unique<AppState>(std::move(setup));
    }
};

// Win `number` of a show whose buyers are buyer0 … buyer<buyers - 1>, in turn.
inline void addWin(AuctionPoller &poller, int number, int buyers, bool titled = false)
{
    RawAuction raw;
    raw.winnerUsername = QStringLiteral("buyer%1").arg(number % buyers);
    raw.salePrice = QStringLiteral("%1.%2").arg(1 + number % 97).arg(number % 100);
    raw.auctionNumber = number;
    if (titled)
        raw.rawTitle = QStringLiteral("Card lot %1").arg(number);
    poller.ingest(raw);
}

} // namespace quill::bench
