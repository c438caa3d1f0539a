#pragma once

#include "capture/captured_auction.h"
#include "common/decimal.h"
#include "printing/print_job.h"
#include "printing/printer_info.h"

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

namespace quill {

class AppState;
class Settings;

// The printer the popover names: the queue labels go to.
struct PopoverPrinter
{
    QString queue;
    QString displayName;
    // False also when the saved queue is not in the printer list.
    bool isOnline = false;
    // lp's words while the queue refuses jobs; empty otherwise.
    QString refusal;

    bool operator==(const PopoverPrinter &) const = default;
};

// What the tray popover shows and does, read afresh from the services each time:
// the live state, the show's figures and latest wins, the label printer with the
// app's own queued labels, and the Auto-Print switch.
class MenuBarPopoverController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MenuBarPopoverController)

public:
    static constexpr qsizetype kRecentWinLimit = 5;

    explicit MenuBarPopoverController(AppState &appState, QObject *parent = nullptr);

    bool isLive() const;
    qsizetype capturedCount() const;
    // The figures row is shown while live with at least one capture.
    bool showsStatistics() const;
    // "— 3 captured".
    QString capturedText() const;
    static QString capturedText(qsizetype count);
    // "$20" from 12.5 and 7.5.
    QString revenueText() const;
    QString itemsLabel() const;
    QString buyersLabel() const;
    int buyerCount() const;
    QList<CapturedAuction> recentWins() const;
    // Under "Recent Wins" when there are none.
    QString noWinsText() const;

    // The winner-label printer (the box-label printer when only box labels print);
    // none when no printer is saved for it.
    std::optional<PopoverPrinter> currentPrinter() const;
    // The app's own queued labels (printing, done and failed jobs do not count).
    int queuedJobCount() const;
    QString labelModeTitle() const;

    bool isAutoPrinting() const;
    // On schedules the queued labels at once; off drops a pending start, leaving them queued.
    void setAutoPrinting(bool on);
    // Cancels the jobs of the current printer's CUPS queue; the app's own queue is left alone.
    void clearPrintQueue();

    static Decimal revenueOf(const QList<CapturedAuction> &auctions);
    // Distinct winner names by exact equality.
    static int buyerCountOf(const QList<CapturedAuction> &auctions);
    static QList<CapturedAuction> recentWinsOf(const QList<CapturedAuction> &auctions);
    static int queuedJobCountOf(const QList<PrintJob> &jobs);
    static std::optional<PopoverPrinter> labelPrinter(const QList<PrinterInfo> &printers, LabelMode mode,
                                                      Settings &settings);

Q_SIGNALS:
    // Any of the values above may have changed.
    void changed();

private:
    AppState &m_appState;
};

} // namespace quill
