#include "ui/live/live_controls.h"

#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QPainter>

namespace quill {

namespace {

struct ControlMetrics
{
    int iconSize;
    int vertical;
    int horizontal;
    int radius;
    TextStyle text;
};

ControlMetrics metricsOf(ControlSize size)
{
    switch (size) {
    case ControlSize::mini:
        return {10, 1, 6, 4, TextStyle::caption};
    case ControlSize::small:
        return {12, 3, 8, 5, TextStyle::callout};
    case ControlSize::large:
        return {16, 8, 18, 8, TextStyle::body};
    }
    return {12, 3, 8, 5, TextStyle::callout};
}

QString rgba(const QColor &color, qreal alpha)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(qRound(alpha * 255));
}

} // namespace

QColor adminOrange()
{
    return QColor::fromRgbF(1.0f, 0.6f, 0.0f, 1.0f);
}

QPushButton *tintedButton(const QString &text, const QString &symbol, const QColor &tint, ControlSize size,
                          QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    setButtonTint(button, symbol, tint, size);
    return button;
}

void setButtonTint(QPushButton *button, const QString &symbol, const QColor &tint, ControlSize size)
{
    const ControlMetrics metrics = metricsOf(size);
    button->setFont(textFont(metrics.text, size == ControlSize::large ? QFont::DemiBold : QFont::Medium));
    if (!symbol.isEmpty()) {
        button->setIcon(symbolIcon(symbol, tint));
        button->setIconSize(QSize(metrics.iconSize, metrics.iconSize));
    } else {
        button->setIcon(QIcon());
    }
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: %2; border: 1px solid %3;"
                                         " border-radius: %4px; padding: %5px %6px; }"
                                         "QPushButton:hover { background: %7; }"
                                         "QPushButton:pressed { background: %8; }"
                                         "QPushButton:disabled { color: %9; background: %2; }")
                              .arg(tint.name(), rgba(tint, 0.16), rgba(tint, 0.28))
                              .arg(metrics.radius)
                              .arg(metrics.vertical)
                              .arg(metrics.horizontal)
                              .arg(rgba(tint, 0.24), rgba(tint, 0.32), rgba(tint, 0.4)));
}

QPushButton *plainButton(const QString &text, const QString &symbol, const QColor &color, const QFont &font,
                         QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setFont(font);
    if (!symbol.isEmpty()) {
        const int size = QFontMetrics(font).height() - 2;
        button->setIcon(symbolIcon(symbol, color));
        button->setIconSize(QSize(size, size));
    }
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: transparent; border: none;"
                                         " padding: 2px 2px; }"
                                         "QPushButton:pressed { color: %2; }"
                                         "QPushButton:disabled { color: %3; }")
                              .arg(color.name(), color.darker(130).name(), rgba(color, 0.4)));
    return button;
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
