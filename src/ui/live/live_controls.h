#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPushButton>
#include <QString>

namespace quill {

// The staff tools' accent.
QColor adminOrange();

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
