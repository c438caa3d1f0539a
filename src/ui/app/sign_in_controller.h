#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace quill {

class AuthManager;

// The sign-in screen's state: whether a sign-in started here is running, whether
// the browser sign-in can be abandoned, and the sign-in manager's last error.
class SignInController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SignInController)

public:
    explicit SignInController(AuthManager &auth, QObject *parent = nullptr);

    bool isSigningIn() const { return m_signingIn; }
    // A browser sign-in started here waits for its callback: it can be cancelled
    // (the seller may have closed the browser tab).
    bool canCancel() const;
    std::optional<QString> error() const;

    void signInWithApple();
    void signInWithGoogle();
    void cancel();

Q_SIGNALS:
    void changed();

private:
    enum class Method
    {
        apple,
        google
    };
    void start(Method method);
    void setSigningIn(bool signingIn);

    AuthManager &m_auth;
    bool m_signingIn = false;
};

} // namespace quill
