#include "ui/app/tray_controller.h"

#include "backend/show_sync_service.h"

namespace quill {

QString TrayController::symbolFor(const QString &activeShowId)
{
    return activeShowId.isEmpty() ? QStringLiteral("tag") : QStringLiteral("tag.fill");
}

TrayController::TrayController(ShowSyncService &showSync, QObject *parent)
    : QObject(parent), m_showSync(showSync), m_symbol(symbolFor(showSync.activeShowId()))
{
    connect(&m_showSync, &ShowSyncService::activeShowIdChanged, this, [this] {
        QString symbol = symbolFor(m_showSync.activeShowId());
        if (symbol == m_symbol)
            return;
        m_symbol = std::move(symbol);
        Q_EMIT symbolChanged(m_symbol);
    });
}

void TrayController::activate(const QRect &anchor)
{
    Q_EMIT popoverRequested(anchor);
}

void TrayController::openMainWindow()
{
    Q_EMIT mainWindowRequested();
}

void TrayController::quit()
{
    Q_EMIT quitRequested();
}

} // namespace quill
