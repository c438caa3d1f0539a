#pragma once

// A signed-in seller against the stand-in backend over real HTTP, with user
// defaults and a data folder of the test's own.
#include "backend/zav_api_client.h"
#include "standin_home_fixture.h"

#include <memory>

namespace quill::testing {

class ShowsFixture : public StandinHomeFixture
{
protected:
    void SetUp() override
    {
        StandinHomeFixture::SetUp();
        m_token = m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
        m_client = std::make_unique<ZavAPIClient>(m_backend.baseUrl());
        m_client->setBearerToken(m_token);
    }

    QString m_token;
    std::unique_ptr<ZavAPIClient> m_client;
};

} // namespace quill::testing
