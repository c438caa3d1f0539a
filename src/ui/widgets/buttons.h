#pragma once

#include "ui/widgets/palette.h"

#include <QColor>
#include <QFont>
#include <QPushButton>
#include <QString>

namespace quill {

// The kit's buttons: every screen makes its buttons here, so that one kind of button
// looks and answers the same on every screen.

enum class ControlSize
{
    mini,
    small,
    large
};

// A bordered button tinted `tint`: text and symbol in the tint on a faint fill of it.
QPushButton *tintedButton(const QString &text, const QString &symbol, const QColor &tint, ControlSize size,
                          QWidget *parent = nullptr);
// Re-tints a button made by tintedButton.
void setButtonTint(QPushButton *button, const QString &symbol, const QColor &tint, ControlSize size);
// A borderless button showing only its text (and symbol) in `color`.
QPushButton *plainButton(const QString &text, const QString &symbol, const QColor &color, const QFont &font,
                         QWidget *parent = nullptr);

// How large a prominent button is: `small` sits in a row of small controls and keeps
// the font its caller gives it; `medium` and `large` carry the screen's one main
// action in the body font, `large` a little taller where it ends a form.
enum class ProminentSize
{
    small,
    medium,
    large
};

// The filled button of a screen's main action: white text and symbol on `fill`,
// darker while pressed and faded while disabled. No symbol when `symbol` is empty.
QPushButton *prominentButton(const QString &text, const QString &symbol, ProminentSize size,
                             QWidget *parent = nullptr, const QColor &fill = appAccentColor());

} // namespace quill
