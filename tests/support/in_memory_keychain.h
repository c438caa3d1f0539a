#pragma once

#include "backend/keychain_service.h"

#include <QHash>

namespace quill {

// A token store in memory; a save can be made to fail.
class InMemoryKeychain final : public KeychainService
{
public:
    QCoro::Task<> save(QString value, QString account) override
    {
        if (m_failingSaves > 0) {
            --m_failingSaves;
            throw KeychainError::saveFailed(-1, QStringLiteral("store refused the write"));
        }
        m_items.insert(account, value);
        co_return;
    }

    QCoro::Task<std::optional<QString>> load(QString account) override
    {
        const auto it = m_items.constFind(account);
        if (it == m_items.constEnd())
            co_return std::nullopt;
        co_return std::optional<QString>(*it);
    }

    QCoro::Task<> remove(QString account) override
    {
        m_items.remove(account);
        co_return;
    }

    // The next `count` saves fail with KeychainError and change nothing.
    void failSaves(int count = 1) { m_failingSaves = count; }
    const QHash<QString, QString> &items() const { return m_items; }
    void setItem(const QString &account, const QString &value) { m_items.insert(account, value); }

private:
    QHash<QString, QString> m_items;
    int m_failingSaves = 0;
};

} // namespace quill
