#include "ui/designer/element_toolbar.h"

#include "ui/designer/toolbar_row.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QAction>
#include <QBoxLayout>
#include <QFrame>
#include <QToolButton>

namespace quill {

ElementToolbar::ElementToolbar(LabelDesignerState &state, QWidget *parent)
    : QWidget(parent), m_controller(state)
{
    QBoxLayout *row = makeToolbarRow(this);
    m_text = makeToolbarButton(QStringLiteral("textformat"), tr("Text"), QString(), this);
    m_image = makeToolbarButton(QStringLiteral("photo"), tr("Image"), QString(), this);
    m_qrCode = makeToolbarButton(QStringLiteral("qrcode"), tr("QR Code"), QString(), this);
    m_duplicate =
        makeToolbarButton(QStringLiteral("plus.square.on.square"), QString(), tr("Duplicate"), this);
    m_delete = makeToolbarButton(QStringLiteral("trash"), QString(), tr("Delete"), this);
    m_delete->setIcon(symbolIcon(QStringLiteral("trash"), systemColor(SystemColor::red)));
    m_delete->setObjectName(QStringLiteral("destructive"));

    // The shortcut lives in an action of its own: a hidden button's action still fires,
    // so it is disabled whenever the button is hidden.
    m_duplicateAction = new QAction(tr("Duplicate"), this);
    m_duplicateAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_duplicateAction->setShortcutContext(Qt::WindowShortcut);
    addAction(m_duplicateAction);

    row->addWidget(m_text);
    row->addWidget(m_image);
    row->addWidget(m_qrCode);
    row->addWidget(makeToolbarDivider(this));
    row->addWidget(m_duplicate);
    row->addWidget(m_delete);
    row->addStretch(1);

    connect(m_text, &QToolButton::clicked, &m_controller, &ElementToolbarController::addText);
    connect(m_image, &QToolButton::clicked, &m_controller, &ElementToolbarController::addImage);
    connect(m_qrCode, &QToolButton::clicked, &m_controller, &ElementToolbarController::addQRCode);
    connect(m_duplicate, &QToolButton::clicked, &m_controller, &ElementToolbarController::duplicateSelected);
    connect(m_duplicateAction, &QAction::triggered, &m_controller,
            &ElementToolbarController::duplicateSelected);
    connect(m_delete, &QToolButton::clicked, &m_controller, &ElementToolbarController::deleteSelected);
    connect(&m_controller, &ElementToolbarController::hasSelectionChanged, this,
            &ElementToolbar::showSelection);
    showSelection(m_controller.hasSelection());
}

void ElementToolbar::showSelection(bool hasSelection)
{
    m_duplicate->setVisible(hasSelection);
    m_delete->setVisible(hasSelection);
    m_duplicateAction->setEnabled(hasSelection);
}

} // namespace quill
