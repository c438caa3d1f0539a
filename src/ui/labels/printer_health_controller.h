#pragma once

#include "printing/printer_info.h"

#include <QCoroTask>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

namespace quill {

class Clock;
class PrintKitAdapter;

// The printer health list of the Labels and Settings screens: the adapter's
// printers, when the list was last refreshed on the screen's behalf, and the queue
// repair. Repair only re-enables the queue; the jobs CUPS holds print afterwards.
class PrinterHealthController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrinterHealthController)
    Q_PROPERTY(QDateTime lastRefreshed READ lastRefreshed NOTIFY lastRefreshedChanged)

public:
    // `clock` null: the system clock. `lastRefreshed` starts now.
    explicit PrinterHealthController(PrintKitAdapter &adapter, Clock *clock = nullptr, QObject *parent = nullptr);
    ~PrinterHealthController() override;

    const QList<PrinterInfo> &printers() const;
    const QDateTime &lastRefreshed() const { return m_lastRefreshed; }
    QDateTime now() const;
    // "Updated … ago" for the time now.
    QString updatedText() const;

    // Refreshes the adapter's list, then moves `lastRefreshed` to that moment.
    QCoro::Task<> refresh();
    // Starts a refresh that runs on by itself.
    void startRefresh();
    // Starts the repair of a stopped queue by its name; the adapter refreshes after it.
    void fix(const QString &printer);
    // Starts a refresh of the list without moving `lastRefreshed` (the Settings screen's button).
    void refreshList();

Q_SIGNALS:
    void printersChanged();
    void lastRefreshedChanged(const QDateTime &lastRefreshed);

private:
    PrintKitAdapter &m_adapter;
    Clock *m_clock;
    QDateTime m_lastRefreshed;
};

} // namespace quill
