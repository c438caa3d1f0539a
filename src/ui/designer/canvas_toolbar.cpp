#include "ui/designer/canvas_toolbar.h"

#include "designer/label_designer_state.h"
#include "ui/designer/toolbar_row.h"
#include "ui/widgets/figure_text.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/sideways_scroll_area.h"
#include "ui/widgets/spinner.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>

namespace quill {

namespace {

QToolButton *makeToggle(const QString &symbol, const QString &text, const QString &toolTip, QWidget *parent)
{
    QToolButton *button = makeToolbarButton(symbol, text, toolTip, parent);
    button->setCheckable(true);
    return button;
}

constexpr int kFailureWidth = 260;

QIcon blankIcon()
{
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

} // namespace

CanvasToolbar::CanvasToolbar(LabelDesignerState &state, PrintKitAdapter &adapter, PrintService &service,
                             QWidget *parent)
    : QWidget(parent), m_controller(state, adapter, service), m_scrollArea(new SidewaysScrollArea(this)),
      m_row(new QWidget)
{
    fillBackground(this, cardBackgroundColor());
    auto *bar = new QVBoxLayout(this);
    bar->setContentsMargins(0, 0, 0, 0);
    m_scrollArea->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    bar->addWidget(m_scrollArea);
    QBoxLayout *row = makeToolbarRow(m_row);

    buildZoomControls(row);
    row->addWidget(makeToolbarDivider(m_row));
    buildToggles(row);
    row->addWidget(makeToolbarDivider(m_row));
    buildHistoryButtons(row);
    buildPrintControls(row);

    bind(state);

    showZoom();
    showToggles();
    showHistory();
    showPrinters();
    showPrinting();
    m_scrollArea->setContent(m_row);
}

void CanvasToolbar::buildZoomControls(QBoxLayout *row)
{
    auto *zoomRow = new QHBoxLayout;
    zoomRow->setSpacing(metrics::xxSmall);
    m_zoomOut = makeToolbarButton(QStringLiteral("minus.magnifyingglass"), QString(), tr("Zoom Out"), m_row);
    const QFont caption = textFont(TextStyle::caption);
    m_zoomLabel = new FigureLabel(QString(), caption, primaryTextColor(), m_row);
    m_zoomLabel->setFixedWidth(40);
    m_zoomLabel->setAlignment(Qt::AlignCenter);
    m_zoomIn = makeToolbarButton(QStringLiteral("plus.magnifyingglass"), QString(), tr("Zoom In"), m_row);
    m_resetZoom = new QToolButton(m_row);
    m_resetZoom->setAutoRaise(true);
    m_resetZoom->setText(QStringLiteral("1:1"));
    m_resetZoom->setFont(caption);
    m_resetZoom->setToolTip(tr("Reset Zoom"));
    zoomRow->addWidget(m_zoomOut);
    zoomRow->addWidget(m_zoomLabel);
    zoomRow->addWidget(m_zoomIn);
    zoomRow->addWidget(m_resetZoom);
    row->addLayout(zoomRow);
}

void CanvasToolbar::buildToggles(QBoxLayout *row)
{
    m_grid = makeToggle(QStringLiteral("grid"), tr("Grid"), tr("Show Grid"), m_row);
    m_snap = makeToggle(QStringLiteral("rectangle.grid.1x2"), tr("Snap"), tr("Snap to Grid"), m_row);
    m_guides = makeToggle(QStringLiteral("arrow.left.and.right.text.vertical"), tr("Guides"),
                          tr("Snap to Alignment Guides"), m_row);
    row->addWidget(m_grid);
    row->addWidget(m_snap);
    row->addWidget(m_guides);
}

void CanvasToolbar::buildHistoryButtons(QBoxLayout *row)
{
    m_undo = makeToolbarButton(QStringLiteral("arrow.uturn.backward"), tr("Undo"), tr("Undo"), m_row);
    m_redo = makeToolbarButton(QStringLiteral("arrow.uturn.forward"), tr("Redo"), tr("Redo"), m_row);
    m_undoAction = new QAction(tr("Undo"), this);
    m_undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redoAction = new QAction(tr("Redo"), this);
    m_redoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    addAction(m_undoAction);
    addAction(m_redoAction);
    row->addWidget(m_undo);
    row->addWidget(m_redo);
}

void CanvasToolbar::buildPrintControls(QBoxLayout *row)
{
    m_failure = new QLabel(m_row);
    // The printer's and the system's words: text, never markup.
    m_failure->setTextFormat(Qt::PlainText);
    m_failure->setFont(textFont(TextStyle::caption));
    QPalette failurePalette = m_failure->palette();
    failurePalette.setColor(QPalette::WindowText, systemColor(SystemColor::red));
    m_failure->setPalette(failurePalette);
    m_failure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The label is the row's flexible space: a message takes room left over, never more.
    m_failure->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(m_failure, 1);
    row->addWidget(makeToolbarDivider(m_row));

    m_printerPicker = new QComboBox(m_row);
    m_printerPicker->setFixedWidth(140);
    row->addWidget(m_printerPicker);

    m_testPrint = new QPushButton(tr("Test Print"), m_row);
    m_testPrint->setDefault(true); // the prominent one
    m_testPrint->setIconSize(QSize(16, 16));
    m_spinner = new Spinner(Spinner::kSmall, m_testPrint);
    m_spinner->hide();
    m_calibrate =
        new QPushButton(symbolIcon(QStringLiteral("ruler"), primaryTextColor()), tr("Calibrate"), m_row);
    m_calibrate->setToolTip(tr("Print a calibration label to check alignment"));
    row->addWidget(m_testPrint);
    row->addWidget(m_calibrate);
}

void CanvasToolbar::bind(LabelDesignerState &state)
{
    CanvasToolbarController *c = &m_controller;
    connect(m_zoomOut, &QToolButton::clicked, c, &CanvasToolbarController::zoomOut);
    connect(m_zoomIn, &QToolButton::clicked, c, &CanvasToolbarController::zoomIn);
    connect(m_resetZoom, &QToolButton::clicked, c, &CanvasToolbarController::resetZoom);
    connect(m_grid, &QToolButton::toggled, &state, &LabelDesignerState::setShowGrid);
    connect(m_snap, &QToolButton::toggled, &state, &LabelDesignerState::setSnapToGrid);
    connect(m_guides, &QToolButton::toggled, &state, &LabelDesignerState::setSnapToGuides);
    connect(&state, &LabelDesignerState::showGridChanged, this, &CanvasToolbar::showToggles);
    connect(&state, &LabelDesignerState::snapToGridChanged, this, &CanvasToolbar::showToggles);
    connect(&state, &LabelDesignerState::snapToGuidesChanged, this, &CanvasToolbar::showToggles);
    connect(m_undo, &QToolButton::clicked, c, &CanvasToolbarController::undo);
    connect(m_redo, &QToolButton::clicked, c, &CanvasToolbarController::redo);
    connect(m_undoAction, &QAction::triggered, c, &CanvasToolbarController::undo);
    connect(m_redoAction, &QAction::triggered, c, &CanvasToolbarController::redo);
    connect(m_printerPicker, &QComboBox::activated, this, [this](int index) {
        const QVariant name = m_printerPicker->itemData(index);
        m_controller.setSelectedPrinter(name.isValid() ? std::optional<QString>(name.toString())
                                                       : std::nullopt);
    });
    connect(m_testPrint, &QPushButton::clicked, c, &CanvasToolbarController::testPrint);
    connect(m_calibrate, &QPushButton::clicked, c, &CanvasToolbarController::calibrate);
    connect(c, &CanvasToolbarController::zoomChanged, this, &CanvasToolbar::showZoom);
    connect(c, &CanvasToolbarController::historyChanged, this, &CanvasToolbar::showHistory);
    connect(c, &CanvasToolbarController::printersChanged, this, &CanvasToolbar::showPrinters);
    connect(c, &CanvasToolbarController::selectedPrinterChanged, this, &CanvasToolbar::showPrinters);
    connect(c, &CanvasToolbarController::printingChanged, this, &CanvasToolbar::showPrinting);
}

void CanvasToolbar::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_controller.appear();
}

void CanvasToolbar::setCompact(bool compact)
{
    if (compact == m_compact)
        return;
    m_compact = compact;
    const Qt::ToolButtonStyle style = compact ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon;
    for (QToolButton *button : {m_grid, m_snap, m_guides, m_undo, m_redo})
        button->setToolButtonStyle(style);
    m_calibrate->setText(compact ? QString() : tr("Calibrate"));
}

void CanvasToolbar::fitRow()
{
    // A narrow window keeps every control whole: the bar drops the buttons' words
    // (their tooltips still say them) rather than squeezing the buttons into each other;
    // what still does not fit scrolls.
    if (m_fullWidth == 0) {
        setCompact(false);
        m_fullWidth = m_row->layout()->minimumSize().width();
    }
    setCompact(width() < m_fullWidth);
}

void CanvasToolbar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitRow();
    // The label's new width is known once the row has been laid out.
    QMetaObject::invokeMethod(this, &CanvasToolbar::showFailure, Qt::QueuedConnection);
}

