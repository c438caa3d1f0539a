#include "ui/history/stat_card.h"

#include "ui/widgets/style.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quill {

StatCard::StatCard(const QString &title, const QString &value, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("statCard"));
    setMinimumWidth(80);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    QFont valueFont = textFont(TextStyle::title3, QFont::Bold);
    valueFont.setStyleHint(QFont::Monospace, QFont::PreferDefault);
    m_value = styledLabel(value, valueFont, primaryTextColor(), this);
    m_value->setTextFormat(Qt::PlainText);
    m_value->setAlignment(Qt::AlignCenter);
    m_title = styledLabel(title, textFont(TextStyle::caption), secondaryTextColor(), this);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_value);
    layout->addWidget(m_title);
}

QString StatCard::title() const
{
    return m_title->text();
}

QString StatCard::value() const
{
    return m_value->text();
}

} // namespace quill
