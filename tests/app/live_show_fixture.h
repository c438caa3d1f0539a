#pragma once

// The application's live show against the stand-in backend over real HTTP: the
// application's services built as the product builds them, with a marketplace page
// that answers the page scripts from a list of wins the test controls, CUPS tools
// that answer like a small scheduler, and pauses that either end at once (after a
// turn of the event loop) or wait until the test lets them end.
#include "../autoprint/autoprint_fakes.h"
#include "app/app_state.h"
#include "app/live_show_session.h"
#include "backend/auth_manager.h"
#include "backend/show_history_store.h"
#include "backend/show_sync_service.h"
#include "capture/auction_poller.h"
#include "capture/bidder_tracker.h"
#include "capture/live_page_scripts.h"
#include "capture/page_scripts.h"
#include "capture/whatnot_session.h"
#include "common/settings.h"
#include "common/user_scoped.h"
#include "eventually.h"
#include "fake_sleeper.h"
#include "gate.h"
#include "in_memory_keychain.h"
#include "named_printers.h"
#include "printing/auto_print_manager.h"
#include "printing/print_kit_adapter.h"
#include "standin_home_fixture.h"
#include "app/sold_auction_road.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTimer>
#include <deque>
#include <memory>

namespace quill::testing {

// Pauses of the durations in `held` wait until release(); every other pause ends
// after one turn of the event loop, so loops go round without real waiting.
class LiveSleeper final : public Sleeper
{
public:
    QCoro::Task<> sleep(std::chrono::milliseconds duration) override
    {
        m_requested.append(duration);
        if (held.contains(duration.count())) {
            m_gates.push_back({duration, std::make_unique<Gate>()});
            Gate *gate = m_gates.back().gate.get();
            co_await gate->wait();
            co_return;
        }
        Gate turn;
        QTimer::singleShot(0, [&turn] { turn.open(); });
        co_await turn.wait();
    }

    // Ends every held pause of this duration.
    void release(std::chrono::milliseconds duration)
    {
        for (auto &entry : m_gates)
            if (entry.duration == duration)
                entry.gate->open();
    }
    void releaseAll()
    {
        held.clear();
        for (auto &entry : m_gates)
            entry.gate->open();
    }
    int waiting(std::chrono::milliseconds duration) const
    {
        int count = 0;
        for (const auto &entry : m_gates)
            count += entry.duration == duration && !entry.gate->isOpen();
        return count;
    }
    int requested(std::chrono::milliseconds duration) const { return int(m_requested.count(duration)); }

    // The login check, the bidder read, the printer refresh and the retry of a show's start
    // wait unless told otherwise.
    QSet<qint64> held{2000, 2500, 3000, 30000};

private:
    struct Held
    {
        std::chrono::milliseconds duration;
        std::unique_ptr<Gate> gate;
    };
    QList<std::chrono::milliseconds> m_requested;
    std::deque<Held> m_gates;
};

// The live page as the page scripts see it: the wins on it, its title, and a record
// of every script run.
class LivePage final : public MarketplacePage
{
    class Host final : public PageScriptHost
    {
    public:
        explicit Host(LivePage &page) : m_page(page) {}
        QCoro::Task<QJsonValue> run(QString body) override { co_return m_page.answer(body); }

    private:
        LivePage &m_page;
    };

public:
    QUrl address;
    QList<QUrl> loads;
    QList<QJsonObject> wins; // oldest first, as the page lists its win notices
    QJsonValue titleAnswer = QStringLiteral("{\"title\":\"Friday cards\"}");
    QStringList scriptsRun; // names of the live scripts, in order
    int winScans = 0;
    bool crashed = false; // every script fails as after a render-process crash
    bool loading = false;

    QUrl url() const override { return address; }
    void load(const QUrl &url) override { loads.append(url); }
    bool isLoading() const override { return loading; }
    PageScriptHost &scriptHost() override { return m_host; }
    QWebEnginePage *webPage() const override { return nullptr; }
    QList<QNetworkCookie> cookies() const override { return {}; }
    QCoro::Task<> clearWebsiteData() override { co_return; }
    void setStorageWipePending(bool) override {}
    bool isStorageWipePending() const override { return false; }

    void addWin(const QString &user, const QString &price, qint64 number, const QString &title = {})
    {
        QJsonObject win{{QStringLiteral("winnerUsername"), user},
                        {QStringLiteral("salePrice"), price},
                        {QStringLiteral("auctionNumber"), number}};
        if (!title.isEmpty())
            win.insert(QStringLiteral("rawTitle"), title);
        wins.append(win);
    }

