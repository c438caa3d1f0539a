#include "backend/apple_identity_provider.h"

namespace quill {

QCoro::Task<AppleCredential> UnavailableAppleIdentityProvider::requestCredential()
{
    throw Error(QStringLiteral("Sign in with Apple is not available on this system"));
    co_return AppleCredential{};
}

} // namespace quill
