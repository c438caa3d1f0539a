#include "app/user_scope_binding.h"

#include "backend/auth_manager.h"
#include "common/logging.h"
#include "common/user_scoped.h"

namespace quill {

void bindUserScopeToAccount(AuthManager &auth, Settings *settings)
{
    QObject::connect(&auth, &AuthManager::accountChanged, &auth,
                     [settings](const std::optional<QString> &userId) {
                         if (!settings)
                             qCCritical(lcAuth, "Per-user flags without a settings store");
                         // Switches even without a store, so the previous seller's flags never carry over.
                         UserScoped::setCurrentUser(userId, settings);
                     });
}

} // namespace quill
