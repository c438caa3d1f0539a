#pragma once

#include "backend/auth_manager.h"
#include "common/clock.h"
#include "common/settings.h"
#include "fake_sleeper.h"
#include "in_memory_keychain.h"
#include "run_sync.h"
#include "standin_backend.h"
#include "standin_browser.h"
#include "temporary_settings.h"

#include <QCoroSignal>
#include <gtest/gtest.h>

namespace quill::testing {

class FakeAppleProvider final : public AppleIdentityProvider
{
public:
    explicit FakeAppleProvider(AppleCredential credential) : m_credential(std::move(credential)) {}
    explicit FakeAppleProvider(QString failure) : m_failure(std::move(failure)) {}

    QCoro::Task<AppleCredential> requestCredential() override
    {
        if (m_failure)
            throw Error(*m_failure);
        co_return AppleCredential(m_credential);
    }

private:
    AppleCredential m_credential;
    std::optional<QString> m_failure;
};

// Callback addresses the browser is sent back to go straight to the manager.
inline StandinBrowser::Deliver deliverTo(AuthManager &auth)
{
    return [&auth](const QUrl &url) { auth.handleCallbackURL(url); };
}

// An AuthManager on the stand-in backend, an in-memory token store and a private
// settings file.
class AuthFixture : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(m_backend.listen(), 0); }
    // A sign-in's time-out waits on the sleeper; ending it lets its task finish.
    void TearDown() override { m_sleeper.releaseAll(); }

    AuthManager &makeAuth(std::unique_ptr<AppleIdentityProvider> apple = nullptr,
                          std::optional<QUrl> base = {})
    {
        AuthSeams seams;
        auto keychain = std::make_unique<InMemoryKeychain>();
        m_keychain = keychain.get();
        seams.keychain = std::move(keychain);
        seams.appleProvider = std::move(apple);
        seams.openUrl = [this](const QUrl &url) { return m_opener ? m_opener(url) : true; };
        seams.sleeper = &m_sleeper;
        seams.settings = m_settings.get();
        m_auth = std::make_unique<AuthManager>(base.value_or(m_backend.baseUrl()), std::move(seams));
        return *m_auth;
    }

    std::optional<QString> storedToken() const
    {
        const auto &items = m_keychain->items();
        const auto it = items.constFind(QStringLiteral("session_token"));
        return it == items.constEnd() ? std::nullopt : std::optional<QString>(*it);
    }

    standin::StandinBackend m_backend;
    TemporarySettings m_settings;
    HeldSleeper m_sleeper;
    std::function<bool(const QUrl &)> m_opener;
    InMemoryKeychain *m_keychain = nullptr;
    std::unique_ptr<AuthManager> m_auth;
};

} // namespace quill::testing
