#pragma once

#include "ui/widgets/palette.h"

#include <QIcon>
#include <QObject>

QT_BEGIN_NAMESPACE
class QSystemTrayIcon;
QT_END_NAMESPACE

namespace quill {

class TrayController;

// The tray's tag symbol, outlined ("tag") or filled ("tag.fill"), in the text colour
// of the desktop's palette: light on a dark panel, dark on a light one.
QIcon trayTagIcon(const QString &symbol, const QColor &panelText = desktopTextColor());

// The icon in the desktop's tray, bound to its controller. Only built when the
// desktop has a tray.
class TrayIcon final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayIcon)

public:
    static bool isAvailable();

    explicit TrayIcon(TrayController &controller, QObject *parent = nullptr);
    ~TrayIcon() override;

    QSystemTrayIcon &systemTrayIcon() const { return *m_icon; }

private:
    TrayController &m_controller;
    QSystemTrayIcon *m_icon;
};

} // namespace quill
