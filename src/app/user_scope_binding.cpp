#include "app/user_scope_binding.h"

#include "app/user_scoped.h"
#include "backend/auth_manager.h"

namespace quill {

void bindUserScopeToAccount(AuthManager &auth, Settings *settings)
{
    QObject::connect(&auth, &AuthManager::accountChanged, &auth,
                     [settings](const std::optional<QString> &userId) {
                         UserScoped::setCurrentUser(userId, settings ? *settings : Settings::shared());
                     });
}

} // namespace quill