    void report(NavigationEvent::Kind kind, QString description = {})
    {
        NavigationEvent event;
        event.kind = kind;
        event.description = std::move(description);
        Q_EMIT navigationEvent(event);
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }
    // The page committed and finished a load of `url`.
    void arrive(const QUrl &url)
    {
        address = url;
        report(NavigationEvent::Kind::startedProvisionalNavigation);
        report(NavigationEvent::Kind::committed);
        report(NavigationEvent::Kind::finished);
    }
    int scriptRuns(LivePageScripts::Script script) const
    {
        return int(scriptsRun.count(LivePageScripts::name(script)));
    }

private:
    QJsonValue answer(const QString &body)
    {
        if (crashed)
            throw PageScriptError(PageScriptError::Kind::rendererCrashed, QStringLiteral("The page crashed"));
        if (body == PageScripts::winScan()) {
            ++winScans;
            QJsonArray results;
            for (const QJsonObject &win : std::as_const(wins))
                results.append(win);
            const QJsonObject answer{{QStringLiteral("url"), address.toString()},
                                     {QStringLiteral("count"), results.size()},
                                     {QStringLiteral("results"), results}};
            return QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact));
        }
        if (body == PageScripts::bidObserver())
            return QStringLiteral("installed");
        if (body == PageScripts::bidderRead())
            return QStringLiteral("{\"count\":0,\"bidders\":[]}");
        for (const auto script :
             {LivePageScripts::Script::cleanStream, LivePageScripts::Script::removeCleanStream,
              LivePageScripts::Script::pictureInPicture, LivePageScripts::Script::removePictureInPicture,
              LivePageScripts::Script::mute, LivePageScripts::Script::streamTitle}) {
            if (body == LivePageScripts::text(script)) {
                scriptsRun.append(LivePageScripts::name(script));
                return script == LivePageScripts::Script::streamTitle ? titleAnswer : QJsonValue();
            }
        }
        return QJsonValue(); // the login check and the rest: nothing to report
    }

    Host m_host{*this};
};

class LiveShowFixture : public StandinHomeFixture
{
protected:
    static inline const QString kSeller = QStringLiteral("seller-1");
    static inline const QString kStream = QStringLiteral("show-42");
    static inline const QString kQueue = QStringLiteral("Labels");

    void SetUp() override
    {
        StandinHomeFixture::SetUp();
        UserScoped::setCurrentUser(std::nullopt, *m_settings);
        QDir(m_home.path()).mkpath(QStringLiteral("ppd"));
        for (const char *kind : {"individual", "box"}) {
            const QString prefix = QStringLiteral("label_%1_").arg(QLatin1String(kind));
            m_settings->setString(prefix + QStringLiteral("printer"), kQueue);
        }
        m_token = m_backend.addUser(kSeller, QStringLiteral("seller@example.com"));
        m_tokens.setItem(QStringLiteral("session_token"), m_token);
    }

    void TearDown() override
    {
        destroyApp();
        UserScoped::setCurrentUser(std::nullopt, *m_settings);
        StandinHomeFixture::TearDown();
    }

    // A run of the program over this test's data folder, settings and keychain,
    // started and signed in to the backend. The marketplace page is on the stream's live page.
    void startApp()
    {
        AppSetup setup;
        setup.apiBaseURL = m_backend.baseUrl();
        setup.marketplaceHomeURL = QUrl(QStringLiteral("https://market.example/"));
        setup.marketplaceLivePrefix = QStringLiteral("https://market.example/live/");
        setup.settings = m_settings.get();
        setup.sleeper = &m_sleeper;
        setup.clock = &m_clock;
        setup.keychain = std::make_unique<InMemoryKeychainView>(m_tokens);
        setup.processRunner = &m_runner;
        setup.cupsTools.lp = FakeCups::lp;
        setup.cupsTools.lpstat = FakeCups::lpstat;
        setup.cupsTools.cancel = FakeCups::cancel;
        setup.cupsTools.cupsenable = FakeCups::cupsenable;
        setup.cupsTools.ppdDirectory = m_home.filePath(QStringLiteral("ppd"));
        setup.printerCatalog = m_catalog;
        setup.liveShow.locale = QLocale::c();
        setup.liveShow.startRetryDelays = {std::chrono::milliseconds(2500)};
        setup.makeMarketplacePage = [this] {
            auto page = std::make_unique<LivePage>();
            m_page = page.get();
            return page;
        };
        m_app = std::make_unique<AppState>(std::move(setup));
        m_page->address = liveURL(kStream);
        auto start = m_app->start();
        ASSERT_TRUE(eventually([&] { return m_app->completedStarts() > 0; }));
        // The marketplace onboarding report is the session's business; left out here, no
        // request outlives a run of the program.
        m_app->whatnotSession().setApi(nullptr);
        QObject::connect(&show(), &LiveShowSession::captureTaskFinished, m_app.get(),
                         [this] { ++m_captureTasksDone; });
        appStarted();
    }

    // A screen over the run comes and goes with it.
    virtual void appStarted() {}
    virtual void appEnding() {}

