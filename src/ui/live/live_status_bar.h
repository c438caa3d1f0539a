#pragma once

#include "ui/live/live_show_controller.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace quill {

// The bottom of the live side panel: the sync and capture indicators, the
// captured count, and End Show or Leave Stream.
class LiveStatusBar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveStatusBar)

public:
    explicit LiveStatusBar(LiveShowController &controller, QWidget *parent = nullptr);

    QLabel *syncIndicator() const { return m_syncing; }
    QLabel *pollIndicator() const { return m_polling; }
    QLabel *capturedLabel() const { return m_captured; }
    QPushButton *endShowButton() const { return m_endShow; }
    QPushButton *leaveStreamButton() const { return m_leave; }

private:
    void showStatus(const LiveShowController::Status &status);

    LiveShowController &m_controller;
    QLabel *m_syncing;
    QLabel *m_polling;
    QLabel *m_captured;
    QPushButton *m_leave;
    QPushButton *m_endShow;
};

} // namespace quill
