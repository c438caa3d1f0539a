#pragma once

// A signed-in seller against the stand-in backend over real HTTP, with user
// defaults and a data folder of the test's own.
#include "backend/zav_api_client.h"
#include "standin_home_fixture.h"

#include <QFile>

#include <memory>

namespace quill::testing {

// A file's bytes; empty when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

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

    // A live show of the signed-in seller on the backend; gives its id.
    QString liveShow(const QString &title)
    {
        standin::StandinShow show;
        show.userId = QStringLiteral("u1");
        show.title = title;
        show.status = QStringLiteral("live");
        return m_backend.addShow(show);
    }

    QString m_token;
    std::unique_ptr<ZavAPIClient> m_client;
};

} // namespace quill::testing
