#pragma once

// A signed-in seller against the stand-in backend over real HTTP, with user
// defaults and a data folder of the test's own.
#include "backend/zav_api_client.h"
#include "common/settings.h"
#include "standin_backend.h"
#include "temporary_settings.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace quill::testing {

class ShowsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        // The standard paths follow HOME, so each test gets its own data folder.
        m_previousHome = qgetenv("HOME");
        qputenv("HOME", m_home.path().toUtf8());

        ASSERT_NE(m_backend.listen(), 0);
        m_token = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
        m_client = std::make_unique<ZavAPIClient>(m_backend.baseUrl());
        m_client->setBearerToken(m_token);
    }

    void TearDown() override { qputenv("HOME", m_previousHome); }

    int requestCount(const QString &method, const QString &pathPrefix) const
    {
        int count = 0;
        for (const auto &request : m_backend.requests()) {
            if (request.method == method && request.path.startsWith(pathPrefix))
                ++count;
        }
        return count;
    }

    template <typename Predicate> static bool eventually(Predicate predicate)
    {
        return QTest::qWaitFor(predicate, 20000);
    }

    QTemporaryDir m_home;
    QByteArray m_previousHome;
    TemporarySettings m_settings;
    standin::StandinBackend m_backend;
    QString m_token;
    std::unique_ptr<ZavAPIClient> m_client;
};

} // namespace quill::testing
