#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPushButton>
#include <QString>

namespace quill {

// The staff tools' accent.
QColor adminOrange();

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

// A small on/off switch with a symbol and a caption beside it.
class SwitchToggle final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SwitchToggle)

public:
    SwitchToggle(const QString &text, const QString &symbol, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
};

} // namespace quill
