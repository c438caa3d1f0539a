#include "ui/live/live_tab_button.h"

#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QFontMetrics>
#include <QPainter>

namespace quill {

namespace {

// The interface fonts' digits share one width, so the revenue does not jitter as it grows.
QFont subtitleFont()
{
    return textFont(TextStyle::caption);
}

} // namespace

LiveTabButton::LiveTabButton(QWidget *parent) : QAbstractButton(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

QFont LiveTabButton::titleFont() const
{
    return textFont(TextStyle::subheadline, m_selected ? QFont::DemiBold : QFont::Normal);
}

void LiveTabButton::setTitle(const QString &title)
{
    if (title == text())
        return;
    setText(title);
    updateGeometry();
}

void LiveTabButton::setSubtitle(const std::optional<QString> &subtitle)
{
    if (subtitle == m_subtitle)
        return;
    m_subtitle = subtitle;
    updateGeometry();
    update();
}

void LiveTabButton::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    updateGeometry();
    update();
}

QSize LiveTabButton::sizeHint() const
{
    const QFontMetrics title(titleFont());
    int width = title.horizontalAdvance(text());
    int height = title.height();
    if (m_subtitle) {
        const QFontMetrics caption(subtitleFont());
        width += kSpacing + caption.horizontalAdvance(*m_subtitle);
        height = std::max(height, caption.height());
    }
    return {width, kTopPadding + height + kSpacing + kBarHeight};
}

QSize LiveTabButton::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void LiveTabButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFont title = titleFont();
    const QFontMetrics titleMetrics(title);
    const QFont caption = subtitleFont();
    const QFontMetrics captionMetrics(caption);

    const int titleWidth = titleMetrics.horizontalAdvance(text());
    const int captionWidth = m_subtitle ? kSpacing + captionMetrics.horizontalAdvance(*m_subtitle) : 0;
    const int lineHeight = std::max(titleMetrics.height(), m_subtitle ? captionMetrics.height() : 0);
    // The line is centred and clipped at the button's edges when the bar is narrow.
    int x = std::max(0, (width() - titleWidth - captionWidth) / 2);
    const QRect line(0, kTopPadding, width(), lineHeight);

    painter.setFont(title);
    painter.setPen(isDown() ? secondaryTextColor() : primaryTextColor());
    painter.drawText(QRect(x, line.top(), titleWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, text());
    if (m_subtitle) {
        x += titleWidth + kSpacing;
        painter.setFont(caption);
        painter.setPen(secondaryTextColor());
        painter.drawText(QRect(x, line.top(), width() - x, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         *m_subtitle);
    }
    if (m_selected)
        painter.fillRect(QRect(0, height() - kBarHeight, width(), kBarHeight), brandGreenColor());
}

} // namespace quill
