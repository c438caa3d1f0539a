#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace quill {

class AppState;
class CapsuleBadge;
class MenuBarPopoverController;
class StatusDot;
class SwitchToggle;

// The tray popover's content: the live state, the show's figures and latest wins,
// the label printer, the Auto-Print switch, and the ways to the main window and out.
class MenuBarPopover final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MenuBarPopover)

public:
    static constexpr int kWidth = 320;

    explicit MenuBarPopover(AppState &appState, QWidget *parent = nullptr);

    MenuBarPopoverController &controller() const { return *m_controller; }

Q_SIGNALS:
    void showMainWindowRequested();
    void quitRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The popover's rows, top to bottom, built once by the constructor.
    QWidget *buildHeader();
    QWidget *buildStatistics();
    QWidget *buildRecentWins();
    QWidget *buildPrinterRow();
    QWidget *buildAutoPrintRow();
    QPushButton *buildQuitButton();
    void refresh();
    void rebuildWins();

    MenuBarPopoverController *m_controller;
    QWidget *m_liveDot;
    QWidget *m_offlineDot;
    QLabel *m_state;
    QLabel *m_captured;
    QWidget *m_statistics;
    QLabel *m_revenueValue;
    QLabel *m_itemsValue;
    QLabel *m_itemsLabel;
    QLabel *m_buyersValue;
    QLabel *m_buyersLabel;
    QVBoxLayout *m_wins;
    QStringList m_shownWins;
    QLabel *m_printerName;
    QLabel *m_noPrinter;
    QPushButton *m_pending;
    StatusDot *m_printerDot;
    CapsuleBadge *m_modeChip;
    SwitchToggle *m_autoPrint;
};

} // namespace quill
