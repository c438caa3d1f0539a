#include "ui/app/sidebar_view.h"

#include "app/app_state.h"
#include "ui/app/section_screens.h"
#include "ui/app/sidebar_controller.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/sideways_scroll_area.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QResizeEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

namespace {

constexpr int kSidebarWidth = 220;

} // namespace

// --- detail area ---------------------------------------------------------------

SectionDetailArea::SectionDetailArea(AppState &appState, SidebarSelection &selection, QWidget *parent)
    : QWidget(parent), m_appState(appState), m_selection(selection), m_layout(new QVBoxLayout(this)),
      m_empty(new QLabel(QStringLiteral("Select a section"), this)),
      m_screenArea(new SidewaysScrollArea(this))
{
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, appBackgroundColor());
    setPalette(background);

    m_layout->setContentsMargins(0, 0, 0, 0);
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setFont(textFont(TextStyle::title2));
    QPalette dim = m_empty->palette();
    dim.setColor(QPalette::WindowText, secondaryTextColor());
    m_empty->setPalette(dim);
    m_layout->addWidget(m_empty);
    m_layout->addWidget(m_screenArea);

    m_overlay = makeDetailOverlay(m_appState, m_selection);
    if (m_overlay)
        m_overlay->setParent(this);

    connect(&m_selection, &SidebarSelection::changed, this,
            [this](std::optional<SidebarSection> section) { showSection(section); });
    showSection(m_selection.value());
}

SectionDetailArea::~SectionDetailArea() = default;

QWidget *SectionDetailArea::screen() const
{
    return m_screenArea->widget();
}

void SectionDetailArea::showSection(std::optional<SidebarSection> section)
{
    // The whole screen left behind, its body with its title, fades into the one chosen,
    // ease-in-out over 0.25 s; the overlay moves by itself over both.
    QList<QWidget *> above;
    if (m_overlay)
        above.append(m_overlay.get());
    Motion::crossFade(
        this, kSectionChangeMs, QEasingCurve::InOutQuad,
        [this, section] {
            m_screenArea->setContent(nullptr);
            if (section)
                m_screenArea->setContent(makeSectionScreen(*section, m_appState, m_selection).release());
            m_empty->setVisible(!screen());
            m_screenArea->setVisible(screen() != nullptr);
        },
        above);
    if (m_overlay)
        m_overlay->raise();
}

void SectionDetailArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeOverlay();
}

bool SectionDetailArea::event(QEvent *event)
{
    // The overlay asks for a new size when what it shows changes.
    if (event->type() == QEvent::LayoutRequest)
        placeOverlay();
    return QWidget::event(event);
}

void SectionDetailArea::placeOverlay()
{
    if (!m_overlay)
        return;
    const QSize size = m_overlay->sizeHint().boundedTo(this->size());
    m_overlay->setGeometry(QRect(QPoint(width() - size.width(), height() - size.height()), size));
    m_overlay->raise();
}

// --- sidebar -------------------------------------------------------------------

