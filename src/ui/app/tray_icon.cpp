#include "ui/app/tray_icon.h"

#include "ui/app/tray_controller.h"

#include <QPainter>
#include <QPainterPath>
#include <QSystemTrayIcon>

namespace quill {

QIcon trayTagIcon(const QString &symbol)
{
    // No desktop icon theme has a price tag, so it is drawn: a tag pointing left
    // with its hole, in the light tone tray icons use.
    const bool filled = symbol == QLatin1String("tag.fill");
    QIcon icon;
    for (int size : {16, 22, 32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        QPainterPath tag;
        tag.moveTo(3, 16);
        tag.lineTo(12, 6);
        tag.lineTo(28, 6);
        tag.lineTo(28, 26);
        tag.lineTo(12, 26);
        tag.closeSubpath();
        QPainterPath hole;
        hole.addEllipse(QPointF(12.5, 16), 2.5, 2.5);
        const QColor ink(0xF2, 0xF2, 0xF2);
        if (filled) {
            painter.fillPath(tag.subtracted(hole), ink);
        } else {
            painter.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPath(tag);
            painter.drawPath(hole);
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
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
