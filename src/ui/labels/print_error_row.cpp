#include "ui/labels/print_error_row.h"

#include "ui/labels/label_test_actions.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace quill {

PrintErrorRow::PrintErrorRow(QWidget *parent)
    : QWidget(parent),
      m_text(styledLabel(QString(), textFont(TextStyle::caption), secondaryTextColor(), this)),
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
    connect(m_dismiss, &QPushButton::clicked, this, &PrintErrorRow::dismissed);
    refresh();
}

PrintErrorRow::PrintErrorRow(LabelTestActions &actions, QWidget *parent) : PrintErrorRow(parent)
{
    connect(this, &PrintErrorRow::dismissed, &actions, &LabelTestActions::dismissError);
    connect(&actions, &LabelTestActions::printErrorChanged, this, &PrintErrorRow::showPrintError);
    showPrintError(actions.printError());
}

QString PrintErrorRow::text() const
{
    return m_text->text();
}

void PrintErrorRow::showPrintError(const std::optional<QString> &error)
{
    m_printError = error;
    refresh();
}

void PrintErrorRow::showSaveFailure(const std::optional<QString> &failure)
{
    m_saveFailure = failure;
    refresh();
}

void PrintErrorRow::refresh()
{
    QStringList lines;
    for (const std::optional<QString> &line : {m_printError, m_saveFailure}) {
        if (line)
            lines.append(*line);
    }
    const QString text = lines.join(QLatin1Char('\n'));
    const bool changed = text != m_text->text();
    m_text->setText(text);
    // Only a print's failure is dismissed; a save's stays until a save succeeds.
    m_dismiss->setVisible(m_printError.has_value());
    setVisible(!lines.isEmpty());
    if (changed)
        Q_EMIT textChanged(text);
}

} // namespace quill
