#include "ui/live/live_controls.h"

#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QPainter>

namespace quill {

QColor adminOrange()
{
    return attentionOrangeColor();
}

// --- switch --------------------------------------------------------------------

namespace {
constexpr int kTrackWidth = 26;
constexpr int kTrackHeight = 15;
constexpr int kGap = 4;
constexpr int kIconSize = 11;
} // namespace

SwitchToggle::SwitchToggle(const QString &text, const QString &symbol, QWidget *parent)
    : QAbstractButton(parent), m_symbol(symbol)
{
    setText(text);
    setCheckable(true);
    setFont(textFont(TextStyle::caption));
    setCursor(Qt::PointingHandCursor);
}

QSize SwitchToggle::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(kIconSize + kGap + metrics.horizontalAdvance(text()) + 6 + kTrackWidth,
                 qMax(kTrackHeight, metrics.height()) + 2);
}

void SwitchToggle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool enabled = isEnabled();
    const QColor textColor = enabled ? primaryTextColor() : tertiaryTextColor();

    const int midY = height() / 2;
    painter.drawPixmap(0, midY - kIconSize / 2,
                       symbolPixmap(m_symbol, kIconSize, textColor, devicePixelRatioF()));
    painter.setPen(textColor);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int textX = kIconSize + kGap;
    painter.drawText(QRect(textX, 0, metrics.horizontalAdvance(text()) + 1, height()), Qt::AlignVCenter,
                     text());

    const QRectF track(width() - kTrackWidth, midY - kTrackHeight / 2.0, kTrackWidth, kTrackHeight);
    QColor fill = isChecked() ? appAccentColor() : QColor(255, 255, 255, 55);
    if (!enabled)
        fill.setAlphaF(fill.alphaF() * 0.4f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, kTrackHeight / 2.0, kTrackHeight / 2.0);
    const qreal knob = kTrackHeight - 4;
    const qreal knobX = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(enabled ? QColor(Qt::white) : QColor(180, 180, 180));
    painter.drawEllipse(QRectF(knobX, track.top() + 2, knob, knob));
}

} // namespace quill
