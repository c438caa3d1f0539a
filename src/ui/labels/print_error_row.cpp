#include "ui/labels/print_error_row.h"

#include "ui/labels/label_test_actions.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace quill {

PrintErrorRow::PrintErrorRow(LabelTestActions &actions, QWidget *parent)
    : QWidget(parent), m_text(styledLabel(QString(), textFont(TextStyle::caption), secondaryTextColor(), this)),
      m_dismiss(new QPushButton(QStringLiteral("Dismiss"), this))
{
    setObjectName(QStringLiteral("printErrorRow"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(metrics::insets(metrics::large, 0));
    auto *icon = new QLabel(this);
    icon->setPixmap(symbolPixmap(QStringLiteral("exclamationmark.triangle.fill"), 14,
                                 systemColor(SystemColor::orange), devicePixelRatioF()));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_dismiss->setFont(textFont(TextStyle::caption));
    row->addWidget(icon);
    row->addWidget(m_text, 1);
    row->addWidget(m_dismiss);
    connect(m_dismiss, &QPushButton::clicked, &actions, &LabelTestActions::dismissError);
    connect(&actions, &LabelTestActions::printErrorChanged, this, &PrintErrorRow::showError);
    showError(actions.printError());
}

QString PrintErrorRow::text() const
{
    return m_text->text();
}

void PrintErrorRow::showError(const std::optional<QString> &error)
{
    m_text->setText(error.value_or(QString()));
    setVisible(error.has_value());
}

} // namespace quill
