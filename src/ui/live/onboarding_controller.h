#pragma once

#include <QCoroTask>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

namespace quill {

class Settings;
class WhatnotSession;
class ZavAPIClient;

struct OnboardingStep
{
    QString id;
    QString title;
    QString subtitle;
    bool done = false;

    bool operator==(const OnboardingStep &) const = default;
};

// The "Getting Started" checklist: three first steps read afresh from the
// marketplace session and the seller's flags, kept in step with the onboarding
// record the backend holds, and "complete" posted when the last step gets done
// while a banner shows it. One controller serves every banner of a screen, so a
// page switch never posts twice.
class OnboardingController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OnboardingController)

public:
    // `api` null or without a token: nothing is asked nor posted.
    OnboardingController(WhatnotSession &session, ZavAPIClient *api, Settings &settings,
                         QObject *parent = nullptr);
    ~OnboardingController() override;

    static QString slug();
    static QString dismissedKey();
    // The flag a step id of the server's answer raises.
    static const QHash<QString, QString> &stepFlagKeys();

    QList<OnboardingStep> steps() const;
    int completedCount() const;
    std::optional<OnboardingStep> nextStep() const;
    bool isAllDone() const;
    bool isDismissed() const { return m_dismissed; }
    // The card is on screen when neither dismissed nor all done.
    bool isCardVisible() const { return !m_dismissed && !isAllDone(); }
    // A server answer was applied for the seller signed in now.
    bool isSyncedFromServer() const;
    bool isSyncing() const { return m_syncing; }
    int completionPostsFinished() const { return m_completionPostsFinished; }

    // Closes the checklist for good for the signed-in seller.
    void dismiss();
    // A banner came on screen or left it. Each showing reads the flags again and,
    // while the card shows, asks the server unless its answer is applied already.
    void bannerShown();
    void bannerHidden();

Q_SIGNALS:
    void changed();
    void syncFinished();
    void completionPostFinished(bool succeeded);

private:
    bool flag(const QString &key) const;
    Settings &settings() const;
    // Posts "complete" when all steps turn done while a banner shows them.
    void watchCompletion();
    QCoro::Task<> syncWithServer();
    QCoro::Task<> markCompleteOnServer();

    WhatnotSession &m_session;
    QPointer<ZavAPIClient> m_api;
    Settings &m_settings;
    bool m_dismissed = false;
    bool m_lastAllDone = false;
    bool m_syncing = false;
    int m_shownBanners = 0;
    int m_completionPostsFinished = 0;
    // The seller whose answer was applied (nullopt inside: nobody signed in); unset: none yet.
    std::optional<std::optional<QString>> m_syncedUser;
};

} // namespace quill
