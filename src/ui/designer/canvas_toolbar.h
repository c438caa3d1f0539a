#pragma once

#include "ui/designer/canvas_toolbar_controller.h"

#include <QWidget>

class QAction;
class QBoxLayout;
class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace quill {

class SidewaysScrollArea;
class Spinner;

// The row above the canvas: zoom, grid and snapping switches, undo and redo, and at the
// right the printer picker with Test Print and Calibrate. A failed print's message
// stays beside the buttons until the next print starts. The row stays one row: short of
// room it drops its buttons' words, and shorter still it scrolls sideways.
class CanvasToolbar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CanvasToolbar)

public:
    CanvasToolbar(LabelDesignerState &state, PrintKitAdapter &adapter, PrintService &service,
                  QWidget *parent = nullptr);

    CanvasToolbarController &controller() { return m_controller; }
    QLabel *zoomLabel() const { return m_zoomLabel; }
    QToolButton *zoomOutButton() const { return m_zoomOut; }
    QToolButton *zoomInButton() const { return m_zoomIn; }
    QToolButton *resetZoomButton() const { return m_resetZoom; }
    QToolButton *gridButton() const { return m_grid; }
    QToolButton *snapButton() const { return m_snap; }
    QToolButton *guidesButton() const { return m_guides; }
    QToolButton *undoButton() const { return m_undo; }
    QToolButton *redoButton() const { return m_redo; }
    QAction *undoAction() const { return m_undoAction; }
    QAction *redoAction() const { return m_redoAction; }
    QComboBox *printerPicker() const { return m_printerPicker; }
    QPushButton *testPrintButton() const { return m_testPrint; }
    QPushButton *calibrateButton() const { return m_calibrate; }
    QLabel *failureLabel() const { return m_failure; }
    SidewaysScrollArea *scrollArea() const { return m_scrollArea; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The toolbar's groups, leading to trailing, built once by the constructor, then bound.
    void buildZoomControls(QBoxLayout *row);
    void buildToggles(QBoxLayout *row);
    void buildHistoryButtons(QBoxLayout *row);
    void buildPrintControls(QBoxLayout *row);
    void bind(LabelDesignerState &state);
    void setCompact(bool compact);
    // Words while the whole row fits, symbols alone while it does not.
    void fitRow();
    bool m_compact = false;
    // The row's least width with its words; 0 until measured again.
    int m_fullWidth = 0;

private:
    void showZoom();
    void showToggles();
    void showHistory();
    void showPrinters();
    void showPrinting();
    void showFailure();

    CanvasToolbarController m_controller;
    SidewaysScrollArea *m_scrollArea;
    QWidget *m_row;
    QToolButton *m_zoomOut;
    QLabel *m_zoomLabel;
    QToolButton *m_zoomIn;
    QToolButton *m_resetZoom;
    QToolButton *m_grid;
    QToolButton *m_snap;
    QToolButton *m_guides;
    QToolButton *m_undo;
    QToolButton *m_redo;
    QAction *m_undoAction;
    QAction *m_redoAction;
    QLabel *m_failure;
    QComboBox *m_printerPicker;
    QPushButton *m_testPrint;
    Spinner *m_spinner;
    QPushButton *m_calibrate;
};

} // namespace quill
