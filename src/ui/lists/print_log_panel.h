#pragma once

#include "ui/lists/print_job_detail_sheet.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QListView;
class QPushButton;
class QStackedLayout;
class QToolButton;

namespace quill {

class AppState;
class Clock;
class EmptyStateView;
class PrintJobRowDelegate;
class PrintLogModel;

// The print log beside the live page: every job of the automatic print queue, newest
// first, with "Clear" and a close button; a click on a job opens its detail sheet.
// While shown, the visible rows repaint every five seconds so their ages stay true.
class PrintLogPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintLogPanel)

public:
    static constexpr int kAgeRefreshMs = 5000;
    // One eighth of a turn of the "printing" indicator.
    static constexpr int kTurnStepMs = 100;

    // `clock` null: the system clock.
    explicit PrintLogPanel(AppState &app, const Clock *clock = nullptr, QWidget *parent = nullptr);
    ~PrintLogPanel() override;

    PrintLogModel &model() const { return *m_model; }
    PrintJobRowDelegate &rowDelegate() const { return *m_delegate; }
    QListView *listView() const { return m_list; }
    EmptyStateView *emptyState() const { return m_empty; }
    QPushButton *clearButton() const { return m_clear; }
    QToolButton *closeButton() const { return m_close; }
    // The detail sheet while one is open.
    PrintJobDetailSheet *detailSheet() const { return m_sheet; }
    bool refreshesAges() const { return m_ages.isActive(); }
    // Whether the "printing" indicator turns: only while a row on screen is printing.
    bool isTurning() const { return m_turn.isActive(); }

    // Opens the detail sheet of the job in this row.
    void openJob(int row);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void follow();
    void followTurning();
    void turn();

    AppState &m_app;
    PrintLogModel *m_model;
    PrintJobRowDelegate *m_delegate = nullptr;
    QListView *m_list = nullptr;
    EmptyStateView *m_empty = nullptr;
    QStackedLayout *m_content = nullptr;
    QPushButton *m_clear = nullptr;
    QToolButton *m_close = nullptr;
    QPointer<PrintJobDetailSheet> m_sheet;
    QTimer m_ages;
    QTimer m_turn;
};

} // namespace quill
