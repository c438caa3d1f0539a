#include "ui/widgets/empty_state_view.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace quill {

EmptyStateView::EmptyStateView(const QString &symbol, const QString &title, const QString &description,
                               QWidget *parent)
    : QWidget(parent), m_icon(new QLabel(this)), m_title(new QLabel(title, this)),
      m_description(new QLabel(description, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(metrics::insets(metrics::xLarge));
    layout->setSpacing(metrics::small);
    layout->addStretch(1);

    m_icon->setPixmap(symbolPixmap(symbol, 44, secondaryTextColor(), devicePixelRatioF()));
    m_icon->setAlignment(Qt::AlignCenter);
    m_title->setFont(textFont(TextStyle::title2, QFont::Bold));
    m_title->setAlignment(Qt::AlignCenter);
    m_description->setFont(textFont(TextStyle::callout));
    m_description->setAlignment(Qt::AlignCenter);
    m_description->setWordWrap(true);
    m_description->setMaximumWidth(360);
    QPalette palette = m_description->palette();
    palette.setColor(QPalette::WindowText, secondaryTextColor());
    m_description->setPalette(palette);

    layout->addWidget(m_icon, 0, Qt::AlignHCenter);
    layout->addSpacing(metrics::xxSmall);
    layout->addWidget(m_title, 0, Qt::AlignHCenter);
    // Centred by stretches, not by an alignment: an aligned wrapped label is given
    // the height of a guessed width and loses its last lines.
    auto *descriptionRow = new QHBoxLayout;
    descriptionRow->addStretch(1);
    descriptionRow->addWidget(m_description, 100);
    descriptionRow->addStretch(1);
    layout->addLayout(descriptionRow);
    layout->addStretch(1);
}

void EmptyStateView::setTitle(const QString &title)
{
    m_title->setText(title);
}

void EmptyStateView::setDescription(const QString &description)
{
    m_description->setText(description);
}

QString EmptyStateView::title() const
{
    return m_title->text();
}

QString EmptyStateView::description() const
{
    return m_description->text();
}

} // namespace quill
