#include "ui/designer/toolbar_row.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QToolButton>

namespace quill {

QBoxLayout *makeToolbarRow(QWidget *bar)
{
    fillBackground(bar, cardBackgroundColor());
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(metrics::insets(metrics::regular, metrics::xSmall));
    row->setSpacing(metrics::regular);
    return row;
}

QToolButton *makeToolbarButton(const QString &symbol, const QString &text, const QString &toolTip,
                               QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setIcon(symbolIcon(symbol, primaryTextColor()));
    button->setIconSize(QSize(16, 16));
    if (!text.isEmpty()) {
        button->setText(text);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    } else {
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    return button;
}

QFrame *makeToolbarDivider(QWidget *parent)
{
    auto *divider = new QFrame(parent);
    divider->setFrameShape(QFrame::VLine);
    divider->setFixedHeight(16);
    return divider;
}

QFrame *makeColumnDivider(QWidget *parent, Qt::Orientation orientation)
{
    auto *divider = new QFrame(parent);
    divider->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setStyleSheet(QStringLiteral("color: %1;").arg(quaternaryFillColor().name(QColor::HexArgb)));
    return divider;
}

} // namespace quill
