#include "ui/labels/printer_status_view.h"

#include "app/app_state.h"
#include "printing/print_kit_adapter.h"
#include "ui/labels/appearance_card.h"
#include "ui/labels/consolidated_label_section.h"
#include "ui/labels/font_picker.h"
#include "ui/labels/label_card_widgets.h"
#include "ui/labels/label_preview_modal.h"
#include "ui/labels/label_section_view.h"
#include "ui/labels/label_test_actions.h"
#include "ui/labels/print_error_row.h"
#include "ui/labels/print_mode_card.h"
#include "ui/labels/printer_health_controller.h"
#include "ui/labels/printer_health_section.h"
#include "ui/widgets/disclosure_group.h"
#include "ui/widgets/empty_state_view.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/status_dot.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

PrinterStatusView::PrinterStatusView(AppState &appState, std::optional<PrinterStatusStores> stores,
                                     LogoChooser chooser, QWidget *parent)
    : QWidget(parent), m_controller(appState, stores.value_or(PrinterStatusStores::of(appState))),
      m_chooser(std::move(chooser)),
      m_health(new PrinterHealthController(appState.printAdapter(), nullptr, this))
{
    setObjectName(QStringLiteral("printerStatusView"));
    const PrinterStatusStores &store = m_controller.stores();

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(buildHeader());

    auto *scroll = new QScrollArea(this);
    m_scroll = scroll;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto *canvas = new QWidget;
    auto *centre = new QHBoxLayout(canvas);
    centre->setContentsMargins(metrics::insets(metrics::xLarge));
    // The cards take the screen's whole width, however wide the window.
    auto *column = new QWidget(canvas);
    auto *stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(metrics::xLarge);
    centre->addWidget(column, 1);
    scroll->setWidget(canvas);
    outer->addWidget(scroll, 1);

    m_sections = new QWidget(column);
    m_sectionsLayout = new QVBoxLayout(m_sections);
    m_sectionsLayout->setContentsMargins(0, 0, 0, 0);
    m_sectionsLayout->setSpacing(metrics::xLarge);

    m_sectionsLayout->addWidget(buildAdminRow(store));
    showAdmin(false);

    m_sectionsLayout->addWidget(buildHealthGroup());

    buildAppearance();

    m_inShow =
        new ConsolidatedLabelSection(m_controller.model(), m_controller.inShowActions(), *store.customMedia,
                                     *store.appearance, *store.settings, m_sections);
    // Printers are chosen before the card looks at them, so a vanished printer is
    // replaced before the card decides whether box labels have settings of their own.
    m_inShow->installEventFilter(this);
    m_sectionsLayout->addWidget(m_inShow);

    m_packingSlip = new LabelSectionView(
        QStringLiteral("Packing Slips"), QStringLiteral("Itemized packing list per buyer"),
        m_controller.model(), LabelKind::packingSlip, PrinterStatusController::packingSlipMedia(),
        m_controller.packingSlipActions(), *store.customMedia, *store.appearance, m_sections);
    m_sectionsLayout->addWidget(m_packingSlip);
    stack->addWidget(m_sections);

    m_empty = new EmptyStateView(
        QStringLiteral("printer"), QStringLiteral("No Printers"),
        QStringLiteral("No printers discovered. Make sure a thermal printer is connected."), column);
    m_empty->setMinimumHeight(200);
    stack->addWidget(m_empty);

    m_errorRow = new PrintErrorRow(m_controller.testActions(), column);
    m_errorRow->showSaveFailure(m_controller.saveFailure());
    connect(&m_controller, &PrinterStatusController::saveFailureChanged, m_errorRow,
            &PrintErrorRow::showSaveFailure);
    stack->addWidget(m_errorRow);
    stack->addStretch(1);
    // The row sits under the cards, out of sight of the tiles a change is made on: it is
    // brought into view each time it says something new, and kept there while the page
    // settles around it (a row just shown, or a card above it that changed with it, is
    // placed only as the layouts run, one level of widgets at a turn of the event loop),
    // until the seller scrolls the page.
    connect(m_errorRow, &PrintErrorRow::textChanged, this, [this](const QString &text) {
        m_followErrorRow = !text.isEmpty();
        if (m_followErrorRow)
            QMetaObject::invokeMethod(this, &PrinterStatusView::revealErrorRow, Qt::QueuedConnection);
    });
    m_errorRow->installEventFilter(this);
    connect(scroll->verticalScrollBar(), &QScrollBar::rangeChanged, this, &PrinterStatusView::revealErrorRow);
    connect(scroll->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { m_followErrorRow = false; });

    connect(&m_controller, &PrinterStatusController::changed, this, &PrinterStatusView::showPrinters);
    connect(&m_controller, &PrinterStatusController::showAdminChanged, this, &PrinterStatusView::showAdmin);
    connect(&m_controller, &PrinterStatusController::previewChanged, this, &PrinterStatusView::showPreview);
    showPrinters();
}

