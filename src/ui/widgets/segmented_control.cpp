#include "ui/widgets/segmented_control.h"

#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

namespace quill {

SegmentedControl::SegmentedControl(QWidget *parent)
    : QWidget(parent), m_layout(new QHBoxLayout(this)), m_group(new QButtonGroup(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            Q_EMIT currentChanged(id);
    });
}

int SegmentedControl::addSegment(const QString &text, const QString &symbol)
{
    auto *button = new QToolButton(this);
    button->setText(text);
    if (!symbol.isEmpty()) {
        button->setIcon(symbolIcon(symbol));
        button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
    }
    button->setCheckable(true);
    button->setAutoRaise(false);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setFont(textFont(TextStyle::callout));
    const int index = count();
    m_group->addButton(button, index);
    m_layout->addWidget(button);
    if (index == 0)
        button->setChecked(true);
    restyle();
    return index;
}

int SegmentedControl::count() const
{
    return int(m_group->buttons().size());
}

int SegmentedControl::currentIndex() const
{
    return m_group->checkedId();
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (QAbstractButton *button = m_group->button(index))
        button->setChecked(true);
}

QToolButton *SegmentedControl::segment(int index) const
{
    return qobject_cast<QToolButton *>(m_group->button(index));
}

void SegmentedControl::restyle()
{
    const QString accent = appAccentColor().name();
    const QString fill = cardHighlightColor().name();
    const QString border = QColor(255, 255, 255, 40).name(QColor::HexArgb);
    const int last = count() - 1;
    for (int i = 0; i <= last; ++i) {
        const QString left = i == 0 ? QStringLiteral("6px") : QStringLiteral("0px");
        const QString right = i == last ? QStringLiteral("6px") : QStringLiteral("0px");
        segment(i)->setStyleSheet(
            QStringLiteral("QToolButton { background: %1; border: 1px solid %2; padding: 3px 10px;"
                           " border-top-left-radius: %3; border-bottom-left-radius: %3;"
                           " border-top-right-radius: %4; border-bottom-right-radius: %4; }"
                           " QToolButton:checked { background: %5; color: white; }")
                .arg(fill, border, left, right, accent));
    }
}

} // namespace quill