    void destroyApp()
    {
        // Let the answers still on their way arrive: a request whose client goes away
        // never resumes its task.
        if (m_app) {
            const ZavAPIClient &client = m_app->authManager().api();
            eventually([&] {
                return !m_app->showHistoryStore().isLoading() && !sync().isUploading() &&
                       client.requestsInFlight() == 0;
            });
            qsizetype seen = -1;
            for (int quiet = 0, turn = 0; quiet < 40 && turn < 1000; ++turn) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                const qsizetype now = m_backend.requests().size();
                quiet = now == seen && client.requestsInFlight() == 0 ? quiet + 1 : 0;
                seen = now;
            }
        }
        appEnding();
        if (m_app) {
            m_app->auctionPoller().reset();
            m_app->bidderTracker().reset();
        }
        m_app.reset();
        m_page = nullptr;
        m_sleeper.releaseAll();
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        m_sleeper.held = LiveSleeper().held;
    }

    static QUrl liveURL(const QString &stream)
    {
        return QUrl(QStringLiteral("https://market.example/live/") + stream);
    }

    // Signed in to the marketplace with the stream chosen, the screen shown with its
    // live content; waits until the capture task has run.
    void openLiveShow(const QString &stream = kStream)
    {
        const int done = m_captureTasksDone;
        session().setAuthenticated(true);
        sync().setActiveStreamId(stream);
        show().screenShown();
        show().liveContentShown();
        ASSERT_TRUE(eventually([&] { return m_captureTasksDone > done; }));
    }

    // A live show with printing on.
    void openPrintingShow()
    {
        startApp();
        openLiveShow();
        show().togglePrinting();
    }

    // The program ends and starts again over the same data, settings and keychain; the
    // page still shows every earlier win.
    void restartOverTheSamePage()
    {
        const QList<QJsonObject> wins = page().wins;
        destroyApp();
        startApp();
        page().wins = wins;
    }

    void showWin(const QString &user, const QString &price, qint64 number)
    {
        m_page->addWin(user, price, number);
    }

    // Winner and box labels submitted to the fake scheduler.
    int submissions() const { return int(m_cups.submissions().size()); }

    bool printedAll()
    {
        const QList<PrintJob> &jobs = autoPrint().printJobs();
        return !autoPrint().isProcessing() && std::all_of(jobs.begin(), jobs.end(), [](const PrintJob &job) {
            return job.status.kind == PrintJob::Status::Kind::done;
        });
    }

    // A live show of the seller's on the backend, as an earlier run left it; its id.
    QString addLiveShow(const QString &title)
    {
        standin::StandinShow show;
        show.userId = kSeller;
        show.title = title;
        show.status = QStringLiteral("live");
        return m_backend.addShow(show);
    }

    QList<standin::StandinAuction> backendAuctions() const
    {
        const QList<standin::StandinShow> shows = m_backend.shows(kSeller);
        return shows.isEmpty() ? QList<standin::StandinAuction>() : m_backend.auctions(shows.first().id);
    }

    LiveShowSession &show() { return m_app->liveShow(); }
    WhatnotSession &session() { return m_app->whatnotSession(); }
    ShowSyncService &sync() { return m_app->showSyncService(); }
    AuctionPoller &poller() { return m_app->auctionPoller(); }
    AutoPrintManager &autoPrint() { return m_app->autoPrintManager(); }
    LivePage &page() { return *m_page; }

    using NamedPrinters = testing::NamedPrinters;

    // Every CUPS tool run, in order, before the fake scheduler answers it.
    class RecordingRunner final : public ProcessRunner
    {
    public:
        explicit RecordingRunner(FakeCups &cups) : m_cups(cups) {}
        QCoro::Task<ProcessResult> run(ProcessRequest request) override
        {
            runs.append(request.program.section(QLatin1Char('/'), -1) + QLatin1Char(' ') +
                        request.arguments.join(QLatin1Char(' ')));
            co_return co_await m_cups.run(std::move(request));
        }
        QStringList runs;

    private:
        FakeCups &m_cups;
    };

    // The keychain outlives each run of the program, as the login keyring does.
    class InMemoryKeychainView final : public KeychainService
    {
    public:
        explicit InMemoryKeychainView(InMemoryKeychain &store) : m_store(store) {}
        QCoro::Task<> save(QString value, QString account) override { co_await m_store.save(value, account); }
        QCoro::Task<std::optional<QString>> load(QString account) override
        {
            co_return co_await m_store.load(account);
        }
        QCoro::Task<> remove(QString account) override { co_await m_store.remove(account); }

    private:
        InMemoryKeychain &m_store;
    };

    LiveSleeper m_sleeper;
    FakeClock m_clock{QDateTime(QDate(2026, 3, 5), QTime(12, 0), Qt::UTC)}; // noon, 5 March 2026
    FakeCups m_cups{{kQueue, QStringLiteral("Boxes"), QStringLiteral("Spare")}};
    RecordingRunner m_runner{m_cups};
    std::shared_ptr<NamedPrinters> m_catalog = std::make_shared<NamedPrinters>();
    InMemoryKeychain m_tokens;
    QString m_token;
    std::unique_ptr<AppState> m_app;
    LivePage *m_page = nullptr;
    int m_captureTasksDone = 0;
};

} // namespace quill::testing
