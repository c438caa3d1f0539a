#pragma once

#include "printing/printer_info.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace quill {

class CapsuleBadge;
class PrinterHealthController;

// One printer of the health list: its name, queue state, pending jobs, the age of
// the list and, for a stopped queue, "Fix".
class PrinterHealthCard final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrinterHealthCard)

public:
    PrinterHealthCard(const PrinterInfo &printer, PrinterHealthController &controller, QWidget *parent = nullptr);

    const QString &printerName() const { return m_name; }
    QString displayedName() const;
    QString badgeText() const;
    QString pendingText() const;
    QString updatedText() const;
    // Null unless the queue is stopped.
    QPushButton *fixButton() const { return m_fix; }
    void setUpdatedText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_name;
    QLabel *m_title;
    CapsuleBadge *m_badge;
    QLabel *m_pending;
    QLabel *m_updated;
    QPushButton *m_fix = nullptr;
};

// A card per listed printer, in the adapter's order. Each time it comes on screen
// (the "Printer Health" group is expanded) the list is refreshed; while it is
// visible the "Updated … ago" texts keep counting.
class PrinterHealthSection final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrinterHealthSection)

public:
    static constexpr int kAgeTickMs = 1000;

    explicit PrinterHealthSection(PrinterHealthController &controller, QWidget *parent = nullptr);

    QList<PrinterHealthCard *> cards() const;
    bool isTicking() const { return m_ticker.isActive(); }
    // Recomputes every card's age text; the ticker calls it.
    void updateAges();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void rebuild();

    PrinterHealthController &m_controller;
    QVBoxLayout *m_layout;
    QList<PrinterHealthCard *> m_cards;
    QTimer m_ticker;
};

} // namespace quill
