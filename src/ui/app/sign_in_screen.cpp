#include "ui/app/sign_in_screen.h"

#include "app/app_state.h"
#include "backend/auth_manager.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quill {

// A plain Google sign-in until the designed sign-in screen takes its place.
std::unique_ptr<QWidget> makeSignInScreen(AppState &appState)
{
    AuthManager &auth = appState.authManager();
    auto screen = std::make_unique<QWidget>();
    screen->setObjectName(QStringLiteral("signInScreen"));
    auto *title = new QLabel(QStringLiteral("Quillmark"), screen.get());
    QFont titleFont = title->font();
    titleFont.setPointSizeF(28);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto *google = new QPushButton(QStringLiteral("Sign in with Google"), screen.get());
    google->setObjectName(QStringLiteral("googleSignInButton"));
    google->setMinimumWidth(240);
    auto *error = new QLabel(screen.get());
    error->setWordWrap(true);
    error->setStyleSheet(QStringLiteral("color: #ff453a;"));

    auto *layout = new QVBoxLayout(screen.get());
    layout->addStretch(1);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addSpacing(24);
    layout->addWidget(google, 0, Qt::AlignHCenter);
    layout->addWidget(error, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    const auto refresh = [&auth, google, error] {
        google->setEnabled(!auth.isGoogleSignInPending());
        error->setText(auth.errorText());
    };
    QObject::connect(&auth, &AuthManager::googleSignInPendingChanged, google, refresh);
    QObject::connect(&auth, &AuthManager::errorChanged, error, refresh);
    QObject::connect(google, &QPushButton::clicked, &auth, [&auth] { auth.signInWithGoogle(); });
    refresh();
    return screen;
}

} // namespace quill
