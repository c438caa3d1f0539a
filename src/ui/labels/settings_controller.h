#pragma once

#include "printing/printer_info.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace quill {

class AppState;
class Clock;
class PrinterHealthController;

// The Settings screen's state and actions: the printers' queues with repair, the
// account with sign-out, the marketplace connection and, for staff, the backend
// this build talks to. Holds nothing of its own; `changed` fires whenever a
// service it reads changes.
class SettingsController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsController)

public:
    // `showLiveShow` moves the sidebar to its "Live Show" section.
    SettingsController(AppState &appState, std::function<void()> showLiveShow, QObject *parent = nullptr);
    ~SettingsController() override;

    static inline const QString noName = QStringLiteral("—");

    const QList<PrinterInfo> &printers() const;
    bool showsPrinterSection() const { return !printers().isEmpty(); }

    // The account rows exist only while signed in.
    bool showsAccountRows() const;
    QString accountName() const;
    QString accountEmail() const;

    bool isMarketplaceConnected() const;
    QString marketplaceStatusText() const;

    // Staff who are signed in see which backend this build uses.
    bool showsEnvironment() const;
    QString serverText() const;
    static QString modeText();

    void refreshPrinters();
    void fix(const QString &printer);
    void signOut();
    void disconnect();
    void connectToWhatnot();

Q_SIGNALS:
    void changed();

private:
    AppState &m_appState;
    std::function<void()> m_showLiveShow;
    PrinterHealthController *m_health;
};

} // namespace quill
