#include "ui/live/onboarding_controller.h"

#include "backend/zav_api_client.h"
#include "capture/whatnot_session.h"
#include "common/detached_task.h"
#include "common/error.h"
#include "common/settings.h"
#include "common/user_scoped.h"

#include <QLoggingCategory>
#include <algorithm>

namespace quill {

namespace {
Q_LOGGING_CATEGORY(lcOnboarding, "app.quillmark.Quillmark.Onboarding")
} // namespace

OnboardingController::OnboardingController(WhatnotSession &session, ZavAPIClient *api, Settings &settings,
                                           QObject *parent)
    : QObject(parent), m_session(session), m_api(api), m_settings(settings)
{
    m_dismissed = flag(dismissedKey());
    m_lastAllDone = isAllDone();
    connect(&m_session, &WhatnotSession::isAuthenticatedChanged, this, [this] {
        watchCompletion();
        Q_EMIT changed();
    });
}

OnboardingController::~OnboardingController() = default;

QString OnboardingController::slug()
{
    return QStringLiteral("quillmark");
}

QString OnboardingController::dismissedKey()
{
    return QStringLiteral("onboarding_dismissed");
}

const QHash<QString, QString> &OnboardingController::stepFlagKeys()
{
    static const QHash<QString, QString> keys{
        {QStringLiteral("whatnot"), QStringLiteral("whatnot_authenticated")},
        {QStringLiteral("test_print"), QStringLiteral("has_test_printed")},
        {QStringLiteral("live_show"), QStringLiteral("has_started_live_show")},
    };
    return keys;
}

Settings &OnboardingController::settings() const
{
    return m_settings;
}

bool OnboardingController::flag(const QString &key) const
{
    return UserScoped::value(key, settings());
}

QList<OnboardingStep> OnboardingController::steps() const
{
    return {
        {QStringLiteral("whatnot"), QStringLiteral("Log into Whatnot"),
         QStringLiteral("Sign into your Whatnot account to capture live auctions."),
         m_session.isAuthenticated()},
        {QStringLiteral("test_print"), QStringLiteral("Configure & Test Print"),
         QStringLiteral("Choose your label style, paper size, and print a test label."),
         flag(QStringLiteral("has_test_printed"))},
        {QStringLiteral("live_show"), QStringLiteral("Start a Live Show"),
         QStringLiteral("Paste your Whatnot show URL and Quillmark will capture auctions automatically."),
         flag(QStringLiteral("has_started_live_show"))},
    };
}

int OnboardingController::completedCount() const
{
    const auto all = steps();
    return int(std::count_if(all.cbegin(), all.cend(), [](const OnboardingStep &step) { return step.done; }));
}

std::optional<OnboardingStep> OnboardingController::nextStep() const
{
    for (const OnboardingStep &step : steps()) {
        if (!step.done)
            return step;
    }
    return std::nullopt;
}

bool OnboardingController::isAllDone() const
{
    return !nextStep().has_value();
}

bool OnboardingController::isSyncedFromServer() const
{
    return m_syncedUser && *m_syncedUser == UserScoped::currentUserId();
}

void OnboardingController::dismiss()
{
    m_dismissed = true;
    UserScoped::setValue(dismissedKey(), true, settings());
    Q_EMIT changed();
}

void OnboardingController::bannerShown()
{
    // The steps may have been done elsewhere while no banner showed them: that is
    // settled first, so a banner that first shows everything done posts nothing.
    watchCompletion();
    ++m_shownBanners;
    // Read again: another seller may have signed in since.
    m_dismissed = flag(dismissedKey());
    Q_EMIT changed();
    if (isCardVisible() && !isSyncedFromServer() && !m_syncing && m_api && m_api->bearerToken())
        startDetached(syncWithServer(), lcOnboarding(), "Onboarding sync");
}

void OnboardingController::bannerHidden()
{
    // A page switch caused by the last step hides the banner before the step's own
    // signal arrives here: the change is seen while the banner still counts as shown.
    watchCompletion();
    if (m_shownBanners > 0)
        --m_shownBanners;
}

void OnboardingController::watchCompletion()
{
    const bool allDone = isAllDone();
    const bool turnedDone = allDone && !m_lastAllDone;
    m_lastAllDone = allDone;
    if (turnedDone && m_shownBanners > 0 && !m_dismissed)
        startDetached(markCompleteOnServer(), lcOnboarding(), "Onboarding completion");
}

QCoro::Task<> OnboardingController::syncWithServer()
{
    QPointer<OnboardingController> self(this);
    QPointer<ZavAPIClient> api = m_api;
    const std::optional<QString> user = UserScoped::currentUserId();
    m_syncing = true;
    std::optional<OnboardingStatusResponse> status;
    try {
        status = co_await api->fetchOnboardingStatus(slug());
    } catch (const std::exception &error) {
        qCCritical(lcOnboarding, "Failed to fetch onboarding status: %s",
                   qUtf8Printable(errorMessage(error)));
    }
    if (!self)
        co_return;
    m_syncing = false;
    // An answer about a seller who is no longer signed in is not theirs to apply.
    if (status && UserScoped::currentUserId() == user) {
        if (status->completed) {
            m_dismissed = true;
            UserScoped::setValue(dismissedKey(), true, settings());
            qCInfo(lcOnboarding, "Onboarding already completed on server — dismissed");
        } else {
            for (const QString &stepId : status->completedSteps.value_or(QStringList())) {
                const QString key = stepFlagKeys().value(stepId);
                if (key.isEmpty() || flag(key))
                    continue;
                UserScoped::setValue(key, true, settings());
                qCInfo(lcOnboarding, "Hydrated step from server: %s", qUtf8Printable(stepId));
            }
            m_syncedUser = user;
            watchCompletion();
        }
        Q_EMIT changed();
    }
    Q_EMIT syncFinished();
}

QCoro::Task<> OnboardingController::markCompleteOnServer()
{
    QPointer<OnboardingController> self(this);
    QPointer<ZavAPIClient> api = m_api;
    bool succeeded = false;
    if (!api) {
        qCCritical(lcOnboarding, "Failed to mark onboarding complete on server: no backend client");
    } else {
        try {
            co_await api->completeOnboarding(slug());
            succeeded = true;
            qCInfo(lcOnboarding, "Onboarding marked complete on server");
        } catch (const std::exception &error) {
            qCCritical(lcOnboarding, "Failed to mark onboarding complete on server: %s",
                       qUtf8Printable(errorMessage(error)));
        }
    }
    if (!self)
        co_return;
    ++m_completionPostsFinished;
    Q_EMIT completionPostFinished(succeeded);
}

} // namespace quill