void CanvasToolbar::showZoom()
{
    m_zoomLabel->setText(m_controller.zoomText());
}

void CanvasToolbar::showToggles()
{
    const LabelDesignerState &state = m_controller.state();
    const QSignalBlocker grid(m_grid), snap(m_snap), guides(m_guides);
    m_grid->setChecked(state.showGrid());
    m_snap->setChecked(state.snapToGrid());
    m_guides->setChecked(state.snapToGuides());
}

void CanvasToolbar::showHistory()
{
    m_undo->setEnabled(m_controller.canUndo());
    m_undoAction->setEnabled(m_controller.canUndo());
    m_redo->setEnabled(m_controller.canRedo());
    m_redoAction->setEnabled(m_controller.canRedo());
}

void CanvasToolbar::showPrinters()
{
    const QSignalBlocker blocker(m_printerPicker);
    m_printerPicker->clear();
    m_printerPicker->addItem(tr("Select Printer"));
    int current = 0;
    for (const PrinterInfo &printer : m_controller.printers()) {
        m_printerPicker->addItem(printerDisplayName(printer.name), printer.name);
        if (m_controller.selectedPrinter() == printer.name)
            current = m_printerPicker->count() - 1;
    }
    // A chosen printer that has left the list stays chosen and is still shown.
    if (current == 0 && m_controller.selectedPrinter()) {
        m_printerPicker->addItem(printerDisplayName(*m_controller.selectedPrinter()),
                                 *m_controller.selectedPrinter());
        current = m_printerPicker->count() - 1;
    }
    m_printerPicker->setCurrentIndex(current);
    const bool listed = !m_controller.printers().isEmpty();
    if (listed != m_printerPicker->isVisibleTo(m_row)) {
        m_printerPicker->setVisible(listed);
        // The picker's coming or going changes what the row needs.
        m_fullWidth = 0;
        fitRow();
    }
}

void CanvasToolbar::showPrinting()
{
    const bool printing = m_controller.isPrinting();
    m_testPrint->setEnabled(m_controller.canTestPrint());
    m_testPrint->setToolTip(m_controller.testPrintToolTip());
    m_testPrint->setIcon(printing ? blankIcon()
                                  : symbolIcon(QStringLiteral("printer.fill"), primaryTextColor()));
    if (printing) {
        // Over the icon's place at the button's left.
        const QSize hint = m_spinner->sizeHint();
        m_spinner->setGeometry(5, (m_testPrint->height() - hint.height()) / 2, hint.width(), hint.height());
    }
    m_spinner->setVisible(printing);
    m_calibrate->setEnabled(m_controller.canCalibrate());
    showFailure();
}

void CanvasToolbar::showFailure()
{
    // The whole message is in the tooltip; the row keeps its width.
    const int room = std::min(m_failure->width(), kFailureWidth);
    m_failure->setText(m_failure->fontMetrics().elidedText(m_controller.lastFailure(), Qt::ElideRight, room));
    m_failure->setToolTip(plainToolTip(m_controller.lastFailure()));
}

} // namespace quill
