#include "ui/widgets/sideways_scroll_area.h"

#include <QScrollBar>

namespace quill {

SidewaysScrollArea::SidewaysScrollArea(QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int maximum) {
        if ((maximum > 0) == m_scrolls)
            return;
        m_scrolls = maximum > 0;
        // Shown or hidden at once: left to the scroll area, the bar would follow the
        // room only after the next turn of the event loop, and a picture taken before
        // that shows a bar with nothing to scroll.
        setHorizontalScrollBarPolicy(m_scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        // The bar takes its height below the content, so the area asks anew.
        updateGeometry();
    });
}

void SidewaysScrollArea::setContent(QWidget *content)
{
    // Deleted where it stands, as a screen leaving a layout would be.
    delete widget();
    if (!content)
        return;
    // A scroll area paints its content's background; the content decides that itself.
    const bool fills = content->autoFillBackground();
    setWidget(content);
    content->setAutoFillBackground(fills);
    content->show();
}

bool SidewaysScrollArea::scrolls() const
{
    return m_scrolls;
}

QSize SidewaysScrollArea::sizeHint() const
{
    const QWidget *content = widget();
    if (!content)
        return QScrollArea::sizeHint();
    const int bar = m_scrolls ? horizontalScrollBar()->sizeHint().height() : 0;
    return {content->sizeHint().width(), content->sizeHint().height() + bar};
}

QSize SidewaysScrollArea::minimumSizeHint() const
{
    const QWidget *content = widget();
    if (!content)
        return QScrollArea::minimumSizeHint();
    const int bar = m_scrolls ? horizontalScrollBar()->sizeHint().height() : 0;
    return {QScrollArea::minimumSizeHint().width(), content->minimumSizeHint().height() + bar};
}

} // namespace quill
