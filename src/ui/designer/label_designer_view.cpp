#include "ui/designer/label_designer_view.h"

#include "ui/designer/canvas_container.h"
#include "ui/designer/properties_panel.h"
#include "ui/designer/template_list_panel.h"
#include "ui/designer/toolbar_row.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace quill {

namespace {

QWidget *makeEmptyState(QWidget *parent)
{
    auto *page = new QWidget(parent);
    page->setObjectName(QStringLiteral("designerEmptyState"));
    auto *column = new QVBoxLayout(page);
    column->setSpacing(metrics::regular);
    column->addStretch(1);
    auto *symbol = new QLabel(page);
    symbol->setPixmap(symbolPixmap(QStringLiteral("paintbrush.pointed"), 40, secondaryTextColor(),
                                   page->devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignCenter);
    column->addWidget(symbol);
    column->addWidget(styledLabel(QObject::tr("Select or create a template"), textFont(TextStyle::title3),
                                  secondaryTextColor(), page),
                      0, Qt::AlignHCenter);
    column->addStretch(1);
    return page;
}

} // namespace

LabelDesignerView::LabelDesignerView(TemplateStore &store, PrintKitAdapter &adapter, PrintService &service,
                                     LabelDesignerOptions options, QWidget *parent)
    : QWidget(parent), m_controller(store, options.saveIntervalMs), m_adapter(adapter), m_service(service),
      m_pickImageFile(std::move(options.pickImageFile)),
      m_templateList(new TemplateListPanel(
          store, [this](const LabelTemplate &labelTemplate) { m_controller.openTemplate(labelTemplate); },
          SystemClock::instance(), nullptr)),
      m_right(new QStackedWidget(nullptr)), m_emptyState(makeEmptyState(m_right)),
      m_saveError(new QLabel(this))
{
    setWindowTitle(tr("Label Designer"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(screenTitleBar(tr("Label Designer"), this));
    layout->addWidget(makeColumnDivider(this, Qt::Horizontal));
    // The list keeps its width; the rest goes to the right-hand side.
    auto *panes = new QHBoxLayout;
    panes->setSpacing(0);
    m_templateList->setFixedWidth(TemplateListPanel::kWidth);
    panes->addWidget(m_templateList);
    panes->addWidget(makeColumnDivider(this, Qt::Vertical));
    panes->addWidget(m_right, 1);
    m_right->addWidget(m_emptyState);
    layout->addLayout(panes, 1);

    m_saveError->setObjectName(QStringLiteral("designerSaveError"));
    m_saveError->setTextFormat(Qt::PlainText);
    m_saveError->setWordWrap(false);
    m_saveError->setContentsMargins(metrics::insets(metrics::regular, metrics::xxSmall));
    QPalette palette = m_saveError->palette();
    palette.setColor(QPalette::WindowText, systemColor(SystemColor::red));
    m_saveError->setPalette(palette);
    layout->addWidget(m_saveError);

    connect(&m_controller, &LabelDesignerController::designerStateChanged, this,
            &LabelDesignerView::showDesignerState);
    connect(&m_controller, &LabelDesignerController::saveErrorChanged, this,
            &LabelDesignerView::showSaveError);
    showSaveError();
}

LabelDesignerView::~LabelDesignerView()
{
    // The views built on the open state go before the controller saves and drops it.
    delete m_editor;
}

void LabelDesignerView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_controller.appear();
}

void LabelDesignerView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_controller.disappear();
}

void LabelDesignerView::showDesignerState()
{
    delete m_editor;
    m_editor = nullptr;
    m_canvasContainer = nullptr;
    m_propertiesPanel = nullptr;
    LabelDesignerState *state = m_controller.designerState();
    if (!state) {
        m_right->setCurrentWidget(m_emptyState);
        return;
    }
    // The properties keep their width; the canvas column takes the rest.
    m_editor = new QWidget(m_right);
    auto *columns = new QHBoxLayout(m_editor);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    m_canvasContainer = new CanvasContainer(*state, m_adapter, m_service, m_editor);
    m_propertiesPanel = new PropertiesPanel(*state, m_pickImageFile, m_editor);
    columns->addWidget(m_canvasContainer, 1);
    columns->addWidget(m_propertiesPanel);
    m_right->addWidget(m_editor);
    m_right->setCurrentWidget(m_editor);
}

void LabelDesignerView::showSaveError()
{
    QStringList lines;
    for (const QString &line : {m_controller.saveError(), m_controller.notice()}) {
        if (!line.isEmpty())
            lines.append(line);
    }
    m_saveError->setText(lines.join(QLatin1Char('\n')));
    m_saveError->setVisible(!lines.isEmpty());
}

} // namespace quill
