#pragma once

// The onboarding checklist's controller against the stand-in backend over real HTTP,
// with a marketplace session on a page that runs no scripts.
#include "../shell/shell_fixture.h"
#include "../shows/shows_fixture.h"
#include "capture/whatnot_session.h"
#include "common/user_scoped.h"
#include "log_capture.h"
#include "run_sync.h"
#include "ui/live/onboarding_controller.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

namespace quill::testing {

class OnboardingFixture : public ShowsFixture
{
protected:
    static inline const char *kCategory = "app.quillmark.Quillmark.Onboarding";
    static inline const QString kStatusPath = QStringLiteral("/api/onboarding/quillmark");

    void SetUp() override
    {
        ShowsFixture::SetUp();
        UserScoped::setCurrentUser(QStringLiteral("u1"), m_settings.get());
        WhatnotSessionOptions options;
        options.settings = m_settings.get();
        options.page = std::make_unique<QuietPage>();
        m_session = std::make_unique<WhatnotSession>(std::move(options));
    }

    void TearDown() override
    {
        // A post still on its way would outlive the client.
        eventually([&] { return m_client->requestsInFlight() == 0; });
        m_controllers.clear();
        m_session.reset();
        UserScoped::setCurrentUser(std::nullopt, nullptr);
        ShowsFixture::TearDown();
    }

    OnboardingController &makeController()
    {
        m_controllers.push_back(
            std::make_unique<OnboardingController>(*m_session, m_client.get(), *m_settings));
        return *m_controllers.back();
    }

    // Shows a banner of `controller` and waits for the server's answer to be applied.
    void showAndSync(OnboardingController &controller)
    {
        int finished = 0;
        QObject context;
        QObject::connect(&controller, &OnboardingController::syncFinished, &context, [&] { ++finished; });
        controller.bannerShown();
        ASSERT_TRUE(controller.isSyncing());
        ASSERT_TRUE(eventually([&] { return finished == 1; }));
    }

    // The server's record for "u1", as another part of the app would have reported it.
    void serverHasSteps(const QStringList &steps)
    {
        for (const QString &step : steps)
            runSync(m_client->completeOnboardingStep(OnboardingController::slug(), step));
    }
    void serverHasCompleted() { runSync(m_client->completeOnboarding(OnboardingController::slug())); }

    int statusRequests() const { return requestCount(QStringLiteral("GET"), kStatusPath); }
    int completePosts() const
    {
        int count = 0;
        for (const auto &request : m_backend.requests()) {
            if (request.method == QLatin1String("POST") && request.path == kStatusPath &&
                QJsonDocument::fromJson(request.body).object().value(QStringLiteral("action")).toString() ==
                    QLatin1String("complete"))
                ++count;
        }
        return count;
    }

    bool stored(const QString &key) const { return m_settings->contains(key); }
    bool storedTrue(const QString &key) const { return m_settings->boolValue(key); }

    void setLocalFlag(const QString &key) { UserScoped::setValue(key, true, *m_settings); }

    std::unique_ptr<WhatnotSession> m_session;
    std::vector<std::unique_ptr<OnboardingController>> m_controllers;
};

} // namespace quill::testing
