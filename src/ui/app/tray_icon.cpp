#include "ui/app/tray_icon.h"

#include "ui/app/tray_controller.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/symbols.h"

#include <QSystemTrayIcon>

namespace quill {

QIcon trayTagIcon(const QString &symbol, const QColor &panelText)
{
    return symbolIcon(symbol, panelText);
}

bool TrayIcon::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

TrayIcon::TrayIcon(TrayController &controller, QObject *parent)
    : QObject(parent), m_controller(controller), m_icon(new QSystemTrayIcon(this))
{
    m_icon->setToolTip(QStringLiteral("Quillmark"));
    m_icon->setIcon(trayTagIcon(m_controller.symbol()));
    connect(&m_controller, &TrayController::symbolChanged, this,
            [this](const QString &symbol) { m_icon->setIcon(trayTagIcon(symbol)); });
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            m_controller.activate(m_icon->geometry());
    });
    m_icon->show();
}

TrayIcon::~TrayIcon() = default;

} // namespace quill