void PrinterStatusView::revealErrorRow()
{
    if (m_followErrorRow && m_errorRow->isVisible())
        m_scroll->ensureWidgetVisible(m_errorRow);
}

QWidget *PrinterStatusView::buildAdminRow(const PrinterStatusStores &store)
{
    m_adminRow = new QWidget(m_sections);
    m_adminRow->setObjectName(QStringLiteral("adminPanel"));
    auto *adminLayout = new QHBoxLayout(m_adminRow);
    adminLayout->setContentsMargins(0, 0, 0, 0);
    adminLayout->setSpacing(metrics::xLarge);
    adminLayout->addWidget(new PrintModeSection(*store.appearance, m_adminRow), 1, Qt::AlignTop);
    adminLayout->addWidget(new PrinterCalibrationSection(*store.calibration, m_adminRow), 1, Qt::AlignTop);
    return m_adminRow;
}

QWidget *PrinterStatusView::buildHealthGroup()
{
    m_healthGroup = new DisclosureGroup(QStringLiteral("Printer Health"), m_sections);
    m_healthGroup->header()->setFont(textFont(TextStyle::headline));
    m_healthGroup->setContent(new PrinterHealthSection(*m_health));
    return m_healthGroup;
}

PrinterStatusView::~PrinterStatusView()
{
    // The cards and the sheet hold the controller's settings and the health list: they go first.
    delete m_modal;
    m_followErrorRow = false;
    delete m_scroll;
}

QWidget *PrinterStatusView::buildHeader()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("labelsHeaderBar"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(metrics::xLarge, metrics::compact, metrics::regular, metrics::compact);
    row->setSpacing(metrics::small);
    m_title = screenTitle(QStringLiteral("Labels"), bar);
    row->addWidget(m_title);
    row->addStretch(1);

    auto *status = new QWidget(bar);
    auto *statusRow = new QHBoxLayout(status);
    statusRow->setContentsMargins(metrics::insets(metrics::regular, 0));
    statusRow->setSpacing(metrics::small);
    m_statusDot = new StatusDot(8, brandGreenColor(), status);
    m_statusText =
        styledLabel(QString(), textFont(TextStyle::subheadline, QFont::Medium), primaryTextColor(), status);
    m_statusText->setObjectName(QStringLiteral("labelsStatus"));
    m_countText = styledLabel(QString(), textFont(TextStyle::caption), secondaryTextColor(), status);
    m_countText->setObjectName(QStringLiteral("printerCount"));
    statusRow->addWidget(m_statusDot, 0, Qt::AlignVCenter);
    statusRow->addWidget(m_statusText, 0, Qt::AlignVCenter);
    statusRow->addWidget(
        styledLabel(QStringLiteral("·"), textFont(TextStyle::subheadline), tertiaryTextColor(), status), 0,
        Qt::AlignVCenter);
    statusRow->addWidget(m_countText, 0, Qt::AlignVCenter);
    row->addWidget(status);

    m_refresh = new QPushButton(QStringLiteral("Refresh"), bar);
    makeSmallBordered(m_refresh);
    connect(m_refresh, &QPushButton::clicked, &m_controller, &PrinterStatusController::refresh);
    row->addWidget(m_refresh);

    m_wrench = new QToolButton(bar);
    m_wrench->setObjectName(QStringLiteral("adminToggle"));
    m_wrench->setToolTip(QStringLiteral("Admin settings"));
    m_wrench->setAutoRaise(true);
    m_wrench->setIconSize(QSize(16, 16));
    m_wrench->setCursor(Qt::PointingHandCursor);
    connect(m_wrench, &QToolButton::clicked, &m_controller, &PrinterStatusController::toggleAdmin);
    row->addWidget(m_wrench);
    return bar;
}

