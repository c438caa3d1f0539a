#include "ui/designer/template_list_panel.h"

#include "designer/template_store.h"
#include "ui/designer/template_list_model.h"
#include "ui/designer/template_row_delegate.h"
#include "ui/designer/template_row_swipe.h"
#include "ui/designer/toolbar_row.h"
#include "ui/widgets/buttons.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

namespace {

QWidget *header(TemplateListController *controller, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(metrics::insets(metrics::regular, metrics::small));
    layout->addWidget(styledLabel(TemplateListPanel::tr("Templates"), textFont(TextStyle::headline),
                                  primaryTextColor(), row));
    layout->addStretch();
    auto *add = new QToolButton(row);
    add->setObjectName(QStringLiteral("newTemplateButton"));
    add->setIcon(symbolIcon(QStringLiteral("plus"), primaryTextColor()));
    add->setToolTip(TemplateListPanel::tr("New Template"));
    add->setAutoRaise(true);
    QObject::connect(add, &QToolButton::clicked, controller, &TemplateListController::createNewTemplate);
    layout->addWidget(add);
    return row;
}

QWidget *emptyState(TemplateListController *controller, QWidget *parent)
{
    auto *page = new QWidget(parent);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(metrics::insets(metrics::large));
    layout->setSpacing(metrics::small);
    layout->addStretch();
    auto *icon = new QLabel(page);
    icon->setPixmap(symbolPixmap(QStringLiteral("doc.badge.plus"),
                                 QFontMetrics(textFont(TextStyle::title)).height(), secondaryTextColor(),
                                 page->devicePixelRatioF()));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    auto *text = styledLabel(TemplateListPanel::tr("No templates yet"), textFont(TextStyle::caption),
                             secondaryTextColor(), page);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    QPushButton *create =
        prominentButton(TemplateListPanel::tr("Create Template"), QString(), ProminentSize::small, page);
    QObject::connect(create, &QPushButton::clicked, controller, &TemplateListController::createNewTemplate);
    layout->addWidget(create, 0, Qt::AlignHCenter);
    layout->addStretch();
    return page;
}

} // namespace

TemplateListPanel::TemplateListPanel(TemplateStore &store, TemplateListController::SelectCallback onSelect,
                                     const Clock &clock, QWidget *parent)
    : QWidget(parent), m_controller(new TemplateListController(store, std::move(onSelect), clock, this)),
      m_model(new TemplateListModel(store, this)), m_pages(new QStackedWidget(this)),
      m_list(new QListView(this))
{
    setFixedWidth(kWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header(m_controller, this));
    layout->addWidget(makeColumnDivider(this));
    layout->addWidget(m_pages, 1);

    m_list->setModel(m_model);
    auto *rowDelegate = new TemplateRowDelegate(m_list);
    m_list->setItemDelegate(rowDelegate);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setMouseTracking(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setStyleSheet(QStringLiteral("QListView { background: transparent; padding-top: 4px; }"));
    m_pages->addWidget(emptyState(m_controller, m_pages));
    m_pages->addWidget(m_list);

    auto *deleteKey =
        new QShortcut(QKeySequence::Delete, m_list, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(deleteKey, &QShortcut::activated, m_controller, &TemplateListController::deleteSelectedTemplate);
    // The list's own delete gesture names rows by position: Backspace on the selected row.
    auto *backspace = new QShortcut(QKeySequence(Qt::Key_Backspace), m_list, nullptr, nullptr,
                                    Qt::WidgetWithChildrenShortcut);
    connect(backspace, &QShortcut::activated, this, &TemplateListPanel::deleteSelectedRows);
    auto *swipe = new TemplateRowSwipe(m_list, rowDelegate);
    connect(swipe, &TemplateRowSwipe::deleteRequested, this, &TemplateListPanel::deleteRow);
    connect(m_list, &QListView::customContextMenuRequested, this, &TemplateListPanel::showContextMenu);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_showingSelection)
            return;
        const QModelIndexList rows = m_list->selectionModel()->selectedRows();
        if (rows.isEmpty())
            m_controller->setSelectedTemplateId(std::nullopt);
        else
            m_controller->setSelectedTemplateId(rows.first().data(TemplateListModel::IdRole).toUuid());
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        updatePage();
        showSelection();
    });
    connect(m_controller, &TemplateListController::selectedTemplateIdChanged, this,
            &TemplateListPanel::showSelection);
    updatePage();
    showSelection();
}

bool TemplateListPanel::showsEmptyState() const
{
    return m_pages->currentIndex() == 0;
}

void TemplateListPanel::updatePage()
{
    m_pages->setCurrentIndex(m_model->rowCount() == 0 ? 0 : 1);
}

// The view follows the selected id; a row the list no longer holds leaves no row selected.
void TemplateListPanel::showSelection()
{
    m_showingSelection = true;
    const std::optional<QUuid> id = m_controller->selectedTemplateId();
    const int row = id ? m_model->rowOf(*id) : -1;
    if (row < 0) {
        m_list->selectionModel()->clearSelection();
    } else {
        const QModelIndex index = m_model->index(row);
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(index);
    }
    m_showingSelection = false;
}

void TemplateListPanel::deleteRow(int row)
{
    const QList<LabelTemplate> &templates = m_controller->store().templates();
    if (row < 0 || row >= templates.size())
        return;
    // A copy: the store's list changes under the deletion.
    m_controller->deleteTemplate(LabelTemplate(templates.at(row)));
}

void TemplateListPanel::deleteSelectedRows()
{
    QList<int> positions;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        positions.append(index.row());
    m_controller->deleteTemplates(positions);
}

void TemplateListPanel::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_list->indexAt(position);
    if (!index.isValid())
        return;
    const LabelTemplate labelTemplate = m_controller->store().templates().at(index.row());
    QMenu menu(this);
    menu.addAction(tr("Duplicate"), m_controller,
                   [this, labelTemplate] { m_controller->duplicateTemplate(labelTemplate); });
    menu.addSeparator();
    QAction *remove = menu.addAction(tr("Delete"), m_controller,
                                     [this, labelTemplate] { m_controller->deleteTemplate(labelTemplate); });
    remove->setIcon(symbolIcon(QStringLiteral("trash"), systemColor(SystemColor::red)));
    menu.exec(m_list->viewport()->mapToGlobal(position));
}

} // namespace quill
