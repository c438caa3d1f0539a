#include "ui/designer/labeled_field.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quill {

QLabel *makeCaption(const QString &text, QWidget *parent)
{
    return styledLabel(text, textFont(TextStyle::caption2), secondaryTextColor(), parent);
}

LabeledField::LabeledField(const QString &label, QWidget *content, QWidget *parent)
    : QWidget(parent), m_caption(makeCaption(label, this)), m_content(content)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(metrics::xxxSmall);
    column->addWidget(m_caption);
    m_content->setParent(this);
    column->addWidget(m_content);
}

} // namespace quill
