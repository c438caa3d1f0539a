#include "ui/app/sign_in_controller.h"

#include "backend/auth_manager.h"
#include "common/detached_task.h"
#include "common/logging.h"

#include <QPointer>

namespace quill {

SignInController::SignInController(AuthManager &auth, QObject *parent) : QObject(parent), m_auth(auth)
{
    connect(&auth, &AuthManager::errorChanged, this, &SignInController::changed);
    connect(&auth, &AuthManager::googleSignInPendingChanged, this, &SignInController::changed);
}

bool SignInController::canCancel() const
{
    return m_signingIn && m_auth.isGoogleSignInPending();
}

std::optional<QString> SignInController::error() const
{
    return m_auth.error();
}

void SignInController::signInWithApple()
{
    start(Method::apple);
}

void SignInController::signInWithGoogle()
{
    start(Method::google);
}

void SignInController::cancel()
{
    if (canCancel())
        m_auth.cancelGoogleSignIn();
}

void SignInController::setSigningIn(bool signingIn)
{
    if (m_signingIn == signingIn)
        return;
    m_signingIn = signingIn;
    Q_EMIT changed();
}

void SignInController::start(Method method)
{
    if (m_signingIn)
        return;
    setSigningIn(true);
    auto signIn = [](QPointer<SignInController> self, AuthManager &auth, Method method) -> QCoro::Task<> {
        try {
            if (method == Method::apple)
                co_await auth.signInWithApple();
            else
                co_await auth.signInWithGoogle();
        } catch (const std::exception &e) {
            // The manager reports its failures through error(); anything else is a fault to see in the log.
            qCCritical(lcAuth, "Sign in ended unexpectedly: %s", e.what());
        }
        if (self)
            self->setSigningIn(false);
    };
    startDetached(signIn(QPointer<SignInController>(this), m_auth, method), lcAuth(), "Sign in");
}

} // namespace quill
