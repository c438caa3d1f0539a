#include "ui/labels/settings_controller.h"

#include "app/app_state.h"
#include "backend/auth_manager.h"
#include "backend/zav_api_client.h"
#include "capture/whatnot_session.h"
#include "common/detached_task.h"
#include "printing/print_kit_adapter.h"
#include "ui/labels/printer_health_controller.h"

#include <QLoggingCategory>

namespace quill {

namespace {

Q_LOGGING_CATEGORY(lcSettings, "app.quillmark.Quillmark.SettingsView")

} // namespace

SettingsController::SettingsController(AppState &appState, std::function<void()> showLiveShow, QObject *parent)
    : QObject(parent), m_appState(appState), m_showLiveShow(std::move(showLiveShow)),
      m_health(new PrinterHealthController(appState.printAdapter(), nullptr, this))
{
    connect(m_health, &PrinterHealthController::printersChanged, this, &SettingsController::changed);
    connect(&appState.authManager(), &AuthManager::stateChanged, this, &SettingsController::changed);
    connect(&appState.whatnotSession(), &WhatnotSession::isAuthenticatedChanged, this, &SettingsController::changed);
}

SettingsController::~SettingsController() = default;

const QList<PrinterInfo> &SettingsController::printers() const
{
    return m_health->printers();
}

bool SettingsController::showsAccountRows() const
{
    return m_appState.authManager().state().isSignedIn();
}

QString SettingsController::accountName() const
{
    const auto &user = m_appState.authManager().state().user();
    if (!user || !user->name || user->name->trimmed().isEmpty())
        return noName;
    return *user->name;
}

QString SettingsController::accountEmail() const
{
    const auto &user = m_appState.authManager().state().user();
    return user ? user->email : QString();
}

bool SettingsController::isMarketplaceConnected() const
{
    return m_appState.whatnotSession().isAuthenticated();
}

QString SettingsController::marketplaceStatusText() const
{
    return isMarketplaceConnected() ? tr("Connected") : tr("Not Connected");
}

bool SettingsController::showsEnvironment() const
{
    return isAdmin(m_appState.authManager().state());
}

QString SettingsController::modeText()
{
    return tr("Production");
}

QString SettingsController::serverText() const
{
    return m_appState.authManager().api().baseURL().toString();
}

void SettingsController::refreshPrinters()
{
    m_health->refreshList();
}

void SettingsController::fix(const QString &printer)
{
    m_health->fix(printer);
}

void SettingsController::signOut()
{
    startDetached(m_appState.authManager().signOut(), lcSettings(), "Sign-out");
}

void SettingsController::disconnect()
{
    m_appState.whatnotSession().logout();
}

void SettingsController::connectToWhatnot()
{
    if (m_showLiveShow)
        m_showLiveShow();
}

} // namespace quill
