#pragma once

#include "ui/app/sign_in_controller.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace quill {

class AuthManager;

// What the window shows while nobody is signed in: the two ways in and the last
// sign-in error. While a browser sign-in waits, Cancel abandons it.
class SignInView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SignInView)

public:
    explicit SignInView(AuthManager &auth, QWidget *parent = nullptr);

    SignInController &controller() { return m_controller; }

private:
    void bind();

    SignInController m_controller;
    QWidget *m_buttons;
    QPushButton *m_apple;
    QPushButton *m_google;
    QPushButton *m_cancel;
    QLabel *m_error;
};

} // namespace quill