void PrinterStatusView::buildAppearance()
{
    m_appearanceIsAdmin = m_controller.isStaff();
    auto *section = new LabelAppearanceSection(m_appearanceIsAdmin, *m_controller.stores().appearance,
                                               m_chooser, m_sections);
    if (m_appearance) {
        delete m_sectionsLayout->replaceWidget(m_appearance, section);
        m_appearance->deleteLater();
        m_appearance->hide();
    } else {
        m_sectionsLayout->addWidget(section);
    }
    m_appearance = section;
}

void PrinterStatusView::showPrinters()
{
    const LabelsStatus status = m_controller.status();
    m_statusDot->setColor(status.color);
    m_statusText->setText(status.text);
    m_countText->setText(m_controller.countText());
    m_wrench->setVisible(m_controller.isStaff());
    if (m_appearanceIsAdmin != m_controller.isStaff())
        buildAppearance();

    const QList<PrinterInfo> &printers = m_controller.printers();
    m_inShow->setPrinters(printers);
    m_packingSlip->setPrinters(printers);
    m_sections->setVisible(!printers.isEmpty());
    m_empty->setVisible(printers.isEmpty());
}

void PrinterStatusView::showAdmin(bool shown)
{
    // Fades in and out over the usual 0.35 s ease-in-out.
    Motion::setShown(m_adminRow, shown, MotionPose::faded(), kAdminFadeMs, QEasingCurve::InOutQuad);
    m_wrench->setIcon(
        shown ? symbolIcon(QStringLiteral("wrench.and.screwdriver.fill"), systemColor(SystemColor::orange))
              : symbolIcon(QStringLiteral("wrench.and.screwdriver"), secondaryTextColor()));
}

void PrinterStatusView::comeOnScreen()
{
    if (m_onScreen)
        return;
    m_onScreen = true;
    m_controller.screenShown();
}

void PrinterStatusView::showEvent(QShowEvent *event)
{
    comeOnScreen();
    QWidget::showEvent(event);
}

void PrinterStatusView::hideEvent(QHideEvent *event)
{
    m_onScreen = false;
    QWidget::hideEvent(event);
}

bool PrinterStatusView::eventFilter(QObject *watched, QEvent *event)
{
    // Qt shows children before their parent: the card would see the printers first.
    if (watched == m_inShow && event->type() == QEvent::Show)
        comeOnScreen();
    if (watched == m_errorRow && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        revealErrorRow();
    return QWidget::eventFilter(watched, event);
}

void PrinterStatusView::showPreview()
{
    if (m_modal) {
        LabelPreviewModal *old = m_modal;
        m_modal = nullptr;
        old->hide();
        old->deleteLater();
    }
    if (!m_controller.isPreviewOpen())
        return;
    QPointer<PrinterStatusController> controller = &m_controller;
    m_modal = new LabelPreviewModal(
        m_controller.previewPageBuilder(), m_controller.previewMedia(), m_controller.previewOrientation(),
        [controller] {
            if (controller)
                controller->closePreview();
        },
        &m_controller.testActions(), m_controller.previewPrintAction(), this);
    LabelPreviewModal *modal = m_modal;
    connect(modal, &QDialog::finished, this, [this, modal] {
        if (m_modal == modal)
            m_controller.previewDismissed();
    });
    modal->open();
}

} // namespace quill
