#pragma once

#include "common/error.h"

#include <QByteArray>
#include <QCoroTask>
#include <QString>
#include <optional>

namespace quill {

// What the platform's Apple ID authorisation hands back. The name and e-mail are
// given only at the user's first authorisation.
struct AppleCredential
{
    std::optional<QByteArray> identityToken; // absent when the credential is not an Apple ID credential
    std::optional<QString> email;
    std::optional<QString> givenName;
    std::optional<QString> familyName;
};

// Asks the platform for an Apple ID credential (full name and e-mail scopes).
// Throws quill::Error when the request fails or the user cancels it.
class AppleIdentityProvider
{
public:
    virtual ~AppleIdentityProvider() = default;
    virtual QCoro::Task<AppleCredential> requestCredential() = 0;
};

// This platform has no native Apple ID authorisation.
class UnavailableAppleIdentityProvider final : public AppleIdentityProvider
{
public:
    QCoro::Task<AppleCredential> requestCredential() override;
};

} // namespace quill