SidebarView::SidebarView(AppState &appState, QWidget *parent)
    : QWidget(parent), m_selection(new SidebarSelection(this)),
      m_controller(
          new SidebarController(appState.authManager(), appState.showHistoryStore(), *m_selection, this)),
      m_list(new QListWidget(this)), m_settingsButton(new QToolButton(this)),
      m_detail(new SectionDetailArea(appState, *m_selection, this))
{
    auto *column = new QWidget(this);
    column->setObjectName(QStringLiteral("sidebarColumn"));
    column->setFixedWidth(kSidebarWidth);
    column->setAutoFillBackground(true);
    QPalette columnPalette = column->palette();
    columnPalette.setColor(QPalette::Window, sidebarBackgroundColor());
    columnPalette.setColor(QPalette::Base, sidebarBackgroundColor());
    column->setPalette(columnPalette);

    auto *title = new QLabel(QStringLiteral("Quillmark"), column);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(13);
    title->setFont(titleFont);
    title->setContentsMargins(metrics::large, metrics::roomy, metrics::large, metrics::compact);

    setUpList(column);

    auto *divider = new QFrame(column);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    QPalette dividerPalette = divider->palette();
    dividerPalette.setColor(QPalette::WindowText, secondaryTextColor());
    divider->setPalette(dividerPalette);

    setUpSettingsButton(column);

    auto *columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(0);
    columnLayout->addWidget(title);
    columnLayout->addWidget(m_list, 1);
    columnLayout->addWidget(divider);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(metrics::insets(metrics::large, metrics::small));
    buttonRow->addWidget(m_settingsButton);
    columnLayout->addLayout(buttonRow);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(column);
    layout->addWidget(m_detail, 1);

    connect(m_controller, &SidebarController::visibleSectionsChanged, this, &SidebarView::rebuildList);
    connect(m_selection, &SidebarSelection::changed, this, &SidebarView::selectionChanged);
    // A section is chosen by selecting its row. The list's current row alone is no choice:
    // focus arriving in the list (a button hidden under it, a Tab) makes its first row
    // current, and a screen torn down for that would be torn down inside its own click.
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem *> selected = m_list->selectedItems();
        if (m_syncingList || selected.isEmpty())
            return;
        const auto section = sidebarSectionFromTitle(selected.first()->text());
        if (section)
            m_selection->setValue(*section);
    });
    connect(m_settingsButton, &QToolButton::clicked, m_controller, &SidebarController::chooseSettings);

    rebuildList();
}

void SidebarView::setUpList(QWidget *column)
{
    m_list->setParent(column);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setIconSize(QSize(16, 16));
    m_list->setSpacing(0);
    m_list->setContentsMargins(metrics::insets(metrics::small, 0));
    // A style sheet's widget no longer inherits its text colour, so it is named here.
    m_list->setStyleSheet(QStringLiteral("QListWidget { background: transparent; padding: 0 8px; color: %2; }"
                                         "QListWidget::item { padding: 6px 6px; border-radius: 6px; }"
                                         "QListWidget::item:selected { background: %1; color: %2; }")
                              .arg(cardHighlightColor().name(), primaryTextColor().name()));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->viewport()->setAutoFillBackground(false);
}

void SidebarView::setUpSettingsButton(QWidget *column)
{
    m_settingsButton->setParent(column);
    m_settingsButton->setObjectName(QStringLiteral("settingsButton"));
    m_settingsButton->setText(QStringLiteral("Settings"));
    m_settingsButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_settingsButton->setAutoRaise(true);
    m_settingsButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_settingsButton->setStyleSheet(
        QStringLiteral("QToolButton { text-align: left; border: none; padding: 0; }"));
    m_settingsButton->setIconSize(QSize(12, 12));
    m_settingsButton->setFont(textFont(TextStyle::caption));
    m_settingsButton->setCursor(Qt::PointingHandCursor);
}

SidebarView::~SidebarView() = default;

void SidebarView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_controller->appear();
}

void SidebarView::rebuildList()
{
    m_syncingList = true;
    m_list->clear();
    const QColor color = primaryTextColor();
    for (SidebarSection section : m_controller->visibleSections())
        new QListWidgetItem(symbolIcon(sidebarSectionSymbol(section), color), sidebarSectionTitle(section),
                            m_list);
    m_syncingList = false;
    selectionChanged();
}

void SidebarView::selectionChanged()
{
    const std::optional<SidebarSection> selected = m_selection->value();
    m_syncingList = true;
    int row = -1;
    if (selected) {
        const QList<QListWidgetItem *> items =
            m_list->findItems(sidebarSectionTitle(*selected), Qt::MatchExactly);
        if (!items.isEmpty())
            row = m_list->row(items.first());
    }
    m_list->setCurrentRow(row);
    if (row < 0)
        m_list->clearSelection();
    m_syncingList = false;

    // The button stands for the Settings row: bright while Settings is shown.
    const QColor color = selected == SidebarSection::settings ? primaryTextColor() : secondaryTextColor();
    QPalette buttonPalette = m_settingsButton->palette();
    buttonPalette.setColor(QPalette::ButtonText, color);
    buttonPalette.setColor(QPalette::WindowText, color);
    m_settingsButton->setPalette(buttonPalette);
    m_settingsButton->setIcon(symbolIcon(QStringLiteral("gear"), color));
}

} // namespace quill
