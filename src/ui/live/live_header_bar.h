#pragma once

#include "ui/live/live_show_controller.h"

#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;

namespace quill {

class SwitchToggle;

// The top of the live side panel: the header row (printing, label mode, staff
// tools, print log), the staff panel, the printer-queue banner and the error line.
class LiveHeaderBar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveHeaderBar)

public:
    explicit LiveHeaderBar(LiveShowController &controller, QWidget *parent = nullptr);

    QPushButton *printingButton() const { return m_printing; }
    QComboBox *modePicker() const { return m_mode; }
    QToolButton *adminButton() const { return m_admin; }
    QToolButton *printLogButton() const { return m_printLog; }
    QFrame *adminToolsPanel() const { return m_adminPanel; }
    QPushButton *disconnectButton() const { return m_disconnect; }
    QPushButton *scrapeSoldButton() const { return m_scrapeSold; }
    SwitchToggle *videoSwitch() const { return m_video; }
    SwitchToggle *cleanSwitch() const { return m_clean; }
    QWidget *printerQueueBanner() const { return m_queueBanner; }
    QLabel *printerQueueText() const { return m_queueText; }
    QPushButton *fixButton() const { return m_fix; }
    QLabel *errorLine() const { return m_error; }

private:
    QWidget *buildHeaderRow();
    QFrame *buildAdminPanel();
    QWidget *buildQueueBanner();
    void bind();
    void showStatus(const LiveShowController::Status &status, const LiveShowController::Status *before);
    void showAdmin();

    LiveShowController &m_controller;
    QPushButton *m_printing = nullptr;
    QComboBox *m_mode = nullptr;
    QToolButton *m_admin = nullptr;
    QToolButton *m_printLog = nullptr;
    QFrame *m_adminPanel = nullptr;
    QPushButton *m_disconnect = nullptr;
    QPushButton *m_scrapeSold = nullptr;
    SwitchToggle *m_video = nullptr;
    SwitchToggle *m_clean = nullptr;
    QWidget *m_queueBanner = nullptr;
    QLabel *m_queueText = nullptr;
    QPushButton *m_fix = nullptr;
    QLabel *m_error = nullptr;
};

} // namespace quill
