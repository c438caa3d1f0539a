#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedLayout;

namespace quill {

class ShowConnectAddressLine;
class ShowConnectBadge;
class ShowConnectController;
class ShowSyncService;
class WhatnotSession;

// The screen on which the seller names the live show to follow: a field for a
// live-show address or a bare stream id, or a card offering the address found on
// the clipboard. Its state and logic are the controller's.
class ShowConnectView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowConnectView)

public:
    // With a controller of its own.
    ShowConnectView(ShowSyncService &showSync, WhatnotSession &session, QWidget *parent = nullptr);
    explicit ShowConnectView(ShowConnectController &controller, QWidget *parent = nullptr);
    ~ShowConnectView() override;

    ShowConnectController &controller() const { return *m_controller; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildStatusBar();
    QWidget *buildForm();
    QWidget *buildCard();
    void bind();
    void followInput();
    void followValidationError();
    void followCard();
    void followBadge();

    ShowConnectController *m_controller;
    QStackedLayout *m_middle = nullptr;
    QWidget *m_form = nullptr;
    QWidget *m_card = nullptr;
    QLineEdit *m_field = nullptr;
    QLabel *m_error = nullptr;
    QPushButton *m_connect = nullptr;
    ShowConnectBadge *m_badge = nullptr;
    ShowConnectAddressLine *m_address = nullptr;
    QPushButton *m_connectToShow = nullptr;
    QPushButton *m_differentURL = nullptr;
};

} // namespace quill
