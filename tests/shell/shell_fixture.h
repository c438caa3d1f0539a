#pragma once

// The whole shell against the stand-in backend over real HTTP: an in-memory token
// store, a settings file and data folder of the test's own, a printer catalog that
// counts its refreshes, a marketplace page without a browser engine, and pauses
// that last until the test ends.
#include "app/app_state.h"
#include "common/user_scoped.h"
#include "backend/auth_manager.h"
#include "backend/show_history_store.h"
#include "backend/show_sync_service.h"
#include "capture/whatnot_session.h"
#include "printing/label_section_state.h"
#include "printing/print_kit_adapter.h"
#include "common/settings.h"
#include "gate.h"
#include "in_memory_keychain.h"
#include "fake_sleeper.h"
#include "standin_home_fixture.h"

#include <QTemporaryDir>
#include <QUuid>

#include <memory>

namespace quill::testing {

class CountingCatalog final : public printkit::PrinterQuerying
{
public:
    QCoro::Task<QList<printkit::PrinterDescriptor>> availablePrinters() override
    {
        ++refreshes;
        co_return QList<printkit::PrinterDescriptor>{};
    }
    QCoro::Task<std::optional<printkit::PrinterDescriptor>> defaultPrinter() override { co_return std::nullopt; }
    QCoro::Task<std::optional<printkit::PrinterDescriptor>> preferredPrinter(QStringList) override
    {
        co_return std::nullopt;
    }
    int refreshes = 0;
};

// The session token store; while `loadGate` is set, a read waits until it opens.
class GatedKeychain final : public KeychainService
{
public:
    explicit GatedKeychain(InMemoryKeychain &store) : m_store(store) {}
    QCoro::Task<> save(QString value, QString account) override { co_await m_store.save(value, account); }
    // The value is read first, then held: like a restore whose check with the backend is slow.
    QCoro::Task<std::optional<QString>> load(QString account) override
    {
        ++loads;
        std::optional<QString> value = co_await m_store.load(account);
        if (loadGate)
            co_await loadGate->wait();
        co_return value;
    }
    QCoro::Task<> remove(QString account) override { co_await m_store.remove(account); }

    Gate *loadGate = nullptr;
    int loads = 0;

private:
    InMemoryKeychain &m_store;
};

class QuietPage final : public MarketplacePage
{
    class NoScripts final : public PageScriptHost
    {
    public:
        QCoro::Task<QJsonValue> run(QString) override
        {
            throw PageScriptError(PageScriptError::Kind::pageGone, QStringLiteral("No page in this test"));
            co_return QJsonValue();
        }
    };

public:
    // Takes every address at once, without content.
    QUrl url() const override { return m_url; }
    void load(const QUrl &url) override { m_url = url; }
    PageScriptHost &scriptHost() override { return m_host; }
    QWebEnginePage *webPage() const override { return nullptr; }
    QList<QNetworkCookie> cookies() const override { return {}; }
    QCoro::Task<> clearWebsiteData() override { co_return; }
    void setStorageWipePending(bool) override {}
    bool isStorageWipePending() const override { return false; }

private:
    NoScripts m_host;
    QUrl m_url;
};

class ShellFixture : public StandinHomeFixture
{
protected:
    void SetUp() override
    {
        StandinHomeFixture::SetUp();
        UserScoped::setCurrentUser(std::nullopt, *m_settings);
    }

    void TearDown() override
    {
        if (m_appState)
            settle(*m_appState);
        m_appState.reset();
        // Loops still waiting find their service gone and end.
        m_sleeper.releaseAll();
        UserScoped::setCurrentUser(std::nullopt, *m_settings);
        StandinHomeFixture::TearDown();
    }

    // Everything the services run on, pointed at this test's stand-ins.
    AppSetup setup()
    {
        AppSetup setup;
        setup.apiBaseURL = m_backend.baseUrl();
        setup.marketplaceHomeURL = QUrl(QStringLiteral("http://127.0.0.1:9/"));
        setup.marketplaceLivePrefix = QStringLiteral("http://127.0.0.1:9/live/");
        setup.settings = m_settings.get();
        setup.sleeper = &m_sleeper;
        auto keychain = std::make_unique<GatedKeychain>(m_tokens);
        m_keychain = keychain.get();
        setup.keychain = std::move(keychain);
        setup.openUrl = [this](const QUrl &url) { return m_opener ? m_opener(url) : true; };
        setup.printerCatalog = m_catalog;
        setup.makeMarketplacePage = [] { return std::make_unique<QuietPage>(); };
        return setup;
    }

    AppState &makeAppState() { return makeAppState(setup()); }
    AppState &makeAppState(AppSetup setup)
    {
        if (m_appState)
            settle(*m_appState);
        m_appState = std::make_unique<AppState>(std::move(setup));
        return *m_appState;
    }

    // A seller with a stored session, as after an earlier run.
    QString storeSession(const QString &id, const QString &email)
    {
        const QString token = m_backend.addUser(id, email);
        m_tokens.setItem(QStringLiteral("session_token"), token);
        return token;
    }

    // A seller with a stored session, started up.
    AppState &startSignedIn(const QString &id, const QString &email)
    {
        storeSession(id, email);
        AppState &app = makeAppState();
        startAndWait(app);
        return app;
    }

    void startAndWait(AppState &state)
    {
        auto task = state.start();
        ASSERT_TRUE(eventually([&] { return !state.isStarting(); }));
    }

    // Requests still in flight when the services go would leave their tasks waiting for ever.
    static void settle(AppState &state)
    {
        eventually([&] {
            return !state.isStarting() && !state.showHistoryStore().isLoading() &&
                   state.authManager().api().requestsInFlight() == 0;
        });
    }

    // Both label types print to `queue`, on a 4×6 and a 1×2 label, as the Labels screen saves them.
    void saveLabelPrinters(const QString &queue)
    {
        for (int labelType : {0, 1}) {
            LabelSectionState state = LabelSectionState::defaults(labelType);
            state.selectedPrinter = queue;
            state.selectedMedia = labelType == 0 ? LabelMedia::shipping4x6() : LabelMedia::rect1x2();
            ASSERT_FALSE(state.save(labelType, *m_settings).has_value());
        }
    }

    // An instance folder that goes with the test (an app that ends leaves its folder).
    QString uniqueServerName()
    {
        return m_instanceFolders.filePath(QUuid::createUuid().toString(QUuid::Id128));
    }

    QTemporaryDir m_instanceFolders;
    HeldSleeper m_sleeper;
    InMemoryKeychain m_tokens;
    GatedKeychain *m_keychain = nullptr;
    std::shared_ptr<CountingCatalog> m_catalog = std::make_shared<CountingCatalog>();
    std::function<bool(const QUrl &)> m_opener;
    std::unique_ptr<AppState> m_appState;
};

} // namespace quill::testing
