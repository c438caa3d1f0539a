#pragma once

// A dashboard controller on the stand-in backend: a staff member or a seller signed
// in through the sign-in manager, its token in the manager's token store.
#include "auth_fixtures.h"
#include "backend/show_sync_service.h"
#include "fake_sleeper.h"
#include "ui/app/dashboard_controller.h"
#include "ui/app/sidebar_section.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

namespace quill::testing {

class DashboardFixture : public AuthFixture
{
protected:
    void SetUp() override
    {
        AuthFixture::SetUp();
        m_previousSettings = Settings::setShared(m_settings.get());
        m_sync = std::make_unique<ShowSyncService>(*m_settings, m_sleeper);
        m_backend.addStaffEmail(QStringLiteral("staff@quillmark.app"));
    }
    void TearDown() override
    {
        m_controller.reset();
        m_sync.reset();
        Settings::setShared(m_previousSettings);
    }

    // Signs in through the manager, which stores the token as a real sign-in does.
    AuthManager &signIn(const QString &email)
    {
        AuthManager &auth = makeAuth();
        const QString token = m_backend.addUser(QStringLiteral("u1"), email);
        ZavUser user;
        user.id = QStringLiteral("u1");
        user.email = email;
        EXPECT_TRUE(runSync(auth.completeSignIn(token, user)));
        return auth;
    }

    DashboardController &controller(AuthManager &auth)
    {
        m_controller = std::make_unique<DashboardController>(auth, *m_sync, m_backend.baseUrl(), m_selection,
                                                             m_clock);
        return *m_controller;
    }

    void setRevenue(const QString &mrr, qint64 newThisMonth, qint64 churn)
    {
        QJsonObject stats;
        stats.insert(QStringLiteral("mrr"), mrr.toDouble());
        stats.insert(QStringLiteral("totalSubscribers"), 10);
        stats.insert(QStringLiteral("newThisMonth"), newThisMonth);
        stats.insert(QStringLiteral("churnThisMonth"), churn);
        m_backend.setStaffStatistics(QStringLiteral("revenue"), stats);
    }

    int overviewRequests() const
    {
        int count = 0;
        for (const auto &request : m_backend.requests())
            count += request.path.startsWith(QStringLiteral("/api/admin/")) ? 1 : 0;
        return count;
    }

    Settings *m_previousSettings = nullptr;
    std::unique_ptr<ShowSyncService> m_sync;
    SidebarSelection m_selection;
    FakeClock m_clock{QDateTime(QDate(2024, 5, 6), QTime(15, 41), Qt::UTC)};
    std::unique_ptr<DashboardController> m_controller;
};

} // namespace quill::testing
