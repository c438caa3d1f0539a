#pragma once

#include "common/error.h"

#include <QCoroTask>
#include <QString>
#include <optional>

namespace quill {

// Storing a secret failed. `status` is the store's own error code.
class KeychainError : public Error
{
public:
    enum class Kind
    {
        saveFailed
    };

    static KeychainError saveFailed(int status, const QString &detail);

    Kind kind() const { return m_kind; }
    int status() const { return m_status; }

private:
    KeychainError(Kind kind, int status, QString message)
        : Error(std::move(message)), m_kind(kind), m_status(status)
    {
    }
    Kind m_kind;
    int m_status;
};

// Small secret texts (the backend session token) kept between launches.
//
// `save` replaces the stored value in one step: the previous value stays in place
// until the new one is stored, so a failed save never loses a good session.
// `load` never throws: a failed read counts as "nothing stored". `remove` never
// throws and reports nothing.
class KeychainService
{
public:
    virtual ~KeychainService() = default;

    virtual QCoro::Task<> save(QString value, QString account) = 0;
    virtual QCoro::Task<std::optional<QString>> load(QString account) = 0;
    virtual QCoro::Task<> remove(QString account) = 0;
};

// The user's login keyring through the Secret Service. Jobs of one process run one
// at a time (the keyring library queues them), so operations never overlap.
class SystemKeychain final : public KeychainService
{
public:
    explicit SystemKeychain(QString service);

    const QString &service() const { return m_service; }

    QCoro::Task<> save(QString value, QString account) override;
    QCoro::Task<std::optional<QString>> load(QString account) override;
    QCoro::Task<> remove(QString account) override;

private:
    QString m_service;
};

} // namespace quill
