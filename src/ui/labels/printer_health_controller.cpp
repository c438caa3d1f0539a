#include "ui/labels/printer_health_controller.h"

#include "common/clock.h"
#include "common/detached_task.h"
#include "printing/print_kit_adapter.h"
#include "ui/labels/printer_health_parts.h"

#include <QLoggingCategory>
#include <QPointer>

namespace quill {

namespace {

Q_LOGGING_CATEGORY(lcPrinterHealth, "app.quillmark.Quillmark.PrinterHealth")

} // namespace

PrinterHealthController::PrinterHealthController(PrintKitAdapter &adapter, Clock *clock, QObject *parent)
    : QObject(parent), m_adapter(adapter), m_clock(clock ? clock : &SystemClock::instance()),
      m_lastRefreshed(m_clock->now())
{
    connect(&m_adapter, &PrintKitAdapter::printersChanged, this, &PrinterHealthController::printersChanged);
}

PrinterHealthController::~PrinterHealthController() = default;

const QList<PrinterInfo> &PrinterHealthController::printers() const
{
    return m_adapter.printers();
}

QDateTime PrinterHealthController::now() const
{
    return m_clock->now();
}

QString PrinterHealthController::updatedText() const
{
    return updatedAgoText(m_lastRefreshed, now());
}

QCoro::Task<> PrinterHealthController::refresh()
{
    QPointer<PrinterHealthController> self(this);
    QPointer<PrintKitAdapter> adapter(&m_adapter);
    co_await adapter->refreshPrinters();
    if (!self)
        co_return;
    self->m_lastRefreshed = self->now();
    Q_EMIT self->lastRefreshedChanged(self->m_lastRefreshed);
}

void PrinterHealthController::startRefresh()
{
    startDetached(refresh(), lcPrinterHealth(), "The printer health refresh");
}

void PrinterHealthController::refreshList()
{
    startDetached(m_adapter.refreshPrinters(), lcPrinterHealth(), "The printer list refresh");
}

void PrinterHealthController::fix(const QString &printer)
{
    qCInfo(lcPrinterHealth, "Fix requested for %s", qUtf8Printable(printer));
    startDetached(m_adapter.recoverQueue(printer), lcPrinterHealth(), "The queue repair");
}

} // namespace quill
