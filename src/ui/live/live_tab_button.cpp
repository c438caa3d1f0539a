#include "ui/live/live_tab_button.h"

#include "ui/widgets/figure_text.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QFontMetrics>
#include <QPainter>

namespace quill {

namespace {

// Its digits are all one width, so the revenue does not jitter as it grows.
FigureText subtitleText(const QString &subtitle)
{
    return FigureText(subtitle, textFont(TextStyle::caption));
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
        const FigureText caption = subtitleText(*m_subtitle);
        width += kSpacing + caption.width();
        height = std::max(height, caption.height());
    }
    return {width, height + kSpacing + kBarHeight};
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
    const FigureText caption = subtitleText(m_subtitle.value_or(QString()));

    const int titleWidth = titleMetrics.horizontalAdvance(text());
    const int captionWidth = m_subtitle ? kSpacing + caption.width() : 0;
    const int lineHeight = std::max(titleMetrics.height(), m_subtitle ? caption.height() : 0);
    // The line is centred; on a narrow bar the title is clipped and the subtitle cut short.
    int x = std::max(0, (width() - titleWidth - captionWidth) / 2);
    const QRect line(0, 0, width(), lineHeight);

    painter.setFont(title);
    painter.setPen(isDown() ? secondaryTextColor() : primaryTextColor());
    painter.drawText(QRect(x, line.top(), titleWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, text());
    if (m_subtitle) {
        x += titleWidth + kSpacing;
        painter.setPen(secondaryTextColor());
        caption.draw(painter, QRect(x, line.top(), width() - x, lineHeight),
                     Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (m_selected)
        painter.fillRect(QRect(0, height() - kBarHeight, width(), kBarHeight), brandGreenColor());
}

} // namespace quill
