#include "ui/app/sign_in_screen.h"

#include "app/app_state.h"
#include "ui/app/sign_in_view.h"

namespace quill {

std::unique_ptr<QWidget> makeSignInScreen(AppState &appState)
{
    return std::make_unique<SignInView>(appState.authManager());
}

} // namespace quill
