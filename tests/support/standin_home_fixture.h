#pragma once

// A test with a data folder and user defaults of its own and the stand-in backend
// on a free port, over real HTTP.
#include "common/settings.h"
#include "eventually.h"
#include "standin_backend.h"
#include "temporary_settings.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace quill::testing {

class StandinHomeFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        // The standard paths follow HOME, so each test gets its own data folder.
        m_previousHome = qgetenv("HOME");
        qputenv("HOME", m_home.path().toUtf8());
        ASSERT_NE(m_backend.listen(), 0);
    }

    void TearDown() override
    {
        qputenv("HOME", m_previousHome);
    }

    int requestCount(const QString &method, const QString &pathPrefix) const
    {
        int count = 0;
        for (const auto &request : m_backend.requests()) {
            if (request.method == method && request.path.startsWith(pathPrefix))
                ++count;
        }
        return count;
    }

    QTemporaryDir m_home;
    QByteArray m_previousHome;
    TemporarySettings m_settings;
    standin::StandinBackend m_backend;
};

} // namespace quill::testing
