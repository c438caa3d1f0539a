#include "ui/lists/print_log_panel.h"

#include "app/app_state.h"
#include "common/clock.h"
#include "printing/auto_print_manager.h"
#include "printing/label_appearance_store.h"
#include "printing/print_service.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/print_job_detail_sheet.h"
#include "ui/lists/print_job_row_delegate.h"
#include "ui/lists/print_log_model.h"
#include "ui/lists/sheet_parts.h"
#include "ui/widgets/empty_state_view.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

PrintLogPanel::PrintLogPanel(AppState &app, const Clock *clock, QWidget *parent)
    : QWidget(parent), m_app(app), m_model(new PrintLogModel(app.autoPrintManager(), this))
{
    setObjectName(QStringLiteral("printLogPanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(metrics::insets(metrics::regular));
    header->addWidget(
        styledLabel(QStringLiteral("Print Log"), textFont(TextStyle::headline), primaryTextColor(), this), 1);
    m_clear = new QPushButton(QStringLiteral("Clear"), this);
    m_clear->setObjectName(QStringLiteral("clearButton"));
    m_clear->setFlat(true);
    m_clear->setFont(textFont(TextStyle::caption));
    m_clear->setCursor(Qt::PointingHandCursor);
    connect(m_clear, &QPushButton::clicked, this, [this] { m_app.autoPrintManager().setPrintJobs({}); });
    header->addWidget(m_clear);
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("closeButton"));
    m_close->setAutoRaise(true);
    m_close->setIcon(symbolIcon(QStringLiteral("xmark"), secondaryTextColor()));
    m_close->setIconSize(QSize(10, 10));
    m_close->setToolTip(QStringLiteral("Close"));
    connect(m_close, &QToolButton::clicked, this,
            [this] { m_app.autoPrintManager().setShowPrintLog(false); });
    header->addWidget(m_close);
    layout->addLayout(header);
    layout->addWidget(sheetDivider(this));

    auto *content = new QWidget(this);
    m_content = new QStackedLayout(content);
    m_empty =
        new EmptyStateView(QStringLiteral("printer"), QStringLiteral("No Labels"),
                           QStringLiteral("Labels will appear here as auctions are captured."), content);
    m_content->addWidget(m_empty);
    m_list = new QListView(content);
    m_list->setObjectName(QStringLiteral("printLogList"));
    m_list->setModel(m_model);
    m_delegate = new PrintJobRowDelegate(app.printService().appearanceStore(), m_list);
    if (clock)
        m_delegate->setNow([clock] { return clock->now(); });
    m_list->setItemDelegate(m_delegate);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->viewport()->setAutoFillBackground(false);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) { openJob(index.row()); });
    m_content->addWidget(m_list);
    layout->addWidget(content, 1);

    // A view never redraws by itself; the ages would stand still.
    m_ages.setInterval(kAgeRefreshMs);
    connect(&m_ages, &QTimer::timeout, m_list->viewport(), qOverload<>(&QWidget::update));

    m_turn.setInterval(kTurnStepMs);
    connect(&m_turn, &QTimer::timeout, this, &PrintLogPanel::turn);

    connect(m_model, &QAbstractItemModel::rowsInserted, this, &PrintLogPanel::follow);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &PrintLogPanel::follow);
    connect(m_model, &QAbstractItemModel::modelReset, this, &PrintLogPanel::follow);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &PrintLogPanel::followTurning);
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, &PrintLogPanel::followTurning);
    follow();
}

PrintLogPanel::~PrintLogPanel() = default;

void PrintLogPanel::follow()
{
    const bool empty = m_model->rowCount() == 0;
    m_clear->setVisible(!empty);
    m_content->setCurrentWidget(empty ? static_cast<QWidget *>(m_empty) : m_list);
    followTurning();
}

void PrintLogPanel::followTurning()
{
    bool printing = false;
    if (Motion::canAnimate(m_list->viewport())) {
        const QRect visible = m_list->viewport()->rect();
        const QModelIndex first = m_list->indexAt(visible.topLeft());
        for (int row = first.isValid() ? first.row() : 0; row < m_model->rowCount() && !printing; ++row) {
            if (!m_list->visualRect(m_model->index(row)).intersects(visible))
                break;
            printing = m_model->jobAt(row).status.kind == PrintJob::Status::Kind::printing;
        }
    }
    if (printing && !m_turn.isActive())
        m_turn.start();
    else if (!printing)
        m_turn.stop();
}

void PrintLogPanel::turn()
{
    m_delegate->advanceProgress();
    m_list->viewport()->update();
    followTurning();
}

void PrintLogPanel::openJob(int row)
{
    const QModelIndex index = m_model->index(row);
    if (!index.isValid())
        return;
    if (m_sheet)
        m_sheet->close();
    m_sheet = new PrintJobDetailSheet(index.data(LiveListRoles::printJob).value<PrintJob>(),
                                      m_app.printService().appearanceStore().appearance(), this);
    m_sheet->open();
}

void PrintLogPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_ages.start();
    m_list->viewport()->update();
    followTurning();
}

void PrintLogPanel::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_ages.stop();
    m_turn.stop();
}

} // namespace quill
