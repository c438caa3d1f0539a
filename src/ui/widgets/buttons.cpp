#include "ui/widgets/buttons.h"

#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QFontMetrics>
#include <QIcon>

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

struct ProminentMetrics
{
    int radius;
    int vertical;
    int horizontal;
};

ProminentMetrics metricsOf(ProminentSize size)
{
    switch (size) {
    case ProminentSize::small:
        return {5, 3, 10};
    case ProminentSize::medium:
        return {8, 8, 20};
    case ProminentSize::large:
        return {8, 9, 20};
    }
    return {5, 3, 10};
}

constexpr int kProminentIconSize = 16;

QString rgba(const QColor &color, qreal alpha)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(qRound(alpha * 255));
}

} // namespace

QPushButton *tintedButton(const QString &text, const QString &symbol, const QColor &tint, ControlSize size,
                          QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    setButtonTint(button, symbol, tint, size);
    return button;
}

void setButtonTint(QPushButton *button, const QString &symbol, const QColor &tint, ControlSize size)
{
    const ControlMetrics control = metricsOf(size);
    button->setFont(textFont(control.text, size == ControlSize::large ? QFont::DemiBold : QFont::Medium));
    if (!symbol.isEmpty()) {
        button->setIcon(symbolIcon(symbol, tint));
        button->setIconSize(QSize(control.iconSize, control.iconSize));
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
                              .arg(control.radius)
                              .arg(control.vertical)
                              .arg(control.horizontal)
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

QPushButton *prominentButton(const QString &text, const QString &symbol, ProminentSize size, QWidget *parent,
                             const QColor &fill)
{
    auto *button = new QPushButton(text, parent);
    if (size != ProminentSize::small)
        button->setFont(textFont(TextStyle::body, QFont::DemiBold));
    if (!symbol.isEmpty()) {
        button->setIcon(symbolIcon(symbol, Qt::white));
        button->setIconSize(QSize(kProminentIconSize, kProminentIconSize));
    }
    button->setCursor(Qt::PointingHandCursor);
    const ProminentMetrics prominent = metricsOf(size);
    button->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none;"
                                         " border-radius: %2px; padding: %3px %4px; }"
                                         "QPushButton:hover { background: %5; }"
                                         "QPushButton:pressed { background: %6; }"
                                         "QPushButton:disabled { background: %7; color: %8; }")
                              .arg(fill.name())
                              .arg(prominent.radius)
                              .arg(prominent.vertical)
                              .arg(prominent.horizontal)
                              .arg(fill.lighter(110).name(), fill.darker(120).name(), rgba(fill, 0.35),
                                   rgba(Qt::white, 0.5)));
    return button;
}

} // namespace quill
