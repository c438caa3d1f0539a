#pragma once

#include "backend/auth_manager.h"
#include "common/clock.h"
#include "common/settings.h"
#include "fake_sleeper.h"
#include "run_sync.h"
#include "standin_backend.h"
#include "temporary_settings.h"

#include <QCoroNetworkReply>
#include <QCoroSignal>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
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

// The seller's browser on the stand-in's Google page: picks the link whose address
// contains `choice`, follows it, and opens the address it is sent back to in the
// application, as the desktop would.
class StandinBrowser final
{
public:
    StandinBrowser(AuthManager *auth, QString choice) : m_auth(auth), m_choice(std::move(choice)) {}

    bool open(const QUrl &url)
    {
        m_opened.append(url);
        follow(url);
        return true;
    }
    const QList<QUrl> &opened() const { return m_opened; }

private:
    QCoro::Task<> follow(QUrl url)
    {
        QNetworkRequest pageRequest(url);
        std::unique_ptr<QNetworkReply> page(co_await m_network.get(pageRequest));
        const QString html = QString::fromUtf8(page->readAll());
        static const QRegularExpression linkPattern(QStringLiteral("href=\"([^\"]+)\""));
        auto matches = linkPattern.globalMatch(html);
        QString link;
        while (matches.hasNext()) {
            const QString candidate =
                matches.next().captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            if (candidate.contains(m_choice)) {
                link = candidate;
                break;
            }
        }
        if (link.isEmpty())
            co_return;
        QNetworkRequest choiceRequest(url.resolved(QUrl(link)));
        choiceRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                   QNetworkRequest::ManualRedirectPolicy);
        std::unique_ptr<QNetworkReply> answer(co_await m_network.get(choiceRequest));
        const QUrl back(QString::fromUtf8(answer->rawHeader("Location")));
        m_auth->handleCallbackURL(back);
    }

    AuthManager *m_auth;
    QString m_choice;
    QNetworkAccessManager m_network;
    QList<QUrl> m_opened;
};

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
