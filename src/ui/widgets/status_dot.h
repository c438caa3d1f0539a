#pragma once

#include <QColor>
#include <QWidget>

namespace quill {

// A filled circle, e.g. the live mark or a printer's state.
class StatusDot final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusDot)

public:
    StatusDot(int diameter, QColor color, QWidget *parent = nullptr);

    const QColor &color() const { return m_color; }
    void setColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
};

} // namespace quill
