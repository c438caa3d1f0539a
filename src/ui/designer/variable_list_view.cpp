#include "ui/designer/variable_list_view.h"

#include "designer/template_variables.h"
#include "ui/designer/labeled_field.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

VariableListView::VariableListView(std::function<void(const QString &)> onInsert, QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(metrics::xxxSmall);
    column->addWidget(makeCaption(tr("Available Variables"), this));
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(textFont(TextStyle::caption).pointSizeF());
    for (const TemplateVariable &variable : availableVariables()) {
        const QString placeholder = QStringLiteral("{{") + variable.name + QStringLiteral("}}");
        auto *button = new QToolButton(this);
        button->setObjectName(variable.name);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        auto *row = new QHBoxLayout(button);
        row->setContentsMargins(metrics::insets(metrics::xxxSmall, metrics::hairline));
        auto *token = new QLabel(placeholder, button);
        token->setFont(mono);
        row->addWidget(token);
        row->addStretch(1);
        row->addWidget(
            styledLabel(variable.description, textFont(TextStyle::caption2), secondaryTextColor(), button));
        button->setMinimumHeight(row->sizeHint().height());
        connect(button, &QToolButton::clicked, this, [onInsert, placeholder] { onInsert(placeholder); });
        column->addWidget(button);
        m_rows.append(button);
    }
}

QAbstractButton *VariableListView::row(const QString &name) const
{
    for (QAbstractButton *button : m_rows)
        if (button->objectName() == name)
            return button;
    return nullptr;
}

} // namespace quill
